#include "plot/axis_ticks.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "base/format.h"

namespace {

constexpr std::size_t kFewestTicks = 5;
constexpr std::size_t kMostTicks = 9;

/// x times 10^e. Powers up to 10^22 are exact doubles, so an ordinary tick is
/// rounded once, to the double nearest its decimal value; far exponents are
/// split so that the power stays finite.
double TimesPowerOfTen(double x, int e) {
    for (; e > 308; e -= 308) x *= 1e308;
    for (; e < -308; e += 308) x /= 1e308;
    return e >= 0 ? x * std::pow(10.0, e) : x / std::pow(10.0, -e);
}

/// A step of `mantissa` units of 10^exponent (2.5 is 25 units of the decade
/// below), so that ticks are whole numbers of units.
struct Step {
    int mantissa;
    int exponent;
    double Value() const { return TimesPowerOfTen(mantissa, exponent); }
    int Decimals() const { return std::max(0, -exponent); }
};

/// Whether ticks `step` apart near `magnitude` are distinct doubles that can
/// be computed exactly: the step spans at least two doubles there, and
/// counts of units up to `magnitude` are exact doubles.
bool Usable(Step step, double magnitude) {
    const double spacing = magnitude - std::nextafter(magnitude, 0.0);
    return step.Value() >= 2 * spacing && TimesPowerOfTen(magnitude, -step.exponent) < 0x1p53;
}

/// How far past the end `end` of a range `span` wide a tick may lie: a few
/// spacings of the doubles there (those below its magnitude, finite even at
/// the largest double), but never a visible part of the span.
double Slack(double end, double span) {
    constexpr double kUlps = 4, kMostOfSpan = 1e-6;
    const double magnitude = std::fabs(end);
    return std::min(kUlps * (magnitude - std::nextafter(magnitude, 0.0)), kMostOfSpan * span);
}

/// The multiples of `step` in [lo, hi], increasing, at most `cap` of them.
/// Each is a whole count of units scaled once by the power of ten, never a
/// sum, so it prints cleanly. A bound a few ulps short of a multiple still
/// takes it: a box's end is often rounded from a round value to a double
/// just beside it.
std::vector<double> Multiples(Step step, double lo, double hi, std::size_t cap) {
    const double size = step.Value();
    const double below = lo - Slack(lo, hi - lo), above = hi + Slack(hi, hi - lo);
    std::vector<double> values;
    // One multiple more at either end makes up for the rounded divisions;
    // no more than `cap` + 2 are ever made.
    const double first = std::ceil(lo / size) - 1, last = std::floor(hi / size) + 1;
    for (double k = first; k <= last && k <= first + double(cap + 2) && values.size() < cap; ++k) {
        double tick = TimesPowerOfTen(k * step.mantissa, step.exponent);
        if (!std::isfinite(tick) || tick < below || tick > above) continue;
        if (std::fabs(tick) <= 1e-9 * size) tick = 0;  // never "-0"
        values.push_back(tick);
    }
    return values;
}

/// The decimals that print a lone value to 15 significant digits, without
/// trailing zeros.
int LoneDecimals(double value) {
    if (value == 0 || !std::isfinite(value)) return 0;
    const int decimals = 14 - int(std::floor(std::log10(std::fabs(value))));
    if (decimals <= 0) return 0;
    const std::string text = TickLabel(value, decimals);
    return int(text.find_last_not_of('0') - text.find('.'));
}

}  // namespace

AxisTicks ChooseTicks(double lo, double hi) {
    AxisTicks best{0, LoneDecimals(lo), {}};
    if (std::isfinite(lo)) best.values.push_back(lo);
    if (!(std::isfinite(lo) && std::isfinite(hi) && lo < hi)) return best;
    const double magnitude = std::max(std::fabs(lo), std::fabs(hi));
    // Starts with 5 units of the decade above the span, which gives at most
    // 2 ticks, and refines through 2, 1, 0.5, ... until 5 ticks fit. Each
    // refinement at most multiplies the count by 2.5, so few multiples are
    // ever made, and a step too fine for the magnitude ends the search.
    const double span = hi - lo;
    const int top = std::isfinite(span) ? int(std::floor(std::log10(span))) + 1 : 309;
    for (int exponent = top;; --exponent) {
        for (const int mantissa : {5, 2, 1}) {
            Step step{mantissa, exponent};
            if (!std::isfinite(step.Value())) continue;
            if (!Usable(step, magnitude)) return best;
            AxisTicks ticks{step.Value(), step.Decimals(), Multiples(step, lo, hi, kMostTicks + 1)};
            if (ticks.values.size() > kMostTicks && mantissa == 2 && Usable({25, exponent - 1}, magnitude)) {
                step = {25, exponent - 1};
                ticks = {step.Value(), step.Decimals(), Multiples(step, lo, hi, kMostTicks + 1)};
            }
            if (ticks.values.size() >= kFewestTicks) {
                if (ticks.values.size() > kMostTicks) ticks.values.resize(kMostTicks);
                return ticks;
            }
            if (!ticks.values.empty()) best = ticks;
        }
    }
}

std::string TickLabel(double value, int decimals) {
    // Switches this thread alone to the C locale's decimal point, for the
    // length of the formatting.
    static const locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", locale_t(0));
    const locale_t previous = cLocale ? uselocale(cLocale) : locale_t(0);
    std::string text = Format("%.*f", std::max(decimals, 0), value);
    if (previous) uselocale(previous);
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return text;
}

std::vector<bool> LabelsShown(const std::vector<double>& centres, const std::vector<double>& widths,
                              double gap) {
    const std::size_t count = std::min(centres.size(), widths.size());
    std::vector<bool> shown(count, false);
    // Strides 1, 2, 5, 10, 20, 50, ...; one past the last label shows only
    // the first, which always fits.
    std::size_t stride = 1;
    for (int round = 0;; ++round) {
        bool fits = true;
        for (std::size_t i = stride; i < count && fits; i += stride) {
            const std::size_t j = i - stride;
            fits = std::fabs(centres[i] - centres[j]) - (widths[i] + widths[j]) / 2 >= gap;
        }
        if (fits || stride >= count) {
            for (std::size_t i = 0; i < count; i += stride) shown[i] = true;
            return shown;
        }
        stride = round % 3 == 1 ? stride / 2 * 5 : stride * 2;
    }
}

double ClampLabel(double centre, double width, double lo, double hi) {
    if (!(width < hi - lo)) return lo / 2 + hi / 2;
    return std::max(lo + width / 2, std::min(centre, hi - width / 2));
}
