"""Plain data tables, read as the viewer reads them.

Cells are separated by blanks, commas or semicolons (one separator per
file, found from its first data lines); a byte-order mark before the first
line, blank lines and lines starting with '#' are skipped; one header line
of column names (a line holding a cell that is not a number) may stand
before the data, with or without a leading '#'. Names say which column is the time ("t",
"time") and which are each body's coordinates ("earth_x", "x_earth",
"earth.x", "x1"), with a unit in brackets ("t [yr]"); without such names
the columns are the time, then x and y of each body.
"""

import math
import re

from ._config import _shown
from ._numbers import format_real, read_cell

MAX_CELLS = 10000  # more cells a line is taken for something else than orbits
HEAD_BYTES = 1 << 20  # the layout is found from this much of the file
MAX_LINE_BYTES = HEAD_BYTES  # a longer line is damage, not a row
_SEPARATOR_LINES = 20
_LEADING_BLANKS = b" \t\f\v"


class TableError(ValueError):
    """A table that cannot be read; the message names the line and cell."""


class Layout:
    """What a table holds: its separator, cells a line, the time's column,
    each body's (x, y, z) columns (z None when absent), names, units and the
    header's line (from 1; 0 when none)."""

    def __init__(self):
        self.separator = None  # None for blanks, else b"," or b";"
        self.decimal_comma = False  # "1,5" is 1.5: see _separator_of
        self.cells = 0
        self.time_column = 0
        self.bodies = []
        self.names = []
        self.time_unit = ""
        self.length_unit = ""
        self.header_line = 0
        # A table of one line per body and time ("t,body,x,y"): the body's
        # cell and the (x, y, z) cells; None for one line per time.
        self.body_column = None
        self.line_columns = None
        self.note = ""  # said after a load: a header whose names give no column

    @property
    def three_dimensional(self):
        return any(z is not None for _, _, z in self.bodies)


_BLANK_RUN = re.compile(rb"[ \t\f\v]+")
_ANY_SEPARATOR = re.compile(rb"[,; \t\f\v\r]+")
_BYTE_ORDER_MARK = b"\xef\xbb\xbf"


def _without_mark(line):
    """The line without the UTF-8 byte-order mark that some spreadsheets
    write before a file's first line."""
    return line[len(_BYTE_ORDER_MARK) :] if line.startswith(_BYTE_ORDER_MARK) else line


def _holds_name(line):
    """True when some cell is not a number, even with the line cut at every
    separator: a row written with another separator is no header."""
    pieces = _ANY_SEPARATOR.split(_without_mark(line))
    return any(piece and read_table_cell(piece, None, False) is None for piece in pieces)


def _split_cells(line, separator):
    """The texts of the line's cells, split as the viewer splits them:
    without a '\r' at the end and the blanks around each cell; [] for a
    line of blanks."""
    if line.endswith(b"\r"):
        line = line[:-1]
    line = _without_mark(line)
    line = line.strip(_LEADING_BLANKS) if separator is None else line.lstrip(_LEADING_BLANKS)
    if not line:
        return []
    if separator is None:
        return _BLANK_RUN.split(line)
    return [cell.strip(_LEADING_BLANKS) for cell in line.split(separator)]


_FORTRAN_EXPONENT = re.compile(rb"(?<=[0-9.])[dD]")


def _rewritten(cell, decimal_comma):
    """The cell with a decimal comma and a Fortran exponent ("1.5D+03") in
    their '.' and 'e' forms, read; None when it is no number that way."""
    if b"x" in cell or b"X" in cell:
        return None
    if decimal_comma:
        cell = cell.replace(b",", b".")
    return read_cell(_FORTRAN_EXPONENT.sub(b"e", cell))


def read_table_cell(cell, separator, decimal_comma):
    """A whole cell read as one number: as strtod reads it, a Fortran
    exponent as its 'e' form, with `decimal_comma` "1,5" as 1.5 (a '.' then
    makes it no number); "NA" and an empty cell between separators are NaN.
    None when the cell is no number."""
    if cell == b"NA" or (cell == b"" and separator is not None):
        return math.nan
    if decimal_comma:
        return None if b"." in cell else _rewritten(cell, True)
    value = read_cell(cell)
    if value is None and (b"d" in cell or b"D" in cell):
        value = _rewritten(cell, False)
    return value


