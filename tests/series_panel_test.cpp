// The panel of time series: which series it makes and how it keeps them
// as rows come, the spans of time it shows, and what it draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "animation/frame_view.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "panel/panel_series.h"
#include "panel/series_panel.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"
#include "simulation/orbit_elements.h"
#include "simulation/trajectory_table.h"
#include "smooth_recording_surface.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// Two bodies on circles of radius 1 and 2 about a sun of mu = 1, rows
/// every 0.05 from t = 0, with `rows` rows in use of the table's `capacity`.
void LoadCircles(SimulationState& s, int rows, int capacity) {
    s.loaded().rows = AllocateTable(capacity, 5);
    s.loaded().columnCount = 5;
    s.loaded().fields.bodyCount = 2;
    s.loaded().sizeBodyLists(2);
    s.loaded().fields.lineCount = rows;
    s.loaded().dataLoaded = 1;
    for (int r = 0; r < capacity; ++r) {
        const double t = 0.05 * r;
        const double row[5] = {t, std::cos(t), std::sin(t), 2 * std::cos(t / std::sqrt(8.0)),
                               2 * std::sin(t / std::sqrt(8.0))};
        s.loaded().rows->Store(std::size_t(r) * 5, row, 5);
    }
}

/// Whether two lists of values are equal, NaN where NaN is.
bool SameValues(const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!(a[i] == b[i] || (std::isnan(a[i]) && std::isnan(b[i])))) return false;
    return true;
}

TEST(PanelSeries, OnePlotAKindInTheListsOrderEachSeriesOnce) {
    SimulationState s;
    LoadCircles(s, 200, 200);
    s.loaded().fields.bodyNames = {"Inner", ""};
    s.loaded().fields.lengthUnit = "AU";
    s.view.panel.gm = 1;
    s.view.panel.list = "r,a:2,e:1,r:1,sep:1-2";
    PanelSeries series;
    ASSERT_TRUE(UpdatePanelSeries(s, series));
    EXPECT_EQ(series.problem, "");
    ASSERT_EQ(series.plots.size(), 4u);
    EXPECT_EQ(series.plots[0].title, "r [AU]");
    EXPECT_EQ(series.plots[0].lines.size(), 2u);  // r:1 asked twice is drawn once
    EXPECT_EQ(series.plots[1].title, "a [AU]");
    EXPECT_EQ(series.plots[2].title, "e");
    EXPECT_EQ(series.plots[3].title, "separation [AU]");
    EXPECT_EQ(series.lines[0].label, "Inner");
    EXPECT_EQ(series.lines[1].label, "body 2");
    EXPECT_EQ(series.lines.back().label, "Inner\u2013body 2");
    // The circles' elements, from rows far from the ends and at the ends.
    const std::vector<double>& a2 = series.lines[series.plots[1].lines[0]].values;
    ASSERT_EQ(a2.size(), 200u);
    for (const std::size_t r : {0u, 3u, 100u, 199u}) EXPECT_NEAR(a2[r], 2, 1e-6) << r;
    EXPECT_FALSE(UpdatePanelSeries(s, series)) << "nothing changed";

    // Without mu the elements' plots say what they need; a bad list is named.
    s.view.panel.gm.reset();
    ASSERT_TRUE(UpdatePanelSeries(s, series));
    EXPECT_EQ(series.plots[0].lack, "");
    EXPECT_NE(series.plots[1].lack, "");
    EXPECT_TRUE(std::isnan(series.lines[series.plots[1].lines[0]].values[100]));
    s.view.panel.list = "r:3";
    ASSERT_TRUE(UpdatePanelSeries(s, series));
    EXPECT_NE(series.problem.find("no body 3"), std::string::npos) << series.problem;
    EXPECT_TRUE(series.plots.empty());
}

