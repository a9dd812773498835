#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "read_finish.h"

struct LoadedSimulation;
class Host;

/// Makes sure a table exists with the columns the configuration gives and at
/// least `lineCount` rows, making a fresh one when the table is missing or
/// of another shape (a table of another shape would put the values in the
/// wrong places). False, reported through `host`, when the body count is out
/// of range or the memory cannot be had. The one place that creates tables.
bool PrepareTable(LoadedSimulation& loaded, Host& host);

/// Reads the data file named by `dataPath` into the table, row by row, each
/// row the time and every body's x and y; prepares the table first. A plain
/// data table (dataFormat Table) is read by ReadTableData instead. A
/// large file is read while `host` waits for it; when the wait is cancelled
/// nothing is loaded, the table is freed, the note "Load cancelled" is given
/// and the result is Failed, with no message box. A short
/// file asks whether to keep the complete rows. The playback's position is
/// not the reader's: the load that called it sets it. After a good read, when the
/// lines read all hold the same number of values and it is not the number a
/// row needs, `host` is given a note that says so.
DataResult ReadData(LoadedSimulation& loaded, Host& host, const ReadControl& control = {});

/// The data file a read of `loaded` opens: its configuration names it from
/// the configuration's own folder, so a relative name is taken from there
/// when the configuration's path is whole; otherwise as it is written.
std::string DataFileOf(const LoadedSimulation& loaded);