def parse_line(line, separator, capacity, decimal_comma=False):
    """("blank"|"comment"|"cells"|"bad", values, bad text): the cells read
    as numbers, at most `capacity` (one more value stands for more cells);
    with "bad", values holds the cells before the bad one."""
    cells = _split_cells(line, separator)
    if not cells:
        return "blank", [], b""
    if cells[0].startswith(b"#"):
        return "comment", [], b""
    values = []
    for cell in cells:
        if len(values) == capacity:
            return "cells", values + [None], b""
        value = read_table_cell(cell, separator, decimal_comma)
        if value is None:
            return "bad", values, cell
        values.append(value)
    return "cells", values, b""


def not_a_number(line, column, text, decimal_comma=False):
    if b"\0" in text:
        return nul_byte(line)
    shown = _shown(text[:40].decode("utf-8", "replace"))
    if decimal_comma and b"." in text and read_table_cell(text, None, False) is not None:
        mark = "a decimal point where the file's numbers have decimal commas"
    elif not decimal_comma and b"," in text and _rewritten(text, True) is not None:
        mark = "a decimal comma where the file's numbers have decimal points"
    else:
        return TableError(f"Line {line}, column {column}: '{shown}' is not a number")
    return TableError(f"Line {line}, column {column}: '{shown}' has {mark}")


def nul_byte(line):
    return TableError(f"Line {line} holds a NUL byte: the file is damaged or is not text")


def long_line(line):
    return TableError(
        f"Line {line} is longer than {MAX_LINE_BYTES >> 20} MiB: the file is damaged or is not a table"
    )


def ragged(line, found, expected):
    column = found + 1 if found < expected else expected + 1
    return TableError(
        f"Line {line}, column {column}: the line holds {found} values where the lines before hold {expected}"
    )


def _head_lines(head, whole):
    if not whole:
        head = head[: head.rfind(b"\n") + 1]
    lines = head.split(b"\n")
    if lines and lines[-1] == b"":
        lines.pop()
    return lines


def _tab_between_cells(line):
    """A tab between two cells that no comma stands beside."""
    for match in re.finditer(rb"[ \t\r]*\t[ \t\r]*", line):
        before, after = line[match.start() - 1 : match.start()], line[match.end() : match.end() + 1]
        if before and after and before != b"," and after != b",":
            return True
    return False


def _separator_of(lines):
    """(separator, decimal comma): a comma is a decimal mark when the lines
    holding commas hold semicolons too, or tabs between cells; otherwise
    ',' separates when some line holds one, else ';', else blanks."""
    comma = any(b"," in line for line in lines)
    semicolon = any(b";" in line for line in lines)
    tab = any(b"," in line and _tab_between_cells(line) for line in lines)
    decimal_comma = comma and (semicolon or tab)
    if comma and not decimal_comma:
        return b",", False
    return (b";" if semicolon else None), decimal_comma


class _NoDataLine(TableError):
    """The text holds no data line: only blanks, comments or a header."""


def detect_layout(head, whole, columns=None):
    """The layout of a table from the first bytes of its file (`whole` when
    they are all of it), found from the lines that end in a line end: a last
    line without one may be cut, and is looked at only in a whole file whose
    other lines hold no data. Without a header naming the columns, `columns`
    ("xy", "xyz" or None, unsaid) gives the coordinates of a body. Raises
    TableError."""
    try:
        return _detect_from_rows(_head_lines(head, False), whole, len(head), columns)
    except _NoDataLine:
        if not whole or head.endswith(b"\n") or not head:
            raise
        return _detect_from_rows(_head_lines(head, True), whole, len(head), columns)


def _detect_from_rows(lines, whole, head_size, columns):
    """_detect_layout, and when the lines after the first row refuse it,
    again with the first row's separators counted too (so a table read as
    it grows gives what it gives read whole); the first error stays when
    that fails too."""
    try:
        return _detect_layout(lines, whole, head_size, columns, False)
    except _NoDataLine:
        raise
    except TableError as error:
        try:
            return _detect_layout(lines, whole, head_size, columns, True)
        except TableError:
            raise error from None


