// Runs aligned by time: the nearest rows of another run for the first's
// times, values between its rows, and bodies matched by name or number.

#include "simulation/run_alignment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<double> Steps(double from, double step, int count) {
    std::vector<double> t;
    for (int i = 0; i < count; ++i) t.push_back(from + step * i);
    return t;
}

}  // namespace

TEST(RunAlignment, NearestRowsByTimeNotByRow) {
    struct Case {
        const char* what;
        std::vector<double> first, other;
        std::vector<int32_t> nearest;
    };
    const double nan = std::nan("");
    const Case cases[] = {
        {"every step against every third: exact at shared times",
         Steps(0, 1, 10),
         Steps(0, 3, 4),
         {0, 0, 1, 1, 1, 2, 2, 2, 3, 3}},
        {"every third against every step", Steps(0, 3, 4), Steps(0, 1, 10), {0, 3, 6, 9}},
        {"a tie takes the earlier row", {1.5, 2.5}, {1, 2, 3}, {0, 1}},
        {"a shorter run stays at its last row", Steps(0, 1, 5), Steps(0, 1, 3), {0, 1, 2, 2, 2}},
        {"a later start shows its first row until then", Steps(0, 1, 4), Steps(2, 1, 3), {0, 0, 0, 1}},
        {"going back in time", {4, 3, 2, 1, 0}, Steps(0, 2, 3), {2, 1, 1, 0, 0}},
        {"a time not a number keeps the row before", {0, nan, 2}, Steps(0, 1, 3), {0, 0, 2}},
        {"another run without rows", Steps(0, 1, 3), {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(
            NearestRows(c.first.data(), int32_t(c.first.size()), c.other.data(), int32_t(c.other.size())),
            c.nearest);
    }
}

TEST(RunAlignment, RowsAppendedAreAlignedAsWhenReadWhole) {
    // A followed first run: its rows aligned in two goes, cut anywhere.
    const std::vector<double> first = {0, 0.4, 1.2, 2.5, 2.6, 5, 9, 9.5}, other = {0, 1, 2, 3, 4, 6};
    const int32_t rows = int32_t(first.size()), otherRows = int32_t(other.size());
    const auto nearest = NearestRows(first.data(), rows, other.data(), otherRows);
    const auto between = RowsBetween(first.data(), rows, other.data(), otherRows);
    for (int32_t cut = 0; cut <= rows; ++cut) {
        SCOPED_TRACE(cut);
        std::vector<int32_t> n = NearestRows(first.data(), cut, other.data(), otherRows);
        ExtendNearestRows(n, first.data(), rows, other.data(), otherRows);
        EXPECT_EQ(n, nearest);
        std::vector<RowBetween> b = RowsBetween(first.data(), cut, other.data(), otherRows);
        ExtendRowsBetween(b, first.data(), rows, other.data(), otherRows);
        ASSERT_EQ(b.size(), between.size());
        for (std::size_t i = 0; i < b.size(); ++i) {
            EXPECT_EQ(b[i].row, between[i].row) << i;
            EXPECT_EQ(b[i].share, between[i].share) << i;
        }
    }
}

TEST(RunAlignment, ValuesBetweenRowsAreLinearAndMissingOutside) {
    // Another run's values of 10 t at times 0, 2, 3, 7: read at the first
    // run's times, inside exactly, outside not at all.
    const std::vector<double> other = {0, 2, 3, 7}, first = {-1, 0, 1, 2.5, 3, 6, 7, 7.5};
    std::vector<double> values;
    for (double t : other) values.push_back(10 * t);
    const std::vector<RowBetween> at =
        RowsBetween(first.data(), int32_t(first.size()), other.data(), int32_t(other.size()));
    const double want[] = {NAN, 0, 10, 25, 30, 60, 70, NAN};
    for (std::size_t i = 0; i < first.size(); ++i) {
        SCOPED_TRACE(first[i]);
        const double got = ValueBetween(values.data(), 1, at[i]);
        if (std::isnan(want[i]))
            EXPECT_TRUE(std::isnan(got));
        else
            EXPECT_DOUBLE_EQ(got, want[i]);
    }
    // Strided: the second of pairs.
    const std::vector<double> pairs = {0, 1, 0, 3, 0, 5, 0, 9};
    EXPECT_DOUBLE_EQ(ValueBetween(pairs.data() + 1, 2, at[3]), 4);  // t = 2.5, between 3 and 5
}

TEST(RunAlignment, BodiesMatchByNameElseByNumber) {
    struct Case {
        const char* what;
        std::vector<std::string> first;
        int firstBodies;
        std::vector<std::string> other;
        int bodies;
        std::vector<int> match;
    };
    const Case cases[] = {
        {"same names, another order, any case", {"Earth", "Mars"}, 2, {"mars", "EARTH"}, 2, {0, 2, 1}},
        {"no names: by number", {}, 3, {}, 2, {0, 1, 2}},
        {"more bodies than the first run", {}, 1, {}, 2, {0, 1, 0}},
        {"a name the first run lacks, its number named otherwise",
         {"Earth", "Mars"},
         2,
         {"Venus", "Mars"},
         2,
         {0, 0, 2}},
        {"named here, unnamed there: by number", {"Earth"}, 2, {"Earth", "Moon"}, 2, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(MatchBodies(c.first, c.firstBodies, c.other, c.bodies), c.match);
    }
}
