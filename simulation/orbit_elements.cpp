#include "orbit_elements.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>

bool FirstDerivativeWeights(const double* times, std::size_t count, double at, double* weights) {
    constexpr std::size_t kMost = 9;
    if (count < 2 || count > kMost || !std::isfinite(at)) return false;
    for (std::size_t k = 0; k < count; ++k) {
        if (!std::isfinite(times[k])) return false;
        for (std::size_t j = 0; j < k; ++j)
            if (times[j] == times[k]) return false;
    }
    // The recurrence of Fornberg (1988) for the weights of the value (d[.][0])
    // and the first derivative (d[.][1]), adding one point at a time.
    std::array<std::array<double, 2>, kMost> d{};
    d[0][0] = 1;
    double c1 = 1, c4 = times[0] - at;
    for (std::size_t i = 1; i < count; ++i) {
        const std::size_t most = std::min<std::size_t>(i, 1);
        double c2 = 1;
        const double c5 = c4;
        c4 = times[i] - at;
        for (std::size_t j = 0; j < i; ++j) {
            const double c3 = times[i] - times[j];
            c2 *= c3;
            if (j == i - 1) {
                for (std::size_t k = most; k >= 1; --k)
                    d[i][k] = c1 * (double(k) * d[i - 1][k - 1] - c5 * d[i - 1][k]) / c2;
                d[i][0] = -c1 * c5 * d[i - 1][0] / c2;
            }
            for (std::size_t k = most; k >= 1; --k) d[j][k] = (c4 * d[j][k] - double(k) * d[j][k - 1]) / c3;
            d[j][0] = c4 * d[j][0] / c3;
        }
        c1 = c2;
    }
    for (std::size_t k = 0; k < count; ++k) {
        weights[k] = d[k][1];
        if (!std::isfinite(weights[k])) return false;
    }
    return true;
}

std::size_t VelocityWindow(std::size_t row, std::size_t rows) {
    if (rows <= kVelocityRows) return 0;
    const std::size_t half = kVelocityRows / 2;
    return std::min(row > half ? row - half : 0, rows - kVelocityRows);
}

namespace {

Vector3 Cross(Vector3 a, Vector3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double Length(Vector3 a) { return std::sqrt(Dot(a, a)); }

/// An angle within [0, 2 pi).
double Turned(double angle) {
    const double turn = 2 * std::numbers::pi;
    angle = std::fmod(angle, turn);
    return angle < 0 ? angle + turn : angle;
}

}  // namespace

OrbitElements ElementsOf(Vector3 r, Vector3 v, double mu, ElementsWanted wanted) {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    const double distance = Length(r), speed2 = Dot(v, v);
    if (!(mu > 0) || !std::isfinite(mu) || !std::isfinite(distance) || !std::isfinite(speed2) ||
        !(distance > 0))
        return {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
    OrbitElements out;
    out.energy = speed2 / 2 - mu / distance;
    out.a = out.energy == 0 ? std::numeric_limits<double>::infinity() : -mu / (2 * out.energy);
    if (wanted == ElementsWanted::Size) return out;
    const Vector3 h = Cross(r, v);
    // The eccentricity vector points to the pericentre.
    const Vector3 vh = Cross(v, h);
    const Vector3 ev{vh.x / mu - r.x / distance, vh.y / mu - r.y / distance, vh.z / mu - r.z / distance};
    out.e = Length(ev);
    if (wanted == ElementsWanted::Shape) return out;
    const double hLength = Length(h);
    if (!(hLength > 0)) {  // on a line through the sun: no plane
        out.i = out.node = out.omega = kNaN;
        return out;
    }
    out.i = std::acos(std::clamp(h.z / hLength, -1.0, 1.0));
    // The node line, where the orbit rises through the x-y plane.
    const Vector3 n{-h.y, h.x, 0};
    const double nLength = Length(n);
    const bool inPlane = nLength <= 1e-12 * hLength;
    out.node = inPlane ? 0 : Turned(std::atan2(n.y, n.x));
    if (out.e < 1e-10) {
        out.omega = kNaN;
    } else if (inPlane) {
        // From the x axis, in the sense of the motion.
        out.omega = Turned(std::atan2(h.z >= 0 ? ev.y : -ev.y, ev.x));
    } else {
        const Vector3 unitH{h.x / hLength, h.y / hLength, h.z / hLength};
        out.omega = Turned(std::atan2(Dot(unitH, Cross(n, ev)) / nLength, Dot(n, ev) / nLength));
    }
    return out;
}

std::optional<double> InferredGm(std::string_view lengthUnit, std::string_view timeUnit) {
    const auto lower = [](std::string_view text) {
        std::string out(text);
        for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    const std::string length = lower(lengthUnit), time = lower(timeUnit);
    if (length != "au") return std::nullopt;
    for (const char* year : {"yr", "year", "years", "y", "a"})
        if (time == year) return 4 * std::numbers::pi * std::numbers::pi;
    for (const char* day : {"d", "day", "days"})
        if (time == day) return 2.959122082855911e-4;
    return std::nullopt;
}
