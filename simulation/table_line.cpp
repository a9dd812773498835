#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "base/format.h"
#include "real_parser.h"
#include "shown_text.h"
#include "table_layout.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

char SeparatorChar(TableSeparator separator) { return separator == TableSeparator::Comma ? ',' : ';'; }

/// The cell [p, end) read with a decimal comma or a Fortran exponent
/// ("1.5D+03") as the same text with '.' and 'e'; false when it is no number
/// that way either. Hexadecimal text keeps its 'd' digits.
bool ReadRewrittenCell(const char* p, const char* end, bool decimalComma, double& value,
                       std::string& scratch) {
    thread_local std::string text;
    text.assign(p, end);
    if (text.find_first_of("xX") != std::string::npos) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool afterMantissa =
            i > 0 && ((text[i - 1] >= '0' && text[i - 1] <= '9') || text[i - 1] == '.');
        if (c == ',' && decimalComma)
            text[i] = '.';
        else if ((c == 'd' || c == 'D') && afterMantissa)
            text[i] = 'e';
    }
    return ParseRealAt(text.data(), text.data() + text.size(), value, scratch) == text.data() + text.size();
}

/// The cell [p, end) read as one number by ReadTableCell's rule.
bool ReadCell(const char* p, const char* end, TableSeparator separator, bool decimalComma, double& value,
              std::string& scratch) {
    const std::string_view cell(p, std::size_t(end - p));
    if (cell.empty() || cell == "NA") {
        value = std::numeric_limits<double>::quiet_NaN();
        return !cell.empty() || separator != TableSeparator::Blank;
    }
    if (decimalComma)
        return cell.find('.') == std::string_view::npos && ReadRewrittenCell(p, end, true, value, scratch);
    if (ParseRealAt(p, end, value, scratch) == end) return true;
    return cell.find_first_of("dD") != std::string_view::npos &&
           ReadRewrittenCell(p, end, false, value, scratch);
}

/// The line [begin, end) without its '\r', a byte-order mark and the blanks
/// before its first cell.
const char* StartOfCells(const char* begin, const char*& end) {
    if (end > begin && end[-1] == '\r') --end;
    begin = end - WithoutByteOrderMark(std::string_view(begin, std::size_t(end - begin))).size();
    while (begin < end && IsBlank(*begin)) ++begin;
    return begin;
}

/// The cell that starts at `p` (on no blank): it ends at `end` (past its
/// last non-blank character), and the next cell starts at `next`, unless it
/// is the line's `last`.
struct CellBounds {
    const char* end;
    const char* next;
    bool last;
};

/// Up to the next blank, or to the next separator with the blanks before it
/// trimmed: the one rule by which a line's cells are told apart.
CellBounds FindCell(const char* p, const char* lineEnd, TableSeparator separator) {
    CellBounds c{p, lineEnd, false};
    if (separator == TableSeparator::Blank) {
        while (c.end < lineEnd && !IsBlank(*c.end)) ++c.end;
        c.next = c.end;
    } else {
        const void* sep = std::memchr(p, SeparatorChar(separator), std::size_t(lineEnd - p));
        c.end = sep ? static_cast<const char*>(sep) : lineEnd;
        c.last = c.end == lineEnd;
        c.next = c.last ? lineEnd : c.end + 1;
        while (c.end > p && IsBlank(c.end[-1])) --c.end;
    }
    while (c.next < lineEnd && IsBlank(*c.next)) ++c.next;
    if (separator == TableSeparator::Blank) c.last = c.next == lineEnd;
    return c;
}

/// Reads a line of well-formed cells in one pass, each number read where its
/// cell starts and followed only by blanks and the separator: what the
/// cell-by-cell rule gives such a line. False at anything else (a cell that
/// is not a number, an empty cell, too many cells), which that rule then
/// reads and tells about.
bool ReadPlainCells(const char* p, const char* end, TableSeparator separator, double* values,
                    std::size_t capacity, std::size_t& count, std::string& scratch) {
    const char sep = separator == TableSeparator::Blank ? ' ' : SeparatorChar(separator);
    for (count = 0;;) {
        if (count == capacity || p == end) return false;
        const char* after = ParseRealAt(p, end, values[count], scratch, sep);
        if (!after) return false;
        ++count;
        while (after < end && IsBlank(*after)) ++after;
        if (after == end) return true;
        if (separator != TableSeparator::Blank) {
            if (*after != sep) return false;
            ++after;
            while (after < end && IsBlank(*after)) ++after;
        } else if (!IsBlank(after[-1])) {
            return false;  // the number ends inside its cell
        }
        p = after;
    }
}

}  // namespace

