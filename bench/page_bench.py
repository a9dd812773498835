#!/usr/bin/python3
"""The interactive page (orbivex --html) in Debian's chromium, headless:

  1. the frame rate the page counts while it plays the 30-body scene
     (examples/disc-30.ovx) with trails of 1,000 rows at 1280x720, with the
     display's refresh (60 Hz) and without any limit;
  1b. the frame rate while a Shift-drag turns the same scene's view
     (paused, every frame projected and drawn again), and the same for
     1,000 bodies in space with trails of 300 rows at 1920x1080 (with no
     trails too: the most the browser draws of that page);
  2. the page's size for the same 300 frames of the inner planets at
     1280x720 against the plotting library's to_jshtml page
     (bench/matplotlib_jshtml.py), and the page of all the rows;
  3. with --big MB, the time to make the page of a generated file of that
     size against the time to load it (--render of a 64x64 picture), fresh
     processes alternated, medians of ROUNDS.

    /usr/bin/python3 bench/page_bench.py ORBIVEX SOURCE_DIR [--big MB] [--rounds N]

Needs chromium, python3-websocket, python3-numpy and python3-matplotlib.
"""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
import page_browser_test as browser_test  # noqa: E402

orbivex, source = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
arguments = sys.argv[3:]
big = float(arguments[arguments.index("--big") + 1]) if "--big" in arguments else 0
rounds = int(arguments[arguments.index("--rounds") + 1]) if "--rounds" in arguments else 5
folder = tempfile.mkdtemp(prefix="orbivex-page-bench-")
environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")


def run(*command):
    subprocess.run(command, check=True, env=environment, stdout=subprocess.DEVNULL)


def frame_rate(page, limited):
    """The frames a second the page counts over 5 s of playing."""
    flags = [] if limited else ["--disable-gpu-vsync", "--disable-frame-rate-limit"]
    browser = browser_test.Browser(folder, flags)
    try:
        browser.open(page)
        browser.evaluate("orbivex.state.loop = true; orbivex.actions.play()")
        time.sleep(1.5)
        start = browser.evaluate("[orbivex.state.frames, performance.now()]")
        time.sleep(5)
        end = browser.evaluate("[orbivex.state.frames, performance.now()]")
        return (end[0] - start[0]) * 1000 / (end[1] - start[1])
    finally:
        browser.close()


def turning_rate(page):
    """The frames a second the page counts over 4 s of a Shift-drag that
    turns its view, a step of 3 pixels every 4 ms."""
    browser = browser_test.Browser(folder, ["--disable-gpu-vsync", "--disable-frame-rate-limit"])
    try:
        browser.open(page)
        x, y = 300, 300
        browser.call("Input.dispatchMouseEvent", type="mousePressed", x=x, y=y, modifiers=8, button="left",
                     clickCount=1)
        start = browser.evaluate("[orbivex.state.frames, performance.now()]")
        until = time.time() + 4
        while time.time() < until:
            x = 100 + (x + 3 - 100) % 800
            browser.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y, modifiers=8, button="none")
            time.sleep(0.004)
        end = browser.evaluate("[orbivex.state.frames, performance.now()]")
        browser.call("Input.dispatchMouseEvent", type="mouseReleased", x=x, y=y, modifiers=8, button="left",
                     clickCount=1)
        return (end[0] - start[0]) * 1000 / (end[1] - start[1])
    finally:
        browser.close()


print(f"load average {os.getloadavg()[0]:.2f}")
scene = os.path.join(folder, "disc30.html")
run(orbivex, "--html", scene, "--size", "1280x720", "--trail-length", "1000",
    os.path.join(source, "examples", "disc-30.ovx"))
for limited in (True, False):
    rates = [frame_rate(scene, limited) for _ in range(3)]
    print(f"30 bodies, trails of 1,000 rows, 1280x720, {'60 Hz refresh' if limited else 'no frame limit'}: "
          f"{statistics.median(rates):.1f} frames/s (rounds {', '.join(f'{r:.1f}' for r in rates)})")
turnable = os.path.join(folder, "disc30-turned.html")
run(orbivex, "--html", turnable, "--size", "1280x720", "--trail-length", "1000", "--view", "0,60",
    os.path.join(source, "examples", "disc-30.ovx"))
rates = [turning_rate(turnable) for _ in range(3)]
print(f"30 bodies, trails of 1,000 rows, 1280x720, turning by a Shift-drag: {statistics.median(rates):.1f} frames/s "
      f"(rounds {', '.join(f'{r:.1f}' for r in rates)})")

# The same 300 frames: every STEP-th row of the inner planets as a table.
sys.path.insert(0, os.path.join(source, "python"))
import numpy as np  # noqa: E402

