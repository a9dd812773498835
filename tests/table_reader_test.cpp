#include "simulation/table_reader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "simulation/block_pipeline.h"
#include "simulation/body_subset.h"
#include "simulation/configuration_keys.h"
#include "simulation/data_follower.h"
#include "simulation/file_access.h"
#include "simulation/load_progress.h"
#include "simulation/table_long_format.h"
#include "simulation/trajectory_table.h"
#include "test_support.h"

namespace {

using Rows = std::vector<std::vector<double>>;

/// Time in cell 0, then body k's x and y in the cells after it.
TableLayout Plain(int bodies, TableSeparator separator = TableSeparator::Blank, int64_t headerLine = 0) {
    TableLayout layout;
    layout.separator = separator;
    layout.cells = 1 + 2 * bodies;
    for (int k = 0; k < bodies; ++k) layout.bodies.push_back({1 + 2 * k, 2 + 2 * k, -1});
    layout.headerLine = headerLine;
    return layout;
}

struct TableRead : ::testing::Test {
    TempDir dir;
    SimulationState s;
    ScriptedHost host;

    TableRead() {
        s.loaded().fields.dataFormat = DataFormat::Table;
        s.loaded().fields.lineCount = -1;
    }
    DataResult Load(const std::string& text, const TableLayout& layout) {
        s.loaded().fields.dataPath = dir.write("table.txt", text);
        return ReadTableData(s.loaded(), host, layout, ReadControlOf(s));
    }
    Rows Loaded() const {
        Rows rows;
        for (int32_t r = 0; r < s.loaded().usableRows(); ++r) {
            rows.emplace_back();
            for (int32_t c = 0; c < s.loaded().rows->columnCount(); ++c)
                rows.back().push_back(s.loaded().rows->value(r, c));
        }
        return rows;
    }
};

TEST_F(TableRead, EveryCellHasStrtodsValueWhateverTheSeparatorAndLineEnd) {
    const char* const numbers[] = {"4.9406564584124654e-324",
                                   "2.2250738585072009e-308",
                                   "0.1",
                                   "1.7976931348623157e308",
                                   "9007199254740993",
                                   "1e-400",
                                   "-1e400",
                                   "123456789012345678901234567890",
                                   ".5",
                                   "5.",
                                   "+3E+02",
                                   "-0",
                                   "0x1.8p-3",
                                   "inf",
                                   "-Infinity",
                                   "0.30000000000000004441"};
    for (const char* separator : {" ", "\t ", ",", " , "})
        for (const char* lineEnd : {"\n", "\r\n"}) {
            std::string text;
            for (const char* n : numbers)
                text += Format("%s%s%s%s%s%s", n, separator, "1", separator, n, lineEnd);
            const TableSeparator kind =
                separator[1] == ',' || separator[0] == ',' ? TableSeparator::Comma : TableSeparator::Blank;
            s.loaded().fields.lineCount = -1;
            ASSERT_EQ(Load(text, Plain(1, kind)), DataResult::Ok) << separator;
            const Rows rows = Loaded();
            ASSERT_EQ(rows.size(), std::size(numbers));
            for (std::size_t i = 0; i < rows.size(); ++i) {
                const double expected = std::strtod(numbers[i], nullptr);
                for (double v : {rows[i][0], rows[i][2]})
                    EXPECT_EQ(std::memcmp(&v, &expected, sizeof v), 0)
                        << numbers[i] << " with '" << separator;
            }
        }
    s.loaded().fields.lineCount = -1;
    ASSERT_EQ(Load("nan 1 nan\n", Plain(1)), DataResult::Ok);
    EXPECT_TRUE(std::isnan(s.loaded().rows->time(0)));
}

TEST_F(TableRead, HeaderCommentsAndBlankLinesAreSkippedAndTheFollowerResumesAtTheEnd) {
    const std::string text = "# made by a test\r\nt,x,y\r\n1,2,3\r\n# note\r\n\r\n4, 5 ,6\r\n";
    ASSERT_EQ(Load(text, Plain(1, TableSeparator::Comma, 2)), DataResult::Ok);
    EXPECT_EQ(Loaded(), (Rows{{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(s.loaded().fields.lineCount, 2);
    EXPECT_EQ(s.loaded().handOver.byte, text.size());
    EXPECT_EQ(s.loaded().handOver.rows, 2);
    EXPECT_EQ(s.loaded().fields.bodyCount, 1);
    EXPECT_EQ(s.loaded().dataLoaded, 1);
}

TEST_F(TableRead, TheLayoutChoosesTheCellsOfEachRowWhateverThePlaneShown) {
    // x1 y1 z1 t ignored x2 y2 z2
    TableLayout layout;
    layout.cells = 8;
    layout.timeColumn = 3;
    layout.bodies = {{0, 1, 2}, {5, 6, 7}};
    const struct {
        TablePlane plane;
        Rows rows;
    } cases[] = {{TablePlane::XY, {{4, 1, 2, 6, 7}}},
                 {TablePlane::XZ, {{4, 1, 2, 6, 7}}},
                 {TablePlane::YZ, {{4, 1, 2, 6, 7}}}};
    for (const auto& c : cases) {
        s.loaded().fields.plane = c.plane;
        ASSERT_EQ(Load("1 2 3 4 5 6 7 8\n", layout), DataResult::Ok);
        EXPECT_EQ(Loaded(), c.rows);
        EXPECT_EQ(s.loaded().depth->at(1, 0), 3);
        EXPECT_EQ(s.loaded().depth->at(2, 0), 8);
    }
}

TEST_F(TableRead, TheFirstBadLineInTheFileStopsTheReadAndLoadsNothing) {
    const struct {
        const char* text;
        TableSeparator separator;
        TableError error;
    } cases[] = {
        {"1 2 3\n4 x 6\n", TableSeparator::Blank, NotANumberError(2, 2, "x")},
        {"# c\n\n1 2 3\n4 5\n", TableSeparator::Blank, RaggedRowError(4, 2, 3)},
        {"1 2 3\n4 5 6 7\n8 9\n", TableSeparator::Blank, RaggedRowError(2, 4, 3)},
        {"1 2 3\n1 2 3\nx\n1 2\n", TableSeparator::Blank, NotANumberError(3, 1, "x")},
        {"1,2,3\n1,,3,\n", TableSeparator::Comma, RaggedRowError(2, 4, 3)},   // empty cells are values
        {"1 2 3\n4 x 6", TableSeparator::Blank, NotANumberError(2, 2, "x")},  // not cut: a cell follows
    };
    for (const auto& c : cases) {
        host.messages.clear();
        EXPECT_EQ(Load(c.text, Plain(1, c.separator)), DataResult::Failed) << c.text;
        EXPECT_EQ(host.messages, std::vector<std::string>{c.error.message});
        EXPECT_EQ(s.loaded().rows, nullptr);
        EXPECT_EQ(s.loaded().dataLoaded, 0);
    }
}

TEST_F(TableRead, AThousandBodiesAreShownAndMoreAreRefused) {
    const auto row = [](int bodies) {
        std::string text = "0";
        for (int c = 0; c < 2 * bodies; ++c) text += " 1";
        return text + "\n";
    };
    // More than a classic configuration may have: a table takes them.
    for (const int bodies : {31, 1000}) {
        host.messages.clear();
        EXPECT_EQ(Load(row(bodies), Plain(bodies)), DataResult::Ok) << bodies;
        EXPECT_EQ(s.loaded().columnCount, 2 * bodies + 1);
        EXPECT_EQ(s.loaded().usableBodies(), bodies);
    }
    EXPECT_EQ(Load(row(1001), Plain(1001)), DataResult::Failed);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"The table holds 1001 bodies; at most 1000 can be shown"});
}

TEST_F(TableRead, ALastLineWithoutLineEndIsTakenWhenCompleteAndLeftToTheFollower) {
    const struct {
        const char* text;
        TableSeparator separator;
        bool following;
        int rows;
        uint64_t byte;
        std::vector<std::string> notes;
    } cases[] = {
        {"1 2 3\n4 5 6", TableSeparator::Blank, false, 2, 11, {}},
        {"1 2 3\n4 5 6", TableSeparator::Blank, true, 1, 6, {}},
        {"1 2 3\n4 5", TableSeparator::Blank, true, 1, 6, {}},
        {"1 2 3\n4 5", TableSeparator::Blank, false, 1, 6, {"Line 2 is cut short and was left out"}},
        {"1 2 3\n4 5 -", TableSeparator::Blank, false, 1, 6, {"Line 2 is cut short and was left out"}},
        {"1,2,3\n4,5,", TableSeparator::Comma, false, 1, 6, {"Line 2 is cut short and was left out"}},
    };
    for (const auto& c : cases) {
        host.notes.clear();
        s.view.followData = c.following;
        s.loaded().fields.lineCount = -1;
        ASSERT_EQ(Load(c.text, Plain(1, c.separator)), DataResult::Ok) << c.text;
        EXPECT_EQ(s.loaded().fields.lineCount, c.rows) << c.text;
        EXPECT_EQ(s.loaded().handOver.byte, c.byte) << c.text;
        EXPECT_EQ(host.notes, c.notes) << c.text;
    }
}

TEST_F(TableRead, AShortTableAsksWhetherToKeepItsRows) {
    const struct {
        int32_t lineCount;
        bool following;
        std::deque<Host::Answer> answers;
        DataResult result;
        int32_t lineCountAfter;
        std::size_t questions;
    } cases[] = {
        {5, false, {Host::Answer::Yes}, DataResult::Ok, 3, 1},
        {5, false, {Host::Answer::No}, DataResult::ShortDeclined, 5, 1},
        {5, true, {}, DataResult::Ok, 3, 0},
        {-1, false, {}, DataResult::Ok, 3, 0},
        {2, false, {}, DataResult::Ok, 2, 0},
    };
    for (const auto& c : cases) {
        host.messages.clear();
        host.answers = c.answers;
        s.loaded().fields.lineCount = c.lineCount;
        s.view.followData = c.following;
        EXPECT_EQ(Load("1 2 3\n4 5 6\n7 8 9\n", Plain(1)), c.result);
        EXPECT_EQ(s.loaded().fields.lineCount, c.lineCountAfter);
        ASSERT_EQ(host.messages.size(), c.questions);
        if (c.questions) {
            EXPECT_EQ(host.messages[0], "Data File error at line 3\nSet number of data equal to 3?");
        }
    }
}

/// About 13 MB of rows of four bodies, one of them with more blanks than a
/// two blocks hold, so that blocks start inside lines of every kind, a block
/// holds no line's start and a row outlasts the margin read after its block.
std::string LargeTable(int rows) {
    std::string text;
    for (int r = 0; r < rows; ++r) {
        text += Format("%d", r);
        if (r == 30'000) text += std::string(1'000'000, ' ');  // a line read on past its block
        for (int c = 1; c < 9; ++c) text += Format(" %.17g", (r + c) / 7.0);
        text += r % 1000 == 0 ? "\n\n" : "\n";
    }
    return text;
}

TEST_F(TableRead, LinesInLaterBlocksAreNumberedAsInTheFile) {
    std::string text = LargeTable(75'000);
    // Line 2 is row 0; a row r is on line 2 + r + r / 1000 (the blank lines).
    const auto lineStart = [&](int line) {
        std::size_t at = 0;
        for (int i = 1; i < line; ++i) at = text.find('\n', at) + 1;
        return at;
    };
    text[lineStart(70'000) + 1] = 'x';  // the later error
    text[lineStart(60'001) + 1] = '?';  // the first one in the file
    ASSERT_GT(lineStart(60'001), std::size_t(8) << 20);
    EXPECT_EQ(Load(text, Plain(4)), DataResult::Failed);
    const std::string cell =
        text.substr(lineStart(60'001), text.find(' ', lineStart(60'001)) - lineStart(60'001));
    EXPECT_EQ(host.messages, std::vector<std::string>{NotANumberError(60'001, 1, cell).message});
}

TEST_F(TableRead, ParallelAndSequentialReadsGiveTheSameTableInLittleMemory) {
    const std::string text = LargeTable(75'000) + "1 2 3 4 5 6 7 8 9";  // last line without line end
    s.loaded().fields.dataPath = dir.write("large.txt", text);
    const TableLayout layout = Plain(4);
    const int fd = ::open(s.loaded().fields.dataPath.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    std::vector<std::unique_ptr<TrajectoryTable>> tables;
    std::vector<TableRowsRead> reads;
    for (unsigned threads : {1u, 4u}) {
        const bool measured = ResetPeakMemory();
        const long before = StatusKiB("VmRSS:");
        tables.push_back(AllocateTableCapacity(int32_t(text.size() / 18 + 1), 9, 75'000));
        reads.push_back(ReadTableRows(fd, text.size(), layout, UINT64_MAX, TablePlane::XY, false,
                                      *tables.back(), threads));
        // The table's capacity is ten times the rows: only their pages are touched.
        if (measured) {
            EXPECT_LT(StatusKiB("VmHWM:") - before, 75'000 * 9 * 8 / 1024 + 32 * 1024);
        }
    }
    ::close(fd);
    for (const TableRowsRead& read : reads) {
        EXPECT_FALSE(read.failed);
        EXPECT_EQ(read.rows, 75'001);
        EXPECT_EQ(read.cutLine, 0);
        EXPECT_EQ(read.endByte, text.size());
    }
    EXPECT_EQ(tables[1]->value(74'999, 8), (74'999 + 8) / 7.0);
    for (int32_t r = 0; r < 75'000; ++r)
        for (int32_t c = 0; c < 9; ++c) ASSERT_EQ(tables[0]->value(r, c), tables[1]->value(r, c)) << r;
}

/// Body k's coordinate `axis` (0 x, 1 y, 2 z) at row r of a table of three
/// coordinates a body: distinct for every body, row and axis.
double Coordinate(int r, int k, int axis) { return (axis == 1 ? -1 : axis == 2 ? 0.5 : 1) * (1000 * k + r); }

TEST_F(TableRead, ThreeCoordinatesKeepZForEveryBodyAndRowWhateverThePlaneShown) {
    TableLayout wide;
    wide.separator = TableSeparator::Comma, wide.cells = 10;
    for (int k = 0; k < 3; ++k) wide.bodies.push_back({1 + 3 * k, 2 + 3 * k, 3 + 3 * k});
    TableLayout lines = wide;  // "t,body,x,y,z": body 2 has no line in row 1
    lines.bodies.clear(), lines.cells = 5, lines.bodyColumn = 1, lines.lineColumns = {2, 3, 4};
    const auto text = [](const TableLayout& layout, int rows) {
        std::string out;
        for (int r = 0; r < rows; ++r) {
            if (layout.bodyColumn < 0) out += std::to_string(r);
            for (int k = 1; k <= 3; ++k) {
                if (layout.bodyColumn >= 0 && k == 2 && r == 1) continue;
                out += layout.bodyColumn >= 0 ? Format("%d,%d", r, k) : std::string();
                for (int axis = 0; axis < 3; ++axis) out += Format(",%.17g", Coordinate(r, k, axis));
                if (layout.bodyColumn >= 0) out += "\n";
            }
            if (layout.bodyColumn < 0) out += "\n";
        }
        return out;
    };
    const struct {
        TablePlane plane;
        int offAxis;
        const TableLayout& layout;
        int rows;
    } cases[] = {
        {TablePlane::XY, 2, wide, 50},  {TablePlane::XZ, 2, wide, 50},
        {TablePlane::YZ, 2, wide, 50},  {TablePlane::XZ, 2, lines, 50},
        {TablePlane::YZ, 2, lines, 50}, {TablePlane::YZ, 2, wide, 160'000},  // read in parallel blocks
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "plane " << int(c.plane) << ", " << c.rows << " rows, "
                                        << (c.layout.bodyColumn < 0 ? "wide" : "a line a body"));
        s.loaded().fields.lineCount = -1;
        s.loaded().fields.plane = c.plane;
        ASSERT_EQ(Load(text(c.layout, c.rows), c.layout), DataResult::Ok);
        ASSERT_EQ(s.loaded().usableRows(), c.rows);
        ASSERT_TRUE(s.loaded().depth);
        ASSERT_EQ(s.loaded().depth->bodyCount(), 3);
        ASSERT_GE(s.loaded().depth->rowCount(), c.rows);
        for (int r = 0; r < c.rows; r += r < 100 ? 1 : 997)
            for (int k = 1; k <= 3; ++k) {
                const bool missing = c.layout.bodyColumn >= 0 && k == 2 && r == 1;
                if (missing) {
                    EXPECT_TRUE(std::isnan(s.loaded().depth->at(k, r)));
                    continue;
                }
                ASSERT_EQ(s.loaded().depth->at(k, r), Coordinate(r, k, c.offAxis))
                    << "body " << k << ", row " << r;
            }
    }
    // The bodies kept keep their own depths.
    s.loaded().fields.lineCount = -1;
    s.loaded().fields.plane = TablePlane::XZ;
    ASSERT_EQ(Load(text(wide, 50), wide), DataResult::Ok);
    ASSERT_EQ(KeepBodies(s.loaded(), {1, 3}), "");
    ASSERT_EQ(s.loaded().depth->bodyCount(), 2);
    for (int r = 0; r < 50; ++r) {
        EXPECT_EQ(s.loaded().depth->at(1, r), Coordinate(r, 1, 2));
        EXPECT_EQ(s.loaded().depth->at(2, r), Coordinate(r, 3, 2));
        EXPECT_EQ(s.loaded().rows->track(2, r)[1], Coordinate(r, 3, 1));
    }
    // Data of two coordinates a body has none.
    s.loaded().fields.lineCount = -1;
    ASSERT_EQ(Load("1 2 3\n4 5 6\n", Plain(1)), DataResult::Ok);
    EXPECT_FALSE(s.loaded().depth);
}

// A table's velocity columns come beside its rows, read whole in blocks
// or line by line, for the bodies that have them; the bodies kept keep
// theirs, and a table without has none.
TEST_F(TableRead, VelocityColumnsComeBesideTheRowsInSmallAndLargeFiles) {
    // Row r: a at (r, 2r) moving (r + 0.25, -r); b at (3r, 1) without velocity.
    const auto row = [](int r) {
        return Format("%d,%d,%d,%.17g,%d,%d,1\n", r, r, 2 * r, r + 0.25, -r, 3 * r);
    };
    for (const uint64_t size : {uint64_t(0), kParallelParseMinBytes}) {
        std::string text = "t,a_x,a_y,a_vx,a_vy,b_x,b_y\n";
        int rows = 0;
        for (; rows < 50 || text.size() < size; ++rows) text += row(rows);
        s.loaded().fields.dataPath = dir.write("moving.csv", text);
        s.loaded().fields.lineCount = -1;
        ASSERT_EQ(ReadTableData(s.loaded(), host, ReadControlOf(s)), DataResult::Ok);
        ASSERT_EQ(s.loaded().usableRows(), rows);
        ASSERT_TRUE(s.loaded().velocity);
        EXPECT_TRUE(s.loaded().velocity->given(1));
        EXPECT_FALSE(s.loaded().velocity->given(2));
        for (int r = 0; r < rows; r += r < 100 ? 1 : 9973) {
            const Vector3 v = s.loaded().velocity->at(1, r);
            ASSERT_EQ(v.x, r + 0.25) << r;
            ASSERT_EQ(v.y, -r) << r;
            ASSERT_EQ(v.z, 0) << r;
        }
    }
    ASSERT_EQ(KeepBodies(s.loaded(), {2, 1}), "");
    EXPECT_FALSE(s.loaded().velocity->given(1));
    EXPECT_TRUE(s.loaded().velocity->given(2));
    EXPECT_EQ(s.loaded().velocity->at(2, 7).x, 7.25);
    s.loaded().fields.lineCount = -1;
    ASSERT_EQ(Load("0 1 2\n1 2 3\n", Plain(1)), DataResult::Ok);
    EXPECT_FALSE(s.loaded().velocity);
    // Nor does a long table read in the place of a table that had some.
    s.loaded().fields.dataPath = dir.write("moving.csv", "t,a_x,a_y,a_vx,a_vy\n0,1,0,0,1\n1,0,1,-1,0\n");
    s.loaded().fields.lineCount = -1;
    ASSERT_EQ(ReadTableData(s.loaded(), host, ReadControlOf(s)), DataResult::Ok);
    ASSERT_TRUE(s.loaded().velocity);
    s.loaded().fields.dataPath = dir.write("long.csv", "t,body,x,y\n0,a,1,0\n0,b,2,0\n1,a,0,1\n1,b,0,2\n");
    s.loaded().fields.lineCount = -1;
    ASSERT_EQ(ReadTableData(s.loaded(), host, ReadControlOf(s)), DataResult::Ok);
    ASSERT_EQ(s.loaded().usableBodies(), 2);
    EXPECT_FALSE(s.loaded().velocity);
}

TEST_F(TableRead, ALastLineCutAnywhereIsLeftOutOrFollowedInSmallAndLargeFiles) {
    for (const uint64_t size : {uint64_t(0), kParallelParseMinBytes}) {
        std::string text = "t,x,y\n";
        int rows = 0;
        for (; rows < 3 || text.size() < size; ++rows)
            text += Format("%d,%.17g,%d\n", rows, rows / 7.0, -rows);
        // The last line, written up to each of its bytes.
        const std::string last = Format("%d,0.5,-2.25", rows);
        const std::string path = dir.write("cut.csv", text);
        s.loaded().fields.dataPath = path;
        for (std::size_t cut = 0; cut <= last.size(); ++cut) {
            const std::string written = last.substr(0, cut);
            SCOPED_TRACE(Format("%llu bytes and \"%s\"", (unsigned long long)text.size(), written.c_str()));
            // Read whole, it gives a row when its three cells read as numbers.
            const std::size_t third = written.rfind(',');
            const bool whole = std::count(written.begin(), written.end(), ',') == 2 && third + 1 < cut &&
                               written.substr(third + 1) != "-";
            for (const bool following : {false, true}) {
                std::filesystem::resize_file(path, text.size());
                std::ofstream(path, std::ios::app) << written;
                host.notes.clear();
                s.view.followData = following;
                s.loaded().fields.lineCount = -1;
                ASSERT_EQ(ReadTableData(s.loaded(), host, ReadControlOf(s)), DataResult::Ok);
                EXPECT_TRUE(host.messages.empty());
                const bool cutShort = cut > 0 && !whole && !following;
                EXPECT_EQ(s.loaded().fields.lineCount, rows + (whole && !following ? 1 : 0));
                EXPECT_EQ(host.notes, cutShort ? std::vector<std::string>{Format(
                                                     "Line %d is cut short and was left out", rows + 2)}
                                               : std::vector<std::string>{});
                if (!following) continue;
                // The line waits for its end, then comes whole.
                std::ofstream(path, std::ios::app) << last.substr(cut) << "\n";
                DataFollower follower(path, s.loaded().tableLayout, TablePlane::XY);
                ASSERT_TRUE(follower.Resume(s.loaded().handOver));
                EXPECT_EQ(follower.Poll().values, (std::vector<double>{double(rows), 0.5, -2.25}));
            }
        }
    }
}

TEST_F(TableRead, ALineThatIsNotTextIsRefusedAtOnceWithItsNumber) {
    // What a crash or a runaway writer leaves: zero bytes, or a line without end.
    const std::string longLine(kMaxTableLineBytes + 1, '7');
    const struct {
        std::string text;
        uint64_t zerosAfter;  ///< a sparse tail of zero bytes, as `truncate` makes
        TableError error;
    } cases[] = {
        {std::string("1 2 3\n4 5\0 6\n7 8 9\n", 18), 0, NulByteError(2)},
        {std::string("1 2 3\n4 5 6\n\0\0\0", 15), 0, NulByteError(3)},  // not a cut line
        {"1 2 3\n4 5 6\n", uint64_t(4) << 30, NulByteError(3)},
        {"1 2 3\n4 5 6\n7 8", uint64_t(4) << 30, NulByteError(3)},
        {LargeTable(75'000), uint64_t(4) << 30, NulByteError(75'000 + 75 + 1)},
        {"1 2 3\n" + longLine + "\n4 5 6\n", 0, LongLineError(2)},
        {"1 2 3\n4 5 6\n" + longLine + longLine, 0, LongLineError(3)},
        {LargeTable(75'000) + longLine + "\n", 0, LongLineError(75'000 + 75 + 1)},
        {longLine + longLine, 0, LongLineError(1)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error.message);
        host.messages.clear();
        s.loaded().fields.dataPath = dir.write("table.txt", c.text);
        std::filesystem::resize_file(s.loaded().fields.dataPath, c.text.size() + c.zerosAfter);
        for (const bool following : {false, true}) {
            s.view.followData = following;
            const int columns = c.text.starts_with("1 2 3") ? 1 : 4;
            EXPECT_EQ(ReadTableData(s.loaded(), host, Plain(columns), ReadControlOf(s)), DataResult::Failed);
            EXPECT_EQ(host.messages, std::vector<std::string>{c.error.message});
            host.messages.clear();
            EXPECT_EQ(s.loaded().rows, nullptr);
        }
    }
    s.view.followData = false;
    // A comment or the header may hold anything: the rows around it load.
    EXPECT_EQ(Load(std::string("t x y\0\n1 2 3\n# \0\n4 5 6\n", 23), Plain(1, TableSeparator::Blank, 1)),
              DataResult::Ok);
    EXPECT_EQ(Loaded(), (Rows{{1, 2, 3}, {4, 5, 6}}));
}

TEST(TableRowsAtLeast, NoMoreThanTheRowsWhateverTheLineLengthsAlongTheFile) {
    // Huge pages are asked for over this many rows of every column: more
    // than the file holds would leave a partly filled one in each.
    const std::string shortLine = "1 2 3\n", longLine = std::string(94, ' ') + "1 2 3\n";
    const auto lines = [](const std::string& line, std::size_t bytes) {
        std::string text;
        while (text.size() < bytes) text += line;
        return text;
    };
    const struct {
        std::string text;
        double leastShare;  ///< of the rows, which the estimate reaches at least
    } cases[] = {
        {lines(shortLine, 1'500'000) + lines(longLine, 8'000'000), 0.25},  // short lines first
        {lines(longLine, 1'500'000) + lines(shortLine, 8'000'000), 0.0},   // long lines first
        {lines(shortLine, 9'000'000), 0.85},
        {lines(longLine, 500'000), 0.85},                                         // all in the head
        {lines(shortLine, 1'200'000) + std::string(3'000'000, '7') + "\n", 0.0},  // one line of 3 MB
    };
    TempDir dir;
    for (const auto& c : cases) {
        const int64_t rows = std::count(c.text.begin(), c.text.end(), '\n');
        SCOPED_TRACE(Format("%lld rows in %zu bytes", static_cast<long long>(rows), c.text.size()));
        const OpenedFile file(OpenRegularFile(dir.write("t.txt", c.text)));
        const std::string_view head = std::string_view(c.text).substr(0, kTableHeadBytes);
        const int64_t least = TableRowsAtLeast(file.fd(), head, c.text.size());
        EXPECT_LE(least, rows);
        EXPECT_GE(double(least), c.leastShare * double(rows));
    }
}

/// Host whose user cancels the load as soon as it starts.
class CancellingHost : public ScriptedHost {
public:
    void waitFor(const std::function<void()>& work, LoadProgress& progress) override {
        progress.cancelled = true;
        work();
    }
};

TEST_F(TableRead, ACancelledLoadLeavesNothingLoaded) {
    CancellingHost cancelling;
    s.loaded().fields.dataPath = dir.write("large.txt", LargeTable(75'000));
    EXPECT_EQ(ReadTableData(s.loaded(), cancelling, Plain(4)), DataResult::Failed);
    EXPECT_EQ(cancelling.notes, std::vector<std::string>{"Load cancelled"});
    EXPECT_TRUE(cancelling.messages.empty());
    EXPECT_EQ(s.loaded().rows, nullptr);
    EXPECT_EQ(s.loaded().dataLoaded, 0);
    EXPECT_FALSE(s.playback.loading);
}

}  // namespace

namespace {

/// Rows with NaN written as -1, so that they compare.
Rows Shown(Rows rows) {
    for (auto& row : rows)
        for (double& v : row)
            if (std::isnan(v)) v = -1;
    return rows;
}

TEST_F(TableRead, OneLinePerBodyAndTimeGivesOneRowPerTime) {
    const struct {
        const char* text;
        Rows rows;          // NaN as -1
        const char* error;  // or the message that stops the read
        const char* note = "";
    } cases[] = {
        {"t,body,x,y\n0,a,1,2\n0,b,3,4\n1,b,5,6\n", {{0, 1, 2, 3, 4}, {1, -1, -1, 5, 6}}, ""},
        {"t body x y\n0 1 1 2\n1 1 3 4\n1 2 5 6\n2 2 7 8",
         {{0, 1, 2, -1, -1}, {1, 3, 4, 5, 6}, {2, -1, -1, 7, 8}},
         ""},
        {"t,body,x,y\n0,a,1,2\n1,a,3,4\n1,b,5",
         {{0, 1, 2}, {1, 3, 4}},
         "",
         "Line 4 is cut short and was left out"},
        {"t,body,x,y\n0,a,1,2\n1,a,3\n",
         {},
         "Line 3, column 4: the line holds 3 values where the lines before hold 4"},
        {"t,body,x,y\n0,a,1,2\n1,a,x,4\n", {}, "Line 3, column 3: 'x' is not a number"},
        {"t,body,x,y\n0,a,1,2\n0,a,3,4\n", {}, "Line 3, column 2: a second line for 'a' at the time 0"},
        {"t,body,x,y\n1,a,1,2\n0.5,b,3,4\n",
         {},
         "Line 3, column 1: the time 0.5 comes after 1: the lines of each time must stand together, the "
         "times in increasing order"},
        {"t,body,x,y\n0,,1,2\n", {}, "Line 2, column 2: the line names no body"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        host.messages.clear();
        host.notes.clear();
        s.loaded().fields.lineCount = -1;
        TableLayout layout;
        TableError error;
        ASSERT_TRUE(DetectTableLayout(c.text, true, layout, error)) << error.message;
        const DataResult result = Load(c.text, layout);
        if (*c.error) {
            EXPECT_EQ(result, DataResult::Failed);
            EXPECT_EQ(host.messages, std::vector<std::string>{c.error});
            continue;
        }
        ASSERT_EQ(result, DataResult::Ok) << (host.messages.empty() ? "" : host.messages[0]);
        EXPECT_EQ(Shown(Loaded()), c.rows);
        EXPECT_EQ(host.notes, *c.note ? std::vector<std::string>{c.note} : std::vector<std::string>{});
    }
    // Its lines cannot be followed: a time's lines may still be coming.
    s.view.followData = 1;
    host.messages.clear();
    TableLayout layout;
    TableError error;
    ASSERT_TRUE(DetectTableLayout("t,body,x,y\n0,a,1,2\n", true, layout, error));
    EXPECT_EQ(Load("t,body,x,y\n0,a,1,2\n", layout), DataResult::Failed);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].rfind("A table of one line per body and time cannot be followed", 0), 0u);
}

TEST_F(TableRead, OneLinePerBodyAndTimeHoldsAsManyBodiesAsAWideTableAndStopsAtItsFirstBadLine) {
    // A body a line, each at a time of its own: the rows grow with the bodies.
    auto bodies = [](int count) {
        std::string text = "t,body,x,y\n";
        for (int i = 0; i < count; ++i) text += Format("%d,b%d,1,0\n", i, i);
        return text;
    };
    const std::string head = "t,body,x,y\n0,a,1,2\n";
    const struct {
        std::string text;
        int bodies;  // 0: refused
        std::string error;
    } cases[] = {
        {bodies(kMaxTableBodies), kMaxTableBodies, ""},
        {bodies(20'000), 0,
         Format("Line %d, column 2: 'b%d' would be body %d, and a table shows at most %d bodies",
                kMaxTableBodies + 2, kMaxTableBodies, kMaxTableBodies + 1, kMaxTableBodies)},
        // A tail of zero bytes, as a crash leaves, and an endless line.
        {head + std::string(std::size_t(3) << 20, '\0'), 0, NulByteError(3).message},
        {head + "1,a,1," + std::string(kMaxTableLineBytes + 10, '1'), 0, LongLineError(3).message},
        {head + "1,a,1," + std::string(kMaxTableLineBytes + 10, '1') + "\n2,a,3,4\n", 0,
         LongLineError(3).message},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        host.messages.clear();
        s.loaded().fields.lineCount = -1;
        TableLayout layout;
        TableError error;
        ASSERT_TRUE(DetectTableLayout(c.text.substr(0, 1000), false, layout, error)) << error.message;
        const DataResult result = Load(c.text, layout);
        if (c.bodies == 0) {
            EXPECT_EQ(result, DataResult::Failed);
            EXPECT_EQ(host.messages, std::vector<std::string>{c.error});
            continue;
        }
        ASSERT_EQ(result, DataResult::Ok) << (host.messages.empty() ? "" : host.messages[0]);
        EXPECT_EQ(s.loaded().usableBodies(), c.bodies);
        EXPECT_EQ(s.loaded().usableRows(), c.bodies);
        ASSERT_EQ(s.loaded().tableLayout.names.size(), std::size_t(c.bodies));
        EXPECT_EQ(s.loaded().tableLayout.names.back(), Format("b%d", c.bodies - 1));
    }
}

TEST(LongTable, ReadInBlocksOfAnySizeAsWholeAndAsksForItsMemoryFirst) {
    const std::string text =
        "t,body,x,y,z\n# a comment\n0,a,1,2,3\n0,b,4,5,6\n\n1,\"b\",7,8,9\r\n2,c,1,1,1\n2,a,2,2,";
    TableLayout layout;
    TableError error;
    ASSERT_TRUE(DetectTableLayout(text, true, layout, error)) << error.message;
    const LongTableRows whole = ReadLongTable(text, layout, TablePlane::XZ);
    ASSERT_FALSE(whole.failed) << whole.error.message;
    EXPECT_EQ(whole.rows, 3);
    EXPECT_EQ(whole.bodies, 3);
    EXPECT_EQ(whole.cutLine, 8);
    for (const std::size_t block : {1, 2, 3, 7, 64}) {
        LongTableReader reader(layout, TablePlane::XZ);
        for (std::size_t at = 0; at < text.size(); at += block)
            ASSERT_TRUE(reader.Feed(std::string_view(text).substr(at, block))) << block;
        const LongTableRows read = reader.Finish();
        EXPECT_EQ(read.rows, whole.rows) << block;
        EXPECT_EQ(read.names, whole.names) << block;
        EXPECT_EQ(read.cutLine, whole.cutLine) << block;
        EXPECT_EQ(read.values.size(), whole.values.size()) << block;
        for (std::size_t k = 0; k < read.values.size() && k < whole.values.size(); ++k)
            EXPECT_TRUE(read.values[k] == whole.values[k] ||
                        (std::isnan(read.values[k]) && std::isnan(whole.values[k])))
                << block << " at " << k;
        EXPECT_EQ(read.depths.size(), whole.depths.size()) << block;
    }
    // Three rows of three bodies (and their depths) twice over are more than
    // 200 bytes: refused before they are laid out.
    const LongTableRows small = ReadLongTable(text, layout, TablePlane::XZ, 200);
    EXPECT_TRUE(small.failed);
    EXPECT_EQ(small.error.message.rfind("Not enough memory for ", 0), 0u) << small.error.message;
}

}  // namespace
