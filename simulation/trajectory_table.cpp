#include "trajectory_table.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "available_memory.h"

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;

std::atomic<std::size_t> bytesInUse{0};

/// Maps `bytes` (a multiple of kHugePage) aligned to a huge page, so that
/// the pages can be huge ones; null when the system has no room.
double* MapAligned(std::size_t bytes, int extraFlags = 0) {
    const std::size_t span = bytes + kHugePage;
    void* const mapped =
        ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | extraFlags, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned > start) ::munmap(mapped, aligned - start);
    if (const std::size_t tail = start + span - (aligned + bytes); tail > 0)
        ::munmap(reinterpret_cast<void*>(aligned + bytes), tail);
    return reinterpret_cast<double*>(aligned);
}
/// No values: what an allocation that fails gives.
TrajectoryTable::Values NoValues() { return TrajectoryTable::Values(nullptr, TrajectoryTable::FreeValues{}); }

}  // namespace

TrajectoryTable::TrajectoryTable(int32_t rows, int32_t columns, Values values)
    : rows_(rows), columns_(columns), values_(std::move(values)), version_(NextVersion()) {}

uint64_t TrajectoryTable::NextVersion() {
    static std::atomic<uint64_t> counter{0};
    return ++counter;
}

void TrajectoryTable::FreeValues::operator()(double* values) const {
    bytesInUse -= bytes;
    if (mapped)
        ::munmap(values, bytes);
    else
        std::free(values);
}

std::size_t TableBytesInUse() { return bytesInUse.load(); }

TrajectoryTable::Values AllocateValues(std::size_t count) {
    const std::size_t limit = std::numeric_limits<std::ptrdiff_t>::max() / sizeof(double);
    if (count > limit) return NoValues();
    // Left uninitialised on purpose: pages of a large table are only touched
    // as the reader fills them. Large tables ask for huge pages, which makes
    // filling them much cheaper in page faults, and are mapped by the table
    // itself, so that freeing one gives its pages back to the system
    // whatever malloc would have done with a block of that size.
    const std::size_t bytes = std::max<std::size_t>(count, 1) * sizeof(double);
    // The system would let a table larger than its memory be made, and end
    // the process once the reader had filled what memory there is: such a
    // table is refused now, before anything is read.
    if (bytes > AvailableMemory().value_or(UINT64_MAX)) return NoValues();
    const bool large = bytes >= kHugePage;
    const std::size_t rounded = large ? (bytes + kHugePage - 1) / kHugePage * kHugePage : bytes;
    if (rounded < bytes) return NoValues();
    TrajectoryTable::Values values(large ? MapAligned(rounded) : static_cast<double*>(std::malloc(bytes)),
                                   {large ? rounded : bytes, large});
    if (!values) return NoValues();
    bytesInUse += values.get_deleter().bytes;
    if (large) ::madvise(values.get(), rounded, MADV_HUGEPAGE);
    return values;
}

std::unique_ptr<TrajectoryTable> AllocateTable(int32_t rows, int32_t columns) {
    if (rows < 0) rows = 0;
    if (columns < 0) return nullptr;
    const std::size_t count = std::size_t(rows) * std::size_t(columns);
    if (columns != 0 && count / std::size_t(columns) != std::size_t(rows)) return nullptr;
    TrajectoryTable::Values values = AllocateValues(count);
    if (!values) return nullptr;
    return std::make_unique<TrajectoryTable>(rows, columns, std::move(values));
}

TrajectoryTable::Values AllocateValuesCapacity(std::size_t count, std::size_t expected) {
    const std::size_t limit = std::numeric_limits<std::ptrdiff_t>::max() / sizeof(double);
    if (count > limit) return NoValues();
    const std::size_t bytes = std::max<std::size_t>(count, 1) * sizeof(double);
    if (expected > AvailableMemory().value_or(UINT64_MAX) / sizeof(double)) return NoValues();
    if (bytes < kHugePage) {
        TrajectoryTable::Values values(static_cast<double*>(std::malloc(bytes)), {bytes, false});
        if (!values) return NoValues();
        bytesInUse += bytes;
        return values;
    }
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    if (rounded < bytes) return NoValues();
    double* const mapped = MapAligned(rounded, MAP_NORESERVE);
    if (!mapped) return NoValues();
    bytesInUse += rounded;
    return TrajectoryTable::Values(mapped, {rounded, true});
}

