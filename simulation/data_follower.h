#pragma once
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "data_hand_over.h"
#include "table_appender.h"

struct LoadProgress;

/// Follows a data file that another program is still writing. Each Poll
/// reads only the bytes appended since the last one and hands back the
/// complete rows among them; a row or a number cut by the writer waits for
/// the rest. A file that became shorter or was replaced by another is
/// reported, so that it can be read again from its beginning.
///
/// A plain data table is followed a line at a time instead: only lines that
/// end in '\n' are taken, each read by the table's layout into a row of the
/// time and two coordinates per body, and with three coordinates a body
/// their depths off the plane shown beside.
class DataFollower {
public:
    /// Follows the classic data file, rows of `columns` values.
    DataFollower(std::string path, int32_t columns);
    /// Follows a plain data table of `layout`, its bodies shown on `plane`.
    DataFollower(std::string path, const TableLayout& layout, TablePlane plane);

    /// Goes on from where a load or an earlier follower left the file,
    /// without reading what came before. False when the file is another one
    /// now or shorter than that (then it was started again).
    bool Resume(const DataHandOver& handOver);
    /// Moves past the first `values` values of the file, read as the loader
    /// reads them: they are in the table already. A table's rows are its data
    /// lines, past its blank, comment and header lines. False when the file holds
    /// fewer (then it is read again from its beginning at the next Poll).
    bool SkipValues(std::size_t values);
    /// Where the rows taken so far end in the file.
    DataHandOver handOver() const;

    struct Update {
        enum class Kind {
            Unchanged,  ///< nothing new
            Rows,       ///< complete rows appended (maybe none yet: a row is still cut)
            Restarted,  ///< the file became shorter or was replaced: read it again
            BadText,    ///< text that is not a number; following ends
            Missing,    ///< the file cannot be opened just now
            Refused,    ///< the rows read could not be kept; following ends
            Cancelled,  ///< the reading was cancelled; the rows read before stay taken
        } kind = Kind::Unchanged;
        std::vector<double> values;  ///< complete rows, row after row (Rows, without a RowTaker)
        /// With depths(), each of those rows' depths, row after row.
        std::vector<double> depths;
        /// With velocities(), each of those rows' velocities, row after row.
        std::vector<double> velocities;
        int64_t badRow = -1;  ///< row of the file holding the text (BadText), from 0
        /// For a table, the line holding it and what is wrong there (BadText).
        TableError tableError;
    };
    /// Takes `rows` complete rows (row after row) as Poll reads them, and
    /// their depths (null without depths()) and velocities (null without
    /// velocities()), with an estimate of the rows still to be read in this
    /// Poll; false when they cannot be kept, which ends the Poll.
    using RowTaker = std::function<bool(const double* values, const double* depths, const double* velocities,
                                        std::size_t rows, int64_t rowsToCome)>;
    /// Reads what was appended since the last call. Its complete rows go to
    /// `take` a block at a time as they are read, so that no more than a
    /// block of them is ever held here; without `take` they are gathered in
    /// the update's values. With `progress`, the bytes of the append read
    /// are published after each block, and a cancel request stops the read
    /// there.
    Update Poll(const RowTaker& take = {}, LoadProgress* progress = nullptr);
    /// Bytes appended since the last Poll, as the file's size shows them now;
    /// 0 when it cannot be looked at or became shorter.
    uint64_t bytesWaiting() const;

    /// Values in each row handed back.
    int32_t columns() const { return int32_t(columns_); }
    /// Depths in each row handed back: one a body for a table of three
    /// coordinates a body, else none.
    int32_t depths() const { return table_ ? int32_t(table_->depths()) : 0; }
    /// Velocity values in each row handed back: three a body for a table
    /// whose header names velocity columns, else none.
    int32_t velocities() const { return table_ ? int32_t(table_->velocities()) : 0; }
    /// Complete rows taken so far, counting those skipped.
    int64_t rowsTaken() const { return rowsTaken_; }

private:
    /// Poll's reading of a table's appended lines, up to the file's `size`.
    Update PollTable(int fd, uint64_t size, const RowTaker& take, LoadProgress* progress);
    /// SkipValues for a table: past its first `rows` data lines.
    bool SkipTableRows(int fd, uint64_t size, std::size_t rows);

    std::string path_;
    std::size_t columns_;
    uint64_t offset_ = 0;  ///< bytes of the file taken so far (a number still being written is not)
    dev_t device_ = 0;
    ino_t inode_ = 0;
    bool known_ = false;            ///< device_ and inode_ name the file read so far
    std::vector<double> rowSoFar_;  ///< values of the row not yet complete
    int64_t rowsTaken_ = 0;
    std::optional<TableRowReader> table_;  ///< set when following a table
    int64_t lines_ = 0;                    ///< a table's lines taken so far; -1 when not known
};
