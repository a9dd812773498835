#include "animation/publication_paint.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "animation/drawing_routines.h"
#include "animation/plot_notes.h"
#include "animation/tick_damage.h"
#include "animation/trail_fade.h"
#include "base/format.h"
#include "plot/axis_ticks.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"
#include "simulation/simulation_state.h"

namespace {

constexpr ColourRef kWhite = 0xFFFFFF, kInk = 0x262626, kGridColour = 0xE4E4E4, kZeroLineColour = 0x9A9A9A;
constexpr ColourRef kLegendEdge = 0xC8C8C8, kSunEdge = 0x0090B0;

/// Sizes derived from the text size, in pixels of the view.
struct Metrics {
    double font = 12;
    double lineHeight = 14;  ///< the height of a line of text
    double pad = 4;          ///< between a label and what it labels
    double tick = 5;         ///< tick mark length
};

Metrics MetricsFor(const DrawingSurface& surface, double font) {
    Metrics m;
    m.font = font;
    m.lineHeight = surface.TextExtent("0", font).y;
    m.pad = 0.4 * font;
    m.tick = 0.5 * font;
    return m;
}

/// The axes' round ticks for the box the plot shows.
struct Ticks {
    AxisTicks x, y;
};

Ticks TicksOf(const PlotBox& plot) {
    return {ChooseTicks(plot.xMin, plot.xMax), ChooseTicks(plot.yMin, plot.yMax)};
}

double WidestLabel(const DrawingSurface& surface, const AxisTicks& ticks, double font) {
    double widest = 0;
    for (const double v : ticks.values)
        widest = std::max(widest, surface.TextExtent(TickLabel(v, ticks.decimals), font).x);
    return widest;
}

/// The box's device rectangle for the view: room for the y labels on the
/// left, the x labels under it, the axis titles and the title.
struct Margins {
    double left, top, right, bottom;
};

Margins MarginsFor(const SimulationState& s, const DrawingSurface& surface, const Metrics& m,
                   double yLabels) {
    const bool titles = !s.lengthUnit.empty();
    Margins g{};
    g.left = m.pad + yLabels + m.pad + (titles ? m.lineHeight + m.pad : 0);
    g.bottom = m.pad + m.lineHeight + m.pad + (titles ? m.lineHeight + m.pad : 0);
    g.top = s.plotTitle.empty() ? m.lineHeight * 0.8 : m.lineHeight + 2 * m.pad;
    // Half the widest x label may stand past the box's right edge.
    g.right = std::max(m.lineHeight, surface.TextExtent("-0.000", m.font).x / 2 + m.pad);
    return g;
}

/// Maps the plot onto the view less the margins, keeping its viewport.
void MapInside(PlotBox& plot, int width, int height, const Margins& g) {
    const int saved[] = {plot.leftPct, plot.topPct, plot.rightPct, plot.bottomPct};
    plot.leftPct = 0, plot.topPct = 0, plot.rightPct = 100, plot.bottomPct = 100;
    const int left = int(std::lround(g.left)), top = int(std::lround(g.top));
    const int right = std::max(left + 1, width - int(std::lround(g.right)));
    const int bottom = std::max(top + 1, height - int(std::lround(g.bottom)));
    // The viewport spans the whole rectangle, whose corner the mapping
    // then moves to.
    plot.ComputeMapping(left, top, right, bottom);
    plot.xOffset -= left;
    plot.yOffset -= top;
    plot.leftPct = saved[0], plot.topPct = saved[1], plot.rightPct = saved[2], plot.bottomPct = saved[3];
}

struct BoxF {
    double left, top, right, bottom;
};

BoxF BoxOf(const PlotBox& plot) {
    const DeviceRect r = plot.BoxCorners();
    return {double(r.left), double(r.top), double(r.right), double(r.bottom)};
}

void Line(DrawingSurface& surface, ViewPoint a, ViewPoint b, ColourRef colour, double width) {
    const ViewPoint points[] = {a, b};
    surface.StrokePolyline(points, 2, colour, width);
}

void DrawGridAndZeroLines(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface,
                          const BoxF& box, const Ticks& ticks) {
    if (s.look.grid) {
        for (const double v : ticks.x.values) {
            const double x = plot.MapExact(v, 0).x;
            Line(surface, {x, box.top}, {x, box.bottom}, kGridColour, 0.8);
        }
        for (const double v : ticks.y.values) {
            const double y = plot.MapExact(0, v).y;
            Line(surface, {box.left, y}, {box.right, y}, kGridColour, 0.8);
        }
    }
    if (!s.drawAxes) return;
    const ViewPoint origin = plot.MapExact(0, 0);
    if (plot.xMin <= 0 && 0 <= plot.xMax)
        Line(surface, {origin.x, box.top}, {origin.x, box.bottom}, kZeroLineColour, 1);
    if (plot.yMin <= 0 && 0 <= plot.yMax)
        Line(surface, {box.left, origin.y}, {box.right, origin.y}, kZeroLineColour, 1);
}

/// Rows from `row` to the body's row, what a faded stretch goes by.
int64_t Distance(int64_t row, int64_t position) { return row >= position ? row - position : position - row; }

/// Strokes, of the line through `points`, only the runs of segments that
/// can show on a surface being drawn again in a few tiles: where trails
/// wind over each other, a tile is crossed by many lines, of which only a
/// segment or two each touch it.
void StrokeShownSegments(DrawingSurface& surface, const ViewPoint* points, std::size_t count,
                         ColourRef colour, double width) {
    std::size_t runStart = SIZE_MAX;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        const ViewPoint a = points[i], b = points[i + 1];
        const bool shows = surface.Shows(std::min(a.x, b.x) - width, std::min(a.y, b.y) - width,
                                         std::max(a.x, b.x) + width, std::max(a.y, b.y) + width);
        if (shows && runStart == SIZE_MAX) runStart = i;
        if (!shows && runStart != SIZE_MAX) {
            surface.StrokePolyline(points + runStart, i + 1 - runStart, colour, width);
            runStart = SIZE_MAX;
        }
    }
    if (runStart != SIZE_MAX) surface.StrokePolyline(points + runStart, count - runStart, colour, width);
}

