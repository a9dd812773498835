"""Numbers as the viewer reads and writes them.

The viewer reads a real number as the C library's "%lf" does: decimal or
hexadecimal ("0x1p-3"), "inf", "infinity" and "nan" in any case, an
exponent without digits ignored ("1e+" reads 1), and a run of characters
such as "1.5-2" read as two numbers. Decimal text converts to the same
double with Python's float() as with the C library, both correctly rounded.
"""

import math
import re

# White space as the C library's formatted input skips it; bytes.split()
# with no argument splits on exactly these.
SCAN_SPACE = b" \t\n\v\f\r"

# A plain decimal number, which float() reads as the viewer does.
_PLAIN = rb"[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?"
_PLAIN_ONE = re.compile(_PLAIN + rb"\Z")
_PLAIN_RUN = re.compile(rb"(?:" + _PLAIN + rb"(?: |\Z))*\Z")
_DECIMAL_TEXT = re.compile(r"[+-]?(?:[0-9]+\.?[0-9]*|\.[0-9]+)(?:[eE][+-]?[0-9]+)?\Z")


def _is_digit(c, hexadecimal):
    return c in b"0123456789abcdefABCDEF" if hexadecimal else c in b"0123456789"


def scan_real(text, start):
    """The end of the number that begins at `start` in the bytes `text`, as
    "%lf" takes it, and its value; None when no number stands there."""
    i, end = start, len(text)

    def at(k):
        return text[k : k + 1].lower()

    if at(i) in (b"+", b"-"):
        i += 1
    if at(i) == b"i":
        if text[i : i + 3].lower() != b"inf":
            return None
        i += 3
        if at(i) == b"i":
            if text[i : i + 5].lower() != b"inity":
                return None
            i += 5
        return i, _convert(text[start:i])
    if at(i) == b"n":
        if text[i : i + 3].lower() != b"nan":
            return None
        i += 3  # "nan(...)" is not taken: the "(" is left
        return i, _convert(text[start:i])
    hexadecimal = False
    digits = 0
    if at(i) == b"0":
        i += 1
        if at(i) == b"x":
            i += 1
            hexadecimal = True
        else:
            digits = 1
    while i < end and _is_digit(text[i : i + 1], hexadecimal):
        i, digits = i + 1, digits + 1
    if at(i) == b".":
        i += 1
        while i < end and _is_digit(text[i : i + 1], hexadecimal):
            i, digits = i + 1, digits + 1
    if digits == 0:
        return None
    mantissa_end = i
    if at(i) == (b"p" if hexadecimal else b"e"):
        i += 1
        if at(i) in (b"+", b"-"):
            i += 1
        exponent_digits = i
        while i < end and _is_digit(text[i : i + 1], False):
            i += 1
        if i == exponent_digits:  # an exponent without digits is ignored
            return i, _convert(text[start:mantissa_end])
    return i, _convert(text[start:i])


def _convert(token):
    """The double the C library converts a complete token to."""
    text = token.decode("ascii")
    body = text.lstrip("+-")
    if body[:2].lower() == "0x":
        sign = -1.0 if text.startswith("-") else 1.0
        try:
            return sign * float.fromhex(body)
        except OverflowError:
            return sign * math.inf
    return float(text)


def read_reals(data, count):
    """Up to `count` white-space separated numbers from the start of the
    bytes `data`, as repeated "%lf" reads take them: a list of floats, and
    True when the reading stopped at text that is not a number."""
    tokens = data.split(None, count)[:count]
    if _PLAIN_RUN.match(b" ".join(tokens)):
        return [float(t) for t in tokens], False
    values = []
    for token in data.split():
        at = 0
        while at < len(token):
            scanned = scan_real(token, at)
            if scanned is None:
                return values, True
            at, value = scanned
            values.append(value)
            if len(values) == count:
                return values, False
    return values, False


def read_cell(cell):
    """The bytes `cell` read as exactly one number, or None."""
    if _PLAIN_ONE.match(cell):
        return float(cell)
    scanned = scan_real(cell, 0) if cell else None
    return scanned[1] if scanned and scanned[0] == len(cell) else None


def read_decimal(text):
    """A finite decimal number with nothing around it (no hexadecimal, no
    "inf"), refusing values too small for a double; None otherwise."""
    if not _DECIMAL_TEXT.match(text):
        return None
    value = float(text)
    mantissa = re.split("[eE]", text)[0]
    if not math.isfinite(value) or (value == 0 and mantissa.strip("+-.0")):
        return None
    if value != 0 and abs(value) < 2.2250738585072014e-308:
        return None
    return value


def format_real(value):
    """The shortest text that reads back as exactly `value`: Python's repr,
    without the ".0" of a whole number."""
    text = repr(float(value))
    return text[:-2] if text.endswith(".0") else text
