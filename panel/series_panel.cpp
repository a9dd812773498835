#include "panel/series_panel.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "animation/simulation_state.h"
#include "animation/trail_fade.h"
#include "base/format.h"
#include "panel/panel_series.h"
#include "plot/axis_ticks.h"
#include "plot/drawing_surface.h"
#include "publication/publication_paint.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr ColourRef kWhite = 0xFFFFFF, kCursorColour = 0x505050;

double TimeOf(const SimulationState& s, int32_t row) { return s.loaded().rows->time(row); }

/// The times of the first and the last row computed, or the least and the
/// greatest when the times go back somewhere.
std::pair<double, double> TimeRange(const SimulationState& s, const PanelSeries& series) {
    if (series.rows == 0 || !s.loaded().rows) return {0, 1};
    if (series.timesIncrease) return {TimeOf(s, 0), TimeOf(s, series.rows - 1)};
    double lo = TimeOf(s, 0), hi = lo;
    for (int32_t r = 1; r < series.rows; ++r)
        lo = std::min(lo, TimeOf(s, r)), hi = std::max(hi, TimeOf(s, r));
    return {lo, hi};
}

/// Whether a plot's values are angles round the circle, which it shows
/// where they gather (WrapOf).
bool Circular(QuantityKind kind) { return InfoOf(kind).circular; }

/// A value as the plot shows it: an angle at or above `wrap` a turn less.
double Shown(double value, double wrap) { return value >= wrap ? value - 360 : value; }

/// Where a plot of angles wraps: the angles at or above it are shown a
/// turn less, so that those gathered about 0 (359.9999999 beside
/// 0.0000001) lie together rather than spanning the circle; past the
/// circle's widest empty arc, found in degrees. Infinite (no wrap) when
/// the values leave no degree empty or gather within [0, 360) already.
double WrapOf(const PanelSeries& series, const PanelPlot& plot, int32_t first, int32_t last) {
    if (!Circular(plot.kind)) return INFINITY;
    std::array<bool, 360> held{};
    for (const std::size_t k : plot.lines) {
        const std::vector<double>& v = series.lines[k].values;
        for (int32_t r = first; r <= last && std::size_t(r) < v.size(); ++r)
            if (const double a = v[std::size_t(r)]; a >= 0 && a < 360) held[std::size_t(a)] = true;
    }
    // The widest run of empty degrees, round the circle.
    int best = 0, bestEnd = -1;
    for (int start = 0; start < 360; ++start) {
        if (held[std::size_t(start)] || !held[std::size_t((start + 359) % 360)]) continue;
        int length = 0;
        while (length < 360 && !held[std::size_t((start + length) % 360)]) ++length;
        if (length > best) best = length, bestEnd = start + length;
    }
    // Runs that reach past 360 leave the values within [0, 360) together.
    return best == 0 || bestEnd >= 360 ? INFINITY : double(bestEnd);
}

/// The y range of a plot's lines over rows [first, last] as shown (an
/// angle at or above `wrap` a turn less), widened a little so that the
/// lines clear the frame, and never narrower than the values' own
/// precision allows telling apart. A line's values to be trusted set it,
/// the others only for a line that has none in the span (whose values,
/// far off where they are, would leave the others flat).
std::pair<double, double> ValueRange(const PanelSeries& series, const PanelPlot& plot, int32_t first,
                                     int32_t last, double wrap) {
    double lo = INFINITY, hi = -INFINITY;
    for (const std::size_t k : plot.lines) {
        const PanelLine& line = series.lines[k];
        const int32_t end = std::min<int32_t>(last, int32_t(line.values.size()) - 1);
        bool trusted = false;
        for (int32_t r = first; r <= end && !trusted; ++r)
            trusted = std::isfinite(line.values[std::size_t(r)]) && !line.unsure(r);
        for (int32_t r = first; r <= end; ++r)
            if (const double v = Shown(line.values[std::size_t(r)], wrap);
                std::isfinite(v) && (!trusted || !line.unsure(r)))
                lo = std::min(lo, v), hi = std::max(hi, v);
    }
    if (!(lo <= hi)) return {0, 1};
    const double least = std::max(1e-9 * std::max(std::fabs(lo), std::fabs(hi)), 1e-300);
    if (hi - lo < least) {
        const double mid = lo / 2 + hi / 2;
        lo = mid - least / 2, hi = mid + least / 2;
    }
    const double margin = (hi - lo) * 0.05;
    return {lo - margin, hi + margin};
}

