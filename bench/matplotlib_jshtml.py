#!/usr/bin/python3
"""The plotting library's answer to an interactive page, for the page
benchmark: the inner planets' first rows (every STEP-th, FRAMES of them) drawn
with their trails at WxH pixels and written by matplotlib's to_jshtml, every
frame an embedded PNG. Prints the page's size in bytes.

    /usr/bin/python3 bench/matplotlib_jshtml.py DATA OUT.html [FRAMES STEP WxH]

DATA is a plain table of the positions (t then x, y of each body), as
page_bench.py writes it.
"""

import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.animation as animation  # noqa: E402
import matplotlib.pyplot as plt  # noqa: E402
import numpy as np  # noqa: E402

data, out = sys.argv[1], sys.argv[2]
frames = int(sys.argv[3]) if len(sys.argv) > 3 else 300
width, height = (int(v) for v in (sys.argv[5] if len(sys.argv) > 5 else "1280x720").split("x"))
table = np.loadtxt(data, delimiter=",", skiprows=1)
t, xy = table[:, 0], table[:, 1:].reshape(len(table), -1, 2)
bodies = xy.shape[1]
figure, axes = plt.subplots(figsize=(width / 100, height / 100), dpi=100)
axes.set_aspect("equal")
span = np.nanmax(np.abs(xy)) * 1.05
axes.set_xlim(-span, span)
axes.set_ylim(-span, span)
axes.plot([0], [0], "o", color="gold", markersize=8)
trails = [axes.plot([], [], lw=1.5)[0] for _ in range(bodies)]
discs = [axes.plot([], [], "o", color=trail.get_color())[0] for trail in trails]
stamp = axes.text(0.02, 0.95, "", transform=axes.transAxes)


def draw(frame):
    for body in range(bodies):
        trails[body].set_data(xy[:frame + 1, body, 0], xy[:frame + 1, body, 1])
        discs[body].set_data(xy[frame:frame + 1, body, 0], xy[frame:frame + 1, body, 1])
    stamp.set_text(f"t = {t[frame]:.2f}")
    return trails + discs + [stamp]


matplotlib.rcParams["animation.embed_limit"] = 500
player = animation.FuncAnimation(figure, draw, frames=min(frames, len(t)), interval=40, blit=False)
page = player.to_jshtml()
with open(out, "w") as file:
    file.write(page)
print(len(page.encode()))
