// Following a data file while another program writes it: whatever the sizes
// of the writer's pieces, the rows taken are exactly the file's complete
// rows, in order, each once.

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "animation/appended_rows.h"
#include "animation/simulation_state.h"
#include "simulation/data_follower.h"
#include "simulation/load_progress.h"
#include "test_support.h"

namespace {

using Kind = DataFollower::Update::Kind;

/// The values of `text`, read one by one as the C library reads them.
std::vector<double> ValuesOf(const std::string& text) {
    std::vector<double> values;
    std::istringstream in(text);
    std::string token;
    while (in >> token) values.push_back(std::strtod(token.c_str(), nullptr));
    return values;
}

void Append(const std::string& path, const std::string& piece) {
    std::ofstream(path, std::ios::binary | std::ios::app) << piece;
}

/// Polls until nothing changes, collecting the rows; fails on anything but rows.
void Drain(DataFollower& follower, std::vector<double>& rows) {
    const DataFollower::Update update = follower.Poll();
    ASSERT_TRUE(update.kind == Kind::Rows || update.kind == Kind::Unchanged) << int(update.kind);
    rows.insert(rows.end(), update.values.begin(), update.values.end());
}

/// Appends `text` to `path` in random pieces of 1 to `largest` bytes,
/// polling after each; returns every value the polls gave.
std::vector<double> FeedInPieces(DataFollower& follower, const std::string& path, const std::string& text,
                                 int largest, std::mt19937& random) {
    std::vector<double> rows;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t piece = std::uniform_int_distribution<std::size_t>(1, largest)(random);
        Append(path, text.substr(at, piece));
        at += piece;
        Drain(follower, rows);
    }
    return rows;
}

TEST(DataFollower, PiecesOfAnySizeGiveEveryCompleteRowOnce) {
    const std::string text = DataText(300, 2) + "300 1.5 -2.25 3 4";  // a last row still being written
    const std::vector<double> complete = ValuesOf(DataText(300, 2));
    std::mt19937 random(7);
    for (const int largest : {1, 3, 17, 4096}) {
        TempDir dir;
        const std::string path = dir.write("run.dat", "");
        DataFollower follower(path, 5);
        std::vector<double> rows = FeedInPieces(follower, path, text, largest, random);
        EXPECT_EQ(rows, complete) << "pieces of up to " << largest << " bytes";
        EXPECT_EQ(follower.rowsTaken(), 300);
        Append(path, "2\n");  // the last row ends, and its last number was still growing: 4 became 42
        Drain(follower, rows);
        EXPECT_EQ(follower.rowsTaken(), 301);
        EXPECT_EQ(rows.back(), 42);
    }
}

TEST(DataFollower, ANumberSplitAcrossTwoWritesIsReadWhole) {
    TempDir dir;
    const std::string path = dir.write("run.dat", "0 1 2\n1 12");
    DataFollower follower(path, 3);
    std::vector<double> rows;
    Drain(follower, rows);
    Append(path, "34.5 6\n");
    Drain(follower, rows);
    EXPECT_EQ(rows, (std::vector<double>{0, 1, 2, 1, 1234.5, 6}));
}

TEST(DataFollower, LargeBlocksAndRowsAlreadyLoaded) {
    TempDir dir;
    const std::string path = dir.write("run.dat", DataText(20000, 3));
    DataFollower follower(path, 7);
    ASSERT_TRUE(follower.SkipValues(7 * 15000));  // the load took the first 15000 rows
    std::vector<double> rows;
    Drain(follower, rows);
    Append(path, DataText(20000, 3));
    Drain(follower, rows);
    const std::vector<double> all = ValuesOf(DataText(20000, 3));
    std::vector<double> expected(all.begin() + 7 * 15000, all.end());
    expected.insert(expected.end(), all.begin(), all.end());
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(follower.rowsTaken(), 40000);
    EXPECT_FALSE(follower.SkipValues(7 * 40001));
}

TEST(DataFollower, ShorterOrReplacedFileStartsAgainAndTextStops) {
    TempDir dir;
    const std::string path = dir.write("run.dat", DataText(10, 1));
    DataFollower follower(path, 3);
    std::vector<double> rows;
    Drain(follower, rows);
    std::filesystem::resize_file(path, 12);
    EXPECT_EQ(follower.Poll().kind, Kind::Restarted);
    Drain(follower, rows);               // from the beginning again
    EXPECT_EQ(follower.rowsTaken(), 1);  // "0 0.1 -0.1\n1": one row and a cut number

    const std::string other = dir.write("new.dat", DataText(4, 1));
    std::filesystem::rename(other, path);  // the writer started a new file
    EXPECT_EQ(follower.Poll().kind, Kind::Restarted);
    Append(path, "4 4.1 -4.1\n5 5.1 oops\n6 6.1 -6.1\n");
    const DataFollower::Update bad = follower.Poll();
    EXPECT_EQ(bad.kind, Kind::BadText);
    EXPECT_EQ(bad.badRow, 5);
    EXPECT_EQ(bad.values.size(), 15u);  // rows 0 to 4 are still taken

    std::filesystem::remove(path);
    EXPECT_EQ(follower.Poll().kind, Kind::Missing);
}

