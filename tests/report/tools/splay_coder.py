#!/usr/bin/env python3
"""Reference semi-splay-tree page coder, written apart from the C++ one.

usage: splay_coder.py compress  < data > code     (prints nothing else)
       splay_coder.py bits      < data            (prints the number of code bits
                                                   after each byte, one line each)
       splay_coder.py expand N  < code > data
"""
import sys


class Tree:
    def __init__(self):
        self.parent = [0] + [(i - 1) // 2 for i in range(1, 513)]
        self.left = [2 * i + 1 for i in range(256)]
        self.right = [2 * i + 2 for i in range(256)]

    def path(self, c):
        """Bits from the root down to the leaf of byte c."""
        bits = []
        a = 256 + c
        while a != 0:
            p = self.parent[a]
            bits.append(1 if self.right[p] == a else 0)
            a = p
        return bits[::-1]

    def splay(self, c):
        a = 256 + c
        while a != 0:
            p = self.parent[a]
            if p == 0:
                break
            g = self.parent[p]
            if self.left[g] == p:
                b = self.right[g]
                self.right[g] = a
            else:
                b = self.left[g]
                self.left[g] = a
            if self.left[p] == a:
                self.left[p] = b
            else:
                self.right[p] = b
            self.parent[a] = g
            self.parent[b] = p
            a = g


def code_bits(data):
    tree = Tree()
    bits = []
    totals = []
    for c in data:
        bits += tree.path(c)
        tree.splay(c)
        totals.append(len(bits))
    return bits, totals


def compress(data):
    bits = code_bits(data)[0]
    out = bytearray((len(bits) + 7) // 8)
    for i, bit in enumerate(bits):
        if bit:
            out[i // 8] |= 1 << (i % 8)
    return bytes(out), len(bits)


def expand(code, count):
    tree = Tree()
    out = bytearray()
    pos = 0
    for _ in range(count):
        a = 0
        while a < 256:
            byte = code[pos // 8] if pos // 8 < len(code) else 0
            bit = (byte >> (pos % 8)) & 1
            pos += 1
            a = tree.right[a] if bit else tree.left[a]
        out.append(a - 256)
        tree.splay(a - 256)
    return bytes(out)


def main():
    data = sys.stdin.buffer.read()
    if sys.argv[1] == "compress":
        sys.stdout.buffer.write(compress(data)[0])
    elif sys.argv[1] == "bits":
        print("\n".join(str(n) for n in code_bits(data)[1]))
    else:
        sys.stdout.buffer.write(expand(data, int(sys.argv[2])))


if __name__ == "__main__":
    main()
