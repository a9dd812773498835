// The publication look, drawn on a surface that records what it is asked to
// draw: the labels stay inside the picture and apart, the ticks lie on the
// frame, each trail is one line broken only at jumps, and the time stamp.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"
#include "publication/publication_paint.h"
#include "publication/trail_drafts.h"
#include "publication/trail_lines.h"
#include "smooth_recording_surface.h"
#include "test_support.h"

namespace {

using RecordingSurface = SmoothRecordingSurface;

struct PublicationPaint : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;

    void Load(int rows, int bodies, const std::string& box, const std::string& extra = {}) {
        InitialiseDefaults(state, plot);
        dir.write("run.dat", DataText(rows, bodies));
        const std::string config = ConfigText(dir.path() + "/run.dat", rows, bodies, 1, 10, 0, box) + extra;
        ASSERT_EQ(LoadSimulation(state, plot, host, dir.write("run.ovx", config)), 1);
        state.view.style = ViewStyle::Publication;
    }
};

bool Overlap(const RecordingSurface::Text& a, const RecordingSurface::Text& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST_F(PublicationPaint, LabelsStayInsideThePictureAndApartForEveryBoxAndShape) {
    Load(20, 2, "-2 -2 2 2", "names = alpha beta\nlength unit = AU\ntitle = A run\n");
    const double boxes[][4] = {{-2, -2, 2, 2},          {0.001, 0.002, 0.0013, 0.0025},
                               {1000.1, -5, 1000.2, 5}, {-3e7, -2e7, 4e7, 1e7},
                               {-123456, 7, 987654, 8}, {-1e-9, -1e-9, 1e-9, 1e-9}};
    const int sizes[][2] = {{400, 400}, {1920, 1080}, {300, 900}, {3840, 2160}};
    for (const auto& b : boxes)
        for (const auto& size : sizes)
            for (const int equal : {0, 1}) {
                plot.SetExactBox(b[0], b[1], b[2], b[3]);
                plot.equalAspect = equal;
                RecordingSurface surface;
                PaintPublicationView(state, plot, surface, size[0], size[1]);
                SCOPED_TRACE(::testing::Message()
                             << "box " << b[0] << "," << b[1] << "," << b[2] << "," << b[3] << " size "
                             << size[0] << "x" << size[1] << " equal " << equal);
                ASSERT_GE(surface.texts.size(), 8u);
                for (std::size_t i = 0; i < surface.texts.size(); ++i) {
                    const auto& t = surface.texts[i];
                    EXPECT_GE(t.left, -0.5) << t.text;
                    EXPECT_GE(t.top, -0.5) << t.text;
                    EXPECT_LE(t.right, size[0] + 0.5) << t.text;
                    EXPECT_LE(t.bottom, size[1] + 0.5) << t.text;
                    for (std::size_t j = 0; j < i; ++j)
                        EXPECT_FALSE(Overlap(t, surface.texts[j]))
                            << t.text << " over " << surface.texts[j].text;
                }
            }
}

TEST_F(PublicationPaint, WideBoxesWithEqualAspectKeepEveryLabelAndTitleInsideAndApart) {
    // Each box gives the y axis, once the margins take their room, ticks
    // with other decimals than the first guess of the margins gave.
    Load(20, 2, "-2 -2 2 2");
    for (const char* unit : {"", "AU"})
        for (double wide = 1.05; wide < 4; wide *= 1.07)
            for (const auto& [width, height] :
                 {std::pair{600, 600}, std::pair{900, 500}, std::pair{500, 700}}) {
                state.loaded().fields.lengthUnit = unit;
                plot.SetExactBox(-wide, -0.37, wide * 1.3, 0.41);
                plot.equalAspect = 1;
                RecordingSurface surface;
                PaintPublicationView(state, plot, surface, width, height);
                SCOPED_TRACE(::testing::Message()
                             << "unit '" << unit << "', x to " << wide << ", " << width << "x" << height);
                for (std::size_t i = 0; i < surface.texts.size(); ++i) {
                    const auto& t = surface.texts[i];
                    ASSERT_GE(t.left, -0.5) << t.text;
                    for (std::size_t j = 0; j < i; ++j)
                        ASSERT_FALSE(Overlap(t, surface.texts[j]))
                            << t.text << " over " << surface.texts[j].text;
                }
            }
}

TEST_F(PublicationPaint, TheAxisTitlesNameTheAxesOfThePlaneShown) {
    Load(20, 1, "-2 -2 2 2", "length unit = AU\n");
    const struct Case {
        TablePlane plane;
        bool threeD;
        const char *x, *y;
    } cases[] = {
        {TablePlane::XY, true, "x [AU]", "y [AU]"},
        {TablePlane::XZ, true, "x [AU]", "z [AU]"},
        {TablePlane::YZ, true, "y [AU]", "z [AU]"},
        {TablePlane::YZ, false, "x [AU]", "y [AU]"},  // a table of x and y only
    };
    for (const Case& c : cases) {
        state.loaded().fields.dataFormat = DataFormat::Table;
        state.loaded().fields.plane = c.plane;
        state.loaded().tableLayout.bodies = {{1, 2, c.threeD ? 3 : -1}};
        RecordingSurface surface;
        PaintPublicationView(state, plot, surface, 600, 400);
        std::vector<std::string> titles;
        for (const auto& t : surface.texts)
            if (t.text.find('[') != std::string::npos) titles.push_back(t.text);
        EXPECT_EQ(titles, (std::vector<std::string>{c.x, c.y})) << int(c.plane) << " " << c.threeD;
    }
}

TEST_F(PublicationPaint, TicksStandOnAllFourSidesOfTheFrameAtRoundValues) {
    Load(20, 1, "-2.29 -1 2.29 1");
    plot.equalAspect = 1;
    RecordingSurface surface;
    PaintPublicationView(state, plot, surface, 800, 600);
    const DeviceRect box = plot.BoxCorners();
    int bottom = 0, top = 0, left = 0, right = 0;
    for (const auto& line : surface.lines) {
        if (line.size() != 2) continue;
        const ViewPoint a = line[0], b = line[1];
        const bool vertical = a.x == b.x, horizontal = a.y == b.y;
        bottom += vertical && a.y == box.bottom && b.y < a.y && a.y - b.y < 20;
        top += vertical && a.y == box.top && b.y > a.y && b.y - a.y < 20;
        left += horizontal && a.x == box.left && b.x > a.x && b.x - a.x < 20;
        right += horizontal && a.x == box.right && b.x < a.x && a.x - b.x < 20;
    }
    EXPECT_EQ(bottom, top);
    EXPECT_EQ(left, right);
    for (const int count : {bottom, left}) {
        EXPECT_GE(count, 5);
        EXPECT_LE(count, 9);
    }
    // Equal aspect widens x: the labels are round values, not the box's ends.
    std::vector<std::string> labels;
    for (const auto& t : surface.texts) labels.push_back(t.text);
    EXPECT_NE(std::find(labels.begin(), labels.end(), "-2"), labels.end());
    EXPECT_EQ(std::find(labels.begin(), labels.end(), "-2.29"), labels.end());
}

TEST_F(PublicationPaint, EachTrailIsOneLineAndTheFontSizeOptionSizesEveryText) {
    Load(40, 2, "-60 -60 60 60", "names = alpha beta\ntime unit = yr\n");
    state.view.trailLength = 30;
    state.view.look.fontSize = 23;
    RecordingSurface surface;
    PaintPublicationView(state, plot, surface, 600, 600);
    int trails = 0;
    for (std::size_t i = 0; i < surface.lines.size(); ++i)
        if (surface.lineColours[i] == state.loaded().bodyColour[1] ||
            surface.lineColours[i] == state.loaded().bodyColour[2])
            trails += surface.lines[i].size() == 30;
    EXPECT_EQ(trails, 2);
    for (const auto& t : surface.texts) EXPECT_EQ(t.size, 23) << t.text;
    EXPECT_TRUE(std::any_of(surface.texts.begin(), surface.texts.end(),
                            [](const auto& t) { return t.text == "t = 0 yr"; }));
}

TEST_F(PublicationPaint, MarksGrowWithALargerViewAsTheTextDoesUnlessGivenInPixels) {
    Load(40, 2, "-60 -60 60 60");
    state.loaded().fields.sunSize = 5;
    const ColourRef body = state.loaded().bodyColour[1];
    const auto marks = [&](int width, int height) {
        RecordingSurface surface;
        PaintPublicationView(state, plot, surface, width, height);
        std::array<double, 4> found{};  // trail width, disc, sun, sun's outline
        for (std::size_t i = 0; i < surface.lines.size(); ++i)
            if (surface.lineColours[i] == body) found[0] = surface.lineWidths[i];
        for (const auto& c : surface.circles) {
            if (c.fill == body && c.radius > 1) found[1] = c.radius;  // not the legend's
            if (c.outline > 0) found[2] = c.radius, found[3] = c.outline;
        }
        return found;
    };
    const std::array<double, 4> at600 = marks(600, 600), small = marks(200, 300), video = marks(1920, 1080);
    const double radius = state.loaded().fields.bodySize[1] + 0.5;
    EXPECT_EQ(at600, (std::array<double, 4>{1.5, radius, 5.5, 0.8}));
    for (int i = 0; i < 4; ++i) {
        EXPECT_DOUBLE_EQ(video[std::size_t(i)], at600[std::size_t(i)] * 1.8);  // 1080 / 600
        EXPECT_DOUBLE_EQ(small[std::size_t(i)], at600[std::size_t(i)]);  // never below their size at 600
    }
    // Sizes given in pixels stay; the sun keeps growing.
    state.view.look.lineWidth = 2, state.view.look.discSize = 4;
    const std::array<double, 4> given = marks(1920, 1080);
    EXPECT_EQ(given[0], 2);
    EXPECT_EQ(given[1], 4);
    EXPECT_DOUBLE_EQ(given[2], video[2]);
}

TEST_F(PublicationPaint, TheLegendListsTwelveNamesAndCountsTheRest) {
    const struct {
        int bodies, names;
        const char* more;  // the last line, "" for none
    } cases[] = {{12, 12, ""}, {13, 13, "+1 more"}, {30, 20, "+8 more"}, {30, 5, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.bodies) + " bodies, " + std::to_string(c.names) + " names");
        std::string names = "names =";
        for (int k = 1; k <= c.names; ++k) names += " n" + std::to_string(k);
        Load(20, c.bodies, "-60 -60 60 60", names + "\n");
        RecordingSurface surface;
        PaintPublicationView(state, plot, surface, 800, 800);
        const auto shown = [&](const std::string& text) {
            return std::count_if(surface.texts.begin(), surface.texts.end(),
                                 [&](const auto& t) { return t.text == text; });
        };
        for (int k = 1; k <= c.names; ++k) EXPECT_EQ(shown("n" + std::to_string(k)), k <= 12 ? 1 : 0) << k;
        const auto more = std::find_if(surface.texts.begin(), surface.texts.end(),
                                       [](const auto& t) { return t.text.front() == '+'; });
        EXPECT_EQ(more == surface.texts.end() ? std::string() : more->text, c.more);
        // The count stands under the last name, in the legend's column of names.
        if (*c.more) {
            const auto last = std::find_if(surface.texts.begin(), surface.texts.end(),
                                           [](const auto& t) { return t.text == "n12"; });
            EXPECT_DOUBLE_EQ(more->left, last->left);
            EXPECT_GE(more->top, last->bottom);
        }
    }
}

