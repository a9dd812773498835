#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "animation/simulation_loading.h"
#include "animation/startup_defaults.h"
#include "animation/view_steps.h"
#include "plot/plot_box.h"
#include "recording_surface.h"
#include "simulation/available_memory.h"
#include "simulation/configuration_reader.h"
#include "simulation/data_reader.h"
#include "simulation/load_progress.h"
#include "simulation/parallel_real_parser.h"
#include "simulation/real_parser.h"
#include "simulation/row_shape.h"
#include "simulation/simulation_state.h"
#include "test_support.h"

namespace {

/// What a loop of fscanf("%lf") reads from `text`: the values up to the
/// first failure.
std::vector<double> ScanfValues(const std::string& text, std::size_t limit) {
    std::vector<double> values;
    std::string copy = text;
    std::FILE* file = copy.empty() ? std::fopen("/dev/null", "r") : ::fmemopen(copy.data(), copy.size(), "r");
    double v = 0;
    while (values.size() < limit && std::fscanf(file, "%lf", &v) == 1) values.push_back(v);
    std::fclose(file);
    return values;
}

std::vector<double> ParsedValues(const std::string& text, std::size_t limit) {
    std::vector<double> values(limit);
    MemorySource source(text);
    values.resize(ParseReals(source, values.data(), limit));
    return values;
}

void ExpectSameAsScanf(const std::string& text, std::size_t limit = 64) {
    const auto expected = ScanfValues(text, limit);
    const auto actual = ParsedValues(text, limit);
    ASSERT_EQ(actual.size(), expected.size()) << '"' << text << '"';
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(std::memcmp(&actual[i], &expected[i], sizeof(double)), 0)
            << '"' << text << "\" value " << i << ": " << actual[i] << " vs " << expected[i];
}

TEST(RealParser, TokensMatchFormattedInput) {
    const char* inputs[] = {
        "1 2 3",
        "  -1.5e3\t+2.25\r\n.5 5.",
        "1e400 -1e400 1e-320 4.9e-324 2.4e-324",
        "nan inf -infinity NAN(abc) Inf",
        "0x1p3 0X.8 -0x10",
        "1.5-2.0",
        "1e5e3",
        "1e 2",
        "1e+ 2",
        "1.2.3",
        "+-1",
        "- 1",
        "abc",
        "12abc 4",
        "0.1 0.2 0.30000000000000004",
        "1,5",
        "123456789012345678901234567890",
        "1\0002",
        "infinite 3",
        "nan( 4",
        "9007199254740993",
        "2.2250738585072011e-308",
        "00001.50000",
        "+.5e-0 -.0",
        "0x 5",
        "0x1p 5",
        "0x1p+ 5",
        "1.e 5",
        "1E- 5",
        "inf( 5",
        "nanx 5",
        "infinit 5",
        "nan(1) 5",
        "0x1.8p1 5",
    };
    for (const char* input : inputs)
        ExpectSameAsScanf(std::string(input, std::strlen(input) + (input[1] == 0)));
    ExpectSameAsScanf(std::string("1\0 2", 4));
}

TEST(RealParser, BlockBoundariesDoNotCutNumbers) {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> value(-1e6, 1e6);
    const char* separators[] = {" ", "\n", "\r\n", "\t  ", "   \n\n"};
    std::string text;
    while (text.size() < 3 * kParseBlockSize) {
        char number[64];
        std::snprintf(number, sizeof number, random() % 2 ? "%.17g" : "%.10e", value(random));
        text += number;
        text += separators[random() % 5];
    }
    ExpectSameAsScanf(text, 1u << 20);
}

TEST(RealParser, StopsAtTheLimitAndAtOverlongTokens) {
    EXPECT_EQ(ParsedValues("1 2 3 4", 2).size(), 2u);
    EXPECT_EQ(ParsedValues("", 2).size(), 0u);
    const std::string huge = "1 " + std::string(kParseBlockSize + 10, '7');
    EXPECT_EQ(ParsedValues(huge, 2).size(), 1u);
}

struct LoadFixture : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;

    void SetUp() override {
        InitialiseDefaults(state, plot);
        previousFolder = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    void TearDown() override { std::filesystem::current_path(previousFolder); }

    std::filesystem::path previousFolder;

    int Load(const std::string& config, const std::string& data, const std::string& dataName = "run.dat") {
        if (!data.empty() || dataName == "run.dat") dir.write(dataName, data);
        return LoadSimulation(state, plot, host, dir.write("run.ovx", config));
    }
    double At(int row, int column) const { return state.rows->value(row, column); }
};

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
}

