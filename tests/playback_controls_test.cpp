// The playback controls in the window: the Playback menu, the playback bar,
// the keys and the mouse, driven with real events.

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QStyle>
#include <QTest>
#include <QToolBar>
#include <QWheelEvent>
#include <array>

#include "animation/playback_commands.h"
#include "animation/playback_range.h"
#include "animation/playback_speed.h"
#include "animation/shown_row.h"
#include "animation/view_steps.h"
#include "app/command_ids.h"
#include "app/playback_bar.h"
#include "app/simulation_view.h"
#include "base/format.h"
#include "window_fixture.h"

namespace {

/// The playback bar, the keys and the mouse, driven with real events.
struct PlaybackFixture : FrameFixture {
    /// Loads two bodies in a box wide enough to hold their first 300 rows.
    void LoadWide(int rows, int trail) {
        dir.write("wide.dat", DataText(rows, 2));
        dialog.choices.push_back(
            dir.write("wide.ovx", ConfigText("wide.dat", rows, 2, 1, trail, 0, "-300 -300 300 300")));
        frame->runCommand(ID_NEW_SIMULATION);
    }
    /// A copy of the view's raster after a full repaint.
    QImage Picture() {
        view()->invalidate();
        view()->repaint();
        return view()->frame()->copy();
    }
};

TEST_F(PlaybackFixture, KeysPlayPauseStepJumpAndChangeSpeed) {
    Load(1000, 10, 3);
    ASSERT_EQ(state.playback.stopRequested, 1);  // what loading leaves
    Key(Qt::Key_Space);                          // plays at once, unlike the toolbar's Start
    EXPECT_TRUE(view()->timerRunning());
    EXPECT_GT(TicksWhileRunning(5), 4);
    Key(Qt::Key_Space);  // pauses after the current tick
    EXPECT_EQ(TicksWhileRunning(10), 1);
    const int paused = state.playback.position;

    Key(Qt::Key_Right);
    EXPECT_EQ(state.playback.position, paused + 3);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(state.playback.position, paused - 3);
    Key(Qt::Key_End);  // where a playback from the start row ends, on its steps of 3
    EXPECT_EQ(state.playback.position, 987);
    EXPECT_EQ(state.playback.position, LastReachedRow(state));
    Key(Qt::Key_Right);  // never past the last playable row
    EXPECT_EQ(state.playback.position, LastPlayableRow(state));
    Key(Qt::Key_Home);
    EXPECT_EQ(state.playback.position, 0);
    Key(Qt::Key_Left);
    EXPECT_EQ(state.playback.position, 0);
    EXPECT_FALSE(view()->timerRunning());

    const double speed = RowsPerSecond(state);
    Key(Qt::Key_BracketRight);
    EXPECT_EQ(RowsPerSecond(state), 2 * speed);
    Key(Qt::Key_BracketLeft);
    Key(Qt::Key_BracketLeft);
    EXPECT_EQ(RowsPerSecond(state), speed / 2);
    frame->playbackBar()->refresh();
    EXPECT_EQ(frame->playbackBar()->speed()->text().toStdString(), SpeedReadout(state));

    Key(Qt::Key_L);
    EXPECT_EQ(state.view.loopPlayback, 1);
    EXPECT_TRUE(frame->action(ID_LOOP)->isChecked());
}

TEST_F(PlaybackFixture, ShiftSpacePlaysBackToRowZeroAndSpacePlaysForwardAgain) {
    Load(1000, 10, 3);
    Key(Qt::Key_Space, Qt::ShiftModifier);  // at row 0: nothing to play back
    EXPECT_EQ(host.messages.back(), kStartOfSimulation);
    EXPECT_FALSE(view()->timerRunning());
    state.playback.position = 20;
    Key(Qt::Key_Space, Qt::ShiftModifier);
    ASSERT_TRUE(view()->timerRunning());
    EXPECT_EQ(TicksWhileRunning(3), 3);
    EXPECT_EQ(state.playback.position, 11);
    Key(Qt::Key_Space);  // pauses, as while playing forward
    EXPECT_EQ(TicksWhileRunning(10), 1);
    EXPECT_EQ(state.playback.position, 8);
    Key(Qt::Key_Space);  // plays forward
    EXPECT_EQ(TicksWhileRunning(2), 2);
    EXPECT_EQ(state.playback.position, 14);
    Key(Qt::Key_Space, Qt::ShiftModifier);  // turns round while playing
    EXPECT_EQ(TicksWhileRunning(100), 5);   // 11, 8, 5, 2, then 0, where it stops
    EXPECT_EQ(state.playback.position, 0);
    EXPECT_FALSE(view()->timerRunning());
    const QList<QAction*> menus = frame->menuBar()->actions();
    EXPECT_TRUE(menus[3]->menu()->actions().contains(frame->action(ID_PLAY_BACKWARDS)));
    EXPECT_TRUE(frame->playbackBar()->actions().contains(frame->action(ID_PLAY_BACKWARDS)));
}

TEST_F(PlaybackFixture, ClickingTheSpeedSetsItInTheDataTime) {
    Load(1000, 10);  // rows one time unit apart
    PlaybackBar* bar = frame->playbackBar();
    bar->refresh();
    EXPECT_EQ(bar->speed()->text(), "50 time units/s");
    TypeAndConfirm("speed", "0.5");
    QTest::mouseClick(bar->speed(), Qt::LeftButton);
    EXPECT_EQ(std::pair(state.playback.delayMs, state.playback.step), std::pair(2000, 1));
    EXPECT_EQ(bar->speed()->text(), "0.5 time units/s");
    TypeAndConfirm("speed", "400r");
    frame->runCommand(ID_SET_SPEED);
    EXPECT_EQ(std::pair(state.playback.delayMs, state.playback.step), std::pair(10, 4));
    OnNextDialog([](QDialog& d) {
        d.findChild<QLineEdit*>("speed")->setText("fast");
        d.accept();
        d.reject();
    });
    frame->runCommand(ID_SET_SPEED);
    EXPECT_EQ(host.messages.back(), kSpeedMessage);
    EXPECT_EQ(std::pair(state.playback.delayMs, state.playback.step), std::pair(10, 4));
}

TEST_F(PlaybackFixture, GoToTimeTakesTheFirstRowAtOrAfterItAndRefusesText) {
    Load(1000, 10);
    TypeAndConfirm("time", "12.5");  // rows hold the times 0, 1, 2, ...
    Key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(state.playback.position, 13);
    OnNextDialog([](QDialog& d) {
        d.findChild<QLineEdit*>("time")->setText("soon");
        d.accept();
        d.reject();
    });
    frame->runCommand(ID_GO_TO_TIME);
    EXPECT_EQ(host.messages.back(), "Please enter a number.");
    EXPECT_EQ(state.playback.position, 13);
}

TEST_F(PlaybackFixture, SliderFollowsThePlaybackAndSeeksWhenClicked) {
    LoadWide(400, 10);
    PlaybackBar* bar = frame->playbackBar();
    ASSERT_TRUE(bar->isVisible());
    Key(Qt::Key_Space);
    TicksWhileRunning(40);
    bar->refresh();
    EXPECT_EQ(bar->slider()->value(), state.playback.position);
    EXPECT_EQ(bar->slider()->maximum(), LastPlayableRow(state));
    EXPECT_EQ(bar->readout()->text().toStdString(), PlaybackReadout(state));

    const QImage before = Picture();
    QSlider* slider = bar->slider();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
    EXPECT_FALSE(view()->timerRunning());  // a seek stops the playback
    EXPECT_NEAR(state.playback.position, 0.75 * LastPlayableRow(state), 0.1 * LastPlayableRow(state));
    EXPECT_EQ(slider->value(), state.playback.position);
    EXPECT_NE(Picture(), before);

    frame->runCommand(ID_VIEW_PLAYBACK_BAR);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(PlaybackFixture, LoopGoesBackToTheStartAndPlaysOn) {
    Load(100, 10);
    frame->runCommand(ID_LOOP);
    Key(Qt::Key_Space);
    EXPECT_EQ(TicksWhileRunning(200), 200);
    EXPECT_TRUE(view()->timerRunning());
    EXPECT_LT(state.playback.position, 90);
}

TEST_F(PlaybackFixture, WheelZoomsAboutThePointerAndDragPans) {
    Load(1000, 10);
    view()->repaint();
    const QPoint at(150, 200);
    auto worldAt = [&](QPoint p) {
        return std::pair{(p.x() + plot.xOffset) / plot.xScale, (p.y() + plot.yOffset) / plot.yScale};
    };
    const QPoint inRaster = at - view()->contentsRect().topLeft();
    const auto [wx, wy] = worldAt(inRaster);
    const double width = plot.xMax - plot.xMin;
    QWheelEvent wheel(at, view()->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view(), &wheel);
    view()->repaint();
    EXPECT_NEAR(plot.xMax - plot.xMin, 0.8 * width, 1e-9 * width);
    const auto [zx, zy] = worldAt(inRaster);
    EXPECT_NEAR(zx, wx, 1.0 / plot.xScale);  // the point under the pointer stays there
    EXPECT_NEAR(zy, wy, 1.0 / -plot.yScale);

    const double xMin = plot.xMin, yMin = plot.yMin, perPixel = 1.0 / plot.xScale,
                 perRow = -1.0 / plot.yScale;
    QTest::mousePress(view(), Qt::LeftButton, {}, at);
    QTest::mouseMove(view(), at + QPoint(30, -20));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, at + QPoint(30, -20));
    // The picture follows the pointer: right and up, so the box goes left and down.
    EXPECT_NEAR(plot.xMin, xMin - 30 * perPixel, 1e-9);
    EXPECT_NEAR(plot.yMin, yMin - 20 * perRow, 1e-9);

    frame->runCommand(ID_CONFIGURED_BOX);
    EXPECT_EQ((std::array{plot.xMin, plot.yMin, plot.xMax, plot.yMax}), (std::array{-2.0, -2.0, 2.0, 2.0}));
    Key(Qt::Key_F);  // the data runs far outside the configured box
    EXPECT_GT(plot.xMax, 100);
}

TEST_F(PlaybackFixture, ZoomDuringPlaybackKeepsPlaying) {
    Load(1000, 10);
    Key(Qt::Key_Space);
    TicksWhileRunning(5);
    QWheelEvent wheel(QPointF(100, 100), view()->mapToGlobal(QPointF(100, 100)), {}, QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view(), &wheel);
    view()->repaint();
    EXPECT_TRUE(view()->timerRunning());
}

TEST_F(PlaybackFixture, NewOptionsOffLeaveThePictureAsItWas) {
    LoadWide(1000, 50);
    state.playback.position = 200;  // so that a trail behind has rows to show
    const QImage classic = Picture();
    for (int id : {ID_EQUAL_ASPECT, ID_FADE_TRAILS, ID_TRAIL_BOTH}) {
        frame->runCommand(id);
        EXPECT_NE(Picture(), classic) << id;
        frame->runCommand(id == ID_TRAIL_BOTH ? int(ID_TRAIL_AHEAD) : id);
        EXPECT_EQ(Picture(), classic) << id;
    }
}

TEST_F(PlaybackFixture, GoToTimePastTheEndSaysSoAtTheLastRow) {
    Load(1000, 10);
    TypeAndConfirm("time", "5000");
    frame->runCommand(ID_GO_TO_TIME);
    EXPECT_EQ(state.playback.position, LastPlayableRow(state));
    ASSERT_FALSE(host.notes.empty());
    EXPECT_EQ(host.notes.back(), "No row at or after t = 5000: at the last row the playback reaches");
}

/// The picture of `icon` as a toolbar shows it.
QImage Look(const QIcon& icon) { return icon.pixmap(16, 16).toImage(); }

TEST_F(PlaybackFixture, TheBarShowsNoSpeedWithoutDataAndPauseWhilePlaying) {
    PlaybackBar* bar = frame->playbackBar();
    bar->refresh();
    EXPECT_EQ(bar->speed()->text(), "");
    QAction* play = frame->action(ID_PLAY_PAUSE);
    const QImage playing = Look(frame->style()->standardIcon(QStyle::SP_MediaPause));
    const QImage paused = Look(frame->style()->standardIcon(QStyle::SP_MediaPlay));
    ASSERT_NE(playing, paused);
    EXPECT_EQ(Look(play->icon()), paused);
    Load(1000, 10);
    Key(Qt::Key_Space);
    ASSERT_TRUE(view()->timerRunning());
    bar->refresh();
    EXPECT_EQ(bar->speed()->text().toStdString(), SpeedReadout(state));
    EXPECT_EQ(Look(play->icon()), playing);
    Key(Qt::Key_Space);
    TicksWhileRunning(10);
    bar->refresh();
    EXPECT_EQ(Look(play->icon()), paused);
}

TEST_F(PlaybackFixture, LoopStepBackAndPlayBackwardsHaveIconsOfTheirOwn) {
    QList<QAction*> buttons = frame->toolBar()->actions() + frame->playbackBar()->actions();
    buttons.removeIf([](QAction* a) { return a->isSeparator() || a->icon().isNull(); });
    ASSERT_EQ(buttons.size(), 11);
    for (const int id : {ID_LOOP, ID_STEP_BACK, ID_PLAY_BACKWARDS}) {
        QAction* own = frame->action(id);
        for (QAction* other : buttons)
            if (other != own) {
                EXPECT_NE(Look(own->icon()), Look(other->icon())) << own->text() << ", " << other->text();
            }
    }
}

TEST_F(PlaybackFixture, PlaybackMenuShowsItsKeys) {
    const QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(menus[3]->text(), "&Playback");
    for (QAction* a : menus[3]->menu()->actions())
        EXPECT_TRUE(a->isSeparator() || !a->shortcut().isEmpty()) << a->text().toStdString();
    EXPECT_EQ(frame->action(ID_PLAY_PAUSE)->shortcut(), QKeySequence(Qt::Key_Space));
    EXPECT_EQ(frame->action(ID_PLAY_BACKWARDS)->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Space));
    EXPECT_EQ(frame->action(ID_SET_SPEED)->shortcut(), QKeySequence(Qt::Key_S));
}

}  // namespace