TEST(PublicationLook, ALineBreaksAtAJumpAndAtAPointThatIsNotANumber) {
    const double nan = std::nan("");
    struct Case {
        const char* what;
        std::vector<ViewPoint> points;
        std::vector<std::pair<std::size_t, std::size_t>> runs;
    };
    const Case cases[] = {
        {"steady steps", {{0, 0}, {1, 0}, {2, 0}, {3, 0}}, {{0, 4}}},
        {"a jump", {{0, 0}, {1, 0}, {2, 0}, {300, 0}, {301, 0}, {302, 0}}, {{0, 3}, {3, 6}}},
        {"a jump at the end", {{0, 0}, {1, 0}, {2, 0}, {300, 0}}, {{0, 3}}},
        {"speeding up through a close pass", {{0, 0}, {1, 0}, {3, 0}, {7, 0}, {15, 0}, {31, 0}}, {{0, 6}}},
        {"small steps below a few pixels", {{0, 0}, {0.1, 0}, {0.2, 0}, {3, 0}, {3.1, 0}}, {{0, 5}}},
        {"not a number", {{0, 0}, {1, 0}, {nan, 0}, {3, 0}, {4, 0}}, {{0, 2}, {3, 5}}},
        {"a lone point between", {{0, 0}, {nan, 0}, {2, 0}, {nan, 1}, {4, 0}}, {}},
    };
    for (const Case& c : cases) EXPECT_EQ(TrailRuns(c.points.data(), c.points.size()), c.runs) << c.what;
}

