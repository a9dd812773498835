#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

/// The loaded trajectory: one contiguous block of rowCount x columnCount
/// doubles. Row r holds the time in column 0 and body k's x and y in columns
/// 2k - 1 and 2k. The shape is fixed for the table's life, so every reader
/// bounds its loops by the table's own shape, whatever the settings say.
class TrajectoryTable {
public:
    struct FreeValues {
        void operator()(double* values) const;
    };
    using Values = std::unique_ptr<double[], FreeValues>;

    TrajectoryTable(int32_t rows, int32_t columns, Values values)
        : rows_(rows), columns_(columns), values_(std::move(values)) {}

    int32_t rowCount() const { return rows_; }
    int32_t columnCount() const { return columns_; }
    /// Number of bodies whose two columns exist in every row.
    int32_t bodyColumns() const { return columns_ > 0 ? (columns_ - 1) / 2 : 0; }

    double* values() { return values_.get(); }
    const double* row(int32_t r) const { return values_.get() + std::size_t(r) * std::size_t(columns_); }
    double* row(int32_t r) { return values_.get() + std::size_t(r) * std::size_t(columns_); }

private:
    int32_t rows_;
    int32_t columns_;
    Values values_;
};

/// Creates a table of `rows` x `columns` uninitialised doubles. A negative row
/// count gives a table without rows. Returns null when the size does not fit
/// in memory sizes or the memory cannot be had.
std::unique_ptr<TrajectoryTable> AllocateTable(int32_t rows, int32_t columns);

/// Releases the table with all the rows it was created with and leaves null.
void FreeTable(std::unique_ptr<TrajectoryTable>& table);
