"""What save() writes against what the viewer and orbivex-gen make: the same
pictures, and the same inferred view of a plain table; configurations load
as the viewer reads them; series and pages made by the viewer, and its
failures raised as ViewerError."""

import dataclasses
import math
import os
import subprocess
import warnings

import numpy as np

import orbivex
from orbivex._config import read_configuration
from support import FolderTest, program


class RenderTest(FolderTest):
    def render(self, picture, source, *options):
        self.run_program(program("ORBIVEX"), "--render", self.path(picture), *options, source)
        with open(self.path(picture), "rb") as file:
            return file.read()

    def test_saved_files_draw_the_pictures_orbivex_gen_files_draw(self):
        generated = self.path("gen.ovx")
        self.run_program(program("ORBIVEX_GEN"), "--planet", "1,0.4", "--planet", "1.6,0.1,120,0.001", "--rows",
                         "900", "--names", "Inner,Outer", "--time-unit", "yr", "--length-unit", "AU", "--title",
                         "Two planets", "--sizes", "4,2", generated)
        simulation = orbivex.load(generated)
        saved = orbivex.save(self.path("py.ovx"), simulation.t, simulation.positions, **simulation.fields())
        for options in (("--framed", "--ticks", "40"), ("--style", "publication", "--frame", "barycentre")):
            with self.subTest(options=options):
                self.assertEqual(self.render("gen.png", generated, *options), self.render("py.png", saved, *options))
        # The defaults are orbivex-gen's too: box, trail and colours.
        defaults = orbivex.load(orbivex.save(self.path("d.ovx"), simulation.t, simulation.positions))
        for key in ("box", "trail", "colours", "sun_size"):
            self.assertEqual(getattr(defaults, key), getattr(simulation, key), key)

    def test_a_table_loads_as_the_viewer_infers_it(self):
        t = np.linspace(0.0, 3.0, 301)
        columns = [t]
        for a, z in ((1.0, 0.1), (1.9, -0.2)):
            angle = 2 * math.pi * t / a**1.5
            columns += [a * np.cos(angle), a * np.sin(angle), z * np.sin(angle)]
        table = self.path("bodies.csv")
        np.savetxt(table, np.column_stack(columns), delimiter=",", comments="",
                   header="time [yr],venus_x [AU],venus_y,venus_z,mars_x,mars_y,mars_z")
        written = self.path("written.ovx")
        self.run_program(program("ORBIVEX"), "--write-config", written, table)
        direct, through_viewer = orbivex.load(table), orbivex.load(written)
        self.assertEqual(direct.fields(), through_viewer.fields())
        self.assertEqual((direct.names, direct.time_unit, direct.length_unit), (["venus", "mars"], "yr", "AU"))
        self.assertTrue(np.array_equal(direct.positions, through_viewer.positions))
        self.assertEqual(direct.positions.shape, (301, 2, 3))
        # Saved on the plane the viewer shows, it draws the same picture as
        # the table's configuration given the classic codes the palette's
        # colours become.
        saved = orbivex.save(self.path("saved.ovx"), direct.t, direct.positions, **direct.fields())
        self.assertEqual(orbivex.load(saved).colours, [12, 10])
        with open(written) as file:
            text = file.read()
        self.assertIn("colour codes = 14 15\n", text)
        classic = self.path("classic.ovx")
        with open(classic, "w") as file:
            file.write(text.replace("colour codes = 14 15\n", "colour codes = 12 10\n"))
        self.assertEqual(self.render("a.png", classic, "--framed"), self.render("b.png", saved, "--framed"))
        self.assertEqual(sorted(os.listdir(self.folder)),
                         ["a.png", "b.png", "bodies.csv", "classic.ovx", "saved.dat", "saved.ovx", "written.ovx"])


