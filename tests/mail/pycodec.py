"""Encodes or decodes standard input with Python's own codecs, for cross-checks.

Usage: pycodec.py MODE, MODE one of b64enc b64dec qpenc qpencbin qpdec uuenc uudec.
"""
import base64
import binascii
import quopri
import sys


def uu_encode(data):
    return b"".join(binascii.b2a_uu(data[i:i + 45]) for i in range(0, len(data), 45))


def uu_decode(text):
    return b"".join(binascii.a2b_uu(line) for line in text.splitlines() if line)


MODES = {
    "b64enc": base64.encodebytes,
    "b64dec": base64.decodebytes,
    "qpenc": quopri.encodestring,
    "qpencbin": lambda data: binascii.b2a_qp(data, istext=False),
    "qpdec": quopri.decodestring,
    "uuenc": uu_encode,
    "uudec": uu_decode,
}

sys.stdout.buffer.write(MODES[sys.argv[1]](sys.stdin.buffer.read()))
