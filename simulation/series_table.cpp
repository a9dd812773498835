#include "series_table.h"

#include <charconv>
#include <cmath>

#include "output_file.h"
#include "trajectory_table.h"

namespace {

/// Appends the shortest text of `value` that reads back as it.
void AppendReal(std::string& line, double value) {
    if (std::isnan(value)) {
        line += "nan";
        return;
    }
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    line.append(text, end);
}

}  // namespace

std::string SeriesHeading(const std::string& name, const std::string& unit) {
    const std::string heading = unit.empty() ? name : name + " [" + unit + "]";
    if (heading.find_first_of(",\"\n\r") == std::string::npos) return heading;
    std::string quoted = "\"";
    for (const char c : heading) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

std::string WriteSeriesTable(OutputFile& out, const TrajectoryTable& table, int32_t rows,
                             const std::string& timeHeading, const std::vector<std::string>& headings,
                             const std::vector<std::vector<double>>& series) {
    std::string line = timeHeading;
    for (const std::string& heading : headings) line += "," + heading;
    line += '\n';
    for (int32_t r = 0; r < rows; ++r) {
        AppendReal(line, table.time(r));
        for (const std::vector<double>& values : series) {
            line += ',';
            AppendReal(line, std::size_t(r) < values.size() ? values[std::size_t(r)] : NAN);
        }
        line += '\n';
        // Written in pieces of about a megabyte.
        if (line.size() >= (1u << 20)) {
            if (std::string problem = out.Write(line); !problem.empty()) return problem;
            line.clear();
        }
    }
    return out.Write(line);
}
