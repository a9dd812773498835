#include <gtest/gtest.h>

#include <utility>

#include "animation/settings.h"
#include "animation/simulation_state.h"
#include "plot/plot_box.h"

namespace {

TEST(AnimationSettingsApply, StartRowMovesBackSoTheTrailFits) {
    SimulationState s;
    s.loaded().fields.lineCount = 1000;
    AnimationSettings a = AnimationSettingsOf(s);
    a.pointsPerOrbit = 100;
    a.startRow = 950;
    ApplyAnimationSettings(s, a);
    EXPECT_EQ(s.loaded().fields.startRow, 898);
    a.startRow = 899;  // its trail ends on the last row: kept
    ApplyAnimationSettings(s, a);
    EXPECT_EQ(s.loaded().fields.startRow, 899);
    a.startRow = 900;
    ApplyAnimationSettings(s, a);
    EXPECT_EQ(s.loaded().fields.startRow, 898);
    a.startRow = 5;
    a.pointsPerOrbit = 10000;
    ApplyAnimationSettings(s, a);
    EXPECT_EQ(s.loaded().fields.startRow, -9002);  // a trail longer than the data
    s.loaded().fields.lineCount = -2147483647 - 1;
    ApplyAnimationSettings(s, a);
    EXPECT_EQ(s.loaded().fields.startRow, -2147483647 - 1);
}

TEST(PositionSettingsApply, RowIsMovedIntoTheData) {
    SimulationState s;
    s.loaded().fields.lineCount = 1000;
    s.view.trailLength = 100;
    PositionSettings p = PositionSettingsOf(s);
    const std::pair<int, int> cases[] = {{-5, 0}, {1000, 899}, {1200, 899}, {999, 999}, {0, 0}};
    for (auto [typed, expected] : cases) {
        p.position = typed;
        ApplyPositionSettings(s, p);
        EXPECT_EQ(s.playback.position, expected) << typed;
    }
}

TEST(SettingsApply, ClampsKeepRowsForTheTrailOnlyWhenItReachesAhead) {
    // With a trail behind, the rows the playback reaches: up to the last one.
    struct Case {
        TrailMode mode;
        int typed, startRow, position;
    };
    const Case cases[] = {{TrailMode::Ahead, 1000, 898, 899},
                          {TrailMode::Both, 1000, 898, 899},
                          {TrailMode::Behind, 1000, 998, 999},
                          {TrailMode::Behind, 999, 999, 999}};
    for (const Case& c : cases) {
        SimulationState s;
        s.loaded().fields.lineCount = 1000;
        s.view.trailMode = c.mode;
        AnimationSettings a = AnimationSettingsOf(s);
        a.pointsPerOrbit = 100;
        a.startRow = c.typed;
        ApplyAnimationSettings(s, a);
        PositionSettings p = PositionSettingsOf(s);
        p.position = c.typed;
        ApplyPositionSettings(s, p);
        EXPECT_EQ(std::make_pair(s.loaded().fields.startRow, s.playback.position),
                  std::make_pair(c.startRow, c.position))
            << int(c.mode) << " " << c.typed;
    }
}

TEST(SettingsApply, ClampsUseTheRowsInTheTableNotARaisedCount) {
    SimulationState s;
    s.loaded().rows = AllocateTable(100, 3);
    s.loaded().fields.lineCount = 5000;  // a configuration read after the data promised more
    s.view.trailLength = 10;
    PositionSettings p = PositionSettingsOf(s);
    p.position = 300;
    ApplyPositionSettings(s, p);
    EXPECT_EQ(s.playback.position, 89);
    AnimationSettings a = AnimationSettingsOf(s);
    a.startRow = 95;
    ApplyAnimationSettings(s, a);
    EXPECT_EQ(s.loaded().fields.startRow, 88);
}

TEST(BoxSettingsApply, SquareBoxAndRepairs) {
    SimulationState s;
    PlotBox plot;
    BoxSettings b = BoxSettingsOf(s, plot);
    EXPECT_EQ(b.size, 2.0);
    b.inUse = 1;
    b.size = -3;
    ApplyBoxSettings(s, plot, b);
    EXPECT_EQ(s.view.squareBoxSize, 3);
    EXPECT_EQ(plot.xMin, -3);
    EXPECT_EQ(plot.yMax, 3);
    b.size = 0;
    ApplyBoxSettings(s, plot, b);
    EXPECT_EQ(plot.xMin, -2);
    EXPECT_EQ(plot.yMax, 2);

    plot.roundBox = 0;
    b = {0, 5, -1, 5, 4, 1};
    ApplyBoxSettings(s, plot, b);
    EXPECT_EQ((std::array<double, 4>{plot.xMin, plot.xMax, plot.yMin, plot.yMax}),
              (std::array<double, 4>{-2, 2, -1, 4}));
    b = {0, std::nan(""), 1, 2, std::nan(""), 1};
    ApplyBoxSettings(s, plot, b);
    EXPECT_EQ(plot.xMin, -2);
    EXPECT_EQ(plot.yMax, 2);
}

TEST(DialogFields, ParsingAndMessages) {
    EXPECT_EQ(ParseIntegerField(" 42 "), 42);
    EXPECT_EQ(ParseIntegerField("-7"), -7);
    EXPECT_EQ(ParseIntegerField("+7"), 7);
    for (const char* bad : {"", " ", "4 2", "12.5", "x", "99999999999", "--1"})
        EXPECT_FALSE(ParseIntegerField(bad).has_value()) << bad;
    EXPECT_EQ(ParseRealField(" -2.5e1 "), -25.0);
    EXPECT_EQ(ParseRealField("3"), 3.0);
    for (const char* bad : {"", "abc", "1.5x", "1 2", "-", "inf", "-Infinity", "nan", "1e999"})
        EXPECT_FALSE(ParseRealField(bad).has_value()) << bad;
    EXPECT_EQ(FormatRealField(0.1), "0.1");
    EXPECT_EQ(FormatRealField(1.0 / 3), "0.333333333333333");
    EXPECT_EQ(RangeMessage(1, 10000), "Please enter an integer between 1 and 10000.");
    EXPECT_TRUE(ShownChecked(2));
    EXPECT_FALSE(ShownChecked(5));
    EXPECT_FALSE(ShownChecked(-1));
}

}  // namespace
