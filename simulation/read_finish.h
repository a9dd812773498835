#pragma once
#include <cstdint>
#include <vector>

struct LoadedSimulation;
class Host;

// What every read of a data file shares, the classic stream's and the
// tables': how it ends, how it runs beside the view, and its end.

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

/// How a read runs beside the view: whether the file is followed, and the
/// flag that tells commands to wait while a large read lets the window's
/// events run.
struct ReadControl {
    /// The file is followed as another program writes it: a last number or
    /// line may be cut by the writer and is not read, and a short file keeps
    /// its complete rows without asking.
    bool following = false;
    /// Set for the time a large read runs while `host` waits; may be null.
    bool* loading = nullptr;
};

/// What a read of the data file stored in the table, for the end every
/// read shares (FinishRead).
struct StoredRows {
    int64_t rows = 0;                ///< complete rows, from row 0
    uint64_t endByte = 0;            ///< the first byte of the file not taken
    std::vector<double> partialRow;  ///< values of the next row, not yet complete
    bool cancelled = false;
};

/// The end of every read of a data file `fd` into `loaded`'s table: a
/// cancelled read frees the table and gives the note "Load cancelled"
/// (Failed); a count of rows below 0 with a plain table takes every row; a
/// file shorter than the count keeps its complete rows when followed, or
/// asks (ShortDeclined when the answer is No); the hand-over records where
/// the rows end in the file; the data is then loaded. The caller closes
/// `fd`.
DataResult FinishRead(LoadedSimulation& loaded, Host& host, int fd, const StoredRows& read,
                      const ReadControl& control);
