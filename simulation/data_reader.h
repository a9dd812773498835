#pragma once
#include <cstdint>
#include <string>

struct SimulationState;
class Host;

/// How a data read ended; the values are the codes the reader has always
/// returned.
enum class DataResult : int {
    Ok = 0,
    /// The file cannot be read, or no table of the configured shape can be had.
    Failed = -1,
    /// The file is short and the user declined to keep its complete rows.
    ShortDeclined = -100,
};

/// Asks whether to keep the `rows` complete rows of a data file shorter
/// than its configuration says; true for Yes.
bool KeepShortData(Host& host, int32_t rows);

/// Makes sure a table exists with the columns the configuration gives and at
/// least `lineCount` rows, making a fresh one when the table is missing or
/// of another shape (a table of another shape would put the values in the
/// wrong places). False, reported through `host`, when the body count is out
/// of range or the memory cannot be had. The one place that creates tables.
bool PrepareTable(SimulationState& state, Host& host);

/// Reads the data file named by `dataPath` into the table, row by row, each
/// row the time and every body's x and y; prepares the table first. A plain
/// data table (dataFormat Table) is read by ReadTableData instead. A
/// large file is read while `host` waits for it; when the wait is cancelled
/// nothing is loaded, the table is freed, the note "Load cancelled" is given
/// and the result is Failed, with no message box. A short
/// file asks whether to keep the complete rows. After a good read, when the
/// lines read all hold the same number of values and it is not the number a
/// row needs, `host` is given a note that says so.
DataResult ReadData(SimulationState& state, Host& host);
