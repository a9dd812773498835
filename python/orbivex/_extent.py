"""The box that holds the data and the rows of one revolution of the slowest
body, found as the viewer and orbivex-gen find them: a table opened directly
gets the box holding every finite position and a trail of the slowest
revolution of a body that goes round; save() gets orbivex-gen's square about
the origin and its revolution of every body. tests/corpus holds tables whose
values both the viewer's tests and these must find."""

import math

import numpy as np

_CIRCLE = 2 * math.pi


def _finite(xy):
    """The x and y of the positions of `xy` (..., 2) whose two coordinates
    are finite: a position with one coordinate missing is not counted."""
    x, y = xy[..., 0], xy[..., 1]
    kept = np.isfinite(x) & np.isfinite(y)
    return x[kept], y[kept]


def data_box(xy):
    """(xmin, ymin, xmax, ymax) holding every finite position of `xy`; an
    axis on which every position is the same gets the other axis's extent
    (or 2) about that value; (-1, -1, 1, 1) without a finite position."""
    x, y = _finite(xy)
    if not x.size:
        return (-1.0, -1.0, 1.0, 1.0)
    xmin, xmax = float(x.min()), float(x.max())
    ymin, ymax = float(y.min()), float(y.max())
    width, height = xmax - xmin, ymax - ymin
    if width == 0.0:
        extent = height if height > 0.0 else 2.0
        xmin, xmax = xmin - extent / 2, xmin + extent / 2
    if height == 0.0:
        extent = width if width > 0.0 else 2.0
        ymin, ymax = ymin - extent / 2, ymin + extent / 2
    return (xmin, ymin, xmax, ymax)


def _round_to(value, exponent, up):
    """`value` rounded up (or down) to a whole number of 10**exponent, as the
    viewer rounds it: multiplying with 10**-exponent when that is below 1."""
    try:
        unit = 10.0 ** abs(exponent)
    except OverflowError:  # the viewer's power is infinite: the box stays
        return math.nan
    whole = math.ceil if up else math.floor
    try:
        return whole(value * unit) / unit if exponent < 0 else whole(value / unit) * unit
    except (OverflowError, ValueError):
        return math.nan


def _second_digit(size):
    return math.floor(math.log10(size)) - 1


def figure_box(box):
    """`box` with the viewer's margin and round ends: symmetric about 0, 5 %
    beyond the farther end, when it surrounds the sun; else 5 % of the span
    beyond each end; ends rounded outward to two significant digits. A box
    that cannot be widened so stays as it is."""
    surrounds = box[0] < 0 < box[2] and box[1] < 0 < box[3]
    wider = list(box)
    for axis in (0, 1):
        lo, hi = box[axis], box[axis + 2]
        if surrounds:
            wanted = 1.05 * max(-lo, hi)
            to = _round_to(wanted, _second_digit(wanted), True) if math.isfinite(wanted) else math.nan
            start = -to
        else:
            margin = 0.05 * (hi - lo)
            span = hi - lo + 2 * margin
            if not (math.isfinite(span) and span > 0):
                return tuple(box)
            exponent = _second_digit(span)
            start, to = _round_to(lo - margin, exponent, False), _round_to(hi + margin, exponent, True)
        if not (math.isfinite(start) and math.isfinite(to) and start <= lo and to >= hi and start < to):
            return tuple(box)
        wider[axis], wider[axis + 2] = start, to
    return tuple(wider)


def farthest(xy):
    """The largest size of a coordinate of the finite positions of `xy`; 0
    without any."""
    x, y = _finite(xy)
    if not x.size:
        return 0.0
    return max(0.0, float(np.abs(x).max()), float(np.abs(y).max()))


def square_half_side(farthest):
    """Half the side of orbivex-gen's default box, the square about the
    origin: 10 % beyond `farthest`, rounded up to two significant digits."""
    wanted = 1.1 * farthest
    if not wanted > 0:
        return 1.0
    if not math.isfinite(wanted):
        return farthest
    exponent = math.floor(math.log10(wanted)) - 1
    try:
        unit = 10.0 ** abs(exponent)
    except OverflowError:  # the viewer's power is then infinite, and keeps `wanted`
        return wanted
    rounded = math.ceil(wanted * unit) / unit if exponent < 0 else math.ceil(wanted / unit) * unit
    return rounded if math.isfinite(rounded) and rounded >= wanted else wanted


def went_round(x, y):
    """For each position of a body but the first, whether the angle it has
    turned about the origin since the first, summed step by step, reaches
    a whole circle either way (NaN once a position is not finite)."""
    with np.errstate(all="ignore"):
        steps = np.arctan2(x[:-1] * y[1:] - y[:-1] * x[1:], x[:-1] * x[1:] + y[:-1] * y[1:])
        return np.abs(np.cumsum(steps)) >= _CIRCLE


def slowest_revolution(revolutions, every_body):
    """The most rows of the bodies' `revolutions` (-1 for a body that did
    not go round): with `every_body`, -1 when some body did not (orbivex-gen),
    else those are passed over (a table); -1 when none is left."""
    if every_body and -1 in revolutions:
        return -1
    return max(revolutions, default=-1)


def table_revolution(xy):
    """Rows in one revolution about the origin of the slowest body of `xy`
    (rows, bodies, 2) that goes round, from its first position that is
    finite and not at the origin; positions that are not are passed over.
    -1 when no body goes round."""
    revolutions = []
    for k in range(xy.shape[1]):
        x, y = xy[:, k, 0], xy[:, k, 1]
        rows = np.flatnonzero(np.isfinite(x) & np.isfinite(y) & ~((x == 0.0) & (y == 0.0)))
        closing = np.flatnonzero(went_round(x[rows], y[rows]))
        revolutions.append(int(rows[closing[0] + 1] - rows[0] + 1) if len(closing) else -1)
    return slowest_revolution(revolutions, every_body=False)
