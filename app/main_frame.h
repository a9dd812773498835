#pragma once
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <functional>

#include "commands/file_commands.h"

struct SimulationState;
class PlotBox;
class Host;
class FileDialog;
class ExternalEditor;
class SimulationView;
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
    QLabel* readyLabel() const { return ready_; }

    /// Loads a configuration given on the command line, as New Simulation
    /// does after the file was picked.
    void openAtStart(const std::string& path);

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
    QAction* addCommand(int id, const QString& text, const QString& prompt, std::function<bool()> handler);
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
    SimulationView* view_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* ready_ = nullptr;
    QLabel* indicators_[3] = {};
    QMap<int, QAction*> actions_;
};
