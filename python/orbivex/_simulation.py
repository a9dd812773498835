"""save() and load(): a simulation's files from arrays and back."""

import math
import os
import warnings
from dataclasses import dataclass

import numpy as np

from . import _table
from ._config import MAX_TABLE_BODIES, configuration_text, data_path_of, read_configuration
from ._extent import data_box, figure_box, table_revolution
from ._fields import FIELD_KEYWORDS, checked_fields, checked_rows
from ._numbers import read_reals
from ._writing import row_lines, target_paths, write_pair


# Frozen: a record of what was read. Compared by identity, as the arrays
# have no single truth value to compare by.
@dataclass(frozen=True, eq=False, repr=False, kw_only=True)
class Simulation:
    """A simulation as the viewer loads it.

    t: float64 array (rows,); positions: float64 array (rows, bodies, 2),
    or (rows, bodies, 3) for a plain table with z, with `plane` the pair
    shown ("xy", "xz" or "yz"; None for two coordinates); names: a list of
    str or None; time_unit, length_unit, title: str or None; radii,
    colours, box, delay, step, trail, start, sun_size, draw_axes,
    draw_planets, draw_orbits, masses, sun_mass, gm, equal_aspect, style,
    trail_mode: the fields,
    as save() takes them. path and data_path: the files read; line_count:
    the rows the configuration asks for (-1 for a plain table), more than
    len(t) when the data file is short (the viewer then asks whether to keep
    the rows it has; load keeps them); note: what the viewer would say in
    its status bar (a last table line cut short), else "".
    """

    path: str
    data_path: str
    t: np.ndarray
    positions: np.ndarray
    plane: str | None
    names: list[str] | None
    time_unit: str | None
    length_unit: str | None
    title: str | None
    line_count: int
    note: str
    radii: list[int]
    colours: list[int]
    box: tuple[float, float, float, float]
    delay: int
    step: int
    trail: int
    start: int
    sun_size: int
    draw_axes: int
    draw_planets: int
    draw_orbits: int
    masses: list[float] | None
    sun_mass: float
    gm: float | None
    equal_aspect: bool
    style: str
    trail_mode: str

    def fields(self):
        """Keyword arguments that make save() write this simulation's
        configuration again: names, units, title, plane and the fields."""
        keywords = {key: getattr(self, key) for key in FIELD_KEYWORDS}
        for key in ("names", "time_unit", "length_unit", "title", "plane"):
            keywords[key] = getattr(self, key)
        if keywords["sun_mass"] == 1.0:
            keywords["sun_mass"] = None
        return keywords

    def __repr__(self):
        return (
            f"<orbivex.Simulation {self.path!r}: {len(self.t)} rows, {self.positions.shape[1]} bodies, "
            f"t = {self.t[0] if len(self.t) else math.nan!r} to {self.t[-1] if len(self.t) else math.nan!r}>"
        )


def save(path, t, positions, names=None, time_unit=None, length_unit=None, title=None, plane=None, **fields):
    """Write a configuration `path` (.ovx) and its data file beside it, which
    the viewer opens as they are.

    t: the times, shape (rows,). positions: shape (rows, bodies, 2), or
    (rows, bodies, 3) with plane="xy", "xz" or "yz" naming the two
    coordinates written (default "xy"). 1 to 30 bodies, at least one row;
    t need not increase (a run backwards in time plays as well). names: one
    word per body; time_unit, length_unit, title: one line each (the
    framed plot shows a legend of the names, the units and the title).

    The data file takes the name of `path` with ".ovx" replaced by ".dat"
    and is named in the configuration by its bare name. Numbers are written
    as the shortest text that reads back exactly. Keyword fields (each
    checked; those not given are chosen as orbivex-gen chooses them):

      radii=3            disc radius in pixels: one int, or one per body
      colours=...        colour codes 0-13 (a table's palette codes 14-21
                         become the nearest of them): one, or one per body; default
                         red, dark blue, green, purple, orange, brown, blue,
                         dark red, light green, olive, then again
      box=...            (xmin, ymin, xmax, ymax); default: the square about
                         the origin 10 % beyond the farthest coordinate,
                         rounded up to two significant digits (a position
                         that is not finite, in either coordinate, is left
                         out)
      delay=20           milliseconds between frames
      step=1             rows advanced per frame (1 to rows)
      trail=...          rows in each trail ("points per orbit", 0 to
                         rows - 2); default: one revolution of the slowest
                         body about the origin, else half the rows
      start=0            the row shown first
      sun_size=6         the sun's radius in pixels (0 by default with
                         sun_mass=0: no sun)
      draw_axes=True, draw_planets=True, draw_orbits=True
      masses=None        each body's mass (for the viewer's barycentre frame)
      sun_mass=None      the sun's mass, 1 when not written
      gm=None            the sun's gravitational parameter G M in the data's
                         units, for the viewer's orbital elements
      equal_aspect=True  the viewer's equal aspect on
      style="publication", trail_mode="behind"
                         the look the viewer shows the run in, and which
                         rows the trails show ("classic", "ahead" as the
                         classic viewer)
      allow_nan=False    write positions that are NaN or infinite instead
                         of refusing them

    Both files are written under temporary names in the same folder and
    renamed into place only when both are complete: a call that fails
    raises (ValueError for bad arguments, OSError for the files) and leaves
    the folder as it was. Returns the configuration's path.
    """
    allow_nan = fields.pop("allow_nan", False)
    t, xy = checked_rows(t, positions, plane, allow_nan)
    config_path, data_name, data_path = target_paths(path)
    f = checked_fields(xy, fields, names, time_unit, length_unit, title)
    f["data_file"] = data_name
    write_pair(config_path, data_path, row_lines(t, xy), configuration_text(f))
    return config_path