double LineWidth(const PanelLayout& layout) { return std::max(1.0, layout.m.font * 0.09); }

std::string TimeTitle(const SimulationState& s) {
    const std::string& unit = s.loaded().fields.timeUnit;
    return unit.empty() ? "t" : "t [" + unit + "]";
}

/// The notes above the plots, a line each: which mu when a plot's values
/// need it and where it comes from, then where the velocities come from
/// and which lines are faded.
std::vector<std::string> PanelNotes(const PanelSeries& series) {
    std::vector<std::string> notes;
    const bool needs = std::any_of(series.plots.begin(), series.plots.end(),
                                   [](const PanelPlot& p) { return NeedsGm(p.kind); });
    if (needs && std::isfinite(series.gm) && !series.gmNote.empty()) notes.push_back(series.gmNote);
    if (!series.note.empty()) notes.push_back(series.note);
    return notes;
}

/// The colour of the values not to be trusted: a third of the line's.
ColourRef FadedLine(ColourRef colour) { return FadedColour(colour, kWhite, 2, 2); }

/// `text`, cut short with an ellipsis to fit `width` pixels.
std::string Fitted(const DrawingSurface& surface, std::string text, double width, double font) {
    if (surface.TextExtent(text, font).x <= width) return text;
    while (!text.empty() && surface.TextExtent(text + "\u2026", font).x > width) {
        // The last character, its continuation bytes first.
        unsigned char last = 0;
        do {
            last = static_cast<unsigned char>(text.back());
            text.pop_back();
        } while (!text.empty() && (last & 0xC0) == 0x80);
    }
    return text + "\u2026";
}

/// How StrokeValues shows a line's values: an angle at or above `wrap` a
/// turn less (WrapOf), then divided by `scale`; with `trustedOnly`, those
/// not to be trusted left out.
struct Shaping {
    double scale = 1;
    double wrap = INFINITY;
    bool trustedOnly = false;
};

/// Strokes a line's values shaped by `shaping` over rows [first, last] in
/// runs broken where a value is not a number (or left out), and where an
/// angle goes round past the wrap. Where many rows fall on one column of
/// pixels, only the first, the least, the greatest and the last of them
/// are drawn to: the same pixels, at a cost set by the picture's width.
void StrokeValues(const SimulationState& s, const PlotBox& plot, const Shaping& shaping,
                  const PanelLine& line, int32_t first, int32_t last, DrawingSurface& surface,
                  ColourRef colour, double width) {
    const std::vector<double>& values = line.values;
    const bool circular = Circular(line.quantity.kind);
    double previous = kNaN;
    std::vector<ViewPoint> run;
    const auto flush = [&] {
        if (run.size() >= 2)
            surface.StrokePolyline(run.data(), run.size(), colour, width);
        else if (run.size() == 1)
            surface.FillCircle(run.front(), width, colour, 0, 0);
        run.clear();
    };
    struct Column {
        double x = kNaN;
        int32_t firstRow = 0, lowRow = 0, highRow = 0, lastRow = 0;
        ViewPoint first, low, high, last;
    } c;
    const auto emit = [&] {
        if (std::isnan(c.x)) return;
        const std::pair<int32_t, ViewPoint> points[] = {
            {c.firstRow, c.first},
            {std::min(c.lowRow, c.highRow), c.lowRow < c.highRow ? c.low : c.high},
            {std::max(c.lowRow, c.highRow), c.lowRow < c.highRow ? c.high : c.low},
            {c.lastRow, c.last}};
        int32_t previous = -1;
        for (const auto& [row, p] : points)
            if (row != previous) run.push_back(p), previous = row;
        c.x = kNaN;
    };
    for (int32_t r = first; r <= last && std::size_t(r) < values.size(); ++r) {
        const bool left = shaping.trustedOnly && line.unsure(r);
        const double shown = left ? kNaN : Shown(values[std::size_t(r)], shaping.wrap);
        const double v = shown / shaping.scale;
        const bool round = circular && std::fabs(shown - previous) > 180;
        previous = shown;
        if (!std::isfinite(v) || round) {
            emit();
            flush();
            if (!std::isfinite(v)) continue;
        }
        const ViewPoint p = plot.MapExact(TimeOf(s, r), v);
        const double column = std::floor(p.x);
        if (column == c.x) {
            if (p.y < c.low.y) c.low = p, c.lowRow = r;
            if (p.y > c.high.y) c.high = p, c.highRow = r;
            c.last = p, c.lastRow = r;
            continue;
        }
        emit();
        c = {column, r, r, r, r, p, p, p, p};
    }
    emit();
    flush();
}

