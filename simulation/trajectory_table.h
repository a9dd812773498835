#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

/// The loaded trajectory: rowCount rows of columnCount values, column 0 the
/// time and columns 2k - 1 and 2k body k's x and y. It is stored by body: all
/// the times, then each body's (x, y) pairs row after row, so that drawing a
/// trail reads one contiguous run of memory. The shape is fixed for the
/// table's life, so every reader bounds its loops by the table's own shape,
/// whatever the settings say.
class TrajectoryTable {
public:
    /// Gives the `bytes` of values back: a small table's to malloc, a large
    /// (`mapped`) one's to the system, pages and all.
    struct FreeValues {
        std::size_t bytes = 0;
        bool mapped = false;
        void operator()(double* values) const;
    };
    using Values = std::unique_ptr<double[], FreeValues>;

    TrajectoryTable(int32_t rows, int32_t columns, Values values);

    int32_t rowCount() const { return rows_; }
    int32_t columnCount() const { return columns_; }
    /// Number of bodies whose two columns exist in every row.
    int32_t bodyColumns() const { return columns_ > 0 ? (columns_ - 1) / 2 : 0; }

    double time(int32_t r) const { return values_[std::size_t(r)]; }
    /// The times of every row, one after another.
    const double* times() const { return values_.get(); }
    /// Body `body`'s pairs from row `r` on: x of row r + i at [2i], y at [2i + 1].
    const double* track(int32_t body, int32_t r) const { return values_.get() + trackOffset(body, r); }

    /// The value in column `c` of row `r`.
    double value(int32_t r, int32_t c) const { return values_[offset(r, c)]; }
    void set(int32_t r, int32_t c, double v) {
        values_[offset(r, c)] = v;
        version_ = NextVersion();
    }
    /// Changes whenever values are stored and differs between tables, so that
    /// anything derived from the values can tell when to derive it again.
    uint64_t version() const { return version_.load(std::memory_order_relaxed); }

    /// Stores `n` values given in file order (row after row), the first of
    /// them being value number `first` of the file. Several threads may store
    /// disjoint ranges at once.
    void Store(std::size_t first, const double* values, std::size_t n);

    /// Stores values as Store does, into rows after those in use, which
    /// nothing has read yet: the version stays, so that what was derived
    /// from the rows before them stays valid.
    void StoreAppended(std::size_t first, const double* values, std::size_t n) {
        const uint64_t kept = version_;
        Store(first, values, n);
        version_ = kept;
    }

    /// Body `body`'s pairs from row `r` on, to be written by a table derived
    /// from another (a transform of its positions), which then calls
    /// Changed(); several threads may write disjoint rows at once.
    double* writableTrack(int32_t body, int32_t r) { return values_.get() + trackOffset(body, r); }
    double* writableTimes() { return values_.get(); }
    /// Takes a new version after values were written in place.
    void Changed() { version_ = NextVersion(); }

    /// Copies the first `rows` rows of `from`, which has the same columns and
    /// at least that many rows, into this table, which has room for them.
    void CopyRowsFrom(const TrajectoryTable& from, int32_t rows);

private:
    std::size_t trackOffset(int32_t body, int32_t r) const {
        return std::size_t(rows_) + (std::size_t(body - 1) * std::size_t(rows_) + std::size_t(r)) * 2;
    }
    std::size_t offset(int32_t r, int32_t c) const {
        return c == 0 ? std::size_t(r) : trackOffset((c + 1) / 2, r) + std::size_t((c - 1) & 1);
    }

    static uint64_t NextVersion();

    int32_t rows_;
    int32_t columns_;
    Values values_;
    std::atomic<uint64_t> version_;
};

/// Creates a table of `rows` x `columns` uninitialised doubles. A negative row
/// count gives a table without rows. Returns null when the size does not fit
/// in memory sizes or the memory cannot be had, which includes a table larger
/// than the memory the system has available now.
std::unique_ptr<TrajectoryTable> AllocateTable(int32_t rows, int32_t columns);

/// Creates a table of `rowsBound` rows, a bound on the rows a read whose
/// count is not known beforehand will store, of which only the first ones
/// are expected to be used. A large one is mapped without reserving memory,
/// so its pages cost nothing until they are written; only the `rowsExpected`
/// rows are checked against the memory available. Huge pages are asked for
/// only over the rows each column will almost surely fill, so that a column's
/// last, partly written page is a small one. Null when the sizes do not fit
/// or the memory cannot be had.
std::unique_ptr<TrajectoryTable> AllocateTableCapacity(int32_t rowsBound, int32_t columns,
                                                       int64_t rowsExpected);

/// Makes room for rows appended at the end: replaces `table` by one of
/// `capacity` rows holding its first `keep` rows. False, the table as it
/// was, when the memory cannot be had.
bool GrowTable(std::unique_ptr<TrajectoryTable>& table, int32_t keep, int32_t capacity);

/// `count` uninitialised doubles, held as a table holds its values (a large
/// block mapped with huge pages); null when they cannot be had, which
/// includes more than the memory the system has available now.
TrajectoryTable::Values AllocateValues(std::size_t count);

/// `count` uninitialised doubles as a bound, of which about `expected` are
/// expected to be used: a large block is mapped without reserving memory,
/// so that its pages cost nothing until written; only `expected` is checked
/// against the memory available. Null when they cannot be had.
TrajectoryTable::Values AllocateValuesCapacity(std::size_t count, std::size_t expected);

/// Asks for huge pages over the whole huge pages within [first, first + count)
/// of a mapped block.
void AdviseHugePages(double* first, std::size_t count);

/// Releases the table with all the rows it was created with and leaves null.
void FreeTable(std::unique_ptr<TrajectoryTable>& table);

/// Bytes of values held by the tables that exist now, all of them together.
std::size_t TableBytesInUse();