void DrawTrails(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface) {
    if (!s.drawOrbits) return;
    const auto [first, last] = TrailRowSpan(s);
    if (first >= last) return;
    const double width = std::max(0.1, s.look.lineWidth);
    const bool fade = s.fadeTrails != 0;
    // Faded trails, and lines on a raster, are drawn in pieces that start at
    // fixed rows (multiples of the piece's length), so that a repaint of a
    // few tiles draws each piece as the full paint did: a faded piece takes
    // one colour, and pieces that cannot show are passed over.
    const int64_t piece = fade ? std::max<int64_t>(4, (last - first) / 48) : surface.piecewise() ? 32 : 0;
    std::vector<ViewPoint> points(std::size_t(last - first));
    for (int body = 1; body <= s.usableBodies(); ++body) {
        const ColourRef colour = s.bodyColour[std::size_t(body)];
        const double* xy = s.rows->track(body, int32_t(first));
        for (std::size_t i = 0; i < points.size(); ++i, xy += 2) points[i] = plot.MapExact(xy[0], xy[1]);
        for (const auto& [begin, end] : TrailRuns(points.data(), points.size())) {
            for (std::size_t from = begin; from + 1 < end;) {
                std::size_t to = end;
                if (piece > 0) {
                    const int64_t row = first + int64_t(from);
                    to = std::min(end, std::size_t(row - row % piece + piece - first) + 1);
                }
                double left = points[from].x, right = left, top = points[from].y, bottom = top;
                for (std::size_t i = from + 1; i < to; ++i) {
                    left = std::min(left, points[i].x), right = std::max(right, points[i].x);
                    top = std::min(top, points[i].y), bottom = std::max(bottom, points[i].y);
                }
                if (surface.Shows(left - width, top - width, right + width, bottom + width)) {
                    const int64_t middle = first + int64_t(from + to - 1) / 2;
                    const ColourRef shade =
                        fade ? FadedColour(colour, kWhite, Distance(middle, s.position), s.pointsPerOrbit)
                             : colour;
                    if (surface.partial())
                        StrokeShownSegments(surface, points.data() + from, to - from, shade, width);
                    else
                        surface.StrokePolyline(points.data() + from, to - from, shade, width);
                }
                from = to - 1;  // the next piece starts where this one ends
            }
        }
    }
}

