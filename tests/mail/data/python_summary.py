"""Prints what Python's email package reads from one message file, as JSON.

Usage: python_summary.py FILE

The message is parsed with email.policy.default; if that raises, again with
compat32 ("policy" says which one answered). The summary holds:
  mime_version  the MIME-Version header as written, or null
  from, to, cc  [{"name", "address"}, ...], every header of the name, groups
                flattened
  subject       decoded, unfolded
  body          {"kind": "plain" | "html" | "none", "text"}: the first text/plain
                part that is not an attachment, else the first text/html one
  alternatives  the other leaves of the multipart/alternative holding the body
  attachments   every other leaf: {"filename" (or null), "content_type",
                "transfer_encoding", "sha256", "size"} of the transfer-decoded
                bytes; a message/* part is one leaf whose bytes are the message
                as email writes it again (reread does the same to other bytes)
  uuencoded     files uuencoded inside the body text, which email leaves as
                text: {"filename", "sha256", "size"}
  defects       the names of the defects email noted
"""
import binascii
import email
import email.header
import email.policy
import email.utils
import hashlib
import json
import re
import sys

UU_BEGIN = re.compile(r"^begin [0-7]{3,4} (.+)$")


def address_lists(message, name, policy):
    headers = message.get_all(name, [])
    if policy is email.policy.default:
        return [{"name": a.display_name, "address": a.addr_spec}
                for header in headers for a in header.addresses]
    return [{"name": decoded(display), "address": address}
            for display, address in email.utils.getaddresses([str(h) for h in headers])]


def decoded(value):
    return str(email.header.make_header(email.header.decode_header(value)))


def subject(message, policy):
    value = message.get("subject")
    if value is None:
        return ""
    text = str(value) if policy is email.policy.default else decoded(str(value))
    return " ".join(text.split())


def part_text(part):
    try:
        return part.get_content()
    except (AttributeError, LookupError):
        data = part.get_payload(decode=True) or b""
        try:
            return data.decode(part.get_content_charset() or "us-ascii", errors="replace")
        except LookupError:
            return data.decode("utf-8", errors="replace")


def is_attachment(part):
    return part.get_content_disposition() == "attachment"


def leaves(part):
    """The leaves of part's tree in order, each with the multipart/alternative holding it."""
    def walk(node, alternative):
        if node.get_content_maintype() == "multipart" and node.is_multipart():
            inner = node if node.get_content_subtype() == "alternative" else alternative
            for child in node.get_payload():
                yield from walk(child, inner)
        else:
            yield node, alternative
    return list(walk(part, None))


def find_body(all_leaves):
    for wanted in ("plain", "html"):
        for part, alternative in all_leaves:
            if part.get_content_type() == "text/" + wanted and not is_attachment(part):
                return part, alternative, wanted
    return None, None, "none"


def leaf_bytes(part):
    if part.is_multipart():
        return b"".join(inner.as_bytes(policy=email.policy.compat32) for inner in part.get_payload())
    payload = part.get_payload(decode=True)
    if payload is None:
        payload = str(part.get_payload()).encode("utf-8", errors="surrogateescape")
    return payload


def reread(content_type, data):
    """The bytes this summary gives for a part of content_type whose body is data."""
    part = email.message_from_bytes(b"Content-Type: " + content_type.encode() + b"\n\n" + data,
                                    policy=email.policy.default)
    return leaf_bytes(part)


def digest(data):
    return {"sha256": hashlib.sha256(data).hexdigest(), "size": len(data)}


def leaf_summary(part, keep_data):
    data = leaf_bytes(part)
    entry = {"filename": part.get_filename(), "content_type": part.get_content_type(),
             "transfer_encoding": str(part.get("content-transfer-encoding", "7bit")).strip().lower(),
             **digest(data)}
    if keep_data:
        entry["data"] = data
    return entry


def uuencoded_files(text, keep_data):
    files, lines = [], text.splitlines()
    for i, line in enumerate(lines):
        begin = UU_BEGIN.match(line)
        if not begin:
            continue
        data = bytearray()
        for body_line in lines[i + 1:]:
            if body_line.strip() in ("`", "end", ""):
                break
            try:
                data += binascii.a2b_uu(body_line)
            except binascii.Error:
                break
        entry = {"filename": begin.group(1).strip().strip('"'), **digest(bytes(data))}
        if keep_data:
            entry["data"] = bytes(data)
        files.append(entry)
    return files


def defects(message):
    return sorted({type(d).__name__ for part in message.walk() for d in part.defects})


def summarize_with(raw, policy, keep_data):
    message = email.message_from_bytes(raw, policy=policy)
    all_leaves = leaves(message)
    body, body_alternative, kind = find_body(all_leaves)
    text = part_text(body) if body is not None else ""
    rest = [(part, alt) for part, alt in all_leaves if part is not body]
    return {
        "policy": "default" if policy is email.policy.default else "compat32",
        "mime_version": None if message.get("mime-version") is None else str(message.get("mime-version")),
        "from": address_lists(message, "from", policy),
        "to": address_lists(message, "to", policy),
        "cc": address_lists(message, "cc", policy),
        "subject": subject(message, policy),
        "body": {"kind": kind, "text": text},
        "alternatives": [leaf_summary(p, keep_data) for p, alt in rest
                         if body_alternative is not None and alt is body_alternative],
        "attachments": [leaf_summary(p, keep_data) for p, alt in rest
                        if body_alternative is None or alt is not body_alternative],
        "uuencoded": uuencoded_files(text, keep_data) if kind == "plain" else [],
        "defects": defects(message),
    }


def summarize(raw, keep_data=False):
    try:
        return summarize_with(raw, email.policy.default, keep_data)
    except Exception:
        return summarize_with(raw, email.policy.compat32, keep_data)


if __name__ == "__main__":
    with open(sys.argv[1], "rb") as f:
        print(json.dumps(summarize(f.read()), indent=2, ensure_ascii=False))
