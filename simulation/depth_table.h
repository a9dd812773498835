#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "trajectory_table.h"

/// The coordinate of each body off the plane shown (its depth), kept beside
/// the trajectory table when a plain table gives three coordinates a body:
/// z on the plane xy, y on xz, x on yz. It has the rows of the trajectory
/// table it goes with, one value a body a row, stored by body as the tracks
/// are, so that a body's depths run contiguously.
class DepthTable {
public:
    DepthTable(int32_t rows, int32_t bodies, TrajectoryTable::Values values)
        : rows_(rows), bodies_(bodies), values_(std::move(values)) {}

    int32_t rowCount() const { return rows_; }
    int32_t bodyCount() const { return bodies_; }

    /// Body `body`'s depths (body from 1) from row `r` on.
    const double* track(int32_t body, int32_t r) const { return values_.get() + offset(body, r); }
    double* writableTrack(int32_t body, int32_t r) { return values_.get() + offset(body, r); }
    double at(int32_t body, int32_t r) const { return values_[offset(body, r)]; }

    /// Stores `n` values given row after row, each row one value a body, the
    /// first of them being value number `first` in that order. Several
    /// threads may store disjoint ranges at once.
    void Store(std::size_t first, const double* values, std::size_t n);

    /// Copies the first `rows` rows of `from`, which has the same bodies and
    /// at least that many rows, into this table, which has room for them.
    void CopyRowsFrom(const DepthTable& from, int32_t rows);

private:
    std::size_t offset(int32_t body, int32_t r) const {
        return std::size_t(body - 1) * std::size_t(rows_) + std::size_t(r);
    }

    int32_t rows_;
    int32_t bodies_;
    TrajectoryTable::Values values_;
};

/// A depth table of `rows` rows of `bodies` uninitialised values; null when
/// the memory cannot be had.
std::unique_ptr<DepthTable> AllocateDepth(int32_t rows, int32_t bodies);

/// A depth table with room for `rowsBound` rows, of which about
/// `rowsExpected` will be used, for a read whose row count is not known
/// beforehand: as AllocateTableCapacity makes the trajectory table.
std::unique_ptr<DepthTable> AllocateDepthCapacity(int32_t rowsBound, int32_t bodies, int64_t rowsExpected);

/// Replaces `depth` by one of `capacity` rows holding its first `keep` rows;
/// false, the table as it was, when the memory cannot be had.
bool GrowDepth(std::unique_ptr<DepthTable>& depth, int32_t keep, int32_t capacity);

/// The depths of the bodies `kept` (numbers from 1, in the order wanted) of
/// `all`, every row; null when the memory cannot be had.
std::unique_ptr<DepthTable> DepthOfBodies(const DepthTable& all, const std::vector<int32_t>& kept);