TEST_F(LoadFixture, ExactRowCountLoadsWithoutQuestion) {
    ASSERT_EQ(Load(ConfigText("run.dat", 5, 2, 1, 2, 3), DataText(5, 2) + "99 99 99"), 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.dataLoaded, 1);
    EXPECT_EQ(state.position, 3);
    EXPECT_EQ(state.columnCount, 5);
    EXPECT_EQ(state.rows->rowCount(), 5);
    EXPECT_EQ(At(4, 0), 4);
    EXPECT_EQ(At(4, 3), 4.2);
    EXPECT_EQ(At(4, 4), -4.2);
    EXPECT_EQ(host.cursorCalls, (std::vector<bool>{true, false}));
}

TEST_F(LoadFixture, LineBreaksCarryNoMeaning) {
    std::string oneLine = DataText(4, 1), onePerLine = oneLine, crlf;
    for (char& c : oneLine)
        if (c == '\n') c = ' ';
    for (char& c : onePerLine)
        if (c == ' ') c = '\n';
    for (char c : DataText(4, 1)) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    std::vector<double> tables[3];
    int i = 0;
    for (const std::string& data : {oneLine, onePerLine, crlf}) {
        ASSERT_EQ(Load(ConfigText("run.dat", 4, 1), data), 1);
        for (int c = 0; c < 12; ++c) tables[i].push_back(At(c / 3, c % 3));
        ++i;
    }
    EXPECT_EQ(tables[0], tables[1]);
    EXPECT_EQ(tables[0], tables[2]);
    EXPECT_TRUE(host.notes.empty());
}

TEST_F(LoadFixture, RowsOfAnotherBodyCountLoadWithANoteOnly) {
    ASSERT_EQ(Load(ConfigText("run.dat", 10, 2), DataText(20, 4)), 1);
    EXPECT_EQ(host.notes, std::vector<std::string>{"Data lines hold 9 values; 2 planets need 5"});
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(At(1, 0), 0.3);  // values still taken in file order, five to a row
}

TEST_F(LoadFixture, ShortFileYesKeepsOneRowLessThanComplete) {
    host.answers = {Host::Answer::Yes};
    ASSERT_EQ(Load(ConfigText("run.dat", 100, 1, 1, 10, 70), DataText(60, 1) + "60 1"), 1);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Data File error at line 60\nSet number of data equal to 59?"});
    EXPECT_EQ(state.lineCount, 59);
    EXPECT_EQ(state.rows->rowCount(), 100);
    EXPECT_EQ(state.usableRows(), 59);
    EXPECT_EQ(state.position, 70);  // the start row stays, beyond the rows in use
    EXPECT_EQ(state.dataLoaded, 1);
}

TEST_F(LoadFixture, ShortFileNoFailsTheLoad) {
    ASSERT_EQ(Load(ConfigText("run.dat", 100, 1), DataText(60, 1)), 0);
    EXPECT_EQ(state.lineCount, 100);
    EXPECT_EQ(state.dataLoaded, 0);
    EXPECT_EQ(At(59, 0), 59);
}

TEST_F(LoadFixture, EmptyFileOffersMinusOne) {
    host.answers = {Host::Answer::Yes};
    ASSERT_EQ(Load(ConfigText("run.dat", 10, 2), ""), 1);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Data File error at line 0\nSet number of data equal to -1?"});
    EXPECT_EQ(state.lineCount, -1);
    EXPECT_EQ(state.usableRows(), 0);
}

TEST_F(LoadFixture, TextInsideARowMakesItIncomplete) {
    std::string data = DataText(5, 1);
    data.replace(data.find("2.1"), 3, "two");
    ASSERT_EQ(Load(ConfigText("run.dat", 5, 1), data), 0);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Data File error at line 2\nSet number of data equal to 1?"});
}