TableLineResult ParseTableLine(const char* begin, const char* end, TableSeparator separator, double* values,
                               std::size_t capacity, std::size_t& count, std::string& bad,
                               bool decimalComma) {
    thread_local std::string scratch;
    const char* p = StartOfCells(begin, end);
    count = 0;
    if (p == end) return TableLineResult::Blank;
    if (*p == '#') return TableLineResult::Comment;
    // The one-pass read takes '.' for the decimal mark: a file of decimal
    // commas is read cell by cell, so that a stray '.' is caught.
    if (!decimalComma && ReadPlainCells(p, end, separator, values, capacity, count, scratch))
        return TableLineResult::Cells;
    count = 0;
    for (;;) {
        const CellBounds cell = FindCell(p, end, separator);
        if (count == capacity) {
            count = capacity + 1;
            return TableLineResult::Cells;
        }
        if (!ReadCell(p, cell.end, separator, decimalComma, values[count], scratch)) {
            bad.assign(p, cell.end);
            return TableLineResult::BadCell;
        }
        ++count;
        if (cell.last) return TableLineResult::Cells;
        p = cell.next;
    }
}

bool IsTableComment(const char* begin, const char* end) {
    const char* p = StartOfCells(begin, end);
    return p < end && *p == '#';
}

void SplitTableCells(const char* begin, const char* end, TableSeparator separator,
                     std::vector<std::string_view>& cells) {
    cells.clear();
    const char* p = StartOfCells(begin, end);
    if (p == end) return;
    for (;;) {
        const CellBounds cell = FindCell(p, end, separator);
        cells.emplace_back(p, static_cast<std::size_t>(cell.end - p));
        if (cell.last) return;
        p = cell.next;
    }
}

bool ReadTableCell(std::string_view cell, TableSeparator separator, bool decimalComma, double& value) {
    thread_local std::string scratch;
    return ReadCell(cell.data(), cell.data() + cell.size(), separator, decimalComma, value, scratch);
}

TableError NotANumberError(int64_t line, int32_t column, std::string_view text, bool decimalComma) {
    if (text.find('\0') != std::string_view::npos) {
        TableError e = NulByteError(line);
        e.column = column;
        return e;
    }
    TableError e;
    e.line = line;
    e.column = column;
    const std::string shown = ShownText(LeadingText(text, 40));
    // A cell that reads with the other decimal mark tells of a file that mixes both.
    double value = 0;
    std::string scratch;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* mark = nullptr;
    if (decimalComma && text.find('.') != std::string_view::npos &&
        ReadCell(begin, end, TableSeparator::Blank, false, value, scratch))
        mark = "a decimal point where the file's numbers have decimal commas";
    else if (!decimalComma && text.find(',') != std::string_view::npos &&
             ReadRewrittenCell(begin, end, true, value, scratch))
        mark = "a decimal comma where the file's numbers have decimal points";
    e.message = mark ? Format("Line %lld, column %d: '%s' has %s", static_cast<long long>(line), column,
                              shown.c_str(), mark)
                     : Format("Line %lld, column %d: '%s' is not a number", static_cast<long long>(line),
                              column, shown.c_str());
    return e;
}

bool EndsWithCell(const char* begin, const char* end, std::string_view bad, TableSeparator separator) {
    while (end > begin && (end[-1] == '\r' || end[-1] == ' ' || end[-1] == '\t')) --end;
    const std::string_view line(begin, std::size_t(end - begin));
    if (!bad.empty()) return line.ends_with(bad);
    return !line.empty() && separator != TableSeparator::Blank &&
           line.back() == (separator == TableSeparator::Comma ? ',' : ';');
}

TableError NulByteError(int64_t line) {
    TableError e;
    e.line = line;
    e.message = Format("Line %lld holds a NUL byte: the file is damaged or is not text",
                       static_cast<long long>(line));
    return e;
}

TableError LongLineError(int64_t line) {
    TableError e;
    e.line = line;
    e.message = Format("Line %lld is longer than %zu MiB: the file is damaged or is not a table",
                       static_cast<long long>(line), kMaxTableLineBytes >> 20);
    return e;
}

TableError RaggedRowError(int64_t line, int32_t cellsFound, int32_t cellsExpected) {
    TableError e;
    e.line = line;
    e.column = cellsFound < cellsExpected ? cellsFound + 1 : cellsExpected + 1;
    e.message = Format("Line %lld, column %d: the line holds %d values where the lines before hold %d",
                       static_cast<long long>(line), e.column, cellsFound, cellsExpected);
    return e;
}
