"""Python's email package on the MIME benchmark's workloads.

make DIR:                 writes the inputs, all made with the email package
run decode|encode PATH:   decodes (every leaf's payload too) or writes again
                          the message(s) at PATH once, and prints JSON:
                          seconds (in-process, without start-up and reading)
                          and peak_kb (growth of peak memory while working)
"""
import json
import os
import random
import resource
import sys
import time
from email import message_from_bytes, policy
from email.message import EmailMessage

WORDS = ("Grüße aus Köln, the quick brown fox jumps over the lazy dog; naïve café € 1 = 2 "
         "Lorem ipsum dolor sit amet, consectetur adipiscing elit ").split(" ")


def text(rng, size):
    out, n = [], 0
    while n < size:
        line = " ".join(rng.choice(WORDS) for _ in range(rng.randint(5, 14)))
        out.append(line)
        n += len(line.encode()) + 1
    return "\n".join(out) + "\n"


def message(subject):
    m = EmailMessage()
    m["From"] = "Zoë Ågren <zoe@example.org>"
    m["To"] = "Bob Ray <bob@example.org>, Ünal <u@example.org>"
    m["Subject"] = subject
    m["Date"] = "Tue, 04 Jun 2024 10:00:00 +0200"
    return m


def big(rng):
    m = message("A large attachment")
    m.set_content("Please find the file attached.\n")
    m.add_attachment(rng.randbytes(20 * 1000 * 1000), maintype="application", subtype="octet-stream",
                     filename="data.bin")
    return m


def quoted_printable(rng):
    m = message("A long text")
    m.set_content(text(rng, 4 * 1000 * 1000), cte="quoted-printable")
    return m


def many_attachments(rng):
    m = message("Fifty attachments")
    m.set_content(text(rng, 20000))
    m.add_alternative("<html><body>" + text(rng, 20000) + "</body></html>\n", subtype="html")
    for i in range(50):
        if i % 2:
            m.add_attachment(text(rng, 100000).encode(), maintype="text", subtype="plain",
                             filename="notes %d.txt" % i, cte="quoted-printable")
        else:
            m.add_attachment(rng.randbytes(100000), maintype="application", subtype="octet-stream",
                             filename="file %d.bin" % i)
    return m


def small(rng, i):
    m = message("Small message %d" % i)
    m.set_content(text(rng, rng.randint(1500, 4000)))
    if i % 3 == 1:
        m.add_alternative("<p>" + text(rng, rng.randint(500, 3000)) + "</p>\n", subtype="html")
    if i % 3 == 2:
        m.add_attachment(rng.randbytes(rng.randint(500, 3500)), maintype="application",
                         subtype="octet-stream", filename="small.bin")
    return m


def make(folder):
    rng = random.Random(42)
    for name, build in (("big.eml", big), ("qp.eml", quoted_printable), ("multi.eml", many_attachments)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(build(rng).as_bytes(policy=policy.SMTP))
    os.makedirs(os.path.join(folder, "small"), exist_ok=True)
    for i in range(1000):
        with open(os.path.join(folder, "small", "%04d.eml" % i), "wb") as f:
            f.write(small(rng, i).as_bytes(policy=policy.SMTP))


def decode(raw):
    msg = message_from_bytes(raw, policy=policy.default)
    for part in msg.walk():
        if not part.is_multipart():
            part.get_payload(decode=True)


# The same content as a new message, written out: what a mailer does to send.
def contents(raw):
    msg = message_from_bytes(raw, policy=policy.default)
    body = msg.get_body(("plain",)).get_content()
    files = [(p.get_filename(), p.get_payload(decode=True)) for p in msg.iter_attachments()]
    return str(msg["subject"]), body, files


def encode(content):
    subject, body, files = content
    m = message(subject)
    m.set_content(body, cte="quoted-printable")
    for name, data in files:
        m.add_attachment(data, maintype="application", subtype="octet-stream", filename=name)
    return m.as_bytes(policy=policy.SMTP)


def inputs(path):
    files = [os.path.join(path, n) for n in sorted(os.listdir(path))] if os.path.isdir(path) else [path]
    out = []
    for name in files:
        with open(name, "rb") as f:
            out.append(f.read())
    return out


def current_kb():
    with open("/proc/self/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def run(kind, path):
    base = current_kb()
    work = inputs(path)
    if kind == "encode":
        work = [contents(raw) for raw in work]
        with open("/proc/self/clear_refs", "w") as f:
            f.write("5")  # the peak from here on
        base = current_kb()
    start = time.perf_counter()
    for item in work:
        (encode if kind == "encode" else decode)(item)
    seconds = time.perf_counter() - start
    peak = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    with open("/proc/self/status") as f:
        peak = next((int(l.split()[1]) for l in f if l.startswith("VmHWM:")), peak)
    print(json.dumps({"seconds": seconds, "peak_kb": peak - base}))


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
    else:
        run(sys.argv[2], sys.argv[3])