def load(path, columns=None):
    """Read a simulation as the viewer opens it, into a Simulation.

    `path` is a configuration (its data file read as the viewer reads it:
    a stream of numbers, or a plain table with "data format = table"), or
    a plain data table opened directly: numbers separated by blanks, commas
    or semicolons, blank and '#' lines skipped, an optional header of
    column names ("t", "earth_x", "x1", units in brackets), three
    coordinates per body when the header names z; its fields are then
    inferred as the viewer infers them. Numbers read to the same doubles as
    in the viewer: decimal, hexadecimal ("0x1p-3"), "inf" and "nan";
    Fortran's "1.5D+03"; decimal commas in a file separated by semicolons or
    tabs; an empty cell, "NA" and "nan" as NaN. A header "t,body,x,y" reads
    one line per body and time into one row per time. `columns` ("xy" or
    "xyz", as the viewer's --columns) says how the columns of a table
    without a header are shared out; a configuration's "columns =" line
    says it for its table.

    A data file with fewer complete rows than the configuration asks for
    gives the rows it has (line_count tells what was asked). A configuration
    that asks for none while its data file holds rows (a LiveWriter stopped
    before it could write its configuration again) gives none, with a
    warning that says how to read them. Raises OSError
    when a file cannot be read, ValueError (with the viewer's message) when
    the viewer would refuse the files.
    """
    path = os.fspath(path)
    with open(path, "rb") as file:
        head = file.read(_table.HEAD_BYTES + 1)
    if len(head) > _table.HEAD_BYTES:
        head = head[: head.rfind(b"\n", 0, _table.HEAD_BYTES) + 1]
    # A file that is neither a table nor a configuration (text with a "=",
    # or named .ovx) is refused as a table, by line and column.
    configuration = path.lower().endswith(".ovx") or (b"\0" not in head and b"=" in head)
    if _table.looks_like_table(head) or not configuration:
        return _load_table(path, columns)
    c = read_configuration(path)
    data_path = data_path_of(path, c["data_file"])
    if c["table_format"]:
        t, positions, _, note = _read_table(data_path, c["line_count"], c["columns"])
        plane = c["plane"] if positions.shape[2] == 3 else None
        # The table's bodies replace the configuration's count; bodies it
        # gave no radius or colour get 0.
        bodies = positions.shape[1]
        for key in ("radii", "colours"):
            c[key] = (c[key] + [0] * bodies)[:bodies]
    else:
        t, positions = _read_stream(data_path, c["line_count"], c["bodies"])
        note, plane = "", None
        if c["line_count"] == 0:
            _warn_of_rows_not_named(path, c["data_file"], data_path, 2 * c["bodies"] + 1)
    positions, note = _keep_shown(c, positions, note)
    # Without the look's lines, the look the viewer gives the file's kind.
    c["style"] = c["style"] or ("publication" if c["table_format"] else "classic")
    c["trail_mode"] = c["trail_mode"] or ("behind" if c["table_format"] else "ahead")
    return Simulation(
        path=path,
        data_path=data_path,
        t=t,
        positions=positions,
        plane=plane,
        names=c["names"] or None,
        time_unit=c["time_unit"] or None,
        length_unit=c["length_unit"] or None,
        title=c["title"] or None,
        line_count=c["line_count"],
        note=note,
        **{key: c[key] for key in FIELD_KEYWORDS},
    )


def _keep_shown(c, positions, note):
    """The positions of the bodies a configuration's "bodies shown" line
    lists, and their radii, colours, names and masses, as the viewer keeps
    them; every body, with the viewer's note, when the list names a body the
    data does not have."""
    shown = c["shown_bodies"]
    if not shown:
        return positions, note
    bodies = positions.shape[1]
    missing = [b for b in shown if b > bodies]
    if missing:
        why = f"no body {missing[0]}: the data has {bodies}"
        text = f"Every body is shown: the bodies asked for cannot be ({why})"
        return positions, " ".join(t for t in (note, text) if t)
    index = [b - 1 for b in shown]
    for key in ("radii", "colours"):
        c[key] = [c[key][i] for i in index]
    for key in ("names", "masses"):
        if c[key]:
            c[key] = [c[key][i] for i in index if i < len(c[key])]
    return positions[:, index], note


