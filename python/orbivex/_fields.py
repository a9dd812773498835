"""The keyword arguments that set a configuration's fields, checked, with the
values orbivex-gen chooses for those not given."""

import math
import numbers
import re

import numpy as np

from ._config import MAX_BODIES
from ._extent import farthest, slowest_revolution, square_half_side, went_round

# Keyword: what it sets. The order is the configuration's.
FIELD_KEYWORDS = {
    "radii": "each body's disc radius in pixels (one int for all, or one per body; default 3)",
    "colours": "each body's colour code 0 to 13 (one for all, or one per body; default: distinct codes)",
    "box": "(xmin, ymin, xmax, ymax) shown (default: a square about the origin holding every position)",
    "delay": "milliseconds between frames (default 20)",
    "step": "rows advanced per frame (default 1)",
    "trail": "rows in each trail, the configuration's points per orbit (default: one revolution)",
    "start": "the row shown first (default 0)",
    "sun_size": "the sun's radius in pixels, 0 for none (default 6, or 0 with sun_mass=0)",
    "draw_axes": "draw the axes through the origin (default True)",
    "draw_planets": "draw the bodies' discs (default True)",
    "draw_orbits": "draw the trails (default True)",
    "masses": "each body's mass, for the viewer's barycentre frame (default: none written)",
    "sun_mass": "the sun's mass, 1 when not given",
    "gm": "the sun's gravitational parameter G M in the data's units, for the elements (default: none written)",
    "equal_aspect": "turn the viewer's equal aspect on (default True)",
    "style": "the look the viewer shows the run in: 'publication' (default) or 'classic'",
    "trail_mode": "the trails' rows: 'behind' the bodies (default), 'ahead' or 'both'",
}

# The looks and trail modes a configuration's optional lines name.
STYLES = ("classic", "publication")
TRAIL_MODES = ("ahead", "behind", "both")

# orbivex-gen's colour codes, in the order bodies get them: red, dark blue,
# green, purple, orange, brown, blue, dark red, light green, olive.
DEFAULT_COLOURS = (10, 5, 4, 13, 8, 1, 12, 3, 11, 2)
_MAX_DEFAULT_TRAIL = 10000
_INT32_MAX = 2**31 - 1
# A table's palette codes (14 to 21, the viewer's Okabe-Ito colours) have no
# place in a classic configuration: each becomes the nearest classic code,
# as the viewer's classic export gives it.
_NEAREST_CLASSIC = dict(zip(range(14, 22), (12, 10, 4, 8, 5, 13, 9, 7)))

_PLANES = {"xy": (0, 1), "xz": (0, 2), "yz": (1, 2)}


def _whole(name, value, low, high=_INT32_MAX):
    if isinstance(value, numbers.Integral) or (isinstance(value, float) and value.is_integer()):
        if low <= int(value) <= high:
            return int(value)
    raise ValueError(f"{name}: {value!r} is not a whole number from {low} to {high}")


def _per_body(name, value, bodies, low, high):
    if isinstance(value, (numbers.Number, np.number)):
        value = [value] * bodies
    value = list(value)
    if len(value) != bodies:
        raise ValueError(f"{name}: {len(value)} values for {bodies} bodies")
    return [_whole(name, v, low, high) for v in value]


def _switch(name, value):
    if value in (0, 1):  # True and False among them
        return bool(value)
    raise ValueError(f"{name}: {value!r} is neither True nor False")


def _mass(name, value):
    mass = float(value)
    if not (math.isfinite(mass) and mass >= 0):
        raise ValueError(f"{name}: {value!r} is not a mass (a finite number of 0 or more)")
    return mass


def _one_line(name, value):
    if value is None:
        return ""
    if not isinstance(value, str) or re.search("[\x00-\x08\x0a-\x1f\x7f]", value):
        raise ValueError(f"{name}: {value!r} is not one line of text")
    return value.strip()


