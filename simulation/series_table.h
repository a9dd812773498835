#pragma once
#include <cstdint>
#include <string>
#include <vector>

class OutputFile;
class TrajectoryTable;

/// Writes the series as a CSV table to the open `out`: a header line (`timeHeading`,
/// then `headings`), then a line a row of the rows 0 to rows - 1 of
/// `table`: its time, then each series' value there, each the shortest text
/// that reads back as exactly that number ("nan" where there is none, as
/// pandas and numpy read it). An error text when a write fails, empty when
/// all was written.
std::string WriteSeriesTable(OutputFile& out, const TrajectoryTable& table, int32_t rows,
                             const std::string& timeHeading, const std::vector<std::string>& headings,
                             const std::vector<std::vector<double>>& series);

/// A heading as the series table writes it: `name`, and its unit in
/// brackets when there is one ("a:1 [AU]"). Commas and quotes in the name
/// are quoted as CSV quotes them.
std::string SeriesHeading(const std::string& name, const std::string& unit);
