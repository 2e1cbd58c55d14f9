"""GMime as the second peer of the MIME tests, through its GObject bindings.

parse: reads a message on stdin and prints what GMime makes of it as JSON,
in the shape mimepeer.py's parse gives (without Python's defect count).
"""
import base64
import json
import sys

import gi

gi.require_version("GMime", "3.0")
from gi.repository import GMime  # noqa: E402


def mailboxes(addresses):
    if addresses is None:
        return []
    found = []
    for i in range(addresses.length()):
        address = addresses.get_address(i)
        if isinstance(address, GMime.InternetAddressMailbox):
            found.append([address.get_name() or "", address.get_addr()])
    return found


def content(part):
    out = GMime.StreamMem.new()
    part.get_content().write_to_stream(out)
    return bytes(out.get_byte_array())


def leaves(message):
    found = []
    parts = GMime.PartIter.new(message)
    while True:
        part = parts.get_current()
        if isinstance(part, GMime.Part):
            found.append({
                "type": part.get_content_type().get_mime_type(),
                "filename": part.get_filename(),
                "data": base64.b64encode(content(part)).decode(),
            })
        if not parts.next():
            return found


def parse(raw):
    parser = GMime.Parser.new_with_stream(GMime.StreamMem.new_with_buffer(raw))
    message = parser.construct_message(None)
    return {
        "from": mailboxes(message.get_from())[0],
        "to": mailboxes(message.get_to()),
        "reply_to": mailboxes(message.get_reply_to()),
        "subject": message.get_subject(),
        "leaves": leaves(message),
    }


if __name__ == "__main__":
    GMime.init()
    if sys.argv[1] == "parse":
        json.dump(parse(sys.stdin.buffer.read()), sys.stdout)
