#include "derived_series.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <span>

#include "base/parallel_for.h"
#include "depth_table.h"
#include "double_pair.h"
#include "orbit_elements.h"
#include "reference_frame.h"
#include "series_trust.h"
#include "trajectory_table.h"
#include "velocity_table.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// A series' value: not a number where it is not finite, as where the
/// positions are not (or a number is past the doubles' range).
double Gap(double value) { return std::isfinite(value) ? value : kNaN; }

std::string_view NameOf(QuantityKind kind) { return InfoOf(kind).name; }

bool OfSystem(QuantityKind kind) { return InfoOf(kind).ofSystem; }

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
/// for every body of the row. The weights come from the rows' times about
/// row r alone, so that a row's velocity is the same to the bit whichever
/// rows are worked out with it.
struct VelocityStencil {
    int32_t first = 0;
    std::size_t count = 0;
    std::array<double, kCheckRows> weights{};

    /// The weights last worked out and the rows' times about their row they
    /// were for: rows evenly spaced in time share them, which saves working
    /// them out again for each row.
    struct Kept {
        std::array<double, kCheckRows> offsets{}, weights{};
        std::size_t count = 0;
        bool made = false;
    };

    /// The stencil of `most` rows (kVelocityRows, or kCheckRows for the
    /// check) about row r, fewer when the table has fewer.
    bool Make(const TrajectoryTable& t, int32_t rows, int32_t r, std::size_t most, Kept* kept = nullptr) {
        count = std::min<std::size_t>(most, std::size_t(std::max(rows, 0)));
        if (count < 2) return false;
        first = int32_t(DifferenceWindow(std::size_t(r), std::size_t(rows), count));
        std::array<double, kCheckRows> offsets{};
        const double at = t.time(r);
        for (std::size_t j = 0; j < count; ++j) offsets[j] = t.time(first + int32_t(j)) - at;
        if (kept && kept->made && kept->count == count && kept->offsets == offsets) {
            weights = kept->weights;
            return true;
        }
        // The weights of the times in units of a power of two about their
        // span, then in the times' own: the same bits, where the products of
        // the times' differences that make them would pass the doubles'
        // range in the times' own units (rows 1e-43 apart, or 1e40).
        int power = 0;
        std::frexp(std::fabs(offsets[count - 1] - offsets[0]), &power);
        std::array<double, kCheckRows> scaled{};
        for (std::size_t j = 0; j < count; ++j) scaled[j] = std::ldexp(offsets[j], -power);
        bool made = FirstDerivativeWeights(scaled.data(), count, 0, weights.data());
        for (std::size_t j = 0; j < count && made; ++j) {
            weights[j] = std::ldexp(weights[j], -power);
            made = std::isfinite(weights[j]);
        }
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

/// Whether body `body`'s velocities come from the table's velocity columns.
bool GivenVelocity(const SeriesSource& s, int body) { return s.velocity && s.velocity->given(body); }

/// Body `body`'s velocity at row r in the data's axes: the table's, when it
/// gives them, else the difference `stencil` takes (none: no velocity);
/// false when it is not finite.
bool BodyVelocity(const SeriesSource& s, int body, int32_t r, const VelocityStencil* stencil, Vector3& v) {
    if (GivenVelocity(s, body)) {
        v = s.velocity->at(body, r);
        return Finite(v);
    }
    return stencil && stencil->Velocity(s, body, v);
}

/// The system's potential energy at row r: the sun's pull on each body and
/// the bodies' on each other; not a number when a row is not finite or no
/// mass or mu. `pulls` is room for the pairs' terms.
double PotentialAt(const SeriesSource& s, int32_t r, std::vector<double>& pulls) {
    const int bodies = s.table->bodyColumns();
    if (int(s.masses.size()) < bodies + 1 || !UsableGm(s.gm) || !(s.masses[0] > 0)) return kNaN;
    const bool space = s.depth != nullptr;
    const double g = s.gm / s.masses[0];
    double sum = 0;
    for (int k = 1; k <= bodies; ++k) {
        const double m = s.masses[std::size_t(k)];
        const Vector3 p = PositionAt(s, k, r);
        if (!Finite(p)) return kNaN;  // an infinite distance would take nothing off
        sum -= s.gm * m / Length(p, space);
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

/// The system's kinetic energy at row r, whose velocities `stencil` gives
/// (none when the row has none); not a number when a row is not finite.
double KineticAt(const SeriesSource& s, int32_t r, const VelocityStencil* stencil) {
    const int bodies = s.table->bodyColumns();
    if (int(s.masses.size()) < bodies + 1) return kNaN;
    double sum = 0;
    for (int k = 1; k <= bodies; ++k) {
        Vector3 v;
        if (!BodyVelocity(s, k, r, stencil, v)) return kNaN;
        sum += s.masses[std::size_t(k)] * (v.x * v.x + v.y * v.y + v.z * v.z) / 2;
    }
    return sum;
}

/// The system's angular momentum about the sun at row r (only its z for
/// planar data), whose velocities `stencil` gives (none when the row has
/// none); not a number when a row is not finite or a mass is missing.
Vector3 MomentumAt(const SeriesSource& s, int32_t r, const VelocityStencil* stencil) {
    const TrajectoryTable& t = *s.table;
    const int bodies = t.bodyColumns();
    const Vector3 none{kNaN, kNaN, kNaN};
    if (int(s.masses.size()) < bodies + 1) return none;
    Vector3 sum;
    for (int k = 1; k <= bodies; ++k) {
        const double m = s.masses[std::size_t(k)];
        const Vector3 p = PositionAt(s, k, r);
        Vector3 v;
        if (!BodyVelocity(s, k, r, stencil, v)) return none;
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
    bool given = false;   ///< the velocity is the table's own
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
    m.given = GivenVelocity(s, body);
    if (!Finite(p) || !BodyVelocity(s, body, r, stencil, m.velocity)) return m;
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
/// values `value(row)`, by CubicWeights (their sizes with `sizes`, for
/// errors); not a number outside its rows.
template <typename Value, typename Of>
Value OtherAt(const SeriesSource& s, int32_t r, Value zero, const Of& value, bool sizes = false) {
    int32_t start = 0;
    double w[4];
    const SeriesSource& o = *s.other;
    const int used =
        CubicWeights(o.table->times(), o.rows, (*s.between)[std::size_t(r)], s.table->time(r), start, w);
    if (used == 0) return zero;
    if (sizes)
        for (int k = 0; k < used; ++k) w[k] = std::fabs(w[k]);
    Value sum = value(start) * w[0];
    for (int k = 1; k < used; ++k) sum = sum + value(start + k) * w[k];
    return sum;
}

/// The values of a quantity comparing this run with the other for rows
/// [first, last): the distance between a body's places, or the difference
/// of a quantity of each run, the other's taken between its rows; with
/// `ratios`, the error ratios of each run's value added, the other's
/// weighed as its value is.
void ComputeRunDifference(const SeriesSource& s, const Quantity& q, int32_t first, int32_t last, double* out,
                          double* ratios) {
    const std::size_t n = std::size_t(last - first);
    std::fill(out, out + n, kNaN);
    if (ratios) std::fill(ratios, ratios + n, kNaN);
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
            out[r - first] = Gap(Length(Minus(PositionAt(s, body, r), place), space));
            if (ratios) ratios[r - first] = 0;
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
    ComputeSeries(s, Quantity{kind, body}, first, last, out, ratios);
    const std::size_t span = std::size_t(high - low + 1);
    std::vector<double> theirs(span), theirRatios(ratios ? span : 0);
    ComputeSeries(*o, Quantity{kind, there}, low, high + 1, theirs.data(),
                  ratios ? theirRatios.data() : nullptr);
    for (int32_t r = first; r < last; ++r) {
        out[r - first] = Gap(out[r - first] - OtherAt(s, r, kNaN, [&](int32_t row) {
                                 return theirs[std::size_t(row - low)];
                             }));
        if (ratios)
            ratios[r - first] += OtherAt(
                s, r, kNaN, [&](int32_t row) { return theirRatios[std::size_t(row - low)]; }, true);
    }
}

}  // namespace

bool NeedsGm(QuantityKind kind) { return InfoOf(kind).needsGm; }

bool ComparesRuns(QuantityKind kind) { return InfoOf(kind).comparesRuns; }

bool NeedsMasses(QuantityKind kind) { return InfoOf(kind).needsMasses; }

bool NeedsVelocities(QuantityKind kind) { return InfoOf(kind).needsVelocities; }

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
        const QuantityInfo* kind = nullptr;
        for (const QuantityInfo& k : AllQuantities())
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
    const bool both = !length.empty() && !time.empty();
    switch (InfoOf(kind).unit) {
        case QuantityUnitForm::Length:
            return length;
        case QuantityUnitForm::Speed:
            return both ? length + "/" + time : std::string();
        case QuantityUnitForm::Degrees:
            return "deg";
        case QuantityUnitForm::SpecificEnergy:
            return both ? length + "^2/" + time + "^2" : std::string();
        case QuantityUnitForm::None:
            break;
    }
    return {};
}

void ComputeSeries(const SeriesSource& s, const Quantity& q, int32_t first, int32_t last, double* out,
                   double* ratios) {
    ComputeSeries(s, std::span<const Quantity>(&q, 1), first, last, std::span<double* const>(&out, 1),
                  ratios ? std::span<double* const>(&ratios, 1) : std::span<double* const>());
}

namespace {

/// Weights w[0 .. count - 1] over the rows from `first` whose sum with the
/// rows' values is their difference of order count - 1 in units of their
/// mean step: on even steps the plain difference, the binomial weights
/// with alternating signs. False when two times coincide or one is not
/// finite.
bool DifferenceWeights(const TrajectoryTable& t, int32_t first, std::size_t count, double* w) {
    const double t0 = t.time(first), step = (t.time(first + int32_t(count) - 1) - t0) / double(count - 1);
    std::array<double, kCheckRows> u{};
    for (std::size_t j = 0; j < count; ++j) u[j] = (t.time(first + int32_t(j)) - t0) / step;
    double factorial = 1;
    for (std::size_t k = 2; k < count; ++k) factorial *= double(k);
    for (std::size_t j = 0; j < count; ++j) {
        double product = 1;
        for (std::size_t i = 0; i < count; ++i)
            if (i != j) product *= u[j] - u[i];
        w[j] = factorial / product;
        if (!std::isfinite(w[j])) return false;
    }
    return true;
}

/// The velocities a row's values take: the value's, the check's, and the
/// lower check's, a difference of fifth order, which tells how quickly the
/// differences converge (ErrorRatio). The checks are none where they would
/// take the value's rows, or where the table has too few.
struct RowStencils {
    enum Level { kValue, kCheck, kLower, kLevels };
    std::array<VelocityStencil, kLevels> stencils;
    std::array<bool, kLevels> made{};
    /// The weights of the second difference of the positions about the row
    /// (over the three from `secondFirst`) and of the highest over the
    /// check's rows (DifferenceWeights), which tell whether the rows
    /// resolve the motion (Unresolved).
    std::array<double, 3> second{};
    std::array<double, kCheckRows> high{};
    int32_t secondFirst = 0;
    bool resolving = false;

    /// The stencils about row r, with the checks when `checks`; each keeps
    /// the weights it last worked out in kept[level].
    void Make(const TrajectoryTable& t, int32_t rows, int32_t r, bool checks,
              std::array<VelocityStencil::Kept, kLevels>* kept = nullptr) {
        const auto keep = [&](int level) { return kept ? &(*kept)[std::size_t(level)] : nullptr; };
        made[kValue] = stencils[kValue].Make(t, rows, r, kVelocityRows, keep(kValue));
        const std::size_t count = stencils[kValue].count;
        made[kCheck] = checks && stencils[kCheck].Make(t, rows, r, kCheckRows, keep(kCheck)) &&
                       stencils[kCheck].count > count;
        made[kLower] = checks && stencils[kLower].Make(t, rows, r, kVelocityRows - 2, keep(kLower)) &&
                       stencils[kLower].count < count;
        secondFirst = int32_t(DifferenceWindow(std::size_t(r), std::size_t(rows), 3));
        resolving = made[kCheck] && DifferenceWeights(t, secondFirst, 3, second.data()) &&
                    DifferenceWeights(t, stencils[kCheck].first, stencils[kCheck].count, high.data());
    }
    const VelocityStencil* at(int level) const {
        return made[std::size_t(level)] ? &stencils[std::size_t(level)] : nullptr;
    }
    /// How much an error ratio from these checks at row r counts: half
    /// again where the check's rows cannot be centred on the row (the four
    /// rows at each end of the table), where it errs more nearly as the
    /// value does and tells less of the value's error.
    double weight(int32_t r) const {
        const VelocityStencil& check = stencils[kCheck];
        return made[kCheck] && r - check.first != int32_t(kCheckRows / 2) ? 1.5 : 1.0;
    }
};

/// One quantity to work out: its values into `out`, their error ratios into
/// `ratios` (null when not wanted).
struct Job {
    Quantity q;
    double* out;
    double* ratios = nullptr;
    /// The system's energy at the row its changes are from, with the
    /// velocities of each level of RowStencils.
    std::array<double, RowStencils::kLevels> start{kNaN, kNaN, kNaN};
    /// Its angular momentum there, likewise.
    std::array<Vector3, RowStencils::kLevels> startMomentum{};
    /// The error ratio of the start itself, which every change from it
    /// takes (StartRatio).
    double startRatio = 0;
};

bool Unresolved(const SeriesSource& s, int body, const RowStencils& row);

/// A body's quantities of its motion share its velocity and elements: each
/// row's are worked out once, with the most elements any asks.
struct BodyJobs {
    int body;
    std::optional<ElementsWanted> wanted;
    std::vector<Job> jobs;
};

/// The jobs of one ComputeSeries, sorted by what they take.
struct Plan {
    std::vector<Job> places, systems;
    std::vector<BodyJobs> motions;
    /// Planar bodies whose motions need no angles and whose velocities are
    /// differences go in pairs, worked out side by side; the others one at
    /// a time.
    std::vector<std::pair<const BodyJobs*, const BodyJobs*>> pairs;
    std::vector<const BodyJobs*> singles;
    bool velocities = false;  ///< some job needs velocities
    bool checks = false;      ///< some job needs velocities and its error ratios
};

/// The system's job's value at row r with the velocities `stencil` gives,
/// from the start `level` of RowStencils gives.
double SystemValue(const SeriesSource& s, const Job& job, int32_t r, const VelocityStencil* stencil,
                   int level, double potential) {
    if (job.q.kind == QuantityKind::SystemEnergy) {
        const double start = job.start[std::size_t(level)];
        return Gap((potential + KineticAt(s, r, stencil) - start) / std::fabs(start));
    }
    return Gap(
        MomentumChange(MomentumAt(s, r, stencil), job.startMomentum[std::size_t(level)], s.depth != nullptr));
}

/// The error ratio of the system's job's start at the row of `row`, its
/// values with each level's velocities set: of its own energy (or angular
/// momentum) as a fraction of it, as ErrorRatio takes a change's; 0 where
/// every body's velocities are the table's, and infinite where the rows do
/// not resolve a body's motion there.
double StartRatio(const SeriesSource& s, const Job& job, const RowStencils& row) {
    bool given = true;
    for (int body = 1; body <= s.table->bodyColumns(); ++body) {
        if (GivenVelocity(s, body)) continue;
        given = false;
        if (Unresolved(s, body, row)) return INFINITY;
    }
    if (given) return 0;
    double check = 0, lower = 0;
    if (job.q.kind == QuantityKind::SystemEnergy) {
        const double start = job.start[RowStencils::kValue];
        check = (job.start[RowStencils::kCheck] - start) / std::fabs(start);
        lower = (job.start[RowStencils::kLower] - start) / std::fabs(start);
    } else {
        const Vector3& start = job.startMomentum[RowStencils::kValue];
        check = MomentumChange(job.startMomentum[RowStencils::kCheck], start, s.depth != nullptr);
        lower = MomentumChange(job.startMomentum[RowStencils::kLower], start, s.depth != nullptr);
    }
    return ErrorRatio(job.q.kind, 0, check, std::fabs(check) / std::fabs(lower));
}

/// Sets the system's job `job`'s start: its energy or angular momentum at
/// the first row from the first whose velocities and their checks come
/// from rows on both sides (the one-sided differences of the first rows
/// are less exact, and the whole series would stand off zero by their
/// error) that has one to be trusted (StartRatio), within kStartSearch
/// rows of it: a pericentre passed at the start leaves the rows after it. When
/// none can be, the first that has one, its ratio taken by every change
/// from it. False when there is none to start from.
bool FindStart(const SeriesSource& s, Job& job) {
    const bool energy = job.q.kind == QuantityKind::SystemEnergy;
    std::vector<double> pulls;
    const int32_t centred = s.rows >= int32_t(kCheckRows)      ? int32_t(kCheckRows / 2)
                            : s.rows >= int32_t(kVelocityRows) ? int32_t(kVelocityRows / 2)
                                                               : 0;
    std::optional<Job> first;
    for (int32_t r = centred; r < s.rows && r - centred < kStartSearch; ++r) {
        RowStencils row;
        row.Make(*s.table, s.rows, r, true);
        const double potential = energy ? PotentialAt(s, r, pulls) : 0;
        for (int level = 0; level < RowStencils::kLevels; ++level) {
            if (energy)
                job.start[std::size_t(level)] = potential + KineticAt(s, r, row.at(level));
            else
                job.startMomentum[std::size_t(level)] = MomentumAt(s, r, row.at(level));
        }
        const Vector3& l = job.startMomentum[0];
        const bool usable = energy ? std::isfinite(job.start[0]) && job.start[0] != 0
                                   : Finite(l) && (s.depth ? Length(l, true) : std::fabs(l.z)) != 0;
        if (!usable) continue;
        job.startRatio = StartRatio(s, job, row);
        if (!Unsure(job.startRatio)) {
            job.startRatio = 0;  // the changes' own checks take its error
            return true;
        }
        if (!first) first = job;
    }
    if (first) job = *first;
    return first.has_value();
}

/// Sorts `quantities` into the jobs of a plan; those that cannot be had
/// get gaps at once, the differences between runs their values.
Plan PlanJobs(const SeriesSource& s, std::span<const Quantity> quantities, int32_t first, int32_t last,
              std::span<double* const> outs, std::span<double* const> ratios) {
    const int bodies = s.table->bodyColumns();
    const bool depthShort = s.depth && (s.depth->bodyCount() != bodies || s.depth->rowCount() < s.rows);
    const bool velocityShort =
        s.velocity && (s.velocity->bodyCount() != bodies || s.velocity->rowCount() < s.rows);
    Plan plan;
    for (std::size_t k = 0; k < quantities.size() && k < outs.size(); ++k) {
        const Quantity& q = quantities[k];
        double* const ratio = k < ratios.size() ? ratios[k] : nullptr;
        if (ComparesRuns(q.kind)) {
            ComputeRunDifference(s, q, first, last, outs[k], ratio);
            continue;
        }
        const bool system = OfSystem(q.kind);
        const bool known =
            system || (q.body >= 1 && q.body <= bodies &&
                       (q.kind != QuantityKind::Separation || (q.other >= 1 && q.other <= bodies)));
        const bool gmMissing = NeedsGm(q.kind) && !UsableGm(s.gm);
        Job job{q, outs[k], ratio};
        const bool usable = known && !gmMissing && !depthShort && !velocityShort;
        if (!usable || (system && !FindStart(s, job))) {
            std::fill(outs[k], outs[k] + (last - first), kNaN);
            if (ratio) std::fill(ratio, ratio + (last - first), kNaN);
            continue;
        }
        if (system) {
            plan.systems.push_back(job);
        } else if (!NeedsVelocities(q.kind)) {
            plan.places.push_back(job);
        } else {
            auto group = std::find_if(plan.motions.begin(), plan.motions.end(),
                                      [&](const BodyJobs& b) { return b.body == q.body; });
            if (group == plan.motions.end())
                group = plan.motions.insert(plan.motions.end(), {q.body, std::nullopt, {}});
            const std::optional<ElementsWanted> wanted = WantedFor(q.kind);
            if (wanted && (!group->wanted || *wanted > *group->wanted)) group->wanted = wanted;
            group->jobs.push_back(job);
        }
    }
    // A body's distance is taken with its motion, when that is worked out.
    std::erase_if(plan.places, [&](const Job& job) {
        if (job.q.kind != QuantityKind::Distance) return false;
        const auto group = std::find_if(plan.motions.begin(), plan.motions.end(),
                                        [&](const BodyJobs& b) { return b.body == job.q.body; });
        if (group == plan.motions.end()) return false;
        group->jobs.push_back(job);
        return true;
    });
    return plan;
}

/// Pairs the plan's bodies (PlanJobs says which go in pairs) and notes
/// what its rows need.
void PairBodies(const SeriesSource& s, Plan& plan) {
    const BodyJobs* waiting = nullptr;
    for (const BodyJobs& group : plan.motions) {
        if (s.depth || group.wanted == ElementsWanted::All || GivenVelocity(s, group.body)) {
            plan.singles.push_back(&group);
        } else if (waiting) {
            plan.pairs.emplace_back(waiting, &group);
            waiting = nullptr;
        } else {
            waiting = &group;
        }
    }
    if (waiting) plan.singles.push_back(waiting);
    plan.velocities = !plan.systems.empty() || !plan.motions.empty();
    const auto checked = [](const Job& job) { return job.ratios != nullptr; };
    plan.checks = std::any_of(plan.systems.begin(), plan.systems.end(), checked) ||
                  std::any_of(plan.motions.begin(), plan.motions.end(), [&](const BodyJobs& b) {
                      return std::any_of(b.jobs.begin(), b.jobs.end(), checked);
                  });
}

/// How a body's motion at a row is checked: its motion with the check's
/// velocity, how quickly its velocities converge (ErrorRatio's
/// `convergence`), and whether its rows resolve its motion.
struct MotionCheck {
    Motion check;
    double convergence = kNaN;
    bool unresolved = false;
    double weight = 1;  ///< RowStencils::weight
};

/// The convergence of the velocities of a value `v`, its check `check` and
/// its lower check `lower`: how much closer the check comes than the lower.
double Convergence(const Vector3& v, const Vector3& check, const Vector3& lower) {
    return Length(Minus(v, check), true) / Length(Minus(v, lower), true);
}

/// Where the eighth difference of a body's positions over the check's rows
/// passes half the second about the row, the rows do not resolve its
/// motion: on a motion they resolve, the one is smaller than the other by
/// the sixth power of the angle the motion turns a row, and half as large
/// where it turns about a radian. There every difference of the positions
/// can agree and be wrong: two rows an orbit alternate between two places,
/// which every centred difference takes for rest. The rows' rounding makes
/// eighth differences too, a hundred times its own size and less: only
/// those above a ten-billionth of the distance count.
inline constexpr double kMostDifferenceRatio = 0.5, kLeastDifference = 1e-10;

/// Whether the rows of `row` resolve body `body`'s motion (kMostDifferenceRatio).
bool Unresolved(const SeriesSource& s, int body, const RowStencils& row) {
    if (!row.resolving) return false;
    const auto difference = [&](int32_t first, std::size_t count, const double* w) {
        Vector3 d;
        for (std::size_t j = 0; j < count; ++j) {
            const Vector3 p = PositionAt(s, body, first + int32_t(j));
            d = {d.x + w[j] * p.x, d.y + w[j] * p.y, d.z + w[j] * p.z};
        }
        return Length(d, true);
    };
    const VelocityStencil& check = row.stencils[RowStencils::kCheck];
    const double high = difference(check.first, check.count, row.high.data());
    const double second = difference(row.secondFirst, 3, row.second.data());
    const double distance = Length(PositionAt(s, body, row.secondFirst + 1), true);
    return high > kMostDifferenceRatio * second && high > kLeastDifference * distance;
}

/// Puts a body's quantity at index i: its value with the velocity `m`
/// gives, and its error ratio from `check`.
void Put(const Job& job, std::size_t i, const Motion& m, const MotionCheck& check) {
    const double value = Gap(MotionValue(job.q.kind, m));
    job.out[i] = value;
    if (!job.ratios) return;
    if (job.q.kind == QuantityKind::Distance || m.given)
        job.ratios[i] = 0;
    else if (check.unresolved && !std::isnan(value))
        job.ratios[i] = INFINITY;
    else
        job.ratios[i] = check.weight * ErrorRatio(job.q.kind, value, MotionValue(job.q.kind, check.check),
                                                  check.convergence);
}

/// The room a thread works in: a block's stencils and what they keep.
constexpr int32_t kBlock = 256;
struct BlockRoom {
    std::array<RowStencils, kBlock> rows;
    std::array<VelocityStencil::Kept, RowStencils::kLevels> kept;
    std::vector<double> pulls;
};

/// A body's check at row r of the block.
MotionCheck CheckOf(const SeriesSource& s, const BodyJobs& group, int32_t r, const Motion& m,
                    const RowStencils& row) {
    MotionCheck c;
    if (m.given) return c;
    c.check = MotionAt(s, group.body, r, row.at(RowStencils::kCheck), group.wanted);
    Vector3 lower;
    if (c.check.known && BodyVelocity(s, group.body, r, row.at(RowStencils::kLower), lower))
        c.convergence = Convergence(m.velocity, c.check.velocity, lower);
    c.unresolved = Unresolved(s, group.body, row);
    c.weight = row.weight(r);
    return c;
}

/// Works out rows [from, to) of the plan's bodies one at a time.
void ComputeSingles(const SeriesSource& s, const Plan& plan, int32_t first, int32_t from, int32_t to,
                    const BlockRoom& room) {
    for (const BodyJobs* group : plan.singles)
        for (int32_t r = from; r < to; ++r) {
            const RowStencils& row = room.rows[std::size_t(r - from)];
            const Motion m = MotionAt(s, group->body, r, row.at(RowStencils::kValue), group->wanted);
            const MotionCheck c = plan.checks ? CheckOf(s, *group, r, m, row) : MotionCheck{};
            for (const Job& job : group->jobs) Put(job, std::size_t(r - first), m, c);
        }
}

/// Works out rows [from, to) of the plan's pairs of planar bodies.
void ComputePairs(const SeriesSource& s, const Plan& plan, int32_t first, int32_t from, int32_t to,
                  const BlockRoom& room) {
    const double perMu = 1 / s.gm;
    for (const auto& [one, two] : plan.pairs) {
        const std::optional<ElementsWanted> wanted = std::max(one->wanted, two->wanted);
        for (int32_t r = from; r < to; ++r) {
            const RowStencils& row = room.rows[std::size_t(r - from)];
            Motion m1, m2, lower1, lower2;
            std::array<MotionCheck, 2> c;
            PlanarMotionsAt(s, one->body, two->body, r, row.at(RowStencils::kValue), wanted, perMu, m1, m2);
            if (plan.checks) {
                PlanarMotionsAt(s, one->body, two->body, r, row.at(RowStencils::kCheck), wanted, perMu,
                                c[0].check, c[1].check);
                PlanarMotionsAt(s, one->body, two->body, r, row.at(RowStencils::kLower), std::nullopt, perMu,
                                lower1, lower2);
                const std::array<const Motion*, 2> values{&m1, &m2}, lowers{&lower1, &lower2};
                const std::array<int, 2> bodies{one->body, two->body};
                for (std::size_t k = 0; k < 2; ++k) {
                    if (c[k].check.known && lowers[k]->known)
                        c[k].convergence =
                            Convergence(values[k]->velocity, c[k].check.velocity, lowers[k]->velocity);
                    c[k].unresolved = Unresolved(s, bodies[k], row);
                    c[k].weight = row.weight(r);
                }
            }
            for (const Job& job : one->jobs) Put(job, std::size_t(r - first), m1, c[0]);
            for (const Job& job : two->jobs) Put(job, std::size_t(r - first), m2, c[1]);
        }
    }
}

/// The system's job's error ratio at row r, whose value is `value`.
double SystemRatio(const SeriesSource& s, const Job& job, int32_t r, const RowStencils& row, double value,
                   double potential) {
    bool given = true, unresolved = false;
    for (int body = 1; body <= s.table->bodyColumns(); ++body) {
        if (GivenVelocity(s, body)) continue;
        given = false;
        unresolved = unresolved || Unresolved(s, body, row);
    }
    // With every body's velocities the table's, the checks have nothing to tell.
    if (given) return 0;
    if (unresolved && !std::isnan(value)) return INFINITY;
    const double check = SystemValue(s, job, r, row.at(RowStencils::kCheck), RowStencils::kCheck, potential);
    const double lower = SystemValue(s, job, r, row.at(RowStencils::kLower), RowStencils::kLower, potential);
    const double own = row.weight(r) * ErrorRatio(job.q.kind, value, check,
                                                  std::fabs(value - check) / std::fabs(value - lower));
    return std::isnan(own) || std::isnan(job.startRatio) ? kNaN : std::max(own, job.startRatio);
}

/// Works out rows [from, to) of the plan's system quantities.
void ComputeSystems(const SeriesSource& s, const Plan& plan, int32_t first, int32_t from, int32_t to,
                    BlockRoom& room) {
    for (const Job& job : plan.systems)
        for (int32_t r = from; r < to; ++r) {
            const RowStencils& row = room.rows[std::size_t(r - from)];
            const double potential =
                job.q.kind == QuantityKind::SystemEnergy ? PotentialAt(s, r, room.pulls) : 0;
            const double value =
                SystemValue(s, job, r, row.at(RowStencils::kValue), RowStencils::kValue, potential);
            job.out[r - first] = value;
            if (job.ratios) job.ratios[r - first] = SystemRatio(s, job, r, row, value, potential);
        }
}

/// Works out rows [from, to) of every job of `plan` (which put row r at
/// index r - first).
void ComputeBlock(const SeriesSource& s, const Plan& plan, int32_t first, int32_t from, int32_t to,
                  BlockRoom& room) {
    for (int32_t r = from; r < to && plan.velocities; ++r)
        room.rows[std::size_t(r - from)].Make(*s.table, s.rows, r, plan.checks, &room.kept);
    for (const Job& job : plan.places)
        for (int32_t r = from; r < to; ++r) {
            job.out[r - first] = Gap(PlaceValue(s, job.q, r));
            if (job.ratios) job.ratios[r - first] = 0;
        }
    ComputePairs(s, plan, first, from, to, room);
    ComputeSingles(s, plan, first, from, to, room);
    ComputeSystems(s, plan, first, from, to, room);
}

/// ComputeSeries of rows [first, last) (within the table's), each value's
/// ratio its own alone.
void ComputeRows(const SeriesSource& s, std::span<const Quantity> quantities, int32_t first, int32_t last,
                 std::span<double* const> outs, std::span<double* const> ratios) {
    Plan plan = PlanJobs(s, quantities, first, last, outs, ratios);
    if (plan.places.empty() && plan.systems.empty() && plan.motions.empty()) return;
    PairBodies(s, plan);
    // Rows in blocks whose velocity weights are worked out once for every
    // quantity; then each quantity along the block. Each thread takes the
    // next block left, so that one the machine's other work holds back
    // leaves the rest to the others.
    std::atomic<int32_t> next{first};
    RunOnThreads(WorkerCount(uint64_t(last - first), 4096), [&] {
        auto room = std::make_unique<BlockRoom>();
        for (int32_t from = next.fetch_add(kBlock); from < last; from = next.fetch_add(kBlock))
            ComputeBlock(s, plan, first, from, std::min(from + kBlock, last), *room);
    });
}

/// The ratios of rows [0, n) as their envelope: each the largest of its
/// own and its neighbours', `before` and `after` beside the ends (not
/// numbers: none). The difference of the check from the value changes
/// sign along an orbit, and so does the value's error, each at its own
/// rows: there one of them falls to nothing while the other does not, and
/// the neighbours' tell the row's better. A ratio that is not a number
/// (no check) stays so; a neighbour's does not count.
void Envelope(double* ratios, int32_t n, double before, double after) {
    double previous = before;
    for (int32_t i = 0; i < n; ++i) {
        const double own = ratios[i], next = i + 1 < n ? ratios[i + 1] : after;
        if (!std::isnan(own)) ratios[i] = std::fmax(std::fmax(previous, own), next);
        previous = own;
    }
}

}  // namespace

void ComputeSeries(const SeriesSource& s, std::span<const Quantity> quantities, int32_t first, int32_t last,
                   std::span<double* const> outs, std::span<double* const> ratios) {
    first = std::max(first, 0), last = std::min(last, s.rows);
    if (!s.table || first >= last) return;
    ComputeRows(s, quantities, first, last, outs, ratios);
    const std::size_t n = std::min(quantities.size(), outs.size());
    if (std::none_of(ratios.begin(), ratios.end(), [](double* r) { return r != nullptr; })) return;
    // The ratios of the rows either side, for the envelope of each.
    std::vector<double> values(2 * n, kNaN), sides(2 * n, kNaN);
    std::vector<double*> valueOuts(n), sideOuts(n);
    for (const int side : {0, 1}) {
        const int32_t row = side == 0 ? first - 1 : last;
        if (row < 0 || row >= s.rows) continue;
        for (std::size_t k = 0; k < n; ++k) {
            valueOuts[k] = &values[2 * k + std::size_t(side)];
            sideOuts[k] = k < ratios.size() && ratios[k] ? &sides[2 * k + std::size_t(side)] : nullptr;
        }
        ComputeRows(s, quantities.first(n), row, row + 1, valueOuts, sideOuts);
    }
    // The differences between runs take the envelopes of each run's.
    for (std::size_t k = 0; k < n && k < ratios.size(); ++k)
        if (ratios[k] && !ComparesRuns(quantities[k].kind))
            Envelope(ratios[k], last - first, sides[2 * k], sides[2 * k + 1]);
}
