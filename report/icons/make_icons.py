#!/usr/bin/env python3
"""Draws the preview window's fifteen 16 x 16 tool button pictures side by
side into one 24-bit BMP, QRPREVBUTTONS.bmp, beside this script. Magenta
is the transparent colour of the tool bar's image list.

In tool bar order: zoom to fit, zoom to width, 100 %, first page, previous
page, next page, last page, go to page, search, copy page, printer set-up,
print, load report, save report, cancel the report."""
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
from pixel_icons import Icon, save_bmp  # noqa: E402

S = 16
MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)
DARK = (64, 64, 64)
GREY = (128, 128, 128)
SILVER = (192, 192, 192)
LIGHT = (224, 224, 224)
WHITE = (255, 255, 255)
NAVY = (0, 0, 128)
BLUE = (40, 90, 200)
CYAN = (170, 220, 250)
GREEN = (0, 150, 40)
YELLOW = (250, 210, 80)
OCHRE = (190, 140, 30)
RED = (210, 30, 30)
BROWN = (120, 70, 20)


def blank():
    return Icon(S, MAGENTA)


def page(icon, l, t, r, b, lines=True):
    icon.rect(l, t, r, b, WHITE)
    icon.frame(l, t, r, b, DARK)
    if lines:
        for y in range(t + 2, b - 2, 2):
            icon.rect(l + 2, y, r - 2, y + 1, SILVER)


def left_arrow(icon, right, centre=8):
    icon.poly([(right, centre - 5.5), (right, centre + 5.5), (right - 6, centre)], NAVY)


def right_arrow(icon, left, centre=8):
    icon.poly([(left, centre - 5.5), (left + 6, centre), (left, centre + 5.5)], NAVY)


def magnifier(icon, cx, cy, radius):
    icon.disc(cx, cy, radius, CYAN)
    icon.disc(cx, cy, radius, NAVY, radius - 1.3)
    reach = radius * 0.7
    icon.line(cx + reach, cy + reach, cx + reach + 4.5, cy + reach + 4.5, BROWN, 2.4)


def printer(icon, top=0):
    icon.rect(4, 1 + top, 12, 7 + top, WHITE)
    icon.frame(4, 1 + top, 12, 7 + top, DARK)
    icon.rect(1, 6 + top, 15, 12 + top, SILVER)
    icon.frame(1, 6 + top, 15, 12 + top, DARK)
    icon.rect(3, 8 + top, 5, 9 + top, GREEN)
    icon.rect(4, 10 + top, 12, 15, WHITE)
    icon.frame(4, 10 + top, 12, 15, DARK)


def zoom_fit():
    icon = blank()
    page(icon, 5, 3, 11, 13)
    for x, y, sx, sy in ((1, 1, 1, 1), (14, 1, -1, 1), (1, 14, 1, -1), (14, 14, -1, -1)):
        icon.rect(min(x, x + 3 * sx), y, max(x, x + 3 * sx) + 1, y + 1, NAVY)
        icon.rect(x, min(y, y + 3 * sy), x + 1, max(y, y + 3 * sy) + 1, NAVY)
    return icon


def zoom_width():
    icon = blank()
    page(icon, 3, 1, 13, 15)
    icon.rect(2, 7, 14, 9, NAVY)
    icon.poly([(4, 3.5), (4, 12.5), (0, 8)], NAVY)
    icon.poly([(12, 3.5), (16, 8), (12, 12.5)], NAVY)
    return icon


def zoom_100():
    icon = blank()
    magnifier(icon, 6.5, 6.5, 5.5)
    icon.rect(6, 4, 8, 10, NAVY)
    icon.rect(5, 5, 6, 6, NAVY)
    return icon


def first_page():
    icon = blank()
    icon.rect(3, 3, 5, 13, NAVY)
    left_arrow(icon, 12)
    return icon


def previous_page():
    icon = blank()
    left_arrow(icon, 11)
    return icon


def next_page():
    icon = blank()
    right_arrow(icon, 5)
    return icon


def last_page():
    icon = blank()
    right_arrow(icon, 4)
    icon.rect(11, 3, 13, 13, NAVY)
    return icon


def goto_page():
    icon = blank()
    page(icon, 7, 1, 15, 15)
    icon.rect(1, 7, 6, 9, GREEN)
    icon.poly([(5, 3.5), (10, 8), (5, 12.5)], GREEN)
    return icon


def find_text():
    icon = blank()
    page(icon, 1, 1, 11, 14)
    magnifier(icon, 9, 9, 4)
    return icon


def copy_page():
    icon = blank()
    page(icon, 1, 1, 10, 11)
    page(icon, 6, 5, 15, 15)
    return icon


def printer_setup():
    icon = blank()
    printer(icon, 1)
    # a small gear over the printer's right shoulder
    for y in range(S):
        for x in range(S):
            dx, dy = x + 0.5 - 11.5, y + 0.5 - 4.5
            r = math.hypot(dx, dy)
            tooth = math.cos(4 * math.atan2(dy, dx)) > 0.2
            if r <= 3.0 or (r <= 4.4 and tooth):
                icon.px[y][x] = DARK
            if r <= 1.2:
                icon.px[y][x] = LIGHT
    return icon


def print_pages():
    icon = blank()
    printer(icon)
    return icon


def load_report():
    icon = blank()
    icon.rect(1, 3, 6, 5, OCHRE)
    icon.rect(1, 4, 13, 14, OCHRE)
    icon.frame(1, 4, 13, 14, BROWN)
    icon.poly([(4, 7), (16, 7), (13, 14), (1, 14)], YELLOW)
    icon.line(4, 7, 15.5, 7, BROWN, 1)
    return icon


def save_report():
    icon = blank()
    icon.rect(1, 1, 15, 15, BLUE)
    icon.frame(1, 1, 15, 15, NAVY)
    icon.rect(4, 1, 12, 6, SILVER)
    icon.rect(9, 2, 11, 5, NAVY)
    icon.rect(3, 9, 13, 15, WHITE)
    icon.rect(4, 11, 12, 12, SILVER)
    return icon


def cancel_report():
    icon = blank()
    icon.disc(8, 8, 7.2, RED)
    icon.line(5, 5, 11, 11, WHITE, 2.2)
    icon.line(11, 5, 5, 11, WHITE, 2.2)
    return icon


ICONS = [zoom_fit, zoom_width, zoom_100, first_page, previous_page, next_page, last_page, goto_page,
         find_text, copy_page, printer_setup, print_pages, load_report, save_report, cancel_report]



if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    save_bmp([draw() for draw in ICONS], os.path.join(here, "QRPREVBUTTONS.bmp"))
