// The playback and navigation commands of the main window: the Playback
// menu and bar, and the View menu's aspect, trail and box commands. They
// come after the classic commands in every menu, which stay as they were.

#include <QActionGroup>
#include <QMenuBar>
#include <QStyle>

#include "animation/animation_commands.h"
#include "animation/playback_commands.h"
#include "animation/settings.h"
#include "animation/view_navigation.h"
#include "app/command_ids.h"
#include "app/follow_watcher.h"
#include "app/main_frame.h"
#include "app/playback_bar.h"
#include "app/settings_dialogs.h"
#include "app/simulation_view.h"
#include "plot/plot_box.h"
#include "simulation/simulation_state.h"

void CMainFrame::addToggle(int id, const QString& text, const QString& prompt,
                           std::function<void(bool)> handler) {
    auto* toggle = new QAction(text, this);
    toggle->setCheckable(true);
    toggle->setStatusTip(prompt);
    toggle->setData(id);
    connect(toggle, &QAction::toggled, this, [this, handler](bool on) {
        handler(on);
        view_->invalidate();
    });
    actions_.insert(id, toggle);
}

void CMainFrame::stopAndMove(const std::function<void()>& move) {
    view_->stopTimer();
    move();
    view_->invalidate();
    if (playbackBar_) playbackBar_->refresh();
}

void CMainFrame::createPlaybackActions() {
    auto moving = [this](auto move) {
        return [this, move] {
            stopAndMove(move);
            return false;
        };
    };
    addCommand(ID_PLAY_PAUSE, tr("Play/Pause"), tr("Play at once, or pause after the current frame"), [this] {
        OnPlayPause();
        return false;
    });
    addCommand(ID_STEP_FORWARD, tr("Step Forward"), tr("Stop and move one step forward"),
               moving([this] { StepRows(state_, 1); }));
    addCommand(ID_STEP_BACK, tr("Step Back"), tr("Stop and move one step back"),
               moving([this] { StepRows(state_, -1); }));
    addCommand(ID_GO_TO_START, tr("Go to Start"), tr("Stop and go to the start row"),
               moving([this] { GoToStartRow(state_); }));
    addCommand(ID_GO_TO_END, tr("Go to End"), tr("Stop and go to the last row the playback reaches"),
               moving([this] { GoToLastRow(state_); }));
    addCommand(ID_DOUBLE_SPEED, tr("Twice as Fast"), tr("Double the playback speed"), [this] {
        DoubleSpeed(state_);
        view_->applyDelay();
        return false;
    });
    addCommand(ID_HALVE_SPEED, tr("Half as Fast"), tr("Halve the playback speed"), [this] {
        HalveSpeed(state_);
        view_->applyDelay();
        return false;
    });
    addCommand(ID_GO_TO_TIME, tr("Go to Time..."), tr("Go to the first row at or after a time"), [this] {
        OnGoToTime();
        return false;
    });
    addCommand(ID_FIT_TO_DATA, tr("Fit to Data"), tr("Show every loaded position"),
               [this] { return FitToData(state_, plot_); });
    addCommand(ID_CONFIGURED_BOX, tr("Configured Box"), tr("Show the box of the configuration"), [this] {
        RestoreConfiguredBox(state_, plot_);
        return true;
    });
    addToggle(ID_LOOP, tr("Loop"), tr("Start again at the end of the data"),
              [this](bool on) { state_.loopPlayback = on ? 1 : 0; });
    addToggle(ID_EQUAL_ASPECT, tr("Equal Aspect"), tr("One world unit spans as many pixels across as up"),
              [this](bool on) { plot_.equalAspect = on ? 1 : 0; });
    addToggle(ID_FADE_TRAILS, tr("Fade Trails"), tr("Older trail points fade toward the background"),
              [this](bool on) { state_.fadeTrails = on ? 1 : 0; });
    follow_ = new FollowWatcher(state_, host_, *view_, this);
    addToggle(ID_FOLLOW_DATA, tr("Follow Data File"),
              tr("Add rows as another program appends them to the data file"),
              [this](bool on) { follow_->setEnabled(on); });
    connect(follow_, &FollowWatcher::dataChanged, this, [this] { playbackBar_->refresh(); });
    connect(follow_, &FollowWatcher::stopped, this, [this] { action(ID_FOLLOW_DATA)->setChecked(false); });
    auto* trails = new QActionGroup(this);
    const std::pair<int, TrailMode> modes[] = {{ID_TRAIL_AHEAD, TrailMode::Ahead},
                                               {ID_TRAIL_BEHIND, TrailMode::Behind},
                                               {ID_TRAIL_BOTH, TrailMode::Both}};
    const QString names[] = {tr("Trail Ahead"), tr("Trail Behind"), tr("Trail Both Ways")};
    const QString prompts[] = {tr("Trails show where the bodies are going"),
                               tr("Trails show where the bodies have been"),
                               tr("Trails show where the bodies have been and are going")};
    for (std::size_t i = 0; i < 3; ++i) {
        const TrailMode mode = modes[i].second;
        addToggle(modes[i].first, names[i], prompts[i], [this, mode](bool on) {
            if (on) state_.trailMode = mode;
        });
        trails->addAction(action(modes[i].first));
    }
    action(ID_TRAIL_AHEAD)->setChecked(true);

    const struct {
        int id;
        QKeySequence keys;
    } shortcuts[] = {
        {ID_PLAY_PAUSE, Qt::Key_Space},
        {ID_STEP_FORWARD, Qt::Key_Right},
        {ID_STEP_BACK, Qt::Key_Left},
        {ID_GO_TO_START, Qt::Key_Home},
        {ID_GO_TO_END, Qt::Key_End},
        {ID_DOUBLE_SPEED, Qt::Key_BracketRight},
        {ID_HALVE_SPEED, Qt::Key_BracketLeft},
        {ID_GO_TO_TIME, QKeySequence(Qt::CTRL | Qt::Key_G)},
        {ID_LOOP, Qt::Key_L},
        {ID_FIT_TO_DATA, Qt::Key_F},
        {ID_CONFIGURED_BOX, QKeySequence(Qt::CTRL | Qt::Key_0)},
    };
    for (const auto& shortcut : shortcuts) action(shortcut.id)->setShortcut(shortcut.keys);

    const QStyle* look = style();
    action(ID_PLAY_PAUSE)->setIcon(look->standardIcon(QStyle::SP_MediaPlay));
    action(ID_STEP_FORWARD)->setIcon(look->standardIcon(QStyle::SP_MediaSkipForward));
    action(ID_STEP_BACK)->setIcon(look->standardIcon(QStyle::SP_MediaSkipBackward));
    action(ID_LOOP)->setIcon(look->standardIcon(QStyle::SP_BrowserReload));
}

