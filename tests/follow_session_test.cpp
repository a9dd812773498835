// Following a data file without a window: what a writer does to the file
// and what the table, the messages and the returned result show for it.

#include "animation/follow_session.h"
#include "animation/playback_range.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "animation/appended_rows.h"
#include "animation/playback_commands.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "animation/view_steps.h"
#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/load_progress.h"
#include "test_support.h"

namespace {

const std::string kReadAgain = "The data file was started again: read again from its beginning";

/// Rows `from` to `to` - 1 of one body: time r at (r + 0.1, -r - 0.1).
std::string Rows(int from, int to) {
    std::string text;
    for (int r = from; r < to; ++r)
        text += std::to_string(r) + " " + std::to_string(r + 0.1) + " " + std::to_string(-r - 0.1) + "\n";
    return text;
}

void Append(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::app) << text; }

/// A simulation of one body loaded from `rows` rows of grow.dat, named in
/// full so that the working folder does not matter, and a session on it.
struct Following {
    explicit Following(int rows) {
        InitialiseDefaults(state, plot);
        data = dir.write("grow.dat", Rows(0, rows));
        EXPECT_EQ(Load("grow.ovx", data, rows), 1);
    }
    /// Loads a configuration, named `name`, of `rows` rows from `dataPath`.
    int Load(const std::string& name, const std::string& dataPath, int rows) {
        return LoadSimulation(state, plot, host, dir.write(name, ConfigText(dataPath, rows, 1)));
    }
    /// Whether the table holds rows 0 to lineCount - 1, each once, in order.
    bool RowsInOrder() const {
        for (int r = 0; r < state.loaded().fields.lineCount; ++r)
            if (state.loaded().rows->time(r) != r ||
                std::abs(state.loaded().rows->track(1, r)[1] + r + 0.1) > 1e-9)
                return false;
        return true;
    }
    int ReadAgainNotes() const { return int(std::count(host.notes.begin(), host.notes.end(), kReadAgain)); }

    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;
    std::string data;
    FollowSession session{state, plot, host};
};

struct WriterCase {
    const char* name;
    bool beforeStart;  ///< the writer acts before following begins, else between start and a check
    std::function<void(Following&)> write;
    int lineCount;   ///< rows in the table afterwards
    bool readAgain;  ///< read again from the beginning, with the note
    bool dataChanged;
    std::string message;  ///< start of the one message, which also stops following; empty: none
};

TEST(FollowSession, WhatTheWriterDoesReachesTheTable) {
    const auto startAgain = [](Following& f) {
        std::filesystem::resize_file(f.data, 0);
        Append(f.data, Rows(0, 30));
    };
    const WriterCase cases[] = {
        {"nothing new", false, [](Following&) {}, 40, false, false, ""},
        {"rows appended", false, [](Following& f) { Append(f.data, Rows(40, 45)); }, 45, false, true, ""},
        {"rows appended before following began", true, [](Following& f) { Append(f.data, Rows(40, 50)); }, 50,
         false, true, ""},
        {"file removed", false, [](Following& f) { std::filesystem::remove(f.data); }, 40, false, false, ""},
        {"file started again", false, startAgain, 30, true, true, ""},
        {"file replaced by another", false,
         [](Following& f) { std::filesystem::rename(f.dir.write("new.dat", Rows(0, 25)), f.data); }, 25, true,
         true, ""},
        {"file started again before following began", true, startAgain, 30, true, true, ""},
        {"text that is not a number", false,
         [](Following& f) { Append(f.data, Rows(40, 42) + "42 forty-two 0\n43 1 2\n"); }, 42, false, true,
         "Row 42 of the data file holds text that is not a number: following stopped. The 42 rows before it"},
    };
    for (const WriterCase& c : cases) {
        SCOPED_TRACE(c.name);
        Following f(40);
        if (c.beforeStart) c.write(f);
        FollowResult result = f.session.start();
        if (!c.beforeStart) {
            ASSERT_EQ(result.watch, f.state.loaded().fields.dataPath);
            ASSERT_FALSE(result.repaint || result.stopped);
            c.write(f);
            result = f.session.check();
        }
        EXPECT_EQ(f.state.loaded().fields.lineCount, c.lineCount);
        EXPECT_TRUE(f.RowsInOrder());
        EXPECT_EQ(result.dataChanged, c.dataChanged);
        EXPECT_EQ(result.repaint, c.readAgain);
        EXPECT_EQ(f.ReadAgainNotes(), c.readAgain ? 1 : 0);
        // A file read again is watched afresh.
        if (c.readAgain) {
            EXPECT_EQ(result.watch, f.state.loaded().fields.dataPath);
        }
        const bool stops = !c.message.empty();
        EXPECT_EQ(result.stopped, stops);
        ASSERT_EQ(f.host.messages.size(), stops ? 1u : 0u);
        if (stops) {
            EXPECT_TRUE(f.host.messages[0].starts_with(c.message)) << f.host.messages[0];
        }
        EXPECT_EQ(f.session.enabled(), !stops);
        EXPECT_EQ(f.state.view.followData, stops ? 0 : 1);
        EXPECT_EQ(f.session.followedPath(), stops ? "" : f.state.loaded().fields.dataPath);

        // Rows written next are taken from where the last ones ended, and
        // only while following.
        if (!std::filesystem::exists(f.data)) continue;
        const int before = f.state.loaded().fields.lineCount;
        Append(f.data, Rows(before, before + 3));
        f.session.check();
        EXPECT_EQ(f.state.loaded().fields.lineCount, stops ? before : before + 3);
        EXPECT_TRUE(f.RowsInOrder());
        EXPECT_EQ(f.host.messages.size(), stops ? 1u : 0u);
    }
}

