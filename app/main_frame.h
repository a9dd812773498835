#pragma once
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "commands/file_commands.h"

struct SimulationState;
class PlotBox;
class Host;
class FileDialog;
class ExternalEditor;
class SimulationView;
class PlaybackBar;
class FollowWatcher;
class QToolBar;
class QDragEnterEvent;
class QDropEvent;

/// The main window: menu bar, toolbar, status bar and the view. Every
/// program command is one action, shared by menu and toolbar, found by its
/// id; its status tip is the command's prompt. A configuration file dropped
/// on the window is loaded as New Simulation loads a picked one.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(SimulationState& state, PlotBox& plot, Host& host, FileDialog& dialog, ExternalEditor& editor,
               QWidget* parent = nullptr);

    /// Runs the command with this id; false when there is none.
    bool runCommand(int id);
    QAction* action(int id) const { return actions_.value(id); }
    SimulationView* view() const { return view_; }
    QToolBar* toolBar() const { return toolBar_; }
    PlaybackBar* playbackBar() const { return playbackBar_; }
    FollowWatcher* dataFollow() const { return follow_; }
    QLabel* readyLabel() const { return ready_; }

    /// Loads a configuration given on the command line, as New Simulation
    /// does after the file was picked.
    void openAtStart(const std::string& path);
    /// Shows `box` (xmin, ymin, xmax, ymax) as the Graphic Box dialog would.
    void placeBox(const std::array<double, 4>& box);
    /// Stops the playback and moves to `row`, as a seek does.
    void goToRow(int row);
    const SimulationState& state() const { return state_; }

    /// Writes what the view shows to `path`: PNG, SVG or PDF by its
    /// extension, a PNG at `scale` times the size (1: the view's raster
    /// itself). Returns an error text, empty on success.
    std::string exportPicture(const QString& path, int scale);
    /// Records a video of the playback from the current row into `path`,
    /// with a progress dialog that can cancel; the view's row and timer are
    /// as they were afterwards. Returns an error text, empty on success.
    std::string exportVideo(const QString& path, std::optional<int> ticks, double fps);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    /// Accepts a drag of one local .ovx file, as a copy; refuses any other.
    void dragEnterEvent(QDragEnterEvent* event) override;
    /// Loads the dropped configuration once the drop has returned.
    void dropEvent(QDropEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    void createStatusBar();
    // Playback and navigation beyond the classic commands (main_frame_playback.cpp).
    void createPlaybackActions();
    void createPlaybackBar();
    void createPlaybackMenus();
    // Picture and video export (main_frame_export.cpp).
    void createExportActions();
    void createExportMenus();
    void OnExportPicture();
    void OnExportVideo();
    void addToggle(int id, const QString& text, const QString& prompt, std::function<void(bool)> handler);
    /// Stops the timer at once, then runs `move` and repaints fully: what a
    /// seek, a step or a jump does.
    void stopAndMove(const std::function<void()>& move);
    QAction* addCommand(int id, const QString& text, const QString& prompt, std::function<bool()> handler);
    void repaintIf(bool repaint);
    void updateIndicators();

    void OnStartAnimation();
    void OnAnimationSettings();
    void OnSystemPosition();
    void OnGraphicBox();
    void OnAbout();
    void OnPlayPause();
    void OnGoToTime();

    SimulationState& state_;
    PlotBox& plot_;
    Host& host_;
    FileCommandContext files_;
    SimulationView* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    PlaybackBar* playbackBar_ = nullptr;
    FollowWatcher* follow_ = nullptr;
    QLabel* ready_ = nullptr;
    QLabel* indicators_[3] = {};
    QMap<int, QAction*> actions_;
};
