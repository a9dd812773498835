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
    return DifferenceWindow(row, rows, kVelocityRows);
}

std::size_t DifferenceWindow(std::size_t row, std::size_t rows, std::size_t count) {
    if (rows <= count) return 0;
    const std::size_t half = count / 2;
    return std::min(row > half ? row - half : 0, rows - count);
}

namespace {

/// The Gaussian gravitational constant squared: mu of the sun in AU^3/d^2.
constexpr double kGaussianSquared = 2.959122082855911e-4;
constexpr double kDaysAYear = 365.25;

/// A time unit InferredGm knows with AU, mu in AU^3 per its square, and
/// the rule that gives it and what the rule's letters are.
struct UnitsGm {
    double gm;
    const char *rule, *meaning;
};

std::optional<UnitsGm> GmOfUnits(std::string_view lengthUnit, std::string_view timeUnit) {
    const auto lower = [](std::string_view text) {
        std::string out(text);
        for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
        return out;
    };
    const std::string length = lower(lengthUnit), time = lower(timeUnit);
    if (length != "au") return std::nullopt;
    for (const char* year : {"yr", "year", "years", "y", "a"})
        if (time == year)
            return UnitsGm{kGaussianSquared * kDaysAYear * kDaysAYear, "k\u00b2 \u00d7 365.25\u00b2",
                           "k the Gaussian constant, years of 365.25 days"};
    for (const char* day : {"d", "day", "days"})
        if (time == day) return UnitsGm{kGaussianSquared, "k\u00b2", "k the Gaussian constant"};
    return std::nullopt;
}

}  // namespace

std::optional<double> InferredGm(std::string_view lengthUnit, std::string_view timeUnit) {
    if (const auto found = GmOfUnits(lengthUnit, timeUnit)) return found->gm;
    return std::nullopt;
}

std::string InferredGmRule(std::string_view lengthUnit, std::string_view timeUnit, bool explained) {
    const auto found = GmOfUnits(lengthUnit, timeUnit);
    if (!found) return {};
    return explained ? std::string(found->rule) + " (" + found->meaning + ")" : std::string(found->rule);
}
