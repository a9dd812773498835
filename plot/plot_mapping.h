#pragma once

/// The world-to-pixel mapping of a plot as one comparable value: the box that
/// clips, the scales and offsets, and whether the plot draws at all. Two
/// plots with equal mappings put every world point on the same pixel; a NaN
/// field makes a mapping unequal even to itself.
struct PlotMapping {
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    double xScale = 0, yScale = 0;
    double xOffset = 0, yOffset = 0;
    int enabled = 0;
    bool operator==(const PlotMapping&) const = default;
};