TEST(DataFollower, RowsGoToTheTakerABlockAtATimeUntilItRefuses) {
    TempDir dir;
    const std::string path = dir.write("run.dat", DataText(50000, 1) + "7 8");
    DataFollower follower(path, 3);
    std::vector<double> rows;
    std::size_t largest = 0, calls = 0;
    const auto keep = [&](const double* values, const double*, const double*, std::size_t n, int64_t) {
        rows.insert(rows.end(), values, values + 3 * n);
        largest = std::max(largest, n);
        return ++calls < 3;
    };
    EXPECT_EQ(follower.Poll(keep).kind, Kind::Refused);  // the third block is refused
    EXPECT_EQ(calls, 3u);
    EXPECT_LT(largest, 50000u);
    const std::vector<double> all = ValuesOf(DataText(50000, 1));
    EXPECT_TRUE(std::equal(rows.begin(), rows.end(), all.begin()));
    EXPECT_EQ(follower.rowsTaken(), int64_t(2 * largest));  // the rows refused are not taken
}

/// A table as pandas writes one: "t,x,y,z" after a comment line, then row r
/// at time r, (r + 0.5, -r, 2r), the lines ending in "\r\n" when `crlf`.
const TableLayout kPandas{TableSeparator::Comma, 4, 0, {{1, 2, 3}}, {}, "", "", 2, {}};
const std::string kPandasHead = "# written by a test\nt,x,y,z\n";
std::string PandasRows(int from, int to, bool crlf = false) {
    std::string text;
    for (int r = from; r < to; ++r)
        text += std::to_string(r) + "," + std::to_string(r + 0.5) + ", " + std::to_string(-r) + "," +
                std::to_string(2 * r) + (crlf ? "\r\n" : "\n");
    return text;
}
/// Rows from..to - 1 as taken on the plane XZ: time, x, z.
std::vector<double> PandasValues(int from, int to) {
    std::vector<double> values;
    for (int r = from; r < to; ++r) values.insert(values.end(), {double(r), r + 0.5, 2.0 * r});
    return values;
}

TEST(DataFollowerTable, PiecesOfAnySizeGiveEveryCompleteLineOnce) {
    // Blank and comment lines between the rows, some lines ending in "\r\n",
    // and a last line still being written.
    const std::string text = kPandasHead + PandasRows(0, 40) + "\n  \n# more\n" + PandasRows(40, 70, true) +
                             PandasRows(70, 80) + "80,80.5,-80,16";
    std::mt19937 random(11);
    for (const int largest : {1, 3, 17, 4096}) {
        TempDir dir;
        const std::string path = dir.write("run.csv", "");
        DataFollower follower(path, kPandas, TablePlane::XZ);
        std::vector<double> rows = FeedInPieces(follower, path, text, largest, random);
        EXPECT_EQ(rows, PandasValues(0, 80)) << "pieces of up to " << largest << " bytes";
        Append(path, "0\n");  // the last line ends, its last number grown: 16 became 160
        Drain(follower, rows);
        EXPECT_EQ(follower.rowsTaken(), 81);
        EXPECT_EQ(rows.back(), 160);
    }
}

TEST(DataFollowerTable, ALineThatIsNotARowStopsWithItsLineAndRow) {
    struct Case {
        const char* line;
        const char* message;
    };
    const Case cases[] = {
        {"4,4.5,x,8\n", "Line 8, column 3: 'x' is not a number"},
        {"4,4.5,N/A,8\n", "Line 8, column 3: 'N/A' is not a number"},  // an empty cell or NA is missing
        {"4,4.5,-4\n", "Line 8, column 4: the line holds 3 values where the lines before hold 4"},
        {"4,4.5,-4,8,9,10\n", "Line 8, column 5: the line holds 6 values where the lines before hold 4"},
    };
    for (const Case& c : cases) {
        for (const bool resumed : {false, true}) {
            SCOPED_TRACE(std::string(c.line) + (resumed ? " after a hand-over" : ""));
            TempDir dir;
            const std::string path = dir.write("run.csv", kPandasHead + PandasRows(0, 3));
            DataFollower first(path, kPandas, TablePlane::XZ);
            std::vector<double> rows;
            Drain(first, rows);
            // A follower that goes on from a hand-over has not counted the lines before.
            DataFollower second(path, kPandas, TablePlane::XZ);
            ASSERT_TRUE(second.Resume(first.handOver()));
            DataFollower& follower = resumed ? second : first;
            Append(path, "\n" + PandasRows(3, 4) + c.line + PandasRows(5, 6));
            const DataFollower::Update bad = follower.Poll();
            EXPECT_EQ(bad.kind, Kind::BadText);
            EXPECT_EQ(bad.badRow, 4);
            EXPECT_EQ(bad.values, PandasValues(3, 4));  // the row before it is taken
            EXPECT_EQ(bad.tableError.message, c.message);
            EXPECT_EQ(follower.handOver().rows, 4);
        }
    }
}