TEST_F(LoadFixture, ZeroBodiesAndZeroLines) {
    ASSERT_EQ(Load(ConfigText("run.dat", 3, 0), "0.5 1.5 2.5"), 1);
    EXPECT_EQ(state.columnCount, 1);
    EXPECT_EQ(At(2, 0), 2.5);

    ASSERT_EQ(Load(ConfigText("run.dat", 0, 2), ""), 1);
    EXPECT_EQ(state.position, 0);
    EXPECT_EQ(state.dataLoaded, 1);
    EXPECT_TRUE(host.messages.empty());

    ASSERT_EQ(Load(ConfigText("run.dat", -5, 2), ""), 1);
    EXPECT_EQ(state.rows->rowCount(), 0);
    EXPECT_EQ(state.usableRows(), 0);
}

TEST_F(LoadFixture, ConfigurationFailuresAreReportedTwice) {
    const std::string missing = dir.path() + "/missing.ovx";
    EXPECT_EQ(LoadSimulation(state, plot, host, missing), 0);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Config File " + missing + " is not found",
                                                       "Error -1 in Config File " + missing}));
    host.messages.clear();
    ASSERT_EQ(Load(ConfigText("run.dat", 10, 31), ""), 0);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"Too many Planets !", "Error -3 in Config File " +
                                                                                 dir.path() + "/run.ovx"}));
    EXPECT_EQ(state.rows, nullptr);
    host.messages.clear();
    ASSERT_EQ(Load(ConfigText("run.dat", 10, -1), ""), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Error -3 in Config File " + dir.path() + "/run.ovx"});
}

TEST_F(LoadFixture, MissingDataFile) {
    ASSERT_EQ(Load(ConfigText("gone.dat", 10, 1), "", "unused.dat"), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"DATA File gone.dat is not found"});
    EXPECT_EQ(state.dataLoaded, 0);
}

TEST_F(LoadFixture, DataFileDeletedAfterTheConfigurationWasRead) {
    const std::string data = dir.write("run.dat", DataText(5, 1));
    ASSERT_EQ(ReadConfiguration(state, host, dir.write("run.ovx", ConfigText("run.dat", 5, 1))),
              ConfigResult::Ok);
    std::filesystem::remove(data);
    EXPECT_EQ(ReadData(state, host), DataResult::Failed);
    EXPECT_EQ(host.messages, std::vector<std::string>{"DATA File run.dat is not found"});
    EXPECT_EQ(state.dataLoaded, 0);
}

TEST_F(LoadFixture, ImpossibleTableIsRefused) {
    ASSERT_EQ(Load(ConfigText("run.dat", 2147483647, 30), ""), 0);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Not enough memory for 2147483647 data lines of 61 values"});
    EXPECT_EQ(state.rows, nullptr);
    EXPECT_EQ(state.dataLoaded, 0);
}

TEST_F(LoadFixture, TableLargerThanTheAvailableMemoryIsRefusedBeforeReading) {
    // Large enough to be allowed by the system's overcommit, too large to fill.
    const std::optional<uint64_t> available = AvailableMemory();
    ASSERT_TRUE(available);
    const uint64_t rows = (*available + (uint64_t(512) << 20)) / (61 * sizeof(double));
    if (rows > INT32_MAX) GTEST_SKIP() << "this machine has more memory than a table can use";
    ASSERT_EQ(Load(ConfigText("run.dat", int32_t(rows), 30), DataText(3, 30)), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Not enough memory for " + std::to_string(rows) +
                                                      " data lines of 61 values"});
    EXPECT_EQ(state.rows, nullptr);
}

TEST(AvailableMemory, IsWhatTheKernelCallsAvailablePlusFreeSwap) {
    EXPECT_EQ(AvailableMemoryOf("MemTotal:       24683744 kB\nMemFree:        22285536 kB\n"
                                "MemAvailable:   24144760 kB\nSwapTotal: 0 kB\nSwapFree:  1024 kB\n"),
              (uint64_t(24144760) + 1024) * 1024);
    EXPECT_EQ(AvailableMemoryOf("MemAvailable: 5 kB\n"), uint64_t(5) * 1024);
    // Kernels before 3.14 do not say; nothing is refused then.
    EXPECT_EQ(AvailableMemoryOf("MemTotal: 100 kB\nMemFree: 50 kB\n"), std::nullopt);
    EXPECT_EQ(AvailableMemoryOf("MemAvailable: 99999999999999999999 kB\n"), std::nullopt);
}

