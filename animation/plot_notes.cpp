#include "animation/plot_notes.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string>

#include "animation/simulation_state.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"

namespace {

/// Sizes in pixels of the legend, for text 7 pixels a character and 14 a line.
constexpr int kCharWidth = 7, kLineHeight = 14, kPadding = 4, kMaxDiscRadius = 5;
/// Positions of the data looked at when placing the legend, at most.
constexpr int64_t kSampledRows = 4000;

struct LegendLayout {
    int named = 0;  ///< bodies shown: those with a name
    int width = 0;  ///< pixels, border included
    int height = 0;
};

LegendLayout Layout(const SimulationState& s) {
    LegendLayout layout;
    layout.named = std::min<int>(int(s.loaded().fields.bodyNames.size()), s.loaded().usableBodies());
    std::size_t longest = 0;
    for (int k = 0; k < layout.named; ++k)
        longest = std::max(longest, s.loaded().fields.bodyNames[std::size_t(k)].size());
    layout.width = 2 * kPadding + 2 * kMaxDiscRadius + kPadding + int(longest) * kCharWidth + 2;
    layout.height = 2 * kPadding + layout.named * kLineHeight + 2;
    return layout;
}

/// The data's positions in each of the rectangles `areas`, over rows spread
/// through the data: each position is mapped once for all of them.
std::array<int64_t, 4> PositionsInside(const SimulationState& s, const PlotBox& plot,
                                       const std::array<DeviceRect, 4>& areas) {
    const auto [first, rows] = s.first().shownRowSpan();
    const int64_t stride = std::max<int64_t>(1, (rows - first) / kSampledRows);
    const int bodies = s.loaded().usableBodies();
    const TrajectoryTable& shown = *s.shownRows();
    std::array<int64_t, 4> count{};
    for (int64_t r = first; r < rows; r += stride)
        for (int k = 1; k <= bodies; ++k) {
            const double* xy = shown.track(k, int32_t(r));
            if (plot.IsOutside(xy[0], xy[1])) continue;
            const DevicePoint p = plot.Map(xy[0], xy[1]);
            for (std::size_t i = 0; i < areas.size(); ++i) {
                const DeviceRect& area = areas[i];
                count[i] += p.x >= area.left && p.x < area.right && p.y >= area.top && p.y < area.bottom;
            }
        }
    return count;
}

}  // namespace

DevicePoint BoxCorner(const PlotBox& plot, int corner, int width, int height, int inset) {
    const DeviceRect box = plot.BoxCorners();
    // A box too small to map keeps its corners at the ends of the pixel
    // range: the sums are made wide and held within it.
    const auto held = [](int64_t v) {
        return int(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
    };
    const int left = held(int64_t(box.left) + inset), right = held(int64_t(box.right) - inset - width);
    const int top = held(int64_t(box.top) + inset), bottom = held(int64_t(box.bottom) - inset - height);
    const DevicePoint corners[] = {{right, top}, {left, top}, {right, bottom}, {left, bottom}};
    return corners[std::clamp(corner, 0, 3)];
}

int QuietestCorner(const SimulationState& s, const PlotBox& plot, int width, int height, int inset) {
    if (!s.loaded().rows) return 0;
    const auto end = [](int from, int size) {
        return int(std::min<int64_t>(int64_t(from) + size, std::numeric_limits<int>::max()));
    };
    std::array<DeviceRect, 4> areas;
    for (int i = 0; i < 4; ++i) {
        const DevicePoint corner = BoxCorner(plot, i, width, height, inset);
        areas[std::size_t(i)] = {corner.x, corner.y, end(corner.x, width), end(corner.y, height)};
    }
    const std::array<int64_t, 4> hidden = PositionsInside(s, plot, areas);
    // Top right first: on a tie the usual place of a legend.
    return int(std::min_element(hidden.begin(), hidden.end()) - hidden.begin());
}

namespace {

void DrawLegend(const SimulationState& s, PlotBox& plot, DrawingSurface& surface, bool placeAnew) {
    const LegendLayout layout = Layout(s);
    if (layout.named == 0) return;
    const DeviceRect box = plot.BoxCorners();
    const int inset = 6;
    // Widened: a box with an infinite side spans the whole pixel range.
    if (int64_t(box.right) - box.left < layout.width + 2 * inset ||
        int64_t(box.bottom) - box.top < layout.height + 2 * inset)
        return;  // no room inside the box
    if (placeAnew || plot.legendCorner < 0 || plot.legendCorner > 3)
        plot.legendCorner = QuietestCorner(s, plot, layout.width, layout.height, inset);
    const DevicePoint at = BoxCorner(plot, plot.legendCorner, layout.width, layout.height, inset);
    const ColourRef previous = surface.SelectBrush(0xFFFFFF);
    surface.Rectangle(at.x, at.y, at.x + layout.width, at.y + layout.height);
    surface.SelectBrush(previous);
    for (int k = 1; k <= layout.named; ++k) {
        const int lineTop = at.y + 1 + kPadding + (k - 1) * kLineHeight;
        const int cx = at.x + 1 + kPadding + kMaxDiscRadius, cy = lineTop + kLineHeight / 2;
        const int radius = std::clamp(s.loaded().fields.bodySize[std::size_t(k)], 1, kMaxDiscRadius);
        // The disc goes through the plot's disc primitive, so every surface draws it its own way.
        if (plot.xScale != 0 && plot.yScale != 0)
            plot.PlotDisc(plot.WorldX(cx, 0), plot.WorldY(cy, 0), radius,
                          s.loaded().bodyColour[std::size_t(k)], 0);
        surface.TextOut(cx + kMaxDiscRadius + kPadding, lineTop - 1,
                        s.loaded().fields.bodyNames[std::size_t(k - 1)]);
    }
}

}  // namespace

bool ShowsFramedPlot(const SimulationState& s) { return s.view.fullWindowToggle % 2 == 0; }

void DrawPlotNotes(const SimulationState& s, PlotBox& plot, bool placeAnew) {
    DrawingSurface* surface = plot.deviceContext;
    if (!surface || !plot.enabled || !ShowsFramedPlot(s)) return;
    if (!s.loaded().fields.bodyNames.empty()) DrawLegend(s, plot, *surface, placeAnew);
    if (!s.loaded().fields.lengthUnit.empty()) {
        // Under the labels of the bottom edge, centred on the box.
        const DeviceRect box = plot.BoxCorners();
        const std::string text = "x, y in " + s.loaded().fields.lengthUnit;
        const int64_t x = (int64_t(box.left) + box.right) / 2 - int64_t(text.size()) * kCharWidth / 2;
        surface->TextOut(Clamp32(x), Clamp32(int64_t(box.bottom) + 3 + kLineHeight + 2), text);
    }
}
