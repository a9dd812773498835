#include "animation/playback_speed.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "animation/playback_commands.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "simulation/number_text.h"

namespace {

/// Periods tried for speeds a step of 1 cannot reach slowly enough: up to
/// 50 ms, 20 ticks a second, below which motion looks jerky; at least
/// kCalmDelayMs preferred, as a screen shows no more than 100 frames a second.
constexpr int32_t kQuickestTicksDelayMs = 50;
constexpr int32_t kCalmDelayMs = 10;

/// Blanks the number and its unit may have about them.
std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<SpeedRequest> ParseSpeed(std::string_view text) {
    text = Trimmed(text);
    SpeedRequest request;
    for (const std::string_view unit : {"rows/s", "rows", "r"})
        if (text.ends_with(unit)) {
            text.remove_suffix(unit.size());
            request.rows = true;
            break;
        }
    const std::optional<double> value =
        ParseFiniteText(text, {.blanks = NumberBlanks::SpaceTab, .grammar = RealGrammar::Decimal});
    if (!value || !(*value > 0)) return std::nullopt;
    request.value = *value;
    return request;
}

SpeedChoice ChooseSpeed(double rowsPerSecond) {
    const double wanted = rowsPerSecond > 0 ? rowsPerSecond : 1;
    std::vector<SpeedChoice> tried;
    for (int32_t delay = 1; delay <= kQuickestTicksDelayMs; ++delay) {
        const double step = std::round(wanted * delay / 1000.0);
        tried.push_back({delay, int32_t(std::clamp(step, 1.0, double(kLargestStep)))});
    }
    // Slower than a step each kQuickestTicksDelayMs: one row at a time.
    const double period = std::clamp(1000.0 / wanted, 1.0, double(kLongestDelayMs));
    for (const double delay : {std::floor(period), std::ceil(period)}) tried.push_back({int32_t(delay), 1});
    const auto miss = [wanted](const SpeedChoice& c) {
        return std::fabs(double(c.step) * 1000.0 / c.delayMs - wanted) / wanted;
    };
    double closest = miss(tried.front());
    for (const SpeedChoice& c : tried) closest = std::min(closest, miss(c));
    const auto better = [](const SpeedChoice& a, const SpeedChoice& b) {
        const bool calmA = a.delayMs >= kCalmDelayMs, calmB = b.delayMs >= kCalmDelayMs;
        if (calmA != calmB) return calmA;
        if (a.step != b.step) return a.step < b.step;
        return a.delayMs < b.delayMs;
    };
    std::optional<SpeedChoice> chosen;
    for (const SpeedChoice& c : tried)
        if (miss(c) <= closest + 1e-12 && (!chosen || better(c, *chosen))) chosen = c;
    return *chosen;
}

std::optional<double> SpeedTimeStep(const SimulationState& s) {
    if (!s.loaded().dataLoaded) return std::nullopt;
    return s.loaded().regularTimeStep();
}

double RowsPerSecondFor(const SimulationState& s, const SpeedRequest& request) {
    const std::optional<double> step = request.rows ? std::nullopt : SpeedTimeStep(s);
    return step ? request.value / *step : request.value;
}

void SetSpeed(SimulationState& s, const SpeedRequest& request) {
    const SpeedChoice choice = ChooseSpeed(RowsPerSecondFor(s, request));
    s.playback.delayMs = choice.delayMs;
    s.playback.step = choice.step;
}

std::string SpeedUnit(const SimulationState& s) {
    if (!SpeedTimeStep(s)) return "rows/s";
    return (s.loaded().fields.timeUnit.empty() ? std::string("time units") : s.loaded().fields.timeUnit) +
           "/s";
}

std::string SpeedNumber(const SimulationState& s) {
    const std::optional<double> step = SpeedTimeStep(s);
    const double speed = RowsPerSecond(s) * step.value_or(1);
    if (speed == std::trunc(speed)) return Format("%.0f", speed);
    if (speed < 1) return Format("%.3g", speed);
    std::string number = Format("%.2f", speed);
    while (number.back() == '0') number.pop_back();
    if (number.back() == '.') number.pop_back();
    return number;
}
