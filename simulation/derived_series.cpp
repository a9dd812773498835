#include "derived_series.h"

#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include "depth_table.h"
#include "orbit_elements.h"
#include "parallel_for.h"
#include "reference_frame.h"
#include "trajectory_table.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

struct KindName {
    QuantityKind kind;
    std::string_view name;
};
constexpr std::array<KindName, 11> kNames{{{QuantityKind::Distance, "r"},
                                           {QuantityKind::Speed, "v"},
                                           {QuantityKind::SemiMajorAxis, "a"},
                                           {QuantityKind::Eccentricity, "e"},
                                           {QuantityKind::Pericentre, "omega"},
                                           {QuantityKind::Inclination, "i"},
                                           {QuantityKind::Node, "node"},
                                           {QuantityKind::Energy, "eps"},
                                           {QuantityKind::Separation, "sep"},
                                           {QuantityKind::SystemEnergy, "energy"},
                                           {QuantityKind::SystemMomentum, "momentum"}}};

std::string_view NameOf(QuantityKind kind) {
    for (const KindName& k : kNames)
        if (k.kind == kind) return k.name;
    return {};
}

bool OfSystem(QuantityKind kind) {
    return kind == QuantityKind::SystemEnergy || kind == QuantityKind::SystemMomentum;
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

/// A vector whose components lie across and up the plane `plane` and off it
/// (its depth), in the data's own axes.
Vector3 InDataAxes(double across, double up, double depth, TablePlane plane) {
    switch (plane) {
        case TablePlane::XZ:
            return {across, depth, up};
        case TablePlane::YZ:
            return {depth, across, up};
        case TablePlane::XY:
            break;
    }
    return {across, up, depth};
}

bool Finite(const Vector3& a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }

/// The length of `a`: of its x and y alone for planar data, so that its
/// series stay exactly as they were before depths were kept.
double Length(const Vector3& a, bool space) {
    return space ? std::hypot(a.x, a.y, a.z) : std::hypot(a.x, a.y);
}

Vector3 Minus(const Vector3& a, const Vector3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

/// Body `body`'s position at row r, in the data's axes (z 0 for planar data).
Vector3 PositionAt(const SeriesSource& s, int body, int32_t r) {
    const double* p = s.table->track(body, r);
    if (!s.depth) return {p[0], p[1], 0};
    return InDataAxes(p[0], p[1], s.depth->at(body, r), s.plane);
}

/// The rows a velocity at row r is taken from, and their weights: the same
/// for every body of the row.
struct VelocityStencil {
    int32_t first = 0;
    std::size_t count = 0;
    std::array<double, kVelocityRows> weights{};

    bool Make(const TrajectoryTable& t, int32_t rows, int32_t r) {
        count = std::min<std::size_t>(kVelocityRows, std::size_t(std::max(rows, 0)));
        if (count < 2) return false;
        first = int32_t(VelocityWindow(std::size_t(r), std::size_t(rows)));
        std::array<double, kVelocityRows> times{};
        for (std::size_t j = 0; j < count; ++j) times[j] = t.time(first + int32_t(j));
        return FirstDerivativeWeights(times.data(), count, t.time(r), weights.data());
    }
    /// Body `body`'s velocity in the data's axes; false when a row it needs
    /// is not finite.
    bool Velocity(const SeriesSource& s, int body, Vector3& v) const {
        const double* p = s.table->track(body, first);
        double vx = 0, vy = 0, vd = 0;
        for (std::size_t j = 0; j < count; ++j) {
            vx += weights[j] * p[2 * j];
            vy += weights[j] * p[2 * j + 1];
        }
        if (s.depth) {
            const double* d = s.depth->track(body, first);
            for (std::size_t j = 0; j < count; ++j) vd += weights[j] * d[j];
            v = InDataAxes(vx, vy, vd, s.plane);
        } else {
            v = {vx, vy, 0};
        }
        return Finite(v);
    }
};

/// The system's energy at row r; not a number when a row is not finite or
/// no mass or mu.
double EnergyAt(const SeriesSource& s, int32_t r) {
    const TrajectoryTable& t = *s.table;
    const int bodies = t.bodyColumns();
    if (int(s.masses.size()) < bodies + 1 || !(s.gm > 0) || !(s.masses[0] > 0)) return kNaN;
    VelocityStencil stencil;
    if (!stencil.Make(t, s.rows, r)) return kNaN;
    const bool space = s.depth != nullptr;
    const double g = s.gm / s.masses[0];
    double sum = 0;
    for (int k = 1; k <= bodies; ++k) {
        const double m = s.masses[std::size_t(k)];
        const Vector3 p = PositionAt(s, k, r);
        Vector3 v;
        if (!stencil.Velocity(s, k, v)) return kNaN;
        sum += m * (v.x * v.x + v.y * v.y + v.z * v.z) / 2 - s.gm * m / Length(p, space);
        for (int j = 1; j < k; ++j)
            sum -= g * s.masses[std::size_t(j)] * m / Length(Minus(p, PositionAt(s, j, r)), space);
    }
    return std::isfinite(sum) ? sum : kNaN;
}

/// The system's angular momentum about the sun at row r (only its z for
/// planar data); not a number when a row is not finite or a mass is missing.
Vector3 MomentumAt(const SeriesSource& s, int32_t r) {
    const TrajectoryTable& t = *s.table;
    const int bodies = t.bodyColumns();
    const Vector3 none{kNaN, kNaN, kNaN};
    if (int(s.masses.size()) < bodies + 1) return none;
    VelocityStencil stencil;
    if (!stencil.Make(t, s.rows, r)) return none;
    Vector3 sum;
    for (int k = 1; k <= bodies; ++k) {
        const double m = s.masses[std::size_t(k)];
        const Vector3 p = PositionAt(s, k, r);
        Vector3 v;
        if (!stencil.Velocity(s, k, v)) return none;
        if (s.depth) {
            sum.x += m * (p.y * v.z - p.z * v.y);
            sum.y += m * (p.z * v.x - p.x * v.z);
        }
        sum.z += m * (p.x * v.y - p.y * v.x);
    }
    return Finite(sum) ? sum : none;
}

/// The change of the angular momentum `l` from `start`, relative to it.
double MomentumChange(const Vector3& l, const Vector3& start, bool space) {
    if (!space) return std::fabs((l.z - start.z) / std::fabs(start.z));
    return Length(Minus(l, start), true) / Length(start, true);
}

/// The value of a body's or a pair's quantity at row r.
double BodyValue(const SeriesSource& s, const Quantity& q, int32_t r) {
    const bool space = s.depth != nullptr;
    const Vector3 p = PositionAt(s, q.body, r);
    switch (q.kind) {
        case QuantityKind::Distance:
            return Length(p, space);
        case QuantityKind::Separation:
            return Length(Minus(p, PositionAt(s, q.other, r)), space);
        default:
            break;
    }
    VelocityStencil stencil;
    Vector3 v;
    if (!Finite(p) || !stencil.Make(*s.table, s.rows, r) || !stencil.Velocity(s, q.body, v)) return kNaN;
    if (q.kind == QuantityKind::Speed) return Length(v, space);
    const OrbitElements el = ElementsOf(p, v, s.gm);
    constexpr double kDegrees = 180 / std::numbers::pi;
    switch (q.kind) {
        case QuantityKind::SemiMajorAxis:
            return el.a;
        case QuantityKind::Eccentricity:
            return el.e;
        case QuantityKind::Pericentre:
            return el.omega * kDegrees;
        case QuantityKind::Inclination:
            return el.i * kDegrees;
        case QuantityKind::Node:
            return el.node * kDegrees;
        case QuantityKind::Energy:
            return el.energy;
        default:
            return kNaN;
    }
}

}  // namespace

bool NeedsGm(QuantityKind kind) {
    return kind != QuantityKind::Distance && kind != QuantityKind::Speed &&
           kind != QuantityKind::Separation && kind != QuantityKind::SystemMomentum;
}

bool NeedsMasses(QuantityKind kind) { return OfSystem(kind); }

QuantityList ParseQuantities(std::string_view text, int bodies, const std::vector<std::string>& names) {
    QuantityList list;
    const auto fail = [&](std::string why) {
        list.quantities.clear();
        list.texts.clear();
        list.error = std::move(why);
        return list;
    };
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string_view item = Trimmed(text.substr(from, comma - from));
        from = comma + 1;
        if (item.empty()) return fail("an empty item in the list of quantities '" + std::string(text) + "'");
        const std::size_t colon = item.find(':');
        const std::string_view name = Trimmed(item.substr(0, colon));
        const KindName* kind = nullptr;
        for (const KindName& k : kNames)
            if (k.name == name) kind = &k;
        if (!kind)
            return fail("'" + std::string(item) +
                        "' is not a quantity: r:N, v:N, a:N, e:N, omega:N, i:N, node:N, eps:N, sep:I-J, "
                        "energy or momentum");
        Quantity q{kind->kind};
        const bool system = OfSystem(q.kind);
        const bool bare = colon == std::string_view::npos;
        if (system && !bare) return fail("'" + std::string(item) + "' takes no body: the whole system's");
        if (bare && q.kind == QuantityKind::Separation)
            return fail("'" + std::string(item) + "' needs two bodies, as in sep:1-2");
        if (bare && !system) {
            // A body's quantity without a body: every body's, in turn.
            for (int body = 1; body <= bodies; ++body) {
                list.quantities.push_back({q.kind, body});
                list.texts.push_back(QuantityText(list.quantities.back()));
            }
            if (comma == text.size()) break;
            continue;
        }
        if (!system) {
            std::string_view rest = Trimmed(item.substr(colon + 1));
            std::string error;
            if (q.kind == QuantityKind::Separation) {
                const std::size_t dash = rest.find('-');
                if (dash == std::string_view::npos)
                    return fail("'" + std::string(item) + "' needs two bodies, as in sep:1-2");
                const std::string_view a = Trimmed(rest.substr(0, dash)), b = Trimmed(rest.substr(dash + 1));
                const auto first = ReadBody(a, bodies, names, a, error);
                if (!first) return fail("in '" + std::string(item) + "': " + error);
                const auto second = ReadBody(b, bodies, names, b, error);
                if (!second) return fail("in '" + std::string(item) + "': " + error);
                if (*first == *second) return fail("'" + std::string(item) + "' names one body twice");
                q.body = *first, q.other = *second;
            } else {
                const auto body = ReadBody(rest, bodies, names, rest, error);
                if (!body) return fail("in '" + std::string(item) + "': " + error);
                q.body = *body;
            }
        }
        list.quantities.push_back(q);
        list.texts.emplace_back(item);
        if (comma == text.size()) break;
    }
    return list;
}

