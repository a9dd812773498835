"""The configuration file: its 14 fields and optional lines, read and written
as the viewer reads them."""

import math
import os
import re

from ._numbers import SCAN_SPACE, format_real, read_decimal, scan_real

MAX_BODIES = 30  # a classic configuration's
MAX_TABLE_BODIES = 1000  # a plain table's or a table configuration's ("data format = table")

# The label written before each field's "=", in file order; the reader skips
# whatever stands before the "=".
LABELS = (
    "data file",
    "number of data lines",
    "number of planets",
    "radii in pixels",
    "colour codes",
    "box xmin ymin xmax ymax",
    "delay in msec",
    "step",
    "points per orbit",
    "start from line",
    "sun size",
    "draw axes (0 or 1)",
    "draw planets (0 or 1)",
    "draw orbits (0 or 1)",
)

_INT32_MIN, _INT32_MAX = -(2**31), 2**31 - 1


class ConfigurationError(ValueError):
    """A configuration the viewer refuses; `code` is the number the viewer's
    message gives ("Error -4 in Config File ...")."""

    def __init__(self, path, code, what):
        super().__init__(f"Error {code} in Config File {path}: {what}")
        self.code = code


class _Scanner:
    """Reads values as the C library's formatted input does."""

    def __init__(self, data):
        self.data, self.at = data, 0

    def skip_to_equals(self):
        found = self.data.find(b"=", self.at)
        self.at = len(self.data) if found < 0 else found + 1

    def _skip_space(self):
        while self.at < len(self.data) and self.data[self.at] in SCAN_SPACE:
            self.at += 1

    def word(self):
        self._skip_space()
        start = self.at
        while self.at < len(self.data) and self.data[self.at] not in SCAN_SPACE:
            self.at += 1
        return self.data[start : self.at] if self.at > start else None

    def integer(self):
        self._skip_space()
        start = self.at
        if self.data[self.at : self.at + 1] in (b"+", b"-"):
            self.at += 1
        digits = self.at
        while self.data[self.at : self.at + 1].isdigit():
            self.at += 1
        if self.at == digits:
            return None
        magnitude = self.data[digits : self.at].lstrip(b"0") or b"0"
        value = int(magnitude) if len(magnitude) <= 10 else _INT32_MAX + 1
        value = -value if self.data[start : start + 1] == b"-" else value
        return min(max(value, _INT32_MIN), _INT32_MAX)

    def real(self):
        self._skip_space()
        scanned = scan_real(self.data, self.at)
        if scanned is None:
            return None
        self.at = scanned[0]
        return scanned[1]

    def lines(self):
        return self.data[self.at :].split(b"\n")


def _shown(text):
    """Text as the viewer shows it: control characters other than the tab,
    U+FFFE and U+FFFF become U+FFFD."""
    return "".join(
        "\ufffd" if (ord(c) < 0x20 and c != "\t") or c in "\x7f\ufffe\uffff" else c for c in text
    )


def _box_problem(box):
    """Why the box cannot be shown, as the viewer says it; "" when it can."""
    if not all(math.isfinite(v) for v in box):
        return "its ends are not all finite numbers"
    for name, lo, hi in (("x", box[0], box[2]), ("y", box[1], box[3])):
        width, size = abs(hi - lo), max(abs(lo), abs(hi))
        if not math.isfinite(width):  # ends at the largest numbers are measured by halves
            width, size = abs(hi / 2 - lo / 2), size / 2
        if width == 0 or width <= 1e-12 * size:
            return f"its {name} axis has no width"
    return ""


def read_configuration(path):
    """The configuration at `path` as a dict of what the viewer reads from it;
    raises ConfigurationError where the viewer refuses it."""
    with open(path, "rb") as file:
        scanner = _Scanner(file.read())
    c = {}

    def integer(code, what):
        scanner.skip_to_equals()
        value = scanner.integer()
        if value is None:
            raise ConfigurationError(path, code, f"{what} is not a whole number")
        return value

    scanner.skip_to_equals()
    word = scanner.word()
    c["data_file"] = word.decode("utf-8", "surrogateescape") if word else ""
    c["line_count"] = integer(-2, "the number of data lines")
    bodies = integer(-3, "the number of planets")
    if bodies < 0 or bodies > MAX_TABLE_BODIES:
        raise ConfigurationError(path, -3, f"{bodies} planets; 0 to {MAX_BODIES} can be shown")
    c["bodies"] = bodies
    if bodies <= MAX_BODIES:
        return _rest_of_fields(path, scanner, c, integer)
    # More bodies than a classic configuration may have: only a file that
    # reads whole as a table configuration may have them.
    try:
        c = _rest_of_fields(path, scanner, c, integer)
    except ConfigurationError:
        c = None
    if c is None or not c["table_format"]:
        raise ConfigurationError(path, -3, f"{bodies} planets; 0 to {MAX_BODIES} can be shown")
    return c


