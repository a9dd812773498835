#include "table_long_format.h"

#include <cmath>
#include <limits>
#include <unordered_map>

#include "base/format.h"
#include "shown_text.h"
#include "simulation_writer.h"

namespace {

std::string_view Unquoted(std::string_view s) {
    return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

TableError CellError(int64_t line, int32_t column, const std::string& message) {
    TableError e;
    e.line = line;
    e.column = column;
    e.message = Format("Line %lld, column %d: %s", static_cast<long long>(line), column, message.c_str());
    return e;
}

/// One line's position: the row of its time, its body and its coordinates.
struct Position {
    int64_t row;
    int32_t body;
    double x, y;
};

}  // namespace

LongTableRows ReadLongTable(std::string_view text, const TableLayout& layout, TablePlane plane) {
    LongTableRows out;
    std::vector<Position> positions;
    // With three coordinates a line, each line's depth, line for line with `positions`.
    const bool threeD = layout.threeDimensional();
    std::vector<double> depths;
    std::vector<double> times;
    std::vector<int64_t> lastRowOf;  // by body: the row of its last line
    std::unordered_map<std::string, int32_t> bodyOf;
    std::vector<std::string> keys;
    std::vector<std::string_view> cells;
    std::vector<double> values(std::size_t(layout.cells), 0.0);
    const int32_t width = layout.cells;
    int64_t number = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t newline = text.find('\n', at);
        const bool terminated = newline != std::string_view::npos;
        const std::string_view line = text.substr(at, (terminated ? newline : text.size()) - at);
        at = terminated ? newline + 1 : text.size();
        ++number;
        if (number == layout.headerLine || IsTableComment(line.data(), line.data() + line.size())) continue;
        SplitTableCells(line.data(), line.data() + line.size(), layout.separator, cells);
        if (cells.empty()) continue;
        TableError error;
        if (line.find('\0') != std::string_view::npos) {
            error = NulByteError(number);
        } else if (int32_t(cells.size()) != width) {
            error = RaggedRowError(number, int32_t(cells.size()), width);
        } else {
            for (int32_t c = 0; c < width && error.message.empty(); ++c)
                if (c != layout.bodyColumn && !ReadTableCell(cells[std::size_t(c)], layout.separator,
                                                             layout.decimalComma, values[std::size_t(c)]))
                    error = NotANumberError(number, c + 1, cells[std::size_t(c)], layout.decimalComma);
        }
        if (!error.message.empty()) {
            if (!terminated && error.line == number && line.find('\0') == std::string_view::npos) {
                out.cutLine = number;  // its writer may have stopped in the middle of it
                break;
            }
            out.failed = true;
            out.error = error;
            return out;
        }
        const std::string key(Unquoted(cells[std::size_t(layout.bodyColumn)]));
        if (key.empty()) {
            out.failed = true;
            out.error = CellError(number, layout.bodyColumn + 1, "the line names no body");
            return out;
        }
        const double time = values[std::size_t(layout.timeColumn)];
        if (times.empty() || time != times.back()) {
            if (!times.empty() && !(time > times.back())) {
                out.failed = true;
                out.error = CellError(
                    number, layout.timeColumn + 1,
                    Format("the time %s comes after %s: the lines of each time must stand together, the "
                           "times in increasing order",
                           FormatReal(time).c_str(), FormatReal(times.back()).c_str()));
                return out;
            }
            times.push_back(time);
        }
        const auto [found, added] = bodyOf.emplace(key, int32_t(keys.size()));
        if (added) {
            keys.push_back(key);
            lastRowOf.push_back(-1);
        }
        const int32_t body = found->second;
        const int64_t row = int64_t(times.size()) - 1;
        if (lastRowOf[std::size_t(body)] == row) {
            out.failed = true;
            out.error = CellError(number, layout.bodyColumn + 1,
                                  Format("a second line for '%s' at the time %s", ShownText(key).c_str(),
                                         FormatReal(time).c_str()));
            return out;
        }
        lastRowOf[std::size_t(body)] = row;
        Position p{row, body, 0, 0};
        ProjectBody(layout.lineColumns, plane, values.data(), p.x, p.y);
        positions.push_back(p);
        if (threeD) depths.push_back(DepthOf(layout.lineColumns, plane, values.data()));
    }
    out.bodies = int32_t(keys.size());
    out.rows = int64_t(times.size());
    const std::size_t columns = 1 + 2 * std::size_t(out.bodies);
    out.values.assign(std::size_t(out.rows) * columns, std::numeric_limits<double>::quiet_NaN());
    for (int64_t r = 0; r < out.rows; ++r) out.values[std::size_t(r) * columns] = times[std::size_t(r)];
    for (const Position& p : positions) {
        double* cell = &out.values[std::size_t(p.row) * columns + 1 + 2 * std::size_t(p.body)];
        cell[0] = p.x;
        cell[1] = p.y;
    }
    if (threeD) {
        const std::size_t bodies = std::size_t(out.bodies);
        out.depths.assign(std::size_t(out.rows) * bodies, std::numeric_limits<double>::quiet_NaN());
        for (std::size_t k = 0; k < positions.size(); ++k)
            out.depths[std::size_t(positions[k].row) * bodies + std::size_t(positions[k].body)] = depths[k];
    }
    // Keys that are the bodies' own numbers say nothing a name would add.
    bool numbered = true;
    for (std::size_t k = 0; k < keys.size() && numbered; ++k) numbered = keys[k] == std::to_string(k + 1);
    if (!numbered)
        for (const std::string& key : keys) out.names.push_back(ShownText(key));
    return out;
}