TEST(PublicationLook, TheTimeStampTellsTwoRowsApart) {
    SimulationState s;
    s.loaded().rows = AllocateTable(3, 3);
    s.loaded().fields.lineCount = 3, s.loaded().fields.bodyCount = 1, s.loaded().columnCount = 3,
    s.loaded().dataLoaded = 1;
    const struct {
        double t0, t1;
        const char* unit;
        const char* shown;  // at row 1
    } cases[] = {{0, 0.01, "yr", "t = 0.01 yr"}, {8.2, 8.21, "", "t = 8.21"},
                 {0, 10, "d", "t = 10 d"},       {0, 0.25, "", "t = 0.25"},
                 {5, 5, "", "t = 5.00"},         {0, 1 / 73.05, "yr", "t = 0.014 yr"}};
    for (const auto& c : cases) {
        const double row[3][3] = {{c.t0, 0, 0}, {c.t1, 0, 0}, {c.t1 + 1, 0, 0}};
        for (int r = 0; r < 3; ++r) s.loaded().rows->Store(std::size_t(r) * 3, row[r], 3);
        s.loaded().fields.timeUnit = c.unit;
        s.playback.position = 1;
        EXPECT_EQ(ClockText(s), c.shown);
    }
    s.playback.position = 3;
    EXPECT_EQ(ClockText(s), "");
}