# The window's largest turning scene in space: 1,000 bodies on circles
# inclined up to 10 degrees, trails of 300 rows, at 1920x1080; and the same
# page with no trails, which is as fast as the browser draws the page at all.
count, steps = 1000, 400
k, r = np.arange(1, count + 1)[None, :], np.arange(steps)[:, None]
radius = 0.3 + 2.6 * k / count
u, tilt = r * 0.02 / np.sqrt(radius) + k, np.radians(10 * np.sin(k))
xyz = np.stack([radius * np.cos(u), radius * np.sin(u) * np.cos(tilt), radius * np.sin(u) * np.sin(tilt)], axis=2)
crowd = os.path.join(folder, "crowd.csv")
np.savetxt(crowd, np.hstack([r * 0.01, xyz.reshape(steps, 3 * count)]), fmt="%.9g", delimiter=",",
           header="t," + ",".join(f"b{j}_x,b{j}_y,b{j}_z" for j in range(1, count + 1)), comments="")
for trail in ("300", "0"):
    page = os.path.join(folder, f"crowd{trail}.html")
    run(orbivex, "--html", page, "--size", "1920x1080", "--trail-length", trail, "--row", "350", "--view", "30,60",
        crowd)
    rates = [turning_rate(page) for _ in range(3)]
    print(f"1,000 bodies in space, trails of {trail} rows, 1920x1080, turning by a Shift-drag: "
          f"{statistics.median(rates):.1f} frames/s (rounds {', '.join(f'{r:.1f}' for r in rates)})")
import orbivex as module  # noqa: E402

planets = module.load(os.path.join(source, "examples", "inner-planets-named.ovx"))
step = max(1, len(planets.t) // 300)
rows = np.arange(0, 300 * step, step)
table = os.path.join(folder, "inner300.csv")
with open(table, "w") as out:
    out.write("t," + ",".join(f"{n}_x,{n}_y" for n in planets.names) + "\n")
    for r in rows:
        out.write(",".join(repr(float(v)) for v in [planets.t[r], *planets.positions[r].ravel()]) + "\n")
page300, pageAll, jshtml = (os.path.join(folder, name) for name in ("inner300.html", "innerall.html", "js.html"))
run(orbivex, "--html", page300, "--size", "1280x720", "--trail", "behind", "--trail-length", "300", table)
run(orbivex, "--html", pageAll, "--size", "1280x720", os.path.join(source, "examples", "inner-planets-named.ovx"))
done = subprocess.run(["/usr/bin/python3", os.path.join(source, "bench", "matplotlib_jshtml.py"), table, jshtml,
                       "300", "1", "1280x720"], check=True, capture_output=True, text=True)
size300, sizeAll, sizeJs = os.path.getsize(page300), os.path.getsize(pageAll), int(done.stdout.split()[-1])
print(f"inner planets, 300 frames at 1280x720: page {size300:,} bytes, to_jshtml {sizeJs:,} bytes: "
      f"{sizeJs / size300:.0f} x smaller; the page of all {len(planets.t):,} rows {sizeAll:,} bytes")

if big:
    data = os.path.join(folder, "big.csv")
    bodies, row_bytes = 30, 750  # a row's text as savetxt writes it below
    count = int(big * 1e6 / row_bytes)
    rng = np.random.default_rng(7)
    with open(data, "w") as out:
        out.write("t," + ",".join(f"b{k}_x,b{k}_y" for k in range(1, bodies + 1)) + "\n")
        chunk = 20000
        for first in range(0, count, chunk):
            n = min(chunk, count - first)
            values = np.cumsum(rng.normal(0, 1e-3, (n, 2 * bodies)), axis=0) + 1
            t = (np.arange(first, first + n) * 0.001)[:, None]
            np.savetxt(out, np.hstack([t, values]), fmt="%.10g", delimiter=",")
    size = os.path.getsize(data) / 1e6
    loads, pages = [], []
    for _ in range(rounds):
        for timings, command in ((loads, ["--render", os.path.join(folder, "x.png"), "--size", "64x64"]),
                                 (pages, ["--html", os.path.join(folder, "x.html"), "--size", "64x64"])):
            start = time.perf_counter()
            run(orbivex, *command, data)
            timings.append(time.perf_counter() - start)
    load, page = statistics.median(loads), statistics.median(pages)
    print(f"{size:.0f} MB table of {bodies} bodies, {count:,} rows: load and a 64x64 picture {load:.2f} s, "
          f"load and the page {page:.2f} s ({page / load:.2f} x), page {os.path.getsize(os.path.join(folder, 'x.html')) / 1e6:.1f} MB")
print(f"load average {os.getloadavg()[0]:.2f}")
shutil.rmtree(folder, ignore_errors=True)
