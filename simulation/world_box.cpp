#include "simulation/world_box.h"

#include <algorithm>
#include <cmath>

namespace {

/// Widths below this share of the ends' size are rounding, not a range.
constexpr double kLeastRelativeWidth = 1e-12;

}  // namespace

std::string WorldBoxProblem(const std::array<double, 4>& box) {
    if (!std::all_of(box.begin(), box.end(), [](double v) { return std::isfinite(v); }))
        return "its ends are not all finite numbers";
    for (int axis = 0; axis < 2; ++axis) {
        const double lo = box[std::size_t(axis)], hi = box[std::size_t(axis + 2)];
        double width = std::fabs(hi - lo), size = std::max(std::fabs(lo), std::fabs(hi));
        // Ends at the largest numbers are measured by halves.
        if (!std::isfinite(width)) width = std::fabs(hi / 2 - lo / 2), size /= 2;
        const char* name = axis == 0 ? "x" : "y";
        if (width == 0 || width <= kLeastRelativeWidth * size)
            return std::string("its ") + name + " axis has no width";
    }
    return {};
}
