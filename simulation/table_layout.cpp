#include "table_layout.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/format.h"
#include "table_header.h"

namespace {

/// Cells a data line may hold: more is taken for something other than a
/// table of orbits rather than read into absurd numbers of bodies.
constexpr int32_t kMaxCells = 10000;

/// Data lines the separator is found from.
constexpr int kSeparatorLines = 20;

/// The lines of a head one by one, without their '\n', numbered from 1.
class HeadLines {
public:
    /// Unless `withLast`, the text after the head's last '\n' is left out.
    HeadLines(std::string_view head, bool withLast) : p_(head.data()), stop_(head.data() + head.size()) {
        if (withLast) return;
        const std::size_t last = head.rfind('\n');
        stop_ = last == std::string_view::npos ? p_ : head.data() + last + 1;
    }

    bool next() {
        if (p_ == stop_) return false;
        begin_ = p_;
        const void* newline = std::memchr(p_, '\n', static_cast<std::size_t>(stop_ - p_));
        end_ = newline ? static_cast<const char*>(newline) : stop_;
        p_ = newline ? end_ + 1 : stop_;
        ++number_;
        return true;
    }
    const char* begin() const { return begin_; }
    const char* end() const { return end_; }
    int64_t number() const { return number_; }

private:
    const char* p_;
    const char* stop_;
    const char* begin_ = nullptr;
    const char* end_ = nullptr;
    int64_t number_ = 0;
};

/// Neither blank nor a comment: a data line or a header. (ParseTableLine
/// tells these apart before it reads a cell, so a capacity of 0 reads none.)
bool HoldsCells(const char* begin, const char* end) {
    std::size_t count = 0;
    std::string unused;
    return ParseTableLine(begin, end, TableSeparator::Blank, nullptr, 0, count, unused) ==
           TableLineResult::Cells;
}

/// True when the line holds a tab between two cells that no comma stands
/// beside: a tab-separated line, whose commas are then decimal marks.
bool TabBetweenCells(std::string_view line) {
    for (std::size_t tab = line.find('\t'); tab != std::string_view::npos; tab = line.find('\t', tab + 1)) {
        const std::size_t before = line.find_last_not_of(" \t\r", tab);
        const std::size_t after = line.find_first_not_of(" \t\r", tab);
        if (before != std::string_view::npos && after != std::string_view::npos && line[before] != ',' &&
            line[after] != ',')
            return true;
    }
    return false;
}

/// The separator of lines and their decimal mark. A comma is a decimal mark
/// when the lines holding commas hold semicolons too (then the separator),
/// or tabs between cells (then blanks separate: "1,5\t2,25"); otherwise ','
/// separates when some line holds one, else ';' when some line holds one,
/// else blanks. A comma-separated file never has decimal commas, and a file
/// of decimal commas never mixes in a decimal point (see NotANumberError).
TableSeparator SeparatorOf(const std::vector<std::string_view>& lines, bool& decimalComma) {
    bool comma = false, semicolon = false, tab = false;
    for (std::string_view line : lines) {
        if (line.find(',') != std::string_view::npos) {
            comma = true;
            tab = tab || TabBetweenCells(line);
        }
        semicolon = semicolon || line.find(';') != std::string_view::npos;
    }
    decimalComma = comma && (semicolon || tab);
    if (comma && !decimalComma) return TableSeparator::Comma;
    return semicolon ? TableSeparator::Semicolon : TableSeparator::Blank;
}

/// True when the line is numbers alone, read with `separator`.
bool IsNumbers(const char* begin, const char* end, TableSeparator separator, bool decimalComma,
               std::vector<double>& values) {
    std::size_t count = 0;
    std::string bad;
    return ParseTableLine(begin, end, separator, values.data(), values.size(), count, bad, decimalComma) ==
           TableLineResult::Cells;
}

/// True when the line holds a name: some cell that is not a number, even
/// when the line is cut at every separator, so that a row written with
/// another separator is not taken for a header.
bool HoldsName(const char* begin, const char* end) {
    const std::string_view line = WithoutByteOrderMark(std::string_view(begin, std::size_t(end - begin)));
    double value = 0;
    std::size_t count = 0;
    std::string bad;
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t next = std::min(line.find_first_of(",; \t\f\v\r", at), line.size());
        if (next > at && ParseTableLine(line.data() + at, line.data() + next, TableSeparator::Blank, &value,
                                        1, count, bad) == TableLineResult::BadCell)
            return true;
        at = next + 1;
    }
    return false;
}

