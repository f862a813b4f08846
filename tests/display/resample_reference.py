#!/usr/bin/env python3
"""Reference scaler for the bitmap resampler tests, written straight from the
algorithm: each destination pixel is the area average of the bilinear
surface through the source pixel centres, rounded half to even.

Usage: resample_reference.py SOURCE DEST NEW_WIDTH NEW_HEIGHT
SOURCE holds a header "W H\\n" then W*H*3 bytes (B, G, R, rows top down);
DEST receives NEW_WIDTH*NEW_HEIGHT*3 bytes in the same order."""
import math
import sys


def read_source(path):
    data = open(path, "rb").read()
    end = data.index(b"\n")
    width, height = (int(v) for v in data[:end].split())
    pixels = data[end + 1:]
    assert len(pixels) == width * height * 3
    return width, height, pixels


def resample(width, height, pixels, new_width, new_height):
    def pixel(ix, iy, ch):
        ix = min(max(ix, 0), width - 1)
        iy = min(max(iy, 0), height - 1)
        return pixels[(iy * width + ix) * 3 + ch]

    sx = width / new_width
    sy = height / new_height
    area = (width * height) / new_width / new_height
    out = bytearray()
    for y in range(new_height):
        y0 = y * sy - 0.5
        y1 = (y + 1) * sy - 0.500001
        for x in range(new_width):
            x0 = x * sx - 0.5
            x1 = (x + 1) * sx - 0.500001
            sums = [0.0, 0.0, 0.0]
            for iy in range(math.floor(y0), math.floor(y1) + 1):
                va = max(y0 - iy, 0.0)
                vb = min(y1 - iy, 1.0)
                for ix in range(math.floor(x0), math.floor(x1) + 1):
                    ua = max(x0 - ix, 0.0)
                    ub = min(x1 - ix, 1.0)
                    du = ub - ua
                    dv = vb - va
                    mu = (ua + ub) / 2
                    mv = (va + vb) / 2
                    for ch in range(3):
                        tl = pixel(ix, iy, ch)
                        tr = pixel(ix + 1, iy, ch)
                        bl = pixel(ix, iy + 1, ch)
                        br = pixel(ix + 1, iy + 1, ch)
                        a = tl
                        b = tr - tl
                        c = bl - tl
                        d = br + tl - tr - bl
                        sums[ch] += du * dv * (a + b * mu + c * mv + d * mu * mv)
            for ch in range(3):
                # Python's round() takes halves to the even neighbour.
                out.append(min(max(round(sums[ch] / area), 0), 255))
    return bytes(out)


def main():
    source, dest, new_width, new_height = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    width, height, pixels = read_source(source)
    with open(dest, "wb") as f:
        f.write(resample(width, height, pixels, new_width, new_height))


if __name__ == "__main__":
    main()
