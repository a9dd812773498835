#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct SimulationState;

/// The playback's speed in the data's own time: when the rows are evenly
/// spaced in time (SimulationState::regularTimeStep), the speed is shown and
/// set as simulation time per second, otherwise as rows per second.

/// A speed asked for: `value` in simulation time per second, or in rows per
/// second when `rows` is set or the rows are not evenly spaced in time.
struct SpeedRequest {
    double value = 0;
    bool rows = false;
};

/// A speed as typed on the command line or in Set Speed: a decimal number
/// above 0, then optionally "r", "rows" or "rows/s" (blanks allowed before
/// it) for rows per second; blanks around the whole. None otherwise.
std::optional<SpeedRequest> ParseSpeed(std::string_view text);

/// What Set Speed says of a speed it cannot read.
inline constexpr const char* kSpeedMessage = "Please enter a speed above 0, or rows per second as 200r.";

/// A timer period and a step.
struct SpeedChoice {
    int32_t delayMs = 1;
    int32_t step = 1;
    bool operator==(const SpeedChoice&) const = default;
};

/// The longest period and the largest step a choice takes: the Animation
/// Settings dialog's bounds, so that the dialog takes any choice as it is.
inline constexpr int32_t kLongestDelayMs = 10000;
inline constexpr int32_t kLargestStep = 100000;

/// The period (whole ms, 1 to kLongestDelayMs) and step (whole rows, 1 to
/// kLargestStep) whose step * 1000 / period comes closest to `rowsPerSecond`
/// (above 0), ticking 20 to 1000 times a second, or slower with a step of 1
/// for speeds below 20 rows per second. Of those that come as close, the one
/// ticking at most 100 times a second, then the one with the smallest step,
/// which moves the bodies the least from frame to frame.
SpeedChoice ChooseSpeed(double rowsPerSecond);

/// The rows per second `request` asks for with the data loaded.
double RowsPerSecondFor(const SimulationState& state, const SpeedRequest& request);

/// Sets the period and the step to ChooseSpeed's for `request`.
void SetSpeed(SimulationState& state, const SpeedRequest& request);

/// The time step the speed is counted in: the rows' when data is loaded and
/// they are evenly spaced in time, none otherwise.
std::optional<double> SpeedTimeStep(const SimulationState& state);

/// The unit of the speed: the time unit per second ("yr/s", "time units/s" without
/// one) with SpeedTimeStep, "rows/s" without.
std::string SpeedUnit(const SimulationState& state);

/// The speed as a number in SpeedUnit: whole, or with up to two decimals,
/// or three significant digits below 1.
std::string SpeedNumber(const SimulationState& state);
