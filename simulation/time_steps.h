#pragma once
#include <cstdint>
#include <optional>

class TrajectoryTable;

/// How far a row's time may lie from where an even step puts it, in parts
/// of that step: times written with fewer digits than they were computed
/// with still count as even, while steps that drift (an adaptive
/// integrator's) soon stray further.
inline constexpr double kTimeStepTolerance = 1e-3;

/// The time step of the first `rows` rows of `table` when they are evenly
/// spaced in time: each row's time lies within kTimeStepTolerance of a step
/// from t0 + r * step, the step being (t_last - t0) / (rows - 1). None with
/// fewer than 2 rows, a time that is not finite, or a step that is not
/// above 0 (times that stand still or run backwards). One pass over the
/// times, ended at the first that strays.
std::optional<double> RegularTimeStep(const TrajectoryTable& table, int32_t rows);
