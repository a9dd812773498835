"""What save() writes against what the viewer and orbivex-gen make: the same
pictures, and the same inferred view of a plain table."""

import math
import os
import warnings

import numpy as np

import orbivex
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
        with self.assertRaisesRegex(ValueError, "no body 3"):
            orbivex.series(generated, "r:3")
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