TEST(PanelSeries, RowsAppendedExtendTheSeriesToWhatAFreshComputationGives) {
    SimulationState s;
    LoadCircles(s, 120, 300);
    s.view.panel.gm = 1;
    s.view.panel.list = "r:1,v:2,a,e:2,eps:1,sep:1-2";
    PanelSeries grown;
    UpdatePanelSeries(s, grown);
    const std::vector<double> before = grown.lines[1].values;
    for (const int rows : {121, 130, 300}) {
        s.loaded().fields.lineCount = rows;
        const uint64_t serial = grown.serial;
        ASSERT_TRUE(UpdatePanelSeries(s, grown));
        EXPECT_GT(grown.serial, serial);
        PanelSeries fresh;
        UpdatePanelSeries(s, fresh);
        ASSERT_EQ(grown.lines.size(), fresh.lines.size());
        for (std::size_t k = 0; k < fresh.lines.size(); ++k)
            EXPECT_TRUE(SameValues(grown.lines[k].values, fresh.lines[k].values)) << rows << " line " << k;
    }
    // The rows far from the old end kept their values.
    for (std::size_t r = 0; r + 7 < before.size(); ++r) EXPECT_EQ(grown.lines[1].values[r], before[r]) << r;

    // A longer run, past the rows the system's start is looked for in, is
    // extended in place: its values, their ratios and what is marked are
    // a fresh computation's to the bit.
    LoadCircles(s, 1100, 1500);
    s.loaded().fields.bodyMasses = {1e-3, 2e-3};
    s.view.panel.list = "a,e:2,energy,momentum";
    PanelSeries longer;
    UpdatePanelSeries(s, longer);
    const std::vector<double> ratios = longer.lines[2].ratios;
    for (const int rows : {1101, 1200, 1500}) {
        s.loaded().fields.lineCount = rows;
        ASSERT_TRUE(UpdatePanelSeries(s, longer));
        PanelSeries fresh;
        UpdatePanelSeries(s, fresh);
        for (std::size_t k = 0; k < fresh.lines.size(); ++k) {
            EXPECT_TRUE(SameValues(longer.lines[k].values, fresh.lines[k].values)) << rows << " line " << k;
            EXPECT_TRUE(SameValues(longer.lines[k].ratios, fresh.lines[k].ratios)) << rows << " line " << k;
            EXPECT_EQ(longer.lines[k].sampling.unsure, fresh.lines[k].sampling.unsure)
                << rows << " line " << k;
        }
    }
    for (std::size_t r = 0; r + kCheckRows < ratios.size(); ++r)
        EXPECT_EQ(longer.lines[2].ratios[r], ratios[r]) << r;
}

/// One body on an ellipse of e = 0.3 about a sun of mu = 1, its pericentre
/// on +x, `perOrbit` rows an orbit for `rows` rows.
void LoadEllipse(SimulationState& s, int rows, double perOrbit) {
    s.loaded().rows = AllocateTable(rows, 3);
    s.loaded().columnCount = 3, s.loaded().fields.bodyCount = 1, s.loaded().fields.lineCount = rows;
    s.loaded().sizeBodyLists(1);
    s.loaded().bodyColour[1] = 0x123456;
    s.loaded().dataLoaded = 1;
    const double e = 0.3;
    for (int r = 0; r < rows; ++r) {
        const double t = 2 * std::numbers::pi * r / perOrbit;
        double big = t;
        for (int i = 0; i < 50; ++i) big -= (big - e * std::sin(big) - t) / (1 - e * std::cos(big));
        const double row[3] = {t, std::cos(big) - e, std::sqrt(1 - e * e) * std::sin(big)};
        s.loaded().rows->Store(std::size_t(r) * 3, row, 3);
    }
    s.view.panel.gm = 1;
}