def _detect_layout(lines, whole, head_size, columns, first_row_counts):
    layout = Layout()
    firsts, first_line = [], 0
    for number, line in enumerate(lines, 1):
        if len(firsts) > _SEPARATOR_LINES:
            break
        if parse_line(line, None, 0)[0] == "cells":
            first_line = first_line or number
            firsts.append(line)
    if len(firsts) > 1 and not (first_row_counts and not _holds_name(firsts[0])):
        firsts = firsts[1:]
    layout.separator, layout.decimal_comma = _separator_of(firsts)
    if firsts and _read_long_header(_split_header(lines[first_line - 1], layout.separator), layout):
        layout.header_line = first_line
        return layout

    data_line = 0
    text_header = comment_header = None
    comment_line = 0
    for number, line in enumerate(lines, 1):
        kind, values, bad = parse_line(line, layout.separator, MAX_CELLS, layout.decimal_comma)
        if kind == "blank":
            continue
        if kind == "comment":
            if data_line == 0:
                comment_header, comment_line = line, number
            continue
        if kind == "bad" and number == first_line and _holds_name(line):
            text_header, layout.header_line = line, number
            continue
        if kind == "bad":
            raise not_a_number(number, len(values) + 1, bad, layout.decimal_comma)
        if len(values) > MAX_CELLS:
            raise TableError(f"Line {number}: more than {MAX_CELLS} values a line")
        if data_line == 0:
            data_line, layout.cells = number, len(values)
        elif len(values) != layout.cells:
            raise ragged(number, len(values), layout.cells)
    if data_line == 0:
        if layout.header_line:
            raise _NoDataLine(f"Line {layout.header_line}: a header without data lines after it")
        if whole:
            raise _NoDataLine("No data lines in the file")
        raise _NoDataLine(f"No data line ends within the first {head_size} bytes of the file")

    meaning = "nothing"
    if text_header is not None:
        meaning = _read_header(_split_header(text_header, layout.separator), layout.header_line, layout)
    elif comment_header is not None:
        names = _split_header(_without_mark(comment_header).lstrip(b" \t#\f\v"), layout.separator)
        if len(names) == layout.cells:
            meaning = _read_header(names, comment_line, layout)
            if meaning == "columns":
                layout.header_line = comment_line
    if meaning == "columns":
        return layout
    if text_header is not None:
        layout.note = f"Line {layout.header_line} was read as a header"
    axes = 3 if columns == "xyz" else 2
    if layout.cells < 1 + axes or (layout.cells - 1) % axes:
        plural = "" if layout.cells == 1 else "s"
        wanted = "x, y and z" if axes == 3 else "x and y"
        raise TableError(
            f"Line {data_line}: {layout.cells} value{plural} a line; a table needs the time, then {wanted} of each body"
        )
    layout.bodies = [(x, x + 1, x + 2 if axes == 3 else None) for x in range(1, layout.cells - axes + 1, axes)]
    if columns is None and (layout.cells - 1) % 6 == 0:
        bodies = (layout.cells - 1) // 2
        layout.note += (
            f"{'; ' if layout.note else ''}{layout.cells} columns read as the time and x, y of {bodies} bodies; "
            f"--columns xyz reads them as x, y, z of {bodies * 2 // 3}"
        )
    return layout


def looks_like_table(head):
    """True when the text reads as a table rather than a configuration:
    after blank and '#' lines and at most one header line, numbers alone;
    or a header alone whose names give the time or the coordinates."""
    header = None
    for line in _head_lines(head, True):
        if parse_line(line, None, 0)[0] != "cells":
            continue
        separator, decimal_comma = _separator_of([line])
        if parse_line(line, separator, MAX_CELLS, decimal_comma)[0] == "cells":
            return True
        if header is not None:
            return _is_long_header(header)  # its lines name their bodies
        header = line
    if header is None:
        return False
    if _is_long_header(header):
        return True
    names = _split_header(header, _separator_of([header])[0])
    layout = Layout()
    layout.cells = len(names)
    try:
        return _read_header(names, 1, layout) == "columns"
    except TableError:
        return False