TEST(FollowSession, ANumberCutAtTheEndIsHandedOverWhole) {
    // The writer stopped anywhere inside row 40 when the file was read: what
    // it has not finished is not a value, and following takes it up whole.
    const std::string row = Rows(40, 41);
    for (const bool reload : {false, true}) {
        for (std::size_t cut = 1; cut + 1 < row.size(); ++cut) {
            SCOPED_TRACE((reload ? "read again, cut at " : "loaded while following, cut at ") +
                         std::to_string(cut));
            Following f(40);
            f.session.start();
            std::string path = f.data;
            if (reload) {
                std::filesystem::resize_file(f.data, 0);  // the writer starts again
                Append(f.data, Rows(0, 40) + row.substr(0, cut));
            } else {
                path = f.dir.write("cut.dat", Rows(0, 40) + row.substr(0, cut));
                ASSERT_EQ(f.Load("cut.ovx", path, 100), 1);
            }
            f.session.check();
            EXPECT_EQ(f.state.loaded().fields.lineCount, 40);
            Append(path, row.substr(cut) + Rows(41, 43));
            f.session.check();
            EXPECT_EQ(f.state.loaded().fields.lineCount, 43);
            EXPECT_TRUE(f.RowsInOrder());
            EXPECT_TRUE(f.host.messages.empty());
        }
    }
    // Without following, a last number without a line end is a value.
    Following plain(40);
    ASSERT_EQ(plain.Load("cut.ovx", plain.dir.write("cut.dat", Rows(0, 40) + "40 40.1 -4"), 41), 1);
    EXPECT_EQ(plain.state.loaded().fields.lineCount, 41);
    EXPECT_EQ(plain.state.loaded().rows->value(40, 2), -4);
}

TEST(FollowSession, NumbersRunTogetherAreReadAlikeLoadedFollowedAndHinted) {
    // As Fortran writes them: a minus sign takes the blank before a number.
    const auto fortranRows = [](int from, int to) {
        std::string text;
        char field[32];
        for (int r = from; r < to; ++r) {
            for (const double v : {double(r), r + 0.1, -r - 0.1}) {
                std::snprintf(field, sizeof field, "%13.6E", v);
                text += field;
            }
            text += "\n";
        }
        return text;
    };
    ASSERT_EQ(fortranRows(4, 5), " 4.000000E+00 4.100000E+00-4.100000E+00\n");
    Following f(1);
    const std::string path = f.dir.write("fortran.dat", fortranRows(0, 40));
    ASSERT_EQ(f.Load("fortran.ovx", path, 40), 1);
    f.session.start();
    const std::string more = fortranRows(40, 45);
    const std::size_t inRunTogether = more.find('-') + 3;
    Append(path, more.substr(0, inRunTogether));
    f.session.check();
    Append(path, more.substr(inRunTogether));
    f.session.check();
    EXPECT_EQ(f.state.loaded().fields.lineCount, 45);
    EXPECT_TRUE(f.RowsInOrder());
    EXPECT_TRUE(f.host.messages.empty());
    for (const std::string& note : f.host.notes) EXPECT_TRUE(note.empty()) << note;
}