TableError LineError(int64_t line, std::string message) {
    TableError e;
    e.line = line;
    e.message = line > 0 ? Format("Line %lld: %s", static_cast<long long>(line), message.c_str()) : message;
    return e;
}

/// The first line with cells of `head` (its number, 0 without one), and the
/// separator found into `layout`: from the first lines with cells, the
/// first of them left out when it may be a header, whose text says nothing
/// of the data's separator, unless `firstRowCounts` and it holds no name.
std::pair<std::string_view, int64_t> FindSeparator(std::string_view head, bool withLast, bool firstRowCounts,
                                                   TableLayout& layout) {
    std::vector<std::string_view> firsts;
    int64_t firstLine = 0;
    for (HeadLines lines(head, withLast); firsts.size() <= kSeparatorLines && lines.next();) {
        if (!HoldsCells(lines.begin(), lines.end())) continue;
        if (firsts.empty()) firstLine = lines.number();
        firsts.emplace_back(lines.begin(), static_cast<std::size_t>(lines.end() - lines.begin()));
    }
    const std::string_view first = firsts.empty() ? std::string_view() : firsts.front();
    if (firsts.size() > 1 && !(firstRowCounts && !HoldsName(first.data(), first.data() + first.size())))
        firsts.erase(firsts.begin());
    layout.separator = SeparatorOf(firsts, layout.decimalComma);
    return {first, firstLine};
}

/// What the lines of a head hold before the layout is read from them: the
/// first data line, and the lines that may name the columns.
struct HeadScan {
    int64_t dataLine = 0;            ///< the first, 0 without one
    std::string_view textHeader;     ///< the first line with cells, when it holds names
    std::string_view commentHeader;  ///< the last comment before the data
    int64_t commentLine = 0;
};

/// Takes a comment "# masses = ..." or "# sun mass = ..." (any case) into
/// `layout`; false for any other line.
bool ReadMassComment(std::string_view line, TableLayout& layout) {
    line = WithoutByteOrderMark(line);
    line.remove_prefix(std::min(line.find_first_not_of(" \t#"), line.size()));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return false;
    std::string key(line.substr(0, equals));
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
    for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
    std::string value(line.substr(equals + 1));
    while (!value.empty() && std::isspace(static_cast<unsigned char>(value.back()))) value.pop_back();
    if (key == "masses")
        layout.masses = value, std::replace(layout.masses.begin(), layout.masses.end(), ',', ' ');
    else if (key == "sun mass")
        layout.sunMass = value;
    else
        return false;
    return true;
}

/// Reads the lines of `head` under `layout`'s separator into `scan` and
/// the data lines' count of cells into `layout.cells`; false, with `error`,
/// at the first line that is no row of numbers of that count.
bool ScanLines(std::string_view head, bool withLast, int64_t firstLine, TableLayout& layout, HeadScan& scan,
               TableError& error) {
    std::vector<double> values(kMaxCells);
    std::string bad;
    for (HeadLines lines(head, withLast); lines.next();) {
        std::size_t count = 0;
        const TableLineResult result =
            ParseTableLine(lines.begin(), lines.end(), layout.separator, values.data(), values.size(), count,
                           bad, layout.decimalComma);
        const std::string_view line(lines.begin(), static_cast<std::size_t>(lines.end() - lines.begin()));
        if (result == TableLineResult::Blank) continue;
        if (result == TableLineResult::Comment) {
            if (scan.dataLine == 0 && !ReadMassComment(line, layout))
                scan.commentHeader = line, scan.commentLine = lines.number();
            continue;
        }
        if (result == TableLineResult::BadCell && lines.number() == firstLine &&
            HoldsName(lines.begin(), lines.end())) {
            scan.textHeader = line;
            layout.headerLine = firstLine;
            continue;
        }
        const int32_t cells = static_cast<int32_t>(count);
        if (result == TableLineResult::BadCell) {
            error = NotANumberError(lines.number(), cells + 1, bad, layout.decimalComma);
            return false;
        }
        if (count > values.size()) {
            error = LineError(lines.number(), Format("more than %d values a line", kMaxCells));
            return false;
        }
        if (scan.dataLine == 0) {
            scan.dataLine = lines.number();
            layout.cells = cells;
        } else if (cells != layout.cells) {
            error = RaggedRowError(lines.number(), cells, layout.cells);
            return false;
        }
    }
    return true;
}

