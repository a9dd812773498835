// Finding a plain data table's layout from its first lines, and the reading
// of one line's cells that the layout and the reader share.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "simulation/real_parser.h"
#include "simulation/table_layout.h"

namespace {

/// "1 2,3 4 5": the bodies' x, y (and z) columns, body after body.
std::string Columns(const std::vector<TableBodyColumns>& bodies) {
    std::string out;
    for (const TableBodyColumns& b : bodies) {
        if (!out.empty()) out += ',';
        out += std::to_string(b.x) + ' ' + std::to_string(b.y);
        if (b.z >= 0) out += ' ' + std::to_string(b.z);
    }
    return out;
}

std::string Joined(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) out += (out.empty() ? "" : ",") + n;
    return out;
}

struct LayoutCase {
    const char* what;
    std::string text;
    TableSeparator separator;
    int32_t cells;
    int32_t time;
    std::string bodies;
    std::string names = "";
    std::string timeUnit = "";
    std::string lengthUnit = "";
    int64_t headerLine = 0;
    bool whole = true;
};

TEST(TableLayout, SeparatorHeaderAndColumnsFoundFromTheText) {
    using enum TableSeparator;
    const LayoutCase cases[] = {
        {"blanks, no header", "0 1 2 3 4\n1  2 3 4 5\n", Blank, 5, 0, "1 2,3 4"},
        {"tabs", "\n0\t1\t2\n\t1\t2\t3\n", Blank, 3, 0, "1 2"},
        {"commas", "0, 1, 2\n1,2,3\n", Comma, 3, 0, "1 2"},
        {"semicolons", "0;1.5;2\n", Semicolon, 3, 0, "1 2"},
        // A first row's decimal comma counts when the rows after it hold
        // none, whether they are there yet or not.
        {"decimal comma in the first row only", "# c\n,5;1;0\n1;0;1\n", Semicolon, 3, 0, "1 2"},
        {"the same with one row yet", "# c\n,5;1;0\n1;0", Semicolon, 3, 0, "1 2", "", "", "", 0, false},
        {"crlf header", "t,x,y\r\n0,1,2\r\n1,2,3\r\n", Comma, 3, 0, "1 2", "", "", "", 1},
        {"cut last line left out", "0 1 2\n1 2 3\n2 3", Blank, 3, 0, "1 2", "", "", "", 0, false},
        {"cut last line of the whole file left out", "0 1 2\n1 2 3\n4 5", Blank, 3, 0, "1 2"},
        {"cut last line with another separator", "0 1 2\n1,", Blank, 3, 0, "1 2"},
        {"a last line without line end is all the data", "t,x,y\n0,1,2", Comma, 3, 0, "1 2", "", "", "", 1},
        {"numpy header", "# t x1 y1 x2 y2\n0 1 2 3 4\n", Blank, 5, 0, "1 2,3 4", "", "", "", 1},
        {"numpy preamble: the last comment", "# run 3 of\n# the disc\n\n# t x_1 y_1\n0 1 2\n", Blank, 3, 0,
         "1 2", "", "", "", 4},
        {"numpy header with commas", "# t,x1,y1\n0,1,2\n", Comma, 3, 0, "1 2", "", "", "", 1},
        {"comment not as wide as a line", "# orbit of one body\n0 1 2\n", Blank, 3, 0, "1 2"},
        {"pandas index column", ",t,earth_x,earth_y,moon_x,moon_y\n0,0.0,1,0,1.1,0\n", Comma, 6, 1, "2 3,4 5",
         "earth,moon", "", "", 1},
        {"axis before key, dotted", "t x_Earth y_Earth Mars.x Mars.y\n0 1 2 3 4\n", Blank, 5, 0, "1 2,3 4",
         "Earth,Mars", "", "", 1},
        {"numbered: no names", "T,x_1,y_1,X2,Y2\n0,1,2,3,4\n", Comma, 5, 0, "1 2,3 4", "", "", "", 1},
        {"key with a blank", "time;big moon x;big moon y\n0;1;2\n", Semicolon, 3, 0, "1 2", "big_moon", "",
         "", 1},
        {"quoted names", "\"t\",\"Earth_x\" [AU],\"earth_y [AU]\"\n0,1,2\n", Comma, 3, 0, "1 2", "Earth", "",
         "AU", 1},
        {"units in brackets", "t [yr],earth_x [AU],earth_y [AU]\n0,1,2\n", Comma, 3, 0, "1 2", "earth", "yr",
         "AU", 1},
        {"units standing apart", "time (days) x (km) y (km)\n0 1 2\n", Blank, 3, 0, "1 2", "", "days", "km",
         1},
        {"xyz", "t x1 y1 z1 x2 y2 z2\n0 1 2 3 4 5 6\n", Blank, 7, 0, "1 2 3,4 5 6", "", "", "", 1},
        {"velocities and energy ignored", "t x1 y1 vx1 vy1 v_x v_y energy\n0 1 2 3 4 5 6 7\n", Blank, 8, 0,
         "1 2", "", "", "", 1},
        {"time not first, bodies by x", "y_b,x_a,y_a,time,x_b\n0,1,2,3,4\n", Comma, 5, 3, "1 2,4 0", "a,b",
         "", "", 1},
        {"unnamed time first", "step,sun_x,sun_y\n0,1,2\n", Comma, 3, 0, "1 2", "sun", "", "", 1},
        {"names say nothing: by place", "step a b\n0 1 2\n", Blank, 3, 0, "1 2", "", "", "", 1},
        {"byte-order mark before a row",
         "\xEF\xBB\xBF"
         "0,1,2\n1,2,3\n",
         Comma, 3, 0, "1 2"},
        {"byte-order mark before names", "\xEF\xBB\xBFtime,earth_x,earth_y\n0,1,2\n", Comma, 3, 0, "1 2",
         "earth", "", "", 1},
        {"byte-order mark before a comment", "\xEF\xBB\xBF# t x_a y_a\n0 1 2\n", Blank, 3, 0, "1 2", "a", "",
         "", 1},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        TableLayout layout;
        TableError error;
        ASSERT_TRUE(DetectTableLayout(c.text, c.whole, layout, error)) << error.message;
        EXPECT_EQ(layout.separator, c.separator);
        EXPECT_EQ(layout.cells, c.cells);
        EXPECT_EQ(layout.timeColumn, c.time);
        EXPECT_EQ(Columns(layout.bodies), c.bodies);
        EXPECT_EQ(Joined(layout.names), c.names);
        EXPECT_EQ(layout.timeUnit, c.timeUnit);
        EXPECT_EQ(layout.lengthUnit, c.lengthUnit);
        EXPECT_EQ(layout.headerLine, c.headerLine);
    }
}

