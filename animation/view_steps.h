#pragma once
#include <cstdint>
#include <string>

#include "animation/playback_state.h"

struct SimulationState;
class PlotBox;
class DrawingSurface;
class TrailCache;
class TrailLines;

/// What a paint or a tick asks of the animation timer, which the window owns.
class TickDamage;

/// Pixels from the top of the view that the status line of a tick may cover,
/// and pixels across that one of its characters may take (the view's font
/// advances 7).
inline constexpr int32_t kStatusBandHeight = 48;
inline constexpr int32_t kStatusCharWidth = 16;

/// Background of the view outside the plot box.
inline constexpr unsigned kViewBackground = 0xFFFFFF;

/// PaintView in the classic look: background, plot box, and every run
/// shown at the clock's row when data is loaded. `trails` is the trail
/// cache of the surface's raster, when it has one.
void PaintClassicView(const SimulationState& state, PlotBox& plot, DrawingSurface& surface, int width,
                      int height, TrailCache* trails = nullptr);

/// Takes a pending start request, as the window does after each full paint:
/// true when the timer should start. Without data loaded the request stays
/// pending and nothing starts.
bool TakeStartRequest(SimulationState& state);

/// The status line a tick writes for row `row`, or empty when the row does
/// not exist.
std::string StatusLine(const SimulationState& state, int row);

/// TickView in the classic look.
TimerRequest TickClassicView(SimulationState& state, PlotBox& plot, DrawingSurface& surface,
                             TrailCache* trails = nullptr, TickDamage* damage = nullptr);
