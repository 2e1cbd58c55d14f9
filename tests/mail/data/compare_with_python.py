"""Compares what `pvmail decode` reads from message files with Python's email.

Usage: compare_with_python.py PVMAIL [--json] [--expected LIST] [FILE...]

Without files, every message in corpus/ beside this script is compared. Each
difference is printed as "file: kind: detail", then the number of files per
kind; --json prints {file: [[kind, detail], ...]} instead. Exit status 0 when
nothing differs, 1 when something does, 2 when pvmail cannot be run. With
--expected, LIST names the differences judged Python's or the message's own
("file kind  # why" a line): the status is 0 when exactly those remain.

What counts as the same:
- text, with line ends made alike and trailing blank lines dropped;
- an address name given the old way as a comment, "addr (Name)", which email
  reads as no name; the null address "<>" and an empty one;
- an attachment whose decoded bytes equal Python's; outside base64 and
  uuencode also after CR LF line ends; a message/* part after both are
  written again by email.
Files uuencoded in the body text are attachments, their lines no body text.
Attachments our decoder names "_alt.N" are matched against the alternatives of
the body, the rest against Python's attachments and the files uuencoded in its
body text. A message with MIME headers whose MIME-Version is not exactly "1.0"
is read as plain text on purpose: its body and attachment differences are
reported as one.
"""
import collections
import hashlib
import json
import pathlib
import re
import subprocess
import sys
import tempfile

from python_summary import UU_BEGIN, reread, summarize

HERE = pathlib.Path(__file__).resolve().parent
PARSE_FAILURE = "The following error has been occured while processing the message:"
# Transfer encodings whose decoded bytes carry their own line ends; in any other
# the lines of a part may end in LF in a file and in CR LF on the wire.
ENCODED = ("base64", "x-uuencode", "x-uue", "uuencode")
MIME_HEADER = re.compile(r"^content-(type|transfer-encoding|disposition):", re.IGNORECASE)


def decode(pvmail, path):
    """Our decoder's JSON for path, with each attachment's bytes under "data" where saved."""
    with tempfile.TemporaryDirectory() as directory:
        run = subprocess.run([pvmail, "decode", str(path), "--save-attachments", directory],
                             capture_output=True, timeout=60)
        if run.returncode != 0:
            return None, run.stderr.decode("utf-8", "replace").strip()
        saved = {hashlib.sha256(data).hexdigest(): data
                 for data in (f.read_bytes() for f in pathlib.Path(directory).iterdir())}
    ours = json.loads(run.stdout)
    for attachment in ours["attachments"]:
        attachment["data"] = saved.get(attachment["sha256"])
    return ours, ""


def lines_of(text):
    lines = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
    while lines and not lines[-1].strip():
        lines.pop()
    return lines


def squeezed(lines):
    return " ".join(" ".join(lines).split())


def without_uuencoded(lines):
    """The lines outside begin ... end blocks: our decoder takes those out of the body."""
    kept, inside = [], False
    for line in lines:
        if UU_BEGIN.match(line):
            inside = True
        elif inside and line.strip().lower() == "end":
            inside = False
        elif not inside:
            kept.append(line)
    return kept


def compare_body(python, ours):
    kind, theirs = python["body"]["kind"], lines_of(python["body"]["text"])
    if python["uuencoded"]:
        theirs = without_uuencoded(theirs)
    mine = lines_of("\n".join(ours["body"]))
    if kind == "html" and mine and mine == theirs and not ours["contentType"].lower().startswith("text/html"):
        return [("html-not-marked", ours["contentType"] or "(no content type)")]
    if mine == theirs:
        return []
    if kind == "none":
        return [("body-from-non-text-part", repr(squeezed(mine)[:60]))]
    if not mine:
        return [("body-missing", f"{kind}, {len(theirs)} lines")]
    if any(MIME_HEADER.match(l) for l in mine) and not any(MIME_HEADER.match(l) for l in theirs):
        return [("body-shows-mime", f"{kind}: {first_difference(mine, theirs)}")]
    if [l.rstrip() for l in mine] == [l.rstrip() for l in theirs]:
        return [("body-trailing-space", kind)]
    if squeezed(mine) == squeezed(theirs):
        return [("body-line-breaks", kind)]
    return [("body-text", f"{kind}: {first_difference(mine, theirs)}")]


def first_difference(mine, theirs):
    for i, (a, b) in enumerate(zip(mine, theirs)):
        if a != b:
            return f"line {i + 1}: ours {a[:50]!r}, python {b[:50]!r}"
    return f"ours {len(mine)} lines, python {len(theirs)} lines"


def same_name(mine, theirs, headers):
    return mine == theirs or not theirs and f"({mine})" in headers


def compare_addresses(field, python, ours):
    theirs, mine = python[field], ours[field]
    if field == "from":
        theirs, mine = theirs[:1], [a for a in [mine] if a["address"] or a["name"]]
    addresses = [[a["address"].strip().lower().replace("<>", "") for a in side] for side in (mine, theirs)]
    if addresses[0] != addresses[1]:
        return [(f"{field}-addresses", f"ours {addresses[0]}, python {addresses[1]}")]
    names = [[" ".join(a["name"].strip('" ').split()) for a in side] for side in (mine, theirs)]
    headers = "\n".join(ours["headers"])
    if not all(same_name(m, t, headers) for m, t in zip(*names)):
        return [(f"{field}-names", f"ours {names[0]}, python {names[1]}")]
    return []


