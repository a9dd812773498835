// Reading a data file through a load: the table it fills, the questions and
// messages on short, empty and missing files, and the tables refused.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "plot/plot_box.h"
#include "simulation/available_memory.h"
#include "simulation/configuration_reader.h"
#include "simulation/data_reader.h"
#include "test_support.h"

namespace {

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
    double At(int row, int column) const { return state.loaded().rows->value(row, column); }
};

TEST_F(LoadFixture, ExactRowCountLoadsWithoutQuestion) {
    ASSERT_EQ(Load(ConfigText("run.dat", 5, 2, 1, 2, 3), DataText(5, 2) + "99 99 99"), 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.loaded().dataLoaded, 1);
    EXPECT_EQ(state.playback.position, 3);
    EXPECT_EQ(state.loaded().columnCount, 5);
    EXPECT_EQ(state.loaded().rows->rowCount(), 5);
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

TEST_F(LoadFixture, ShortFileYesKeepsEveryCompleteRow) {
    host.answers = {Host::Answer::Yes};
    ASSERT_EQ(Load(ConfigText("run.dat", 100, 1, 1, 10, 70), DataText(60, 1) + "60 1"), 1);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Data File error at line 60\nSet number of data equal to 60?"});
    EXPECT_EQ(state.loaded().fields.lineCount, 60);
    EXPECT_EQ(state.loaded().rows->rowCount(), 100);
    EXPECT_EQ(state.loaded().usableRows(), 60);
    EXPECT_EQ(At(59, 0), 59);                // the last complete row is kept
    EXPECT_EQ(state.playback.position, 70);  // the start row stays, beyond the rows in use
    EXPECT_EQ(state.loaded().dataLoaded, 1);
}

TEST_F(LoadFixture, ShortFileNoFailsTheLoadAndKeepsTheSimulationShown) {
    ASSERT_EQ(Load(ConfigText("run.dat", 5, 1), DataText(5, 1)), 1);
    ASSERT_EQ(Load(ConfigText("run.dat", 100, 1), DataText(60, 1)), 0);
    EXPECT_EQ(state.loaded().fields.lineCount, 5);
    EXPECT_EQ(state.loaded().dataLoaded, 1);
    EXPECT_EQ(At(4, 0), 4);
}

TEST_F(LoadFixture, EmptyFileOffersNoRows) {
    host.answers = {Host::Answer::Yes};
    ASSERT_EQ(Load(ConfigText("run.dat", 10, 2), ""), 1);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Data File error at line 0\nSet number of data equal to 0?"});
    EXPECT_EQ(state.loaded().fields.lineCount, 0);
    EXPECT_EQ(state.loaded().usableRows(), 0);
}

TEST_F(LoadFixture, TextInsideARowMakesItIncomplete) {
    std::string data = DataText(5, 1);
    data.replace(data.find("2.1"), 3, "two");
    ASSERT_EQ(Load(ConfigText("run.dat", 5, 1), data), 0);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Data File error at line 2\nSet number of data equal to 2?"});
}

TEST_F(LoadFixture, ZeroBodiesAndZeroLines) {
    ASSERT_EQ(Load(ConfigText("run.dat", 3, 0), "0.5 1.5 2.5"), 1);
    EXPECT_EQ(state.loaded().columnCount, 1);
    EXPECT_EQ(At(2, 0), 2.5);

    ASSERT_EQ(Load(ConfigText("run.dat", 0, 2), ""), 1);
    EXPECT_EQ(state.playback.position, 0);
    EXPECT_EQ(state.loaded().dataLoaded, 1);
    EXPECT_TRUE(host.messages.empty());

    ASSERT_EQ(Load(ConfigText("run.dat", -5, 2), ""), 1);
    EXPECT_EQ(state.loaded().rows->rowCount(), 0);
    EXPECT_EQ(state.loaded().usableRows(), 0);
}

TEST_F(LoadFixture, NoLinesNamedWhileTheFileHoldsRowsIsSaidInOneNote) {
    const std::string told =
        "run.ovx names 0 data lines but run.dat holds 30 complete rows: open it with `orbivex --follow "
        "run.ovx`, "
        "or open run.dat as a table";
    const struct {
        int lines;
        std::string data;
        std::string note;  ///< empty for none
    } cases[] = {
        {0, DataText(30, 2), told},
        {0, DataText(30, 2) + "30 0.1 0.2 0.3", told},      // a row cut short is not counted
        {0, DataText(30, 2) + "30 0.1 0.2 0.3 0.4", told},  // nor a last number that may be cut
        {0, "0 1 2 3", ""},
        {0, "", ""},
        {12, DataText(30, 2), ""},  // fewer lines named than held loads as ever
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data.substr(c.data.size() > 20 ? c.data.size() - 20 : 0));
        host.notes.clear();
        ASSERT_EQ(Load(ConfigText("run.dat", c.lines, 2), c.data), 1);
        EXPECT_EQ(host.notes, c.note.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.note});
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(state.loaded().usableRows(), c.lines);
    }
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
    EXPECT_EQ(state.loaded().rows, nullptr);
    host.messages.clear();
    ASSERT_EQ(Load(ConfigText("run.dat", 10, -1), ""), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Error -3 in Config File " + dir.path() + "/run.ovx"});
}