def real_array(values, what):
    """`values` as float64, refusing what a plain conversion would lose
    without a word: masked entries (their hidden values would be written)
    and imaginary parts."""
    if np.ma.isMaskedArray(values):
        if np.ma.getmaskarray(values).any():
            raise ValueError(f"{what} holds masked values: fill them (np.ma.filled) or leave their rows out")
        values = np.ma.getdata(values)
    values = np.asarray(values)
    if np.iscomplexobj(values):
        raise ValueError(f"{what} holds complex numbers: give the real coordinates")
    return np.asarray(values, dtype=np.float64)


def checked_rows(t, positions, plane, allow_nan):
    """t as float64 of shape (rows,) and the shown coordinates as float64 of
    shape (rows, bodies, 2), from positions of shape (rows, bodies, 2) or,
    with `plane`, (rows, bodies, 3)."""
    t = real_array(t, "t")
    positions = real_array(positions, "positions")
    if t.ndim != 1:
        raise ValueError(f"t has shape {t.shape}; one time per row is needed, shape (rows,)")
    if positions.ndim != 3 or positions.shape[2] not in (2, 3):
        raise ValueError(f"positions has shape {positions.shape}; (rows, bodies, 2) or (rows, bodies, 3) is needed")
    if positions.shape[0] != t.shape[0]:
        raise ValueError(f"positions has {positions.shape[0]} rows and t has {t.shape[0]}")
    if t.shape[0] == 0:
        raise ValueError("no rows: t and positions are empty")
    if not np.isfinite(t).all():
        raise ValueError(f"t[{np.flatnonzero(~np.isfinite(t))[0]}] is not a finite number")
    return t, _shown_plane(positions, plane, allow_nan)


def _shown_plane(positions, plane, allow_nan):
    """The coordinates shown of positions shaped (..., bodies, 2 or 3)."""
    bodies = positions.shape[-2]
    if not 1 <= bodies <= MAX_BODIES:
        raise ValueError(f"{bodies} bodies; 1 to {MAX_BODIES} can be shown")
    if positions.shape[-1] == 3:
        if (plane or "xy") not in _PLANES:
            raise ValueError(f"plane {plane!r}: 'xy', 'xz' or 'yz' is needed")
        positions = positions[..., list(_PLANES[plane or "xy"])]
    elif plane not in (None, "xy"):
        raise ValueError(f"plane {plane!r} needs three coordinates per body, and positions has two")
    if not allow_nan and not np.isfinite(positions).all():
        where = np.argwhere(~np.isfinite(positions))[0]
        index = ", ".join(str(i) for i in where[:-1])
        raise ValueError(
            f"positions[{index}] is {positions[tuple(where)]!r}, not a finite number (allow_nan=True writes it)"
        )
    return positions


def check_names(names, bodies):
    if names is None:
        return []
    names = [names] if isinstance(names, str) else list(names)
    if len(names) != bodies:
        raise ValueError(f"names: {len(names)} names for {bodies} bodies")
    for name in names:
        if not isinstance(name, str) or not name or re.search(r"[\s\x00-\x1f\x7f]", name):
            raise ValueError(f"names: {name!r} is not one word (each name is one word without blanks)")
    return names


def revolution_rows(xy):
    """Rows holding one round of the slowest body, as orbivex-gen counts
    them: from the first row to the one at which it has turned a whole
    circle about the origin, or is back near its start moving the same way
    (its step as its velocity); -1 when some body has not gone round."""
    revolutions = []
    for k in range(xy.shape[1]):
        x, y = xy[:, k, 0], xy[:, k, 1]
        if len(x) < 2:
            revolutions.append(-1)
            continue
        with np.errstate(all="ignore"):
            away = np.hypot(x[1:] - x[0], y[1:] - y[0])
            moves = np.stack([np.diff(x), np.diff(y)], axis=1)
            same_way = moves @ moves[0] > 0
            back = (np.arange(1, len(x)) >= 3) & same_way & (away <= away[0])
        closing = np.flatnonzero(went_round(x, y) | back)
        revolutions.append(int(closing[0]) + 2 if len(closing) else -1)
    return slowest_revolution(revolutions, every_body=True)