/// The lines the legend names: one for each label and colour, in order.
std::vector<const PanelLine*> LegendLines(const PanelSeries& series) {
    std::vector<const PanelLine*> named;
    for (const PanelLine& line : series.lines) {
        if (line.label.empty()) continue;
        if (std::none_of(named.begin(), named.end(), [&](const PanelLine* l) {
                return l->label == line.label && l->colour == line.colour;
            }))
            named.push_back(&line);
    }
    return named;
}

std::string MoreText(int more) { return "+" + std::to_string(more) + " more"; }

/// The legend right of the plots, from the top of the first: a swatch and
/// a label a line, as many as fit.
void DrawLegend(const PanelSeries& series, const PanelLayout& layout, DrawingSurface& surface) {
    const TextMetrics& m = layout.m;
    const std::vector<const PanelLine*> named = LegendLines(series);
    const double row = m.lineHeight * 1.1, swatch = 1.2 * m.font;
    const double left = layout.legend.left, top = layout.legend.top;
    const TextStyle text{.size = m.font, .colour = kFrameInk, .anchor = TextStyle::MiddleLeft};
    for (int k = 0; k < layout.legendListed; ++k) {
        const double y = top + (k + 0.5) * row;
        const ViewPoint line[] = {{left, y}, {left + swatch, y}};
        surface.StrokePolyline(line, 2, named[std::size_t(k)]->colour, std::max(1.5, m.font * 0.15));
        surface.DrawText({left + swatch + m.pad, y}, named[std::size_t(k)]->label, text);
    }
    if (const int more = int(named.size()) - layout.legendListed; more > 0 && layout.legendListed > 0)
        surface.DrawText({left + swatch + m.pad, top + (layout.legendListed + 0.5) * row}, MoreText(more),
                         text);
}

/// What a plot whose values cannot be had says in its box.
std::string LackNote(const PanelPlot& plot) {
    if (NeedsMasses(plot.kind)) return "needs every body's mass: --masses, or a line \"masses = ...\"";
    return "needs \u03bc = GM: --gm, a line \"gm = ...\", or units AU with yr or d";
}

/// A whole number in superscript digits: "⁻¹²".
std::string Superscript(int n) {
    static const char* const kDigits[] = {"\u2070", "\u00b9", "\u00b2", "\u00b3", "\u2074",
                                          "\u2075", "\u2076", "\u2077", "\u2078", "\u2079"};
    std::string text = n < 0 ? "\u207b" : "";
    for (const char c : std::to_string(n < 0 ? -int64_t(n) : int64_t(n))) text += kDigits[c - '0'];
    return text;
}

void Line(DrawingSurface& surface, ViewPoint a, ViewPoint b, ColourRef colour, double width) {
    const ViewPoint points[] = {a, b};
    surface.StrokePolyline(points, 2, colour, width);
}

}  // namespace

double PanelFont(const SimulationState& s, int width, int height) {
    return PublicationFontSize(s, width, height);
}