/// The header: the line of names before the data, or else the last
/// comment before the data when it names as many columns as a line holds
/// (numpy's "# t x1 y1"); its names go into `names`. A header naming fewer
/// columns than the rows hold is a fault.
HeaderMeaning ReadHeaderOf(const HeadScan& scan, TableLayout& layout, std::vector<std::string_view>& names,
                           TableError& error) {
    HeaderMeaning meaning = HeaderMeaning::Nothing;
    if (!scan.textHeader.empty()) {
        SplitTableHeader(scan.textHeader.data(), scan.textHeader.data() + scan.textHeader.size(),
                         layout.separator, names);
        meaning = ReadTableHeader(names, layout.headerLine, layout.cells, layout, error);
    } else if (!scan.commentHeader.empty()) {
        const std::string_view comment = WithoutByteOrderMark(scan.commentHeader);
        const std::size_t start = comment.find_first_not_of(" \t#\f\v");
        const std::string_view text = comment.substr(std::min(start, comment.size()));
        SplitTableHeader(text.data(), text.data() + text.size(), layout.separator, names);
        if (static_cast<int32_t>(names.size()) == layout.cells) {
            meaning = ReadTableHeader(names, scan.commentLine, layout.cells, layout, error);
            if (meaning == HeaderMeaning::Columns) layout.headerLine = scan.commentLine;
        }
    }
    if (meaning == HeaderMeaning::Columns && static_cast<int32_t>(names.size()) < layout.cells) {
        // Cells no name stands over would be left out unseen; with commas
        // between cells they are what decimal commas make of each number.
        error = LineError(scan.dataLine,
                          Format("%d values, where the header on line %lld names %zu columns%s", layout.cells,
                                 static_cast<long long>(layout.headerLine), names.size(),
                                 layout.separator == TableSeparator::Comma
                                     ? "; numbers with decimal commas need cells separated by ';' or tabs"
                                     : ""));
        return HeaderMeaning::Fault;
    }
    return meaning;
}

/// No names: the time, then x and y (or x, y and z) of each body.
bool ColumnsWithoutNames(TableColumns columns, int64_t dataLine, TableLayout& layout, TableError& error) {
    const int32_t axes = columns == TableColumns::XYZ ? 3 : 2;
    if (layout.cells < 1 + axes || (layout.cells - 1) % axes != 0) {
        error = LineError(
            dataLine, Format("%d value%s a line; a table needs the time, then %s of each body", layout.cells,
                             layout.cells == 1 ? "" : "s", axes == 3 ? "x, y and z" : "x and y"));
        return false;
    }
    layout.timeColumn = 0;
    for (int32_t x = 1; x + axes - 1 < layout.cells; x += axes)
        layout.bodies.push_back(TableBodyColumns{x, x + 1, axes == 3 ? x + 2 : -1});
    if (columns == TableColumns::Unsaid && (layout.cells - 1) % 6 == 0) {
        const int32_t bodies = (layout.cells - 1) / 2;
        layout.note += Format(
            "%s%d columns read as the time and x, y of %d bodies; --columns xyz reads them "
            "as x, y, z of %d",
            layout.note.empty() ? "" : "; ", layout.cells, bodies, bodies * 2 / 3);
    }
    return true;
}

