// The note on data lines that hold another number of values than a row.

#include <gtest/gtest.h>

#include <string>

#include "simulation/row_shape.h"
#include "test_support.h"

namespace {

TEST(RowShape, NoteOnlyWhenEveryLineReadHoldsTheSameWrongCount) {
    const std::string nine = DataText(6, 4);  // 9 values a line
    EXPECT_EQ(RowShapeNote(nine, 5, 50), "Data lines hold 9 values; 2 planets need 5");
    EXPECT_EQ(RowShapeNote(nine, 3, 50), "Data lines hold 9 values; 1 planet needs 3");
    EXPECT_EQ(RowShapeNote(nine, 9, 54), "");                    // fits
    EXPECT_EQ(RowShapeNote("1 2 3\n4 5\n6 7 8\n", 5, 8), "");    // lines of differing lengths
    EXPECT_EQ(RowShapeNote("1\n2\n3\n4\n5\n", 5, 5), "");        // a value a line is a layout, not a fault
    EXPECT_EQ(RowShapeNote("1 2 3 4 5 6 7 8 9\n", 5, 5), "");    // one line tells nothing
    EXPECT_EQ(RowShapeNote("1 2 3\n4 5 6\n", 5, 5), "");         // the line past the values read is left out
    EXPECT_EQ(RowShapeNote("1 2 3\n\n4 5 6\n7 8 9 10\n", 5, 6),  // blank lines skipped
              "Data lines hold 3 values; 2 planets need 5");
    EXPECT_EQ(RowShapeNote("1.0E+00-2.0E+00 3\n4-5 6\n", 3, 6), "");  // numbers run together count apart
    EXPECT_EQ(RowShapeNote("1.0-2.0\n3.0-4.0\n", 3, 4), "Data lines hold 2 values; 1 planet needs 3");
}

}  // namespace
