// Loads whose reading runs on a thread while the window's events run:
// cancelling, and ticks that come meanwhile.

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/view_steps.h"
#include "base/parallel_for.h"
#include "plot/plot_box.h"
#include "publication/view_paint.h"
#include "recording_surface.h"
#include "simulation/data_reader.h"
#include "simulation/load_progress.h"
#include "simulation/trajectory_table.h"
#include "test_support.h"

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
    // The threads kept for parallel work are there from the first such work
    // on, for the process's life: counted before, as one the load left.
    ParallelFor(0, 2, 2, [](int64_t, int64_t) {});
    const int threadsBefore = ThreadCount();
    host.during = [](LoadProgress& progress) {
        if (progress.bytesRead > 0) progress.cancelled = true;
    };
    EXPECT_EQ(LoadSimulation(state, plot, host, config), 0);
    EXPECT_EQ(state.loaded().dataLoaded, 0);
    EXPECT_FALSE(state.playback.loading);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.notes, (std::vector<std::string>{"Load cancelled"}));
    EXPECT_EQ(ThreadCount(), threadsBefore);
    // The next load, not cancelled, reads everything.
    host.during = [](LoadProgress&) {};
    host.notes.clear();
    EXPECT_EQ(LoadSimulation(state, plot, host, config), 1);
    EXPECT_EQ(state.loaded().rows->value(59'999, 20), -60'000.0);
    EXPECT_TRUE(host.notes.empty());
}

TEST_F(WaitedLoad, CancelledLoadsGiveTheirTableBack) {
    const std::size_t before = TableBytesInUse();
    host.during = [](LoadProgress& progress) {
        if (progress.bytesRead > 0) progress.cancelled = true;
    };
    // A first load, then reading the data again into the table it made.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(LoadSimulation(state, plot, host, config), 0);
        EXPECT_EQ(state.loaded().rows, nullptr);
        EXPECT_EQ(TableBytesInUse(), before);
    }
    host.during = [](LoadProgress&) {};
    ASSERT_EQ(LoadSimulation(state, plot, host, config), 1);
    host.during = [](LoadProgress& progress) {
        if (progress.bytesRead > 0) progress.cancelled = true;
    };
    EXPECT_EQ(ReadShownData(state, host), DataResult::Failed);
    EXPECT_EQ(state.loaded().rows, nullptr);
    EXPECT_EQ(state.loaded().dataLoaded, 0);
    EXPECT_EQ(TableBytesInUse(), before);
    // A load cancelled while another simulation is shown keeps it, and only it.
    host.during = [](LoadProgress&) {};
    ASSERT_EQ(LoadSimulation(state, plot, host, config), 1);
    const std::size_t shown = TableBytesInUse();
    host.during = [](LoadProgress& progress) {
        if (progress.bytesRead > 0) progress.cancelled = true;
    };
    EXPECT_EQ(LoadSimulation(state, plot, host, config), 0);
    EXPECT_EQ(state.loaded().dataLoaded, 1);
    EXPECT_EQ(TableBytesInUse(), shown);
}

TEST_F(WaitedLoad, TicksDuringALoadShowTheSimulationKeptAndDuringAReadInPlaceNothing) {
    ASSERT_EQ(LoadSimulation(state, plot, host, config), 1);
    const TrajectoryTable* kept = state.loaded().rows.get();
    RecordingSurface surface;
    int ticks = 0;
    bool sawKept = true;
    // A load reads into a simulation of its own: the one shown stays whole
    // and may be drawn, while commands wait.
    host.during = [&](LoadProgress&) {
        sawKept = sawKept && state.playback.loading && state.loaded().dataLoaded == 1 &&
                  state.loaded().rows.get() == kept;
        TickView(state, plot, surface);
        ++ticks;
    };
    EXPECT_EQ(LoadSimulation(state, plot, host, config), 1);
    EXPECT_GT(ticks, 0);
    EXPECT_TRUE(sawKept);
    EXPECT_NE(state.loaded().rows.get(), kept);
    // Reading the shown data again fills its own table: nothing reads it meanwhile.
    surface.calls.clear();
    ticks = 0;
    bool sawEmpty = true;
    host.during = [&](LoadProgress&) {
        sawEmpty = sawEmpty && state.playback.loading && state.loaded().dataLoaded == 0;
        EXPECT_TRUE(TickView(state, plot, surface).stop);
        ++ticks;
    };
    EXPECT_EQ(ReadShownData(state, host), DataResult::Ok);
    EXPECT_GT(ticks, 0);
    EXPECT_TRUE(sawEmpty);
    EXPECT_TRUE(surface.calls.empty());
    EXPECT_EQ(state.loaded().dataLoaded, 1);
}

}  // namespace
