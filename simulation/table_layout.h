#pragma once
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

/// How the cells of a plain data table's line are separated. One separator
/// holds for the whole file.
enum class TableSeparator {
    Blank,      ///< runs of spaces and tabs (numpy's savetxt, Fortran, the classic data file)
    Comma,      ///< one comma between cells, blanks around a cell ignored (pandas, spreadsheets)
    Semicolon,  ///< one semicolon between cells, blanks around a cell ignored
};

/// The plane a table with three coordinates per body is shown on: its first
/// letter becomes the picture's x, its second the picture's y.
enum class TablePlane { XY, XZ, YZ };

/// How the columns of a table without a header are shared out after the
/// time: as x, y of each body, or x, y, z. Unsaid reads x, y, and notes a
/// count of columns that fits both.
enum class TableColumns { Unsaid, XY, XYZ };

/// Where a body's coordinates stand in a table's line: cell indices from 0;
/// z is -1 when the table gives two coordinates.
struct TableBodyColumns {
    int32_t x = -1;
    int32_t y = -1;
    int32_t z = -1;
};

/// What a plain data table holds, as found from its first lines.
struct TableLayout {
    TableSeparator separator = TableSeparator::Blank;
    /// Cells in every data line.
    int32_t cells = 0;
    /// The cell holding the time.
    int32_t timeColumn = 0;
    /// One entry per body, in the order the bodies are shown.
    std::vector<TableBodyColumns> bodies;
    /// The bodies' names from the header, one per body; empty when the header
    /// does not name them (no header, or numbered columns such as x1, y1).
    std::vector<std::string> names;
    /// Units a header gives in brackets ("t [yr]", "earth_x (AU)"); empty when none.
    std::string timeUnit;
    std::string lengthUnit;
    /// The header line, from 1; 0 when the table has none.
    int64_t headerLine = 0;
    /// Said on the status line after a load: a header whose names give no
    /// column might have been meant as a row; columns without a header could
    /// be x, y or x, y, z. Empty when there is nothing to say.
    std::string note;
    /// The number cells write ',' for the decimal mark ("1,5;2,25"), found
    /// with the separator (SeparatorOf in table_layout.cpp says when).
    bool decimalComma = false;
    /// A table of one line per body and time ("t,body,x,y"): the cell that
    /// names the body, and the cells of its coordinates; -1 for a table of
    /// one line per time. Its bodies and names are found as its lines are
    /// read (ReadLongTable).
    int32_t bodyColumn = -1;
    TableBodyColumns lineColumns;
    /// With a header that names velocity columns (vx, earth_vx, vx1...):
    /// one entry a body, in the order of `bodies`, the cells of its vx, vy
    /// and vz (-1 for vz in the plane, and all -1 for a body without);
    /// empty when the header names none.
    std::vector<TableBodyColumns> velocities;

    /// True when some body has a z column: the plane then chooses what is shown.
    /// What the comment lines "# masses = ..." and "# sun mass = ..." before
    /// the rows give, as written; empty without them.
    std::string masses, sunMass;
    bool threeDimensional() const {
        if (bodyColumn >= 0) return lineColumns.z >= 0;
        for (const TableBodyColumns& b : bodies)
            if (b.z >= 0) return true;
        return false;
    }
};

/// A place in a table's text that stops its reading, and why.
struct TableError {
    int64_t line = 0;     ///< from 1
    int32_t column = 0;   ///< the cell, from 1; 0 when the message is about the whole line or file
    std::string message;  ///< the whole message, naming line and column
    /// The text holds no data line (yet): only blanks, comments or a header.
    bool noDataLine = false;
};

/// `line` without the UTF-8 byte-order mark that some spreadsheets write
/// before a file's first line.
inline std::string_view WithoutByteOrderMark(std::string_view line) {
    return line.starts_with("\xEF\xBB\xBF") ? line.substr(3) : line;
}

/// Bytes from the start of a file that the layout is found from.
inline constexpr std::size_t kTableHeadBytes = std::size_t(1) << 20;

/// The longest line a table may hold: far more than a row of numbers needs,
/// so that a file without line ends (a crash can leave a tail of zero
/// bytes, a writer one endless number) is refused at once, not read whole.
/// A first line longer than this leaves no line end in the head.
inline constexpr std::size_t kMaxTableLineBytes = kTableHeadBytes;

/// The result of parsing one line of a table.
enum class TableLineResult {
    Cells,    ///< `count` cells were read
    Blank,    ///< nothing but blanks (or nothing): the line is skipped
    Comment,  ///< the first non-blank character is '#': the line is skipped
    BadCell,  ///< cell `count` (from 0) is not a number; its text is in `bad`
};

/// Parses the line [begin, end) (without its line end; a '\r' before it is
/// ignored) into at most `capacity` values, cell after cell, each read by
/// ReadTableCell; a byte-order mark before the line is skipped. `count` receives the cells read,
/// or with BadCell the index of the bad one; more cells than `capacity` stop the read there, with `count` =
/// capacity + 1. This is the one rule by which a table's cells are told apart and read.
TableLineResult ParseTableLine(const char* begin, const char* end, TableSeparator separator, double* values,
                               std::size_t capacity, std::size_t& count, std::string& bad,
                               bool decimalComma = false);

