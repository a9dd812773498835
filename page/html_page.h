#pragma once
#include <functional>
#include <string>
#include <string_view>

struct SimulationState;
class PlotBox;
class DrawingSurface;

/// A page that plays the simulation in any current browser, on its own: the
/// rows shown (after the frame, the plane and the bodies chosen) packed
/// small (PackPositions), the view's choices, and where a full paint of the
/// publication look at the row shown puts the box, the legend and the time
/// stamp for a view of `width` x `height` (measured by `surface`), with the
/// player that draws them. The plot takes that paint's mapping. Every text
/// of the data (the title, the names, the units) is written as a JSON
/// string the player shows as text. The page is handed to `write` in
/// pieces, in order (the rows of a large table make tens of megabytes);
/// writing stops at the first piece `write` refuses. Returns an empty text
/// when every piece was taken; else what stopped the page: the rows could
/// not be packed (and nothing was written), or `write` refused a piece.
std::string InteractivePage(const SimulationState& state, PlotBox& plot, const DrawingSurface& surface,
                            int width, int height, const std::function<bool(std::string_view piece)>& write);