void DrawDiscs(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface) {
    if (s.sunSize > 0) surface.FillCircle(plot.MapExact(0, 0), s.sunSize + 0.5, kSunColour, kSunEdge, 0.8);
    if (!s.drawPlanets || s.position < 0 || s.position >= s.usableRows()) return;
    for (int body = 1; body <= s.usableBodies(); ++body) {
        const double* xy = s.rows->track(body, s.position);
        if (plot.IsOutside(xy[0], xy[1])) continue;
        const int radius = s.bodySize[std::size_t(body)];
        if (radius < 0) continue;
        surface.FillCircle(plot.MapExact(xy[0], xy[1]), radius + 0.5, s.bodyColour[std::size_t(body)], 0, 0);
    }
}

/// The frame, the ticks pointing in on all four sides, and the labels of
/// the bottom and left edges, every one inside the view and none over
/// another.
void DrawFrameAndLabels(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface,
                        const BoxF& box, const Ticks& ticks, const Metrics& m, int width, int height) {
    const double ink = std::max(1.0, m.font / 14);
    for (const double v : ticks.x.values) {
        const double x = plot.MapExact(v, 0).x;
        Line(surface, {x, box.bottom}, {x, box.bottom - m.tick}, kInk, ink);
        Line(surface, {x, box.top}, {x, box.top + m.tick}, kInk, ink);
    }
    for (const double v : ticks.y.values) {
        const double y = plot.MapExact(0, v).y;
        Line(surface, {box.left, y}, {box.left + m.tick, y}, kInk, ink);
        Line(surface, {box.right, y}, {box.right - m.tick, y}, kInk, ink);
    }
    const ViewPoint frame[] = {{box.left, box.top},
                               {box.right, box.top},
                               {box.right, box.bottom},
                               {box.left, box.bottom},
                               {box.left, box.top}};
    surface.StrokePolyline(frame, 5, kInk, ink);

    const TextStyle label{.size = m.font, .colour = kInk, .anchor = TextStyle::TopCentre};
    std::vector<double> centres, widths;
    std::vector<std::string> texts;
    for (const double v : ticks.x.values) {
        texts.push_back(TickLabel(v, ticks.x.decimals));
        widths.push_back(surface.TextExtent(texts.back(), m.font).x);
        centres.push_back(ClampLabel(plot.MapExact(v, 0).x, widths.back(), 0, width));
    }
    std::vector<bool> shown = LabelsShown(centres, widths, m.pad * 2);
    // The x labels' room, which a y label near the bottom corner gives way to.
    double xLabelsLeft = width, xLabelsRight = 0;
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (shown[i]) {
            surface.DrawText({centres[i], box.bottom + m.pad}, texts[i], label);
            xLabelsLeft = std::min(xLabelsLeft, centres[i] - widths[i] / 2);
            xLabelsRight = std::max(xLabelsRight, centres[i] + widths[i] / 2);
        }
    centres.clear(), widths.clear(), texts.clear();
    for (const double v : ticks.y.values) {
        texts.push_back(TickLabel(v, ticks.y.decimals));
        widths.push_back(m.lineHeight);
        centres.push_back(ClampLabel(plot.MapExact(0, v).y, m.lineHeight, 0, height));
    }
    shown = LabelsShown(centres, widths, m.pad);
    TextStyle left = label;
    left.anchor = TextStyle::MiddleRight;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const double labelWidth = surface.TextExtent(texts[i], m.font).x;
        const bool meetsXLabels = centres[i] + m.lineHeight / 2 > box.bottom + m.pad &&
                                  box.left - m.pad > xLabelsLeft &&
                                  box.left - m.pad - labelWidth < xLabelsRight;
        if (shown[i] && !meetsXLabels) surface.DrawText({box.left - m.pad, centres[i]}, texts[i], left);
    }

    if (!s.lengthUnit.empty()) {
        TextStyle title = label;
        title.anchor = TextStyle::BottomCentre;
        surface.DrawText({(box.left + box.right) / 2, height - m.pad}, "x [" + s.lengthUnit + "]", title);
        title.anchor = TextStyle::TopCentre;
        title.upwards = true;
        surface.DrawText({m.pad, (box.top + box.bottom) / 2}, "y [" + s.lengthUnit + "]", title);
    }
    if (!s.plotTitle.empty()) {
        TextStyle title = label;
        title.anchor = TextStyle::BottomCentre;
        surface.DrawText({(box.left + box.right) / 2, box.top - m.pad}, s.plotTitle, title);
    }
}