TEST(FollowSession, ALargeAppendGoesStraightIntoTheTable) {
    // Rows appended at once take no more memory than the grown table holds,
    // besides a few blocks of working space.
    Following f(40);
    f.session.start();
    constexpr int kRows = 600'000;
    {
        std::ofstream out(f.data, std::ios::app);
        for (int r = 40; r < kRows; r += 100'000) out << Rows(r, std::min(r + 100'000, kRows));
    }
    if (!ResetPeakMemory()) GTEST_SKIP() << "this system does not let a process reset its peak memory";
    const long before = StatusKiB("VmRSS:");
    EXPECT_TRUE(f.session.check().dataChanged);
    const long peak = StatusKiB("VmHWM:") - before;
    ASSERT_EQ(f.state.loaded().fields.lineCount, kRows);
    EXPECT_TRUE(f.RowsInOrder());
    const long tableKiB = long(f.state.loaded().rows->rowCount()) * 3 * long(sizeof(double)) / 1024;
    EXPECT_LT(peak, tableKiB + 8 * 1024) << "table of " << tableKiB << " KiB";
}

TEST(FollowSession, ALargeAppendIsReadAsALoadIsAndMayBeCancelled) {
    /// Records how the state stood during each wait, and presses Cancel at
    /// once when told to.
    struct WaitingHost : ScriptedHost {
        void waitFor(const std::function<void()>& work, LoadProgress& progress) override {
            ++waits;
            tableHidden = state->playback.loading && state->loaded().dataLoaded == 0;
            if (cancel) progress.cancelled = true;
            work();
        }
        SimulationState* state = nullptr;
        bool cancel = true;
        int waits = 0;
        bool tableHidden = false;
    };
    Following f(40);
    WaitingHost host;
    host.state = &f.state;
    FollowSession session(f.state, f.plot, host);
    session.start();
    constexpr int kRows = 400'000;  // over 8 MiB of text
    Append(f.data, Rows(40, kRows));
    const FollowResult result = session.check();
    EXPECT_EQ(host.waits, 1);
    EXPECT_TRUE(host.tableHidden);
    EXPECT_TRUE(result.stopped);
    EXPECT_FALSE(session.enabled());
    EXPECT_EQ(host.notes.back(), "Load cancelled");
    EXPECT_FALSE(f.state.playback.loading);
    EXPECT_EQ(f.state.loaded().dataLoaded, 1);
    EXPECT_GT(f.state.loaded().fields.lineCount, 40);  // the rows read before the cancel stay
    EXPECT_LT(f.state.loaded().fields.lineCount, kRows);
    EXPECT_TRUE(f.RowsInOrder());

    // Following again goes on after them.
    host.cancel = false;
    session.start();
    EXPECT_EQ(host.waits, 2);
    EXPECT_EQ(f.state.loaded().fields.lineCount, kRows);
    EXPECT_TRUE(f.RowsInOrder());
    EXPECT_TRUE(host.messages.empty());
}

TEST(FollowSession, ALoadElsewhereIsFollowedFromItsOwnRows) {
    Following f(40);
    f.session.start();
    const std::string other = f.dir.write("other.dat", Rows(0, 20));
    ASSERT_EQ(f.Load("other.ovx", other, 20), 1);
    Append(f.data, Rows(40, 50));  // the file followed before
    Append(other, Rows(20, 22));
    f.state.playback.loading = true;  // nothing is read while a load fills the table
    EXPECT_FALSE(f.session.check().dataChanged);
    EXPECT_EQ(f.state.loaded().fields.lineCount, 20);
    f.state.playback.loading = false;
    const FollowResult result = f.session.check();
    EXPECT_EQ(result.watch, other);
    EXPECT_TRUE(result.dataChanged);
    EXPECT_EQ(f.state.loaded().fields.lineCount, 22);
    EXPECT_TRUE(f.RowsInOrder());
    EXPECT_EQ(f.ReadAgainNotes(), 0);
}

