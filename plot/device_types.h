#pragma once
#include <cmath>
#include <cstdint>
#include <limits>

/// A pixel position of the view's client area, y growing downwards.
struct DevicePoint {
    int32_t x = 0;
    int32_t y = 0;
    bool operator==(const DevicePoint&) const = default;
};

/// A device rectangle; as everywhere in the drawing code, right and bottom
/// are one past the last column and row it covers.
struct DeviceRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    bool operator==(const DeviceRect&) const = default;
};

/// Truncates toward zero into the 32-bit range, saturating at its ends, so
/// that huge world coordinates never overflow. NaN gives the lowest value,
/// which lies off every surface.
inline int32_t SaturatingTrunc(double v) {
    if (!(v > -2147483648.0)) return std::numeric_limits<int32_t>::min();
    if (v >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(v);
}

/// Clamps a wide pixel coordinate into the 32-bit range.
inline int32_t Clamp32(int64_t v) {
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    return int32_t(v);
}
