#pragma once
// What the names in a plain data table's header say; used by the layout's
// detection only.
#include <cstdint>
#include <string_view>
#include <vector>

#include "table_layout.h"

/// The cells of a header line [begin, end): its names, split as the data
/// lines are; with blank separators a unit in brackets standing apart
/// ("t [yr]") stays with the name before it.
void SplitTableHeader(const char* begin, const char* end, TableSeparator separator,
                      std::vector<std::string_view>& cells);

/// What a header's names say.
enum class HeaderMeaning {
    Columns,  ///< the time and the bodies' coordinates, set in the layout
    Nothing,  ///< no name is a coordinate: the columns go by their places
    Fault,    ///< the names contradict each other or the data: see the error
};

/// True when the names are those of a table of one line per body and time:
/// the time ("t", "time"), the body ("body", "name", "id", "object",
/// "planet", "particle") and the lone coordinates x, y and maybe z, other
/// names left aside. Sets the layout's cells, timeColumn, bodyColumn,
/// lineColumns and units; its bodies come from the lines.
bool ReadLongHeader(const std::vector<std::string_view>& cells, TableLayout& layout);

/// Reads the names of the header on line `line` for data lines of
/// `dataCells` values. With Columns, sets the layout's timeColumn, bodies,
/// names, timeUnit and lengthUnit.
HeaderMeaning ReadTableHeader(const std::vector<std::string_view>& cells, int64_t line, int32_t dataCells,
                              TableLayout& layout, TableError& error);
