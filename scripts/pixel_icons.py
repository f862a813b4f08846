"""Pixel drawing for the icon scripts (display/icons, report/icons): a
square icon of RGB pixels with a few fills, and a writer of 24-bit BMP
files holding one icon or several side by side."""
import math
import struct


class Icon:
    def __init__(self, size, background):
        self.size = size
        self.px = [[background] * size for _ in range(size)]

    def pixels(self):
        """The pixel centres, row by row."""
        for y in range(self.size):
            for x in range(self.size):
                yield x, y, x + 0.5, y + 0.5

    def rect(self, l, t, r, b, colour):
        """Fills columns l..r-1 of rows t..b-1."""
        for y in range(max(t, 0), min(b, self.size)):
            for x in range(max(l, 0), min(r, self.size)):
                self.px[y][x] = colour

    def frame(self, l, t, r, b, colour):
        self.rect(l, t, r, t + 1, colour)
        self.rect(l, b - 1, r, b, colour)
        self.rect(l, t, l + 1, b, colour)
        self.rect(r - 1, t, r, b, colour)

    def poly(self, points, colour):
        """Fills a convex polygon given clockwise (y down), by pixel centres."""
        edges = [(points[i], points[(i + 1) % len(points)]) for i in range(len(points))]
        for x, y, px, py in self.pixels():
            if all((x2 - x1) * (py - y1) - (y2 - y1) * (px - x1) >= 0 for (x1, y1), (x2, y2) in edges):
                self.px[y][x] = colour

    def disc(self, cx, cy, radius, colour, inner=0.0):
        for x, y, px, py in self.pixels():
            if inner * inner <= (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius:
                self.px[y][x] = colour

    def line(self, x1, y1, x2, y2, colour, width=1.0):
        """A stroke between two points, width pixels across."""
        dx, dy = x2 - x1, y2 - y1
        for x, y, px, py in self.pixels():
            t = max(0.0, min(1.0, ((px - x1) * dx + (py - y1) * dy) / float(dx * dx + dy * dy)))
            if math.hypot(px - (x1 + t * dx), py - (y1 + t * dy)) <= width / 2:
                self.px[y][x] = colour


def save_bmp(icons, path):
    """Writes the icons side by side as one 24-bit BMP."""
    size = icons[0].size
    rows = []
    for y in reversed(range(size)):  # bottom up, pixels B, G, R
        row = b"".join(bytes((p[2], p[1], p[0])) for icon in icons for p in icon.px[y])
        rows.append(row + b"\0" * (-len(row) % 4))
    image = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, size * len(icons), size, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)
