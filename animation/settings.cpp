#include "animation/settings.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "animation/playback_range.h"
#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/real_scanner.h"
#include "simulation/simulation_state.h"

namespace {

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsScanSpace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && IsScanSpace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

}  // namespace

AnimationSettings AnimationSettingsOf(const SimulationState& s) {
    return {s.drawAxes,       s.drawOrbits, s.drawPlanets, s.bodyCount, s.lineCount,
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
    return {s.drawOrbits, s.drawPlanets, s.lineCount, s.position};
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

std::optional<int> ParseIntegerField(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<double> ParseRealField(std::string_view text) {
    text = Trim(text);
    struct Cursor {
        std::string_view text;
        int peek() const { return text.empty() ? -1 : static_cast<unsigned char>(text.front()); }
        void advance() { text.remove_prefix(1); }
    } cursor{text};
    std::string token;
    if (text.empty() || !ScanRealToken(cursor, token) || !cursor.text.empty()) return std::nullopt;
    // "inf" and "nan" read as numbers, but no box or size can be made of them.
    const double value = ConvertRealToken(token);
    if (!std::isfinite(value)) return std::nullopt;
    return value;
}

std::string FormatRealField(double value) { return Format("%.*g", 15, value); }

std::string RangeMessage(int lo, int hi) {
    return Format("Please enter an integer between %d and %d.", lo, hi);
}
