"""LiveWriter and show(): rows a reader takes while they are written are
whole, the configuration ends with the rows written, and the viewer is
started with the files in place."""

import math
import os
import signal
import stat
import subprocess
import sys
import threading
import warnings

import numpy as np

import orbivex
import orbivex._live as live
from support import FolderTest, program

ROWS, BODIES = 3000, 3


def row(i):
    angle = 0.01 * i * np.arange(1, BODIES + 1)
    return 0.01 * i, np.stack([np.cos(angle), np.sin(angle) / 3], axis=1) * (1 + i * 1e-17)


class LiveWriterTest(FolderTest):
    def setUp(self):
        super().setUp()
        # The configuration is rewritten about once a second while rows come;
        # these tests look at it between writes, so it waits for the end.
        kept = live._CONFIG_INTERVAL
        live._CONFIG_INTERVAL = math.inf
        self.addCleanup(setattr, live, "_CONFIG_INTERVAL", kept)

    def test_a_reader_takes_only_whole_rows_while_they_are_written(self):
        writer = orbivex.LiveWriter(self.path("run.ovx"), BODIES)
        started = threading.Event()

        def run():
            with writer:
                for i in range(ROWS):
                    writer.write(*row(i))
                    started.set()

        thread = threading.Thread(target=run)
        thread.start()
        started.wait()
        self.assertIn("number of data lines = 0\n", open(self.path("run.ovx")).read())
        taken, pending = 0, b""
        with open(self.path("run.dat"), "rb") as data:
            while taken < ROWS:
                more = data.read()
                if not more and not thread.is_alive() and taken < ROWS:
                    more = data.read()
                    self.assertTrue(more, f"the writer ended after {taken} rows")
                lines = (pending + more).split(b"\n")
                pending = lines.pop()  # the part of a row whose line end has not come yet
                for line in lines:
                    t, xy = row(taken)
                    values = [float(v) for v in line.split()]
                    self.assertEqual(values, [t, *xy.ravel().tolist()], f"row {taken}")
                    taken += 1
        thread.join()
        self.assertEqual(pending, b"")
        loaded = orbivex.load(self.path("run.ovx"))
        self.assertEqual((len(loaded.t), loaded.line_count, loaded.box), (ROWS, ROWS, (-1.1, -1.1, 1.1, 1.1)))
        self.assertTrue(np.array_equal(loaded.positions[-1], row(ROWS - 1)[1]))

    def test_each_row_is_in_the_file_when_write_returns(self):
        with orbivex.LiveWriter(self.path("r.ovx"), 1, rows=10, step=4, trail=3, box=(-2, -2, 2, 2)) as writer:
            for i in range(3):
                writer.write(i, [[i, -i]])
                with open(self.path("r.dat")) as data:
                    self.assertEqual(data.read().splitlines()[-1], f"{i} {i} {-i}")
            self.assertIn("number of data lines = 10\n", open(self.path("r.ovx")).read())
        # What the viewer keeps of the fields for the 3 rows written.
        loaded = orbivex.load(self.path("r.ovx"))
        self.assertEqual((loaded.line_count, loaded.step, loaded.trail, loaded.box), (3, 1, 1, (-2, -2, 2, 2)))

    def test_bad_rows_are_refused(self):
        with orbivex.LiveWriter(self.path("b.ovx"), 2, plane="xz") as writer:
            for positions, message in (([[1, 2]], r"shape \(1, 2\); \(2, 2\) or \(2, 3\)"),
                                       ([[1, 2, 3], [1, 2, math.nan]], "not a finite number")):
                with self.assertRaisesRegex(ValueError, message):
                    writer.write(0, positions)
            writer.write(0, [[1, 2, 3], [4, 5, 6]])
        self.assertEqual(orbivex.load(self.path("b.ovx")).positions.tolist(), [[[1, 3], [4, 6]]])
        with self.assertRaisesRegex(ValueError, "is closed"):
            writer.write(1, [[1, 2, 3], [4, 5, 6]])
        for bodies in (0, 31):
            with self.assertRaisesRegex(ValueError, f"bodies: {bodies}"):
                orbivex.LiveWriter(self.path("c.ovx"), bodies)
        with self.assertRaisesRegex(ValueError, "colours: 3 values"):
            orbivex.LiveWriter(self.path("c.ovx"), 2, colours=[1, 2, 3])


