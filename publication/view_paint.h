#pragma once

#include "animation/view_steps.h"

/// Every picture of the view is painted and ticked here, in the look the
/// view chose: the classic look (animation/) or the publication look.

/// A full paint of the view's client area of `width` x `height` pixels:
/// background, plot box, and the system at `position` when data is loaded.
/// The state is only read; the plot takes the mapping of this paint, and
/// in the classic look the legend's place. `trails` is the trail cache of
/// the surface's raster, when it has one.
void PaintView(const SimulationState& state, PlotBox& plot, DrawingSurface& surface, int width, int height,
               TrailCache* trails = nullptr);

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