def _is_long_header(line):
    return _read_long_header(_split_header(line, _separator_of([line])[0]), Layout())


_BODY_NAMES = ("body", "name", "id", "object", "planet", "particle")


def _read_long_header(cells, layout):
    """True, with the layout's cells, time, body and line columns and units
    set, when the names are those of a table of one line per body and time:
    the time, the body and the lone x, y and maybe z, other names aside."""
    time = body = None
    axes = [None, None, None]
    time_unit, length_unit = "", ""
    for i, cell in enumerate(cells):
        name, unit = _name_and_unit(cell)
        if time is None and name.lower() in ("t", "time"):
            time, time_unit = i, unit
        elif body is None and name.lower() in _BODY_NAMES:
            body = i
        elif len(name) == 1 and name.lower() in _AXES:
            axis = _AXES[name.lower()]
            if axes[axis] is not None:
                return False
            axes[axis] = i
            length_unit = length_unit or unit
        elif _coordinate(name) is not None:
            return False  # a body's own column: a table of one line per time
    if time is None or body is None or axes[0] is None or axes[1] is None:
        return False
    layout.cells, layout.time_column, layout.body_column = len(cells), time, body
    layout.line_columns = tuple(axes)
    layout.time_unit, layout.length_unit = _shown(time_unit), _shown(length_unit)
    return True


def _split_header(line, separator):
    """The header's names, split as data lines are; with blanks, a unit in
    brackets standing apart ("t [yr]") stays with the name before it."""
    names = []
    for cell in _split_cells(line, separator):
        if separator is None and names and cell[:1] in (b"[", b"("):
            names[-1] += b" " + cell
        else:
            names.append(cell)
    return [name.decode("utf-8", "replace") for name in names]


def _unquoted(text):
    text = text.strip(" \t")
    if len(text) >= 2 and text[0] == '"' and text[-1] == '"':
        return text[1:-1].strip(" \t")
    return text


def _name_and_unit(cell):
    cell = _unquoted(cell)
    if not cell or cell[-1] not in "])":
        return cell, ""
    opening = cell.rfind("[" if cell[-1] == "]" else "(")
    name = cell[:opening].strip(" \t") if opening >= 0 else ""
    if not name:
        return cell, ""
    return _unquoted(name), cell[opening + 1 : -1].strip(" \t")


_AXES = {"x": 0, "y": 1, "z": 2}


_VELOCITY_WORDS = ("v", "vel", "velocity")


def _velocity(name):
    """(axis, body key) for a velocity column's name (vx, earth_vx, vx_earth,
    vx1, v_x, earth_v_x, earth_vel_x), as the viewer knows them, or None."""
    def component(text):
        return _AXES[text[1].lower()] if len(text) == 2 and text[0] in "vV" and text[1].lower() in _AXES else None

    n = len(name)
    if component(name) is not None:
        return component(name), ""
    if n >= 4 and name[-3] in "_. " and component(name[-2:]) is not None:
        return component(name[-2:]), name[:-3].strip(" \t")
    if n >= 4 and component(name[:2]) is not None and name[2] in "_. ":
        return component(name[:2]), name[3:].strip(" \t")
    if n >= 3 and component(name[:2]) is not None and re.fullmatch("[0-9]+", name[2:]):
        return component(name[:2]), name[2:]
    if n >= 3 and name[-2] in "_. " and name[-1].lower() in _AXES:
        rest = name[:-2].strip(" \t")
        if rest.lower() in _VELOCITY_WORDS:
            return _AXES[name[-1].lower()], ""
        joint = max(rest.rfind(c) for c in "_. ")
        if joint >= 0 and rest[joint + 1 :].strip(" \t").lower() in _VELOCITY_WORDS:
            return _AXES[name[-1].lower()], rest[:joint].strip(" \t")
    return None