TEST(FollowSession, ATableIsFollowedInItsLayoutInTheDataAxesWhateverThePlaneShown) {
    // Row r of "t,x,y,z": time r at (r + 0.5, -r, 2r).
    const auto tableRows = [](int from, int to) {
        std::string text;
        for (int r = from; r < to; ++r) text += Format("%d,%g,%d,%d\r\n", r, r + 0.5, -r, 2 * r);
        return text;
    };
    Following f(1);
    const TableLayout layout{TableSeparator::Comma, 4, 0, {{1, 2, 3}}, {}, "", "", 1, {}};
    // The table as its loader leaves it: the rows and where they end.
    f.state.loaded().fields.dataPath = f.dir.write("run.csv", "t,x,y,z\r\n" + tableRows(0, 40));
    f.state.loaded().fields.dataFormat = DataFormat::Table;
    f.state.loaded().tableLayout = layout;
    f.state.loaded().fields.plane = TablePlane::XZ;
    DataFollower loader(f.state.loaded().fields.dataPath, layout, TablePlane::XY);
    f.state.loaded().fields.lineCount = 0;
    ASSERT_TRUE(AppendRows(f.state, loader.Poll().values));
    f.state.loaded().handOver = loader.handOver();
    ASSERT_EQ(f.state.loaded().fields.lineCount, 40);

    f.session.start();
    Append(f.state.loaded().fields.dataPath, tableRows(40, 45) + "# a comment\r\n");
    f.session.check();
    f.state.loaded().fields.plane = TablePlane::YZ;  // another plane shown reads nothing again
    Append(f.state.loaded().fields.dataPath, tableRows(45, 47) + "47,x,1,1\r\n");
    EXPECT_TRUE(f.session.check().stopped);
    ASSERT_EQ(f.state.loaded().fields.lineCount, 47);
    for (int r = 0; r < 47; ++r) {
        EXPECT_EQ(f.state.loaded().rows->time(r), r);
        EXPECT_EQ(f.state.loaded().rows->track(1, r)[0], r + 0.5);
        EXPECT_EQ(f.state.loaded().rows->track(1, r)[1], -r) << "row " << r;
    }
    ASSERT_EQ(f.host.messages.size(), 1u);
    EXPECT_EQ(
        f.host.messages[0],
        "Line 50, column 2: 'x' is not a number: following stopped. The 47 rows before it stay loaded.");
}

TEST(FollowSession, RowsAppendedToATableInSpaceBringTheirDepths) {
    // Row r of "t,x,y,z": time r at (r + 0.5, -r, 2r); z is kept beside x and y,
    // and the rows appended are shown on y-z as the first were.
    const auto tableRows = [](int from, int to) {
        std::string text;
        for (int r = from; r < to; ++r) text += Format("%d,%g,%d,%d\n", r, r + 0.5, -r, 2 * r);
        return text;
    };
    Following f(1);
    const std::string path = f.dir.write("space.csv", "t,x,y,z\n" + tableRows(0, 20));
    ASSERT_EQ(LoadTable(f.state, f.plot, f.host, path, TablePlane::YZ), 1);
    ASSERT_TRUE(f.state.loaded().depth);
    const int32_t room = f.state.loaded().rows->rowCount();
    f.session.start();
    Append(path, tableRows(20, 400));  // more than the table has room for: it grows
    EXPECT_TRUE(f.session.check().dataChanged);
    ASSERT_EQ(f.state.loaded().fields.lineCount, 400);
    ASSERT_GT(f.state.loaded().rows->rowCount(), room);
    ASSERT_GE(f.state.loaded().depth->rowCount(), 400);
    for (int r = 0; r < 400; ++r) {
        ASSERT_EQ(f.state.loaded().rows->track(1, r)[0], r + 0.5) << r;
        ASSERT_EQ(f.state.loaded().depth->at(1, r), 2 * r) << r;
        ASSERT_EQ(f.state.shownRows()->track(1, r)[0], -r) << r;
        ASSERT_EQ(f.state.shownRows()->track(1, r)[1], 2 * r) << r;
    }
}