/// The legend's size and its distance from the box's edges.
struct Legend {
    int named = 0;  ///< 0: no legend (no names, or no room in the box)
    double width = 0, height = 0, disc = 0, row = 0;
    int inset = 0;
};

Legend LegendOf(const SimulationState& s, const PlotBox& plot, const DrawingSurface& surface,
                const Metrics& m) {
    Legend g;
    const int named = s.dataLoaded ? std::min<int>(int(s.bodyNames.size()), s.usableBodies()) : 0;
    if (named == 0) return g;
    g.disc = 0.3 * m.font, g.row = m.lineHeight * 1.1;
    double longest = 0;
    for (int k = 0; k < named; ++k)
        longest = std::max(longest, surface.TextExtent(s.bodyNames[std::size_t(k)], m.font).x);
    g.width = m.pad * 3 + 2 * g.disc + longest + m.pad, g.height = 2 * m.pad + named * g.row;
    g.inset = int(std::lround(m.pad * 1.5));
    const BoxF box = BoxOf(plot);
    if (box.right - box.left >= g.width + 2 * g.inset && box.bottom - box.top >= g.height + 2 * g.inset)
        g.named = named;
    return g;
}

/// Chooses the legend's corner for the plot's mapping and keeps it in the
/// plot, as a full paint does; repaints of a few tiles use the corner kept.
void PlaceLegend(const SimulationState& s, PlotBox& plot, const DrawingSurface& surface, const Metrics& m) {
    const Legend g = LegendOf(s, plot, surface, m);
    if (g.named == 0) return;
    plot.legendCorner = QuietestCorner(s, plot, int(std::ceil(g.width)), int(std::ceil(g.height)), g.inset);
}

/// The legend of the named bodies in the corner the plot keeps; the corner
/// it took, or -1 without one.
int DrawLegend(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface, const Metrics& m) {
    const Legend g = LegendOf(s, plot, surface, m);
    if (g.named == 0) return -1;
    const int named = g.named;
    const double disc = g.disc, row = g.row, width = g.width, height = g.height;
    const int w = int(std::ceil(width)), h = int(std::ceil(height));
    const int corner = std::clamp(plot.legendCorner, 0, 3);
    const DevicePoint at = BoxCorner(plot, corner, w, h, g.inset);
    surface.FillArea(at.x, at.y, at.x + width, at.y + height, kWhite);
    const ViewPoint edge[] = {{at.x + 0.5, at.y + 0.5},
                              {at.x + width - 0.5, at.y + 0.5},
                              {at.x + width - 0.5, at.y + height - 0.5},
                              {at.x + 0.5, at.y + height - 0.5},
                              {at.x + 0.5, at.y + 0.5}};
    surface.StrokePolyline(edge, 5, kLegendEdge, 1);
    const TextStyle text{.size = m.font, .colour = kInk, .anchor = TextStyle::MiddleLeft};
    for (int k = 1; k <= named; ++k) {
        const double y = at.y + m.pad + (k - 0.5) * row;
        const double x = at.x + m.pad * 1.5 + disc;
        surface.FillCircle({x, y}, disc, s.bodyColour[std::size_t(k)], 0, 0);
        surface.DrawText({x + disc + m.pad, y}, s.bodyNames[std::size_t(k - 1)], text);
    }
    return corner;
}

/// The time stamp in the box's top-left corner, or the bottom-left one when
/// the legend stands there.
void DrawClock(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface, const Metrics& m,
               int legendCorner) {
    if (!s.look.clock) return;
    const std::string text = ClockText(s);
    if (text.empty()) return;
    const ViewPoint extent = surface.TextExtent(text, m.font);
    const int w = int(std::ceil(extent.x + 2 * m.pad)), h = int(std::ceil(extent.y + m.pad));
    const int inset = int(std::lround(m.pad * 1.5));
    const DevicePoint at = BoxCorner(plot, legendCorner == 1 ? 3 : 1, w, h, inset);
    surface.FillArea(at.x, at.y, at.x + w, at.y + h, kWhite);
    surface.DrawText({at.x + m.pad, at.y + h / 2.0}, text,
                     {.size = m.font, .colour = kInk, .anchor = TextStyle::MiddleLeft});
}

