#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct SimulationState;

/// What writing the series came to: a problem to print (empty when
/// written) and the exit status, 2 for a list the data cannot give, 1 for a
/// file that cannot be written.
struct SeriesExport {
    std::string problem;
    int status = 0;
    /// What the numbers written come from and where they are left out, a
    /// line each, for the standard error (SeriesNotes).
    std::vector<std::string> notes;
};

/// Writes the series `list` names (ParseQuantities) of the loaded data as a
/// CSV table to `path`: the time, then a column a series headed as asked
/// with its unit ("a:1 [AU]"). Refuses a list that needs mu or masses the
/// data lacks, saying what to give; leaves no file when a write fails.
/// Values not to be trusted (Unsure) are written as "nan", as the panel
/// shows them apart, and the notes say how many and why.
SeriesExport ExportSeries(const SimulationState& state, std::string_view list, std::optional<double> gm,
                          const std::string& path);
