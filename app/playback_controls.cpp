#include "app/playback_controls.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QStyle>

#include "animation/animation_commands.h"
#include "animation/playback_commands.h"
#include "animation/settings.h"
#include "animation/simulation_state.h"
#include "animation/view_navigation.h"
#include "app/command_actions.h"
#include "app/command_ids.h"
#include "app/follow_watcher.h"
#include "app/playback_bar.h"
#include "app/settings_dialogs.h"
#include "app/simulation_view.h"
#include "plot/plot_box.h"
#include "simulation/host.h"

PlaybackControls::PlaybackControls(SimulationState& state, PlotBox& plot, Host& host, SimulationView& view,
                                   CommandActions& commands, QMainWindow& window)
    : QObject(&window),
      state_(state),
      plot_(plot),
      host_(host),
      view_(view),
      commands_(commands),
      window_(window) {
    createActions();
}

void PlaybackControls::addToggle(int id, const QString& text, const QString& prompt,
                                 std::function<void(bool)> handler) {
    auto* toggle = new QAction(text, &window_);
    toggle->setCheckable(true);
    toggle->setStatusTip(prompt);
    connect(toggle, &QAction::toggled, this, [this, handler](bool on) {
        handler(on);
        view_.invalidate();
    });
    commands_.add(id, toggle);
}

void PlaybackControls::stopAndMove(const std::function<void()>& move) {
    view_.stopTimer();
    move();
    view_.invalidate();
    if (bar_) {
        bar_->clearEnded();
        bar_->refresh();
    }
}

void PlaybackControls::createActions() {
    createPlaybackCommands();
    createViewCommands();
    createFollow();
    createTrailModes();
    bindKeysAndIcons();
}

void PlaybackControls::createPlaybackCommands() {
    auto moving = [this](auto move) {
        return [this, move] {
            stopAndMove(move);
            return false;
        };
    };
    commands_.addCommand(ID_PLAY_PAUSE, tr("Play/Pause"),
                         tr("Play at once, or pause after the current frame"), [this] {
                             OnPlayPause();
                             return false;
                         });
    commands_.addCommand(ID_PLAY_BACKWARDS, tr("Play Backwards"), tr("Play back toward the first row"),
                         [this] {
                             if (PlayBackwards(state_, host_)) view_.invalidate();
                             return false;
                         });
    commands_.addCommand(ID_STEP_FORWARD, tr("Step Forward"), tr("Stop and move one step forward"),
                         moving([this] { StepRows(state_, 1); }));
    commands_.addCommand(ID_STEP_BACK, tr("Step Back"), tr("Stop and move one step back"),
                         moving([this] { StepRows(state_, -1); }));
    commands_.addCommand(ID_GO_TO_START, tr("Go to Start"), tr("Stop and go to the start row"),
                         moving([this] { GoToStartRow(state_); }));
    commands_.addCommand(ID_GO_TO_END, tr("Go to End"),
                         tr("Stop and go to the last row the playback reaches"),
                         moving([this] { GoToLastRow(state_); }));
    commands_.addCommand(ID_DOUBLE_SPEED, tr("Twice as Fast"), tr("Double the playback speed"), [this] {
        DoubleSpeed(state_);
        view_.applyDelay();
        return false;
    });
    commands_.addCommand(ID_HALVE_SPEED, tr("Half as Fast"), tr("Halve the playback speed"), [this] {
        HalveSpeed(state_);
        view_.applyDelay();
        return false;
    });
    commands_.addCommand(ID_SET_SPEED, tr("Set Speed..."),
                         tr("Type the speed in simulation time or rows per second"), [this] {
                             OnSetSpeed();
                             return false;
                         });
    commands_.addCommand(ID_GO_TO_TIME, tr("Go to Time..."), tr("Go to the first row at or after a time"),
                         [this] {
                             OnGoToTime();
                             return false;
                         });
}