// The pericentre of an orbit on +x is at 0 degrees, some rows a hair below
// (359.9999999) and some above: the plot shows them together about 0, not
// spanning the circle.
TEST(SeriesPanel, AnglesAboutZeroAreShownTogetherNotAcrossTheCircle) {
    SimulationState s;
    LoadEllipse(s, 2000, 1000);
    s.view.panel.list = "omega:1";
    PanelSeries series;
    UpdatePanelSeries(s, series);
    const std::vector<double>& omega = series.lines[0].values;
    ASSERT_TRUE(std::any_of(omega.begin(), omega.end(), [](double w) { return w > 359; }));
    ASSERT_TRUE(std::any_of(omega.begin(), omega.end(), [](double w) { return w < 1; }));
    SmoothRecordingSurface surface;
    const PanelLayout layout = LayOutPanel(s, series, surface, 800, 400, 12);
    const PlotBox& plot = layout.plots[0];
    EXPECT_LT((plot.yMax - plot.yMin) * layout.scales[0], 1e-3);
    EXPECT_LT(plot.yMin, 0);
    EXPECT_GT(plot.yMax, 0);
    // Drawn as one line, no stroke across the plot at the turn.
    PaintSeriesPanel(s, series, layout, surface, PanelLayers::Under);
    std::size_t lines = 0;
    for (std::size_t k = 0; k < surface.lines.size(); ++k)
        lines += surface.lineColours[k] == 0x123456 && surface.lines[k].size() > 2;
    EXPECT_EQ(lines, 1u);
}

// Rows too far apart for the velocities: the values are drawn faded, the
// note says why and what would do, the y axis fits the values to be
// trusted, and the readout marks them.
TEST(SeriesPanel, ValuesNotToBeTrustedAreFadedAndTheNoteSaysWhy) {
    SimulationState s;
    LoadEllipse(s, 300, 60);
    s.view.panel.list = "a:1";
    PanelSeries series;
    UpdatePanelSeries(s, series);
    const PanelLine& a = series.lines[0];
    ASSERT_GT(a.sampling.unsure, 0);
    ASSERT_LT(a.sampling.unsure, a.sampling.values);
    EXPECT_NE(series.note.find("Faded: rows too far apart for differenced velocities"), std::string::npos)
        << series.note;
    EXPECT_NE(series.note.find("rows an orbit would do"), std::string::npos) << series.note;
    EXPECT_EQ(series.gmNote, "\u03bc = 1, as given");
    SmoothRecordingSurface surface;
    const PanelLayout layout = LayOutPanel(s, series, surface, 900, 400, 12);
    PaintSeriesPanel(s, series, layout, surface, PanelLayers::Under);
    bool faded = false;
    for (std::size_t k = 0; k < surface.lines.size(); ++k)
        faded = faded || (surface.lineColours[k] != 0x123456 && surface.lineColours[k] != kFrameInk &&
                          surface.lines[k].size() > 2);
    EXPECT_TRUE(faded);
    std::vector<std::string> texts;
    for (const auto& t : surface.texts) texts.push_back(t.text);
    EXPECT_NE(std::find(texts.begin(), texts.end(), series.gmNote), texts.end());
    // The axis fits the values to be trusted.
    double lo = 1e9, hi = -1e9;
    for (int32_t r = 0; r < 300; ++r)
        if (!a.unsure(r))
            lo = std::min(lo, a.values[std::size_t(r)]), hi = std::max(hi, a.values[std::size_t(r)]);
    EXPECT_LT((layout.plots[0].yMax - layout.plots[0].yMin) * layout.scales[0], 1.2 * (hi - lo) + 1e-9);
    int32_t row = 0;
    while (!a.unsure(row)) ++row;
    const ViewRect& box = layout.boxes[0];
    const std::string readout = PanelReadout(
        s, series, layout, layout.plots[0].MapExact(s.loaded().rows->time(row), 0).x, box.top + 5);
    EXPECT_NE(readout.find("(faded: rows too far apart)"), std::string::npos) << readout;
}

