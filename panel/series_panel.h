#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plot/axes_frame.h"
#include "plot/plot_box.h"

struct SimulationState;
struct PanelSeries;
class DrawingSurface;

/// Where the parts of a panel of time series lie in a picture of `width` x
/// `height` pixels: one plot a kind of quantity, stacked, sharing the time
/// axis, each mapped onto its box with its y axis fitted to the values of
/// the rows in the span of time shown.
struct PanelLayout {
    int width = 0, height = 0;
    TextMetrics m;
    double from = 0, to = 0;             ///< the span of time shown
    int32_t firstRow = 0, lastRow = -1;  ///< the rows in it, [first, last]
    std::vector<PlotBox> plots;          ///< each plot's mapping, time across
    std::vector<ViewRect> boxes;         ///< each plot's box
    std::vector<double> scales;          ///< each plot's values are shown divided by this power of ten
    std::vector<double> wraps;           ///< each plot's angles at or above this are shown a turn less
    std::vector<std::string> titles;     ///< each plot's y title, with that power
    ViewRect legend;                     ///< where the legend starts, right of the plots
    int legendListed = 0;                ///< the lines it names; 0: no legend
};

/// Lays out the panel of `series` for a picture of `width` x `height` with
/// text of `font` pixels, as `surface` measures it: the span of time the
/// state's panel choice zooms to (all of it by default).
PanelLayout LayOutPanel(const SimulationState& state, const PanelSeries& series,
                        const DrawingSurface& surface, int width, int height, double font);

/// What a paint of the panel draws: everything; the picture under the
/// cursor (frames, labels, lines, legends); or only the cursor at the
/// playback's row with a dot on each line, which moves with every tick.
enum class PanelLayers { All, Under, Cursor };

/// Paints the panel laid out by `layout` in the publication look on a
/// smooth surface.
void PaintSeriesPanel(const SimulationState& state, const PanelSeries& series, const PanelLayout& layout,
                      DrawingSurface& surface, PanelLayers layers = PanelLayers::All);

/// The cursor's column at the playback's row, and how far either side of
/// it the cursor layer draws; the column is not a number when the row is
/// outside the span shown.
struct CursorSpan {
    double x = 0, reach = 0;
};
CursorSpan PanelCursor(const SimulationState& state, const PanelSeries& series, const PanelLayout& layout);

/// What the panel shows at (x, y): the time of the row nearest the time
/// under x, and the values there of the plot under y ("t = 3.01 yr ·
/// a [AU]: Mercury 0.387098, Venus 0.723332"); empty outside the plots.
std::string PanelReadout(const SimulationState& state, const PanelSeries& series, const PanelLayout& layout,
                         double x, double y);

/// The time at column `x` of the panel, within the span shown.
double PanelTimeAt(const PanelLayout& layout, double x);

/// The row whose time is nearest `time` among those computed; -1 without rows.
int32_t RowNearestTime(const SimulationState& state, const PanelSeries& series, double time);

/// The span of time shown after the wheel zooms by `factor` (below 1 in,
/// above 1 out) about `time`: within the rows' times, and not a number (all
/// of it) once it would reach past both ends.
std::pair<double, double> ZoomedSpan(const SimulationState& state, const PanelSeries& series, double from,
                                     double to, double time, double factor);

/// The font the panel under a view of `width` x `height` writes with: the view's.
double PanelFont(const SimulationState& state, int width, int height);
