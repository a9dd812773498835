#pragma once
#include <cstdint>
#include <optional>
#include <string>

struct SimulationState;
class PlotBox;

/// What the view tells about the point under the pointer: its place in the
/// frame shown, and a body's place and motion when the pointer is on its
/// disc. Positions are read in the frame shown; the distance from the sun
/// is the data's own (the sun stays at the origin there).

/// The body whose disc is under view point (px, py) at the current row, the
/// nearest one where discs overlap; 0 when there is none. A disc counts out
/// to its radius and 2 pixels more, at least 4, so that the smallest bodies
/// can be pointed at.
int BodyUnder(const SimulationState& state, const PlotBox& plot, double px, double py);

/// A body's values at a row.
struct BodyReadout {
    int body = 0;
    double x = 0, y = 0;      ///< in the frame shown, in the data's axes
    std::optional<double> z;  ///< for data in space
    double fromSun = 0;       ///< in space, in the data's own frame
    /// From the frame's centre when that is neither the sun nor the origin
    /// of the data (a body, the barycentre); distances in the frame shown.
    std::optional<double> fromCentre;
    /// Speeds from the rows about the row, as the speed series takes them:
    /// in the frame shown, and about the sun when a frame is shown; none
    /// when the times or the positions nearby do not allow one.
    std::optional<double> speed;
    std::optional<double> sunSpeed;
};

/// Body `body`'s values at `row`; none when the body or the row cannot be read.
std::optional<BodyReadout> ReadBody(const SimulationState& state, int body, int32_t row);

/// The tooltip of a body: its name (or number), x and y, its distances and
/// speeds, with the units the configuration gives, one per line.
std::string BodyReadoutText(const SimulationState& state, const BodyReadout& readout);

/// "x = 1.2346 AU   y = -0.5 AU": the point under view point (px, py) in the
/// frame shown, named by the axes of the plane shown ("x_ecl = ..."); empty
/// outside the plot box, without data, or in a turned view, where a point
/// of the picture is no point in space.
std::string PointerText(const SimulationState& state, const PlotBox& plot, double px, double py);