PanelLayout LayOutPanel(const SimulationState& s, const PanelSeries& series, const DrawingSurface& surface,
                        int width, int height, double font) {
    PanelLayout layout;
    layout.width = width, layout.height = height;
    const TextMetrics m = layout.m = TextMetricsFor(surface, font);
    const auto [t0, t1] = TimeRange(s, series);
    const SeriesPanelChoice& choice = s.view.panel;
    layout.from = t0, layout.to = t1;
    if (choice.from < choice.to) layout.from = std::max(t0, choice.from), layout.to = std::min(t1, choice.to);
    if (!(layout.from < layout.to)) layout.from = t0 - 0.5, layout.to = t0 + 0.5;
    std::tie(layout.firstRow, layout.lastRow) = RowsInSpan(s, series, layout.from, layout.to);
    if (series.plots.empty()) return layout;

    // The y ranges first: the left margin holds the widest of their labels.
    std::vector<std::pair<double, double>> ranges;
    double labels = 0, titles = 0;
    for (const PanelPlot& plot : series.plots) {
        layout.wraps.push_back(WrapOf(series, plot, layout.firstRow, layout.lastRow));
        auto [lo, hi] = ValueRange(series, plot, layout.firstRow, layout.lastRow, layout.wraps.back());
        // Values far below or above one are shown in a power of ten, which
        // the title gives, so that the labels stay short.
        const double largest = std::max(std::fabs(lo), std::fabs(hi));
        const int power = largest > 0 && std::isfinite(largest) ? int(std::floor(std::log10(largest))) : 0;
        const bool scaled = power < -3 || power > 5;
        layout.scales.push_back(scaled ? std::pow(10.0, power) : 1.0);
        layout.titles.push_back(scaled ? plot.title + " \u00d710" + Superscript(power) : plot.title);
        lo /= layout.scales.back(), hi /= layout.scales.back();
        ranges.emplace_back(lo, hi);
        const AxisTicks ticks = ChooseTicks(lo, hi);
        for (const double v : ticks.values)
            labels = std::max(labels, surface.TextExtent(TickLabel(v, ticks.decimals), font).x);
        titles = std::max(titles, surface.TextExtent(layout.titles.back(), font).y);
    }
    const double left = m.pad + labels + m.pad + titles + m.pad;
    double right = std::max(m.lineHeight, surface.TextExtent("-0.000", font).x / 2 + m.pad);
    const std::size_t notes = PanelNotes(series).size();
    const double top = notes == 0 ? m.lineHeight * 0.8 : double(notes) * m.lineHeight + 2 * m.pad;
    const double bottom = m.pad + m.lineHeight + m.pad + surface.TextExtent(TimeTitle(s), font).y + m.pad;
    // The legend, right of the plots, lists as many lines as fit their height.
    if (const std::vector<const PanelLine*> named = LegendLines(series); !named.empty()) {
        const double row = m.lineHeight * 1.1;
        const int room = std::max(0, int((height - top - bottom) / row));
        const int all = int(named.size());
        layout.legendListed = all <= room ? all : std::max(0, room - 1);
        double longest =
            all > layout.legendListed ? surface.TextExtent(MoreText(all - layout.legendListed), font).x : 0;
        for (int k = 0; k < layout.legendListed; ++k)
            longest = std::max(longest, surface.TextExtent(named[std::size_t(k)]->label, font).x);
        const double wide = 1.2 * font + m.pad + longest;
        if (layout.legendListed > 0 && wide < width / 3.0) {
            layout.legend = {width - m.pad - wide, top, width - m.pad, top + row * (room)};
            right = std::max(right, wide + 3 * m.pad);
        } else {
            layout.legendListed = 0;
        }
    }
    const double gap = 2 * m.pad;
    const int n = int(series.plots.size());
    const double each = std::max(1.0, (height - top - bottom - gap * (n - 1)) / n);
    for (int k = 0; k < n; ++k) {
        const int boxLeft = int(std::lround(left)),
                  boxRight = std::max(boxLeft + 1, width - int(std::lround(right)));
        const int boxTop = int(std::lround(top + k * (each + gap)));
        const int boxBottom = std::max(boxTop + 1, int(std::lround(top + k * (each + gap) + each)));
        PlotBox plot;
        plot.SetExactBox(layout.from, ranges[std::size_t(k)].first, layout.to, ranges[std::size_t(k)].second);
        MapOnto(plot, boxLeft, boxTop, boxRight, boxBottom);
        const DeviceRect r = plot.BoxCorners();
        layout.boxes.push_back({double(r.left), double(r.top), double(r.right), double(r.bottom)});
        layout.plots.push_back(plot);
    }
    return layout;
}

