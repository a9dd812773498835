#include "animation/settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "animation/playback_range.h"
#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/number_text.h"
#include "simulation/simulation_state.h"

namespace {

/// The fields take blanks around a number; a '+' before an integer is dropped.
constexpr WholeTextRules kIntegerField{.blanks = NumberBlanks::Any, .plus = PlusSign::Dropped};
constexpr RealTextRules kRealField{.blanks = NumberBlanks::Any, .grammar = RealGrammar::CLibrary};

}  // namespace

AnimationSettings AnimationSettingsOf(const SimulationState& s) {
    return {s.drawAxes,       s.drawOrbits, s.drawPlanets, s.bodyCount, s.rowsInData(),
            s.pointsPerOrbit, s.step,       s.startRow,    s.sunSize,   s.frameDelayMs};
}

void ApplyAnimationSettings(SimulationState& s, const AnimationSettings& a) {
    s.drawAxes = a.drawAxes;
    s.drawOrbits = a.drawOrbits;
    s.drawPlanets = a.drawPlanets;
    s.pointsPerOrbit = a.pointsPerOrbit;
    s.step = a.step;
    s.startRow = a.startRow;
    s.sunSize = a.sunSize;
    s.frameDelayMs = a.frameDelayMs;
    const int64_t rows = s.rowsInData(), reserve = TrailReserve(s);
    if (s.startRow + reserve >= rows) s.startRow = Clamp32(rows - reserve - 2);
}

PositionSettings PositionSettingsOf(const SimulationState& s) {
    return {s.drawOrbits, s.drawPlanets, s.rowsInData(), s.position};
}

void ApplyPositionSettings(SimulationState& s, const PositionSettings& p) {
    s.drawOrbits = p.drawOrbits;
    s.drawPlanets = p.drawPlanets;
    s.position = p.position;
    if (s.position < 0) s.position = 0;
    const int64_t rows = s.rowsInData();
    if (s.position >= rows) s.position = Clamp32(rows - TrailReserve(s) - 1);
}

BoxSettings BoxSettingsOf(const SimulationState& s, const PlotBox& plot) {
    BoxSettings b{};
    plot.GetBox(b.xmin, b.ymin, b.xmax, b.ymax);
    b.size = s.squareBoxSize;
    b.inUse = s.squareBoxInUse;
    return b;
}

void ApplyBoxSettings(SimulationState& s, PlotBox& plot, const BoxSettings& b) {
    s.squareBoxSize = std::fabs(b.size);
    s.squareBoxInUse = b.inUse;
    double xmin = b.xmin, ymin = b.ymin, xmax = b.xmax, ymax = b.ymax;
    if (b.inUse) {
        xmin = ymin = -s.squareBoxSize;
        xmax = ymax = s.squareBoxSize;
    }
    // Written so that NaN, which compares false, is repaired as well.
    if (!(xmin < xmax)) xmin = -2, xmax = 2;
    if (!(ymin < ymax)) ymin = -2, ymax = 2;
    plot.SetBox(xmin, ymin, xmax, ymax);
}

void ApplyTypedBox(SimulationState& s, PlotBox& plot, const std::array<double, 4>& box) {
    BoxSettings typed = BoxSettingsOf(s, plot);
    typed.inUse = 0;
    typed.xmin = box[0], typed.ymin = box[1], typed.xmax = box[2], typed.ymax = box[3];
    ApplyBoxSettings(s, plot, typed);
}

bool ShownChecked(int value) { return value == 1 || value == 2; }

std::optional<int> ParseIntegerField(std::string_view text) { return ParseWholeText(text, kIntegerField); }

std::optional<double> ParseRealField(std::string_view text) { return ParseFiniteText(text, kRealField); }

std::string FormatRealField(double value) { return FormatRealText(value, 15); }

std::string RangeMessage(int lo, int hi) {
    return Format("Please enter an integer between %d and %d.", lo, hi);
}
