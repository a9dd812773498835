#pragma once
#include <gtest/gtest.h>

#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "animation/simulation_state.h"
#include "app/main_frame.h"
#include "commands/external_editor.h"
#include "commands/file_dialog.h"
#include "plot/plot_box.h"
#include "test_support.h"

class QDialog;
class SimulationView;

/// Lets failure messages show Qt strings as text.
std::ostream& operator<<(std::ostream& out, const QString& text);

/// File dialog for tests: records every prompt and picks the queued paths
/// in order (cancels when none is queued).
class ScriptedFileDialog : public FileDialog {
public:
    /// Records the title, the first filter's description and the path.
    bool PromptForFile(const std::string& title, const std::vector<FileFilter>& filters,
                       std::string& path) override;
    std::deque<std::string> choices;
    std::vector<std::string> prompts;
};

/// Editor for tests: records the paths it was asked to open.
class RecordingEditor : public ExternalEditor {
public:
    bool Open(const std::string& path) override {
        opened.push_back(path);
        return starts;
    }
    std::vector<std::string> opened;
    bool starts = true;
};

/// A shown main window with the start-up defaults and nothing loaded, its
/// services scripted, and helpers to load, play and answer dialogs.
struct FrameFixture : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    ScriptedFileDialog dialog;
    RecordingEditor editor;
    TempDir dir;
    std::unique_ptr<CMainFrame> frame;

    void SetUp() override;
    SimulationView* view() { return frame->view(); }

    /// Loads `rows` rows of one body with a trail of `trail` through File > New Simulation.
    void Load(int rows, int trail, int step = 1);
    /// Starts the animation as View > Animation does, and paints.
    void Start();
    /// Presses `key` on the view, as the user does, and paints.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    /// Calls `act` on the modal dialog as soon as one is open, looking every
    /// 10 ms. Fails the test when none opens within five seconds or before
    /// the window closes at the end of the test.
    void OnNextDialog(std::function<void(QDialog&)> act);
    /// Closes the next modal dialog with Cancel as soon as it is open.
    void CancelNextDialog();
    /// Types `text` into the field named `name` of the next dialog and
    /// presses OK, then cancels it if it is still open.
    void TypeAndConfirm(const QString& name, const QString& text);
    /// Runs ticks as the timer would, while it runs; returns how many ran.
    int TicksWhileRunning(int most);
};
