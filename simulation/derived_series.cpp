#include "derived_series.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <span>

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

/// Whether the quantity's values need the bodies' velocities.
bool NeedsVelocity(QuantityKind kind) {
    return kind != QuantityKind::Distance && kind != QuantityKind::Separation;
}

/// The system's energy (`momentum` false) or angular momentum about the sun
/// at row r, whose velocities `stencil` gives (none when the row has none);
/// not a number when a row is not finite or no mass or mu.
double SystemAt(const SeriesSource& s, bool momentum, int32_t r, const VelocityStencil* stencil,
                std::vector<double>& pulls) {
    const TrajectoryTable& t = *s.table;
    const int bodies = t.bodyColumns();
    if (int(s.masses.size()) < bodies + 1 || !(s.gm > 0) || !(s.masses[0] > 0)) return kNaN;
    if (!stencil) return kNaN;
    const double g = s.gm / s.masses[0];
    double sum = 0;
    for (int k = 1; k <= bodies; ++k) {
        const double m = s.masses[std::size_t(k)];
        const double* p = t.track(k, r);
        double vx = 0, vy = 0;
        if (!stencil->Velocity(t, k, vx, vy)) return kNaN;
        if (momentum) {
            sum += m * (p[0] * vy - p[1] * vx);
            continue;
        }
        sum += m * (vx * vx + vy * vy) / 2 - s.gm * m / std::hypot(p[0], p[1]);
        // The pairs' terms apart from the sum, so that the processor works
        // on several at once, then taken off in order.
        pulls.resize(std::size_t(k));
        for (int j = 1; j < k; ++j) {
            const double* q = t.track(j, r);
            pulls[std::size_t(j)] = g * s.masses[std::size_t(j)] * m / std::hypot(p[0] - q[0], p[1] - q[1]);
        }
        for (int j = 1; j < k; ++j) sum -= pulls[std::size_t(j)];
    }
    return std::isfinite(sum) ? sum : kNaN;
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
    double vx = 0, vy = 0;
    OrbitElements elements;
};

/// Body `body`'s motion at row r, whose velocities `stencil` gives (none
/// when the row has none), with the elements `wanted` (none: the velocity
/// alone).
Motion MotionAt(const SeriesSource& s, int body, int32_t r, const VelocityStencil* stencil,
                std::optional<ElementsWanted> wanted) {
    const TrajectoryTable& t = *s.table;
    const double* p = t.track(body, r);
    Motion m;
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !stencil || !stencil->Velocity(t, body, m.vx, m.vy))
        return m;
    m.known = true;
    if (wanted) m.elements = ElementsOf({p[0], p[1], 0}, {m.vx, m.vy, 0}, s.gm, *wanted);
    return m;
}

/// The value of a quantity of the body's motion.
double MotionValue(QuantityKind kind, const Motion& m) {
    if (!m.known) return kNaN;
    constexpr double kDegrees = 180 / std::numbers::pi;
    switch (kind) {
        case QuantityKind::Speed:
            return std::hypot(m.vx, m.vy);
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
    const TrajectoryTable& t = *s.table;
    const double* p = t.track(q.body, r);
    if (q.kind == QuantityKind::Distance) return std::hypot(p[0], p[1]);
    const double* o = t.track(q.other, r);
    return std::hypot(p[0] - o[0], p[1] - o[1]);
}

}  // namespace

bool VelocityStencil::Make(const TrajectoryTable& t, int32_t rows, int32_t r) {
    count = std::min<std::size_t>(kVelocityRows, std::size_t(std::max(rows, 0)));
    if (count < 2) return false;
    first = int32_t(VelocityWindow(std::size_t(r), std::size_t(rows)));
    std::array<double, kVelocityRows> times{};
    for (std::size_t j = 0; j < count; ++j) times[j] = t.time(first + int32_t(j));
    return FirstDerivativeWeights(times.data(), count, t.time(r), weights.data());
}

bool VelocityStencil::Velocity(const TrajectoryTable& t, int body, double& vx, double& vy) const {
    const double* p = t.track(body, first);
    vx = vy = 0;
    for (std::size_t j = 0; j < count; ++j) {
        vx += weights[j] * p[2 * j];
        vy += weights[j] * p[2 * j + 1];
    }
    return std::isfinite(vx) && std::isfinite(vy);
}

