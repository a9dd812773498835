"""LiveWriter: a simulation's files written row by row while it runs."""

import math
import os
import threading
import time

import numpy as np

from ._config import MAX_BODIES, configuration_text
from ._extent import farthest, square_half_side
from ._fields import _shown_plane, checked_fields, real_array
from ._numbers import format_real
from ._viewer import start_viewer, viewer_program
from ._writing import create_empty, replace_file, target_paths

# Trail when none is given: what the viewer gives a table in which nothing
# goes round, since the orbits are not known yet.
_LIVE_TRAIL = 500

# Seconds between writes of the configuration during a run, so that a run
# stopped before close() still names most of its rows.
_CONFIG_INTERVAL = 1.0


class LiveWriter:
    """Write a simulation while it runs, for `orbivex --follow PATH`.

        with orbivex.LiveWriter("run.ovx", 2, show_live=True) as out:
            for t, positions in integration():
                out.write(t, positions)      # positions: shape (bodies, 2)

    path and the data file beside it are named as save() names them;
    bodies: 1 to 30. names, time_unit, length_unit, title, plane and the
    keyword fields are save()'s (help(orbivex.save)), except the defaults
    that need the whole run: box defaults to the square about the origin
    holding 1.5 times the farthest distance of the first row (press F in
    the viewer to fit the box to the rows so far), and trail to 500 rows.
    rows: the rows the run will write, when known: the configuration names
    that many at the start (0 without it), which a viewer following the
    file takes as a starting size, until it is written again with the rows
    so far.

    The first write() empties the data file (a viewer following it reads it
    again from its beginning) and writes the configuration, then starts
    `orbivex --follow PATH` with show_live=True (viewer_args: more options
    for it, such as ("--trail", "behind")); the process is in `viewer`.
    Each write() appends one row as one whole line in a single write to the
    file, so a reader never finds a row that is not complete. About once a
    second during the run, and at close() or the end of the with block (also
    through an exception), the configuration is written again with the rows
    written so far and, without box=, the box holding every position: the
    files then open like save()'s, even those of a run that was killed.
    Both files are put in place by a rename, so a link at either name is
    replaced, never written through.
    """

    def __init__(self, path, bodies, names=None, time_unit=None, length_unit=None, title=None, plane=None, *,
                 show_live=False, allow_nan=False, rows=None, viewer_args=(), **fields):
        if not isinstance(bodies, int) or not 1 <= bodies <= MAX_BODIES:
            raise ValueError(f"bodies: {bodies!r}; 1 to {MAX_BODIES} can be shown")
        if rows is not None and (not isinstance(rows, int) or rows < 1):
            raise ValueError(f"rows: {rows!r} is not a number of rows (1 or more)")
        self.path, self._data_name, self.data_path = target_paths(path)
        self._bodies, self._plane, self._allow_nan, self._rows = bodies, plane, allow_nan, rows
        self._labels = (names, time_unit, length_unit, title)
        self._given = {key: value for key, value in fields.items() if value is not None}
        if show_live:
            viewer_program()  # fails before anything is written
        self._show, self._viewer_args = show_live, tuple(viewer_args)
        # The fields are checked now, on a stand-in row, so that a mistake
        # shows before the run starts.
        self._fields(np.zeros((1, bodies, 2)))
        self._fd = None
        self._written = 0
        self._farthest = 0.0
        self._closed = False
        self._lock = threading.Lock()
        self.viewer = None

    def _fields(self, xy):
        given = dict(self._given)
        if "box" not in given:
            reach = np.hypot(xy[..., 0], xy[..., 1])
            reach = reach[np.isfinite(reach)]
            half = square_half_side(1.5 * float(reach.max(initial=0.0)))
            given["box"] = (-half, -half, half, half)
        if "trail" not in given:
            given["trail"] = min(_LIVE_TRAIL, max((self._rows or _LIVE_TRAIL + 2) - 2, 1))
        f = checked_fields(xy, given, *self._labels, rows=self._rows or 2**31 - 1)
        f["data_file"] = self._data_name
        return f

    def _open(self, xy):
        fd = create_empty(self.data_path)
        try:
            f = self._config = self._fields(xy)
            f["line_count"] = self._rows or 0
            replace_file(self.path, configuration_text(f))
            self._config_written = time.monotonic()
            if self._show:
                self.viewer = start_viewer(["--follow", *self._viewer_args, self.path])
        except BaseException:
            os.close(fd)
            raise
        self._fd = fd

    def write(self, t, positions):
        """Append one row: the time `t` and the bodies' positions, shape
        (bodies, 2), or (bodies, 3) with the plane given."""
        t = float(t)
        xy = real_array(positions, "positions")
        if xy.shape not in ((self._bodies, 2), (self._bodies, 3)):
            raise ValueError(f"positions has shape {xy.shape}; ({self._bodies}, 2) or ({self._bodies}, 3) is needed")
        if not math.isfinite(t):
            raise ValueError(f"t is {t!r}, not a finite number")
        xy = _shown_plane(xy, self._plane, self._allow_nan)
        line = (format_real(t) + "".join(" " + format_real(v) for v in xy.ravel().tolist()) + "\n").encode()
        with self._lock:
            if self._closed:
                raise ValueError(f"{self.path} is closed")
            if self._fd is None:
                self._open(xy[np.newaxis])
            view = memoryview(line)
            while view:
                view = view[os.write(self._fd, view) :]
            self._written += 1
            self._farthest = max(self._farthest, farthest(xy))
            if time.monotonic() - self._config_written >= _CONFIG_INTERVAL:
                self._write_config()

    @property
    def rows_written(self):
        return self._written

    def close(self):
        """Ends the run: writes the configuration again with the rows written
        (and, without box=, the box holding every position). The viewer
        started by show_live runs on."""
        with self._lock:
            if self._closed:
                return
            self._closed = True
            if self._fd is None:
                return
            os.close(self._fd)
            self._write_config()

    def _write_config(self):
        """Writes the configuration for the rows written so far."""
        f, rows = dict(self._config), self._written
        if "box" not in self._given:
            half = square_half_side(self._farthest)
            f["box"] = (-half, -half, half, half)
        # What the viewer keeps of the fields for the rows there are.
        f["trail"] = min(f["trail"], max(rows - 2, 0))
        f["step"] = f["step"] if f["step"] <= rows else 1
        f["start"] = f["start"] if f["start"] < rows else 0
        f["line_count"] = rows
        replace_file(self.path, configuration_text(f))
        self._config_written = time.monotonic()

    def __enter__(self):
        return self

    def __exit__(self, *exception):
        self.close()
        return False
