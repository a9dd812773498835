#include "plot/axis_ticks.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

namespace {

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kInf = std::numeric_limits<double>::infinity();

/// Multiples of `step` in [lo, hi]; `slack` +1 also counts those a millionth
/// of a step outside, -1 only those that far inside.
int Count(double lo, double hi, double step, double slack) {
    return int(std::floor(hi / step + slack * 1e-6) - std::ceil(lo / step - slack * 1e-6)) + 1;
}

/// The double `ulps` doubles from v, toward +inf when positive.
double Nudged(double v, int ulps) {
    for (; ulps > 0; --ulps) v = std::nextafter(v, kInf);
    for (; ulps < 0; ++ulps) v = std::nextafter(v, -kInf);
    return v;
}

bool RoundTrips(const AxisTicks& ticks, int decimals) {
    for (double v : ticks.values)
        if (!(std::fabs(std::strtod(TickLabel(v, decimals).c_str(), nullptr) - v) <= 1e-9 * ticks.step))
            return false;
    return true;
}

void CheckTicks(double lo, double hi) {
    SCOPED_TRACE(testing::Message() << "[" << lo << ", " << hi << "]");
    const AxisTicks t = ChooseTicks(lo, hi);
    ASSERT_GE(t.values.size(), 5u);
    ASSERT_LE(t.values.size(), 9u);
    const double unit = std::pow(10.0, std::floor(std::log10(t.step) + 1e-9));
    const double mantissa = std::round(t.step / unit * 10) / 10;
    ASSERT_NEAR(t.step / unit, mantissa, 1e-9);
    ASSERT_TRUE(mantissa == 1 || mantissa == 2 || mantissa == 2.5 || mantissa == 5) << mantissa;
    for (std::size_t i = 0; i < t.values.size(); ++i) {
        EXPECT_TRUE(t.values[i] >= Nudged(lo, -4) && t.values[i] <= Nudged(hi, 4)) << t.values[i];
        EXPECT_NEAR(t.values[i] / t.step, std::round(t.values[i] / t.step), 1e-6);
        if (i > 0) {
            EXPECT_NEAR(t.values[i] - t.values[i - 1], t.step, 1e-6 * t.step);
        }
    }
    // Every multiple in the range is there.
    EXPECT_LE(Count(lo, hi, t.step, -1), int(t.values.size()));
    EXPECT_GE(Count(lo, hi, t.step, 1), int(t.values.size()));
    // No coarser round step gives 5 ticks; 2.5 only where a step of 2 gives 10.
    EXPECT_LT(Count(lo, hi, t.step * (mantissa == 2 ? 2.5 : 2), -1), 5) << "step " << t.step;
    if (mantissa == 2.5) {
        EXPECT_GE(Count(lo, hi, 0.8 * t.step, 1), 10);
    }
    // The decimals print every tick back, and no fewer would.
    EXPECT_EQ(t.decimals, std::max(0, int(-std::floor(std::log10(t.step) + 1e-9)) + (mantissa == 2.5)));
    EXPECT_TRUE(RoundTrips(t, t.decimals));
    if (t.decimals > 0) {
        EXPECT_FALSE(RoundTrips(t, t.decimals - 1));
    }
}

TEST(ChooseTicks, SweepOfLengthsAndOffsets) {
    for (int p = -20; p <= 20; p += 1)
        for (double length : {1.0, 1.7, 1.9, 2.2, 2.5, 3.3, 4.0, 4.99, 5.0, 7.2, 9.0, 9.99})
            for (double offset : {0.0, -0.5, -0.37, 3.0, -1234.5})
                CheckTicks(offset * length * std::pow(10.0, p), (offset + 1) * length * std::pow(10.0, p));
    const double ranges[][2] = {{1000.1, 1000.2}, {-3e7, -2e7},  {-1e-300, 3e-300},
                                {1e300, 9e300},   {-kMax, kMax}, {123456.7, 123456.75}};
    for (const auto& range : ranges) CheckTicks(range[0], range[1]);
}

TEST(ChooseTicks, ValuesAreTheDecimalMultiples) {
    struct Case {
        double lo, hi, step;
        int decimals;
        std::vector<double> values;
    };
    const Case cases[] = {
        {0, 1, 0.2, 1, {0, 0.2, 0.4, 0.6, 0.8, 1}},
        {1000.1, 1000.2, 0.02, 2, {1000.1, 1000.12, 1000.14, 1000.16, 1000.18, 1000.2}},
        {-0.3, 0.1, 0.1, 1, {-0.3, -0.2, -0.1, 0, 0.1}},
        {-3e7, -2e7, 2e6, 0, {-3e7, -2.8e7, -2.6e7, -2.4e7, -2.2e7, -2e7}},
        {0, 9.99, 2, 0, {0, 2, 4, 6, 8}},
        {0, 19, 2.5, 1, {0, 2.5, 5, 7.5, 10, 12.5, 15, 17.5}},
        {-0.01, 0.18, 0.025, 3, {0, 0.025, 0.05, 0.075, 0.1, 0.125, 0.15, 0.175}},
    };
    for (const Case& c : cases) {
        const AxisTicks t = ChooseTicks(c.lo, c.hi);
        EXPECT_EQ(t.step, c.step) << c.lo;
        EXPECT_EQ(t.decimals, c.decimals) << c.lo;
        EXPECT_EQ(t.values, c.values) << c.lo;
        for (double v : t.values) EXPECT_FALSE(v == 0 && std::signbit(v)) << c.lo;
    }
}

TEST(ChooseTicks, AnEndAFewUlpsShortOfARoundValueKeepsItsTick) {
    const struct Case {
        double lo, hi, first, last;
    } cases[] = {
        {-370.3, Nudged(-369.9, -1), -370.3, -369.9},
        {-370.3, Nudged(-369.9, -3), -370.3, -369.9},
        {Nudged(-370.3, 2), -369.9, -370.3, -369.9},
        {Nudged(0.1, 1), Nudged(0.5, -1), 0.1, 0.5},
        {Nudged(1e20, 4), Nudged(5e20, -4), 1e20, 5e20},
        {-370.3, -369.9 - 1e-9, -370.3, -369.95},  // clearly inside: out
        {Nudged(-370.3, 300), -369.9, -370.25, -369.9},
    };
    for (const Case& c : cases) {
        const AxisTicks t = ChooseTicks(c.lo, c.hi);
        ASSERT_FALSE(t.values.empty());
        EXPECT_EQ(t.values.front(), c.first) << c.lo << " " << c.hi;
        EXPECT_EQ(t.values.back(), c.last) << c.lo << " " << c.hi;
    }
}

TEST(ChooseTicks, DegenerateRangesEnd) {
    const double nan = std::nan("");
    const double ranges[][2] = {{1, 1},        {2, 1},     {nan, 1},         {0, kInf},
                                {-kInf, kInf}, {0.5, 0.5}, {1e16, 1e16 + 2}, {1, std::nextafter(1.0, 2.0)},
                                {0, 5e-324},   {0, 1e-320}};
    for (const auto& range : ranges) {
        const AxisTicks t = ChooseTicks(range[0], range[1]);
        EXPECT_LE(t.values.size(), 9u) << range[0];
        EXPECT_EQ(t.values.empty(), !std::isfinite(range[0]));
        for (std::size_t i = 0; i < t.values.size(); ++i) {
            EXPECT_TRUE(t.values[i] >= range[0] && (t.values[i] <= range[1] || t.values[i] == range[0]));
            if (i > 0) {
                EXPECT_GT(t.values[i], t.values[i - 1]);
            }
        }
    }
    const AxisTicks lone = ChooseTicks(0.5, 0.5);
    EXPECT_EQ(TickLabel(lone.values.at(0), lone.decimals), "0.5");
}

TEST(TickLabel, FixedDecimalsWithoutNegativeZero) {
    const std::pair<double, int> values[] = {{-0.0, 0}, {-0.0, 1},  {-0.04, 1},
                                             {-0.4, 0}, {-0.05, 2}, {-2e7, 0}};
    const char* labels[] = {"0", "0.0", "0.0", "0", "-0.05", "-20000000"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(TickLabel(values[i].first, values[i].second), labels[i]);
}

TEST(TickLabel, IgnoresTheProcessLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    bool found = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8", "de_DE"})
        if ((found = std::setlocale(LC_NUMERIC, name) != nullptr)) break;
    if (!found) GTEST_SKIP() << "no locale with a decimal comma";
    const std::string label = TickLabel(2.5, 1);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(label, "2.5");
}

TEST(LabelsShown, NoOverlapsAndAllWhenThereIsRoom) {
    struct Case {
        double spacing, width, gap;
        std::size_t stride;
    };
    // Ten labels `spacing` apart; also laid out downwards, as on a y axis.
    const Case cases[] = {{50, 40, 4, 1},    {45.5, 40, 4, 1}, {45, 40, 4, 2},
                          {22.75, 40, 4, 2}, {22.7, 40, 4, 5}, {8, 40, 4, 10}};
    for (const Case& c : cases)
        for (double direction : {1.0, -1.0}) {
            std::vector<double> centres, widths;
            for (int i = 0; i < 10; ++i) {
                centres.push_back(100 + direction * c.spacing * i);
                widths.push_back(c.width + (i % 3));  // uneven widths
            }
            const std::vector<bool> shown = LabelsShown(centres, widths, c.gap);
            ASSERT_EQ(shown.size(), 10u);
            for (std::size_t i = 0; i < 10; ++i)
                EXPECT_EQ(shown[i], i % c.stride == 0) << c.spacing << " " << i;
        }
    EXPECT_TRUE(LabelsShown({}, {}, 4).empty());
}

TEST(ClampLabel, KeepsTheLabelInside) {
    const double cases[][5] = {// centre, width, lo, hi, expected
                               {50, 20, 0, 100, 50},   {5, 20, 0, 100, 10},   {98, 20, 0, 100, 90},
                               {-40, 20, 0, 100, 10},  {50, 120, 0, 100, 50}, {300, 100, 0, 100, 50},
                               {-5, 10, -20, -10, -15}};
    for (const auto& c : cases) EXPECT_EQ(ClampLabel(c[0], c[1], c[2], c[3]), c[4]) << c[0] << " " << c[1];
}

}  // namespace
