#pragma once
#include <cstdint>
#include <vector>

/// Where the values in the table end in the data file they were read from,
/// so that following the file goes on from there without reading it again.
struct DataHandOver {
    uint64_t device = 0;  ///< the file read, as the system names it
    uint64_t inode = 0;
    /// The first byte not taken: after the last value taken, or after the
    /// white space that follows it.
    uint64_t byte = 0;
    /// Complete rows taken; -1 when nothing is known.
    int64_t rows = -1;
    /// Values of the next row taken before `byte`, the row not yet complete.
    std::vector<double> partialRow;
};