TEST_F(LoadFixture, ReloadDataAfterShapeChangeMakesAFittingTable) {
    ASSERT_EQ(Load(ConfigText("run.dat", 5, 1), DataText(5, 1)), 1);
    dir.write("three.dat", DataText(8, 3));
    const std::string three = dir.write("three.ovx", ConfigText("three.dat", 8, 3));
    ASSERT_EQ(ReadConfiguration(state, host, three), ConfigResult::Ok);
    EXPECT_EQ(state.rows->columnCount(), 3);  // Load configuration alone keeps the table
    ASSERT_EQ(ReadData(state, host), DataResult::Ok);
    EXPECT_EQ(state.rows->rowCount(), 8);
    EXPECT_EQ(state.rows->columnCount(), 7);
    EXPECT_EQ(At(7, 5), 7.3);
    EXPECT_EQ(At(7, 6), -7.3);
}

TEST_F(LoadFixture, ReloadDataBeforeAnyTable) {
    state.lineCount = 3;
    state.bodyCount = 1;
    state.dataPath = dir.write("d.dat", DataText(3, 1));
    ASSERT_EQ(ReadData(state, host), DataResult::Ok);
    EXPECT_EQ(state.rows->rowCount(), 3);
    EXPECT_EQ(At(2, 1), 2.1);
}

TEST_F(LoadFixture, FailedReloadKeepsDataLoaded) {
    ASSERT_EQ(Load(ConfigText("run.dat", 5, 1), DataText(5, 1)), 1);
    state.dataPath = dir.write("short.dat", "100 100 100");
    EXPECT_EQ(ReadData(state, host), DataResult::ShortDeclined);
    EXPECT_EQ(state.dataLoaded, 1);
    EXPECT_EQ(At(0, 0), 100);
    EXPECT_EQ(At(1, 0), 1);
}

}  // namespace

namespace {

/// Parses `text` from a file both ways and checks they agree on every value
/// and on where they stop.
void ExpectParallelSameAsSequential(const std::string& text, std::size_t count) {
    TempDir dir;
    const std::string path = dir.write("big.dat", text);
    std::vector<double> sequential(count), parallel(count, -7.0);
    MemorySource source(text);
    const std::size_t expected = ParseReals(source, sequential.data(), count);
    const int fd = ::open(path.c_str(), O_RDONLY);
    struct VectorSink : ValueSink {
        std::vector<double>& out;
        explicit VectorSink(std::vector<double>& o) : out(o) {}
        void Store(std::size_t first, const double* values, std::size_t n) override {
            std::copy(values, values + n, out.begin() + std::ptrdiff_t(first));
        }
    } sink(parallel);
    const std::size_t actual = ParseRealsParallel(fd, text.size(), sink, count);
    ::close(fd);
    ASSERT_EQ(actual, expected);
    EXPECT_EQ(std::memcmp(parallel.data(), sequential.data(), actual * sizeof(double)), 0);
    if (actual < count) {
        EXPECT_EQ(parallel[actual], -7.0) << "wrote past the values read";
    }
}

std::string LargeText(std::size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) text += std::to_string(i * 0.37) + (i % 7 ? " " : "\n");
    return text;
}

TEST(ParallelParser, AgreesWithSequentialReading) {
    const std::string text = LargeText(3 * kParallelParseMinBytes / 2);
    ExpectParallelSameAsSequential(text, 4'000'000);             // runs out of numbers
    ExpectParallelSameAsSequential(text, 100'000);               // stops at the limit
    ExpectParallelSameAsSequential(text + "\n\n  ", 4'000'000);  // trailing blanks
}

TEST(ParallelParser, FilesCutAtBlockBoundariesReadAsSequentially) {
    std::string text = LargeText(3 * kParallelBlockBytes + 100);
    // A token starting exactly at the second boundary, one ending just
    // before the third.
    text.replace(2 * kParallelBlockBytes - 1, 3, " 7 ");
    text.replace(3 * kParallelBlockBytes - 3, 3, " 8 ");
    for (uint64_t boundary = kParallelBlockBytes; boundary < text.size(); boundary += kParallelBlockBytes)
        for (uint64_t cut : {boundary - 1, boundary, boundary + 1})
            ExpectParallelSameAsSequential(text.substr(0, cut), 4'000'000);
}

TEST(ParallelParser, IrregularTokensFallBackExactly) {
    const std::string base = LargeText(kParallelParseMinBytes + 1000);
    const std::size_t middle = base.find(' ', base.size() / 2) + 1;
    std::string garbage = base, glued = base, longToken = base;
    garbage.insert(middle, "abc ");
    glued.insert(middle, "1.5-2.0e1 0x1p4 ");
    longToken.insert(middle, std::string(10000, '5') + " ");
    for (const std::string* text : {&garbage, &glued, &longToken})
        ExpectParallelSameAsSequential(*text, 4'000'000);
}

/// A field of /proc/self/status, in KiB.
long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = -1;
    while (status >> name && name != field) status.ignore(1 << 10, '\n');
    status >> value;
    return value;
}