// Velocity columns are known by their names beside their bodies' (vx,
// earth_vx, vx1, earth_v_x...), and never taken for a body of their own;
// one that names no body, or a body's velocity without all its
// components, is left out with a note.
TEST(TableLayout, VelocityColumnsAreFoundByNameBesideTheirBodies) {
    struct Case {
        const char* text;
        std::string bodies, velocities, names = "", note = "";
    };
    const Case cases[] = {
        {"t,x,y,vx,vy\n0,1,2,3,4\n", "1 2", "3 4"},
        {"t x y z vx vy vz\n0 1 2 3 4 5 6\n", "1 2 3", "4 5 6"},
        {"t,earth_x,earth_y,earth_vx,earth_vy,mars_x,mars_y\n0,1,2,3,4,5,6\n", "1 2,5 6", "3 4,-",
         "earth,mars"},
        {"t x1 y1 vx1 vy1 x2 y2 vx2 vy2\n0 1 2 3 4 5 6 7 8\n", "1 2,5 6", "3 4,7 8"},
        // Once read as a second body "earth_v".
        {"t,earth_x,earth_y,earth_v_x,earth_v_y\n0,1,2,3,4\n", "1 2", "3 4", "earth"},
        {"t,Earth_Vel_X,Earth_Vel_Y,earth_x,earth_y\n0,1,2,3,4\n", "3 4", "1 2", "earth"},
        {"t,vx_earth,vy_earth,x_earth,y_earth\n0,1,2,3,4\n", "3 4", "1 2", "earth"},
        {"t Mars.x Mars.y Mars.vx Mars.vy\n0 1 2 3 4\n", "1 2", "3 4", "Mars"},
        {"t,x,y,z,vx,vy\n0,1,2,3,4,5\n", "1 2 3", "", "", "'vx', 'vy' left out"},
        {"t,x,y,pluto_vx,pluto_vy\n0,1,2,3,4\n", "1 2", "", "", "'pluto_vx', 'pluto_vy' left out"},
        {"t x1 y1 vx1 vy1 v_x v_y energy\n0 1 2 3 4 5 6 7\n", "1 2", "3 4", "", "'v_x', 'v_y' left out"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TableLayout layout;
        TableError error;
        ASSERT_TRUE(DetectTableLayout(c.text, true, layout, error)) << error.message;
        EXPECT_EQ(Columns(layout.bodies), c.bodies);
        std::string velocities;
        for (const TableBodyColumns& v : layout.velocities)
            velocities +=
                (velocities.empty() ? "" : ",") + (HasVelocity(v) ? Columns({v}) : std::string("-"));
        EXPECT_EQ(velocities, c.velocities);
        EXPECT_EQ(Joined(layout.names), c.names);
        EXPECT_NE(layout.note.find(c.note), std::string::npos) << layout.note;
        EXPECT_EQ(layout.note.empty(), c.note.empty()) << layout.note;
    }
    TableLayout layout;
    TableError error;
    EXPECT_FALSE(DetectTableLayout("t,x,y,vx,vx,vy\n0,1,2,3,4,5\n", true, layout, error));
    EXPECT_EQ(error.message, "Line 1, column 5: 'vx' gives the velocity that column 4 gives already");
}

TEST(TableLayout, FaultsNamedWithTheirLineAndColumn) {
    struct Case {
        std::string text;
        int64_t line;
        int32_t column;
        std::string message;  // the start of it
        bool whole = true;
        bool exact = false;  // the message to its end
    };
    // Decimal commas are looked for in the first lines only.
    std::string dotted;
    for (int i = 0; i < 21; ++i) dotted += std::to_string(i) + ";1.5;2\n";
    std::string tooWide = "0";
    for (int i = 0; i < 10000; ++i) tooWide += " 1";
    const Case cases[] = {
        {"0 1 2\n1 2 3\n\n4 5\n", 4, 3,
         "Line 4, column 3: the line holds 2 values where the lines before hold 3"},
        {"t x y\n0 1 2\n1 2 3\n2 abc 4\n", 4, 2, "Line 4, column 2: 'abc' is not a number"},
        // A cell's first 40 bytes, cut before a character that would not fit.
        {"t x y\n0 1 2\n1 " + std::string(39, 'a') + "\u00e9 3\n", 3, 2,
         "Line 3, column 2: '" + std::string(39, 'a') + "' is not a number"},
        {"0,1,2\n1,2,3,\n", 2, 4, "Line 2, column 4: the line holds 4 values where the lines before hold 3"},
        {"0;1,5;2\n1;2,5;3\n2;2.5;3\n", 3, 2,
         "Line 3, column 2: '2.5' has a decimal point where the file's numbers have decimal commas"},
        {dotted + "21;2,5;3\n", 22, 2,
         "Line 22, column 2: '2,5' has a decimal comma where the file's numbers have decimal points"},
        {"0;1,2\n1,2,3\n", 1, 1, "Line 1, column 1: '0;1' is not a number"},  // no name: no header
        {"# made by gen\nt x y\n\n", 2, 0, "Line 2: a header without data lines after it"},
        {"", 0, 0, "No data lines in the file"},
        {"# only\n\n", 0, 0, "No data lines in the file"},
        {"0 1 2", 0, 0, "No data line ends within the first 5 bytes", false},
        {"\n\n0 1 2 3\n", 3, 0, "Line 3: 4 values a line; a table needs the time, then x and y of each body"},
        {"0\n", 1, 0, "Line 1: 1 value a line"},
        {"t,earth_x,moon_x,moon_y\n0,1,2,3\n", 1, 2,
         "Line 1, column 2: 'earth_x' has no y column to pair with"},
        {"t y1 x2 y2\n0 1 2 3\n", 1, 2, "Line 1, column 2: 'y1' has no x column to pair with"},
        {"x,y\n1,2\n", 1, 0, "Line 1: the header names no time column"},
        {"t,x,y,X\n0,1,2,3\n", 1, 4,
         "Line 1, column 4: 'X' gives the coordinate that column 2 gives already"},
        {"t x1 y1 x2 y2\n0 1 2\n", 1, 4,
         "Line 1, column 4: the header names 'x2' there, but the data lines hold 3"},
        {tooWide + "\n", 1, 0, "Line 1: more than 10000 values a line"},
        {"t x y\n" + tooWide + tooWide + "\n", 2, 0, "Line 2: more than 10000 values a line"},
        // More cells than the header names: none is left out unseen, and a
        // decimal-comma file with commas between cells is not misread.
        {"t,x,y\n0,1,2,3,4\n1,1,2,3,4\n", 2, 0,
         "Line 2: 5 values, where the header on line 1 names 3 columns; numbers with decimal commas need "
         "cells separated by ';' or tabs"},
        {"t,x,y\n0,0000,1,0000,0,0000\n", 2, 0,
         "Line 2: 6 values, where the header on line 1 names 3 columns;"},
        {"# t x y\nt x y\n0 1 2 3 4\n", 3, 0, "Line 3: 5 values, where the header on line 2 names 3 columns",
         true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        TableLayout layout;
        TableError error;
        ASSERT_FALSE(DetectTableLayout(c.text, c.whole, layout, error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.column, c.column);
        EXPECT_EQ(c.exact ? error.message : error.message.substr(0, c.message.size()), c.message);
    }
}

TEST(TableLine, CellsBadCellsAndSkippedLines) {
    using TableLineResult::BadCell, TableLineResult::Cells, TableLineResult::Comment;
    using TableSeparator::Blank, TableSeparator::Comma, TableSeparator::Semicolon;
    struct Case {
        std::string line;
        TableSeparator separator;
        std::size_t capacity;
        TableLineResult result;
        std::size_t count;
        std::string bad = "";
    };
    const Case cases[] = {
        {"1,2,", Comma, 8, Cells, 3},                  // a trailing comma ends in an empty cell: missing
        {"1;;3", Semicolon, 8, Cells, 3},              // so does a doubled separator
        {"1.5abc 2", Blank, 8, BadCell, 0, "1.5abc"},  // a cell is one number or nothing
        {"1,2", Blank, 8, BadCell, 0, "1,2"},          // commas are no blanks
        {" 1 ,\t2 , 3 ", Comma, 8, Cells, 3},          // blanks around cells left out
        {"\t1\t\t2 \r", Blank, 8, Cells, 2},           // runs of blanks; CR before the line end
        {"  # 1 2", Blank, 8, Comment, 0},
        {" \t\r", Comma, 8, TableLineResult::Blank, 0},
        {"1 2 3", Blank, 2, Cells, 3},  // one past the capacity: the line is too long
        {"1 2", Blank, 2, Cells, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        double values[8] = {};
        std::size_t count = 99;
        std::string bad = "unset";
        const TableLineResult result = ParseTableLine(c.line.data(), c.line.data() + c.line.size(),
                                                      c.separator, values, c.capacity, count, bad);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(count, c.count);
        if (result == BadCell) {
            EXPECT_EQ(bad, c.bad);
        }
        // Each line's last value (unless missing) is its count of cells.
        if (result == Cells && c.count <= c.capacity && !std::isnan(values[c.count - 1])) {
            EXPECT_EQ(values[c.count - 1], double(c.count));
        }
    }
    // A header's names are split by the same rule.
    std::vector<std::string_view> cells;
    const std::string header = " ,t , earth x,\r";
    SplitTableCells(header.data(), header.data() + header.size(), Comma, cells);
    EXPECT_EQ(cells, (std::vector<std::string_view>{"", "t", "earth x", ""}));
}

TEST(TableLine, EveryLineReadsAsItsCellsSplitOneByOne) {
    // Random lines of number-like pieces: the values and the verdict are
    // those of the cells as SplitTableCells parts them, each read whole as
    // one number.
    const char* pieces[] = {"1", "-2.5", "1e3", "1e", "0x1p3", "nan", "inf", ".",  "+",  "x",
                            "",  " ",    "\t",  ",",  ";",     "  ",  ", ",  " ;", "D3", "NA"};
    std::mt19937 random(11);
    for (int round = 0; round < 20000; ++round) {
        std::string line;
        for (int n = std::uniform_int_distribution<int>(1, 9)(random); n > 0; --n)
            line += pieces[std::uniform_int_distribution<std::size_t>(0, std::size(pieces) - 1)(random)];
        for (const TableSeparator separator :
             {TableSeparator::Blank, TableSeparator::Comma, TableSeparator::Semicolon}) {
            SCOPED_TRACE("'" + line + "'");
            std::vector<std::string_view> cells;
            SplitTableCells(line.data(), line.data() + line.size(), separator, cells);
            if (cells.empty() || cells.size() > 4) continue;
            double values[4] = {};
            std::size_t count = 0;
            std::string bad;
            const TableLineResult result =
                ParseTableLine(line.data(), line.data() + line.size(), separator, values, 4, count, bad);
            if (result == TableLineResult::Comment) continue;
            std::size_t good = 0;
            for (std::string scratch; good < cells.size(); ++good) {
                const std::string_view cell = cells[good];
                double value = 0;
                if (!ReadTableCell(cell, separator, false, value)) break;
                if (!(std::isnan(value) && std::isnan(values[good]))) {
                    ASSERT_EQ(values[good], value);
                }
            }
            ASSERT_EQ(result, good == cells.size() ? TableLineResult::Cells : TableLineResult::BadCell);
            ASSERT_EQ(count, good);
        }
    }
}

std::string FileText(const char* name, std::size_t bytes) {
    std::ifstream in(std::string(ORBIVEX_EXAMPLES) + "/" + name);
    std::string text(bytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(bytes));
    text.resize(static_cast<std::size_t>(in.gcount()));
    EXPECT_FALSE(text.empty()) << name;
    return text;
}

TEST(LooksLikeTable, NumbersAfterAtMostOneHeaderButNoConfiguration) {
    EXPECT_FALSE(LooksLikeTable(FileText("inner-planets.ovx", 4096)));
    EXPECT_TRUE(LooksLikeTable(FileText("disc-30.dat", 4096)));  // cut within a line
    EXPECT_TRUE(LooksLikeTable("1.0 2.0 3.0\n4.0 5.0\n6.0\n"));  // a row split over lines
    EXPECT_TRUE(LooksLikeTable("\n# t x y\n\n  0 1 2"));
    EXPECT_TRUE(LooksLikeTable(",t,earth_x,earth_y\r\n0,0.5,1,2\r\n"));
    EXPECT_TRUE(LooksLikeTable("t;x;y\n0;1;2\n"));
    EXPECT_FALSE(LooksLikeTable(""));
    EXPECT_FALSE(LooksLikeTable("# 1 2 3\n\n"));
    EXPECT_TRUE(LooksLikeTable("t x y\n"));  // a header before the first row
    EXPECT_TRUE(LooksLikeTable("\"time [d]\";earth_x;earth_y"));
    EXPECT_FALSE(LooksLikeTable("step a b\n"));              // names that say nothing of the columns
    EXPECT_FALSE(LooksLikeTable("x y\n"));                   // no time before a coordinate: no header
    EXPECT_FALSE(LooksLikeTable("Orbits\nt x y\n0 1 2\n"));  // two lines of text
    EXPECT_FALSE(LooksLikeTable("0 1 2 three\n"));
}

}  // namespace

namespace {

TEST(TableCell, FormsOtherProgramsWriteReadAsTheirDottedForm) {
    using enum TableSeparator;
    struct Case {
        const char* cell;
        TableSeparator separator;
        bool decimalComma;
        const char* dotted;  // what strtod reads to the same value; null: no number
    };
    const Case cases[] = {
        {"1.5D+03", Blank, false, "1.5E+03"},
        {"-2.0d-1", Blank, false, "-2.0e-1"},
        {"1D5", Comma, false, "1e5"},
        {".5d0", Blank, false, ".5e0"},
        {"0x1d", Blank, false, "0x1d"},     // a hexadecimal digit, not an exponent
        {"0x1d+3", Blank, false, nullptr},  // nor in a hexadecimal number
        {"D3", Blank, false, nullptr},      // no mantissa
        {"1.5D+03x", Blank, false, nullptr},
        {"1,5", Semicolon, true, "1.5"},
        {"-0,25d-2", Semicolon, true, "-0.25e-2"},
        {"1,5", Blank, true, "1.5"},
        {"3", Semicolon, true, "3"},
        {"1.5", Semicolon, true, nullptr},  // the other decimal mark
        {"1,5", Semicolon, false, nullptr},
        {"1,5,2", Semicolon, true, nullptr},
        {"", Comma, false, "nan"},  // a missing value between separators
        {"", Semicolon, true, "nan"},
        {"", Blank, false, nullptr},  // blanks leave no empty cell: nothing is missing
        {"NA", Blank, false, "nan"},
        {"NaN", Comma, false, "nan"},
        {"-nan", Comma, false, "-nan"},
        {"na", Comma, false, nullptr},
        {"nand", Blank, false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell);
        double value = 0;
        ASSERT_EQ(ReadTableCell(c.cell, c.separator, c.decimalComma, value), c.dotted != nullptr);
        if (!c.dotted) continue;
        const double expected = std::strtod(c.dotted, nullptr);
        if (std::isnan(expected))
            EXPECT_TRUE(std::isnan(value));
        else
            EXPECT_EQ(value, expected);
    }
}

TEST(TableLayout, DecimalMarkAndColumnsFoundPerFile) {
    using enum TableSeparator;
    struct Case {
        const char* what;
        std::string text;
        TableColumns columns;
        TableSeparator separator;
        bool decimalComma;
        std::string bodies;
        std::string note = "";
    };
    const Case cases[] = {
        {"semicolons and commas", "0;1,5;2\n1;2,5;3\n", TableColumns::Unsaid, Semicolon, true, "1 2"},
        {"tabs and commas", "t\tx\ty\n0\t1,5\t2\n", TableColumns::Unsaid, Blank, true, "1 2"},
        {"tabs beside commas separate nothing", "0,\t1,\t2\n", TableColumns::Unsaid, Comma, false, "1 2"},
        {"commas alone separate", "0,1.5,2\n", TableColumns::Unsaid, Comma, false, "1 2"},
        {"semicolons alone", "0;1.5;2\n", TableColumns::Unsaid, Semicolon, false, "1 2"},
        {"7 columns fit both readings", "0 1 2 3 4 5 6\n", TableColumns::Unsaid, Blank, false, "1 2,3 4,5 6",
         "7 columns read as the time and x, y of 3 bodies; --columns xyz reads them as x, y, z of 2"},
        {"13 columns", "0 1 2 3 4 5 6 7 8 9 10 11 12\n", TableColumns::Unsaid, Blank, false,
         "1 2,3 4,5 6,7 8,9 10,11 12",
         "13 columns read as the time and x, y of 6 bodies; --columns xyz reads them as x, y, z of 4"},
        {"xy said: no note", "0 1 2 3 4 5 6\n", TableColumns::XY, Blank, false, "1 2,3 4,5 6"},
        {"xyz said", "0 1 2 3 4 5 6\n", TableColumns::XYZ, Blank, false, "1 2 3,4 5 6"},
        {"xyz of one body", "0,1,2,3\n", TableColumns::XYZ, Comma, false, "1 2 3"},
        {"5 columns are only x, y", "0 1 2 3 4\n", TableColumns::Unsaid, Blank, false, "1 2,3 4"},
        {"names decide over xyz", "t x1 y1 x2 y2 x3 y3\n0 1 2 3 4 5 6\n", TableColumns::XYZ, Blank, false,
         "1 2,3 4,5 6"},
        {"a header saying nothing, and both readings", "a b c d e f g\n0 1 2 3 4 5 6\n", TableColumns::Unsaid,
         Blank, false, "1 2,3 4,5 6",
         "Line 1 was read as a header; 7 columns read as the time and x, y of 3 bodies; --columns xyz reads "
         "them as x, y, z of 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TableLayout layout;
        TableError error;
        ASSERT_TRUE(DetectTableLayout(c.text, true, layout, error, c.columns)) << error.message;
        EXPECT_EQ(layout.separator, c.separator);
        EXPECT_EQ(layout.decimalComma, c.decimalComma);
        EXPECT_EQ(Columns(layout.bodies), c.bodies);
        EXPECT_EQ(layout.note, c.note);
    }
    TableLayout layout;
    TableError error;
    EXPECT_FALSE(DetectTableLayout("0 1 2 3 4\n", true, layout, error, TableColumns::XYZ));
    EXPECT_EQ(error.message, "Line 1: 5 values a line; a table needs the time, then x, y and z of each body");
}

TEST(TableLayout, OneLinePerBodyAndTimeFoundFromTheHeader) {
    struct Case {
        std::string text;
        int32_t time, body;
        std::string columns;  // "" when the header is not of one line per body and time
    };
    const Case cases[] = {
        {"t,body,x,y\n0,a,1,2\n", 0, 1, "2 3"},
        {"# run 4\nName Time z y x\n0 a 1 2 3\n", 1, 0, "4 3 2"},
        {"id;t [d];x [AU];y [AU];mass\n1;0;1,5;2;3\n", 1, 0, "2 3"},
        {"t,body,x,y,earth_x,earth_y\n0,1,1,2,3,4\n", 0, 0, ""},  // a body's own columns
        {"t,x,y\n0,1,2\n", 0, 0, ""},                             // no body column
        {"t,body,x\n0,1,2\n", 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        TableLayout layout;
        TableError error;
        const bool found = DetectTableLayout(c.text, true, layout, error);
        if (c.columns.empty()) {
            EXPECT_EQ(layout.bodyColumn, -1);
            continue;
        }
        ASSERT_TRUE(found) << error.message;
        EXPECT_EQ(layout.timeColumn, c.time);
        EXPECT_EQ(layout.bodyColumn, c.body);
        EXPECT_EQ(Columns({layout.lineColumns}), c.columns);
        EXPECT_TRUE(LooksLikeTable(c.text));
    }
}

}  // namespace