TEST_F(PlaybackFixture, TheBarNamesTheRowAndTimeOfTheViewsLineAfterEveryTick) {
    LoadWide(400, 10);
    PlaybackBar* bar = frame->playbackBar();
    Key(Qt::Key_Space);
    for (int tick = 0; tick < 25 && view()->timerRunning(); ++tick) {
        view()->deliverTick();  // no event runs between the tick and the check
        const std::optional<ShownRow> shown = RowShown(state, state.playback.position);
        ASSERT_TRUE(shown);
        EXPECT_EQ(StatusLine(state, state.playback.position),
                  Format("N=%d t=%6.3lf", shown->row, shown->time));
        const std::string text = bar->readout()->text().toStdString();
        EXPECT_NE(text.find(Format("row %d of", shown->row)), std::string::npos) << text;
        EXPECT_EQ(text.rfind(Format("t = %.3f", shown->time), 0), 0u) << text;
        EXPECT_EQ(bar->slider()->value(), shown->row);
    }
}

TEST_F(PlaybackFixture, APlaybackThatEndsSaysSoUntilItMovesOrPlaysAgain) {
    std::string table = "t,moon_x,moon_y\n";
    for (int row = 0; row < 12; ++row) table += Format("%d,%d,%d\n", row, row % 3, row % 4);
    dialog.choices.push_back(dir.write("moon.csv", table));
    frame->runCommand(ID_NEW_SIMULATION);
    view()->repaint();
    PlaybackBar* bar = frame->playbackBar();
    const QString ended = QStringLiteral("End of data: row 11, t = 11.000");
    Key(Qt::Key_Space);
    EXPECT_GT(TicksWhileRunning(100), 0);
    EXPECT_FALSE(view()->timerRunning());
    EXPECT_EQ(state.playback.position, 11);  // a table's trail is behind: the last row is reached
    EXPECT_EQ(bar->readout()->text(), ended);
    EXPECT_EQ(frame->readyLabel()->text(), ended);
    Key(Qt::Key_Space);  // "End of Simulation": nothing moves, and the note stays
    bar->refresh();
    EXPECT_EQ(bar->readout()->text(), ended);
    Key(Qt::Key_Left);
    EXPECT_EQ(bar->readout()->text().toStdString(), PlaybackReadout(state));
    EXPECT_EQ(frame->readyLabel()->text(), QStringLiteral("Ready"));
    // Played again to the end and moved to the same row: a move all the same.
    Key(Qt::Key_Space);
    TicksWhileRunning(100);
    EXPECT_EQ(bar->readout()->text(), ended);
    Key(Qt::Key_End);
    EXPECT_EQ(frame->readyLabel()->text(), QStringLiteral("Ready"));
}
