#pragma once
// A plain table of one line per body and time ("t,body,x,y"), read into one
// row per time as the other tables are.
#include <cstdint>
#include <string>
#include <string_view>
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

/// Reads the whole table `text` with the layout `layout` (bodyColumn >= 0),
/// showing `plane`. The lines of one time stand together, the times in
/// increasing order, each body at most once a time; any other line stops
/// the read with a message naming its line and column.
LongTableRows ReadLongTable(std::string_view text, const TableLayout& layout, TablePlane plane);