void PlaybackControls::createViewCommands() {
    commands_.addCommand(ID_FIT_TO_DATA, tr("Fit to Data"), tr("Show every loaded position"),
                         [this] { return FitToData(state_, plot_); });
    commands_.addCommand(ID_CONFIGURED_BOX, tr("Configured Box"), tr("Show the box of the configuration"),
                         [this] {
                             RestoreConfiguredBox(state_, plot_);
                             return true;
                         });
    addToggle(ID_LOOP, tr("Loop"), tr("Start again at the end of the data"),
              [this](bool on) { state_.view.loopPlayback = on ? 1 : 0; });
    addToggle(ID_EQUAL_ASPECT, tr("Equal Aspect"), tr("One world unit spans as many pixels across as up"),
              [this](bool on) { plot_.equalAspect = on ? 1 : 0; });
    addToggle(ID_FADE_TRAILS, tr("Fade Trails"), tr("Older trail points fade toward the background"),
              [this](bool on) { state_.view.fadeTrails = on ? 1 : 0; });
}

void PlaybackControls::createTrailModes() {
    auto* trails = new QActionGroup(&window_);
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
            if (on) state_.view.trailMode = mode;
        });
        trails->addAction(commands_.action(modes[i].first));
    }
    commands_.action(ID_TRAIL_AHEAD)->setChecked(true);
    // Only the user's own choice in the menu is kept over the next loads;
    // checking an item to show a load's choice is no trigger.
    for (const auto& choice : modes)
        connect(commands_.action(choice.first), &QAction::triggered, this,
                [this] { state_.view.chosen.trailMode = true; });
    connect(commands_.action(ID_EQUAL_ASPECT), &QAction::triggered, this,
            [this] { state_.view.chosen.equalAspect = true; });
}

void PlaybackControls::bindKeysAndIcons() {
    const struct {
        int id;
        QKeySequence keys;
    } shortcuts[] = {
        {ID_PLAY_PAUSE, Qt::Key_Space},
        {ID_PLAY_BACKWARDS, QKeySequence(Qt::SHIFT | Qt::Key_Space)},
        {ID_STEP_FORWARD, Qt::Key_Right},
        {ID_STEP_BACK, Qt::Key_Left},
        {ID_GO_TO_START, Qt::Key_Home},
        {ID_GO_TO_END, Qt::Key_End},
        {ID_DOUBLE_SPEED, Qt::Key_BracketRight},
        {ID_HALVE_SPEED, Qt::Key_BracketLeft},
        {ID_SET_SPEED, Qt::Key_S},
        {ID_GO_TO_TIME, QKeySequence(Qt::CTRL | Qt::Key_G)},
        {ID_LOOP, Qt::Key_L},
        {ID_FIT_TO_DATA, Qt::Key_F},
        {ID_CONFIGURED_BOX, QKeySequence(Qt::CTRL | Qt::Key_0)},
    };
    for (const auto& shortcut : shortcuts) commands_.action(shortcut.id)->setShortcut(shortcut.keys);

    const QStyle* look = window_.style();
    commands_.action(ID_PLAY_PAUSE)->setIcon(look->standardIcon(QStyle::SP_MediaPlay));
    commands_.action(ID_STEP_FORWARD)->setIcon(QIcon(QStringLiteral(":/icons/icons/step-forward.svg")));
    commands_.action(ID_STEP_BACK)->setIcon(QIcon(QStringLiteral(":/icons/icons/step-back.svg")));
    commands_.action(ID_LOOP)->setIcon(QIcon(QStringLiteral(":/icons/icons/loop.svg")));
    commands_.action(ID_PLAY_BACKWARDS)->setIcon(QIcon(QStringLiteral(":/icons/icons/play-backwards.svg")));
}

// Following the data file: the follower, its toggle, and what it tells.

void PlaybackControls::createFollow() {
    follow_ = new FollowWatcher(state_, plot_, host_, view_, this);
    addToggle(ID_FOLLOW_DATA, tr("Follow Data File"),
              tr("Add rows as another program appends them to the data file"),
              [this](bool on) { follow_->setEnabled(on); });
    connect(follow_, &FollowWatcher::dataChanged, this, [this] {
        bar_->refresh();
        // A paused view shows the new rows at once: the bodies of the first
        // ones, the trail that grows ahead.
        if (!view_.timerRunning()) view_.invalidate();
    });
    connect(follow_, &FollowWatcher::stopped, this,
            [this] { commands_.action(ID_FOLLOW_DATA)->setChecked(false); });
}