/// Maps the plot inside margins that hold its labels. The left margin holds
/// the y labels, which follow from the box shown, which with equal aspect
/// follows from the margins: mapped twice.
void MapForLabels(const SimulationState& s, PlotBox& plot, const DrawingSurface& surface, const Metrics& m,
                  int width, int height) {
    MapInside(plot, width, height, MarginsFor(s, surface, m, surface.TextExtent("-0.00", m.font).x));
    MapInside(plot, width, height, MarginsFor(s, surface, m, WidestLabel(surface, TicksOf(plot).y, m.font)));
}

}  // namespace

double PublicationFontSize(const SimulationState& s, int width, int height) {
    if (s.look.fontSize > 0) return s.look.fontSize;
    return std::max(9.0, std::min(width, height) / 36.0);
}

std::string ClockText(const SimulationState& s) { return ClockTextAt(s, s.position); }

std::string ClockTextAt(const SimulationState& s, int32_t row) {
    const int rows = s.usableRows();
    if (row < 0 || row >= rows) return {};
    int decimals = 2;
    if (rows > 1) {
        const double dt = std::fabs(s.rows->time(1) - s.rows->time(0));
        if (dt > 0 && std::isfinite(dt)) {
            // The decimals that print the step exactly, but no more than one
            // past those that tell two rows apart.
            int exact = 0;
            for (double scaled = dt;
                 exact < 6 && std::fabs(scaled - std::round(scaled)) > 1e-9 * std::max(1.0, scaled);
                 scaled *= 10)
                ++exact;
            const int telling = std::clamp(int(std::ceil(-std::log10(dt) - 1e-9)), 0, 6) + 1;
            decimals = std::min(exact, telling);
        }
    }
    const std::string line = Format("t = %.*f", decimals, s.rows->time(row));
    return s.timeUnit.empty() ? line : line + " " + s.timeUnit;
}

std::vector<std::pair<std::size_t, std::size_t>> TrailRuns(const ViewPoint* p, std::size_t count) {
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    const auto step = [&](std::size_t i) {  // the step into point i, from i - 1, squared
        const double dx = p[i].x - p[i - 1].x, dy = p[i].y - p[i - 1].y;
        return dx * dx + dy * dy;
    };
    const auto finite = [&](std::size_t i) { return std::isfinite(p[i].x) && std::isfinite(p[i].y); };
    std::size_t begin = 0;
    const auto close = [&](std::size_t end) {
        if (end >= begin + 2) runs.emplace_back(begin, end);
        begin = end;
    };
    for (std::size_t i = 0; i < count; ++i) {
        if (!finite(i)) {
            close(i);
            begin = i + 1;
            continue;
        }
        if (i == begin) continue;
        const double d = step(i);
        const double before = i >= begin + 2 ? step(i - 1) : -1;
        const double after = i + 1 < count && finite(i + 1) ? step(i + 1) : -1;
        const double neighbour = std::max(before, after);
        if (neighbour >= 0 && d > 4 * 4 && d > 8 * 8 * neighbour) close(i);
    }
    close(count);
    return runs;
}

void MapPublicationView(const SimulationState& s, PlotBox& plot, const DrawingSurface& surface, int width,
                        int height) {
    const Metrics m = MetricsFor(surface, PublicationFontSize(s, width, height));
    MapForLabels(s, plot, surface, m, width, height);
    PlaceLegend(s, plot, surface, m);
}

void PaintPublicationView(const SimulationState& s, PlotBox& plot, DrawingSurface& surface, int width,
                          int height) {
    plot.AttachDC(&surface);
    surface.FillArea(0, 0, width, height, kWhite);
    const Metrics m = MetricsFor(surface, PublicationFontSize(s, width, height));
    MapForLabels(s, plot, surface, m, width, height);
    if (!surface.partial()) PlaceLegend(s, plot, surface, m);
    const Ticks ticks = TicksOf(plot);
    const BoxF box = BoxOf(plot);
    surface.ClipTo(box.left, box.top, box.right, box.bottom);
    DrawGridAndZeroLines(s, plot, surface, box, ticks);
    if (s.dataLoaded) DrawTrails(s, plot, surface);
    if (s.dataLoaded) DrawDiscs(s, plot, surface);
    const int legend = s.dataLoaded ? DrawLegend(s, plot, surface, m) : -1;
    if (s.dataLoaded) DrawClock(s, plot, surface, m, legend);
    surface.Unclip();
    DrawFrameAndLabels(s, plot, surface, box, ticks, m, width, height);
}

