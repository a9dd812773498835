#pragma once
#include <array>
#include <cstdint>

struct LoadedSimulation;
class TrajectoryTable;

/// The colour codes a table's bodies are given in turn, starting again after
/// the last: blue, red, green, orange, purple, black, dark blue, dark red,
/// brown, olive, grey. Each is distinct from the others and dark enough to
/// read on the plot's light grey fill; the yellows, the light green and the
/// light grey are left out for that reason.
inline constexpr std::array<int32_t, 11> kTablePalette = {12, 10, 4, 8, 13, 0, 5, 3, 1, 2, 7};

/// Trail of a table when no body goes round the origin within its rows.
inline constexpr int32_t kTrailWithoutRevolution = 500;

/// The box holding every finite position of bodies 1 to `bodies` in rows
/// 0 to `rows` - 1, as xmin, ymin, xmax, ymax. An axis on which every
/// position is the same gets the other axis's extent (or 2) about that
/// value, so that the box always has an inside; no finite position at all
/// gives -1, -1, 1, 1.
std::array<double, 4> DataBox(const TrajectoryTable& table, int32_t rows, int32_t bodies);

/// Rows in one revolution of the slowest body that goes round: for each
/// body, the rows from the first to the one at which its angle about the
/// origin has turned a whole circle; the largest of those. -1 when no body
/// goes round within the rows. Rows with a position that is not finite are
/// passed over.
int32_t RowsOfSlowestRevolution(const TrajectoryTable& table, int32_t rows, int32_t bodies);

/// Fills the fields of a configuration that a plain table does not give,
/// once its rows are in `loaded` (bodies, rows, names and units come from the
/// table): disc radius 3 and the palette's colours, a box holding every
/// position, a trail of one revolution of the slowest body (at most the rows
/// less two; kTrailWithoutRevolution, at most half the rows, when nothing
/// goes round), delay 20 ms, step 1, start 0, sun 6, axes, discs and trails
/// on, the file's name as the title.
void InferTableConfiguration(LoadedSimulation& loaded);