def default_trail(xy):
    """Trail of one revolution of the slowest body, or half the rows when
    some body does not go round; the viewer plays while a whole trail and
    one more row lie ahead."""
    rows = xy.shape[0]
    limit = min(max(rows - 2, 1), _MAX_DEFAULT_TRAIL)
    found = revolution_rows(xy)
    return min(max(found if found >= 0 else (rows - 2) // 2, 1), limit)


def checked_fields(xy, given, names=None, time_unit=None, length_unit=None, title=None, rows=None):
    """The fields for the shown coordinates `xy` (rows, bodies, 2): those
    `given` by keyword checked, the others chosen as orbivex-gen does.
    `rows`, when given, is the line count in place of xy's rows."""
    unknown = sorted(set(given) - set(FIELD_KEYWORDS))
    if unknown:
        raise TypeError(f"unknown keyword {unknown[0]!r}; the fields are: {', '.join(FIELD_KEYWORDS)}")
    rows, bodies = rows or xy.shape[0], xy.shape[1]
    g = {key: value for key, value in given.items() if value is not None}
    f = {"names": check_names(names, bodies), "title": _one_line("title", title)}
    f["time_unit"], f["length_unit"] = _one_line("time_unit", time_unit), _one_line("length_unit", length_unit)
    f["radii"] = _per_body("radii", g.get("radii", 3), bodies, 0, _INT32_MAX)
    f["colours"] = (
        [_NEAREST_CLASSIC.get(c, c) for c in _per_body("colours", g["colours"], bodies, 0, 21)]
        if "colours" in g
        else [DEFAULT_COLOURS[k % len(DEFAULT_COLOURS)] for k in range(bodies)]
    )
    if "box" in g:
        box = tuple(float(v) for v in g["box"])
        if len(box) != 4 or not all(map(math.isfinite, box)) or not (box[0] < box[2] and box[1] < box[3]):
            raise ValueError(f"box {g['box']!r}: (xmin, ymin, xmax, ymax) with xmin < xmax and ymin < ymax is needed")
    else:
        half = square_half_side(farthest(xy))
        box = (-half, -half, half, half)
    f["box"] = box
    f["delay"] = _whole("delay", g.get("delay", 20), 0)
    f["step"] = _whole("step", g.get("step", 1), 1, rows)
    f["trail"] = _whole("trail", g["trail"], 0, max(rows - 2, 1)) if "trail" in g else default_trail(xy)
    f["start"] = _whole("start", g.get("start", 0), 0, rows - 1)
    f["masses"] = None
    if "masses" in g:
        masses = [g["masses"]] * bodies if isinstance(g["masses"], numbers.Number) else list(g["masses"])
        if len(masses) != bodies:
            raise ValueError(f"masses: {len(masses)} values for {bodies} bodies")
        f["masses"] = [_mass("masses", m) for m in masses]
    f["sun_mass"] = _mass("sun_mass", g["sun_mass"]) if "sun_mass" in g else None
    f["gm"] = None
    if g.get("gm") is not None:
        gm = float(g["gm"])
        if not (math.isfinite(gm) and gm > 0):
            raise ValueError(f"gm: {g['gm']!r} is not a gravitational parameter (a finite number above 0)")
        f["gm"] = gm
    f["sun_size"] = _whole("sun_size", g.get("sun_size", 0 if f["sun_mass"] == 0 else 6), 0)
    for key in ("draw_axes", "draw_planets", "draw_orbits"):
        f[key] = _switch(key, g.get(key, True))
    f["equal_aspect"] = _switch("equal_aspect", g.get("equal_aspect", True))
    for key, names, default in (("style", STYLES, "publication"), ("trail_mode", TRAIL_MODES, "behind")):
        f[key] = g.get(key, default)
        if f[key] not in names:
            raise ValueError(f"{key} {f[key]!r}: one of {', '.join(map(repr, names))} is needed")
    f["line_count"] = rows
    return f
