#!/usr/bin/env python3
"""Draws the inner planets as a short matplotlib script would, for the
comparison beside Orbivex's publication look in docs/: the same data, the
same row (200) and trails of the same 500 rows ahead, equal axes.

    python3 docs/matplotlib_inner_planets.py OUT.png

Needs numpy and matplotlib (Debian: python3-numpy, python3-matplotlib).
"""

import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

ROW, TRAIL = 200, 500
NAMES = ["Mercury", "Venus", "Earth", "Mars"]
COLOURS = ["#808080", "#e07000", "#0000ff", "#ff0000"]

data = np.loadtxt("examples/inner-planets.dat")
fig, ax = plt.subplots(figsize=(6, 6), dpi=100)
for k, (name, colour) in enumerate(zip(NAMES, COLOURS)):
    x, y = data[ROW:ROW + TRAIL, 1 + 2 * k], data[ROW:ROW + TRAIL, 2 + 2 * k]
    ax.plot(x, y, color=colour, lw=1.5)
    ax.plot(x[0], y[0], "o", color=colour, label=name)
ax.plot(0, 0, "o", color="gold", markersize=10)
ax.axhline(0, color="grey", lw=0.8)
ax.axvline(0, color="grey", lw=0.8)
ax.set_xlim(-1.9, 1.9)
ax.set_ylim(-1.9, 1.9)
ax.set_aspect("equal")
ax.set_xlabel("x [AU]")
ax.set_ylabel("y [AU]")
ax.set_title("Inner planets")
ax.text(0.03, 0.96, f"t = {data[ROW, 0]:.3f}", transform=ax.transAxes, va="top")
ax.legend(loc="upper right")
fig.savefig(sys.argv[1])
