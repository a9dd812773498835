#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "table_layout.h"

/// Turns the lines of a plain data table into rows of the trajectory table:
/// the time, then x and y of each body on the plane shown, and with three
/// coordinates a body each one's depth off that plane. Used when rows
/// are appended to a table that is followed, each line being read by the
/// one rule that reads a table's cells.
class TableRowReader {
public:
    TableRowReader(TableLayout layout, TablePlane plane);

    /// Values in a row: the time and two per body.
    std::size_t columns() const { return 1 + 2 * layout_.bodies.size(); }
    /// Depths in a row: one per body with three coordinates a body, else none.
    std::size_t depths() const { return layout_.threeDimensional() ? layout_.bodies.size() : 0; }
    /// Velocity values in a row: three a body when the header names
    /// velocity columns (VelocityOf), else none.
    std::size_t velocities() const { return layout_.velocities.empty() ? 0 : 3 * layout_.bodies.size(); }
    const TableLayout& layout() const { return layout_; }

    enum class Line {
        Row,      ///< the line is a row, written to `row`
        Skipped,  ///< a blank or comment line
        Bad,      ///< not numbers, or another count of cells; error() tells which
    };
    /// Reads the line [begin, end), without its '\n', into `row` (columns()
    /// values) and, when given, its depths into `depth` (depths() values)
    /// and its velocities into `velocity` (velocities() values).
    /// `lines` counts the file's lines before it (-1 when not known) and
    /// then this one too, unless it is Bad; the header line is Skipped.
    Line Read(const char* begin, const char* end, int64_t& lines, double* row, double* depth = nullptr,
              double* velocity = nullptr);
    /// What was wrong with the last line read as Bad, as the message for line `line` (from 1).
    TableError error(int64_t line) const;

private:
    Line ReadCells(const char* begin, const char* end, bool header, double* row, double* depth,
                   double* velocity);

    TableLayout layout_;
    TablePlane plane_;
    std::vector<double> cells_;
    std::size_t count_ = 0;  ///< cells found in the last line, or the index of its bad cell
    bool notANumber_ = false;
    std::string bad_;
};

/// Hands out the complete lines of a file's bytes [from, to), a chunk of the
/// file read at a time. What follows the last '\n' is not a line yet: the
/// writer may still be writing it.
class LineReader {
public:
    LineReader(int fd, uint64_t from, uint64_t to);

    /// The next complete line, [begin, end) without its '\n'; false when none is left.
    bool Next(const char*& begin, const char*& end);
    /// Bytes from `from` to the end of the last line handed out, its '\n' included.
    uint64_t done() const { return done_; }
    /// Why Next last returned false: the end of the bytes, or the line
    /// after those handed out holds a NUL byte or is longer than
    /// kMaxTableLineBytes; it is then not read further.
    enum class Stop { End, NulByte, LongLine };
    Stop stop() const { return stop_; }
    /// The bytes read after the last line handed out: the start of the line
    /// Next stopped in.
    std::string_view pending() const { return {buffer_.data() + begin_, end_ - begin_}; }

private:
    int fd_;
    uint64_t at_;  ///< the file's next byte to read into the buffer
    uint64_t to_;
    uint64_t done_ = 0;
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0;  ///< the bytes of the buffer not handed out yet
    Stop stop_ = Stop::End;
};

/// Lines in the file's first `byte` bytes, which end with a line's '\n'.
int64_t LinesBefore(int fd, uint64_t byte);
