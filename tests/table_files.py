#!/usr/bin/env python3
"""Writes orbit tables the way numpy and pandas write them, for the table
reader's test, each with a sidecar of the values it must read back.

    table_files.py FOLDER

For every table NAME.EXT in FOLDER there is NAME.EXT.expected:

    rows R
    bodies B
    dimensions 2|3
    names NAME... (nothing after "names" when the header does not name the bodies)
    then R lines: the time and every body's x, y (and z), each as Python's
    repr of the float, which reads back as exactly the same double.

Exits with 77 (a skipped test) when numpy or pandas cannot be imported.
"""

import math
import os
import sys

try:
    import numpy
    import pandas
except ImportError as missing:
    print(f"skipped: {missing}", file=sys.stderr)
    sys.exit(77)

ROWS = 500
NAMES = ["earth", "mars", "ceres"]


def orbits(dimensions):
    """ROWS rows of the time and three bodies on ellipses round the origin,
    tilted out of the plane when there are three coordinates. The angles and
    radii are irrational multiples so that every value needs all its digits."""
    t = numpy.arange(ROWS) * (math.pi / 97.0)
    columns = [t]
    for k, (a, e, tilt) in enumerate([(1.0, 0.0167, 0.0), (1.5236, 0.0934, 0.0323), (2.7675, 0.0785, 0.1849)]):
        angle = t * (2.0 * math.pi / a**1.5) + k * math.e
        x = a * (numpy.cos(angle) - e)
        y = a * math.sqrt(1.0 - e * e) * numpy.sin(angle)
        if dimensions == 3:
            columns += [x, y * math.cos(tilt), y * math.sin(tilt) - k / 7.0]
        else:
            columns += [x, y]
    return numpy.column_stack(columns)


def header(dimensions, style):
    """Column names for the bodies: ("earth_x", ...), ("earth.x", ...) or ("x1", ...)."""
    axes = "xyz"[:dimensions]
    if style == "numbered":
        return [f"{axis}{k + 1}" for k in range(len(NAMES)) for axis in axes]
    separator = "." if style == "dotted" else "_"
    return [f"{name}{separator}{axis}" for name in NAMES for axis in axes]


def write_expected(path, values, names):
    with open(path + ".expected", "w") as out:
        out.write(f"rows {values.shape[0]}\n")
        out.write(f"bodies {len(NAMES)}\n")
        out.write(f"dimensions {(values.shape[1] - 1) // len(NAMES)}\n")
        out.write(" ".join(["names"] + names) + "\n")
        for row in values:
            out.write(" ".join(repr(float(v)) for v in row) + "\n")


def main():
    if len(sys.argv) != 2:
        print("usage: table_files.py FOLDER", file=sys.stderr)
        return 2
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    flat, solid = orbits(2), orbits(3)

    # numpy's savetxt: "%.18e" cells, the header as a "# " comment line.
    path = os.path.join(folder, "savetxt-blank.txt")
    numpy.savetxt(path, flat, header=" ".join(["t"] + header(2, "numbered")))
    write_expected(path, flat, [])

    path = os.path.join(folder, "savetxt-comma.csv")
    numpy.savetxt(path, flat, delimiter=",", header=",".join(["t"] + header(2, "numbered")))
    write_expected(path, flat, [])

    # pandas with its default index: a first column of row numbers whose
    # header cell is empty, before the time.
    path = os.path.join(folder, "pandas-index.csv")
    pandas.DataFrame(flat, columns=["time"] + header(2, "underscore")).to_csv(path)
    write_expected(path, flat, NAMES)

    # pandas without the index, cells parted by semicolons, Windows line ends.
    path = os.path.join(folder, "pandas-semicolon.csv")
    pandas.DataFrame(flat, columns=["time"] + header(2, "underscore")).to_csv(
        path, index=False, sep=";", lineterminator="\r\n"
    )
    write_expected(path, flat, NAMES)

    # Three coordinates per body.
    path = os.path.join(folder, "pandas-3d.csv")
    pandas.DataFrame(solid, columns=["t"] + header(3, "dotted")).to_csv(path, index=False)
    write_expected(path, solid, NAMES)
    return 0


if __name__ == "__main__":
    sys.exit(main())
