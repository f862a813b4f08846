#!/usr/bin/env python3
"""Draws the folder tree's nine 32 x 32 icons as 24-bit BMP files
(BITMAP00.bmp .. BITMAP08.bmp beside this script). White is the
transparent colour of the tree's image list.

0 fixed drive, 1 folder tree, 2 network drive, 3 CD-ROM, 4 closed folder,
5 open folder, 6 document, 7 computer, 8 removable drive."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from pixel_icons import Icon, save_bmp  # noqa: E402

W = 32
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY = (160, 160, 160)
DARK = (96, 96, 96)
LIGHT = (220, 220, 220)
YELLOW = (250, 210, 80)
OCHRE = (200, 150, 40)
GREEN = (40, 200, 60)
BLUE = (60, 110, 220)
CYAN = (150, 210, 240)
RED = (220, 60, 50)


def blank():
    return Icon(W, WHITE)


def drive(body, led):
    icon = blank()
    icon.rect(3, 11, 29, 23, body)
    icon.frame(3, 11, 29, 23, DARK)
    icon.rect(4, 20, 28, 22, GREY)
    icon.rect(23, 15, 26, 18, led)
    return icon


def folder(open_):
    icon = blank()
    icon.rect(3, 7, 13, 10, OCHRE)
    icon.rect(3, 9, 28, 26, OCHRE)
    if open_:
        icon.rect(6, 12, 26, 24, WHITE)
        icon.frame(6, 12, 26, 24, GREY)
        icon.poly([(3, 26), (8, 15), (31, 15), (26, 26)], YELLOW)
    else:
        icon.rect(4, 11, 27, 25, YELLOW)
    return icon


def icons():
    fixed = drive(LIGHT, GREEN)

    tree = blank()
    tree.rect(4, 4, 12, 10, YELLOW)
    tree.rect(7, 10, 8, 26, DARK)
    tree.rect(7, 17, 16, 18, DARK)
    tree.rect(7, 25, 16, 26, DARK)
    tree.rect(16, 14, 26, 20, YELLOW)
    tree.rect(16, 22, 26, 28, YELLOW)

    network = drive(LIGHT, GREEN)
    network.rect(15, 23, 17, 29, DARK)
    network.rect(6, 28, 27, 30, DARK)

    cdrom = blank()
    cdrom.disc(16, 16, 13, GREY)
    cdrom.disc(16, 16, 12, CYAN)
    cdrom.disc(16, 16, 4, WHITE)
    cdrom.disc(16, 16, 5, DARK, inner=4)

    document = blank()
    document.rect(7, 3, 25, 29, (250, 250, 245))
    document.frame(7, 3, 25, 29, DARK)
    for y in range(8, 26, 4):
        document.rect(10, y, 22, y + 1, BLUE)

    computer = blank()
    computer.rect(4, 4, 28, 21, LIGHT)
    computer.frame(4, 4, 28, 21, DARK)
    computer.rect(7, 7, 25, 18, BLUE)
    computer.rect(13, 21, 19, 25, GREY)
    computer.rect(8, 25, 24, 28, DARK)

    removable = blank()
    removable.rect(9, 4, 23, 8, GREY)
    removable.frame(9, 4, 23, 8, DARK)
    removable.rect(7, 8, 25, 29, RED)
    removable.frame(7, 8, 25, 29, DARK)
    removable.rect(11, 12, 21, 16, LIGHT)

    return [fixed, tree, network, cdrom, folder(False), folder(True), document, computer, removable]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for i, icon in enumerate(icons()):
        save_bmp([icon], os.path.join(here, "BITMAP%02d.bmp" % i))


if __name__ == "__main__":
    main()
