#pragma once
#include <array>
#include <cstdint>

struct LoadedSimulation;

/// The colour codes a table's bodies are given in turn, starting again after
/// the last: blue, red, green, orange, purple, black, dark blue, dark red,
/// brown, olive, grey. Each is distinct from the others and dark enough to
/// read on the plot's light grey fill; the yellows, the light green and the
/// light grey are left out for that reason.
inline constexpr std::array<int32_t, 11> kTablePalette = {12, 10, 4, 8, 13, 0, 5, 3, 1, 2, 7};

/// Trail of a table when no body goes round the origin within its rows.
inline constexpr int32_t kTrailWithoutRevolution = 500;

/// Fills the fields of a configuration that a plain table does not give,
/// once its rows are in `loaded` (bodies, rows, names and units come from the
/// table): disc radius 3 and the palette's colours, a box holding every
/// position (DataBox), a trail of one revolution of the slowest body
/// (RowsOfSlowestRevolution; at most the rows less two;
/// kTrailWithoutRevolution, at most half the rows, when nothing goes
/// round), delay 20 ms, step 1, start 0, sun 6, axes, discs and trails on,
/// the file's name as the title.
void InferTableConfiguration(LoadedSimulation& loaded);
