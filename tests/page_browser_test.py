"""The interactive page in a real browser (Debian's chromium, headless, with
networking off): it opens from a file, plays, pauses and seeks by its
controls and keys (at once, unclicked), keeps its bar one line at any
width, names a body under the pointer, draws the discs and the
axis labels where --render puts them, holds the positions within the stated
precision, and shows hostile text as text. Skipped (77) without chromium or
the websocket module.

    python3 page_browser_test.py ORBIVEX SOURCE_DIR
"""

import base64
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request
import zlib

try:
    import websocket
except ImportError:
    websocket = None

ORBIVEX = SOURCE = None


def read_png(path):
    """The pixels of an 8-bit RGB or RGBA PNG, as (width, height, rows of (r, g, b))."""
    with open(path, "rb") as file:
        data = file.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", path
    at, chunks, header = 8, [], None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and interlace == 0, (path, header)
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(chunks))
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = previous[i]
            c = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append([tuple(line[x * channels:x * channels + 3]) for x in range(width)])
        previous = line
    return width, height, rows


class Browser:
    """Chromium over its debugging protocol: calls, and the events met."""

    def __init__(self, folder, flags=()):
        profile = tempfile.mkdtemp(dir=folder, prefix="profile-")
        self.process = subprocess.Popen(
            [shutil.which("chromium"), "--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
             "--remote-debugging-address=127.0.0.1", "--remote-debugging-port=0", "--remote-allow-origins=*",
             "--user-data-dir=" + profile, "--proxy-server=127.0.0.1:9", "--host-resolver-rules=MAP * ~NOTFOUND",
             "--window-size=1100,900", "--force-device-scale-factor=1", "--font-render-hinting=none",
             "--disable-features=IsolateSandboxedIframes,site-per-process", *flags, "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        active = os.path.join(profile, "DevToolsActivePort")
        deadline = time.time() + 30
        def written():
            if not os.path.exists(active):
                return ""
            with open(active) as text:
                return text.read()
        while written().count("\n") < 1:
            if time.time() > deadline:
                raise RuntimeError("chromium did not start")
            time.sleep(0.1)
        port = int(written().split()[0])
        opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
        targets = json.load(opener.open(f"http://127.0.0.1:{port}/json"))
        page = next(t for t in targets if t["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=30,
                                                  http_proxy_host=None, suppress_origin=True)
        self.next, self.events = 0, []

    def call(self, method, **params):
        self.next += 1
        self.socket.send(json.dumps({"id": self.next, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message["result"]
            self.events.append(message)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def wait_for(self, expression, seconds=15):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if self.evaluate(expression):
                return
            time.sleep(0.05)
        raise AssertionError(f"never true: {expression}")

    def open(self, path):
        self.call("Network.enable")
        self.call("Network.emulateNetworkConditions", offline=True, latency=0, downloadThroughput=-1,
                  uploadThroughput=-1)
        self.call("Runtime.enable")
        self.call("Page.enable")
        self.call("Page.navigate", url="file://" + path)
        self.wait_for("document.getElementById('ovx') && document.getElementById('ovx').dataset.ready === 'true'")

    def key(self, key, code, focus=True, modifiers=0):
        if focus:
            self.evaluate("document.getElementById('ovx').focus()")
        for kind in ("keyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code, modifiers=modifiers,
                      text=" " if key == " " and kind == "keyDown" else "")

    def mouse(self, kind, x, y):
        self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left" if kind != "mouseMoved" else "none",
                  clickCount=1)

    def click(self, x, y):
        self.mouse("mousePressed", x, y)
        self.mouse("mouseReleased", x, y)

    def centre(self, selector):
        box = self.evaluate(f"(() => {{ const r = document.querySelector({json.dumps(selector)})"
                            ".getBoundingClientRect(); return [r.left, r.top, r.width, r.height]; })()")
        return box[0] + box[2] / 2, box[1] + box[3] / 2, box

    def close(self):
        self.socket.close()
        self.process.terminate()
        self.process.wait(10)


def orbivex(*arguments):
    subprocess.run([ORBIVEX, *arguments], check=True, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))


@unittest.skipIf(websocket is None or shutil.which("chromium") is None, "needs chromium and python3-websocket")
class PageTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.browser = Browser(self.folder)

    def tearDown(self):
        self.browser.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def page(self, name, *arguments):
        path = os.path.join(self.folder, name)
        orbivex("--html", path, *arguments)
        self.browser.open(path)
        return path

    def row(self):
        return self.browser.evaluate("orbivex.state.row")

    def test_the_trojan_page_plays_pauses_seeks_and_hovers_offline(self):
        b = self.browser
        self.page("trojan.html", "--size", "960x720", "--frame", "rotate:1", "--trail", "behind", "--row", "2000",
                  os.path.join(SOURCE, "examples", "trojan-horseshoe.ovx"))
        self.assertEqual(self.row(), 2000)
        # Nothing but the file itself was asked for, and no script failed.
        asked = [e["params"]["request"]["url"] for e in b.events if e.get("method") == "Network.requestWillBeSent"]
        self.assertTrue(asked and all(url.startswith("file:") for url in asked), asked)
        self.assertFalse([e for e in b.events if e.get("method") == "Runtime.exceptionThrown"])
        # Space plays and pauses; the arrows step.
        b.key(" ", "Space")
        b.wait_for("orbivex.state.row > 2005")
        b.key(" ", "Space")
        stopped = self.row()
        time.sleep(0.3)
        self.assertEqual(self.row(), stopped)
        b.key("ArrowRight", "ArrowRight")
        self.assertEqual(self.row(), stopped + 1)
        b.key("ArrowLeft", "ArrowLeft")
        b.key("ArrowLeft", "ArrowLeft")
        self.assertEqual(self.row(), stopped - 1)
        # The buttons: step, play backwards, pause.
        x, y, _ = b.centre('button[data-do="forward"]')
        b.click(x, y)
        self.assertEqual(self.row(), stopped)
        x, y, _ = b.centre('button[data-do="backward"]')
        b.click(x, y)
        b.wait_for(f"orbivex.state.row < {stopped - 5}")
        x, y, _ = b.centre('button[data-do="play"]')
        b.click(x, y)
        b.wait_for("orbivex.state.playing && orbivex.state.direction === 1")
        b.click(x, y)
        b.wait_for("!orbivex.state.playing")
        # The slider seeks: a click at three quarters of its length.
        _, y, (left, _, width, _) = b.centre("input[type=range]")
        b.click(left + 0.75 * width, y)
        rows = b.evaluate("orbivex.view.rows")
        self.assertLess(abs(self.row() - 0.75 * (rows - 1)), 0.05 * rows)
        # The wheel zooms about the pointer, a drag pans, Fit goes back.
        fitted = b.evaluate("orbivex.mapping()")
        canvas = b.centre("canvas")[2]
        at = (canvas[0] + 300, canvas[1] + 200)
        b.call("Input.dispatchMouseEvent", type="mouseWheel", x=at[0], y=at[1], deltaX=0, deltaY=-300)
        zoomed = b.evaluate("orbivex.mapping()")
        self.assertGreater(zoomed[0] / fitted[0], 1.5)
        # The world point under the pointer stays under it.
        for scale, offset, pixel in ((0, 1, 300), (2, 3, 200)):
            self.assertAlmostEqual((pixel + fitted[offset]) / fitted[scale],
                                   (pixel + zoomed[offset]) / zoomed[scale], places=9)
        b.mouse("mousePressed", *at)
        b.call("Input.dispatchMouseEvent", type="mouseMoved", x=at[0] + 40, y=at[1] - 25, button="left", buttons=1)
        b.mouse("mouseReleased", at[0] + 40, at[1] - 25)
        panned = b.evaluate("orbivex.mapping()")
        self.assertEqual((panned[1] - zoomed[1], panned[3] - zoomed[3]), (-40, 25))
        x, y, _ = b.centre('button[data-do="fit"]')
        b.click(x, y)
        self.assertEqual(b.evaluate("orbivex.mapping()"), fitted)
        # The pointer on the Trojan names it, with its time and place.
        x, y = b.evaluate("(() => { const s = orbivex.state, v = orbivex.view, t = orbivex.tracks[1];"
                          " const [xs, xo, ys, yo] = v.mapping;"
                          " return [t[2 * s.row] * xs - xo, t[2 * s.row + 1] * ys - yo]; })()")
        canvas = b.centre("canvas")[2]
        b.mouse("mouseMoved", canvas[0] + x, canvas[1] + y)
        b.wait_for("!document.querySelector('.ovx-tip').hidden")
        tip = b.evaluate("document.querySelector('.ovx-tip').textContent")
        self.assertIn("Trojan", tip)
        self.assertIn("t = ", tip)
        self.assertIn("from the sun", tip)

    def test_a_page_opened_on_its_own_takes_the_keys_at_once(self):
        b = self.browser
        self.page("keys.html", "--size", "640x480", "--row", "100",
                  os.path.join(SOURCE, "examples", "kepler-ellipse.ovx"))
        self.assertEqual(b.evaluate("document.activeElement.tagName"), "BODY")  # nothing clicked
        alt = 1  # the browser's own shortcuts are left to it
        for key, code, modifiers, row in (("ArrowRight", "ArrowRight", 0, 101), ("End", "End", 0, None),
                                          ("Home", "Home", 0, 0), ("ArrowRight", "ArrowRight", alt, 0)):
            b.key(key, code, focus=False, modifiers=modifiers)
            want = b.evaluate("orbivex.view.rows - 1") if row is None else row
            self.assertEqual(self.row(), want, (key, modifiers))
        b.key(" ", "Space", focus=False)
        b.wait_for("orbivex.state.playing && orbivex.state.row > 3")

    def test_the_bar_stays_one_line_at_any_width(self):
        b = self.browser
        table = os.path.join(self.folder, "long.csv")
        with open(table, "w") as out:
            out.write("t,a_x,a_y\n")
            for r in range(20000):
                out.write(f"{10000 + r * 0.25:.2f},{math.cos(r / 50):.6f},{math.sin(r / 50):.6f}\n")
        shape = ("(() => { const bar = document.querySelector('.ovx-bar'), box = bar.getBoundingClientRect();"
                 " const shown = Array.from(bar.children).filter(c => c.getBoundingClientRect().width > 0);"
                 " return {height: box.height, spills: bar.scrollWidth - bar.clientWidth,"
                 "  outside: shown.filter(c => { const r = c.getBoundingClientRect();"
                 "   return r.left < box.left || r.right > box.right ||"
                 "          r.top < box.top || r.bottom > box.bottom; }).length,"
                 "  tallest: Math.max(...shown.map(c => c.getBoundingClientRect().height)),"
                 "  controls: ['play', 'back', 'forward'].every(name =>"
                 "   bar.querySelector(`button[data-do=\"${name}\"]`).getBoundingClientRect().width >= 20) &&"
                 "   bar.querySelector('input[type=range]').getBoundingClientRect().width >= 40}; })()")
        shapes = {}
        for width in (960, 600, 400, 240):
            self.page(f"bar-{width}.html", "--size", f"{width}x{width * 3 // 4}", "--row", "19999",
                      "--time-unit", "yr", table)
            shapes[width] = b.evaluate(shape)
        one_line = shapes[960]["height"]
        for width, got in shapes.items():
            self.assertEqual(got["height"], one_line, (width, got))
            self.assertEqual((got["spills"], got["outside"]), (0, 0), (width, got))
            self.assertLessEqual(got["tallest"], one_line - 8, (width, got))  # no control wraps within itself
            self.assertTrue(got["controls"], (width, got))

    def test_discs_and_axis_labels_stand_where_the_renderer_puts_them(self):
        b = self.browser
        arguments = ["--size", "960x720", "--frame", "rotate:1", "--trail-length", "0", "--row", "3000",
                     os.path.join(SOURCE, "examples", "trojan-horseshoe.ovx")]
        self.page("discs.html", *arguments)
        picture = os.path.join(self.folder, "discs.png")
        orbivex("--render", picture, "--style", "publication", *arguments)
        left, top, _ = b.evaluate("(() => { const r = document.querySelector('canvas').getBoundingClientRect();"
                                  " return [r.left, r.top, 0]; })()")
        shot = b.call("Page.captureScreenshot", format="png",
                      clip={"x": left, "y": top, "width": 960, "height": 720, "scale": 1})
        screen = os.path.join(self.folder, "screen.png")
        with open(screen, "wb") as file:
            file.write(base64.b64decode(shot["data"]))
        view = b.evaluate("orbivex.view")
        page, render = read_png(screen), read_png(picture)
        self.assertEqual(page[:2], render[:2])
        box = view["box"]
        legend = view["legend"] or [0, 0, 0, 0]

        def centroid(image, colour):
            xs = ys = n = 0
            for y in range(int(box[1]) + 2, int(box[3]) - 2):
                for x in range(int(box[0]) + 2, int(box[2]) - 2):
                    if legend[0] - 2 <= x <= legend[2] + 2 and legend[1] - 2 <= y <= legend[3] + 2:
                        continue
                    if max(abs(p - q) for p, q in zip(image[2][y][x], colour)) <= 40:
                        xs, ys, n = xs + x, ys + y, n + 1
            return (xs / n, ys / n) if n else None

        for colour in view["colours"]:
            rgb = tuple(int(colour[i:i + 2], 16) for i in (1, 3, 5))
            here, there = centroid(page, rgb), centroid(render, rgb)
            self.assertIsNotNone(there, colour)
            self.assertIsNotNone(here, colour)
            self.assertLess(math.dist(here, there), 1, (colour, here, there))

        def spans(image, along_x, band):
            """The centres of the labels' ink across `band` (a rectangle), along x
            or down y: runs of inked lines, a few pixels apart at most."""
            l, t, r, bottom = (int(round(v)) for v in band)
            weights = []
            for a in (range(l, r) if along_x else range(t, bottom)):
                cells = ((a, c) for c in range(t, bottom)) if along_x else ((c, a) for c in range(l, r))
                weights.append(sum(max(0, 600 - sum(image[y][x])) for x, y in cells))
            labels, start = [], None
            for i, w in enumerate(weights + [0]):
                if w and start is None:
                    start = i
                elif not w and start is not None:
                    if labels and start - labels[-1][1] <= 6:
                        labels[-1] = (labels[-1][0], i)
                    else:
                        labels.append((start, i))
                    start = None
            offset = l if along_x else t
            return [offset + (s + e - 1) / 2 for s, e in labels]

        below = (box[0] - 40, box[3] + view["pad"], box[2] + 40, box[3] + view["pad"] + view["lineHeight"])
        beside = (0, box[1], box[0] - view["pad"] + 1, box[3])
        for along_x, band in ((True, below), (False, beside)):
            here, there = spans(page[2], along_x, band), spans(render[2], along_x, band)
            self.assertEqual(len(here), len(there), (here, there))
            for a, c in zip(here, there):
                self.assertLessEqual(abs(a - c), 1, (here, there))

    def test_the_positions_decode_within_the_stated_precision(self):
        table = os.path.join(self.folder, "steps.csv")
        with open(table, "w") as out:
            out.write("t,a_x,a_y,b_x,b_y\n")
            for r in range(500):
                bx = "nan" if r % 97 == 5 else f"{-3 + 1e-3 * r * r:.17g}"
                out.write(f"{r * 0.1:.17g},{math.cos(r / 7):.17g},{2 * math.sin(r / 7):.17g},{bx},{0.5:.17g}\n")
        self.page("steps.html", "--size", "640x480", table)
        decoded = self.browser.evaluate("Array.from(orbivex.tracks, t => Array.from(t, v => isNaN(v) ? null : v))")
        extent = self.browser.evaluate("orbivex.view.extent")
        times = self.browser.evaluate("Array.from(orbivex.times)")
        spans = (extent[1] - extent[0], extent[3] - extent[2])
        with open(table) as rows:
            next(rows)
            for r, line in enumerate(rows):
                values = [float(v) for v in line.split(",")]
                self.assertEqual(times[r], values[0])
                for body in range(2):
                    for axis in range(2):
                        want, got = values[1 + 2 * body + axis], decoded[body][2 * r + axis]
                        if math.isnan(want):
                            self.assertIsNone(got)
                        else:
                            self.assertLessEqual(abs(got - want), spans[axis] / 65536, (r, body, axis))

    def test_a_page_in_space_opens_turned_and_turns_with_a_shift_drag(self):
        # Two bodies on inclined circles; the page projects what it packs.
        table = os.path.join(self.folder, "space.csv")
        rows = []
        with open(table, "w") as out:
            out.write("t,a_x,a_y,a_z,b_x,b_y,b_z\n")
            for r in range(200):
                u = 2 * math.pi * r / 150
                row = [r * 0.01, math.cos(u), math.sin(u) * math.cos(0.3), math.sin(u) * math.sin(0.3),
                       2 * math.cos(u), 2 * math.sin(u) * math.cos(1.1), 2 * math.sin(u) * math.sin(1.1)]
                rows.append(row)
                out.write(",".join(f"{v:.17g}" for v in row) + "\n")
        b = self.browser
        arguments = ["--size", "640x480", "--view", "30,25", "--row", "180", table]
        self.page("space.html", *arguments)
        # The triad and the scale bar stand where the renderer puts them.
        picture = os.path.join(self.folder, "space.png")
        orbivex("--render", picture, *arguments)
        b.wait_for("orbivex.state.frames > 1")
        canvas = b.evaluate("Array.from(document.querySelector('canvas').getContext('2d')"
                            ".getImageData(0, 0, 640, 480).data)")
        render = read_png(picture)[2]
        box = b.evaluate("orbivex.view.box")

        def ink(pixel_at, l, r):
            points = [(x, y) for y in range(int(box[3]) - 100, int(box[3]) - 2) for x in range(l, r)
                      if max(pixel_at(x, y)) < 110]
            return (sum(x for x, _ in points) / len(points), sum(y for _, y in points) / len(points)) if points else None

        for l, r in ((int(box[0]) + 2, int(box[0]) + 110), (int(box[2]) - 160, int(box[2]) - 2)):
            there = ink(lambda x, y: render[y][x], l, r)
            here = ink(lambda x, y: canvas[4 * (640 * y + x):4 * (640 * y + x) + 3], l, r)
            self.assertIsNotNone(there)
            self.assertIsNotNone(here)
            self.assertLess(math.dist(here, there), 1, (l, here, there))

        def turntable(az, el, p):
            a, t = math.radians(az), math.radians(el - 90)
            x, y = math.cos(a) * p[0] - math.sin(a) * p[1], math.sin(a) * p[0] + math.cos(a) * p[1]
            return x, math.cos(t) * y - math.sin(t) * p[2]

        def expect_turned(az, el):
            self.assertEqual(b.evaluate("orbivex.turn"), [az, el, 0])
            # The rows the picture shows, projected in the frame drawn after the turn.
            b.wait_for(f"orbivex.state.frames > {b.evaluate('orbivex.state.frames') + 1}")
            first, last = b.evaluate("orbivex.projected()")
            self.assertLessEqual(first, b.evaluate("orbivex.state.row"))
            self.assertGreater(last - first, 50)
            shown = b.evaluate("Array.from(orbivex.tracks, t => Array.from(t))")
            extent = b.evaluate("orbivex.view.extent")
            slack = 3 * max(extent[1] - extent[0], extent[3] - extent[2]) / 65536
            for r in range(first, last, 7):
                for body in range(2):
                    want = turntable(az, el, rows[r][1 + 3 * body:4 + 3 * body])
                    got = shown[body][2 * r:2 * r + 2]
                    self.assertLessEqual(math.dist(want, got), slack, (az, el, r, body))

        expect_turned(30, 25)
        # Shift and a drag of 40 pixels right and 20 down: 20 degrees round, the camera 10 lower.
        for kind, x, y in (("mousePressed", 300, 200), ("mouseMoved", 340, 220), ("mouseReleased", 340, 220)):
            b.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, modifiers=8, clickCount=1,
                   button="none" if kind == "mouseMoved" else "left")
        expect_turned(50, 15)
        # While a drag turns the view the trails are drafts: a pixel wide, in
        # the bodies' own colours, where an independent projection puts them.
        b.call("Input.dispatchMouseEvent", type="mousePressed", x=300, y=200, modifiers=8, clickCount=1,
               button="left")
        b.call("Input.dispatchMouseEvent", type="mouseMoved", x=320, y=220, modifiers=8, button="none")
        b.wait_for(f"orbivex.state.frames > {b.evaluate('orbivex.state.frames') + 1}")
        self.assertEqual(b.evaluate("orbivex.turn"), [60, 5, 0])
        pixels = b.evaluate("Array.from(document.querySelector('canvas').getContext('2d')"
                            ".getImageData(0, 0, 640, 480).data)")
        b.call("Input.dispatchMouseEvent", type="mouseReleased", x=320, y=220, modifiers=8, clickCount=1,
               button="left")
        scale, offset_x, scale_y, offset_y = b.evaluate("orbivex.mapping()")
        colours = [tuple(int(c[k:k + 2], 16) for k in (1, 3, 5)) for c in b.evaluate("orbivex.view.colours")]
        row = b.evaluate("orbivex.state.row")

        def colour_near(x, y, colour):
            return any(tuple(pixels[4 * (640 * j + i):4 * (640 * j + i) + 3]) == colour
                       for j in range(int(y) - 1, int(y) + 2) for i in range(int(x) - 1, int(x) + 2))

        for r in range(row - 150, row - 10, 9):
            for body in range(2):
                x, y = turntable(60, 5, rows[r][1 + 3 * body:4 + 3 * body])
                self.assertTrue(colour_near(x * scale - offset_x, y * scale_y - offset_y, colours[body]), (r, body))
        # The hover gives the distance in space.
        view = b.evaluate("orbivex.view")
        left, top, _ = b.evaluate("(() => { const r = document.querySelector('canvas').getBoundingClientRect();"
                                  " return [r.left, r.top, 0]; })()")
        row = b.evaluate("orbivex.state.row")
        x, y = b.evaluate(f"[orbivex.tracks[1][{2 * row}], orbivex.tracks[1][{2 * row + 1}]]")
        scale, offset_x, scale_y, offset_y = b.evaluate("orbivex.mapping()")
        b.mouse("mouseMoved", left + x * scale - offset_x, top + y * scale_y - offset_y)
        b.wait_for("!document.querySelector('.ovx-tip').hidden")
        tip = b.evaluate("document.querySelector('.ovx-tip').textContent")
        self.assertIn("r = 2 from the sun in space", tip)
        self.assertIn("z = ", tip)
        self.assertTrue(view["space"])

    def test_discs_nearer_the_viewer_cover_those_behind(self):
        # Two bodies one above the other: the nearer disc is drawn last from
        # above and from below, whatever the bodies' numbers.
        table = os.path.join(self.folder, "stacked.csv")
        with open(table, "w") as out:
            out.write("t,a_x,a_y,a_z,b_x,b_y,b_z\n")
            for r in range(20):
                out.write(f"{r * 0.01},1,0,0.1,1,0,-0.1\n")
        b = self.browser
        for view, nearer in (("0,90", 0), ("0,-90", 1), ("0,60", 0)):
            self.page("stacked.html", "--size", "320x240", "--view", view, "--trail-length", "0", table)
            b.wait_for("orbivex.state.frames > 1")
            scale, offset_x, scale_y, offset_y = b.evaluate("orbivex.mapping()")
            x, y = b.evaluate("[orbivex.tracks[0][0], orbivex.tracks[0][1]]")
            centre = b.evaluate(f"Array.from(document.querySelector('canvas').getContext('2d')"
                                f".getImageData({int(x * scale - offset_x)}, {int(y * scale_y - offset_y)}, 1, 1).data)")
            colour = b.evaluate(f"orbivex.view.colours[{nearer}]")
            self.assertEqual(tuple(centre[:3]), tuple(int(colour[k:k + 2], 16) for k in (1, 3, 5)), view)

    def test_hostile_title_and_names_are_shown_as_text(self):
        title = "</script><script>window.pwned = 1</script><!-- \"quoted\" 'single' \u2028 & \x07"
        names = "<img/src=x/onerror=window.pwned=2>,a\"b"
        table = os.path.join(self.folder, "hostile.csv")
        with open(table, "w") as out:
            out.write("t,p_x,p_y,q_x,q_y\n0,1,0,0,2\n1,0,1,-2,0\n2,-1,0,0,-2\n")
        self.page("hostile.html", "--title", title, "--names", names, "--size", "640x480", table)
        b = self.browser
        self.assertIsNone(b.evaluate("window.pwned === undefined ? null : window.pwned"))
        # A control character is shown as the replacement mark, as everywhere.
        self.assertEqual(b.evaluate("orbivex.view.title"), title.replace("\x07", "\ufffd"))
        self.assertEqual(b.evaluate("orbivex.view.names"), names.split(","))
        self.assertEqual(b.evaluate("document.querySelectorAll('img, script:not([class]):not([src])').length"), 1)
        self.assertFalse([e for e in b.events if e.get("method") == "Runtime.exceptionThrown"])

    def test_a_notebook_shows_the_player_and_it_plays(self):
        try:
            import nbformat
            from nbconvert.preprocessors import ExecutePreprocessor
        except ImportError:
            self.skipTest("needs nbconvert and ipykernel (python3-nbconvert, python3-ipykernel)")
        notebook = nbformat.v4.new_notebook()
        notebook.cells = [nbformat.v4.new_code_cell(
            "import numpy as np, orbivex\n"
            "t = np.linspace(0, 6.3, 631)\n"
            "positions = np.stack([np.cos(t), np.sin(t)], axis=1)[:, np.newaxis, :]\n"
            "orbivex.Animation(t, positions, names=['planet'], size=(480, 360))")]
        environment = {"PYTHONPATH": os.path.join(SOURCE, "python"), "ORBIVEX": ORBIVEX,
                       "QT_QPA_PLATFORM": "offscreen"}
        saved = {name: os.environ.get(name) for name in environment}
        os.environ.update(environment)
        try:
            ExecutePreprocessor(timeout=120, kernel_name="python3").preprocess(notebook,
                                                                               {"metadata": {"path": self.folder}})
        finally:
            for name, value in saved.items():
                if value is None:
                    os.environ.pop(name, None)
                else:
                    os.environ[name] = value
        outputs = notebook.cells[0].outputs
        shown = [o["data"]["text/html"] for o in outputs if "data" in o and "text/html" in o["data"]]
        self.assertEqual(len(shown), 1, outputs)
        self.assertIn("<iframe srcdoc=", shown[0])
        # The output, opened as the notebook's page shows it, plays.
        path = os.path.join(self.folder, "output.html")
        with open(path, "w") as out:
            out.write("<!DOCTYPE html><html><body>" + shown[0] + "</body></html>")
        b = self.browser
        b.call("Runtime.enable")
        b.call("Page.enable")
        b.call("Page.navigate", url="file://" + path)
        deadline, context = time.time() + 20, None
        while context is None and time.time() < deadline:
            b.call("Runtime.evaluate", expression="1")
            # The player's frame, a child of the page, runs in a context of its own.
            frames = b.call("Page.getFrameTree")["frameTree"].get("childFrames", [])
            for event in b.events:
                made = event.get("params", {}).get("context", {})
                if (event.get("method") == "Runtime.executionContextCreated" and frames and
                        made.get("auxData", {}).get("frameId") == frames[0]["frame"]["id"]):
                    context = made["id"]
            time.sleep(0.1)
        self.assertIsNotNone(context, "the player's frame never ran")

        def inside(expression):
            result = b.call("Runtime.evaluate", expression=expression, contextId=context, returnByValue=True)
            return result["result"].get("value")

        deadline = time.time() + 15
        while not inside("window.orbivex !== undefined") and time.time() < deadline:
            time.sleep(0.05)
        self.assertEqual(inside("orbivex.view.names"), ["planet"])
        inside("orbivex.actions.play()")
        deadline = time.time() + 10
        while inside("orbivex.state.row") < 5 and time.time() < deadline:
            time.sleep(0.05)
        self.assertGreaterEqual(inside("orbivex.state.row"), 5)
        self.assertTrue(inside("orbivex.state.playing"))


if __name__ == "__main__":
    ORBIVEX, SOURCE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    del sys.argv[1:3]
    result = unittest.main(exit=False).result
    if result.skipped and not result.failures and not result.errors and result.testsRun == len(result.skipped):
        sys.exit(77)
    sys.exit(0 if result.wasSuccessful() else 1)