void CMainFrame::createPlaybackBar() {
    playbackBar_ = new PlaybackBar(state_, this);
    for (int id : {ID_PLAY_PAUSE, ID_STEP_BACK, ID_STEP_FORWARD, ID_LOOP}) {
        playbackBar_->addAction(action(id));
        action(id)->setToolTip(action(id)->statusTip());
    }
    playbackBar_->addWidget(playbackBar_->slider());
    playbackBar_->addWidget(playbackBar_->readout());
    playbackBar_->addSeparator();
    playbackBar_->addWidget(playbackBar_->speed());
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, playbackBar_);
    connect(playbackBar_, &PlaybackBar::seekRequested, this,
            [this](int row) { stopAndMove([this, row] { SeekToRow(state_, row); }); });
    QAction* show = playbackBar_->toggleViewAction();
    show->setText(tr("&Playback Bar"));
    show->setStatusTip(tr("Show or hide the playback bar"));
    show->setData(int(ID_VIEW_PLAYBACK_BAR));
    actions_.insert(ID_VIEW_PLAYBACK_BAR, show);
}

void CMainFrame::createPlaybackMenus() {
    QMenu* view = menuBar()->actions().at(2)->menu();
    view->addAction(action(ID_VIEW_PLAYBACK_BAR));
    view->addSeparator();
    for (int id : {ID_EQUAL_ASPECT, ID_FIT_TO_DATA, ID_CONFIGURED_BOX}) view->addAction(action(id));
    view->addSeparator();
    view->addAction(action(ID_FOLLOW_DATA));
    view->addSeparator();
    for (int id : {ID_TRAIL_AHEAD, ID_TRAIL_BEHIND, ID_TRAIL_BOTH, ID_FADE_TRAILS})
        view->addAction(action(id));

    auto* playback = new QMenu(tr("&Playback"), this);
    playback->addAction(action(ID_PLAY_PAUSE));
    playback->addSeparator();
    for (int id : {ID_STEP_FORWARD, ID_STEP_BACK, ID_GO_TO_START, ID_GO_TO_END, ID_GO_TO_TIME})
        playback->addAction(action(id));
    playback->addSeparator();
    for (int id : {ID_DOUBLE_SPEED, ID_HALVE_SPEED, ID_LOOP}) playback->addAction(action(id));
    menuBar()->insertMenu(menuBar()->actions().at(3), playback);
}

void CMainFrame::OnPlayPause() {
    if (view_->timerRunning()) {
        PauseAfterTick(state_);
        return;
    }
    if (PlayNow(state_, host_)) view_->invalidate();
}

void CMainFrame::OnGoToTime() {
    double time = state_.usableRows() > 0 && state_.position >= 0 && state_.position < state_.usableRows()
                      ? state_.rows->time(state_.position)
                      : 0.0;
    if (!RunGoToTimeDialog(time, host_, this)) return;
    stopAndMove([this, time] { GoToTime(state_, time); });
}

void CMainFrame::placeBox(const std::array<double, 4>& box) {
    ApplyTypedBox(state_, plot_, box);
    view_->invalidate();
}

void CMainFrame::goToRow(int row) {
    stopAndMove([this, row] { SeekToRow(state_, row); });
}