class SeriesTest(FolderTest):
    def test_series_are_the_viewers_own_numbers(self):
        generated = self.path("gen.ovx")
        self.run_program(program("ORBIVEX_GEN"), "--planet", "1.3,0.3", "--planet", "2,0.1,90", "--rows", "600",
                         "--names", "Inner,Outer", generated)
        got = orbivex.series(generated, "a,e:Outer,sep:1-2")
        self.assertEqual(got.columns, ["a:1", "a:2", "e:Outer", "sep:1-2"])
        self.assertEqual(got.values.shape, (600, 4))
        self.assertTrue(np.allclose(got["a:1"], 1.3, rtol=0, atol=1e-7))
        self.assertTrue(np.allclose(got["e:Outer"], 0.1, rtol=0, atol=1e-7))
        # The same numbers as the table the viewer writes, read without the module.
        self.run_program(program("ORBIVEX"), "--export-series", self.path("s.csv"), "--plot", "sep:1-2", generated)
        self.assertTrue(np.array_equal(np.loadtxt(self.path("s.csv"), delimiter=",", skiprows=1)[:, 1],
                                       got["sep:1-2"]))
        with self.assertRaises(orbivex.ViewerError) as raised:
            orbivex.series(generated, "r:3")
        self.assertIn("no body 3", raised.exception.message)
        # 2: the viewer's status for bad arguments.
        self.assertEqual((raised.exception.status, str(raised.exception)), (2, raised.exception.message))
        with self.assertRaises(dataclasses.FrozenInstanceError):
            got.notes = []
        # Runs compared: a list of files; a run against itself differs nowhere.
        same = orbivex.series([generated, generated], "diff,diff-a:Inner")
        self.assertEqual(same.columns, ["diff:1", "diff:2", "diff-a:Inner"])
        self.assertTrue(np.array_equal(same.values, np.zeros((600, 3))))
        with self.assertRaisesRegex(ValueError, "need a second run"):
            orbivex.series(generated, "diff:1")

    def ellipse_table(self, rows_an_orbit, velocities):
        """A body on the ellipse of a = 1, e = 0.3 about mu = 1 (pericentre
        on x), two orbits of `rows_an_orbit` rows, with its velocity
        columns or without."""
        t = np.arange(2 * rows_an_orbit) * 2 * math.pi / rows_an_orbit
        big = t.copy()
        for _ in range(50):
            big -= (big - 0.3 * np.sin(big) - t) / (1 - 0.3 * np.cos(big))
        b, rate = math.sqrt(1 - 0.09), 1 / (1 - 0.3 * np.cos(big))
        columns = [t, np.cos(big) - 0.3, b * np.sin(big)]
        header = "t,x,y"
        if velocities:
            columns += [-np.sin(big) * rate, b * np.cos(big) * rate]
            header += ",vx,vy"
        path = self.path(f"ellipse{rows_an_orbit}{'v' if velocities else ''}.csv")
        np.savetxt(path, np.column_stack(columns), delimiter=",", comments="", header=header, fmt="%.17g")
        return path

    def test_values_not_to_be_trusted_are_nan_with_a_warning_unless_the_table_has_velocities(self):
        coarse = self.ellipse_table(40, False)
        with self.assertWarnsRegex(orbivex.SeriesWarning, "a:1: [0-9]+ of 80 values written as nan"):
            got = orbivex.series(coarse, "a:1,r:1", gm=1)
        a = got["a:1"]
        self.assertTrue(np.isnan(a).any() and not np.isnan(a).all())
        # What is left is good to the tolerance, a millionth.
        self.assertTrue(np.allclose(a[~np.isnan(a)], 1, rtol=0, atol=1e-6))
        self.assertFalse(np.isnan(got["r:1"]).any())
        self.assertIn("\u03bc = 1, as given", got.notes)
        # The table's velocities: every value, exact, and no warning.
        with warnings.catch_warnings():
            warnings.simplefilter("error", orbivex.SeriesWarning)
            exact = orbivex.series(self.ellipse_table(40, True), "a:1,e:1", gm=1)
        self.assertTrue(np.allclose(exact["a:1"], 1, rtol=0, atol=1e-12))
        self.assertTrue(np.allclose(exact["e:1"], 0.3, rtol=0, atol=1e-12))
        self.assertIn("velocities from the table's velocity columns", exact.notes)


class AnimationTest(FolderTest):
    def test_the_page_is_the_viewers_and_its_failure_a_viewer_error(self):
        table = self.write("circle.csv", "t,x,y\n0,1,0\n1,0,1\n2,-1,0\n")
        page = orbivex.Animation(table, size=(320, 240))
        self.assertIn("<html", page.html.lower())
        self.assertIn('width="324" height="288"', page._repr_html_())
        with self.assertRaises(orbivex.ViewerError) as raised:
            orbivex.Animation(self.write("bad.csv", "t,x,y\n0,1,one\n"))
        self.assertIn("Line 2, column 3: 'one' is not a number", raised.exception.message)
        self.assertNotEqual(raised.exception.status, 0)
        self.assertIsInstance(raised.exception, RuntimeError)  # for code that catches what Animation raised


# Two bodies over four rows, which each case below changes.
CONFIGURATION = """data file = run.dat
number of data lines = 4
number of planets = 2
radii in pixels = 3 4
colour codes = 1 2
box xmin ymin xmax ymax = -2 -2 2 2
delay in msec = 20
step = 2
points per orbit = 2
start from line = 1
sun size = 6
draw axes (0 or 1) = 1
draw planets (0 or 1) = 0
draw orbits (0 or 1) = 1
"""

READ = [  # fields replaced, lines added
    ({"step = 2": "step = 9", "line = 1": "line = 4"}, ""),
    ({"step = 2": "step = -1", "line = 1": "line = -3"}, ""),
    ({"= -2 -2 2 2": "= -0x1P1 -2 2 2e+", "lines = 4": "lines = 2"}, ""),
    ({}, " NAMES = a\x01b  c\nTitle=x=y\nTIME UNIT = d \nlength unit=AU\n"),
    ({}, "masses = 3 0.5\nsun mass = 1e-400\ngm = 1\nGM = 2.5\n"),
    ({}, "masses = 1 x\nsun mass = 2\nsun mass = -1\ngm = 1\ngm = -1\n"),
    ({}, "masses = 0x1p1 1\ngm = inf\nsun mass = 0x1p1\n"),
    ({}, "equal aspect = 1\nstyle = Classic\ntrail mode = BOTH\n"),
    ({}, "equal aspect = yes\nstyle = fancy\ntrail mode = Behind\nplane = xz\n"),
    ({}, "names = a b\nbodies shown = 2\n"),
    ({}, "bodies shown = 1-2,2\n"),
    ({}, "bodies shown = 1,9\n"),
    ({"run.dat": "table.txt"}, "Data Format = TABLE\ncolumns = XYZ\nplane = XZ\n"),
    ({"run.dat": "table.txt"}, "data format = table\n"),  # x, y of three bodies, with a note
]

