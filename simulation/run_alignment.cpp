#include "simulation/run_alignment.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <limits>

std::vector<int32_t> NearestRows(const double* times, int32_t rows, const double* otherTimes,
                                 int32_t otherRows) {
    std::vector<int32_t> nearest;
    ExtendNearestRows(nearest, times, rows, otherTimes, otherRows);
    return nearest;
}

void ExtendNearestRows(std::vector<int32_t>& nearest, const double* times, int32_t rows,
                       const double* otherTimes, int32_t otherRows) {
    if (otherRows <= 0 || rows <= 0) {
        nearest.clear();
        return;
    }
    int32_t j = nearest.empty() ? 0 : std::clamp(nearest.back(), 0, otherRows - 1);
    for (int32_t i = int32_t(nearest.size()); i < rows; ++i) {
        const double t = times[i];
        if (!std::isnan(t)) {
            // Forward while the next row is nearer, back while the one
            // before is: the walk follows the times either way.
            while (j + 1 < otherRows && std::fabs(otherTimes[j + 1] - t) < std::fabs(otherTimes[j] - t)) ++j;
            while (j > 0 && std::fabs(otherTimes[j - 1] - t) <= std::fabs(otherTimes[j] - t)) --j;
        }
        nearest.push_back(j);
    }
}

std::vector<RowBetween> RowsBetween(const double* times, int32_t rows, const double* otherTimes,
                                    int32_t otherRows) {
    std::vector<RowBetween> between;
    ExtendRowsBetween(between, times, rows, otherTimes, otherRows);
    return between;
}

void ExtendRowsBetween(std::vector<RowBetween>& between, const double* times, int32_t rows,
                       const double* otherTimes, int32_t otherRows) {
    int32_t j = 0;
    for (auto at = between.rbegin(); at != between.rend() && j == 0; ++at) j = std::max(at->row, 0);
    for (int32_t i = int32_t(between.size()); i < rows; ++i) {
        RowBetween& b = between.emplace_back();
        const double t = times[i];
        if (otherRows <= 0 || std::isnan(t) || t < otherTimes[0] || t > otherTimes[otherRows - 1]) continue;
        j = std::min(j, otherRows - 1);
        while (j + 1 < otherRows && otherTimes[j + 1] <= t) ++j;
        while (j > 0 && otherTimes[j] > t) --j;
        b.row = j;
        const double span = j + 1 < otherRows ? otherTimes[j + 1] - otherTimes[j] : 0;
        b.share = span > 0 ? (t - otherTimes[j]) / span : 0;
    }
}

double ValueBetween(const double* values, std::size_t stride, const RowBetween& at) {
    if (at.row < 0) return std::numeric_limits<double>::quiet_NaN();
    const double a = values[std::size_t(at.row) * stride];
    if (at.share == 0) return a;
    const double b = values[std::size_t(at.row + 1) * stride];
    return a + (b - a) * at.share;
}

int CubicWeights(const double* times, int32_t rows, const RowBetween& at, double t, int32_t& start,
                 double weights[4]) {
    if (at.row < 0 || at.row >= rows) return 0;
    start = at.row;
    if (at.share == 0 || at.row + 1 >= rows) {
        weights[0] = 1;
        return 1;
    }
    weights[0] = 1 - at.share, weights[1] = at.share;
    if (rows < 4) return 2;
    const int32_t first = std::clamp(at.row - 1, 0, rows - 4);
    const double* x = times + first;
    double cubic[4];
    for (int i = 0; i < 4; ++i) {
        double w = 1;
        for (int j = 0; j < 4; ++j)
            if (j != i) w *= (t - x[j]) / (x[i] - x[j]);
        cubic[i] = w;
    }
    // Rows of one time, or times that are not numbers: linear.
    for (const double w : cubic)
        if (!std::isfinite(w)) return 2;
    start = first;
    std::copy(cubic, cubic + 4, weights);
    return 4;
}

namespace {

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const std::string& NameOf(const std::vector<std::string>& names, int body) {
    static const std::string none;
    return body >= 1 && std::size_t(body) <= names.size() ? names[std::size_t(body - 1)] : none;
}

}  // namespace

std::vector<int> MatchBodies(const std::vector<std::string>& firstNames, int firstBodies,
                             const std::vector<std::string>& names, int bodies) {
    std::vector<int> match(std::size_t(std::max(bodies, 0)) + 1, 0);
    for (int k = 1; k <= bodies; ++k) {
        const std::string& name = NameOf(names, k);
        if (!name.empty())
            for (int f = 1; f <= firstBodies && match[std::size_t(k)] == 0; ++f)
                if (SameName(name, NameOf(firstNames, f))) match[std::size_t(k)] = f;
        if (match[std::size_t(k)] == 0 && k <= firstBodies && (name.empty() || NameOf(firstNames, k).empty()))
            match[std::size_t(k)] = k;
    }
    return match;
}