def _coordinate(name):
    """(axis, body key) for a coordinate's name, or None; a velocity's
    (_velocity) is none, whatever it looks like."""
    axis, key = None, ""
    n = len(name)
    if n == 0 or _velocity(name) is not None:
        return None
    if n == 1:
        return (_AXES[name.lower()], "") if name.lower() in _AXES else None
    if n >= 3 and name[-2] in "_. " and name[-1].lower() in _AXES:
        axis, key = _AXES[name[-1].lower()], name[:-2].strip(" \t")
    elif n >= 3 and name[0].lower() in _AXES and name[1] in "_. ":
        axis, key = _AXES[name[0].lower()], name[2:].strip(" \t")
    elif name[0].lower() in _AXES and re.fullmatch("[0-9]+", name[1:]):
        axis, key = _AXES[name[0].lower()], name[1:]
    if not key or key.lower() in ("v", "vel", "velocity"):
        return None
    return axis, key


def _header_error(line, column, message):
    return TableError(f"Line {line}, column {column}: {message}" if column else f"Line {line}: {message}")


def _read_header(cells, line, layout):
    """What the header's names say: "columns" (set in the layout) or
    "nothing"; raises TableError when they contradict the data."""
    bodies, by_key = [], {}
    time, time_unit, length_unit = -1, "", None
    for i, cell in enumerate(cells):
        name, unit = _name_and_unit(cell)
        if time < 0 and name.lower() in ("t", "time"):
            coordinate = None
        else:
            coordinate = _coordinate(name)
            if coordinate is None:
                continue
        if i >= layout.cells:
            message = f"the header names '{name[:40]}' there, but the data lines hold {layout.cells} values"
            raise _header_error(line, i + 1, message)
        if coordinate is None:
            time, time_unit = i, unit
            continue
        axis, key = coordinate
        if key.lower() not in by_key:
            by_key[key.lower()] = len(bodies)
            bodies.append([key, [None, None, None]])
        columns = bodies[by_key[key.lower()]][1]
        if columns[axis] is not None:
            message = f"'{name[:40]}' gives the coordinate that column {columns[axis] + 1} gives already"
            raise _header_error(line, i + 1, message)
        columns[axis] = i
        if length_unit is None:
            length_unit = unit
    if not bodies:
        return "nothing"
    for _, (x, y, z) in bodies:
        if x is not None and y is None:
            raise _header_error(line, x + 1, f"'{_name_and_unit(cells[x])[0][:40]}' has no y column to pair with")
        if x is None:
            alone = y if y is not None else z
            raise _header_error(
                line, alone + 1, f"'{_name_and_unit(cells[alone])[0][:40]}' has no x column to pair with"
            )
    if time < 0:
        if any(0 in columns for _, columns in bodies):
            raise _header_error(line, 0, "the header names no time column ('t' or 'time')")
        time, time_unit = 0, _name_and_unit(cells[0])[1]
    bodies.sort(key=lambda body: body[1][0])
    named = any(key and not re.fullmatch("[0-9]+", key) for key, _ in bodies)
    layout.time_column = time
    layout.time_unit, layout.length_unit = _shown(time_unit), _shown(length_unit or "")
    layout.bodies = [tuple(columns) for _, columns in bodies]
    layout.names = []
    if named:
        for i, (key, _) in enumerate(bodies):
            layout.names.append(_shown((key or str(i + 1)).replace(" ", "_").replace("\t", "_")))
    return "columns"


def _ends_with_cell(line, bad, separator):
    line = line.rstrip(b"\r \t")
    if bad:
        return line.endswith(bad)
    return bool(line) and separator is not None and line.endswith(separator)


