#!/usr/bin/env python3
"""Reference vectors for the decimal reader, computed with exact fractions.

Each vector: a decimal token, then the six stored bytes it must give (or
"overflow").  The token's exact value is rounded to nearest, ties to even, to
a 64-bit significand (extended precision), then to 40 bits with the highest
dropped bit deciding (ties away from zero).  Prints C++ table rows.
"""
from fractions import Fraction
import random


def to_extended(v):
    """(sign, exponent, 64-bit significand) of v rounded to extended, or None for 0."""
    if v == 0:
        return None
    sign = v < 0
    a = abs(v)
    e = a.numerator.bit_length() - a.denominator.bit_length()
    # normalise so that 2^63 <= a * 2^(63-e) < 2^64
    while a * Fraction(2) ** (63 - e) >= 2 ** 64:
        e += 1
    while a * Fraction(2) ** (63 - e) < 2 ** 63:
        e -= 1
    if e < -16382:  # subnormal or below: the store gives zero anyway
        return None
    scaled = a * Fraction(2) ** (63 - e)
    m = scaled.numerator // scaled.denominator
    rest = scaled - m
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and m % 2 == 1):
        m += 1
    if m == 2 ** 64:
        m //= 2
        e += 1
    if e > 16383:
        return "overflow"
    return sign, e, m


def stored_bytes(ext):
    if ext is None:
        return "00 00 00 00 00 00"
    if ext == "overflow":
        return "overflow"
    sign, e, m = ext
    kept = m >> 24
    if (m >> 23) & 1:
        kept += 1
    b = e + 129
    if kept >> 40:
        kept >>= 1
        b += 1
    if b <= 0:
        return "00 00 00 00 00 00"
    if b >= 256:
        return "overflow"
    low = (kept & ((1 << 39) - 1)) | (int(sign) << 39)
    return " ".join("%02X" % x for x in [b] + [(low >> (8 * i)) & 0xFF for i in range(5)])


def value_of(token):
    t = token
    exp = 0
    if "e" in t.lower():
        i = t.lower().index("e")
        exp = int(t[i + 1:])
        t = t[:i]
    return Fraction(t if t not in ("", "+", "-") else "0") * Fraction(10) ** exp


def main():
    rng = random.Random(20261207)
    tokens = ["0.1", "0.2", "0.3", "1.1", "3.14159265358979323846", "2.5", "-7.25", "1e38", "1.7014118346e38",
              "1.70141183460469231e38", "1.8e38", "1e-38", "2.9387358770557188e-39", "2.938735877e-39",
              "1e-40", "123456789012345678901234567890", "0.000001", "9e30", "0.00001", "0.99999", "0.00002",
              "1234.5678", "-0.0", "1E+2", "1.5e-5", "65536.000001", "4503599627370497.5",
              "0.30000000000000000000000000000000000000000000000000000000000001",
              "1" + "0" * 40, "." + "0" * 30 + "1"]
    for _ in range(150):
        digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 25)))
        point = rng.randint(0, len(digits))
        token = digits[:point] + "." + digits[point:]
        if rng.random() < 0.5:
            token += "e%d" % rng.randint(-45, 40)
        if rng.random() < 0.3:
            token = "-" + token
        tokens.append(token)
    for token in tokens:
        print('        {"%s", "%s"},' % (token, stored_bytes(to_extended(value_of(token)))))


if __name__ == "__main__":
    main()
