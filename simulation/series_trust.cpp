#include "series_trust.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "orbit_elements.h"
#include "trajectory_table.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kDegrees = 180 / std::numbers::pi;

/// The error falls as the step's sixth power (kVelocityRows - 1).
constexpr double kOrder = double(kVelocityRows - 1);

bool IsAngle(QuantityKind kind) { return InfoOf(kind).tolerance == QuantityTolerance::Angle; }

/// The period of body `body`'s orbit (PeriodFor).
double PeriodOf(const SeriesSource& s, int body) {
    std::vector<double> a(std::size_t(s.rows));
    ComputeSeries(s, Quantity{QuantityKind::SemiMajorAxis, body}, 0, s.rows, a.data());
    std::erase_if(a, [](double v) { return !std::isfinite(v); });
    if (a.empty()) return kNaN;
    std::nth_element(a.begin(), a.begin() + std::ptrdiff_t(a.size() / 2), a.end());
    const double median = a[a.size() / 2];
    return median > 0 ? 2 * std::numbers::pi * std::sqrt(median * median * median / s.gm) : kNaN;
}

}  // namespace

double PeriodFor(const SeriesSource& s, const Quantity& q) {
    if (!UsableGm(s.gm)) return kNaN;
    if (q.kind != QuantityKind::SystemEnergy && q.kind != QuantityKind::SystemMomentum &&
        q.kind != QuantityKind::RunEnergy)
        return PeriodOf(s, q.body);
    double shortest = kNaN;
    for (int body = 1; body <= s.table->bodyColumns(); ++body)
        if (const double p = PeriodOf(s, body); std::isfinite(p) && !(p >= shortest)) shortest = p;
    return shortest;
}

double ToleranceOf(QuantityKind kind, double value) {
    switch (InfoOf(kind).tolerance) {
        case QuantityTolerance::OfValue:
            return kBodyTolerance * std::fabs(value);
        case QuantityTolerance::Absolute:
            return kBodyTolerance;
        case QuantityTolerance::Angle:
            return kBodyTolerance * kDegrees;
        case QuantityTolerance::System:
            return kSystemTolerance;
        case QuantityTolerance::None:
            break;
    }
    return 0;
}

double ErrorRatio(QuantityKind kind, double value, double check, double convergence) {
    if (InfoOf(kind).tolerance == QuantityTolerance::None) return 0;
    if (std::isnan(value) || std::isnan(check)) return kNaN;
    double difference = std::fabs(value - check);
    if (IsAngle(kind)) difference = std::min(difference, 360 - difference);
    const double ratio = difference / ToleranceOf(kind, value);
    if (convergence < kConverging) return ratio / (1 - convergence);
    return ratio * kUnconverged;
}

SeriesSampling SamplingOf(const SeriesSource& s, const double* values, const double* ratios,
                          const std::function<double()>& periodOf) {
    SeriesSampling out;
    double most = 0;  // the largest error ratio of those told
    std::vector<int32_t> past;
    for (int32_t r = 0; r < s.rows; ++r) {
        if (std::isnan(values[r])) continue;
        ++out.values;
        if (!Unsure(ratios[r])) continue;
        ++out.unsure;
        if (std::isnan(ratios[r])) {
            ++out.unchecked;
        } else if (std::isfinite(ratios[r])) {  // rows that do not resolve the motion tell no size
            most = std::max(most, ratios[r]);
            past.push_back(r);
        }
    }
    if (past.empty()) return out;
    out.shorter = std::pow(most, 1 / kOrder);
    // Rows an orbit at each row's own step, shortened as its error asks.
    const double period = periodOf();
    if (!(period > 0) || !std::isfinite(period)) return out;
    const TrajectoryTable& t = *s.table;
    double rows = 0;
    for (const int32_t r : past) {
        const int32_t lo = std::max(r - 1, 0), hi = std::min(r + 1, s.rows - 1);
        const double step = (t.time(hi) - t.time(lo)) / double(hi - lo);
        if (step > 0) rows = std::max(rows, period / step * std::pow(ratios[r], 1 / kOrder));
    }
    if (rows > 0 && std::isfinite(rows)) out.rowsAnOrbit = std::ceil(rows);
    return out;
}
