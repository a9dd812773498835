#pragma once
#include <QLabel>
#include <QMainWindow>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "animation/simulation_state.h"
#include "animation/view_request.h"
#include "app/command_actions.h"
#include "commands/file_commands.h"

struct SimulationState;
class PlotBox;
class Host;
class FileDialog;
class ExternalEditor;
class SimulationView;
class PlaybackBar;
class PlaybackControls;
class ExportCommands;
class StyleCommands;
class FrameCommands;
class SeriesCommands;
class TableCommands;
class RunCommands;
class FollowWatcher;
class SettingsCommands;
class RememberedSettings;
class QMenu;
class QToolBar;
class QDragEnterEvent;
class QDropEvent;

/// The main window: menu bar, toolbar, status bar and the view, with the
/// classic commands. The playback controls and the export commands are
/// parts of their own that file their actions with the window's. Every
/// program command is one action, shared by menu and toolbar, found by its
/// id; its status tip is the command's prompt. A configuration file dropped
/// on the window is loaded as New Simulation loads a picked one.
class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame(SimulationState& state, PlotBox& plot, Host& host, FileDialog& dialog, ExternalEditor& editor,
               QWidget* parent = nullptr);

    /// Runs the command with this id; false when there is none.
    bool runCommand(int id) { return commands_.run(id); }
    QAction* action(int id) const { return commands_.action(id); }
    SimulationView* view() const { return view_; }
    QToolBar* toolBar() const { return toolBar_; }
    PlaybackBar* playbackBar() const;
    FollowWatcher* dataFollow() const;
    QLabel* readyLabel() const { return ready_; }

    /// Loads a configuration given on the command line, as New Simulation
    /// does after the file was picked.
    void openAtStart(const std::string& path);
    /// Applies a command line's view choices before the first load, as the
    /// renderer does, with the menus checked to match. The remembered
    /// choices (useSettings) come first, as if given before the command
    /// line's own options, which win.
    void applyViewChoices(const ViewRequest& request);
    /// Remembers in `store` from now on: the window takes its remembered
    /// size and place at once, and keeps them when it closes.
    void useSettings(std::unique_ptr<RememberedSettings> store);
    /// The store in use; null when nothing is remembered (--no-settings).
    RememberedSettings* settings() const;
    SettingsCommands* settingsCommands() const { return settings_; }
    /// Applies a command line's options that need the data loaded, as the
    /// renderer does; what cannot be had, empty when all were applied.
    std::string applyToLoaded(const ViewRequest& request);
    /// Adds the runs `paths` to the document shown, compared on its view
    /// and clock (AddRuns); false when one cannot be read, which was said.
    bool addRuns(const std::vector<std::string>& paths, const std::vector<std::string>& names);
    /// Stops the playback and moves to `row`, as a seek does.
    void goToRow(int row);
    const SimulationState& state() const { return state_; }
    /// Shows the loaded data in the frame `text` names (as --frame reads
    /// it); why it cannot be, empty when it is shown.
    std::string showFrame(const std::string& text);
    QLabel* pointerLabel() const { return pointer_; }
    /// View > Time Series and the panel it shows.
    SeriesCommands* seriesCommands() const { return series_; }

    /// File > Save Configuration As without its dialogs (see TableCommands).
    std::string saveConfiguration(const QString& path, bool classicData);
    /// File > Export Picture without its dialog (see ExportCommands).
    std::string exportPicture(const QString& path, int scale, bool panelOnly = false);
    /// File > Export Interactive Page without its dialog (see ExportCommands).
    std::string exportPage(const QString& path);
    /// File > Export Video without its dialogs (see ExportCommands).
    std::string exportVideo(const QString& path, std::optional<int> ticks, double fps);

protected:
    void closeEvent(QCloseEvent* event) override;
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
    void repaintIf(bool repaint);
    void updateIndicators();

    void OnStartAnimation();
    void OnAnimationSettings();
    void OnSystemPosition();
    void OnGraphicBox();
    void OnAbout();

    SimulationState& state_;
    PlotBox& plot_;
    Host& host_;
    FileCommandContext files_;
    CommandActions commands_;
    SimulationView* view_ = nullptr;
    PlaybackControls* playback_ = nullptr;
    ExportCommands* exports_ = nullptr;
    TableCommands* tables_ = nullptr;
    RunCommands* runs_ = nullptr;
    StyleCommands* styles_ = nullptr;
    FrameCommands* frames_ = nullptr;
    SeriesCommands* series_ = nullptr;
    SettingsCommands* settings_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* editMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* playbackMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* ready_ = nullptr;
    QLabel* pointer_ = nullptr;  ///< where the pointer is in the plot
    QLabel* indicators_[3] = {};
};