class LiveFilesTest(FolderTest):
    def test_a_link_at_either_name_is_replaced_not_written_through(self):
        for make_link in (os.symlink, os.link):
            with self.subTest(make_link.__name__):
                for name in ("run.ovx", "run.dat", "victim.ovx", "victim.dat"):
                    if os.path.lexists(self.path(name)):
                        os.unlink(self.path(name))
                for kind in ("ovx", "dat"):
                    make_link(self.write(f"victim.{kind}", f"kept {kind}\n"), self.path(f"run.{kind}"))
                with orbivex.LiveWriter(self.path("run.ovx"), 1) as writer:
                    writer.write(0, [[1, 2]])
                for kind in ("ovx", "dat"):
                    with open(self.path(f"victim.{kind}")) as victim:
                        self.assertEqual(victim.read(), f"kept {kind}\n")
                    self.assertTrue(stat.S_ISREG(os.lstat(self.path(f"run.{kind}")).st_mode))
                    self.assertFalse(os.path.samefile(self.path(f"run.{kind}"), self.path(f"victim.{kind}")))
                self.assertEqual(orbivex.load(self.path("run.ovx")).positions.tolist(), [[[1, 2]]])

    def test_a_killed_run_opens_with_its_rows_or_says_where_they_are(self):
        rows = 1234
        told = (f"run.ovx names 0 data lines but run.dat holds {rows} complete rows: open it with "
                "`orbivex --follow run.ovx`, or open run.dat as a table")
        # The writer writes the configuration at every row, or never again
        # after its first: killed, it leaves every row named, or none.
        for interval, named in ((0, rows), (math.inf, 0)):
            with self.subTest(interval=interval):
                script = ("import sys, orbivex, orbivex._live as live\n"
                          f"live._CONFIG_INTERVAL = float({str(interval)!r})\n"
                          "writer = orbivex.LiveWriter(sys.argv[1], 2)\n"
                          f"for i in range({rows}):\n"
                          "    writer.write(i, [[1, i], [-i, 2]])\n"
                          "print('written', flush=True)\n"
                          "sys.stdin.read()\n")
                writer = subprocess.Popen([sys.executable, "-c", script, self.path("run.ovx")], stdin=subprocess.PIPE,
                                          stdout=subprocess.PIPE, text=True)
                self.assertEqual(writer.stdout.readline(), "written\n")
                writer.send_signal(signal.SIGKILL)
                writer.wait()
                writer.stdin.close()
                writer.stdout.close()
                with warnings.catch_warnings(record=True) as caught:
                    warnings.simplefilter("always")
                    loaded = orbivex.load(self.path("run.ovx"))
                self.assertEqual([str(w.message) for w in caught], [told] if not named else [])
                self.assertEqual((loaded.line_count, len(loaded.t)), (named, named))
                render = subprocess.run([program("ORBIVEX"), "--render", self.path("run.png"), self.path("run.ovx")],
                                        capture_output=True, text=True)
                self.assertEqual((render.returncode, render.stderr), (0, "" if named else told + "\n"))


class ViewerStartTest(FolderTest):
    """The viewer is a script that keeps its arguments and the configuration
    it was started on."""

    def setUp(self):
        super().setUp()
        script = self.write("viewer", '#!/bin/sh\nfor last; do :; done\nprintf "%s\\n" "$@" > "$0.args"\n'
                                      'cp "$last" "$0.ovx"\n')
        os.chmod(script, stat.S_IRWXU)
        variable = os.environ.get("ORBIVEX")
        os.environ["ORBIVEX"] = script
        self.addCleanup(os.environ.__setitem__, "ORBIVEX", variable) if variable else self.addCleanup(
            os.environ.pop, "ORBIVEX")

    def started(self, process):
        self.assertEqual(process.wait(timeout=30), 0)
        with open(self.path("viewer.args")) as args, open(self.path("viewer.ovx")) as config:
            return args.read().splitlines(), config.read()

    def test_show_live_starts_the_viewer_following_the_file(self):
        with orbivex.LiveWriter(self.path("live.ovx"), 1, show_live=True, viewer_args=["--trail", "behind"]) as out:
            out.write(0, [[1, 0]])
            args, config = self.started(out.viewer)
        self.assertEqual(args, ["--follow", "--trail", "behind", self.path("live.ovx")])
        self.assertIn("data file = live.dat\nnumber of data lines = 0\n", config)

    def test_show_writes_a_simulation_and_opens_it(self):
        process = orbivex.show([0, 1, 2], np.ones((3, 1, 2)), names=["p"], viewer_args=["--equal-aspect"])
        args, config = self.started(process)
        self.assertEqual(args[0], "--equal-aspect")
        self.assertTrue(np.array_equal(orbivex.load(args[1]).positions, np.ones((3, 1, 2))))
        self.assertIn("names = p\n", config)
        subprocess.run(["rm", "-r", os.path.dirname(args[1])], check=True)

    def test_no_viewer_is_a_clear_error_before_anything_is_written(self):
        os.environ["ORBIVEX"] = self.path("missing")
        with self.assertRaisesRegex(FileNotFoundError, "ORBIVEX is .*missing"):
            orbivex.LiveWriter(self.path("x.ovx"), 1, show_live=True)
        self.assertFalse(os.path.exists(self.path("x.ovx")))