TEST(PublicationLook, KeptPointsBreakAtJumpsWhereverTheTrailStartsAndFollowTheMappingAndTheTable) {
    // One body stepping along x, jumping out at row 96 and back at row 150.
    constexpr int kRows = 200;
    SimulationState s;
    s.loaded().rows = AllocateTable(kRows, 3);
    s.loaded().fields.lineCount = kRows, s.loaded().fields.bodyCount = 1, s.loaded().columnCount = 3,
    s.loaded().dataLoaded = 1;
    std::vector<ViewPoint> points;
    for (int r = 0; r < kRows; ++r) {
        const double row[3] = {double(r), r + (r >= 96 && r < 150 ? 300.0 : 0.0), 0};
        s.loaded().rows->Store(std::size_t(r) * 3, row, 3);
        points.push_back({row[1], 0});
    }
    PlotBox plot;
    plot.xScale = 1, plot.yScale = -1;
    TrailLines lines;
    // Windows whose rows held start or end about the jumps.
    for (const auto& [first, last] :
         {std::pair<int64_t, int64_t>{97, 120}, {140, 150}, {150, 160}, {60, 96}, {128, 160}, {180, 200}}) {
        lines.Prepare(s, plot, first, last);
        for (int64_t r = first + 1; r < last; ++r) {
            const std::size_t i = std::size_t(r);
            const bool joins = StepJoins(&points[i - 2], points[i - 1], points[i],
                                         i + 1 < points.size() ? &points[i + 1] : nullptr);
            EXPECT_EQ(lines.joins(1, r), joins) << "row " << r << " of " << first << ".." << last;
            EXPECT_EQ(lines.joins(1, r), r != 96 && r != 150) << "row " << r;
        }
    }
    plot.xScale = 2;
    lines.Prepare(s, plot, 180, 200);
    EXPECT_EQ(lines.points(1, 190)->x, 380);
    const double moved[3] = {190, -5, 7};
    s.loaded().rows->Store(190 * 3, moved, 3);
    s.loaded().rows->set(0, 0, 0);  // a new version, as any change of values makes
    lines.Prepare(s, plot, 180, 200);
    EXPECT_EQ(lines.points(1, 190)->x, -10);
    EXPECT_EQ(lines.points(1, 190)->y, -7);
}

