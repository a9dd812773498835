#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <vector>

#include "simulation/available_memory.h"
#include "simulation/trajectory_table.h"

namespace {

TEST(TrajectoryTable, StoresFileOrderByBody) {
    auto table = AllocateTable(3, 5);
    const double values[] = {0, 1, 2, 3, 4, 10, 11, 12, 13, 14, 20, 21, 22, 23, 24};
    table->Store(0, values, 7);
    table->Store(7, values + 7, 8);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c) EXPECT_EQ(table->value(r, c), r * 10 + c);
    EXPECT_EQ(table->time(2), 20);
    EXPECT_EQ(table->track(2, 1)[0], 13);
    EXPECT_EQ(table->track(2, 1)[3], 24);  // y of the next row
    EXPECT_EQ(table->bodyColumns(), 2);
    EXPECT_EQ(AllocateTable(-4, 5)->rowCount(), 0);
    EXPECT_EQ(AllocateTable(2147483647, 2147483647), nullptr);
}

std::size_t ResidentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * std::size_t(::sysconf(_SC_PAGESIZE));
}

TEST(TrajectoryTable, AFreedTableGivesItsPagesBack) {
    // Freeing a large block makes malloc keep later blocks up to its size
    // for itself; a table's pages go back to the system all the same.
    {
        std::vector<char> block(std::size_t(24) << 20);
        asm volatile("" : : "g"(block.data()) : "memory");
    }
    const std::size_t bytes = std::size_t(16) << 20;
    const int32_t rows = int32_t(bytes / sizeof(double) / 21);
    const std::size_t before = TableBytesInUse();
    auto table = AllocateTable(rows, 21);
    ASSERT_NE(table, nullptr);
    EXPECT_GE(TableBytesInUse() - before, bytes - 21 * sizeof(double));
    const std::vector<double> values(std::size_t(rows) * 21, 1.5);
    table->Store(0, values.data(), values.size());
    const std::size_t filled = ResidentBytes();
    FreeTable(table);
    EXPECT_EQ(table, nullptr);
    EXPECT_EQ(TableBytesInUse(), before);
    EXPECT_GE(int64_t(filled) - int64_t(ResidentBytes()), int64_t(bytes * 3 / 4));
}

TEST(TrajectoryTable, ACapacityBeyondMemoryIsGivenWhenTheRowsExpectedFit) {
    const std::optional<uint64_t> available = AvailableMemory();
    if (!available) GTEST_SKIP() << "the system does not say how much memory it has";
    // Twice the memory there is, as the bound on the rows of a file whose
    // rows are far fewer: only the pages written cost memory.
    const int64_t rows = std::min<int64_t>(int64_t(*available / (21 * sizeof(double))) * 2, INT32_MAX);
    const std::size_t before = TableBytesInUse();
    auto table = AllocateTableCapacity(int32_t(rows), 21, 1000);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), rows);
    const std::vector<double> values(21 * 1000, 2.5);
    table->Store(0, values.data(), values.size());
    EXPECT_EQ(table->value(999, 20), 2.5);
    FreeTable(table);
    EXPECT_EQ(TableBytesInUse(), before);
    EXPECT_EQ(AllocateTableCapacity(int32_t(rows), 21, rows), nullptr);
}

}  // namespace
