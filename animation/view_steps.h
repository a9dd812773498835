#pragma once
#include <cstdint>
#include <string>

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

struct TimerRequest {
    bool start = false;  ///< start it (or restart it) with `frameDelayMs`
    bool stop = false;   ///< kill it
    /// The playback went back to its start row: the old trail is gone only
    /// after a full paint, which the caller should make.
    bool repaint = false;
};

/// Background of the view outside the plot box.
inline constexpr unsigned kViewBackground = 0xFFFFFF;

/// A full paint of the view's client area of `width` x `height` pixels:
/// background, plot box, and the system at `position` when data is loaded.
/// The state is only read; the plot takes the mapping of this paint, and
/// in the classic look the legend's place. `trails` is the trail cache of
/// the surface's raster, when it has one.
void PaintView(const SimulationState& state, PlotBox& plot, DrawingSurface& surface, int width, int height,
               TrailCache* trails = nullptr);

/// Takes a pending start request, as the window does after each full paint:
/// true when the timer should start. Without data loaded the request stays
/// pending and nothing starts.
bool TakeStartRequest(SimulationState& state);

/// The status line a tick writes for row `row`, or empty when the row does
/// not exist.
std::string StatusLine(const SimulationState& state, int row);

/// One timer tick: erase the system at `position`, move `step` rows in the
/// playback's direction (NextTickRow), draw it again with the status line,
/// or stop at the end of the data (going back, at row 0) or on a stop
/// request. With `loopPlayback` the tick that reaches the end shows it and
/// goes on, and the next tick goes round to the start row (moved into 0 to
/// LastPlayableRow; going back, to LastPlayableRow), draws the system there
/// and asks for a full paint, which alone clears the old trail. Either way
/// the tick draws only what changed: rows leave and enter the trail at
/// either end. A tick without data loaded reads and
/// draws nothing and asks for the timer to stop.
///
/// With `damage` (reset by the caller for the surface's size), the tick marks
/// what it changed: the erased and drawn discs, the trail rows that left and
/// entered, and the status line's band; everything when it cannot tell (no
/// raster or trail cache, faded trails, a loop going back to its start).
/// In the publication look the tick moves only (MovePublicationTick) and
/// marks everything: PublicationTick ticks a view that keeps its picture.
TimerRequest TickView(SimulationState& state, PlotBox& plot, DrawingSurface& surface,
                      TrailCache* trails = nullptr, TickDamage* damage = nullptr);