def read_rows(data, layout):
    """The rows of the whole table `data`: a list of [t, x1, y1, z1, ...]
    with three coordinates per body (z 0 when the table has none), and a
    note naming a last line cut short and left out (or "")."""
    width = layout.cells
    rows = []
    lines = data.split(b"\n")
    if lines[-1] == b"":
        lines.pop()
        unterminated = -1
    else:
        unterminated = len(lines)
    for number, line in enumerate(lines, 1):
        if len(line) > MAX_LINE_BYTES:
            raise long_line(number)
        if number == layout.header_line:
            continue
        kind, values, bad = parse_line(line, layout.separator, width, layout.decimal_comma)
        if kind in ("blank", "comment"):
            continue
        # An empty last cell of an unfinished last line is not written yet.
        open_end = kind == "cells" and len(values) == width and number == unterminated
        open_end = open_end and _ends_with_cell(line, b"", layout.separator)
        if kind == "cells" and len(values) == width and not open_end:
            row = [values[layout.time_column]]
            for x, y, z in layout.bodies:
                row += [values[x], values[y], values[z] if z is not None else 0.0]
            rows.append(row)
            continue
        count = len(values)
        cut = kind == "cells" or (b"\0" not in bad and _ends_with_cell(line, bad, layout.separator))
        if open_end or (number == unterminated and count < width and cut):
            return rows, f"Line {number} is cut short and was left out"
        if kind == "cells":
            raise ragged(number, min(count, width + 1), width)
        raise not_a_number(number, count + 1, bad, layout.decimal_comma)
    return rows, ""


def _unquoted_bytes(cell):
    return cell[1:-1] if len(cell) >= 2 and cell[:1] == b'"' and cell[-1:] == b'"' else cell


def read_long_rows(data, layout):
    """The rows of a whole table of one line per body and time, as read_rows
    gives them (NaN for a body without a line at a time), after setting the
    layout's bodies and names (the body keys in order of first appearance,
    none when they are 1, 2, 3... in that order), and the note."""
    width, body_column = layout.cells, layout.body_column
    lines = data.split(b"\n")
    unterminated = len(lines)
    if lines[-1] == b"":
        lines.pop()
        unterminated = -1
    times, positions, body_of, last_row = [], [], {}, []
    note = ""
    for number, line in enumerate(lines, 1):
        if len(line) > MAX_LINE_BYTES:
            raise long_line(number)
        if number == layout.header_line:
            continue
        cells = _split_cells(line, layout.separator)
        if not cells or cells[0].startswith(b"#"):
            continue
        values, error = [None] * width, None
        if b"\0" in line:
            error = nul_byte(number)
        elif len(cells) != width:
            error = ragged(number, len(cells), width)
        else:
            for c, cell in enumerate(cells):
                if c == body_column:
                    continue
                values[c] = read_table_cell(cell, layout.separator, layout.decimal_comma)
                if values[c] is None:
                    error = not_a_number(number, c + 1, cell, layout.decimal_comma)
                    break
        if error is not None:
            if number == unterminated and b"\0" not in line:
                note = f"Line {number} is cut short and was left out"
                break
            raise error
        key = _unquoted_bytes(cells[body_column]).decode("utf-8", "replace")
        if not key:
            raise TableError(f"Line {number}, column {body_column + 1}: the line names no body")
        time = values[layout.time_column]
        if not times or time != times[-1]:
            if times and not time > times[-1]:
                raise TableError(
                    f"Line {number}, column {layout.time_column + 1}: the time {format_real(time)} comes after "
                    f"{format_real(times[-1])}: the lines of each time must stand together, the times in "
                    "increasing order"
                )
            times.append(time)
        if key not in body_of:
            body_of[key] = len(body_of)
            last_row.append(-1)
        body, row = body_of[key], len(times) - 1
        if last_row[body] == row:
            raise TableError(
                f"Line {number}, column {body_column + 1}: a second line for '{_shown(key)}' at the time "
                f"{format_real(time)}"
            )
        last_row[body] = row
        x, y, z = layout.line_columns
        positions.append((row, body, values[x], values[y], values[z] if z is not None else 0.0))
    bodies = len(body_of)
    rows = [[t] + [math.nan] * (3 * bodies) for t in times]
    for row, body, x, y, z in positions:
        rows[row][1 + 3 * body : 4 + 3 * body] = [x, y, z]
    layout.bodies = [layout.line_columns] * bodies
    keys = list(body_of)
    numbered = keys == [str(k + 1) for k in range(bodies)]
    layout.names = [] if numbered else [_shown(key) for key in keys]
    return rows, note