TEST(ParallelParser, HoldsOnlyTheBlocksInFlightNeverTheFile) {
    TempDir dir;
    const std::string text = LargeText(std::size_t(48) << 20);
    const std::string path = dir.write("big.dat", text);
    // Slow stores keep the threads at different places in the file, where
    // text read (or mapped) ahead or kept behind would pile up.
    struct SlowSink : ValueSink {
        void Store(std::size_t, const double*, std::size_t) override {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } sink;
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5" << std::flush;  // the peak starts again from here
    if (!reset) GTEST_SKIP() << "this system does not let a process reset its peak memory";
    const int fd = ::open(path.c_str(), O_RDONLY);
    const long before = StatusKiB("VmRSS:");
    EXPECT_GT(ParseRealsParallel(fd, text.size(), sink, std::size_t(1) << 30), std::size_t(3'000'000));
    ::close(fd);
    EXPECT_LT(StatusKiB("VmHWM:") - before, 10 * 1024) << "of a text of " << (text.size() >> 10) << " KiB";
}

}  // namespace

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

namespace {

/// Host that runs the load on a thread and meanwhile does what `during`
/// says, as the window does while its events run.
class WaitingHost : public ScriptedHost {
public:
    std::function<void(LoadProgress&)> during = [](LoadProgress&) {};
    void waitFor(const std::function<void()>& work, LoadProgress& progress) override {
        std::atomic<bool> done{false};
        std::thread worker([&] {
            work();
            done = true;
        });
        while (!done) during(progress);
        worker.join();
    }
};

int ThreadCount() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Threads:", 0) == 0) return std::stoi(line.substr(8));
    return -1;
}

struct WaitedLoad : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    WaitingHost host;
    TempDir dir;
    std::string config;

    void SetUp() override {
        InitialiseDefaults(state, plot);
        const int rows = 60'000;  // about 9.5 MB, read on all cores
        std::string data = DataText(rows, 10);
        config = dir.write("big.ovx", ConfigText(dir.write("big.dat", data), rows, 10));
    }
};

TEST_F(WaitedLoad, CancelInTheMiddleLeavesNothingLoadedAndNoThread) {
    const int threadsBefore = ThreadCount();
    host.during = [](LoadProgress& progress) {
        if (progress.bytesRead > 0) progress.cancelled = true;
    };
    EXPECT_EQ(LoadSimulation(state, plot, host, config), 0);
    EXPECT_EQ(state.dataLoaded, 0);
    EXPECT_FALSE(state.loading);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.notes, (std::vector<std::string>{"Load cancelled"}));
    EXPECT_EQ(ThreadCount(), threadsBefore);
    // The next load, not cancelled, reads everything.
    host.during = [](LoadProgress&) {};
    host.notes.clear();
    EXPECT_EQ(LoadSimulation(state, plot, host, config), 1);
    EXPECT_EQ(state.rows->value(59'999, 20), -60'000.0);
    EXPECT_TRUE(host.notes.empty());
}

TEST_F(WaitedLoad, TicksDuringTheLoadReadAndDrawNothing) {
    ASSERT_EQ(LoadSimulation(state, plot, host, config), 1);  // a reload replaces loaded data
    RecordingSurface surface;
    int ticks = 0;
    bool sawLoading = true;
    host.during = [&](LoadProgress&) {
        sawLoading = sawLoading && state.loading && state.dataLoaded == 0;
        const TimerRequest request = TickView(state, plot, surface);
        EXPECT_TRUE(request.stop);
        ++ticks;
    };
    EXPECT_EQ(LoadSimulation(state, plot, host, config), 1);
    EXPECT_GT(ticks, 0);
    EXPECT_TRUE(sawLoading);
    EXPECT_TRUE(surface.calls.empty());
    EXPECT_EQ(state.dataLoaded, 1);
}

}  // namespace
