#include "tools/pericentre_step.h"

#include <algorithm>
#include <cmath>

namespace {

/// Steps per pericentre time: measured on lone Kepler ellipses, this keeps
/// the relative energy error near 2e-9 at any eccentricity.
constexpr double kStepsPerPericentreTime = 100.0;

/// The pericentre time of relative position (x, y) and velocity (vx, vy)
/// about gravitational parameter `mu`; 0 when there is none.
double PericentreTime(double x, double y, double vx, double vy, double mu) {
    const double r = std::hypot(x, y);
    if (!(mu > 0.0) || !(r > 0.0)) return 0.0;
    const double energy = 0.5 * (vx * vx + vy * vy) - mu / r;
    const double h = x * vy - y * vx;
    const double e = std::sqrt(std::max(0.0, 1.0 + 2.0 * energy * h * h / (mu * mu)));
    const bool receding = energy >= 0.0 && x * vx + y * vy >= 0.0;
    const double q = receding ? r : h * h / mu / (1.0 + e);
    // 1 - e is q / a on an ellipse.
    const double closeness = energy < 0.0 ? std::clamp(1.0 - e, 0.0, 1.0) : 1.0;
    const double time = std::sqrt(q * q * q / mu) * std::sqrt(std::sqrt(closeness));
    return std::isfinite(time) ? time : 0.0;
}

}  // namespace

std::vector<double> PericentreTimes(const std::vector<BodyState>& bodies, double sunMass, bool mutual) {
    std::vector<double> times(bodies.size(), 0.0);
    auto shorten = [](double& shortest, double time) {
        if (time > 0.0 && (shortest == 0.0 || time < shortest)) shortest = time;
    };
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const BodyState& b = bodies[i];
        shorten(times[i], PericentreTime(b.x, b.y, b.vx, b.vy, sunMass));
        if (!mutual) continue;
        for (std::size_t j = 0; j < bodies.size(); ++j) {
            const BodyState& o = bodies[j];
            if (j != i)
                shorten(times[i],
                        PericentreTime(b.x - o.x, b.y - o.y, b.vx - o.vx, b.vy - o.vy, b.mass + o.mass));
        }
    }
    return times;
}

std::size_t QuickestBody(const std::vector<double>& times) {
    std::size_t quickest = 0;
    for (std::size_t k = 0; k < times.size(); ++k)
        if (times[k] > 0.0 && !(times[quickest] > 0.0 && times[quickest] <= times[k])) quickest = k;
    return quickest;
}

double RoundStepDown(double step) {
    const double unit = std::pow(10.0, std::floor(std::log10(step)));
    return std::max(std::floor(step / unit), 1.0) * unit;
}

double PericentreStep(const std::vector<BodyState>& bodies, double sunMass, bool mutual) {
    const std::vector<double> times = PericentreTimes(bodies, sunMass, mutual);
    if (times.empty()) return 0.0;
    const double step = times[QuickestBody(times)] / kStepsPerPericentreTime;
    return step > 0.0 && std::isfinite(step) ? RoundStepDown(step) : 0.0;
}
