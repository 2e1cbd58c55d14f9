"""Python's email package as the peer of the MIME tests.

parse: reads a message on stdin and prints what Python makes of it as JSON.
make:  prints messages Python writes, each with the content it holds.
"""
import base64
import json
import sys
from email import message_from_bytes, policy
from email.message import EmailMessage


def parse(raw):
    msg = message_from_bytes(raw, policy=policy.default)
    leaves = []
    for part in msg.walk():
        if part.is_multipart():
            continue
        leaves.append({
            "type": part.get_content_type(),
            "filename": part.get_filename(),
            "data": base64.b64encode(part.get_payload(decode=True) or b"").decode(),
        })
    return {
        "from": [msg["from"].addresses[0].display_name, msg["from"].addresses[0].addr_spec],
        "to": [[a.display_name, a.addr_spec] for a in msg["to"].addresses],
        "reply_to": [[a.display_name, a.addr_spec] for a in msg["reply-to"].addresses] if msg["reply-to"] else [],
        "subject": str(msg["subject"]),
        "defects": len(msg.defects),
        "leaves": leaves,
    }


def base(subject, body, cte=None):
    msg = EmailMessage()
    msg["From"] = "Zoë Ågren <zoe@example.org>"
    msg["To"] = "Bob Ray <bob@example.org>"
    msg["Subject"] = subject
    if cte:
        msg.set_content(body, cte=cte)
    else:
        msg.set_content(body)
    return msg


def made():
    binary = bytes(range(256)) * 5
    out = []
    m = base("Grüße aus Köln", "Hällo\nzweite Zeile\n", "quoted-printable")
    out.append((m, "Hällo\nzweite Zeile\n", []))
    m = base("plain base64", "naïve text\n", "base64")
    out.append((m, "naïve text\n", []))
    m = base("alternative", "Plain text\n")
    m.add_alternative("<p>Html €</p>\n", subtype="html")
    out.append((m, "Plain text\n", [("_alt.0", "<p>Html €</p>\r\n".encode())]))
    m = base("mixed ☃", "Body text\n")
    m.add_alternative("<p>Body</p>\n", subtype="html")
    m.add_attachment(binary, maintype="application", subtype="octet-stream", filename="résumé €.bin")
    m.add_attachment("Zeile 1\nZeile 2\n".encode("utf-8"), maintype="text", subtype="plain",
                     filename="notes.txt", cte="quoted-printable")
    out.append((m, "Body text\n", [("_alt.0", b"<p>Body</p>\r\n"), ("résumé €.bin", binary),
                                   ("notes.txt", "Zeile 1\nZeile 2\n".encode())]))
    m = base("single attachment", "")
    m.set_content(b"Zeile 1\nZeile 2\n", maintype="text", subtype="plain", cte="7bit", disposition="attachment",
                  filename="notes.txt")
    out.append((m, "", [("notes.txt", b"Zeile 1\r\nZeile 2\r\n")]))
    return [{"text": base64.b64encode(m.as_bytes(policy=policy.SMTP)).decode(), "subject": str(m["subject"]),
             "body": body, "attachments": [[n, base64.b64encode(d).decode()] for n, d in atts]}
            for m, body, atts in out]


if __name__ == "__main__":
    if sys.argv[1] == "parse":
        json.dump(parse(sys.stdin.buffer.read()), sys.stdout)
    else:
        json.dump(made(), sys.stdout)