std::optional<std::array<double, 2>> VelocityAt(const TrajectoryTable& table, int32_t rows, int body,
                                                int32_t row) {
    VelocityStencil stencil;
    double vx = 0, vy = 0;
    if (row < 0 || row >= rows || body < 1 || body > table.bodyColumns() || !stencil.Make(table, rows, row) ||
        !stencil.Velocity(table, body, vx, vy))
        return std::nullopt;
    return std::array<double, 2>{vx, vy};
}

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
        if (system != (colon == std::string_view::npos))
            return fail(system ? "'" + std::string(item) + "' takes no body: the whole system's"
                               : "'" + std::string(item) + "' needs a body, as in " + std::string(name) +
                                     (q.kind == QuantityKind::Separation ? ":1-2" : ":1"));
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
    ComputeSeries(s, std::span<const Quantity>(&q, 1), first, last, std::span<double* const>(&out, 1));
}

void ComputeSeries(const SeriesSource& s, std::span<const Quantity> quantities, int32_t first, int32_t last,
                   std::span<double* const> outs) {
    first = std::max(first, 0), last = std::min(last, s.rows);
    if (!s.table || first >= last) return;
    const TrajectoryTable& t = *s.table;
    const int bodies = t.bodyColumns();
    struct Job {
        Quantity q;
        double* out;
        bool momentum;
        double start;  ///< a system quantity's value at the first row that has one
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
        const bool system = OfSystem(q.kind);
        const bool known =
            system || (q.body >= 1 && q.body <= bodies &&
                       (q.kind != QuantityKind::Separation || (q.other >= 1 && q.other <= bodies)));
        const bool gmMissing = NeedsGm(q.kind) && !(s.gm > 0 && std::isfinite(s.gm));
        // The system's quantities as changes from the first row that has one.
        const bool momentum = q.kind == QuantityKind::SystemMomentum;
        double start = kNaN;
        if (known && !gmMissing && system)
            for (int32_t r = 0; r < s.rows && !std::isfinite(start); ++r) {
                VelocityStencil stencil;
                std::vector<double> pulls;
                start = SystemAt(s, momentum, r, stencil.Make(t, s.rows, r) ? &stencil : nullptr, pulls);
            }
        if (!known || gmMissing || (system && !(std::isfinite(start) && start != 0))) {
            std::fill(outs[k], outs[k] + (last - first), kNaN);
            continue;
        }
        const Job job{q, outs[k], momentum, start};
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
    if (places.empty() && systems.empty() && motions.empty()) return;
    const bool velocities = !systems.empty() || !motions.empty();
    // Rows in blocks whose velocity weights are worked out once for every
    // quantity; then each quantity along the block.
    constexpr int32_t kBlock = 256;
    // Each thread takes the next block left, so that one the machine's other
    // work holds back leaves the rest to the others.
    std::atomic<int32_t> next{first};
    RunOnThreads(WorkerCount(uint64_t(last - first), 4096), [&] {
        std::array<VelocityStencil, kBlock> stencils;
        std::array<bool, kBlock> made{};
        std::vector<double> pulls;
        for (int32_t from = next.fetch_add(kBlock); from < last; from = next.fetch_add(kBlock)) {
            const int32_t to = std::min(from + kBlock, last);
            const auto at = [&](int32_t r) { return std::size_t(r - from); };
            const auto stencil = [&](int32_t r) { return made[at(r)] ? &stencils[at(r)] : nullptr; };
            if (velocities)
                for (int32_t r = from; r < to; ++r) made[at(r)] = stencils[at(r)].Make(t, s.rows, r);
            for (const Job& job : places)
                for (int32_t r = from; r < to; ++r) job.out[r - first] = PlaceValue(s, job.q, r);
            for (const BodyJobs& group : motions)
                for (int32_t r = from; r < to; ++r) {
                    const Motion m = MotionAt(s, group.body, r, stencil(r), group.wanted);
                    for (const Job& job : group.jobs) job.out[r - first] = MotionValue(job.q.kind, m);
                }
            for (const Job& job : systems)
                for (int32_t r = from; r < to; ++r) {
                    double v =
                        (SystemAt(s, job.momentum, r, stencil(r), pulls) - job.start) / std::fabs(job.start);
                    job.out[r - first] = job.momentum ? std::fabs(v) : v;
                }
        }
    });
}