TEST(TrailDrafts, EveryRowLeftOutLiesWithinTheToleranceOfTheLineDrawnAndGapsStay) {
    // Body 1 on a finely sampled circle tilted out of xy, body 2 on an
    // ellipse of eccentricity 0.95 (sharp at pericentre), body 3 on a line
    // with rows not known.
    constexpr int kRows = 4000;
    constexpr double kTolerance = 1e-3, kNaN = std::numeric_limits<double>::quiet_NaN();
    const std::function<std::array<double, 3>(int)> paths[] = {
        [](int r) {
            const double u = 2 * std::numbers::pi * r / 1500;
            return std::array{std::cos(u), 0.8 * std::sin(u), 0.6 * std::sin(u)};
        },
        [](int r) {
            const double u = 2 * std::numbers::pi * r / 900, e = 0.95;  // eccentric anomaly, near enough
            return std::array{std::cos(u) - e, std::sqrt(1 - e * e) * std::sin(u), 0.1 * std::sin(u)};
        },
        [kNaN](int r) {
            const bool known = r % 1000 < 990 && r != 2500;
            return std::array{known ? r * 1e-3 : kNaN, 0.5 * r * 1e-3, 0.0};
        },
    };
    SimulationState state;
    LoadedSimulation& loaded = state.loaded();
    loaded.fields.lineCount = kRows, loaded.fields.bodyCount = 3;
    loaded.sizeBodyLists(3);
    loaded.columnCount = 7;
    loaded.rows = AllocateTable(kRows, 7);
    loaded.depth = AllocateDepth(kRows, 3);
    for (int r = 0; r < kRows; ++r) {
        loaded.rows->set(r, 0, r);
        for (int k = 1; k <= 3; ++k) {
            const auto p = paths[k - 1](r);
            loaded.rows->set(r, 2 * k - 1, p[0]), loaded.rows->set(r, 2 * k, p[1]);
            loaded.depth->writableTrack(k, r)[0] = p[2];
        }
    }
    loaded.dataLoaded = 1;
    const RunAt run(state);
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        const auto at = [&](int64_t r) { return paths[k - 1](int(r)); };
        const auto known = [&](int64_t r) { return std::isfinite(at(r)[0]); };
        const std::vector<int64_t> kept = TrailDrafts::ChooseRows(run, k, 100, kRows, kTolerance);
        ASSERT_GE(kept.size(), 2u);
        EXPECT_EQ(kept.front(), 100);
        EXPECT_EQ(kept.back(), kRows - 1);
        for (std::size_t i = 0; i + 1 < kept.size(); ++i)
            for (int64_t r = kept[i] + 1; r < kept[i + 1]; ++r) {
                ASSERT_TRUE(known(r) && known(kept[i]) && known(kept[i + 1])) << r;  // gaps stay gaps
                const auto p = at(r), a = at(kept[i]), b = at(kept[i + 1]);
                double t = 0, length = 0, squared = 0;
                for (int c = 0; c < 3; ++c)
                    t += (p[c] - a[c]) * (b[c] - a[c]), length += (b[c] - a[c]) * (b[c] - a[c]);
                t = std::clamp(t / length, 0.0, 1.0);
                for (int c = 0; c < 3; ++c) squared += std::pow(p[c] - a[c] - t * (b[c] - a[c]), 2);
                ASSERT_LE(std::sqrt(squared), kTolerance) << r;
            }
        // A smooth line keeps few of its rows.
        EXPECT_LT(kept.size(), std::size_t(kRows / 4));
    }
}

}  // namespace
