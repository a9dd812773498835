#include <gtest/gtest.h>

#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "plot/plot_box.h"
#include "recording_surface.h"

namespace {

struct FrameFixture : ::testing::Test {
    PlotBox plot;
    RecordingSurface surface;

    void SetUp() override {
        plot.SetBox(-3, -3, 3, 3);
        plot.SetViewport(10, 10, 90, 90);
    }
    void Draw() { plot.Draw(&surface, 0, 0, 800, 600); }
};

TEST_F(FrameFixture, TickedFrameTicksAndLabels) {
    plot.axisStyle = 0;
    Draw();
    EXPECT_EQ(surface.callsStartingWith("Line"),
              (std::vector<std::string>{
                  "Line(80,540-80,546)", "Line(240,540-240,544)", "Line(400,540-400,546)",
                  "Line(560,540-560,544)", "Line(720,540-720,546)", "Line(80,540-72,540)",
                  "Line(80,480-75,480)", "Line(80,420-72,420)", "Line(80,360-75,360)", "Line(80,300-72,300)",
                  "Line(80,240-75,240)", "Line(80,180-72,180)", "Line(80,120-75,120)", "Line(80,60-72,60)"}));
    EXPECT_EQ(surface.callsStartingWith("Text"),
              (std::vector<std::string>{"Text(60,549,-3.00)", "Text(384,549,0.00)", "Text(704,549,3.00)",
                                        "Text(37,532,-3.00)", "Text(37,412,-1.50)", "Text(44,292,0.00)",
                                        "Text(44,172,1.50)", "Text(44,52,3.00)", "Text(400,40,)"}));
}

TEST_F(FrameFixture, CornerLabelsDoubleFrameAndFillOrder) {
    plot.axisStyle = 1;
    plot.fillColour = 0xF0F0F0;
    Draw();
    EXPECT_EQ(surface.calls,
              (std::vector<std::string>{"Rectangle(79,59,721,541 brush FFFFFF)",
                                        "Rectangle(80,60,720,540 brush FFFFFF)", "Text(80,543,-3.00)",
                                        "Text(384,543,0.00)", "Text(688,543,3.00)", "Text(42,524,-3.00)",
                                        "Text(49,292,0.00)", "Text(49,60,3.00)", "Text(400,43,)",
                                        "Rectangle(80,60,720,540 brush F0F0F0)"}));
    EXPECT_EQ(surface.brush, 0xFFFFFFu);  // the previous brush is put back
}

TEST_F(FrameFixture, TitlePositions) {
    plot.title = kStartupTitle;
    plot.axisStyle = 1;
    Draw();
    EXPECT_EQ(surface.callsStartingWith("Text").back(), std::string("Text(136,43,") + kStartupTitle + ")");
    surface.calls.clear();
    plot.axisStyle = 0;
    Draw();
    EXPECT_EQ(surface.callsStartingWith("Text").back(), std::string("Text(136,40,") + kStartupTitle + ")");
    surface.calls.clear();
    plot.axisStyle = 1;
    plot.title = "5 planet simulation";
    Draw();
    EXPECT_EQ(surface.callsStartingWith("Text").back(), "Text(324,43,5 planet simulation)");
}

TEST_F(FrameFixture, SwitchesLeaveOutTicksAndLabels) {
    plot.axisStyle = 0;
    plot.drawTicks = 0;
    Draw();
    EXPECT_TRUE(surface.callsStartingWith("Line").empty());
    EXPECT_EQ(surface.callsStartingWith("Text").size(), 1u);  // the title only
    surface.calls.clear();
    plot.drawTicks = 1;
    plot.drawLabels = 0;
    Draw();
    EXPECT_EQ(surface.callsStartingWith("Line").size(), 14u);
    EXPECT_EQ(surface.callsStartingWith("Text").size(), 1u);
    surface.calls.clear();
    plot.enabled = 0;
    Draw();
    EXPECT_TRUE(surface.calls.empty());
}

TEST_F(FrameFixture, DegenerateBoxesDrawWithoutTrouble) {
    plot.roundBox = 0;
    plot.axisStyle = 0;
    for (double edge : {1e300, 1e308, std::numeric_limits<double>::infinity(), std::nan("")}) {
        plot.SetBox(-edge, -edge, edge, edge);
        Draw();
    }
    plot.SetBox(1, 1, 1, 1);
    plot.xTickCount = 0;
    plot.yTickCount = -2;
    surface.calls.clear();
    Draw();
    EXPECT_TRUE(surface.callsStartingWith("Line").empty());
}

TEST(FormatLabel, Patterns) {
    int n = 0;
    EXPECT_EQ(FormatLabel(-0.5, 1, n), "-0.5");
    EXPECT_EQ(n, 4);
    EXPECT_EQ(FormatLabel(1.23456, 4, n), "1.235");
    EXPECT_EQ(n, 5);
    EXPECT_EQ(FormatLabel(2.5, 0, n), "2");
    EXPECT_EQ(FormatLabel(1.23456, 7, n), "1.23");
    EXPECT_EQ(FormatLabel(1.23456, -1, n), "1.23");
    EXPECT_EQ(FormatLabel(1e300, 2, n).size(), 304u);
}

}  // namespace
