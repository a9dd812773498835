#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "depth_table.h"
#include "orbit_elements.h"

/// Each body's velocity, kept beside the trajectory table when a plain
/// table's header names velocity columns (vx, earth_vx...), so that the
/// series take the velocities the table gives instead of differences of
/// its rows. Row for row with the trajectory table (through appends,
/// growth and bodies left out); three values a body a row, vx, vy and vz
/// in the data's own axes (vz 0 for a body in the plane), stored as depth
/// tables store their values. A body without velocity columns has none.
class VelocityTable {
public:
    VelocityTable(std::unique_ptr<DepthTable> components, std::vector<bool> given)
        : components_(std::move(components)), given_(std::move(given)) {}

    int32_t rowCount() const { return components_->rowCount(); }
    int32_t bodyCount() const { return int32_t(given_.size()); }
    /// Whether body `body` (from 1) has velocity columns.
    bool given(int32_t body) const {
        return body >= 1 && body <= bodyCount() && given_[std::size_t(body - 1)];
    }
    const std::vector<bool>& givenBodies() const { return given_; }

    /// Body `body`'s velocity at row r.
    Vector3 at(int32_t body, int32_t r) const {
        const int32_t first = 3 * (body - 1) + 1;
        return {components_->at(first, r), components_->at(first + 1, r), components_->at(first + 2, r)};
    }

    /// Stores `n` values given row after row, each row three a body (vx,
    /// vy, vz), the first of them being value number `first` in that
    /// order. Several threads may store disjoint ranges at once.
    void Store(std::size_t first, const double* values, std::size_t n) {
        components_->Store(first, values, n);
    }

    /// Values a row: three a body.
    std::size_t valuesPerRow() const { return 3 * given_.size(); }

    /// Replaces the storage by one of `capacity` rows holding the first
    /// `keep`; false, the table as it was, when the memory cannot be had.
    bool Grow(int32_t keep, int32_t capacity) { return GrowDepth(components_, keep, capacity); }

    /// The velocities of the bodies `kept` (numbers from 1, in the order
    /// wanted), every row; null when the memory cannot be had.
    std::unique_ptr<VelocityTable> OfBodies(const std::vector<int32_t>& kept) const;

private:
    std::unique_ptr<DepthTable> components_;
    std::vector<bool> given_;
};

/// A velocity table with room for `rowsBound` rows of the bodies `given`
/// says have velocities (one entry a body), about `rowsExpected` of them to
/// be used, as AllocateDepthCapacity makes its table; null when the memory
/// cannot be had.
std::unique_ptr<VelocityTable> AllocateVelocityCapacity(int32_t rowsBound, std::vector<bool> given,
                                                        int64_t rowsExpected);
