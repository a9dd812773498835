#include <gtest/gtest.h>

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

}  // namespace