void PlaybackControls::afterCommand() {
    if (follow_->enabled()) follow_->check();
    // A load may have shown its document in another trail mode.
    const int trails[] = {ID_TRAIL_AHEAD, ID_TRAIL_BEHIND, ID_TRAIL_BOTH};
    commands_.action(trails[static_cast<int>(state_.view.trailMode)])->setChecked(true);
    if (bar_) bar_->refresh();
}

void PlaybackControls::addBar() {
    bar_ = new PlaybackBar(state_, &window_);
    for (int id : {ID_PLAY_BACKWARDS, ID_PLAY_PAUSE, ID_STEP_BACK, ID_STEP_FORWARD, ID_LOOP}) {
        QAction* command = commands_.action(id);
        bar_->addAction(command);
        command->setToolTip(command->statusTip());
    }
    bar_->showPlaying(commands_.action(ID_PLAY_PAUSE), [this] { return view_.timerRunning(); });
    bar_->addWidget(bar_->slider());
    bar_->addWidget(bar_->readout());
    bar_->addSeparator();
    bar_->addWidget(bar_->speed());
    window_.addToolBarBreak(Qt::TopToolBarArea);
    window_.addToolBar(Qt::TopToolBarArea, bar_);
    // The bar names the row the view shows: it follows each tick, in the same paint.
    connect(&view_, &SimulationView::tickDrawn, bar_, &PlaybackBar::refresh);
    connect(&view_, &SimulationView::timerStarted, bar_, &PlaybackBar::refresh);
    connect(&view_, &SimulationView::playbackEnded, bar_, &PlaybackBar::showEnded);
    connect(bar_, &PlaybackBar::seekRequested, this, [this](int row) { goToRow(row); });
    connect(bar_, &PlaybackBar::speedClicked, commands_.action(ID_SET_SPEED), &QAction::trigger);
    QAction* show = bar_->toggleViewAction();
    show->setText(tr("&Playback Bar"));
    show->setStatusTip(tr("Show or hide the playback bar"));
    commands_.add(ID_VIEW_PLAYBACK_BAR, show);
}

void PlaybackControls::addToMenus(QMenu& view, QMenu& playback) {
    view.addAction(commands_.action(ID_VIEW_PLAYBACK_BAR));
    view.addSeparator();
    for (int id : {ID_EQUAL_ASPECT, ID_FIT_TO_DATA, ID_CONFIGURED_BOX}) view.addAction(commands_.action(id));
    view.addSeparator();
    view.addAction(commands_.action(ID_FOLLOW_DATA));
    view.addSeparator();
    for (int id : {ID_TRAIL_AHEAD, ID_TRAIL_BEHIND, ID_TRAIL_BOTH, ID_FADE_TRAILS})
        view.addAction(commands_.action(id));

    playback.addAction(commands_.action(ID_PLAY_PAUSE));
    playback.addAction(commands_.action(ID_PLAY_BACKWARDS));
    playback.addSeparator();
    for (int id : {ID_STEP_FORWARD, ID_STEP_BACK, ID_GO_TO_START, ID_GO_TO_END, ID_GO_TO_TIME})
        playback.addAction(commands_.action(id));
    playback.addSeparator();
    for (int id : {ID_DOUBLE_SPEED, ID_HALVE_SPEED, ID_SET_SPEED, ID_LOOP})
        playback.addAction(commands_.action(id));
}

void PlaybackControls::OnPlayPause() {
    if (view_.timerRunning()) {
        PauseAfterTick(state_);
        return;
    }
    if (follow_->waitToStart()) return;
    if (PlayNow(state_, host_)) view_.invalidate();
}

void PlaybackControls::OnSetSpeed() {
    if (!RunSetSpeedDialog(state_, host_, &window_)) return;
    view_.applyDelay();
    if (bar_) bar_->refresh();
}

void PlaybackControls::OnGoToTime() {
    double time = state_.loaded().usableRows() > 0 && state_.playback.position >= 0 &&
                          state_.playback.position < state_.loaded().usableRows()
                      ? state_.loaded().rows->time(state_.playback.position)
                      : 0.0;
    if (!RunGoToTimeDialog(time, host_, &window_)) return;
    stopAndMove([this, time] { GoToTime(state_, time); });
    const std::string note = GoToTimeNote(state_, time);
    if (!note.empty()) host_.note(note);
}

void PlaybackControls::goToRow(int row) {
    stopAndMove([this, row] { SeekToRow(state_, row); });
}