std::string QuantityText(const Quantity& q) {
    std::string text(NameOf(q.kind));
    if (OfSystem(q.kind)) return text;
    text += ":" + std::to_string(q.body);
    if (q.kind == QuantityKind::Separation) text += "-" + std::to_string(q.other);
    return text;
}

std::string QuantityUnit(QuantityKind kind, std::string_view lengthUnit, std::string_view timeUnit) {
    const std::string length(lengthUnit), time(timeUnit);
    switch (kind) {
        case QuantityKind::Distance:
        case QuantityKind::SemiMajorAxis:
        case QuantityKind::Separation:
            return length;
        case QuantityKind::Speed:
            return length.empty() || time.empty() ? std::string() : length + "/" + time;
        case QuantityKind::Pericentre:
        case QuantityKind::Inclination:
        case QuantityKind::Node:
            return "deg";
        case QuantityKind::Energy:
            return length.empty() || time.empty() ? std::string() : length + "^2/" + time + "^2";
        default:
            return {};
    }
}

void ComputeSeries(const SeriesSource& s, const Quantity& q, int32_t first, int32_t last, double* out) {
    first = std::max(first, 0), last = std::min(last, s.rows);
    if (!s.table || first >= last) return;
    const int bodies = s.table->bodyColumns();
    const bool system = OfSystem(q.kind);
    const bool known =
        system || (q.body >= 1 && q.body <= bodies &&
                   (q.kind != QuantityKind::Separation || (q.other >= 1 && q.other <= bodies)));
    const bool gmMissing = NeedsGm(q.kind) && !(s.gm > 0 && std::isfinite(s.gm));
    const bool depthShort = s.depth && (s.depth->bodyCount() != bodies || s.depth->rowCount() < s.rows);
    if (!known || gmMissing || depthShort) {
        std::fill(out, out + (last - first), kNaN);
        return;
    }
    // The system's quantities as changes from the first row that has one.
    const bool space = s.depth != nullptr;
    double start = kNaN;
    Vector3 startMomentum{kNaN, kNaN, kNaN};
    if (q.kind == QuantityKind::SystemEnergy)
        for (int32_t r = 0; r < s.rows && !std::isfinite(start); ++r) start = EnergyAt(s, r);
    if (q.kind == QuantityKind::SystemMomentum)
        for (int32_t r = 0; r < s.rows && !Finite(startMomentum); ++r) startMomentum = MomentumAt(s, r);
    const bool momentumStarts =
        Finite(startMomentum) && (space ? Length(startMomentum, true) : std::fabs(startMomentum.z)) != 0;
    ParallelFor(first, last, WorkerCount(uint64_t(last - first), 4096), [&](int64_t begin, int64_t end) {
        for (auto r = int32_t(begin); r < int32_t(end); ++r) {
            double v = kNaN;
            if (!system) {
                v = BodyValue(s, q, r);
            } else if (q.kind == QuantityKind::SystemEnergy && std::isfinite(start) && start != 0) {
                v = (EnergyAt(s, r) - start) / std::fabs(start);
            } else if (q.kind == QuantityKind::SystemMomentum && momentumStarts) {
                v = MomentumChange(MomentumAt(s, r), startMomentum, space);
            }
            out[r - first] = v;
        }
    });
}
