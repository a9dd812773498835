#include "plot/plot_box.h"

#include <algorithm>
#include <cmath>

void PlotBox::SetViewport(int left, int top, int right, int bottom) {
    auto bad = [](int v) { return v < 0 || v > 100; };
    leftPct = (bad(left) || left >= right) ? 1 : left;
    rightPct = (bad(right) || right <= leftPct) ? 100 : right;
    topPct = (bad(top) || top >= bottom) ? 1 : top;
    bottomPct = (bad(bottom) || bottom <= topPct) ? 100 : bottom;
}

void PlotBox::SetBox(double xmin, double ymin, double xmax, double ymax) {
    if (roundBox) {
        RoundRange(xmin, xmax);
        RoundRange(ymin, ymax);
    }
    SetExactBox(xmin, ymin, xmax, ymax);
}

void PlotBox::SetExactBox(double xmin, double ymin, double xmax, double ymax) {
    xMin = xmin;
    yMin = ymin;
    xMax = xmax;
    yMax = ymax;
    widened_ = false;  // the next ComputeMapping widens the new box
}

void PlotBox::GetBox(double& xmin, double& ymin, double& xmax, double& ymax) const {
    if (widened_) {
        xmin = requested_[0], ymin = requested_[1], xmax = requested_[2], ymax = requested_[3];
        return;
    }
    xmin = xMin;
    ymin = yMin;
    xmax = xMax;
    ymax = yMax;
}

void PlotBox::RoundRange(double& lo, double& hi) {
    const double d = std::fabs(hi - lo);
    if (!(d > 1e-8)) return;
    const double unit = std::pow(10.0, std::trunc(std::log10(d)) - 1.0);
    // The bounds are counted in hundredths of the unit as 32-bit integers. A
    // bound whose count does not fit (a box far from the origin for its
    // width) is kept as given rather than moved to where the count saturates.
    auto fits = [](double count) { return count > -2147483649.0 && count < 2147483648.0; };
    const double n = std::trunc(lo * 100.0 / unit);
    const double m = std::trunc(hi * 100.0 / unit);
    const double newLo = std::floor(n * unit * 0.01 / unit) * unit;
    const double newHi = std::ceil(m * unit * 0.01 / unit) * unit;
    // Ranges too wide for the unit arithmetic (infinite or near the double
    // limit) would turn into NaN; such a bound is kept as given too.
    if (fits(n) && std::isfinite(newLo)) lo = newLo;
    if (fits(m) && std::isfinite(newHi)) hi = newHi;
}

void PlotBox::ComputeMapping(int left, int top, int right, int bottom) {
    deviceRect = {left, top, right, bottom};
    const double w = (double(right) - left) * 0.01;
    const double h = (double(bottom) - top) * 0.01;
    const int32_t L = SaturatingTrunc(leftPct * w + 0.5);
    const int32_t R = SaturatingTrunc(rightPct * w + 0.5);
    const int32_t T = SaturatingTrunc(topPct * h + 0.5);
    const int32_t B = SaturatingTrunc(bottomPct * h + 0.5);
    if (equalAspect) {
        WidenToAspect(double(R) - L, double(B) - T);
    } else if (widened_) {
        SetExactBox(requested_[0], requested_[1], requested_[2], requested_[3]);
    }
    const double xRange = xMax - xMin;
    const double yRange = yMax - yMin;
    xScale = xRange != 0.0 ? (double(R) - L) / xRange : 0.0;
    yScale = yRange != 0.0 ? (double(T) - B) / yRange : 0.0;
    xOffset = (xScale != 0.0 ? xScale * xMin : 0.0) - L;
    yOffset = (yScale != 0.0 ? yScale * yMin : 0.0) - B;
}

void PlotBox::WidenToAspect(double width, double height) {
    if (!widened_) {
        requested_[0] = xMin, requested_[1] = yMin, requested_[2] = xMax, requested_[3] = yMax;
        widened_ = true;
    }
    xMin = requested_[0], yMin = requested_[1], xMax = requested_[2], yMax = requested_[3];
    const double xRange = xMax - xMin, yRange = yMax - yMin;
    if (!(width > 0 && height > 0 && xRange > 0 && yRange > 0)) return;
    if (!std::isfinite(xRange) || !std::isfinite(yRange)) return;
    // World units per pixel: the larger of the two fits the whole box; the
    // other axis gets more units about its centre. The axis that keeps its
    // range keeps its bounds exactly.
    const double xUnit = xRange / width, yUnit = yRange / height;
    if (xUnit >= yUnit) {
        const double centre = yMin + yRange * 0.5, half = xUnit * height * 0.5;
        if (!std::isfinite(half) || !std::isfinite(centre)) return;
        yMin = std::min(yMin, centre - half);  // never less than asked for, whatever the rounding
        yMax = std::max(yMax, centre + half);
    } else {
        const double centre = xMin + xRange * 0.5, half = yUnit * width * 0.5;
        if (!std::isfinite(half) || !std::isfinite(centre)) return;
        xMin = std::min(xMin, centre - half);
        xMax = std::max(xMax, centre + half);
    }
}

DeviceRect PlotBox::BoxCorners() const {
    if (!enabled) return {};
    const DevicePoint tl = ToDevice(xMin, yMax, 0);
    const DevicePoint br = ToDevice(xMax, yMin, 0);
    return {tl.x, tl.y, br.x, br.y};
}