TEST(PanelSeries, InACentredFrameTheDistanceIsFromTheFramesCentre) {
    SimulationState s;
    LoadCircles(s, 100, 100);
    s.view.panel.list = "r:2,sep:1-2";
    PlotBox plot;
    ASSERT_EQ(ShowInFrame(s, plot, "centre:1"), "");
    PanelSeries series;
    UpdatePanelSeries(s, series);
    EXPECT_EQ(series.plots[0].title, "r from body 1");
    for (const int r : {0, 37, 99}) {
        const double* p1 = s.loaded().rows->track(1, r);
        const double* p2 = s.loaded().rows->track(2, r);
        const double apart = std::hypot(p2[0] - p1[0], p2[1] - p1[1]);
        EXPECT_NEAR(series.lines[0].values[std::size_t(r)], apart, 1e-12) << r;
        EXPECT_NEAR(series.lines[1].values[std::size_t(r)], apart, 1e-12) << r;
    }
    ASSERT_EQ(ShowInFrame(s, plot, "inertial"), "");
    UpdatePanelSeries(s, series);
    EXPECT_NEAR(series.lines[0].values[37], 2, 1e-12) << "back about the sun";
}

TEST(PanelSeries, SpansRowsAndZoomsKeepWithinTheTimes) {
    SimulationState s;
    LoadCircles(s, 101, 101);  // t = 0 to 5 by 0.05
    s.view.panel.list = "r:1";
    PanelSeries series;
    UpdatePanelSeries(s, series);
    const struct {
        double from, to;
        int first, last;
    } spans[] = {{0, 5, 0, 100}, {1, 2, 20, 40}, {1.01, 1.04, 21, 20}, {-3, 0.1, 0, 2}, {kNaN, kNaN, 0, 100}};
    for (const auto& c : spans) {
        const auto [first, last] = RowsInSpan(s, series, c.from, c.to);
        EXPECT_EQ(first, c.first) << c.from << ".." << c.to;
        EXPECT_EQ(last, c.last) << c.from << ".." << c.to;
    }
    const struct {
        double time;
        int row;
    } nearest[] = {{-1, 0}, {0.024, 0}, {0.026, 1}, {2.5, 50}, {99, 100}};
    for (const auto& c : nearest) EXPECT_EQ(RowNearestTime(s, series, c.time), c.row) << c.time;

    const struct {
        double from, to, time, factor;
        double wantFrom, wantTo;  // NaN: all of it
    } zooms[] = {
        {kNaN, kNaN, 2.5, 0.5, 1.25, 3.75},  // in about the middle
        {kNaN, kNaN, 0, 0.5, 0, 2.5},        // in about the start keeps the start
        {4, 5, 5, 2, 3, 5},                  // out at the end stays inside
        {1, 4, 2.5, 2, kNaN, kNaN},          // out past both ends: all of it
        {2, 2.01, 2, 0.1, 1.9005, 2.1005},   // no closer than four rows
    };
    for (const auto& z : zooms) {
        const auto [from, to] = ZoomedSpan(s, series, z.from, z.to, z.time, z.factor);
        if (std::isnan(z.wantFrom)) {
            EXPECT_TRUE(std::isnan(from) && std::isnan(to)) << from << ".." << to;
            continue;
        }
        EXPECT_NEAR(from, z.wantFrom, 1e-12) << z.from << ".." << z.to << " about " << z.time;
        EXPECT_NEAR(to, z.wantTo, 1e-12) << z.from << ".." << z.to << " about " << z.time;
    }
}

