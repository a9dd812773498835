"""save() and load() on their own: values back bit for bit, numbers and
tables read as the viewer reads them, bad arguments refused with the folder
left as it was."""

import dataclasses
import math
import os

import numpy as np

import orbivex
from orbivex._numbers import read_reals
from support import FolderTest

# Doubles whose shortest text is easy to get wrong.
AWKWARD = [0.0, -0.0, 0.1, 1 / 3, 2.0**-1074, 2.2250738585072014e-308, 1.7976931348623157e308, -1e-5, 1e16, 5e-324,
           123456789.12345679, 0.30000000000000004, -2.5e-100, 9007199254740993.0]

CONFIG = """data file = d.dat
number of data lines = {lines}
number of planets = 1
radii in pixels = 4
colour codes = 12
box xmin ymin xmax ymax = {box}
delay in msec = 30
step = {step}
points per orbit = 5
start from line = {start}
sun size = 6
draw axes (0 or 1) = 1
draw planets (0 or 1) = 0
draw orbits (0 or 1) = 1
{extra}"""


def bits(array):
    return np.ascontiguousarray(array, dtype=np.float64).view(np.uint64)


class SaveLoadTest(FolderTest):
    def test_values_come_back_bit_for_bit(self):
        rng = np.random.default_rng(7)
        positions = rng.normal(size=(40, 3, 2)) * 10.0 ** rng.integers(-300, 300, size=(40, 3, 2))
        positions.flat[: len(AWKWARD)] = AWKWARD
        t = np.cumsum(rng.random(40))
        t[0] = -0.0
        path = orbivex.save(self.path("run.ovx"), t, positions, names=["a", "b", "c"], title=" A  title ")
        loaded = orbivex.load(path)
        self.assertTrue(np.array_equal(bits(loaded.t), bits(t)))
        self.assertTrue(np.array_equal(bits(loaded.positions), bits(positions)))
        self.assertEqual((loaded.names, loaded.title, loaded.line_count), (["a", "b", "c"], "A  title", 40))
        self.assertEqual(sorted(os.listdir(self.folder)), ["run.dat", "run.ovx"])

    def test_the_bodies_shown_line_keeps_those_bodies_as_the_viewer_does(self):
        positions = np.arange(4 * 3 * 2, dtype=float).reshape(4, 3, 2)
        path = orbivex.save(self.path("run.ovx"), range(4), positions, names=["a", "b", "c"], radii=[1, 2, 3])
        for shown, bodies, note in (("1, 3", [0, 2], ""), ("2-3,3", [1, 2], ""), ("1,9", [0, 1, 2], "no body 9"),
                                    ("x", [0, 1, 2], "")):
            with self.subTest(shown):
                with open(path) as file:
                    text = file.read()
                with open(self.path("cut.ovx"), "w") as file:
                    file.write(text + f"bodies shown = {shown}\n")
                loaded = orbivex.load(self.path("cut.ovx"))
                self.assertTrue(np.array_equal(loaded.positions, positions[:, bodies]))
                self.assertEqual(loaded.names, [["a", "b", "c"][b] for b in bodies])
                self.assertEqual(loaded.radii, [b + 1 for b in bodies])
                self.assertIn(note, loaded.note)

    def test_plane_chooses_two_of_three_coordinates(self):
        positions = np.arange(2 * 2 * 3, dtype=float).reshape(2, 2, 3) + 1
        for plane, columns in (("xy", [0, 1]), ("xz", [0, 2]), ("yz", [1, 2])):
            loaded = orbivex.load(orbivex.save(self.path(plane + ".ovx"), [0, 1], positions, plane=plane, trail=1))
            self.assertTrue(np.array_equal(loaded.positions, positions[:, :, columns]), plane)

    def test_fields_come_back_and_save_again(self):
        xy = np.ones((5, 2, 2))
        fields = dict(radii=[2, 5], colours=[0, 13], box=(-3, -2, 4.5, 2), delay=7, step=2, trail=3, start=1,
                      sun_size=0, draw_axes=False, draw_planets=True, draw_orbits=False, masses=[1e-3, 0],
                      sun_mass=2.5, gm=2.959122082855911e-4, equal_aspect=True)
        loaded = orbivex.load(orbivex.save(self.path("f.ovx"), range(5), xy, names=["p", "q"], time_unit="yr",
                                           length_unit="AU", **fields))
        got = loaded.fields()
        self.assertEqual({key: got[key] for key in fields}, {**fields, "box": (-3.0, -2.0, 4.5, 2.0)})
        self.assertEqual((got["time_unit"], got["length_unit"]), ("yr", "AU"))
        orbivex.save(self.path("g.ovx"), loaded.t, loaded.positions, **got)
        with open(self.path("f.ovx")) as f, open(self.path("g.ovx")) as g:
            self.assertEqual(f.read().replace("f.dat", "g.dat"), g.read())
        # A record: changed only into a new one, which saves as its fields say.
        with self.assertRaises(dataclasses.FrozenInstanceError):
            loaded.trail = 1
        changed = dataclasses.replace(loaded, trail=1, names=["r", "s"])
        self.assertEqual((changed.fields()["trail"], changed.fields()["names"], loaded.trail), (1, ["r", "s"], 3))

    def test_bad_arguments_raise_and_write_nothing(self):
        good = (np.zeros(3), np.ones((3, 2, 2)))
        cases = [
            ((np.zeros(3), np.ones((3, 2))), {}, "positions has shape (3, 2)"),
            ((np.zeros(4), np.ones((3, 2, 2))), {}, "positions has 3 rows and t has 4"),
            ((np.zeros((3, 1)), np.ones((3, 2, 2))), {}, "t has shape"),
            ((np.zeros(0), np.ones((0, 2, 2))), {}, "no rows"),
            ((np.zeros(3), np.ones((3, 31, 2))), {}, "31 bodies; 1 to 30"),
            ((np.zeros(3), np.ones((3, 0, 2))), {}, "0 bodies"),
            ((np.array([0, math.nan, 1]), good[1]), {}, "t[1] is not a finite number"),
            (good, {"plane": "xz"}, "needs three coordinates"),
            ((good[0], np.ones((3, 2, 3))), {"plane": "zx"}, "plane 'zx'"),
            (good, {"radii": [1, 2, 3]}, "radii: 3 values for 2 bodies"),
            (good, {"colours": 22}, "colours: 22"),  # 14 to 21: a table's, made classic
            (good, {"box": (1, 0, 1, 2)}, "xmin < xmax"),
            (good, {"step": 4}, "step: 4"),
            (good, {"trail": 2}, "trail: 2"),
            (good, {"names": ["a b", "c"]}, "'a b' is not one word"),
            (good, {"names": ["a"]}, "1 names for 2 bodies"),
            (good, {"title": "two\nlines"}, "not one line"),
            (good, {"masses": [1, -1]}, "not a mass"),
            (good, {"gm": 0}, "gm: 0 is not a gravitational parameter"),
            ((good[0], np.ma.masked_array(good[1], mask=good[1] * 0 + (np.arange(12) == 5).reshape(3, 2, 2))), {},
             "positions holds masked values"),
            ((np.ma.masked_array(good[0], mask=[0, 1, 0]), good[1]), {}, "t holds masked values"),
            ((good[0], good[1] + 0.5j), {}, "positions holds complex numbers"),
        ]
        for arguments, keywords, message in cases:
            with self.subTest(message), self.assertRaises(ValueError) as raised:
                orbivex.save(self.path("x.ovx"), *arguments, **keywords)
            self.assertIn(message, str(raised.exception))
        with self.assertRaisesRegex(ValueError, "must not be empty or hold blanks"):
            orbivex.save(self.path("a b.ovx"), *good)
        with self.assertRaisesRegex(TypeError, "unknown keyword 'colors'"):
            orbivex.save(self.path("x.ovx"), *good, colors=[1, 2])
        self.assertEqual(os.listdir(self.folder), [])

    def test_nan_is_refused_unless_allowed(self):
        xy = np.ones((3, 1, 2))
        xy[1, 0, 1] = math.nan
        xy[2, 0, 0] = -math.inf
        with self.assertRaisesRegex(ValueError, r"positions\[1, 0\] is nan"):
            orbivex.save(self.path("n.ovx"), range(3), xy)
        loaded = orbivex.load(orbivex.save(self.path("n.ovx"), range(3), xy, allow_nan=True))
        self.assertTrue(np.array_equal(loaded.positions, xy, equal_nan=True))

    def test_a_failed_save_keeps_the_files_it_would_replace(self):
        orbivex.save(self.path("old.ovx"), [0, 1, 2], np.ones((3, 1, 2)))
        os.rename(self.path("old.dat"), self.path("b.dat"))
        os.mkdir(self.path("b.ovx"))  # the configuration cannot replace a folder
        with self.assertRaises(OSError):
            orbivex.save(self.path("b.ovx"), [0, 1, 2], np.zeros((3, 1, 2)))
        self.assertEqual(sorted(os.listdir(self.folder)), ["b.dat", "b.ovx", "old.ovx"])
        with open(self.path("b.dat")) as data:
            self.assertEqual(data.read(), "0 1 1\n1 1 1\n2 1 1\n")


