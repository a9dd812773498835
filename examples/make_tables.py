#!/usr/bin/env python3
"""Writes the example tables that open directly, without a configuration:

    planets-ephemeris.csv   the eight planets' heliocentric ecliptic x, y, z
                            (AU) over four years from J2000, from their mean
                            Keplerian elements
    planets-equatorial.csv  the same in equatorial axes, as ephemerides give them
    two-ellipses.txt        two planets on ellipses round a unit mass, as
                            numpy's savetxt lays a table out

Standard library only, so that it runs with any python3. Numbers are written
with repr(), the shortest text that reads back as the same double.

    make_tables.py [FOLDER]     (FOLDER: this script's own by default)
"""

import math
import os
import sys

# Mean orbital elements at J2000 and their rates per Julian century, for
# 1800-2050, referred to the mean ecliptic and equinox of J2000 (the JPL
# approximate positions of the planets, table 1): a [AU], e, I [deg],
# L mean longitude [deg], long. of perihelion [deg], long. of ascending node [deg].
# "earth" is the Earth-Moon barycentre.
PLANETS = [
    ("mercury", (0.38709927, 0.20563593, 7.00497902, 252.25032350, 77.45779628, 48.33076593),
     (0.00000037, 0.00001906, -0.00594749, 149472.67411175, 0.16047689, -0.12534081)),
    ("venus", (0.72333566, 0.00677672, 3.39467605, 181.97909950, 131.60246718, 76.67984255),
     (0.00000390, -0.00004107, -0.00078890, 58517.81538729, 0.00268329, -0.27769418)),
    ("earth", (1.00000261, 0.01671123, -0.00001531, 100.46457166, 102.93768193, 0.0),
     (0.00000562, -0.00004392, -0.01294668, 35999.37244981, 0.32327364, 0.0)),
    ("mars", (1.52371034, 0.09339410, 1.84969142, -4.55343205, -23.94362959, 49.55953891),
     (0.00001847, 0.00007882, -0.00813131, 19140.30268499, 0.44441088, -0.29257343)),
    ("jupiter", (5.20288700, 0.04838624, 1.30439695, 34.39644051, 14.72847983, 100.47390909),
     (-0.00011607, -0.00013253, -0.00183714, 3034.74612775, 0.21252668, 0.20469106)),
    ("saturn", (9.53667594, 0.05386179, 2.48599187, 49.95424423, 92.59887831, 113.66242448),
     (-0.00125060, -0.00050991, 0.00193609, 1222.49362201, -0.41897216, -0.28867794)),
    ("uranus", (19.18916464, 0.04725744, 0.77263783, 313.23810451, 170.95427630, 74.01692503),
     (-0.00196176, -0.00004397, -0.00242939, 428.48202785, 0.40805281, 0.04240589)),
    ("neptune", (30.06992276, 0.00859048, 1.77004347, -55.12002969, 44.96476227, 131.78422574),
     (0.00026291, 0.00005105, 0.00035372, 218.45945325, -0.32241464, -0.00508664)),
]

DAYS_PER_YEAR = 365.25


def eccentric_anomaly(mean_anomaly, e):
    """Solves Kepler's equation E - e sin E = M by Newton's method."""
    E = mean_anomaly + e * math.sin(mean_anomaly)
    for _ in range(50):
        step = (E - e * math.sin(E) - mean_anomaly) / (1.0 - e * math.cos(E))
        E -= step
        if abs(step) < 1e-15:
            break
    return E


def in_orbit_plane(a, e, mean_anomaly):
    """Position on the ellipse, x toward the perihelion."""
    E = eccentric_anomaly(mean_anomaly, e)
    return a * (math.cos(E) - e), a * math.sqrt(1.0 - e * e) * math.sin(E)


def planet_position(elements, rates, years):
    """Heliocentric ecliptic x, y, z [AU] `years` after J2000."""
    centuries = years / 100.0
    a, e, incl, mean_long, peri_long, node = (v + r * centuries for v, r in zip(elements, rates))
    perihelion = math.radians(peri_long - node)
    node, incl = math.radians(node), math.radians(incl)
    mean_anomaly = math.radians((mean_long - peri_long + 180.0) % 360.0 - 180.0)
    xp, yp = in_orbit_plane(a, e, mean_anomaly)
    cw, sw = math.cos(perihelion), math.sin(perihelion)
    cn, sn = math.cos(node), math.sin(node)
    ci, si = math.cos(incl), math.sin(incl)
    x = (cw * cn - sw * sn * ci) * xp + (-sw * cn - cw * sn * ci) * yp
    y = (cw * sn + sw * cn * ci) * xp + (-sw * sn + cw * cn * ci) * yp
    z = sw * si * xp + cw * si * yp
    return x, y, z


OBLIQUITY = math.radians(23.4392911)  # of the J2000 ecliptic to the equator


def to_equatorial(x, y, z):
    c, s = math.cos(OBLIQUITY), math.sin(OBLIQUITY)
    return x, c * y - s * z, s * y + c * z


def write_ephemeris(path, years=4.0, step_days=5.0, equatorial=False):
    rows = int(years * DAYS_PER_YEAR / step_days) + 1
    axes = "equatorial positions (J2000 equator and equinox, as ephemerides give them)" if equatorial \
        else "ecliptic positions (J2000 ecliptic and equinox)"
    with open(path, "w", newline="\n") as out:
        out.write(f"# The eight planets' heliocentric {axes} from their\n")
        out.write("# mean Keplerian elements: t in years from J2000, x, y, z in AU; earth is the Earth-Moon barycentre.\n")
        out.write(",".join(["t"] + [f"{name}_{axis}" for name, _, _ in PLANETS for axis in "xyz"]) + "\n")
        for k in range(rows):
            t = k * step_days / DAYS_PER_YEAR
            cells = [t]
            for _, elements, rates in PLANETS:
                position = planet_position(elements, rates, t)
                cells.extend(to_equatorial(*position) if equatorial else position)
            out.write(",".join(repr(v) for v in cells) + "\n")


def write_two_ellipses(path, rows=1500, dt=0.02):
    """Two planets round a unit mass (the gravitational parameter is 1, so a
    period is 2 pi a^1.5), one inside the other, starting apart."""
    orbits = [(1.0, 0.3, 0.0, 0.0), (1.8, 0.1, 2.0, 1.2)]  # a, e, perihelion direction, starting mean anomaly
    with open(path, "w", newline="\n") as out:
        out.write("# t x1 y1 x2 y2\n")
        for k in range(rows):
            t = k * dt
            cells = [t]
            for a, e, direction, start in orbits:
                xp, yp = in_orbit_plane(a, e, start + t / a**1.5)
                c, s = math.cos(direction), math.sin(direction)
                cells += [c * xp - s * yp, s * xp + c * yp]
            out.write(" ".join(repr(v) for v in cells) + "\n")


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    write_ephemeris(os.path.join(folder, "planets-ephemeris.csv"))
    write_ephemeris(os.path.join(folder, "planets-equatorial.csv"), equatorial=True)
    write_two_ellipses(os.path.join(folder, "two-ellipses.txt"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