def _rest_of_fields(path, scanner, c, integer):
    """The fields after the number of planets and the optional lines, read
    into `c`."""
    bodies = c["bodies"]
    for key, code, what in (("radii", -4, "a radius"), ("colours", -5, "a colour code")):
        scanner.skip_to_equals()
        values = []
        for _ in range(bodies):
            value = scanner.integer()
            if value is None:
                raise ConfigurationError(path, code, f"{what} of planet {len(values) + 1} is not a whole number")
            values.append(value)
        c[key] = values
    scanner.skip_to_equals()
    box = [scanner.real() for _ in range(4)]
    if None in box:
        raise ConfigurationError(path, -6, "the box is not four numbers")
    why = _box_problem(box)
    if why:
        raise ConfigurationError(path, -6, f"the box cannot be shown: {why}")
    c["box"] = tuple(box)
    c["delay"] = integer(-8, "the delay")
    step = integer(-8, "the step")
    c["step"] = step if 1 <= step <= c["line_count"] else 1
    c["trail"] = integer(-9, "the points per orbit")
    start = integer(-10, "the start line")
    c["start"] = start if 0 <= start < c["line_count"] else 0
    for key, what in (("sun_size", "the sun size"), ("draw_axes", "draw axes"), ("draw_planets", "draw planets")):
        c[key] = integer(-11, what)
    c["draw_orbits"] = integer(-11, "draw orbits")
    c.update(_optional_lines(path, scanner.lines()[1:]))
    return c


def _optional_lines(path, lines):
    """The optional lines after the fields, recognised by the text before
    their "="; other lines are ignored."""
    c = {"names": [], "time_unit": "", "length_unit": "", "title": "", "masses": None, "sun_mass": 1.0, "gm": None}
    c.update(table_format=False, plane="xy", columns=None, equal_aspect=False, shown_bodies=[], style=None, trail_mode=None)
    for raw in lines:
        line = raw.decode("utf-8", "replace")
        if "=" not in line:
            continue
        key, value = line.split("=", 1)
        key, value = key.strip(" \t\r\f\v").lower(), value.strip(" \t\r\f\v")
        if key == "names":
            c["names"] = [_shown(word) for word in re.split("[ \t\n\v\f\r]+", value) if word]
        elif key in ("time unit", "length unit", "title"):
            c[key.replace(" ", "_")] = _shown(value)
        elif key == "data format":
            c["table_format"] = value.lower() == "table"
        elif key == "plane":
            plane = value.lower()
            body = plane[len("orbit:"):] if plane.startswith("orbit:") else ""
            if plane in ("xy", "xz", "yz", "ecliptic", "invariable") or (
                body.isascii() and body.isdigit() and int(body) >= 1 and len(body) <= 9
            ):
                c["plane"] = plane
        elif key == "columns":
            if value.lower() in ("xy", "xyz"):
                c["columns"] = value.lower()
        elif key == "equal aspect":
            c["equal_aspect"] = value == "1"
        elif key == "bodies shown":
            c["shown_bodies"] = _body_list(value)
        elif key == "style":
            if value.lower() in ("classic", "publication"):
                c["style"] = value.lower()
        elif key == "trail mode":
            if value.lower() in ("ahead", "behind", "both"):
                c["trail_mode"] = value.lower()
        elif key == "masses":
            masses = [read_decimal(word) for word in value.split()]
            c["masses"] = masses if masses and None not in masses and all(m >= 0 for m in masses) else None
        elif key == "gm":
            gm = read_decimal(value)
            c["gm"] = gm if gm is not None and gm > 0 else None
        elif key == "sun mass":
            mass = read_decimal(value)
            if mass is not None and mass >= 0:
                c["sun_mass"] = mass
    return c


def _body_list(text):
    """The bodies of a list such as "1-4,7", ascending, each once, as the
    viewer reads it; [] for a list it cannot read."""
    bodies = set()
    for item in text.split(","):
        first, dash, last = item.strip(" \t").partition("-")
        words = [first.strip(" \t"), last.strip(" \t") if dash else first.strip(" \t")]
        if not all(w.isdigit() and w.isascii() and 1 <= int(w) <= 1000000 for w in words):
            return []
        low, high = int(words[0]), int(words[1])
        if high < low or len(bodies) + high - low >= 1000000:
            return []
        bodies.update(range(low, high + 1))
    return sorted(bodies)


def data_path_of(config_path, data_file):
    """Where the data file named in a configuration lies: a relative name is
    looked up in the configuration's folder."""
    return os.path.join(os.path.dirname(os.path.abspath(config_path)), data_file)


def configuration_text(f):
    """The configuration's text for the checked fields `f` (as made by
    _fields.checked_fields), one labelled field a line, then the optional
    lines that are set."""
    values = (
        f["data_file"],
        f["line_count"],
        len(f["radii"]),
        " ".join(str(r) for r in f["radii"]),
        " ".join(str(c) for c in f["colours"]),
        " ".join(format_real(v) for v in f["box"]),
        f["delay"],
        f["step"],
        f["trail"],
        f["start"],
        f["sun_size"],
        int(f["draw_axes"]),
        int(f["draw_planets"]),
        int(f["draw_orbits"]),
    )
    lines = [f"{label} = {value}" for label, value in zip(LABELS, values)]
    if f.get("names"):
        lines.append("names = " + " ".join(f["names"]))
    for key in ("time_unit", "length_unit", "title"):
        if f.get(key):
            lines.append(f"{key.replace('_', ' ')} = {f[key]}")
    if f.get("masses") is not None:
        lines.append("masses = " + " ".join(format_real(m) for m in f["masses"]))
    if f.get("sun_mass") is not None and f["sun_mass"] != 1.0:
        lines.append(f"sun mass = {format_real(f['sun_mass'])}")
    if f.get("gm") is not None:
        lines.append(f"gm = {format_real(f['gm'])}")
    if f.get("equal_aspect"):
        lines.append("equal aspect = 1")
    for key in ("style", "trail_mode"):
        if f.get(key):
            lines.append(f"{key.replace('_', ' ')} = {f[key]}")
    return "\n".join(lines) + "\n"