TEST(DataFollowerTable, ALineThatIsNotTextStopsAtOnceWithoutWaitingForItsEnd) {
    // Line 6 follows the header, its comment and rows 0 to 2.
    const std::string longLine(kMaxTableLineBytes + 1, '7');
    const struct {
        std::string appended;
        uint64_t zerosAfter;  ///< a sparse tail of zero bytes, as `truncate` makes
        std::string message;
    } cases[] = {
        {std::string("3,3.5,\0,6\n", 11), 0, NulByteError(6).message},
        {"3,3.5,-3", 0, ""},                                   // a line being written: waited for
        {std::string("# note \0", 8), uint64_t(1) << 20, ""},  // a comment may hold anything
        {"3,3.5,-3", uint64_t(4) << 30, NulByteError(6).message},
        {"", uint64_t(4) << 30, NulByteError(6).message},
        {longLine, 0, LongLineError(6).message},
        {"3,3.5," + longLine + "\n", 0, LongLineError(6).message},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TempDir dir;
        const std::string path = dir.write("run.csv", kPandasHead + PandasRows(0, 3));
        DataFollower follower(path, kPandas, TablePlane::XZ);
        std::vector<double> rows;
        Drain(follower, rows);
        Append(path, c.appended);
        std::filesystem::resize_file(path, std::filesystem::file_size(path) + c.zerosAfter);
        const DataFollower::Update update = follower.Poll();
        EXPECT_EQ(update.kind == Kind::BadText, !c.message.empty());
        EXPECT_EQ(update.tableError.message, c.message);
        EXPECT_EQ(follower.rowsTaken(), 3);
    }
}

TEST(DataFollowerTable, SkipsLoadedRowsResumesAndStartsAgain) {
    TempDir dir;
    const std::string path = dir.write("run.csv", kPandasHead + PandasRows(0, 5) + "\n" + PandasRows(5, 10));
    DataFollower follower(path, kPandas, TablePlane::XZ);
    EXPECT_FALSE(follower.SkipValues(3 * 11));
    ASSERT_TRUE(follower.SkipValues(3 * 6));  // past the comment, header and blank lines
    std::vector<double> rows;
    Drain(follower, rows);
    EXPECT_EQ(rows, PandasValues(6, 10));

    // A hand-over is taken only as it was given: whole lines, the same file.
    DataHandOver cut = follower.handOver();
    EXPECT_EQ(cut.byte, std::filesystem::file_size(path));
    cut.partialRow = {10};
    EXPECT_FALSE(DataFollower(path, kPandas, TablePlane::XZ).Resume(cut));

    // Started again: the new file's header is skipped as the first one's was.
    std::filesystem::rename(dir.write("new.csv", kPandasHead + PandasRows(0, 2)), path);
    EXPECT_EQ(follower.Poll().kind, Kind::Restarted);
    rows.clear();
    Drain(follower, rows);
    EXPECT_EQ(rows, PandasValues(0, 2));
    std::filesystem::resize_file(path, kPandasHead.size() + PandasRows(0, 1).size() + 3);  // into row 1
    EXPECT_EQ(follower.Poll().kind, Kind::Restarted);
    rows.clear();
    Drain(follower, rows);
    EXPECT_EQ(rows, PandasValues(0, 1));
}

TEST(DataFollowerTable, ALargeAppendComesInBlocksAndACancelKeepsWholeLines) {
    TempDir dir;
    const std::string path = dir.write("run.csv", kPandasHead);
    DataFollower follower(path, kPandas, TablePlane::XZ);
    Append(path, PandasRows(0, 40000, true) + "40000,1");
    std::vector<double> rows;
    std::size_t largest = 0;
    const auto keep = [&](const double* values, const double*, const double*, std::size_t n, int64_t) {
        rows.insert(rows.end(), values, values + 3 * n);
        largest = std::max(largest, n);
        return true;
    };
    LoadProgress progress;
    progress.cancelled = true;
    EXPECT_EQ(follower.Poll(keep, &progress).kind, Kind::Cancelled);
    EXPECT_EQ(follower.rowsTaken(), int64_t(largest));  // one block, then the cancel
    EXPECT_LT(largest, 40000u);
    // The next read goes on from the line after the block's last.
    EXPECT_EQ(follower.Poll(keep).kind, Kind::Rows);
    EXPECT_EQ(rows, PandasValues(0, 40000));
}

