#include "simulation/data_extent.h"

#include <algorithm>
#include <cmath>

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

std::array<double, 4> DataBox(const TrajectoryTable& table, int32_t rows, int32_t bodies) {
    return ExtentOf(table, rows, bodies).Box();
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
