#!/usr/bin/env python3
"""Writes voucher_golden.tsv: consumption tax and amount texts of the voucher
window, computed with Python's decimal module rather than our own code.

Tax: t = |amount| x rate / 100 rounded to 1/10000 (halves to even); then
mode 1 rounds t + 0.0001, mode 2 truncates t, mode 3 rounds t + 0.4999 to a
whole number (halves to even); the sign of the amount is kept; kind 1 is
always 0.

Amount texts: the number grouped by thousands with the given decimals,
halves away from zero; text that is not a number gives "0".

Lines:  tax <TAB> kind <TAB> mode <TAB> amount <TAB> rate <TAB> tax
        text <TAB> source text <TAB> decimals <TAB> shown text

Run: python3 voucher_golden.py > voucher_golden.tsv
"""
from decimal import Decimal, ROUND_HALF_EVEN, ROUND_HALF_UP, ROUND_DOWN, InvalidOperation

Q4 = Decimal("0.0001")
ONE = Decimal("1")


def tax(kind, mode, amount, rate):
    if kind == 1:
        return Decimal(0)
    a = Decimal(amount)
    sign = -1 if a < 0 else 1
    t = (abs(a) * Decimal(rate) / 100).quantize(Q4, rounding=ROUND_HALF_EVEN)
    if mode == 1:
        n = (t + Q4).quantize(ONE, rounding=ROUND_HALF_EVEN)
    elif mode == 2:
        n = t.quantize(ONE, rounding=ROUND_DOWN)
    elif mode == 3:
        n = (t + Decimal("0.4999")).quantize(ONE, rounding=ROUND_HALF_EVEN)
    else:
        return Decimal(0)
    return n * sign


def shown(text, decimals):
    t = text.strip()
    if not t:
        return "0"
    kept = ""
    for c in t:
        if c == ",":
            continue
        if c in "0123456789.+-":
            kept += c
        else:
            return "0"
    try:
        v = Decimal(kept)
    except InvalidOperation:
        return "0"
    q = Decimal(1).scaleb(-decimals)
    return "{:,.{}f}".format(v.quantize(q, rounding=ROUND_HALF_UP), decimals)


TAX_CASES = [
    (2, 1, "50", "5"), (2, 1, "70", "5"), (2, 1, "9", "5"), (2, 1, "30", "5"), (2, 1, "29", "5"),
    (2, 1, "10", "5"), (2, 1, "-300", "5"), (2, 1, "49.998", "5"), (2, 1, "69.998", "5"),
    (2, 1, "0", "5"), (2, 1, "1234567", "5"), (2, 1, "-70", "5"), (2, 1, "0.0001", "5"),
    (2, 2, "99", "5"), (2, 3, "99", "5"), (2, 2, "-99", "5"), (2, 3, "-99", "5"),
    (2, 3, "40.004", "5"), (2, 3, "40.002", "5"), (2, 3, "60.002", "5"), (2, 2, "1999", "8"),
    (2, 1, "12345.6789", "8"), (2, 3, "12345.6789", "10"), (1, 1, "500", "5"), (2, 4, "500", "5"),
    (2, 1, "922337203685477", "5"), (2, 2, "922337203685477", "100"),
]

TEXT_CASES = [
    ("1234567", 0), ("1,2,3", 0), ("12a", 0), ("", 0), ("  42  ", 0), ("-1234.5", 0), ("1234.5", 0),
    ("2.5", 0), ("0.125", 2), ("-0.125", 2), ("1000000.005", 2), ("+17", 1), ("1-2", 0), ("..", 0),
    ("-", 0), ("9,999,999.4", 0), ("1 2", 0),
]

for kind, mode, amount, rate in TAX_CASES:
    print("tax\t{}\t{}\t{}\t{}\t{}".format(kind, mode, amount, rate, tax(kind, mode, amount, rate)))
for text, decimals in TEXT_CASES:
    print("text\t{}\t{}\t{}".format(text, decimals, shown(text, decimals)))
