#include "animation/settings.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "animation/playback_range.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/number_text.h"

namespace {

/// The fields take blanks around a number; a '+' before an integer is dropped.
constexpr WholeTextRules kIntegerField{.blanks = NumberBlanks::Any, .plus = PlusSign::Dropped};
constexpr RealTextRules kRealField{.blanks = NumberBlanks::Any, .grammar = RealGrammar::CLibrary};

}  // namespace

AnimationSettings AnimationSettingsOf(const SimulationState& s) {
    return {s.loaded().fields.drawAxes,
            s.loaded().fields.drawOrbits,
            s.loaded().fields.drawPlanets,
            s.loaded().fields.bodyCount,
            s.loaded().rowsInData(),
            s.view.trailLength,
            s.playback.step,
            s.loaded().fields.startRow,
            s.loaded().fields.sunSize,
            s.playback.delayMs};
}

void ApplyAnimationSettings(SimulationState& s, const AnimationSettings& a) {
    s.loaded().fields.drawAxes = a.drawAxes;
    s.loaded().fields.drawOrbits = a.drawOrbits;
    s.loaded().fields.drawPlanets = a.drawPlanets;
    s.view.trailLength = a.pointsPerOrbit;
    s.playback.step = a.step;
    s.loaded().fields.startRow = a.startRow;
    s.loaded().fields.sunSize = a.sunSize;
    s.playback.delayMs = a.frameDelayMs;
    const int64_t rows = s.loaded().rowsInData(), reserve = TrailReserve(s);
    if (s.loaded().fields.startRow + reserve >= rows)
        s.loaded().fields.startRow = Clamp32(rows - reserve - 2);
}

PositionSettings PositionSettingsOf(const SimulationState& s) {
    return {s.loaded().fields.drawOrbits, s.loaded().fields.drawPlanets, s.loaded().rowsInData(),
            s.playback.position};
}

void ApplyPositionSettings(SimulationState& s, const PositionSettings& p) {
    s.loaded().fields.drawOrbits = p.drawOrbits;
    s.loaded().fields.drawPlanets = p.drawPlanets;
    s.playback.position = p.position;
    if (s.playback.position < 0) s.playback.position = 0;
    const int64_t rows = s.loaded().rowsInData();
    if (s.playback.position >= rows) s.playback.position = Clamp32(rows - TrailReserve(s) - 1);
}

BoxSettings BoxSettingsOf(const SimulationState& s, const PlotBox& plot) {
    BoxSettings b{};
    plot.GetBox(b.xmin, b.ymin, b.xmax, b.ymax);
    b.size = s.view.squareBoxSize;
    b.inUse = s.view.squareBoxInUse;
    return b;
}

void ApplyBoxSettings(SimulationState& s, PlotBox& plot, const BoxSettings& b) {
    s.view.squareBoxSize = std::fabs(b.size);
    s.view.squareBoxInUse = b.inUse;
    double xmin = b.xmin, ymin = b.ymin, xmax = b.xmax, ymax = b.ymax;
    if (b.inUse) {
        xmin = ymin = -s.view.squareBoxSize;
        xmax = ymax = s.view.squareBoxSize;
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