void AdviseHugePages(double* first, std::size_t count) {
    const auto from = reinterpret_cast<std::uintptr_t>(first);
    const auto to = reinterpret_cast<std::uintptr_t>(first + count);
    const std::uintptr_t begin = (from + kHugePage - 1) / kHugePage * kHugePage;
    const std::uintptr_t end = to / kHugePage * kHugePage;
    if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

std::unique_ptr<TrajectoryTable> AllocateTableCapacity(int32_t rowsBound, int32_t columns,
                                                       int64_t rowsExpected) {
    if (rowsBound < 0 || columns < 0) return nullptr;
    const std::size_t count = std::size_t(rowsBound) * std::size_t(columns);
    const std::size_t expected =
        std::size_t(std::clamp<int64_t>(rowsExpected, 1, rowsBound > 0 ? rowsBound : 1)) *
        std::max<std::size_t>(std::size_t(columns), 1);
    TrajectoryTable::Values values = AllocateValuesCapacity(count, expected);
    if (!values) return nullptr;
    const bool mapped = values.get_deleter().mapped;
    double* const first = values.get();
    auto table = std::make_unique<TrajectoryTable>(rowsBound, columns, std::move(values));
    if (!mapped) return table;
    // Huge pages make filling the table far cheaper in page faults, but a
    // huge page is taken whole at its first write: they are asked for only
    // over the rows each column will almost surely fill (a little less than
    // the rows expected), so that the last, partly filled page of a column is
    // a small one.
    const std::size_t sure = std::size_t(std::clamp<int64_t>(rowsExpected, 0, rowsBound)) * 15 / 16;
    if (columns > 0) AdviseHugePages(first, sure);
    for (int32_t body = 1; body <= table->bodyColumns(); ++body)
        AdviseHugePages(table->writableTrack(body, 0), 2 * sure);
    return table;
}

void FreeTable(std::unique_ptr<TrajectoryTable>& table) { table.reset(); }

void TrajectoryTable::CopyRowsFrom(const TrajectoryTable& from, int32_t rows) {
    const std::size_t n = std::size_t(std::max(rows, 0));
    std::memcpy(values_.get(), from.values_.get(), n * sizeof(double));
    for (int32_t body = 1; body <= bodyColumns(); ++body)
        std::memcpy(values_.get() + trackOffset(body, 0), from.track(body, 0), 2 * n * sizeof(double));
    version_ = NextVersion();
}

bool GrowTable(std::unique_ptr<TrajectoryTable>& table, int32_t keep, int32_t capacity) {
    keep = std::clamp(keep, 0, table->rowCount());
    std::unique_ptr<TrajectoryTable> grown = AllocateTable(std::max(capacity, keep), table->columnCount());
    if (!grown) return false;
    grown->CopyRowsFrom(*table, keep);
    table = std::move(grown);
    return true;
}

void TrajectoryTable::Store(std::size_t first, const double* values, std::size_t n) {
    const std::size_t columns = std::size_t(columns_), rows = std::size_t(rows_);
    std::size_t r = first / columns, c = first % columns;
    double* const times = values_.get();
    double* const tracks = times + rows;
    version_ = NextVersion();
    for (std::size_t i = 0; i < n; ++i) {
        if (c == 0)
            times[r] = values[i];
        else
            tracks[((c - 1) / 2 * rows + r) * 2 + ((c - 1) & 1)] = values[i];
        if (++c == columns) {
            c = 0;
            ++r;
        }
    }
}