TEST_F(LoadFixture, MissingDataFile) {
    ASSERT_EQ(Load(ConfigText("gone.dat", 10, 1), "", "unused.dat"), 0);
    EXPECT_EQ(host.messages, std::vector<std::string>{"DATA File gone.dat is not found"});
    EXPECT_EQ(state.loaded().dataLoaded, 0);
}

TEST_F(LoadFixture, DataFileDeletedAfterTheConfigurationWasRead) {
    const std::string data = dir.write("run.dat", DataText(5, 1));
    ASSERT_EQ(
        ReadConfiguration(state.loaded().fields, host, dir.write("run.ovx", ConfigText("run.dat", 5, 1))),
        ConfigResult::Ok);
    std::filesystem::remove(data);
    EXPECT_EQ(ReadShownData(state, host), DataResult::Failed);
    EXPECT_EQ(host.messages, std::vector<std::string>{"DATA File run.dat is not found"});
    EXPECT_EQ(state.loaded().dataLoaded, 0);
}

TEST_F(LoadFixture, ImpossibleTableIsRefused) {
    ASSERT_EQ(Load(ConfigText("run.dat", 2147483647, 30), ""), 0);
    EXPECT_EQ(host.messages,
              std::vector<std::string>{"Not enough memory for 2147483647 data lines of 61 values"});
    EXPECT_EQ(state.loaded().rows, nullptr);
    EXPECT_EQ(state.loaded().dataLoaded, 0);
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
    EXPECT_EQ(state.loaded().rows, nullptr);
}

TEST_F(LoadFixture, ReloadDataAfterShapeChangeMakesAFittingTable) {
    ASSERT_EQ(Load(ConfigText("run.dat", 5, 1), DataText(5, 1)), 1);
    dir.write("three.dat", DataText(8, 3));
    const std::string three = dir.write("three.ovx", ConfigText("three.dat", 8, 3));
    ASSERT_EQ(ReadConfiguration(state.loaded().fields, host, three), ConfigResult::Ok);
    EXPECT_EQ(state.loaded().rows->columnCount(), 3);  // Load configuration alone keeps the table
    ASSERT_EQ(ReadShownData(state, host), DataResult::Ok);
    EXPECT_EQ(state.loaded().rows->rowCount(), 8);
    EXPECT_EQ(state.loaded().rows->columnCount(), 7);
    EXPECT_EQ(At(7, 5), 7.3);
    EXPECT_EQ(At(7, 6), -7.3);
}

TEST_F(LoadFixture, ReloadDataBeforeAnyTable) {
    state.loaded().fields.lineCount = 3;
    state.loaded().fields.bodyCount = 1;
    state.loaded().fields.dataPath = dir.write("d.dat", DataText(3, 1));
    ASSERT_EQ(ReadShownData(state, host), DataResult::Ok);
    EXPECT_EQ(state.loaded().rows->rowCount(), 3);
    EXPECT_EQ(At(2, 1), 2.1);
}

TEST_F(LoadFixture, FailedReloadKeepsDataLoaded) {
    ASSERT_EQ(Load(ConfigText("run.dat", 5, 1), DataText(5, 1)), 1);
    state.loaded().fields.dataPath = dir.write("short.dat", "100 100 100");
    EXPECT_EQ(ReadShownData(state, host), DataResult::ShortDeclined);
    EXPECT_EQ(state.loaded().dataLoaded, 1);
    EXPECT_EQ(At(0, 0), 100);
    EXPECT_EQ(At(1, 0), 1);
}

}  // namespace