TEST(FollowSession, RowsAppendedToATableWithVelocitiesBringThem) {
    // Row r of "t,x,y,vx,vy": time r at (r, 1) moving (1, r / 4).
    const auto tableRows = [](int from, int to) {
        std::string text;
        for (int r = from; r < to; ++r) text += Format("%d,%d,1,1,%g\n", r, r, r / 4.0);
        return text;
    };
    Following f(1);
    const std::string path = f.dir.write("moving.csv", "t,x,y,vx,vy\n" + tableRows(0, 20));
    ASSERT_EQ(LoadTable(f.state, f.plot, f.host, path, TablePlane::XY), 1);
    ASSERT_TRUE(f.state.loaded().velocity);
    f.session.start();
    Append(path, tableRows(20, 400));  // more than the table has room for: it grows
    EXPECT_TRUE(f.session.check().dataChanged);
    ASSERT_EQ(f.state.loaded().fields.lineCount, 400);
    ASSERT_GE(f.state.loaded().velocity->rowCount(), 400);
    for (int r = 0; r < 400; ++r) {
        ASSERT_EQ(f.state.loaded().velocity->at(1, r).x, 1) << r;
        ASSERT_EQ(f.state.loaded().velocity->at(1, r).y, r / 4.0) << r;
    }
}

TEST(FollowSession, APlaybackWaitingAtTheEndGoesOnWhenRowsArrive) {
    for (const bool loop : {false, true}) {
        SCOPED_TRACE(loop ? "looping" : "not looping");
        Following f(40);  // 10 points of trail ahead: the playback ends at row 29
        f.session.start();
        f.state.view.loopPlayback = loop ? 1 : 0;
        f.state.playback.position = LastPlayableRow(f.state);
        ASSERT_FALSE(PlaybackGoesOn(f.state));
        f.state.playback.stopRequested = 1;  // as the tick that stopped at the end left it
        f.session.playbackEnded();
        EXPECT_EQ(f.session.waiting(), !loop);
        EXPECT_EQ(std::count(f.host.notes.begin(), f.host.notes.end(), "Waiting for data"), loop ? 0 : 1);

        Append(f.data, "40 40.1 -40");  // no complete row yet: the playback still cannot go on
        EXPECT_FALSE(f.session.check().repaint);
        EXPECT_EQ(f.session.waiting(), !loop);
        EXPECT_EQ(f.state.playback.startRequested, 0);

        Append(f.data, ".1\n");
        const FollowResult result = f.session.check();
        EXPECT_EQ(f.state.loaded().fields.lineCount, 41);
        EXPECT_FALSE(f.session.waiting());
        // Only a playback that waited starts again.
        EXPECT_EQ(result.repaint, !loop);
        EXPECT_EQ(f.state.playback.startRequested, loop ? 0 : 1);
        EXPECT_EQ(f.state.playback.stopRequested, loop ? 1 : 0);
        if (!loop) {
            EXPECT_EQ(f.host.notes.back(), "");  // the waiting note goes
        }
        EXPECT_TRUE(f.host.messages.empty());
    }
}