class NumberTest(FolderTest):
    def test_numbers_read_as_the_c_library_reads_them(self):
        cases = [
            (b"0x1p-3 0X1.8P1 -0x.8", [0.125, 3.0, -0.5], False),
            (b"1e+ 2E 3e-x", [1.0, 2.0, 3.0], True),
            (b"inf -Infinity +5 .5 5.", [math.inf, -math.inf, 5.0, 0.5, 5.0], False),
            (b"1.5-2\t\v\f\r\n7", [1.5, -2.0, 7.0], False),
            (b"1e999 -1e-999 0x1p99999", [math.inf, -0.0, math.inf], False),
            (b"1 2 abc 3", [1.0, 2.0], True),
            (b"nan(7) 1", [math.nan], True),
            (b"0x 1", [], True),
            (b"- 1", [], True),
            (b"1_0", [1.0], True),
        ]
        for text, values, stopped in cases:
            with self.subTest(text=text):
                got, got_stopped = read_reals(text, 100)
                self.assertEqual(got_stopped, stopped)
                self.assertTrue(np.array_equal(bits(got), bits(values)) or np.isnan(got).any())

    def test_a_short_data_file_gives_its_complete_rows(self):
        self.write("d.dat", "0 1 2\n0.5 3 4\n1 5")
        config = self.write("c.ovx", CONFIG.format(lines=5, box="-2 -2 2 2", step=1, start=0, extra=""))
        loaded = orbivex.load(config)
        self.assertEqual((len(loaded.t), loaded.line_count), (2, 5))
        self.assertEqual(loaded.positions.tolist(), [[[1, 2]], [[3, 4]]])

    def test_configuration_values_as_the_viewer_keeps_them(self):
        self.write("d.dat", "0 1 2 1 3 4 2 5 6")
        cases = [  # step, start, box, extra lines -> what is read
            ((9, 5, "0x1p1 -1 3 1e+", ""), {"step": 1, "start": 0, "box": (2.0, -1.0, 3.0, 1.0)}),
            ((2, 2, "-1 -1 1 1", " NAMES = a\x01b  c\nTitle=x=y\nsun mass = 1e-400\nmasses = 3"),
             {"step": 2, "start": 2, "names": ["a\ufffdb", "c"], "title": "x=y", "sun_mass": 1.0,
              "masses": [3.0], "gm": None}),
            ((1, 0, "-1 -1 1 1", "GM = 39.47841760435743"), {"gm": 39.47841760435743}),
            ((1, 0, "-1 -1 1 1", "gm = 1\ngm = -1"), {"gm": None}),
        ]
        for (step, start, box, extra), expected in cases:
            config = self.write("c.ovx", CONFIG.format(lines=3, box=box, step=step, start=start, extra=extra))
            loaded = orbivex.load(config)
            self.assertEqual({key: getattr(loaded, key) for key in expected}, expected)

    def test_configurations_the_viewer_refuses(self):
        cases = [("number of planets = 1", "number of planets = 31", -3),
                 ("radii in pixels = 4", "radii in pixels = x", -4),
                 ("box xmin ymin xmax ymax = -2", "box = 0x", -6),
                 ("box xmin ymin xmax ymax = -2 -2 2 2", "box = 1 1 1 1", -6),
                 ("box xmin ymin xmax ymax = -2 -2 2 2", "box = nan 0 1 1", -6)]
        for field, replaced, code in cases:
            text = CONFIG.format(lines=3, box="-2 -2 2 2", step=1, start=0, extra="").replace(field, replaced)
            with self.subTest(replaced), self.assertRaises(orbivex.ConfigurationError) as raised:
                orbivex.load(self.write("c.ovx", text))
            self.assertEqual(raised.exception.code, code)


    def test_more_bodies_than_a_classic_configuration_holds_only_in_a_table(self):
        self.write("many.csv", "t" + "".join(f",x{k},y{k}" for k in range(1, 32)) + "\n0" + ",1" * 62 + "\n")
        radii = "radii in pixels = " + " ".join(["4"] * 31)
        colours = "colour codes = " + " ".join(["12"] * 31)
        base = (CONFIG.format(lines=1, box="-2 -2 2 2", step=1, start=0, extra="{extra}")
                .replace("d.dat", "many.csv").replace("number of planets = 1", "number of planets = 31")
                .replace("radii in pixels = 4", radii).replace("colour codes = 12", colours))
        cases = [("", -3), ("data format = table\n", None),
                 ("data format = stream\n", -3)]
        for extra, code in cases:
            with self.subTest(extra=extra):
                config = self.write("c.ovx", base.format(extra=extra))
                if code is None:
                    self.assertEqual(orbivex.load(config).positions.shape, (1, 31, 2))
                    continue
                with self.assertRaises(orbivex.ConfigurationError) as raised:
                    orbivex.load(config)
                self.assertEqual(raised.exception.code, code)