def _read_stream(data_path, line_count, bodies):
    columns = 2 * bodies + 1
    with open(data_path, "rb") as file:
        data = file.read()
    values, _ = read_reals(data, max(line_count, 0) * columns)
    rows = len(values) // columns
    table = np.array(values[: rows * columns], dtype=np.float64).reshape(rows, columns)
    return table[:, 0].copy(), table[:, 1:].reshape(rows, bodies, 2).copy()


def _warn_of_rows_not_named(path, data_name, data_path, columns):
    """Warns, as the viewer notes, when the data file holds complete rows
    that the configuration names none of."""
    with open(data_path, "rb") as file:
        data = file.read()
    if data and not data[-1:].isspace():
        # A last number without white space after it may be cut by a writer that stopped.
        data = data[: max(data.rfind(space) for space in (b" ", b"\t", b"\n", b"\r", b"\v", b"\f")) + 1]
    rows = len(read_reals(data, len(data))[0]) // columns
    if rows > 0:
        config = os.path.basename(path)
        warnings.warn(f"{config} names 0 data lines but {data_name} holds {rows} complete rows: open it with "
                      f"`orbivex --follow {config}`, or open {data_name} as a table", stacklevel=3)


def _read_table(data_path, line_count, columns=None):
    """t, positions (rows, bodies, 2 or 3), the layout and the note of a
    plain table, keeping `line_count` rows at most (all when negative)."""
    with open(data_path, "rb") as file:
        data = file.read()
    if len(data) > _table.HEAD_BYTES and b"\n" not in data[: _table.HEAD_BYTES]:
        raise _table.long_line(1)
    layout = _table.detect_layout(data[: _table.HEAD_BYTES], len(data) <= _table.HEAD_BYTES, columns)
    long_format = layout.body_column is not None
    if long_format:
        rows, note = _table.read_long_rows(data, layout)  # its bodies are found from its lines
    bodies = len(layout.bodies)
    if bodies > MAX_TABLE_BODIES:
        raise _table.TableError(f"The table holds {bodies} bodies; at most {MAX_TABLE_BODIES} can be shown")
    if not long_format:
        rows, note = _table.read_rows(data, layout)
    note = " ".join(text for text in (layout.note, note) if text)
    if not rows:
        raise _table.TableError(f"No data lines in {data_path}")
    if line_count >= 0:
        rows = rows[:line_count]
    table = np.array(rows, dtype=np.float64).reshape(len(rows), 1 + 3 * bodies)
    positions = table[:, 1:].reshape(len(rows), bodies, 3)
    if not layout.three_dimensional:
        positions = positions[:, :, :2]
    return table[:, 0].copy(), positions.copy(), layout, note


# The colour codes a table's bodies get in turn, the viewer's table palette
# after the 14 classic codes: Okabe-Ito blue, vermillion, bluish green,
# orange, sky blue, reddish purple, yellow, and dark grey for black.
TABLE_PALETTE_RGB = ("#0072B2", "#D55E00", "#009E73", "#E69F00", "#56B4E9", "#CC79A7", "#F0E442", "#555555")
_TABLE_PALETTE = tuple(14 + k for k in range(len(TABLE_PALETTE_RGB)))


def _load_table(path, columns=None):
    t, positions, layout, note = _read_table(path, -1, columns)
    xy = positions[:, :, :2]
    rows, bodies = len(t), positions.shape[1]
    revolution = table_revolution(xy)
    # Without a revolution, 500 rows or half the rows when fewer.
    trail = min(revolution, max(1, rows - 2)) if revolution > 0 else min(500, max(1, rows // 2))
    return Simulation(
        path=path,
        data_path=path,
        t=t,
        positions=positions,
        plane="xy" if positions.shape[2] == 3 else None,
        names=layout.names or None,
        time_unit=layout.time_unit or None,
        length_unit=layout.length_unit or None,
        title=os.path.basename(path),
        line_count=-1,
        note=note,
        radii=[3] * bodies,
        colours=[_TABLE_PALETTE[k % len(_TABLE_PALETTE)] for k in range(bodies)],
        box=figure_box(data_box(xy)),
        delay=20,
        step=1,
        trail=trail,
        start=0,
        sun_size=6,
        draw_axes=1,
        draw_planets=1,
        draw_orbits=1,
        masses=None,
        sun_mass=1.0,
        gm=None,
        equal_aspect=True,
        style="publication",
        trail_mode="behind",
    )

