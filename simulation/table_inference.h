#pragma once
#include <array>
#include <cstdint>

struct LoadedSimulation;
class TrajectoryTable;

/// Trail of a table when no body goes round the origin within its rows.
inline constexpr int32_t kTrailWithoutRevolution = 500;

/// Fills the fields of a configuration that a plain table does not give,
/// once its rows are in `loaded` (bodies, rows, names and units come from the
/// table): disc radius 3 and the table palette's colours (TablePaletteCode), a box holding every
/// position (DataBox), a trail of one revolution of the slowest body
/// (RowsOfSlowestRevolution; at most the rows less two;
/// kTrailWithoutRevolution, at most half the rows, when nothing goes
/// round), delay 20 ms, step 1, start 0, sun 6, axes, discs and trails on,
/// the file's name as the title.
void InferTableConfiguration(LoadedSimulation& loaded);

/// The box and trail InferTableConfiguration gives, from `shown`, the
/// positions as the picture shows them (the data's xy plane, or another).
void InferShownExtent(LoadedSimulation& loaded, const TrajectoryTable& shown);