TEST(FollowSession, ATableStartedAgainIsReadFromItsNewRowsOnly) {
    // Run `run`'s row r: time r at (r + run / 4, -r).
    const auto row = [](int run, int r) { return Format("%d,%g,%d\n", r, r + run / 4.0, -r); };
    const auto rows = [&](int run, int from, int to) {
        std::string text;
        for (int r = from; r < to; ++r) text += row(run, r);
        return text;
    };
    // The moments of the second run in which the session looks at the file,
    // one after another; the last leaves 50 rows.
    struct Moment {
        std::string text;  ///< the file, written over the one before
        int rows;          ///< rows in the table afterwards
    };
    const std::string header = "t,x,y\n";
    const Moment empty{"", 0}, headerOnly{header, 0}, cutHeader{"t,x", 0}, cutRow{header + "0,0.2", 0},
        firstRow{header + row(1, 0) + "1,1.", 1}, all{header + rows(1, 0, 50), 50};
    const std::vector<Moment> cases[] = {
        {empty, headerOnly, cutRow, firstRow, all},
        {cutHeader, headerOnly, all},
        {headerOnly, all},
        {firstRow, all},
        {all},
    };
    for (const std::vector<Moment>& moments : cases) {
        SCOPED_TRACE("first look at \"" + moments[0].text.substr(0, 12) + "\"");
        Following f(1);
        const std::string path = f.dir.write("run.csv", header + rows(0, 0, 100));
        ASSERT_EQ(LoadFile(f.state, f.plot, f.host, path), 1);
        ASSERT_EQ(f.state.loaded().fields.lineCount, 100);
        f.state.view.trailLength = 10;  // the trail that a playback keeps ahead
        f.session.start();
        // The writer starts again: it empties the file and writes the new run.
        std::filesystem::resize_file(path, 0);
        for (const Moment& m : moments) {
            std::ofstream(path, std::ios::trunc) << m.text;
            const FollowResult result = f.session.check();
            EXPECT_EQ(f.state.loaded().fields.lineCount, m.rows) << m.text;
            EXPECT_FALSE(result.stopped);
            EXPECT_EQ(f.session.followedPath(), path);
            // A start asked for meanwhile waits for the rows.
            if (m.rows == 0) {
                EXPECT_TRUE(f.session.waitToStart());
            }
        }
        EXPECT_FALSE(f.session.waiting());
        Append(path, rows(1, 50, 53));
        f.session.check();
        ASSERT_EQ(f.state.loaded().fields.lineCount, 53);
        for (int r = 0; r < 53; ++r) {
            EXPECT_EQ(f.state.loaded().rows->time(r), r);
            EXPECT_EQ(f.state.loaded().rows->track(1, r)[0], r + 0.25) << "row " << r;
        }
        EXPECT_TRUE(f.host.messages.empty()) << f.host.messages[0];
        EXPECT_EQ(f.ReadAgainNotes(), 1);
    }
}

TEST(FollowSession, ARunOpenedBeforeItsFirstRowShowsTheRowsAsTheyCome) {
    const std::string header = "t,x,y\n";
    // What the file holds when it is opened, what comes next, and the rows then.
    const struct {
        std::string opened, next;
        int rows;
    } cases[] = {
        {"", header, 0},
        {"", header + "0,1,0\n1,0,1\n", 2},
        {"t,x", header + "0,1,0\n", 1},
        {header, header + "0,1,0\n1,0,1\n2,-1,0", 2},  // its last row ends with the next
        {header, "0 1 0\n1 0 1\n", 2},                 // another layout than the header-to-be said
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("opened as \"" + c.opened + "\", then \"" + c.next + "\"");
        Following f(1);
        const std::string path = f.dir.write("run.csv", c.opened);
        f.state.view.followData = 1;
        ASSERT_EQ(LoadFile(f.state, f.plot, f.host, path), 1);
        EXPECT_TRUE(f.host.messages.empty()) << f.host.messages[0];
        EXPECT_EQ(f.state.loaded().fields.lineCount, 0);
        f.session.start();
        EXPECT_EQ(f.session.followedPath(), path);
        std::ofstream(path, std::ios::trunc) << c.next;
        const FollowResult result = f.session.check();
        EXPECT_FALSE(result.stopped);
        EXPECT_EQ(f.state.loaded().fields.lineCount, c.rows);
        EXPECT_EQ(result.dataChanged, c.rows > 0);
        const bool cut = c.next.back() != '\n';
        const bool blanks = c.next.find(',') == std::string::npos && c.rows > 0;
        Append(path, c.rows == 0 ? "0,1,0\n" : blanks ? "7 3 3\n" : "\n7,3,3\n");
        f.session.check();
        ASSERT_EQ(f.state.loaded().fields.lineCount, c.rows + (cut ? 2 : 1));
        EXPECT_EQ(f.state.loaded().rows->track(1, f.state.loaded().fields.lineCount - 1)[0],
                  c.rows > 0 ? 3 : 1);
        EXPECT_TRUE(f.host.messages.empty()) << f.host.messages[0];
    }
}

}  // namespace