REFUSED = [  # field, replaced by, the viewer's error code
    ("lines = 4", "lines = many", -2),
    ("planets = 2", "planets = 31", -3),
    ("planets = 2", "planets = -1", -3),
    ("pixels = 3 4", "pixels = 3", -4),
    ("codes = 1 2", "codes = 1 x", -5),
    ("= -2 -2 2 2", "= -2 -2 2", -6),
    ("= -2 -2 2 2", "= nan 0 1 1", -6),
    ("= -2 -2 2 2", "= 1000000000000 0 1000000000000.5 1", -6),  # a width lost in the size
    ("msec = 20", "msec = x", -8),
    ("step = 2", "step = x", -8),
    ("orbit = 2", "orbit = x", -9),
    ("line = 1", "line = x", -10),
    ("orbits (0 or 1) = 1", "orbits (0 or 1) = x", -11),
]


class ConfigurationTest(FolderTest):
    """A configuration loads as the viewer reads it: to the fields of the one
    the viewer writes of it (--write-config), or refused with its code."""

    def setUp(self):
        super().setUp()
        self.write("run.dat", "0 1 0 2 0\n1 0 1 0 2\n2 -1 0 -2 0\n3 0 -1 0 -2\n4 1 0 2 0\n")
        self.write("table.txt", "0 1 0 5 2 0 6\n1 0 1 5 0 2 6\n2 -1 0 5 -2 0 6\n3 0 -1 5 0 -2 6\n")

    def configuration(self, replaced, added=""):
        text = CONFIGURATION
        for field, by in replaced.items():
            text = text.replace(field, by)
        return self.write("c.ovx", text + added)

    def viewer(self, *arguments):
        return subprocess.run([program("ORBIVEX"), *arguments], capture_output=True, text=True)

    def test_what_the_viewer_reads_of_a_configuration(self):
        for replaced, added in READ:
            with self.subTest(replaced=replaced, added=added):
                config = self.configuration(replaced, added)
                done = self.viewer("--write-config", self.path("w.ovx"), config)
                self.assertEqual(done.returncode, 0, done.stderr)
                mine, viewers = orbivex.load(config), orbivex.load(self.path("w.ovx"))
                # A table's lines give its bodies: as many as the viewer found.
                if read_configuration(config)["table_format"]:
                    self.assertEqual(read_configuration(self.path("w.ovx"))["bodies"], mine.positions.shape[1])
                self.assertEqual(mine.fields(), viewers.fields())
                self.assertEqual(mine.line_count, viewers.line_count)
                self.assertTrue(np.array_equal(mine.t, viewers.t) and np.array_equal(mine.positions, viewers.positions))
                self.assertEqual(mine.note, " ".join(done.stderr.splitlines()))  # the viewer's notes, a line each

    def test_a_data_files_numbers_read_as_the_viewer_reads_them(self):
        # Rows across line ends, numbers as "%lf" takes them (hexadecimal,
        # "-1.5-2.5" as two, "2e+" as 2) and a row past the line count. Each
        # body stands on an axis, so that its distance from the sun (the
        # viewer's r:N) is its other coordinate's size exactly.
        self.write("stream.dat", "0 0x1p-1 0 0 -2e+ 1e-1\n0 -1.5-2.5 0 0.2 0X1.8P1 0\n"
                                 "0 +.25 3 1e-100 0 0 123456789.12345679\n4 9 9 9 9\n")
        config = self.configuration({"run.dat": "stream.dat"})
        done = self.viewer("--export-series", self.path("r.csv"), "--plot", "r:1,r:2", config)
        self.assertEqual(done.returncode, 0, done.stderr)
        viewers, mine = orbivex.read_series(self.path("r.csv")), orbivex.load(config)
        self.assertEqual(mine.t.tolist(), [0, 0.1, 0.2, 3])
        self.assertTrue(np.array_equal(viewers.t, mine.t))
        self.assertTrue(np.array_equal(viewers.values, np.abs(mine.positions).sum(axis=2)))

    def test_configurations_the_viewer_refuses_are_refused_with_its_code(self):
        for field, by, code in REFUSED:
            with self.subTest(by):
                config = self.configuration({field: by})
                done = self.viewer("--render", self.path("x.png"), config)
                self.assertNotEqual(done.returncode, 0)
                self.assertIn(f"Error {code} in Config File", done.stderr)
                with self.assertRaises(orbivex.ConfigurationError) as raised:
                    orbivex.load(config)
                self.assertEqual(raised.exception.code, code)
