// A dashed line cut into its pieces: where the pattern falls along a line
// of several steps, a phase carried from part to part, and lines the
// pattern cannot cut.

#include "plot/dashed_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

/// The pieces as text: "x,y x,y | x,y x,y", each number rounded to 0.01.
std::string Pieces(const std::vector<ViewPoint>& line, const std::vector<double>& pattern, double phase,
                   double* end = nullptr) {
    std::string text;
    const double after =
        ForEachDash(line.data(), line.size(), pattern, phase, [&](const ViewPoint* p, std::size_t n) {
            if (!text.empty()) text += " | ";
            for (std::size_t i = 0; i < n; ++i) {
                char point[64];
                std::snprintf(point, sizeof point, "%s%g,%g", i ? " " : "", std::round(p[i].x * 100) / 100,
                              std::round(p[i].y * 100) / 100);
                text += point;
            }
        });
    if (end) *end = after;
    return text;
}

}  // namespace

TEST(DashedLine, PiecesFollowThePatternAlongTheLine) {
    struct Case {
        const char* what;
        std::vector<ViewPoint> line;
        std::vector<double> pattern;
        double phase;
        std::string pieces;
    };
    const Case cases[] = {
        {"solid: the line whole", {{0, 0}, {10, 0}}, {}, 0, "0,0 10,0"},
        {"on 3, off 2 along one step", {{0, 0}, {10, 0}}, {3, 2}, 0, "0,0 3,0 | 5,0 8,0"},
        {"a dash turns a corner with the line", {{0, 0}, {2, 0}, {2, 4}}, {3, 2}, 0, "0,0 2,0 2,1 | 2,3 2,4"},
        {"started within a gap", {{0, 0}, {10, 0}}, {3, 2}, 4, "1,0 4,0 | 6,0 9,0"},
        {"a phase past one period", {{0, 0}, {10, 0}}, {3, 2}, 9, "1,0 4,0 | 6,0 9,0"},
        {"a step within one gap draws nothing", {{0, 0}, {1, 0}}, {3, 2}, 3.5, ""},
        {"dash, dot", {{0, 0}, {12, 0}}, {4, 2, 1, 2}, 0, "0,0 4,0 | 6,0 7,0 | 9,0 12,0"},
        {"steps of no length keep their place", {{0, 0}, {0, 0}, {5, 0}}, {3, 2}, 0, "0,0 0,0 3,0"},
        {"one point: nothing", {{1, 1}}, {3, 2}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Pieces(c.line, c.pattern, c.phase), c.pieces);
    }
}

TEST(DashedLine, APhaseCarriedOnDrawsALineInPartsAsWhole) {
    // Cut at any corner, the two parts draw as much of the line as the
    // whole does, and the phase carried is where the whole stands there.
    const std::vector<ViewPoint> whole = {{0, 0}, {7, 0}, {7, 6}, {1, 6}};
    const std::vector<double> pattern = {2.5, 1.5};
    const auto drawn = [&](const std::vector<ViewPoint>& line, double phase, double& end) {
        double length = 0;
        end = ForEachDash(line.data(), line.size(), pattern, phase, [&](const ViewPoint* p, std::size_t n) {
            for (std::size_t i = 1; i < n; ++i)
                length += std::hypot(p[i].x - p[i - 1].x, p[i].y - p[i - 1].y);
        });
        return length;
    };
    double end = 0;
    const double all = drawn(whole, 0.75, end);
    EXPECT_NEAR(all, 11.75, 1e-12);  // 19 long from 0.75 into the pattern
    EXPECT_NEAR(end, std::fmod(0.75 + 19, 4), 1e-12);
    for (std::size_t cut = 1; cut + 1 < whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        double phase = 0, last = 0;
        const double head = drawn({whole.begin(), whole.begin() + long(cut) + 1}, 0.75, phase);
        const double tail = drawn({whole.begin() + long(cut), whole.end()}, phase, last);
        EXPECT_NEAR(head + tail, all, 1e-12);
        EXPECT_NEAR(last, end, 1e-12);
    }
}

TEST(DashedLine, LinesThePatternCannotCutAreDrawnWhole) {
    const std::vector<ViewPoint> line = {{0, 0}, {4, 0}};
    for (const std::vector<double>& pattern : {std::vector<double>{0, 0}, {NAN, 1}, {INFINITY, 1}})
        EXPECT_EQ(Pieces(line, pattern, 0), "0,0 4,0");
}
