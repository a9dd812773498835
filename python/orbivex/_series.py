"""Series derived from a simulation (distances, orbital elements, energies),
as the viewer computes them: written by its --export-series and read back,
so that every tool reads the same numbers."""

import csv
import os
import tempfile
import warnings
from dataclasses import dataclass, field

import numpy as np

from ._viewer import run_viewer, viewer_program


class SeriesWarning(UserWarning):
    """Some values of a series are not numbers because they cannot be
    trusted: the rows are too far apart for the velocities their
    differences give (the message says how many, and what would do)."""


@dataclass(frozen=True, eq=False, repr=False)
class Series:
    """The series of one export: `t`, the rows' times; `columns`, the
    headings as the viewer wrote them ("a:1 [AU]"); `values`, an array of
    (rows, columns); series[heading] or series["a:1"] gives one column.
    `notes`: what the viewer said of the numbers, a line each: the mu it
    took and from what, where the velocities come from, and which values
    it left out (NaN) as not to be trusted."""

    t: np.ndarray
    columns: list[str]
    values: np.ndarray
    notes: list[str] = field(default_factory=list)

    def __post_init__(self):
        # A list, whatever iterable of lines was given.
        object.__setattr__(self, "notes", list(self.notes))

    def __getitem__(self, name):
        for k, heading in enumerate(self.columns):
            if heading == name or heading.split(" [", 1)[0] == name:
                return self.values[:, k]
        raise KeyError(name)

    def __repr__(self):
        return f"Series({len(self.t)} rows: {', '.join(self.columns)})"


def read_series(path, notes=()):
    """Reads a table --export-series wrote: the time, then one column a
    series; `notes`, the Series' notes."""
    with open(path, newline="") as file:
        header = next(csv.reader(file))
    table = np.loadtxt(path, delimiter=",", skiprows=1, ndmin=2)
    return Series(table[:, 0], header[1:], table[:, 1:], notes)


def series(path, plot, gm=None):
    """The series `plot` names ("r:1,a:1,e:Mars,sep:1-2,energy", or "a" for
    every body's) of the simulation or table at `path`, computed by the
    viewer (see its --export-series and --plot); `gm`, the sun's G M in the
    data's units when neither the file nor its units give it. `path` may be
    a list of files: runs compared, whose differences at the first's times
    "diff:N", "diff-a:N", "diff-e:N" and "diff-energy" name.

    Values the viewer cannot trust (the rows too far apart for the
    velocities their differences give) are NaN, as gaps in its panel, and
    a SeriesWarning says so; the table's own velocity columns (vx, vy, or
    earth_vx...) make them exact. orbivex.ViewerError (a ValueError) with
    the viewer's message and exit status when the list or the data does not
    do; FileNotFoundError when the viewer cannot be found."""
    viewer_program()  # fails before anything is made
    folder = tempfile.mkdtemp(prefix="orbivex-series-")
    out = os.path.join(folder, "series.csv")
    arguments = ["--export-series", out, "--plot", plot]
    if gm is not None:
        arguments += ["--gm", repr(float(gm))]
    try:
        paths = [path] if isinstance(path, (str, bytes, os.PathLike)) else list(path)
        done = run_viewer([*arguments, *map(os.fspath, paths)])
        notes = [line[len("orbivex: "):] for line in done.stderr.splitlines() if line.startswith("orbivex: ")]
        got = read_series(out, notes)
        for note in notes:
            if " written as nan: " in note:
                warnings.warn(note, SeriesWarning, stacklevel=2)
        return got
    finally:
        if os.path.exists(out):
            os.remove(out)
        os.rmdir(folder)
