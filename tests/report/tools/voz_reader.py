#!/usr/bin/env python3
"""Reference reader of report files, written apart from the C++ page list.

usage: voz_reader.py FILE OUTDIR
Checks the 128-byte header, every record's links and trailer, and writes each
page's metafile bytes (expanded when the file is compressed) to
OUTDIR/page<N>.emf. Prints one line "pages=<n> compressed=<0|1> last=<offset>"
on success; exits 1 with a reason on the first fault.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import splay_coder  # noqa: E402


def fail(why):
    print(why)
    sys.exit(1)


def main():
    path, outdir = sys.argv[1], sys.argv[2]
    data = open(path, "rb").read()
    if len(data) < 128:
        fail("short header")
    code1, code2 = struct.unpack_from("<HH", data, 0)
    count = struct.unpack_from("<i", data, 8)[0]
    compressed = data[25]
    if (code1, code2) != (3, 50):
        fail("format codes %d %d" % (code1, code2))
    if data[26:126] != b"H" * 100:
        fail("filler")
    if any(data[i] for i in list(range(4, 8)) + list(range(12, 16)) + [24, 126, 127]):
        fail("reserved bytes not zero")
    if compressed not in (0, 1):
        fail("compression flag %d" % compressed)
    pos = 128
    number = 0
    while pos < len(data):
        number += 1
        page, nxt = struct.unpack_from("<ii", data, pos)
        if page != number:
            fail("record %d numbered %d" % (number, page))
        if not pos + 12 <= nxt <= len(data):
            fail("record %d next %d" % (number, nxt))
        trailer = struct.unpack_from("<i", data, nxt - 4)[0]
        if trailer != pos:
            fail("record %d trailer %d" % (number, trailer))
        body = data[pos + 8:nxt - 4]
        if compressed:
            length = struct.unpack_from("<i", body, 0)[0]
            code = body[4:]
            emf = splay_coder.expand(code, length)
            if splay_coder.compress(emf)[0] != code:
                fail("record %d code is not the canonical coding" % number)
        else:
            emf = body
            if struct.unpack_from("<I", emf, 48)[0] != len(emf):
                fail("record %d metafile length" % number)
        with open(os.path.join(outdir, "page%d.emf" % number), "wb") as f:
            f.write(emf)
        pos = nxt
    if number != count:
        fail("header counts %d pages, file holds %d" % (count, number))
    print("pages=%d compressed=%d last=%d" % (number, compressed, struct.unpack_from("<i", data, len(data) - 4)[0]))


if __name__ == "__main__":
    main()