TEST(SeriesPanel, ManyRowsAColumnDrawTheirExtremesGapsBreakAndTheCursorLayerIsTheCursorAlone) {
    // One body whose distance swings fast between 1 and 3 over 100,000
    // rows, with a gap of rows that are not numbers.
    constexpr int kRows = 100000;
    SimulationState s;
    s.loaded().rows = AllocateTable(kRows, 3);
    s.loaded().columnCount = 3, s.loaded().fields.bodyCount = 1, s.loaded().fields.lineCount = kRows;
    s.loaded().sizeBodyLists(1);
    s.loaded().bodyColour[1] = 0x123456;
    s.loaded().dataLoaded = 1;
    for (int r = 0; r < kRows; ++r) {
        const double d = r >= 50000 && r < 50100 ? kNaN : 2 + std::sin(r * 0.37);
        const double row[3] = {double(r), d, 0};
        s.loaded().rows->Store(std::size_t(r) * 3, row, 3);
    }
    s.view.panel.list = "r:1";
    PanelSeries series;
    UpdatePanelSeries(s, series);
    SmoothRecordingSurface surface;
    const PanelLayout layout = LayOutPanel(s, series, surface, 800, 400, 12);
    ASSERT_EQ(layout.plots.size(), 1u);
    PaintSeriesPanel(s, series, layout, surface, PanelLayers::Under);
    std::vector<const std::vector<ViewPoint>*> drawn;
    for (std::size_t k = 0; k < surface.lines.size(); ++k)  // not the legend's swatch, of two points
        if (surface.lineColours[k] == 0x123456 && surface.lines[k].size() > 2)
            drawn.push_back(&surface.lines[k]);
    ASSERT_EQ(drawn.size(), 2u) << "broken once, at the gap";
    const PlotBox& plot = layout.plots[0];
    double top = 1e9, bottom = -1e9;
    std::size_t points = 0;
    for (const auto* line : drawn) {
        points += line->size();
        for (const ViewPoint& p : *line) top = std::min(top, p.y), bottom = std::max(bottom, p.y);
    }
    const double width = layout.boxes[0].right - layout.boxes[0].left;
    EXPECT_LE(double(points), 4 * (width + 2)) << "at most four points a column";
    // The extremes the rows reach are among the points drawn.
    double most = 0, least = 4;
    for (const double v : series.lines[0].values)
        if (std::isfinite(v)) most = std::max(most, v), least = std::min(least, v);
    EXPECT_DOUBLE_EQ(top, plot.MapExact(0, most).y);
    EXPECT_DOUBLE_EQ(bottom, plot.MapExact(0, least).y);

    // The values under the pointer: the row nearest the time there.
    const ViewRect& box = layout.boxes[0];
    const double at = plot.MapExact(12345, 0).x;
    EXPECT_EQ(PanelReadout(s, series, layout, at, (box.top + box.bottom) / 2),
              "t = 12345 \u00b7 r: body 1 " + Format("%.9g", series.lines[0].values[12345]));
    EXPECT_EQ(PanelReadout(s, series, layout, at, box.bottom + 1), "") << "under the plot";

    // The cursor layer: one line across the plots and a dot on the line.
    s.playback.position = 70000;
    SmoothRecordingSurface cursor;
    PaintSeriesPanel(s, series, layout, cursor, PanelLayers::Cursor);
    ASSERT_EQ(cursor.lines.size(), 1u);
    EXPECT_EQ(cursor.texts.size(), 0u);
    ASSERT_EQ(cursor.circles.size(), 1u);
    const CursorSpan span = PanelCursor(s, series, layout);
    EXPECT_DOUBLE_EQ(cursor.lines[0][0].x, span.x);
    EXPECT_DOUBLE_EQ(cursor.circles[0].centre.y, plot.MapExact(0, series.lines[0].values[70000]).y);
    // A row in the gap has no dot; a row outside the span shown, no cursor.
    s.playback.position = 50050;
    SmoothRecordingSurface inGap;
    PaintSeriesPanel(s, series, layout, inGap, PanelLayers::Cursor);
    EXPECT_EQ(inGap.circles.size(), 0u);
    s.view.panel.from = 0, s.view.panel.to = 1000;
    const PanelLayout zoomed = LayOutPanel(s, series, surface, 800, 400, 12);
    EXPECT_TRUE(std::isnan(PanelCursor(s, series, zoomed).x));
}

}  // namespace
