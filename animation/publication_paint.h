#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SimulationState;
class PlotBox;
class DrawingSurface;
class TickDamage;
struct ViewPoint;

/// The text size of the publication look for a view of `width` x `height`
/// pixels: the size asked for, or one that reads alike from 400 pixels to 4K
/// (a 36th of the shorter side, at least 9).
double PublicationFontSize(const SimulationState& state, int width, int height);

/// The time stamp of the row shown, "t = 8.21 yr": the decimals that print
/// the time step exactly, but at most one more than tell two rows apart
/// (2 when the step is 0), then the time unit when there is one; empty when
/// the row does not exist.
std::string ClockText(const SimulationState& state);
/// The time stamp of `row`, as ClockText gives it for the row shown.
std::string ClockTextAt(const SimulationState& state, int32_t row);

/// Splits the trail's view points [0, count) into the runs drawn as one
/// line each: a run ends before a point that is not finite, and before a
/// jump, a step more than 8 times as long as the steps on both sides of it
/// (and longer than 4 pixels), which is a break in the data rather than a
/// stretch of fast motion. Returns [first, last) pairs of two points or more.
std::vector<std::pair<std::size_t, std::size_t>> TrailRuns(const ViewPoint* points, std::size_t count);

/// Gives the plot the mapping the publication look paints with for a view
/// of `width` x `height` (the box inside margins sized for the labels, as
/// `surface` measures text), as PaintPublicationView does first.
void MapPublicationView(const SimulationState& state, PlotBox& plot, const DrawingSurface& surface, int width,
                        int height);

/// Paints the whole view in the publication look on a smooth surface:
/// margins sized for the labels, round ticks on all four sides, the optional
/// grid, the axes through the origin, each trail as one smooth line, the
/// discs, the legend when bodies are named, the title and the time stamp.
/// The plot takes the mapping of this paint (its viewport is left as it
/// was), so that the window's navigation maps the pointer as drawn.
void PaintPublicationView(const SimulationState& state, PlotBox& plot, DrawingSurface& surface, int width,
                          int height);

/// Marks on `damage` the parts of the publication look that a tick changes,
/// for the plot's mapping and a view of `width` x `height`: the trails about
/// the rows that left (`before` less `after`) and entered (`after` less
/// `before`), the discs at the rows `from` and `to`, and the corners where
/// the time stamp stands. Everything when it cannot tell (faded trails, a
/// jump of many rows).
void MarkPublicationTick(const SimulationState& state, const PlotBox& plot, int width, int height,
                         std::pair<int64_t, int64_t> before, std::pair<int64_t, int64_t> after, int32_t from,
                         int32_t to, TickDamage& damage);