void PaintSeriesPanel(const SimulationState& s, const PanelSeries& series, const PanelLayout& layout,
                      DrawingSurface& surface, PanelLayers layers) {
    const TextMetrics& m = layout.m;
    const double ink = std::max(1.0, m.font / 14);
    if (layers != PanelLayers::Cursor) {
        surface.FillArea(0, 0, layout.width, layout.height, kWhite);
        const TextStyle centred{.size = m.font, .colour = kFrameInk, .anchor = TextStyle::Centre};
        if (!series.problem.empty()) {
            surface.DrawText({layout.width / 2.0, layout.height / 2.0},
                             "Cannot plot " + series.madeFrom.list + ": " + series.problem, centred);
            return;
        }
        const AxisTicks timeTicks = ChooseTicks(layout.from, layout.to);
        const double gap = 2 * m.pad;
        for (std::size_t k = 0; k < layout.plots.size(); ++k) {
            const PlotBox& plot = layout.plots[k];
            const ViewRect& box = layout.boxes[k];
            const PanelPlot& p = series.plots[k];
            const AxisTicks yTicks = ChooseTicks(plot.yMin, plot.yMax);
            surface.ClipTo(box.left, box.top, box.right, box.bottom);
            if (s.view.look.grid) {
                for (const double v : timeTicks.values) {
                    const double x = plot.MapExact(v, 0).x;
                    Line(surface, {x, box.top}, {x, box.bottom}, kGridColour, 0.8);
                }
                for (const double v : yTicks.values) {
                    const double y = plot.MapExact(0, v).y;
                    Line(surface, {box.left, y}, {box.right, y}, kGridColour, 0.8);
                }
            }
            if (plot.yMin < 0 && 0 < plot.yMax) {
                const double y = plot.MapExact(0, 0).y;
                Line(surface, {box.left, y}, {box.right, y}, kZeroLineColour, 1);
            }
            // The values not to be trusted faded, under those that are.
            for (const bool trusted : {false, true})
                for (const std::size_t line : p.lines) {
                    const PanelLine& l = series.lines[line];
                    if (!trusted && l.sampling.unsure == 0) continue;
                    StrokeValues(s, plot, {layout.scales[k], layout.wraps[k], trusted}, l, layout.firstRow,
                                 layout.lastRow, surface, trusted ? l.colour : FadedLine(l.colour),
                                 LineWidth(layout));
                }
            surface.Unclip();
            if (!p.lack.empty())
                surface.DrawText({(box.left + box.right) / 2, (box.top + box.bottom) / 2}, LackNote(p),
                                 centred);
            const bool last = k + 1 == layout.plots.size();
            // A title longer than its plot is high is written across, in
            // the box's top-left corner.
            const std::string& title = layout.titles[k];
            const bool across = surface.TextExtent(title, m.font).x > box.bottom - box.top + gap;
            if (across) {
                const ViewPoint size = surface.TextExtent(title, m.font);
                const double left = box.left + ink + 1, top = box.top + ink + 1;
                surface.FillArea(left, top, left + size.x + 2 * m.pad, top + size.y, kWhite);
                surface.DrawText({left + m.pad, top}, title,
                                 {.size = m.font, .colour = kFrameInk, .anchor = TextStyle::TopLeft});
            }
            DrawAxesFrame(plot, surface, box, timeTicks, yTicks, m,
                          {.x = last ? TimeTitle(s) : std::string(),
                           .y = across ? std::string() : title,
                           .xLabels = last,
                           .band = {0, k == 0 ? 0 : box.top - gap / 2, double(layout.width),
                                    last ? double(layout.height) : box.bottom + gap / 2}});
        }
        DrawLegend(series, layout, surface);
        const std::vector<std::string> notes = PanelNotes(series);
        for (std::size_t k = 0; k < notes.size() && !layout.boxes.empty(); ++k) {
            const ViewRect& box = layout.boxes.front();
            const double bottom = box.top - m.pad - double(notes.size() - 1 - k) * m.lineHeight;
            surface.DrawText({box.right, bottom}, Fitted(surface, notes[k], box.right - m.pad, m.font),
                             {.size = m.font, .colour = kFrameInk, .anchor = TextStyle::BottomRight});
        }
    }
    if (layers == PanelLayers::Under || layout.boxes.empty() || !series.problem.empty()) return;
    const CursorSpan cursor = PanelCursor(s, series, layout);
    if (std::isnan(cursor.x)) return;
    Line(surface, {cursor.x, layout.boxes.front().top}, {cursor.x, layout.boxes.back().bottom}, kCursorColour,
         ink);
    const int32_t row = s.playback.position;
    for (std::size_t k = 0; k < layout.plots.size(); ++k)
        for (const std::size_t line : series.plots[k].lines) {
            const PanelLine& l = series.lines[line];
            const double v = Shown(l.values[std::size_t(row)], layout.wraps[k]) / layout.scales[k];
            const PlotBox& plot = layout.plots[k];
            if (!std::isfinite(v) || v < plot.yMin || v > plot.yMax) continue;
            surface.FillCircle(plot.MapExact(TimeOf(s, row), v), 0.25 * m.font,
                               l.unsure(row) ? FadedLine(l.colour) : l.colour, kWhite, 1);
        }
}

