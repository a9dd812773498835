#pragma once
#include <QObject>
#include <QString>
#include <functional>

struct SimulationState;
class PlotBox;
class Host;
class SimulationView;
class PlaybackBar;
class FollowWatcher;
class CommandActions;
class QMainWindow;
class QMenu;

/// The playback and navigation commands beyond the classic ones: play/pause,
/// play backwards, steps and jumps, go to time, speed, loop, equal aspect, fit to data and
/// the configured box, fading and trail modes, following the data file, and
/// the playback bar with its slider. Its actions are filed in the window's
/// commands, so that they run by id like every other command.
class PlaybackControls : public QObject {
    Q_OBJECT
public:
    /// Makes the actions into `commands`, parented to `window` as its own are.
    PlaybackControls(SimulationState& state, PlotBox& plot, Host& host, SimulationView& view,
                     CommandActions& commands, QMainWindow& window);

    /// Makes the playback bar and places it on a row of its own below the
    /// window's toolbar.
    void addBar();
    /// Adds the controls after the classic items of the View menu, and fills
    /// the Playback menu.
    void addToMenus(QMenu& view, QMenu& playback);

    PlaybackBar* bar() const { return bar_; }
    FollowWatcher* follow() const { return follow_; }
    /// Stops the playback and moves to `row`, as a seek does.
    void goToRow(int row);
    /// After any command: it may have loaded other data, which following
    /// takes up at once.
    void afterCommand();

private:
    void createActions();
    void createPlaybackCommands();
    void createViewCommands();
    void createTrailModes();
    void bindKeysAndIcons();
    void createFollow();
    void addToggle(int id, const QString& text, const QString& prompt, std::function<void(bool)> handler);
    /// Stops the timer at once, then runs `move` and repaints fully: what a
    /// seek, a step or a jump does.
    void stopAndMove(const std::function<void()>& move);
    void OnPlayPause();
    void OnSetSpeed();
    void OnGoToTime();

    SimulationState& state_;
    PlotBox& plot_;
    Host& host_;
    SimulationView& view_;
    CommandActions& commands_;
    QMainWindow& window_;
    PlaybackBar* bar_ = nullptr;
    FollowWatcher* follow_ = nullptr;
};
