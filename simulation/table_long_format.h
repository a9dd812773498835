#pragma once
// A plain table of one line per body and time ("t,body,x,y"), read into one
// row per time as the other tables are.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "table_layout.h"

/// The rows of a table of one line per body and time.
struct LongTableRows {
    /// One row per time: the time, then x and y of each body on the plane;
    /// NaN for a body without a line at that time.
    std::vector<double> values;
    /// With three coordinates a line: one row per time of each body's
    /// coordinate off the plane (NaN where it has no line); empty otherwise.
    std::vector<double> depths;
    int64_t rows = 0;
    /// The bodies' keys from the body column, in order of first appearance;
    /// empty when they are just the numbers 1, 2, 3... in that order.
    std::vector<std::string> names;
    int32_t bodies = 0;
    bool failed = false;
    TableError error;
    int64_t cutLine = 0;  ///< a last line without a line end left out as cut short; 0 if none
};

/// Reads a table of one line per body and time as its file comes, block
/// after block, under the line rules of the other tables: a NUL byte or a
/// line longer than kMaxTableLineBytes stops it at once, and so do a body
/// past the most a table may have and more memory than `memoryBytes`. The
/// lines of one time stand together, the times in increasing order, each
/// body at most once a time; any other line stops the read with a message
/// naming its line and column.
class LongTableReader {
public:
    LongTableReader(const TableLayout& layout, TablePlane plane, uint64_t memoryBytes = UINT64_MAX);

    /// Reads the lines that end in `text`, after what earlier calls left
    /// unfinished; false once the read has stopped.
    bool Feed(std::string_view text);
    /// Reads the last line, which has no line end (one that fails is left
    /// out as cut short), and lays the lines out as rows.
    LongTableRows Finish();

private:
    /// One line's position: the row of its time, its body and its coordinates.
    struct Position {
        int64_t row;
        int32_t body;
        double x, y;
    };

    bool Line(std::string_view line, bool terminated);
    bool Take();
    bool Fail(TableError error);
    bool RoomFor(std::size_t positions, int64_t rows) const;

    TableLayout layout_;
    TablePlane plane_;
    uint64_t memoryBytes_;
    LongTableRows out_;
    std::string pending_;  ///< the start of a line whose end has not come
    int64_t number_ = 0;   ///< the last line read, from 1
    std::vector<Position> positions_;
    std::vector<double> depths_;  ///< with three coordinates, line for line with positions_
    std::vector<double> times_;
    std::vector<int64_t> lastRowOf_;  ///< by body: the row of its last line
    std::unordered_map<std::string, int32_t> bodyOf_;
    std::vector<std::string> keys_;
    std::vector<std::string_view> cells_;
    std::vector<double> values_;
};

/// Reads the whole table `text` with the layout `layout` (bodyColumn >= 0),
/// showing `plane`, as LongTableReader does.
LongTableRows ReadLongTable(std::string_view text, const TableLayout& layout, TablePlane plane,
                            uint64_t memoryBytes = UINT64_MAX);
