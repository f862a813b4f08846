#!/usr/bin/env python3
"""Writes halfwidth_table.txt: the full-width to half-width pairs of the edit
controls' conversion table, derived from Unicode's compatibility mappings
(NFKC) rather than from our own table.

Each line: full-width code point, a tab, the half-width code points (one, or
two for a voiced or semi-voiced letter). A full-width character listed twice
converts to the partner of its first line.

Run: python3 halfwidth_table.py > halfwidth_table.txt
"""
import unicodedata


def nfkc(s):
    return unicodedata.normalize("NFKC", s)


# Where the table deliberately departs from NFKC: the typographic quotes stand
# for the straight ones, the ideographic comma for the comma, the yen sign for
# the backslash (so the full-width comma U+FF0C and backslash U+FF3C are not
# converted), the ideographic space for the half-width middle dot (so U+30FB
# is not converted), and the spacing sound marks for the half-width ones
# (NFKC maps those to the combining marks U+3099/U+309A).
DEVIATIONS = {
    '"': "\u201d",
    "'": "\u2019",
    ",": "\u3001",
    "\\": "\uffe5",
    "\uff65": "\u3000",
    "\uff9e": "\u309b",
    "\uff9f": "\u309c",
}
# Voiced letters with a half-width spelling that the table leaves out.
EXCLUDED = {"\u30f4", "\u30f7", "\u30fa"}  # VU, VA, VO

FULL_WIDTH_CANDIDATES = [chr(c) for c in range(0x3000, 0x3100)] + [chr(c) for c in range(0xFF01, 0xFF5F)]


def full_width_of(h):
    if h in DEVIATIONS:
        return DEVIATIONS[h]
    found = [f for f in FULL_WIDTH_CANDIDATES if f != h and nfkc(f) == nfkc(h) and len(nfkc(h)) == 1]
    if len(found) != 1:
        raise SystemExit("no single full-width form for U+%04X: %r" % (ord(h), found))
    return found[0]


def main():
    pairs = []
    singles = [chr(c) for c in range(0x20, 0x7F)] + [chr(c) for c in range(0xFF61, 0xFFA0)]
    for h in singles:
        pairs.append((full_width_of(h), h))
    bases = [chr(c) for c in range(0xFF66, 0xFF9E)]
    for f in (chr(c) for c in range(0x30A1, 0x30FB)):
        if f in EXCLUDED:
            continue
        for b in bases:
            for mark in ("\uff9e", "\uff9f"):
                if nfkc(b + mark) == f:
                    pairs.append((f, b + mark))
    for f, h in pairs:
        print("%04X\t%s" % (ord(f), " ".join("%04X" % ord(c) for c in h)))


if __name__ == "__main__":
    main()
