#include "derived_series.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <span>

#include "depth_table.h"
#include "double_pair.h"
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
constexpr std::array<KindName, 15> kNames{{{QuantityKind::Distance, "r"},
                                           {QuantityKind::Speed, "v"},
                                           {QuantityKind::SemiMajorAxis, "a"},
                                           {QuantityKind::Eccentricity, "e"},
                                           {QuantityKind::Pericentre, "omega"},
                                           {QuantityKind::Inclination, "i"},
                                           {QuantityKind::Node, "node"},
                                           {QuantityKind::Energy, "eps"},
                                           {QuantityKind::Separation, "sep"},
                                           {QuantityKind::SystemEnergy, "energy"},
                                           {QuantityKind::SystemMomentum, "momentum"},
                                           {QuantityKind::RunDistance, "diff"},
                                           {QuantityKind::RunSemiMajorAxis, "diff-a"},
                                           {QuantityKind::RunEccentricity, "diff-e"},
                                           {QuantityKind::RunEnergy, "diff-energy"}}};

std::string_view NameOf(QuantityKind kind) {
    for (const KindName& k : kNames)
        if (k.kind == kind) return k.name;
    return {};
}

bool OfSystem(QuantityKind kind) {
    return kind == QuantityKind::SystemEnergy || kind == QuantityKind::SystemMomentum ||
           kind == QuantityKind::RunEnergy;
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

/// The length of `a`: of its x and y alone for planar data. A square root
/// of the squares, not std::hypot, which guards against squares beyond the
/// doubles' range (positions never come near it) at four times the cost.
double Length(const Vector3& a, bool space) {
    const double planar = a.x * a.x + a.y * a.y;
    return std::sqrt(space ? planar + a.z * a.z : planar);
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

    /// The weights last worked out and the rows' times about their row they
    /// were for: rows evenly spaced in time share them, which saves working
    /// them out again for each row.
    struct Kept {
        std::array<double, kVelocityRows> offsets{}, weights{};
        std::size_t count = 0;
        bool made = false;
    };

    bool Make(const TrajectoryTable& t, int32_t rows, int32_t r, Kept* kept = nullptr) {
        count = std::min<std::size_t>(kVelocityRows, std::size_t(std::max(rows, 0)));
        if (count < 2) return false;
        first = int32_t(VelocityWindow(std::size_t(r), std::size_t(rows)));
        std::array<double, kVelocityRows> times{}, offsets{};
        const double at = t.time(r);
        for (std::size_t j = 0; j < count; ++j) {
            times[j] = t.time(first + int32_t(j));
            offsets[j] = times[j] - at;
        }
        if (kept && kept->made && kept->count == count && kept->offsets == offsets) {
            weights = kept->weights;
            return true;
        }
        const bool made = FirstDerivativeWeights(times.data(), count, at, weights.data());
        if (kept) *kept = {offsets, weights, count, made};
        return made;
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

/// Whether the quantity's values need the bodies' velocities.
bool NeedsVelocity(QuantityKind kind) {
    return kind != QuantityKind::Distance && kind != QuantityKind::Separation;
}

/// The system's energy at row r, whose velocities `stencil` gives (none
/// when the row has none); not a number when a row is not finite or no mass
/// or mu. `pulls` is room for the pairs' terms.
double EnergyAt(const SeriesSource& s, int32_t r, const VelocityStencil* stencil,
                std::vector<double>& pulls) {
    const TrajectoryTable& t = *s.table;
    const int bodies = t.bodyColumns();
    if (int(s.masses.size()) < bodies + 1 || !(s.gm > 0) || !(s.masses[0] > 0)) return kNaN;
    if (!stencil) return kNaN;
    const bool space = s.depth != nullptr;
    const double g = s.gm / s.masses[0];
    double sum = 0;
    for (int k = 1; k <= bodies; ++k) {
        const double m = s.masses[std::size_t(k)];
        const Vector3 p = PositionAt(s, k, r);
        Vector3 v;
        if (!stencil->Velocity(s, k, v)) return kNaN;
        sum += m * (v.x * v.x + v.y * v.y + v.z * v.z) / 2 - s.gm * m / Length(p, space);
        // The pairs' terms apart from the sum, so that the processor works
        // on several at once, then taken off in order.
        pulls.resize(std::size_t(k));
        for (int j = 1; j < k; ++j)
            pulls[std::size_t(j)] =
                g * s.masses[std::size_t(j)] * m / Length(Minus(p, PositionAt(s, j, r)), space);
        for (int j = 1; j < k; ++j) sum -= pulls[std::size_t(j)];
    }
    return std::isfinite(sum) ? sum : kNaN;
}

/// The system's angular momentum about the sun at row r (only its z for
/// planar data), whose velocities `stencil` gives (none when the row has
/// none); not a number when a row is not finite or a mass is missing.
Vector3 MomentumAt(const SeriesSource& s, int32_t r, const VelocityStencil* stencil) {
    const TrajectoryTable& t = *s.table;
    const int bodies = t.bodyColumns();
    const Vector3 none{kNaN, kNaN, kNaN};
    if (int(s.masses.size()) < bodies + 1) return none;
    if (!stencil) return none;
    Vector3 sum;
    for (int k = 1; k <= bodies; ++k) {
        const double m = s.masses[std::size_t(k)];
        const Vector3 p = PositionAt(s, k, r);
        Vector3 v;
        if (!stencil->Velocity(s, k, v)) return none;
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

/// The elements a quantity needs: none for the speed (and the positions'
/// quantities), otherwise the least ElementsOf gives them with.
std::optional<ElementsWanted> WantedFor(QuantityKind kind) {
    switch (kind) {
        case QuantityKind::SemiMajorAxis:
        case QuantityKind::Energy:
            return ElementsWanted::Size;
        case QuantityKind::Eccentricity:
            return ElementsWanted::Shape;
        case QuantityKind::Pericentre:
        case QuantityKind::Inclination:
        case QuantityKind::Node:
            return ElementsWanted::All;
        default:
            return std::nullopt;
    }
}

/// A body's motion at a row: its velocity and elements; `known` false when
/// a position it needs is not finite or the row has no velocity.
struct Motion {
    bool known = false;
    bool space = false;   ///< in space, not in the plane
    double distance = 0;  ///< from the sun, whether or not the velocity is known
    Vector3 velocity;
    OrbitElements elements;
};

/// Body `body`'s motion at row r, whose velocities `stencil` gives (none
/// when the row has none), with the elements `wanted` (none: the velocity
/// alone).
Motion MotionAt(const SeriesSource& s, int body, int32_t r, const VelocityStencil* stencil,
                std::optional<ElementsWanted> wanted) {
    const Vector3 p = PositionAt(s, body, r);
    Motion m;
    m.distance = Length(p, s.depth != nullptr);
    if (!Finite(p) || !stencil || !stencil->Velocity(s, body, m.velocity)) return m;
    m.known = true;
    m.space = s.depth != nullptr;
    if (wanted) m.elements = ElementsOf(p, m.velocity, s.gm, *wanted);
    return m;
}

/// A vector of two bodies' components side by side.
struct PairVector {
    DoublePair x, y, z;
};

/// Two bodies' motions at row r of planar data, whose velocities `stencil`
/// gives (none when the row has none), with the elements `wanted` (none,
/// Size or Shape) worked out side by side: the bits MotionAt gives each.
/// `perMu` is 1 / mu.
void PlanarMotionsAt(const SeriesSource& s, int one, int two, int32_t r, const VelocityStencil* stencil,
                     std::optional<ElementsWanted> wanted, double perMu, Motion& first, Motion& second) {
    const double* p = s.table->track(one, r);
    const double* q = s.table->track(two, r);
    const DoublePair x(p[0], q[0]), y(p[1], q[1]);
    // x^2 + y^2 + 0^2 in ElementsOf has the bits of x^2 + y^2, never -0:
    // the planar distance serves both.
    const DoublePair distance = Sqrt(x * x + y * y);
    first.distance = distance.first(), second.distance = distance.second();
    if (!stencil) return;
    const double* pRows = s.table->track(one, stencil->first);
    const double* qRows = s.table->track(two, stencil->first);
    DoublePair vx, vy;
    for (std::size_t j = 0; j < stencil->count; ++j) {
        const DoublePair w(stencil->weights[j]);
        vx = vx + w * DoublePair(pRows[2 * j], qRows[2 * j]);
        vy = vy + w * DoublePair(pRows[2 * j + 1], qRows[2 * j + 1]);
    }
    first.velocity = {vx.first(), vy.first(), 0};
    second.velocity = {vx.second(), vy.second(), 0};
    first.known = std::isfinite(p[0]) && std::isfinite(p[1]) && Finite(first.velocity);
    second.known = std::isfinite(q[0]) && std::isfinite(q[1]) && Finite(second.velocity);
    if (!wanted || !(first.known || second.known)) return;
    const DoublePair speed2 = vx * vx + vy * vy;
    const DoublePair zero;
    const auto size =
        orbit_detail::SizeAndShapeOf(PairVector{x, y, zero}, PairVector{vx, vy, zero}, DoublePair(s.gm),
                                     DoublePair(perMu), distance, speed2, *wanted);
    const auto take = [&](Motion& m, double distance, double speed2, double energy, double a, double e) {
        if (!m.known) return;
        if (!orbit_detail::ElementsDefined(s.gm, distance, speed2)) {
            m.elements = {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
            return;
        }
        m.elements.energy = energy, m.elements.a = a;
        if (*wanted != ElementsWanted::Size) m.elements.e = e;
    };
    take(first, distance.first(), speed2.first(), size.energy.first(), size.a.first(), size.e.first());
    take(second, distance.second(), speed2.second(), size.energy.second(), size.a.second(), size.e.second());
}

/// The value of a quantity of the body's motion.
double MotionValue(QuantityKind kind, const Motion& m) {
    if (kind == QuantityKind::Distance) return m.distance;
    if (!m.known) return kNaN;
    constexpr double kDegrees = 180 / std::numbers::pi;
    switch (kind) {
        case QuantityKind::Speed:
            return Length(m.velocity, m.space);
        case QuantityKind::SemiMajorAxis:
            return m.elements.a;
        case QuantityKind::Eccentricity:
            return m.elements.e;
        case QuantityKind::Pericentre:
            return m.elements.omega * kDegrees;
        case QuantityKind::Inclination:
            return m.elements.i * kDegrees;
        case QuantityKind::Node:
            return m.elements.node * kDegrees;
        case QuantityKind::Energy:
            return m.elements.energy;
        default:
            return kNaN;
    }
}

/// The value of a quantity of the positions alone at row r: a distance or
/// a separation.
double PlaceValue(const SeriesSource& s, const Quantity& q, int32_t r) {
    const bool space = s.depth != nullptr;
    const Vector3 p = PositionAt(s, q.body, r);
    if (q.kind == QuantityKind::Distance) return Length(p, space);
    return Length(Minus(p, PositionAt(s, q.other, r)), space);
}

Vector3 operator*(const Vector3& a, double w) { return {a.x * w, a.y * w, a.z * w}; }
Vector3 operator+(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }

/// The other run's value at the time of this run's row r from its rows'
/// values `value(row)`, by CubicWeights; not a number outside its rows.
template <typename Value, typename Of>
Value OtherAt(const SeriesSource& s, int32_t r, Value zero, const Of& value) {
    int32_t start = 0;
    double w[4];
    const SeriesSource& o = *s.other;
    const int used =
        CubicWeights(o.table->times(), o.rows, (*s.between)[std::size_t(r)], s.table->time(r), start, w);
    if (used == 0) return zero;
    Value sum = value(start) * w[0];
    for (int k = 1; k < used; ++k) sum = sum + value(start + k) * w[k];
    return sum;
}

/// The values of a quantity comparing this run with the other for rows
/// [first, last): the distance between a body's places, or the difference
/// of a quantity of each run, the other's taken between its rows.
void ComputeRunDifference(const SeriesSource& s, const Quantity& q, int32_t first, int32_t last,
                          double* out) {
    std::fill(out, out + (last - first), kNaN);
    const SeriesSource* o = s.other.get();
    if (!o || !o->table || !s.between || s.between->size() < std::size_t(last)) return;
    const bool system = OfSystem(q.kind);
    const int body = system ? 0 : q.body;
    const int there = system                                                ? 0
                      : body >= 1 && std::size_t(body) < s.otherBody.size() ? s.otherBody[std::size_t(body)]
                                                                            : 0;
    if (!system &&
        (body < 1 || body > s.table->bodyColumns() || there < 1 || there > o->table->bodyColumns()))
        return;
    if (q.kind == QuantityKind::RunDistance) {
        const bool space = s.depth && o->depth;
        for (int32_t r = first; r < last; ++r) {
            const Vector3 place = OtherAt(s, r, Vector3{kNaN, kNaN, kNaN},
                                          [&](int32_t row) { return PositionAt(*o, there, row); });
            out[r - first] = Length(Minus(PositionAt(s, body, r), place), space);
        }
        return;
    }
    // The quantity of each run, then their difference; the other's over the
    // rows the times span.
    const QuantityKind kind = q.kind == QuantityKind::RunSemiMajorAxis  ? QuantityKind::SemiMajorAxis
                              : q.kind == QuantityKind::RunEccentricity ? QuantityKind::Eccentricity
                                                                        : QuantityKind::SystemEnergy;
    int32_t low = INT32_MAX, high = -1;
    for (int32_t r = first; r < last; ++r)
        if (const RowBetween at = (*s.between)[std::size_t(r)]; at.row >= 0)
            low = std::min(low, at.row), high = std::max(high, at.row + 1);
    if (high < low) return;
    // The cubic's rows reach one further each way.
    low = std::max(low - 2, 0), high = std::min(high + 2, o->rows - 1);
    ComputeSeries(s, Quantity{kind, body}, first, last, out);
    std::vector<double> theirs(std::size_t(high - low + 1));
    ComputeSeries(*o, Quantity{kind, there}, low, high + 1, theirs.data());
    for (int32_t r = first; r < last; ++r)
        out[r - first] -= OtherAt(s, r, kNaN, [&](int32_t row) { return theirs[std::size_t(row - low)]; });
}

}  // namespace

bool NeedsGm(QuantityKind kind) {
    return kind != QuantityKind::Distance && kind != QuantityKind::Speed &&
           kind != QuantityKind::Separation && kind != QuantityKind::SystemMomentum &&
           kind != QuantityKind::RunDistance;
}

bool ComparesRuns(QuantityKind kind) {
    return kind == QuantityKind::RunDistance || kind == QuantityKind::RunSemiMajorAxis ||
           kind == QuantityKind::RunEccentricity || kind == QuantityKind::RunEnergy;
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
                        "energy, momentum, or between two runs diff:N, diff-a:N, diff-e:N, diff-energy");
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
        case QuantityKind::RunDistance:
        case QuantityKind::RunSemiMajorAxis:
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
    ComputeSeries(s, std::span<const Quantity>(&q, 1), first, last, std::span<double* const>(&out, 1));
}

void ComputeSeries(const SeriesSource& s, std::span<const Quantity> quantities, int32_t first, int32_t last,
                   std::span<double* const> outs) {
    first = std::max(first, 0), last = std::min(last, s.rows);
    if (!s.table || first >= last) return;
    const TrajectoryTable& t = *s.table;
    const int bodies = t.bodyColumns();
    const bool space = s.depth != nullptr;
    const bool depthShort = s.depth && (s.depth->bodyCount() != bodies || s.depth->rowCount() < s.rows);
    struct Job {
        Quantity q;
        double* out;
        double start = kNaN;                      ///< the system's energy at the first row that has one
        Vector3 startMomentum{kNaN, kNaN, kNaN};  ///< its angular momentum there
    };
    // The body's quantities of its motion share its velocity and elements:
    // each row's are worked out once, with the most elements any asks.
    struct BodyJobs {
        int body;
        std::optional<ElementsWanted> wanted;
        std::vector<Job> jobs;
    };
    std::vector<Job> places, systems;
    std::vector<BodyJobs> motions;
    for (std::size_t k = 0; k < quantities.size() && k < outs.size(); ++k) {
        const Quantity& q = quantities[k];
        if (ComparesRuns(q.kind)) {
            ComputeRunDifference(s, q, first, last, outs[k]);
            continue;
        }
        const bool system = OfSystem(q.kind);
        const bool known =
            system || (q.body >= 1 && q.body <= bodies &&
                       (q.kind != QuantityKind::Separation || (q.other >= 1 && q.other <= bodies)));
        const bool gmMissing = NeedsGm(q.kind) && !(s.gm > 0 && std::isfinite(s.gm));
        Job job{q, outs[k]};
        // The system's quantities as changes from the first row that has
        // one, from the first whose velocities come from rows on both sides
        // on: the one-sided differences of the first rows are less exact, and
        // the whole series would stand off zero by their error.
        bool starts = true;
        if (known && !gmMissing && !depthShort && system) {
            std::vector<double> pulls;
            const int32_t centred = s.rows >= int32_t(kVelocityRows) ? int32_t(kVelocityRows / 2) : 0;
            for (int32_t r = centred; r < s.rows && !std::isfinite(job.start) && !Finite(job.startMomentum);
                 ++r) {
                VelocityStencil stencil;
                const VelocityStencil* made = stencil.Make(t, s.rows, r) ? &stencil : nullptr;
                if (q.kind == QuantityKind::SystemEnergy)
                    job.start = EnergyAt(s, r, made, pulls);
                else
                    job.startMomentum = MomentumAt(s, r, made);
            }
            starts = q.kind == QuantityKind::SystemEnergy
                         ? std::isfinite(job.start) && job.start != 0
                         : Finite(job.startMomentum) && (space ? Length(job.startMomentum, true)
                                                               : std::fabs(job.startMomentum.z)) != 0;
        }
        if (!known || gmMissing || depthShort || !starts) {
            std::fill(outs[k], outs[k] + (last - first), kNaN);
            continue;
        }
        if (system) {
            systems.push_back(job);
        } else if (!NeedsVelocity(q.kind)) {
            places.push_back(job);
        } else {
            auto group = std::find_if(motions.begin(), motions.end(),
                                      [&](const BodyJobs& b) { return b.body == q.body; });
            if (group == motions.end()) group = motions.insert(motions.end(), {q.body, std::nullopt, {}});
            const std::optional<ElementsWanted> wanted = WantedFor(q.kind);
            if (wanted && (!group->wanted || *wanted > *group->wanted)) group->wanted = wanted;
            group->jobs.push_back(job);
        }
    }
    // A body's distance is taken with its motion, when that is worked out.
    std::erase_if(places, [&](const Job& job) {
        if (job.q.kind != QuantityKind::Distance) return false;
        const auto group = std::find_if(motions.begin(), motions.end(),
                                        [&](const BodyJobs& b) { return b.body == job.q.body; });
        if (group == motions.end()) return false;
        group->jobs.push_back(job);
        return true;
    });
    if (places.empty() && systems.empty() && motions.empty()) return;
    const bool velocities = !systems.empty() || !motions.empty();
    // Planar bodies whose motions need no angles go in pairs, worked out
    // side by side; the others one at a time.
    std::vector<std::pair<const BodyJobs*, const BodyJobs*>> pairs;
    std::vector<const BodyJobs*> singles;
    const BodyJobs* waiting = nullptr;
    for (const BodyJobs& group : motions) {
        if (space || group.wanted == ElementsWanted::All) {
            singles.push_back(&group);
        } else if (waiting) {
            pairs.emplace_back(waiting, &group);
            waiting = nullptr;
        } else {
            waiting = &group;
        }
    }
    if (waiting) singles.push_back(waiting);
    const double perMu = 1 / s.gm;
    // Rows in blocks whose velocity weights are worked out once for every
    // quantity; then each quantity along the block. Each thread takes the
    // next block left, so that one the machine's other work holds back
    // leaves the rest to the others.
    constexpr int32_t kBlock = 256;
    std::atomic<int32_t> next{first};
    RunOnThreads(WorkerCount(uint64_t(last - first), 4096), [&] {
        std::array<VelocityStencil, kBlock> stencils;
        std::array<bool, kBlock> made{};
        VelocityStencil::Kept kept;
        std::vector<double> pulls;
        for (int32_t from = next.fetch_add(kBlock); from < last; from = next.fetch_add(kBlock)) {
            const int32_t to = std::min(from + kBlock, last);
            const auto at = [&](int32_t r) { return std::size_t(r - from); };
            const auto stencil = [&](int32_t r) { return made[at(r)] ? &stencils[at(r)] : nullptr; };
            if (velocities)
                for (int32_t r = from; r < to; ++r) made[at(r)] = stencils[at(r)].Make(t, s.rows, r, &kept);
            for (const Job& job : places)
                for (int32_t r = from; r < to; ++r) job.out[r - first] = PlaceValue(s, job.q, r);
            for (const auto& [one, two] : pairs) {
                const std::optional<ElementsWanted> wanted = std::max(one->wanted, two->wanted);
                for (int32_t r = from; r < to; ++r) {
                    Motion m1, m2;
                    PlanarMotionsAt(s, one->body, two->body, r, stencil(r), wanted, perMu, m1, m2);
                    for (const Job& job : one->jobs) job.out[r - first] = MotionValue(job.q.kind, m1);
                    for (const Job& job : two->jobs) job.out[r - first] = MotionValue(job.q.kind, m2);
                }
            }
            for (const BodyJobs* group : singles)
                for (int32_t r = from; r < to; ++r) {
                    const Motion m = MotionAt(s, group->body, r, stencil(r), group->wanted);
                    for (const Job& job : group->jobs) job.out[r - first] = MotionValue(job.q.kind, m);
                }
            for (const Job& job : systems)
                for (int32_t r = from; r < to; ++r)
                    job.out[r - first] =
                        job.q.kind == QuantityKind::SystemEnergy
                            ? (EnergyAt(s, r, stencil(r), pulls) - job.start) / std::fabs(job.start)
                            : MomentumChange(MomentumAt(s, r, stencil(r)), job.startMomentum, space);
        }
    });
}
