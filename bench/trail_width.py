#!/usr/bin/env python3
"""How wide a rendered trail is: the ink across it, in pixels.

    bench/trail_width.py ORBIVEX [ROWS_AN_ORBIT ...]

For each number of rows an orbit, writes a circle of radius 1 sampled that
densely, renders it in black at 600x600 (the publication look of a table,
whose trail is 1.5 px wide there), and sums the ink across the trail where
it runs along a row of pixels, at the circle's top, over seven columns.
"""
import math
import os
import subprocess
import sys
import tempfile

import numpy as np

SIZE = 600


def width(orbivex, rows, folder):
    table = os.path.join(folder, f"circle-{rows}.csv")
    with open(table, "w") as f:
        f.write("t,x,y\n")
        for i in range(rows + 1):
            angle = 2 * math.pi * i / rows
            f.write(f"{i / rows},{math.cos(angle)},{math.sin(angle)}\n")
    picture = table[:-4] + ".png"
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_CONFIG_HOME=os.path.join(folder, "config"))
    subprocess.run([orbivex, "--render", picture, "--colours", "#000000", "--trail-length", str(rows),
                    "--row", str(rows), "--disc-size", "0.5", "--box", "-1.3,-1.3,1.3,1.3", table],
                   check=True, env=env)
    raw = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", picture, "-f", "rawvideo", "-pix_fmt", "gray", "-"],
                         check=True, capture_output=True).stdout
    ink = (255 - np.frombuffer(raw, dtype=np.uint8).astype(float).reshape(SIZE, SIZE)) / 255
    # The circle's top, below the title and above the centre.
    centre = SIZE // 2
    columns = ink[SIZE // 8:SIZE // 2, centre - 3:centre + 4]
    peak = int(np.argmax(columns[:, 3]))
    return columns[max(peak - 6, 0):peak + 7].sum(axis=0)


def main():
    orbivex = sys.argv[1]
    counts = [int(n) for n in sys.argv[2:]] or [20000, 2000, 200, 12]
    with tempfile.TemporaryDirectory() as folder:
        for rows in counts:
            across = width(orbivex, rows, folder)
            print(f"{rows} rows an orbit: {np.median(across):.2f} px "
                  f"(columns {', '.join(f'{w:.2f}' for w in across)})")


if __name__ == "__main__":
    main()
