#include "simulation/view_axes.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace {

using Matrix = std::array<std::array<double, 3>, 3>;

Matrix Times(const Matrix& a, const Matrix& b) {
    Matrix c{};
    for (std::size_t i = 0; i < 3; ++i)
        for (std::size_t j = 0; j < 3; ++j)
            c[i][j] = a[i][0] * b[0][j] + a[i][1] * b[1][j] + a[i][2] * b[2][j];
    return c;
}

double Radians(double degrees) { return degrees * (std::numbers::pi / 180); }

/// The cosine and sine of an angle in degrees, exact at the multiples of
/// 90 degrees, so that a camera turned by them shows the data's own values.
std::array<double, 2> CosSin(double degrees) {
    const double turns = degrees / 90;
    if (turns == std::floor(turns) && std::isfinite(turns)) {
        const long quarter = ((long(std::fmod(turns, 4)) % 4) + 4) % 4;
        constexpr std::array<std::array<double, 2>, 4> kQuarters{{{1, 0}, {0, 1}, {-1, 0}, {0, -1}}};
        return kQuarters[std::size_t(quarter)];
    }
    return {std::cos(Radians(degrees)), std::sin(Radians(degrees))};
}

std::optional<double> Degrees(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || problem != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

constexpr double kObliquityDegrees = 23.4392911;  // IAU 1976, J2000

}  // namespace

std::string ViewPlaneName(const ViewPlane& p) {
    switch (p.kind) {
        case ViewPlane::Kind::XZ:
            return "xz";
        case ViewPlane::Kind::YZ:
            return "yz";
        case ViewPlane::Kind::Ecliptic:
            return "ecliptic";
        case ViewPlane::Kind::Invariable:
            return "invariable";
        case ViewPlane::Kind::Orbit:
            return "orbit:" + std::to_string(p.body);
        case ViewPlane::Kind::XY:
            break;
    }
    return "xy";
}

std::optional<ViewPlane> ParseViewPlane(std::string_view text) {
    using K = ViewPlane::Kind;
    for (const K kind : {K::XY, K::XZ, K::YZ, K::Ecliptic, K::Invariable})
        if (text == ViewPlaneName(kind)) return ViewPlane(kind);
    constexpr std::string_view kOrbit = "orbit:";
    if (text.substr(0, kOrbit.size()) != kOrbit) return std::nullopt;
    const std::string_view number = text.substr(kOrbit.size());
    int body = 0;
    const auto [end, problem] = std::from_chars(number.data(), number.data() + number.size(), body);
    if (number.empty() || problem != std::errc() || end != number.data() + number.size() || body < 1)
        return std::nullopt;
    return ViewPlane(K::Orbit, body);
}

std::optional<CameraTurn> ParseCameraTurn(std::string_view text, std::string& error) {
    std::array<double, 3> angles{0, 0, 0};
    std::size_t count = 0;
    for (std::size_t start = 0; count < 4; ++count) {
        const std::size_t comma = text.find(',', start);
        const std::string_view piece =
            text.substr(start, comma == std::string_view::npos ? comma : comma - start);
        const std::optional<double> value = count < 3 ? Degrees(piece) : std::nullopt;
        if (!value) {
            error = "'" + std::string(text) + "' is not a view: give AZ,EL or AZ,EL,ROLL in degrees";
            return std::nullopt;
        }
        angles[count] = *value;
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (count < 1) {
        error = "'" + std::string(text) + "' is not a view: give AZ,EL or AZ,EL,ROLL in degrees";
        return std::nullopt;
    }
    if (angles[1] < -90 || angles[1] > 90) {
        error = "'" + std::string(text) + "' is not a view: the elevation goes from -90 to 90 degrees";
        return std::nullopt;
    }
    return CameraTurn{angles[0], angles[1], angles[2]};
}

ViewAxes FixedPlaneAxes(ViewPlane::Kind kind) {
    switch (kind) {
        case ViewPlane::Kind::XZ:
            return {{{{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}}};
        case ViewPlane::Kind::YZ:
            return {{{{0, 1, 0}, {0, 0, 1}, {1, 0, 0}}}};
        case ViewPlane::Kind::Ecliptic: {
            const double c = std::cos(Radians(kObliquityDegrees)), s = std::sin(Radians(kObliquityDegrees));
            return {{{{1, 0, 0}, {0, c, s}, {0, -s, c}}}};
        }
        default:
            return {};
    }
}

std::optional<ViewAxes> AxesNormalTo(const std::array<double, 3>& normal) {
    const double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
    if (!(length > 0) || !std::isfinite(length)) return std::nullopt;
    const std::array<double, 3> n{normal[0] / length, normal[1] / length, normal[2] / length};
    // The ascending node: z cross n, along the line where the plane meets xy.
    const double nodeLength = std::hypot(n[0], n[1]);
    if (nodeLength < 1e-15) {
        if (n[2] > 0) return ViewAxes{};
        return ViewAxes{{{{1, 0, 0}, {0, -1, 0}, {0, 0, -1}}}};
    }
    const std::array<double, 3> e1{-n[1] / nodeLength, n[0] / nodeLength, 0};
    const std::array<double, 3> e2{n[1] * e1[2] - n[2] * e1[1], n[2] * e1[0] - n[0] * e1[2],
                                   n[0] * e1[1] - n[1] * e1[0]};
    return ViewAxes{{e1, e2, n}};
}

ViewAxes TurnAxes(const ViewAxes& plane, const CameraTurn& turn) {
    if (!turn.turned()) return plane;
    const auto [ca, sa] = CosSin(turn.azimuth);
    const auto [ce, se] = CosSin(turn.elevation);
    const auto [cr, sr] = CosSin(turn.roll);
    // The system turned about the plane's normal, then tilted toward the
    // viewer about the picture's x, then the picture turned about the line
    // of sight.
    const Matrix spin{{{ca, -sa, 0}, {sa, ca, 0}, {0, 0, 1}}};
    const Matrix tilt{{{1, 0, 0}, {0, se, ce}, {0, -ce, se}}};
    const Matrix roll{{{cr, -sr, 0}, {sr, cr, 0}, {0, 0, 1}}};
    return {Times(roll, Times(tilt, Times(spin, plane.m)))};
}

std::string AxisName(const ViewPlane& plane, int row) {
    switch (plane.kind) {
        case ViewPlane::Kind::XY:
            return row == 0 ? "x" : "y";
        case ViewPlane::Kind::XZ:
            return row == 0 ? "x" : "z";
        case ViewPlane::Kind::YZ:
            return row == 0 ? "y" : "z";
        case ViewPlane::Kind::Ecliptic:
            return row == 0 ? "x_ecl" : "y_ecl";
        case ViewPlane::Kind::Invariable:
            return row == 0 ? "x_inv" : "y_inv";
        case ViewPlane::Kind::Orbit:
            return row == 0 ? "x_orb" : "y_orb";
    }
    return {};
}