/// Reads a whole cell (without the blanks around it) as one number, as
/// strtod reads it, and also: a Fortran exponent "1.5D+03" or "-2.0d-1" as
/// the value of its 'e' form; with `decimalComma`, "1,5" as 1.5 (and then
/// a '.' makes the cell no number); "NA", and an empty cell between
/// separators (as pandas writes a missing value), as NaN, which breaks a
/// trail as "nan" does. False when the cell is no number.
bool ReadTableCell(std::string_view cell, TableSeparator separator, bool decimalComma, double& value);

/// Whether the line [begin, end) is a comment: its first character that is
/// not a blank (after a byte-order mark) is '#'.
bool IsTableComment(const char* begin, const char* end);

/// The texts of the cells of the line [begin, end), told apart as
/// ParseTableLine tells them (blanks around a cell left out), for a header's
/// names; none for a line of blanks. '#' is not special here.
void SplitTableCells(const char* begin, const char* end, TableSeparator separator,
                     std::vector<std::string_view>& cells);

/// True when the cell `bad` is the last thing on the line [begin, end), as
/// when a writer stopped in the middle of it.
bool EndsWithCell(const char* begin, const char* end, std::string_view bad, TableSeparator separator);

/// "Line 17, column 4: 'abc' is not a number" and the other messages of a
/// table's reading, made in one place so that they read alike. A cell
/// holding a NUL byte gets NulByteError's message instead; one that reads
/// with the decimal mark the file does not use says so.
TableError NotANumberError(int64_t line, int32_t column, std::string_view text, bool decimalComma = false);
TableError RaggedRowError(int64_t line, int32_t cellsFound, int32_t cellsExpected);
/// What is said of a line that is not text: it holds a NUL byte, or it is
/// longer than kMaxTableLineBytes.
TableError NulByteError(int64_t line);
TableError LongLineError(int64_t line);

/// Finds the layout of a plain data table from the first bytes of its file
/// (`head`: up to kTableHeadBytes; `whole` when it is the whole file), from
/// its lines that end in '\n': a last line without one may be cut, and is
/// looked at only in a whole file whose other lines hold no data. It finds
/// the separator, the header (a first line holding a cell that is not a
/// number) and what its names say, and the cells of a line. False, with `error` set, when
/// the head holds no data line, when a data line does not hold numbers, or
/// when the cells cannot be shared out as the time and two or three
/// coordinates per body. Without a header that names the columns, `columns`
/// says how many coordinates a body has.
bool DetectTableLayout(std::string_view head, bool whole, TableLayout& layout, TableError& error,
                       TableColumns columns = TableColumns::Unsaid);

/// True when `head` reads as a plain table of numbers rather than as a
/// configuration: after blank lines, lines starting with '#' and at most one
/// header line, its first line is numbers alone; or it holds a header alone
/// whose names give the time or the coordinates.
bool LooksLikeTable(std::string_view head);

/// The coordinates of body `b` that `plane` shows, from a line's cell values.
inline void ProjectBody(const TableBodyColumns& b, TablePlane plane, const double* cells, double& x,
                        double& y) {
    switch (plane) {
        case TablePlane::XY:
            x = cells[b.x], y = cells[b.y];
            break;
        case TablePlane::XZ:
            x = cells[b.x], y = b.z >= 0 ? cells[b.z] : 0.0;
            break;
        case TablePlane::YZ:
            x = cells[b.y], y = b.z >= 0 ? cells[b.z] : 0.0;
            break;
    }
}

/// Whether a body whose velocity columns are `v` (an entry of the layout's
/// velocities) has them.
inline bool HasVelocity(const TableBodyColumns& v) { return v.x >= 0; }

/// For each body of `layout`, whether it has velocity columns.
inline std::vector<bool> GivenVelocities(const TableLayout& layout) {
    std::vector<bool> given;
    for (const TableBodyColumns& v : layout.velocities) given.push_back(HasVelocity(v));
    return given;
}

/// The velocity that the cells `v` name give, in the data's axes: vx, vy,
/// and vz or 0 in the plane; not numbers for a body without.
inline void VelocityOf(const TableBodyColumns& v, const double* cells, double* out) {
    if (!HasVelocity(v)) {
        out[0] = out[1] = out[2] = std::numeric_limits<double>::quiet_NaN();
        return;
    }
    out[0] = cells[v.x], out[1] = cells[v.y], out[2] = v.z >= 0 ? cells[v.z] : 0.0;
}

/// The coordinate of body `b` off the plane `plane` shows (its depth): z on
/// xy, y on xz, x on yz; 0 for a body without z on xy, as ProjectBody puts
/// it on the plane.
inline double DepthOf(const TableBodyColumns& b, TablePlane plane, const double* cells) {
    switch (plane) {
        case TablePlane::XZ:
            return cells[b.y];
        case TablePlane::YZ:
            return cells[b.x];
        case TablePlane::XY:
            break;
    }
    return b.z >= 0 ? cells[b.z] : 0.0;
}
