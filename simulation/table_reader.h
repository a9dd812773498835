#pragma once
#include <cstdint>
#include <string_view>

#include "read_finish.h"
#include "table_layout.h"

class Host;
class DepthTable;
class VelocityTable;
class TrajectoryTable;
struct LoadProgress;
struct LoadedSimulation;

/// Reads the plain data table `dataPath` (numpy's savetxt, a CSV file,
/// Fortran output) into the table, with the layout found from the file's
/// head, which is kept in `tableLayout`. Every data line gives one row: its
/// time and each body's two coordinates on `plane`. The first line that is
/// not a row of numbers of the layout's width stops the read, reported by
/// line and column, and nothing is loaded. A last line without a line end
/// is taken when complete, unless the file is followed (its writer may be
/// in the middle of it); one cut short is left out with a note. A table
/// shorter than `lineCount` asks, as the classic reader does, whether to
/// keep its rows; a negative `lineCount` takes them all. A large file is
/// read on all cores while `host` waits, and may be cancelled.
DataResult ReadTableData(LoadedSimulation& loaded, Host& host, const ReadControl& control = {});

/// The same with the layout given rather than found from the file's head.
DataResult ReadTableData(LoadedSimulation& loaded, Host& host, const TableLayout& layout,
                         const ReadControl& control = {});

/// How reading a table's lines ended.
struct TableRowsRead {
    int64_t rows = 0;      ///< complete rows stored, from row 0 of the table
    uint64_t endByte = 0;  ///< after the line end of the last line dealt with
    bool failed = false;   ///< `error` stopped the read
    TableError error;
    int64_t cutLine = 0;  ///< the last line, without a line end, left out as cut short; 0 if none
    bool cancelled = false;
};

/// Reads the data lines of the table file `fd` (of `fileSize` bytes) into
/// `table`, which has room for every row the file can hold, as ReadTableData
/// describes; the line starting at `headerOffset` is the header and is
/// skipped. The file is cut into blocks, each owning the lines that start
/// in it, parsed by `threads` threads (1: in order on this one) and placed
/// in file order, so the result is the same whatever the threads. With
/// `progress`, bytes read are published and a cancel stops the read. With
/// `depth` (as many bodies as the layout, rows as `table`), each row's
/// coordinates off `plane` go there too; with `velocity`, the velocities
/// the layout's velocity columns give.
TableRowsRead ReadTableRows(int fd, uint64_t fileSize, const TableLayout& layout, uint64_t headerOffset,
                            TablePlane plane, bool lastLinePending, TrajectoryTable& table, unsigned threads,
                            LoadProgress* progress = nullptr, DepthTable* depth = nullptr,
                            VelocityTable* velocity = nullptr);

/// Rows the table file `fd` (of `fileSize` bytes, whose first bytes are
/// `head`) holds at least, as far as samples of its lines along the file
/// tell: the table asks for huge pages only over these rows, since one is
/// taken whole at its first write and rows fewer than foreseen would leave
/// a partly filled one at the end of every column.
int64_t TableRowsAtLeast(int fd, std::string_view head, uint64_t fileSize);