TEST(DataFollowerTable, DepthsOffThePlaneShownComeBesideTheRows) {
    // Row r of kPandas is at (r + 0.5, -r, 2r).
    const struct {
        TablePlane plane;
        std::function<double(int)> depth;
    } cases[] = {
        {TablePlane::XY, [](int r) { return 2.0 * r; }},
        {TablePlane::XZ, [](int r) { return -double(r); }},
        {TablePlane::YZ, [](int r) { return r + 0.5; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.plane));
        TempDir dir;
        const std::string path = dir.write("run.csv", kPandasHead + PandasRows(0, 5));
        DataFollower follower(path, kPandas, c.plane);
        ASSERT_EQ(follower.depths(), 1);
        std::vector<double> want;
        for (int r = 0; r < 5; ++r) want.push_back(c.depth(r));
        EXPECT_EQ(follower.Poll().depths, want);
        // A large append, a block at a time to the taker.
        Append(path, PandasRows(5, 40000));
        std::vector<double> depths;
        const auto keep = [&](const double*, const double* d, const double*, std::size_t n, int64_t) {
            depths.insert(depths.end(), d, d + n);
            return true;
        };
        EXPECT_EQ(follower.Poll(keep).kind, Kind::Rows);
        ASSERT_EQ(depths.size(), 39995u);
        for (int r = 5; r < 40000; r += 331) ASSERT_EQ(depths[std::size_t(r - 5)], c.depth(r)) << r;
    }
    // Two coordinates a body: no depths.
    TempDir dir;
    const TableLayout flat{TableSeparator::Comma, 3, 0, {{1, 2, -1}}, {}, "", "", 0, {}};
    DataFollower follower(dir.write("run.csv", "0,1,2\n"), flat, TablePlane::XY);
    EXPECT_EQ(follower.depths(), 0);
    const DataFollower::Update update = follower.Poll();
    EXPECT_EQ(update.values.size(), 3u);
    EXPECT_TRUE(update.depths.empty());
}

TEST(AppendRows, DepthsFollowTheRowsThroughGrowthOrAreGaps) {
    for (const bool given : {true, false}) {
        SimulationState s;
        s.loaded().fields.bodyCount = 2;
        s.loaded().columnCount = 5;
        s.loaded().fields.lineCount = 0;
        s.loaded().rows = AllocateTable(10, 5);
        s.loaded().depth = AllocateDepth(10, 2);
        for (int r = 0; r < 3000; ++r) {
            const std::vector<double> depths = {r + 0.25, -r - 0.25};
            ASSERT_TRUE(AppendRows(s, {double(r), 1, 2, 3, 4}, given ? depths : std::vector<double>{}));
            ASSERT_GE(s.loaded().depth->rowCount(), s.loaded().fields.lineCount);
        }
        for (int r : {0, 9, 10, 2047, 2999}) {
            EXPECT_EQ(s.loaded().rows->time(r), r);
            if (given) {
                EXPECT_EQ(s.loaded().depth->at(1, r), r + 0.25);
                EXPECT_EQ(s.loaded().depth->at(2, r), -r - 0.25);
            } else {
                EXPECT_TRUE(std::isnan(s.loaded().depth->at(2, r)));
            }
        }
    }
}

TEST(AppendRows, GrowsByDoublingAndKeepsEveryValue) {
    SimulationState s;
    s.loaded().fields.bodyCount = 1;
    s.loaded().columnCount = 3;
    s.loaded().fields.lineCount = 0;
    s.loaded().rows = AllocateTable(10, 3);
    int copies = 0;
    for (int r = 0; r < 5000; ++r) {
        const TrajectoryTable* before = s.loaded().rows.get();
        ASSERT_TRUE(AppendRows(s, {double(r), r + 0.5, -r - 0.5}));
        copies += s.loaded().rows.get() != before;
    }
    EXPECT_EQ(s.loaded().fields.lineCount, 5000);
    EXPECT_LE(copies, 10);  // 10 rows doubled up past 5000
    for (int r : {0, 9, 10, 2047, 4999}) {
        EXPECT_EQ(s.loaded().rows->time(r), r);
        EXPECT_EQ(s.loaded().rows->track(1, r)[1], -r - 0.5);
    }
}

}  // namespace