CursorSpan PanelCursor(const SimulationState& s, const PanelSeries& series, const PanelLayout& layout) {
    const int32_t row = s.playback.position;
    if (layout.plots.empty() || row < layout.firstRow || row > layout.lastRow || row >= series.rows)
        return {kNaN, 0};
    return {layout.plots.front().MapExact(TimeOf(s, row), 0).x, 0.25 * layout.m.font + 3};
}

std::string PanelReadout(const SimulationState& s, const PanelSeries& series, const PanelLayout& layout,
                         double x, double y) {
    constexpr std::size_t kMostValues = 6;
    for (std::size_t k = 0; k < layout.boxes.size(); ++k) {
        const ViewRect& box = layout.boxes[k];
        if (x < box.left || x > box.right || y < box.top || y > box.bottom) continue;
        const int32_t row = RowNearestTime(s, series, PanelTimeAt(layout, x));
        if (row < 0) return {};
        const PanelPlot& plot = series.plots[k];
        std::string text = ClockTextAt(s, row) + " \u00b7 " + plot.title + ":";
        for (std::size_t i = 0; i < plot.lines.size() && i < kMostValues; ++i) {
            const PanelLine& line = series.lines[plot.lines[i]];
            if (i > 0) text += ",";
            if (!line.label.empty()) text += " " + line.label;
            text += Format(" %.9g", line.values[std::size_t(row)]);
            if (line.unsure(row) && std::isfinite(line.values[std::size_t(row)]))
                text += std::isnan(line.ratios[std::size_t(row)]) ? " (faded: cannot be checked)"
                                                                  : " (faded: rows too far apart)";
        }
        if (plot.lines.size() > kMostValues) text += Format(", +%zu more", plot.lines.size() - kMostValues);
        return text;
    }
    return {};
}

double PanelTimeAt(const PanelLayout& layout, double x) {
    if (layout.plots.empty()) return layout.from;
    const double t = layout.plots.front().WorldX(x, layout.from);
    return std::clamp(t, layout.from, layout.to);
}

int32_t RowNearestTime(const SimulationState& s, const PanelSeries& series, double time) {
    const int32_t rows = series.rows;
    if (rows == 0 || !s.loaded().rows) return -1;
    int32_t best = 0;
    if (series.timesIncrease) {
        int32_t lo = 0, hi = rows - 1;
        while (lo < hi) {
            const int32_t mid = lo + (hi - lo) / 2;
            if (TimeOf(s, mid) < time)
                lo = mid + 1;
            else
                hi = mid;
        }
        best = lo;
        if (lo > 0 && std::fabs(TimeOf(s, lo - 1) - time) <= std::fabs(TimeOf(s, lo) - time)) best = lo - 1;
        return best;
    }
    for (int32_t r = 1; r < rows; ++r)
        if (std::fabs(TimeOf(s, r) - time) < std::fabs(TimeOf(s, best) - time)) best = r;
    return best;
}

std::pair<double, double> ZoomedSpan(const SimulationState& s, const PanelSeries& series, double from,
                                     double to, double time, double factor) {
    const auto [t0, t1] = TimeRange(s, series);
    if (!(from < to)) from = t0, to = t1;
    double a = time + (from - time) * factor, b = time + (to - time) * factor;
    if (b - a >= t1 - t0) return {kNaN, kNaN};
    // No closer than a few rows across.
    const double least = series.rows > 1 ? 4 * (t1 - t0) / (series.rows - 1) : 0;
    if (b - a < least) {
        const double mid = (a + b) / 2;
        a = mid - least / 2, b = mid + least / 2;
    }
    if (a < t0) b += t0 - a, a = t0;
    if (b > t1) a -= b - t1, b = t1;
    return {std::max(a, t0), b};
}