void MarkPublicationTick(const SimulationState& s, const PlotBox& plot, int width, int height,
                         std::pair<int64_t, int64_t> before, std::pair<int64_t, int64_t> after, int32_t from,
                         int32_t to, TickDamage& damage) {
    constexpr int64_t kMostRows = 256;  // beyond this a whole repaint costs less
    const auto changed = [](std::pair<int64_t, int64_t> a, std::pair<int64_t, int64_t> b) {
        // The rows of a outside b, as at most two spans.
        return std::array<std::pair<int64_t, int64_t>, 2>{
            {{a.first, std::min(a.second, b.first)}, {std::max(a.first, b.second), a.second}}};
    };
    int64_t rowsChanged = 0;
    std::vector<std::pair<int64_t, int64_t>> spans;
    for (const auto& [a, b] : {std::pair{before, after}, std::pair{after, before}})
        for (const auto& span : changed(a, b))
            if (span.first < span.second) {
                spans.push_back(span);
                rowsChanged += span.second - span.first;
            }
    if (s.fadeTrails || rowsChanged > kMostRows || !plot.enabled) {
        damage.MarkAll();
        return;
    }
    const auto mark = [&](double left, double top, double right, double bottom) {
        damage.Mark({SaturatingTrunc(std::floor(left)), SaturatingTrunc(std::floor(top)),
                     Clamp32(int64_t(SaturatingTrunc(std::ceil(right))) + 1),
                     Clamp32(int64_t(SaturatingTrunc(std::ceil(bottom))) + 1)});
    };
    const int64_t rows = s.usableRows();
    if (s.drawOrbits) {
        // A line's ends and the breaks at jumps near them may move too: two
        // rows either side.
        const double reach = s.look.lineWidth / 2 + 2;
        for (const auto& span : spans)
            for (int body = 1; body <= s.usableBodies(); ++body) {
                const int64_t lo = std::max<int64_t>(span.first - 3, 0), hi = std::min(span.second + 3, rows);
                for (int64_t r = lo; r + 1 < hi; ++r) {
                    const double* xy = s.rows->track(body, int32_t(r));
                    const ViewPoint a = plot.MapExact(xy[0], xy[1]), b = plot.MapExact(xy[2], xy[3]);
                    if (!(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) &&
                          std::isfinite(b.y)))
                        continue;
                    mark(std::min(a.x, b.x) - reach, std::min(a.y, b.y) - reach, std::max(a.x, b.x) + reach,
                         std::max(a.y, b.y) + reach);
                }
            }
    }
    if (s.drawPlanets)
        for (const int32_t row : {from, to}) {
            if (row < 0 || row >= rows) continue;
            for (int body = 1; body <= s.usableBodies(); ++body) {
                const double* xy = s.rows->track(body, row);
                if (plot.IsOutside(xy[0], xy[1])) continue;
                const ViewPoint c = plot.MapExact(xy[0], xy[1]);
                const double r = s.bodySize[std::size_t(body)] + 2.5;
                mark(c.x - r, c.y - r, c.x + r, c.y + r);
            }
        }
    if (s.look.clock) {
        // The stamp before and after, at the top left or the bottom left
        // (where it stands when the legend takes the top left). No
        // character of the face is wider than 0.7 of its size.
        const double font = PublicationFontSize(s, width, height);
        const std::size_t longest = std::max(ClockTextAt(s, from).size(), ClockTextAt(s, to).size());
        const double w = font * (1.6 + 0.7 * double(longest));
        const double h = font * 2.4;
        const DeviceRect box = plot.BoxCorners();
        mark(box.left, box.top, box.left + w, box.top + h);
        mark(box.left, box.bottom - h, box.left + w, box.bottom);
    }
}
