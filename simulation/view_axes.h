#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "table_layout.h"

/// The plane a view looks onto before it is turned: a principal plane of
/// the data's axes, the ecliptic of data in equatorial coordinates, the
/// plane normal to the system's angular momentum, or a body's orbit.
struct ViewPlane {
    enum class Kind { XY, XZ, YZ, Ecliptic, Invariable, Orbit };
    Kind kind = Kind::XY;
    int body = 0;  ///< the body whose orbit it is (Orbit only)

    ViewPlane() = default;
    ViewPlane(Kind k, int b = 0) : kind(k), body(b) {}
    /// The principal planes a table has always been shown on.
    ViewPlane(TablePlane plane)
        : kind(plane == TablePlane::XZ   ? Kind::XZ
               : plane == TablePlane::YZ ? Kind::YZ
                                         : Kind::XY) {}
    bool operator==(const ViewPlane&) const = default;
    /// Whether it is one of the data's own planes xy, xz or yz.
    bool principal() const { return kind == Kind::XY || kind == Kind::XZ || kind == Kind::YZ; }
};

/// The plane's name as the command line, the menu and a configuration
/// write it: "xy", "ecliptic", "orbit:3".
std::string ViewPlaneName(const ViewPlane& plane);

/// Reads "xy", "xz", "yz", "ecliptic", "invariable" or "orbit:N" (N from
/// 1); none for any other text.
std::optional<ViewPlane> ParseViewPlane(std::string_view text);

/// The camera turned from the plane chosen, in degrees. The azimuth turns
/// the system about the plane's normal, counter-clockwise seen from above;
/// the elevation is the camera's height over the plane, 90 straight above
/// it (the plane as it was), 0 in the plane; the roll turns the picture
/// about the line of sight. So 0,90 is the plane itself, and 0,0 seen from
/// the xy plane is the plane xz, with z up, as a turntable shows it.
struct CameraTurn {
    double azimuth = 0;
    double elevation = 90;
    double roll = 0;
    bool operator==(const CameraTurn&) const = default;
    bool turned() const { return azimuth != 0 || elevation != 90 || roll != 0; }
};

/// Reads "AZ,EL" or "AZ,EL,ROLL" in degrees, the elevation from -90 to 90;
/// none, with why in `error`, otherwise.
std::optional<CameraTurn> ParseCameraTurn(std::string_view text, std::string& error);

/// The axes of a picture in the data's axes: row 0 is the picture's x (to
/// the right), row 1 its y (up) and row 2 toward the viewer. Orthonormal and
/// right-handed.
struct ViewAxes {
    std::array<std::array<double, 3>, 3> m{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
    bool operator==(const ViewAxes&) const = default;
    /// Whether the picture is the data's x and y as they are.
    bool identity() const { return *this == ViewAxes{}; }
};

/// The axes of a principal plane or the ecliptic (obliquity 23.4392911
/// degrees, for data in equatorial J2000 axes); the identity for a plane
/// that needs the data (Invariable, Orbit).
ViewAxes FixedPlaneAxes(ViewPlane::Kind kind);

/// The axes whose normal (row 2) is `normal`, with the picture's x along
/// the ascending node of that plane on the data's xy plane (the data's x
/// when the planes are the same); none for a normal of no length.
std::optional<ViewAxes> AxesNormalTo(const std::array<double, 3>& normal);

/// `plane` seen by a camera turned by `turn`.
ViewAxes TurnAxes(const ViewAxes& plane, const CameraTurn& turn);

/// Component `row` of `axes` applied to (x, y, z). A row that is an axis of
/// the data copies that coordinate as it is (a number the other two lack
/// does not spoil it), so that a principal plane shows the data's values to
/// the bit.
inline double Along(const ViewAxes& axes, int row, double x, double y, double z) {
    const std::array<double, 3>& a = axes.m[std::size_t(row)];
    if (a[1] == 0 && a[2] == 0 && (a[0] == 1 || a[0] == -1)) return a[0] * x;
    if (a[0] == 0 && a[2] == 0 && (a[1] == 1 || a[1] == -1)) return a[1] * y;
    if (a[0] == 0 && a[1] == 0 && (a[2] == 1 || a[2] == -1)) return a[2] * z;
    return a[0] * x + a[1] * y + a[2] * z;
}

/// The title of the picture's axis `row` (0: x, 1: y) for `plane`: "x",
/// "z", "x_ecl"; empty when the view is turned, when the axes have no name.
std::string AxisName(const ViewPlane& plane, int row);
