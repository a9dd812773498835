#include "simulation/data_extent.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "simulation/trajectory_table.h"

void DataExtent::Add(double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    xmin_ = std::min(xmin_, x), xmax_ = std::max(xmax_, x);
    ymin_ = std::min(ymin_, y), ymax_ = std::max(ymax_, y);
}

std::array<double, 4> DataExtent::Box() const {
    if (empty()) return {-1.0, -1.0, 1.0, 1.0};
    double xmin = xmin_, ymin = ymin_, xmax = xmax_, ymax = ymax_;
    const double width = xmax - xmin, height = ymax - ymin;
    // A range that overflows stays as it is: the plot shows such a box as asked.
    auto widen = [](double& lo, double& hi, double extent) {
        const double centre = lo;
        lo = centre - extent / 2, hi = centre + extent / 2;
    };
    if (width == 0.0) widen(xmin, xmax, height > 0.0 ? height : 2.0);
    if (height == 0.0) widen(ymin, ymax, width > 0.0 ? width : 2.0);
    return {xmin, ymin, xmax, ymax};
}

double DataExtent::Farthest() const {
    if (empty()) return 0.0;
    return std::max({0.0, std::abs(xmin_), std::abs(xmax_), std::abs(ymin_), std::abs(ymax_)});
}

DataExtent ExtentOf(const TrajectoryTable& table, int32_t rows, int32_t bodies) {
    DataExtent extent;
    for (int32_t b = 1; b <= bodies; ++b) {
        const double* p = table.track(b, 0);
        for (int32_t r = 0; r < rows; ++r, p += 2) extent.Add(p[0], p[1]);
    }
    return extent;
}

namespace {

/// `value` rounded up (or down) to a whole number of 10^exponent, computed
/// by multiplying with 10^-exponent when that is below 1 so that the steps
/// are exact decimals.
double RoundTo(double value, int exponent, bool up) {
    const double unit = std::pow(10.0, std::abs(exponent));
    const auto whole = [up](double v) { return up ? std::ceil(v) : std::floor(v); };
    return exponent < 0 ? whole(value * unit) / unit : whole(value / unit) * unit;
}

/// The exponent of the second significant digit of `size`; none unless it
/// is finite and above 0.
std::optional<int> SecondDigit(double size) {
    if (!(size > 0 && std::isfinite(size))) return std::nullopt;
    return int(std::floor(std::log10(size))) - 1;
}

}  // namespace

std::array<double, 4> FigureBox(const std::array<double, 4>& box) {
    std::array<double, 4> wider = box;
    const bool surrounds = box[0] < 0 && box[2] > 0 && box[1] < 0 && box[3] > 0;
    for (const int axis : {0, 1}) {
        const double lo = box[std::size_t(axis)], hi = box[std::size_t(axis + 2)];
        double from = 0, to = 0;
        if (surrounds) {
            const double wanted = 1.05 * std::max(-lo, hi);
            const std::optional<int> exponent = SecondDigit(wanted);
            if (!exponent) return box;
            to = RoundTo(wanted, *exponent, true);
            from = -to;
        } else {
            const double margin = 0.05 * (hi - lo);
            const std::optional<int> exponent = SecondDigit(hi - lo + 2 * margin);
            if (!exponent) return box;
            from = RoundTo(lo - margin, *exponent, false);
            to = RoundTo(hi + margin, *exponent, true);
        }
        if (!(std::isfinite(from) && std::isfinite(to) && from <= lo && to >= hi && from < to)) return box;
        wider[std::size_t(axis)] = from, wider[std::size_t(axis + 2)] = to;
    }
    return wider;
}

std::array<double, 4> DataBox(const TrajectoryTable& table, int32_t rows, int32_t bodies) {
    return FigureBox(ExtentOf(table, rows, bodies).Box());
}

double SquareHalfSide(double farthest) {
    const double wanted = 1.1 * farthest;
    if (!(wanted > 0.0)) return 1.0;
    if (!std::isfinite(wanted)) return farthest;
    const int exponent = int(std::floor(std::log10(wanted))) - 1;
    const double unit = std::pow(10.0, std::abs(exponent));
    const double rounded = exponent < 0 ? std::ceil(wanted * unit) / unit : std::ceil(wanted / unit) * unit;
    return std::isfinite(rounded) && rounded >= wanted ? rounded : wanted;
}
