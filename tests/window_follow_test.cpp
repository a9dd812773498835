// Following a data file from the window while another program writes it.

#include <QImage>
#include <QPointer>
#include <filesystem>
#include <fstream>

#include "app/command_ids.h"
#include "app/follow_watcher.h"
#include "app/simulation_view.h"
#include "window_fixture.h"

namespace {

/// Following a data file that grows while the window plays it.
struct FollowFixture : FrameFixture {
    std::string data;
    /// Writes `rows` rows of one body and a configuration that counts `count`.
    void LoadFollowed(int rows, int count, int trail = 10) {
        data = dir.write("grow.dat", DataText(rows, 1));
        frame->runCommand(ID_FOLLOW_DATA);
        dialog.choices.push_back(dir.write("grow.ovx", ConfigText("grow.dat", count, 1, 1, trail)));
        frame->runCommand(ID_NEW_SIMULATION);
        view()->repaint();
    }
    void AppendRows(int from, int to) {
        std::string text;
        for (int r = from; r < to; ++r)
            text += std::to_string(r) + " " + std::to_string(r + 0.1) + " " + std::to_string(-r - 0.1) + "\n";
        std::ofstream(data, std::ios::app) << text;
    }
};

TEST_F(FollowFixture, ShortFileLoadsWithoutQuestionAndThePlaybackWaitsThenGoesOn) {
    LoadFollowed(60, 1000);
    EXPECT_TRUE(host.messages.empty());  // no short-file question while following
    EXPECT_EQ(state.loaded().fields.lineCount, 60);
    Key(Qt::Key_Space);
    TicksWhileRunning(1000);
    EXPECT_FALSE(view()->timerRunning());
    EXPECT_TRUE(frame->dataFollow()->waiting());
    EXPECT_EQ(host.notes.back(), "Waiting for data");
    const int waitedAt = state.playback.position;

    AppendRows(60, 90);
    frame->dataFollow()->check();
    view()->repaint();
    EXPECT_EQ(state.loaded().fields.lineCount, 90);
    EXPECT_TRUE(view()->timerRunning());  // goes on by itself
    EXPECT_GT(TicksWhileRunning(1000), 10);
    EXPECT_GT(state.playback.position, waitedAt);
    EXPECT_EQ(state.loaded().rows->time(89), 89);
}

TEST_F(FollowFixture, AStartBeforeARowOrATrailIsThereWaitsForRows) {
    for (const int rows : {0, 5}) {
        for (const int start : {int(ID_PLAY_PAUSE), int(ID_START_ANIMATION)}) {
            SCOPED_TRACE(testing::Message() << rows << " rows, command " << start);
            if (frame->dataFollow()->enabled()) frame->runCommand(ID_FOLLOW_DATA);
            LoadFollowed(rows, 1000);
            frame->runCommand(start);
            view()->repaint();
            EXPECT_TRUE(host.messages.empty()) << host.messages.front();
            EXPECT_FALSE(view()->timerRunning());
            EXPECT_TRUE(frame->dataFollow()->waiting());
            ASSERT_FALSE(host.notes.empty());
            EXPECT_EQ(host.notes.back(), "Waiting for data");

            AppendRows(rows, 40);
            frame->dataFollow()->check();
            view()->repaint();
            EXPECT_FALSE(frame->dataFollow()->waiting());
            EXPECT_TRUE(view()->timerRunning());
            EXPECT_GT(TicksWhileRunning(1000), 10);
        }
    }
}

TEST_F(FollowFixture, APausedViewDrawsTheRowsAsTheyArrive) {
    // Nothing yet, then the first row's body; one row, then its trail.
    for (const int rows : {0, 1}) {
        if (frame->dataFollow()->enabled()) frame->runCommand(ID_FOLLOW_DATA);
        LoadFollowed(rows, 1000);
        const QImage before = view()->frame()->copy();
        AppendRows(rows, rows + 10);
        frame->dataFollow()->check();
        view()->repaint();
        EXPECT_NE(view()->frame()->copy(), before) << rows;
        view()->invalidate();
        const QImage drawn = view()->frame()->copy();
        view()->repaint();
        EXPECT_EQ(view()->frame()->copy(), drawn) << rows;  // what a full paint draws
    }
}

TEST_F(FollowFixture, TextThatIsNotANumberStopsFollowingAndKeepsTheRows) {
    LoadFollowed(40, 40);
    AppendRows(40, 45);
    std::ofstream(data, std::ios::app) << "45 forty-five 0\n46 1 2\n";
    frame->dataFollow()->check();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("Row 45 "), std::string::npos) << host.messages[0];
    EXPECT_EQ(state.loaded().fields.lineCount, 45);
    EXPECT_FALSE(frame->action(ID_FOLLOW_DATA)->isChecked());
    EXPECT_FALSE(frame->dataFollow()->enabled());
}

TEST_F(FollowFixture, ARestartedFileIsReadAgainAndOffAndOnPicksUpWhatCameMeanwhile) {
    LoadFollowed(80, 80);
    std::filesystem::resize_file(data, 0);
    AppendRows(0, 30);  // the writer started again
    frame->dataFollow()->check();
    EXPECT_EQ(state.loaded().fields.lineCount, 30);
    EXPECT_NE(host.notes.back().find("started again"), std::string::npos);

    frame->runCommand(ID_FOLLOW_DATA);  // off: appended rows wait
    AppendRows(30, 50);
    frame->dataFollow()->check();
    EXPECT_EQ(state.loaded().fields.lineCount, 30);
    frame->runCommand(ID_FOLLOW_DATA);  // on again
    EXPECT_EQ(state.loaded().fields.lineCount, 50);
}

TEST_F(FollowFixture, ALoadWhileFollowingIsFollowedAndNothingOutlivesTheWindow) {
    LoadFollowed(50, 50);
    dir.write("other.dat", DataText(20, 1));
    dialog.choices.push_back(dir.write("other.ovx", ConfigText("other.dat", 500, 1)));
    frame->runCommand(ID_NEW_SIMULATION);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.loaded().fields.lineCount, 20);
    std::ofstream(dir.path() + "/other.dat", std::ios::app) << "20 1 1\n21 2 2\n";
    frame->dataFollow()->check();
    EXPECT_EQ(state.loaded().fields.lineCount, 22);
    QPointer<FollowWatcher> follow = frame->dataFollow();
    frame.reset();
    EXPECT_TRUE(follow.isNull());
}

}  // namespace
