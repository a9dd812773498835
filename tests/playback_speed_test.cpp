// The speed in the data's own time: whether the rows are evenly spaced in
// time, the period and step chosen for a speed, and how the speed reads.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "animation/playback_commands.h"
#include "animation/playback_speed.h"
#include "animation/simulation_state.h"
#include "simulation/time_steps.h"
#include "simulation/trajectory_table.h"
#include "test_support.h"

namespace {

constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(TimeSteps, EvenlySpacedTimesAndTheirEdges) {
    struct Case {
        std::vector<double> times;
        std::optional<double> step;
    };
    const Case cases[] = {
        {{}, std::nullopt},
        {{3}, std::nullopt},  // one row has no step
        {{0, 2}, 2.0},
        {{-1, -0.5, 0, 0.5}, 0.5},
        {{0, 0.333333, 0.666667, 1}, 1.0 / 3},     // written to six digits: still even
        {{0, 1, 2.01, 3.03, 4.06}, std::nullopt},  // steps that grow by a percent drift away
        {{0, 1, 2, kNan}, std::nullopt},           // a time that is not a number
        {{0, 1, kInf, 3}, std::nullopt},           // nor an infinite one
        {{0, 1, 2, kInf}, std::nullopt},           // even as the last
        {{3, 2, 1, 0}, std::nullopt},              // time running backwards
        {{0, 2, 1, 3}, std::nullopt},              // two rows swapped
        {{5, 5, 5}, std::nullopt},                 // time standing still
        {{0, 1, 2, 3, 4, 5, 6, 7, 8, 1e6}, std::nullopt},
    };
    for (const Case& c : cases) {
        SimulationState s;
        LoadOneBody(s, c.times);
        const std::optional<double> step = RegularTimeStep(*s.loaded().rows, s.loaded().fields.lineCount);
        ASSERT_EQ(step.has_value(), c.step.has_value()) << testing::PrintToString(c.times);
        if (step) {
            EXPECT_NEAR(*step, *c.step, 1e-12) << testing::PrintToString(c.times);
        }
    }
}

TEST(TimeSteps, TheStateFindsTheStepAgainWhenTheRowsChange) {
    SimulationState s;
    EXPECT_EQ(s.loaded().regularTimeStep(), std::nullopt);  // no table
    std::vector<double> times;
    for (int r = 0; r < 1000; ++r) times.push_back(0.01 * r);
    times.back() = 50;
    LoadOneBody(s, times);
    EXPECT_EQ(s.loaded().regularTimeStep(), std::nullopt);
    s.loaded().fields.lineCount = 999;  // the row out of step is no longer in use
    ASSERT_TRUE(s.loaded().regularTimeStep().has_value());
    EXPECT_NEAR(*s.loaded().regularTimeStep(), 0.01, 1e-12);
    s.loaded().rows->set(500, 0, 6);  // a value stored: a new version
    EXPECT_EQ(s.loaded().regularTimeStep(), std::nullopt);
}

TEST(PlaybackSpeed, ReadsANumberOrRowsPerSecond) {
    struct Case {
        const char* text;
        std::optional<double> value;
        bool rows = false;
    };
    const Case cases[] = {
        {"0.5", 0.5, false},     {" 2.5e-3 ", 0.0025, false}, {"200r", 200, true},
        {"200 r", 200, true},    {"1e3rows", 1000, true},     {" 7 rows/s ", 7, true},
        {"0", std::nullopt},     {"-1", std::nullopt},        {"r", std::nullopt},
        {"", std::nullopt},      {"fast", std::nullopt},      {"1e400", std::nullopt},
        {"nan", std::nullopt},   {"0x10", std::nullopt},      {"2 yr/s", std::nullopt},
        {"5 r r", std::nullopt}, {"1e", std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<SpeedRequest> request = ParseSpeed(c.text);
        ASSERT_EQ(request.has_value(), c.value.has_value()) << c.text;
        if (!request) continue;
        EXPECT_EQ(request->value, *c.value) << c.text;
        EXPECT_EQ(request->rows, c.rows) << c.text;
    }
}

TEST(PlaybackSpeed, ChoosesThePeriodAndStepClosestToTheSpeed) {
    struct Case {
        double rowsPerSecond;
        SpeedChoice choice;
    };
    const Case cases[] = {
        {50, {20, 1}},                              // the classic timer
        {100, {10, 1}},                             // a step each 10 ms rather than two each 20
        {1000, {10, 10}},                           // not a tick each millisecond
        {150, {20, 3}},                             // exact, with the smallest step
        {75, {40, 3}},                              // exact only at 40 ms
        {1000.0 / 3, {12, 4}},                      // exact at 3 ms too, but calmer at 12
        {30, {33, 1}},                              // no exact choice within 50 ms: the closest, 30.3
        {20, {50, 1}},         {12.5, {80, 1}},     // slower: one row at a time
        {0.5, {2000, 1}},      {0.05, {10000, 1}},  // the slowest the settings take
        {1e7, {10, 100000}},                        // the largest step at 10 ms
        {5e7, {1, 50000}},                          // faster only below 10 ms, where the smaller step wins
        {1e9, {1, 100000}},                         // the fastest there is
    };
    for (const Case& c : cases) {
        const SpeedChoice choice = ChooseSpeed(c.rowsPerSecond);
        EXPECT_EQ(choice, c.choice) << c.rowsPerSecond << ": " << choice.delayMs << " ms, step "
                                    << choice.step;
    }
}

TEST(PlaybackSpeed, TheSpeedReadsAndIsSetInTheDataTimeWhenItsStepsAreEven) {
    std::vector<double> times;
    for (int r = 0; r < 500; ++r) times.push_back(0.01 * r);
    SimulationState s;
    LoadOneBody(s, times);
    s.playback.delayMs = 20;
    EXPECT_EQ(SpeedReadout(s), "0.5 time units/s");
    s.loaded().fields.timeUnit = "yr";
    EXPECT_EQ(SpeedReadout(s), "0.5 yr/s");
    s.playback.delayMs = 30;
    EXPECT_EQ(SpeedReadout(s), "0.333 yr/s");
    s.playback.step = 300;
    EXPECT_EQ(SpeedReadout(s), "100 yr/s");

    SetSpeed(s, {.value = 2});  // 200 rows a second
    EXPECT_EQ(std::pair(s.playback.delayMs, s.playback.step), std::pair(10, 2));
    EXPECT_EQ(SpeedReadout(s), "2 yr/s");
    SetSpeed(s, {.value = 25, .rows = true});
    EXPECT_EQ(std::pair(s.playback.delayMs, s.playback.step), std::pair(40, 1));
    EXPECT_EQ(SpeedReadout(s), "0.25 yr/s");

    s.loaded().rows->set(3, 0, 0.035);  // uneven: rows per second
    EXPECT_EQ(SpeedReadout(s), "25 rows/s");
    SetSpeed(s, {.value = 2});
    EXPECT_EQ(std::pair(s.playback.delayMs, s.playback.step), std::pair(500, 1));
    s.loaded().dataLoaded = 0;  // nothing to count time in
    EXPECT_EQ(SpeedUnit(s), "rows/s");
}

}  // namespace
