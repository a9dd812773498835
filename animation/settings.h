#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

struct SimulationState;
class PlotBox;

/// The values the three settings dialogs show and take back, and what
/// taking them back does to the state. The dialogs themselves only exchange
/// these values with their fields.

struct AnimationSettings {
    int drawAxes, drawOrbits, drawPlanets;
    int bodyCount;  // shown only
    /// The rows in the data, as the playback readout counts them; shown only.
    int lineCount;
    int pointsPerOrbit, step, startRow, sunSize, frameDelayMs;
};
AnimationSettings AnimationSettingsOf(const SimulationState& state);
/// Stores the settings and moves the start row back so that its trail ends
/// before the last row in the data (which can make it negative for a long
/// trail): a start row at or past rows - TrailReserve becomes rows -
/// TrailReserve - 2. With a trail behind the trail needs no rows after it.
void ApplyAnimationSettings(SimulationState& state, const AnimationSettings& settings);

struct PositionSettings {
    int drawOrbits, drawPlanets;
    /// The rows in the data, as the playback readout counts them; shown only.
    int lineCount;
    int position;
};
PositionSettings PositionSettingsOf(const SimulationState& state);
/// Stores the switches and the row, moved into the data: below 0 gives 0,
/// at or past the last row in the data gives rows - TrailReserve - 1, the
/// last row whose trail fits (with a trail behind, the last row).
void ApplyPositionSettings(SimulationState& state, const PositionSettings& settings);

struct BoxSettings {
    int inUse;
    double xmin, ymin, xmax, ymax, size;
};
BoxSettings BoxSettingsOf(const SimulationState& state, const PlotBox& plot);
/// Remembers the square box, then gives the plot the square of the given
/// size or the typed box; an empty or reversed axis becomes -2 to 2.
void ApplyBoxSettings(SimulationState& state, PlotBox& plot, const BoxSettings& settings);

/// Gives the plot the box xmin, ymin, xmax, ymax as the Graphic Box dialog
/// does when it is typed in with the square box not in use.
void ApplyTypedBox(SimulationState& state, PlotBox& plot, const std::array<double, 4>& box);

/// A check box shows 1 and 2 as checked; other values as unchecked.
bool ShownChecked(int value);
/// A decimal integer with blanks allowed around it, within the int range.
std::optional<int> ParseIntegerField(std::string_view text);
/// A finite real number with blanks allowed around it.
std::optional<double> ParseRealField(std::string_view text);
/// A real as the dialogs show it: up to 15 significant digits.
std::string FormatRealField(double value);

inline constexpr const char* kIntegerMessage = "Please enter an integer.";
inline constexpr const char* kNumberMessage = "Please enter a number.";
/// "Please enter an integer between LO and HI."
std::string RangeMessage(int lo, int hi);