class TableTest(FolderTest):
    def test_tables_of_every_layout(self):
        cases = [  # text, t, positions, names, (time unit, length unit)
            ("0 1 2\n\n# note\n1 3 4", [0, 1], [[[1, 2]], [[3, 4]]], None, (None, None)),
            ("t,x,y\r\n0, 1 ,2\r\n", [0], [[[1, 2]]], None, (None, None)),
            ("# t earth_x earth_y\n0 1 2\n", [0], [[[1, 2]]], ["earth"], (None, None)),
            ("time [yr];x1 [AU];y1 [AU]\n0;1;2\n", [0], [[[1, 2]]], None, ("yr", "AU")),
            ("x_b,y_b,t,a.x,a.y\n1,2,0,3,4\n", [0], [[[1, 2], [3, 4]]], ["b", "a"], (None, None)),
            ("t x y z\n0 1 2 3\n", [0], [[[1, 2, 3]]], None, (None, None)),
            ("0 1.5D+03 -2.0d-1\n", [0], [[[1.5e3, -2.0e-1]]], None, (None, None)),
            ("t\tx\ty\n0\t-0,25\t1,5e2\n", [0], [[[-0.25, 1.5e2]]], None, (None, None)),
            ("time,id,x,y\n0,2,1,2\n0,1,3,4\n", [0], [[[1, 2], [3, 4]]], ["2", "1"], (None, None)),
        ]
        for text, t, positions, names, units in cases:
            with self.subTest(text=text):
                loaded = orbivex.load(self.write("table.txt", text))
                self.assertEqual((loaded.t.tolist(), loaded.positions.tolist()), (t, positions))
                self.assertEqual((loaded.names, (loaded.time_unit, loaded.length_unit)), (names, units))
                self.assertEqual((loaded.title, loaded.note), ("table.txt", ""))

    def test_a_configurations_columns_line_reads_a_table_without_header(self):
        self.write("seven.txt", "0 1 2 3 4 5 6\n1 2 3 4 5 6 7\n")
        for extra, shape, note in (
            ("data format = table\n", (2, 3, 2), "7 columns read as the time and x, y of 3 bodies"),
            ("data format = table\ncolumns = xyz\n", (2, 2, 3), ""),
            ("data format = table\ncolumns = XY\n", (2, 3, 2), ""),
        ):
            with self.subTest(extra=extra):
                text = CONFIG.format(lines=-1, box="-1 -1 1 1", step=1, start=0, extra=extra)
                loaded = orbivex.load(self.write("seven.ovx", text.replace("d.dat", "seven.txt")))
                self.assertEqual(loaded.positions.shape, shape)
                self.assertTrue(loaded.note.startswith(note))
        # Opened directly, as with the viewer's --columns.
        self.assertEqual(orbivex.load(self.path("seven.txt"), columns="xyz").positions.shape, (2, 2, 3))

    def test_a_large_tables_cut_last_line_is_left_out(self):
        # Beyond the head the layout is found from, as a writer may leave it.
        loaded = orbivex.load(self.write("big.txt", "0 1 2\n" * 200000 + "1 3"))
        self.assertEqual((len(loaded.t), loaded.note), (200000, "Line 200001 is cut short and was left out"))

    def test_tables_the_viewer_refuses(self):
        cases = [
            ("0 1 2\n1 abc 4\n", "Line 2, column 2: 'abc' is not a number"),
            ("0 1 2\n1 2\n3 4 5\n", "Line 2, column 3: the line holds 2 values where the lines before hold 3"),
            ("0 1 2 3\n", "Line 1: 4 values a line"),
            ("t,x,y,y\n0,1,2,3\n", "Line 1, column 4: 'y' gives the coordinate that column 3 gives already"),
            ("a_x,a_y\n1,2\n", "Line 1: the header names no time column"),
            ("t,body,x,y\n0,a,1,2\n0,a,3,4\n", "Line 3, column 2: a second line for 'a' at the time 0"),
            ("t,body,x,y\n0,,1,2\n", "Line 2, column 2: the line names no body"),
            ("t,body,x,y\n0,a,1,2\n1,a,2\n", "Line 3, column 4: the line holds 3 values where the lines before hold 4"),
            ("0 1 2 3 4 5 6\n1 2 3 4 5 6 7 8\n", "Line 2, column 8: the line holds 8 values"),
            ("0" + " 1" * 2002 + "\n", "The table holds 1001 bodies; at most 1000 can be shown"),
        ]
        for text, message in cases:
            with self.subTest(text=text), self.assertRaises(orbivex.TableError) as raised:
                orbivex.load(self.write("bad.csv", text))
            self.assertIn(message, str(raised.exception))
