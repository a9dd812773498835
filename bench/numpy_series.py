#!/usr/bin/python3
"""The series bench/series_bench.cpp times, computed with numpy as a
researcher would: r, a, e and eps of every body and the system's energy
change, each a whole-array expression over the rows.

    /usr/bin/python3 bench/numpy_series.py CONFIG

Reads CONFIG and its data with the orbivex Python module the first time
(about 80 s for 300 MB) and keeps the arrays beside it in a .npz, which
later runs load instead; prints the load's seconds (of the .npz once it is
there), the seconds of the bodies' series and of the system's energy, and
the values series_bench prints for body 1 and the system at a few rows.

The velocity is the same seven-row difference as the viewer's: centred
rows -3 to 3 with the weights of a sixth-order difference on the rows'
step, and at the three rows of each end the seven end rows with one-sided
weights, found by solving for the derivative of the polynomial through
them. The weights are taken for an even step (the benchmark's times are);
the viewer works them out for each row's own times.
"""

import os
import sys
import time

import numpy as np

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "python"))
import orbivex  # noqa: E402

ROWS = 7
HALF = ROWS // 2


def derivative_weights(offsets, at):
    """Weights w with sum(w * f(offsets)) = f'(at) for polynomials of degree
    len(offsets) - 1, by solving the Vandermonde system."""
    offsets = np.asarray(offsets, dtype=float) - at
    powers = np.vander(offsets, increasing=True).T
    wanted = np.zeros(len(offsets))
    wanted[1] = 1.0
    return np.linalg.solve(powers, wanted)


def velocity(t, xy):
    """d xy / dt along the rows (axis 0) by the seven-row difference."""
    h = (t[-1] - t[0]) / (len(t) - 1)
    v = np.empty_like(xy)
    centre = derivative_weights(range(ROWS), HALF) / h
    inner = slice(HALF, len(t) - HALF)
    v[inner] = sum(centre[j] * xy[j : len(t) - ROWS + 1 + j] for j in range(ROWS))
    for row in list(range(HALF)) + list(range(len(t) - HALF, len(t))):
        first = 0 if row < HALF else len(t) - ROWS
        w = derivative_weights(range(ROWS), row - first) / h
        v[row] = np.tensordot(w, xy[first : first + ROWS], axes=1)
    return v


def body_series(t, xy, gm):
    """r, a, e, eps of each body: arrays of rows x bodies."""
    x, y = xy[..., 0], xy[..., 1]
    v = velocity(t, xy)
    vx, vy = v[..., 0], v[..., 1]
    r = np.hypot(x, y)
    eps = (vx * vx + vy * vy) / 2 - gm / r
    a = -gm / (2 * eps)
    # The eccentricity vector (v x h) / mu - r / |r|, h = x vy - y vx.
    h = x * vy - y * vx
    e = np.hypot(vy * h / gm - x / r, -vx * h / gm - y / r)
    return r, a, e, eps


def system_energy(t, xy, gm, masses):
    """The system's energy as its relative change from the fourth row: the
    bodies' kinetic energies and the sun's pull, less each pair's."""
    v = velocity(t, xy)
    g = gm / masses[0]
    m = np.asarray(masses[1:])
    total = (m * ((v * v).sum(axis=2) / 2 - gm / np.hypot(xy[..., 0], xy[..., 1]))).sum(axis=1)
    for k in range(1, xy.shape[1]):
        d = xy[:, :k, :] - xy[:, k : k + 1, :]
        total -= (g * m[:k] * m[k] / np.hypot(d[..., 0], d[..., 1])).sum(axis=1)
    # From the fourth row, the first whose velocities are central differences, as the viewer.
    return (total - total[3]) / abs(total[3])


def load(config):
    """The times, the positions (rows x bodies x 2), mu and the masses (the
    sun's first; None when not given), kept in a .npz beside the
    configuration after the first reading."""
    cached = os.path.splitext(config)[0] + ".npz"
    if os.path.exists(cached) and os.path.getmtime(cached) >= os.path.getmtime(config):
        with np.load(cached) as kept:
            masses = kept["masses"] if kept["masses"].size else None
            return kept["t"], kept["xy"], float(kept["gm"]), masses
    simulation = orbivex.load(config)
    t = np.asarray(simulation.t, dtype=float)
    xy = np.ascontiguousarray(simulation.positions, dtype=float)
    masses = None
    if simulation.masses is not None:
        sun = simulation.sun_mass if simulation.sun_mass is not None else 1.0
        masses = np.array([sun] + list(simulation.masses), dtype=float)
    np.savez(cached, t=t, xy=xy, gm=simulation.gm, masses=masses if masses is not None else np.empty(0))
    return t, xy, float(simulation.gm), masses


def main(config):
    start = time.perf_counter()
    t, xy, gm, masses = load(config)
    loaded = time.perf_counter() - start
    start = time.perf_counter()
    r, a, e, eps = body_series(t, xy, gm)
    bodies = time.perf_counter() - start
    energy, summed = None, None
    if masses is not None:
        start = time.perf_counter()
        energy = system_energy(t, xy, gm, masses)
        summed = time.perf_counter() - start
    print(f"rows {len(t)}, bodies {xy.shape[1]}; numpy {np.__version__}")
    print(f"numpy_load_s {loaded:.4f}")
    print(f"numpy_body_series_s {bodies:.4f}")
    print(f"numpy_energy_s {summed:.4f}" if summed is not None else "numpy_energy_s none (no masses)")
    for row in (0, 1000, len(t) - 1):
        system = energy[row] if energy is not None else float("nan")
        print(
            f"check row {row}: r {r[row, 0]:.12g} a {a[row, 0]:.12g} e {e[row, 0]:.12g} "
            f"eps {eps[row, 0]:.12g} energy {system:.12g}"
        )


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: numpy_series.py CONFIG")
    main(sys.argv[1])