/// DetectTableLayout from the lines of `head` that end in '\n', and also
/// from the text after the last when `withLast`. The separator is found
/// from the lines after the first, unless `firstRowCounts` and the first
/// holds no name.
bool DetectFrom(std::string_view head, bool whole, bool withLast, TableColumns columns, TableLayout& layout,
                TableError& error, bool firstRowCounts) {
    layout = TableLayout{};
    const auto [first, firstLine] = FindSeparator(head, withLast, firstRowCounts, layout);
    // A header of the time, the body and x, y: one line per body and time,
    // whose lines are checked as they are read.
    std::vector<std::string_view> names;
    SplitTableHeader(first.data(), first.data() + first.size(), layout.separator, names);
    if (firstLine > 0 && ReadLongHeader(names, layout)) {
        layout.headerLine = firstLine;
        return true;
    }
    HeadScan scan;
    if (!ScanLines(head, withLast, firstLine, layout, scan, error)) return false;
    if (scan.dataLine == 0) {
        if (layout.headerLine > 0)
            error = LineError(layout.headerLine, "a header without data lines after it");
        else if (whole)
            error = LineError(0, "No data lines in the file");
        else
            error =
                LineError(0, Format("No data line ends within the first %zu bytes of the file", head.size()));
        error.noDataLine = true;
        return false;
    }
    const HeaderMeaning meaning = ReadHeaderOf(scan, layout, names, error);
    if (meaning == HeaderMeaning::Fault) return false;
    if (meaning == HeaderMeaning::Columns) return true;
    if (!scan.textHeader.empty())
        layout.note = Format("Line %lld was read as a header", static_cast<long long>(layout.headerLine));
    return ColumnsWithoutNames(columns, scan.dataLine, layout, error);
}

/// DetectFrom, and when the lines after the first row refuse it, again
/// with the first row's separators counted too: a first row of decimal
/// commas then reads as it did when it was the only line, so a table read
/// as it grows gives what it gives read whole. The first error stays when
/// that fails too.
bool DetectFromRows(std::string_view head, bool whole, bool withLast, TableColumns columns,
                    TableLayout& layout, TableError& error) {
    if (DetectFrom(head, whole, withLast, columns, layout, error, false)) return true;
    if (error.noDataLine) return false;
    TableLayout counted;
    TableError countedError;
    if (!DetectFrom(head, whole, withLast, columns, counted, countedError, true)) return false;
    layout = counted;
    error = TableError{};
    return true;
}

}  // namespace

bool DetectTableLayout(std::string_view head, bool whole, TableLayout& layout, TableError& error,
                       TableColumns columns) {
    // A last line without its line end may be cut wherever its writer
    // stopped: it is looked at only when no complete line holds data.
    error = TableError{};
    if (DetectFromRows(head, whole, false, columns, layout, error)) return true;
    if (!error.noDataLine || !whole || head.empty() || head.back() == '\n') return false;
    error = TableError{};
    return DetectFromRows(head, whole, true, columns, layout, error);
}

namespace {

/// True when `line` is the header of a table of one line per body and time.
bool IsLongHeader(std::string_view line) {
    bool decimalComma = false;
    const TableSeparator separator = SeparatorOf({line}, decimalComma);
    std::vector<std::string_view> names;
    SplitTableHeader(line.data(), line.data() + line.size(), separator, names);
    TableLayout layout;
    return ReadLongHeader(names, layout);
}

}  // namespace

bool LooksLikeTable(std::string_view head) {
    std::vector<double> values(kMaxCells);
    std::string_view header;
    for (HeadLines lines(head, true); lines.next();) {
        if (!HoldsCells(lines.begin(), lines.end())) continue;
        const std::string_view line(lines.begin(), static_cast<std::size_t>(lines.end() - lines.begin()));
        bool decimalComma = false;
        const TableSeparator separator = SeparatorOf({line}, decimalComma);
        if (IsNumbers(lines.begin(), lines.end(), separator, decimalComma, values)) return true;
        if (!header.empty()) return IsLongHeader(header);  // its lines name their bodies
        header = line;
    }
    // A header before any row, as a writer leaves it at its start, is a
    // table when its names say which column is the time or a coordinate.
    if (header.empty()) return false;
    if (IsLongHeader(header)) return true;
    bool decimalComma = false;
    const TableSeparator separator = SeparatorOf({header}, decimalComma);
    std::vector<std::string_view> names;
    SplitTableHeader(header.data(), header.data() + header.size(), separator, names);
    TableLayout layout;
    TableError error;
    return ReadTableHeader(names, 1, static_cast<int32_t>(names.size()), layout, error) ==
           HeaderMeaning::Columns;
}