def canonical(data):
    return data.replace(b"\r\n", b"\n").rstrip(b"\n")


def same_data(entry, mine):
    if mine["sha256"] == entry["sha256"]:
        return True
    if entry["transfer_encoding"] in ENCODED or mine["data"] is None:
        return False
    data = mine["data"]
    if entry["content_type"] and entry["content_type"].startswith("message/"):
        data = reread(entry["content_type"], data)
    return canonical(data) == canonical(entry["data"])


def match(expected, mine, kind):
    """Pairs expected Python leaves with our attachments; returns differences and what is left of mine."""
    differences, left = [], list(mine)
    for entry in expected:
        found = next((m for m in left if same_data(entry, m)), None)
        if found is None:
            found = next((m for m in left if entry["filename"] and m["fileName"] == entry["filename"]), None)
            if found is None:
                differences.append((f"{kind}-missing", f"{entry['filename']} {entry['content_type']} "
                                                       f"{entry['size']} bytes"))
                continue
            differences.append((f"{kind}-data", f"{entry['filename']}: ours {found['size']} bytes, "
                                                f"python {entry['size']}"))
        elif entry["filename"] and found["fileName"] != entry["filename"]:
            differences.append((f"{kind}-name", f"ours {found['fileName']!r}, python {entry['filename']!r}"))
        left.remove(found)
    return differences, left


def compare_attachments(python, ours):
    mine = [a for a in ours["attachments"] if a["fileName"] != "original.eml"]
    alternatives = [a for a in mine if a["fileName"].startswith("_alt.")]
    others = [a for a in mine if not a["fileName"].startswith("_alt.")]
    differences, left_alternatives = match(python["alternatives"], alternatives, "alternative")
    uuencoded = [dict(u, content_type=None, transfer_encoding="x-uuencode") for u in python["uuencoded"]]
    more, left = match(python["attachments"] + uuencoded, others + left_alternatives, "attachment")
    differences += more
    differences += [("attachment-extra", f"{a['fileName']} {a['contentType']} {a['size']} bytes") for a in left]
    return differences


def compare(pvmail, path):
    ours, error = decode(pvmail, path)
    if ours is None:
        return [("decode-error", error)]
    python = summarize(path.read_bytes(), keep_data=True)
    differences = []
    for field in ("from", "to", "cc"):
        differences += compare_addresses(field, python, ours)
    if " ".join(ours["subject"].split()) != python["subject"]:
        differences.append(("subject", f"ours {ours['subject'][:60]!r}, python {python['subject'][:60]!r}"))
    if PARSE_FAILURE in ours["body"]:
        return differences + [("parse-failure", ours["body"][ours["body"].index(PARSE_FAILURE) + 1])]
    structure = compare_body(python, ours) + compare_attachments(python, ours)
    version = python["mime_version"]
    typed = any(MIME_HEADER.match(h) for h in ours["headers"])
    if structure and typed and (version is None or version.strip() != "1.0"):
        if version is None:
            return differences + [("mime-version-missing", "read as plain text")]
        return differences + [("mime-version-other", f"{version!r} read as plain text")]
    return differences + structure


def read_expected(path):
    """The (file, kind) pairs of an expected-differences list."""
    pairs = set()
    for line in pathlib.Path(path).read_text(encoding="utf-8").splitlines():
        words = line.split("#", 1)[0].split()
        if len(words) == 2:
            pairs.add((words[0], words[1]))
    return pairs


def check_expected(results, expected):
    """0 when the differences found are exactly the expected ones, else 1, saying which are not."""
    found = {(pathlib.Path(name).name, kind) for name, differences in results.items() for kind, _ in differences}
    for name, kind in sorted(found - expected):
        print(f"unexpected: {name} {kind}")
    for name, kind in sorted(expected - found):
        print(f"no longer differs (take it off the list): {name} {kind}")
    print(f"{len(found)} differences, {len(found & expected)} of them expected")
    return 0 if found == expected else 1


def main(arguments):
    as_json = "--json" in arguments
    arguments = [a for a in arguments if a != "--json"]
    expected = None
    if "--expected" in arguments:
        at = arguments.index("--expected")
        expected = read_expected(arguments[at + 1])
        del arguments[at:at + 2]
    if not arguments:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    pvmail, files = arguments[0], [pathlib.Path(f) for f in arguments[1:]]
    files = files or sorted((HERE / "corpus").glob("*.eml"))
    try:
        results = {str(f): compare(pvmail, f) for f in files}
    except OSError as e:
        print(f"cannot run {pvmail}: {e}", file=sys.stderr)
        return 2
    if as_json:
        print(json.dumps(results, indent=1, ensure_ascii=False))
    else:
        counts = collections.Counter()
        for name, differences in results.items():
            for kind, detail in differences:
                print(f"{pathlib.Path(name).name}: {kind}: {detail}")
            counts.update({kind for kind, _ in differences})
        for kind, count in sorted(counts.items()):
            print(f"{count:5} files  {kind}")
        print(f"{sum(1 for d in results.values() if d)} of {len(results)} files differ")
    if expected is not None:
        return check_expected(results, expected)
    return 1 if any(results.values()) else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
