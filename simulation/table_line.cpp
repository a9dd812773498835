#include <algorithm>
#include <string>

#include "base/format.h"
#include "real_parser.h"
#include "table_layout.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

char SeparatorChar(TableSeparator separator) { return separator == TableSeparator::Comma ? ',' : ';'; }

/// Reads the whole cell [p, end) as one number; false when it is not
/// exactly one ("1.5abc", "", "-").
bool ReadCell(const char* p, const char* end, double& value, std::string& scratch) {
    if (p == end) return false;
    return ParseRealAt(p, end, value, scratch) == end;
}

}  // namespace

TableLineResult ParseTableLine(const char* begin, const char* end, TableSeparator separator, double* values,
                               std::size_t capacity, std::size_t& count, std::string& bad) {
    thread_local std::string scratch;
    if (end > begin && end[-1] == '\r') --end;
    const char* p = begin;
    while (p < end && IsBlank(*p)) ++p;
    count = 0;
    if (p == end) return TableLineResult::Blank;
    if (*p == '#') return TableLineResult::Comment;
    const char sep = separator == TableSeparator::Blank ? ' ' : SeparatorChar(separator);
    for (;;) {
        // [p, q) is the cell: up to the next blank, or to the next separator
        // with the blanks before it trimmed. `last` tells whether another
        // cell follows.
        const char* q = p;
        bool last = false;
        const char* next = end;
        if (separator == TableSeparator::Blank) {
            while (q < end && !IsBlank(*q)) ++q;
            next = q;
            while (next < end && IsBlank(*next)) ++next;
            last = next == end;
        } else {
            while (q < end && *q != sep) ++q;
            last = q == end;
            next = last ? end : q + 1;
            while (q > p && IsBlank(q[-1])) --q;
        }
        if (count == capacity) {
            count = capacity + 1;
            return TableLineResult::Cells;
        }
        if (!ReadCell(p, q, values[count], scratch)) {
            bad.assign(p, q);
            return TableLineResult::BadCell;
        }
        ++count;
        if (last) return TableLineResult::Cells;
        p = next;
        while (p < end && IsBlank(*p)) ++p;
    }
}

TableError NotANumberError(int64_t line, int32_t column, std::string_view text) {
    TableError e;
    e.line = line;
    e.column = column;
    e.message = Format("Line %lld, column %d: '%.*s' is not a number", static_cast<long long>(line), column,
                       static_cast<int>(std::min<std::size_t>(text.size(), 40)), text.data());
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
