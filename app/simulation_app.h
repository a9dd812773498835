#pragma once
#include <QApplication>
#include <functional>
#include <memory>
#include <string>

#include "animation/simulation_state.h"
#include "app/qt_external_editor.h"
#include "app/qt_file_dialog.h"
#include "app/qt_host.h"
#include "plot/plot_box.h"

class CMainFrame;

/// The application: owns the simulation state, the plot and the main
/// window, and starts the program with nothing loaded.
class SimulationApp : public QApplication {
public:
    SimulationApp(int& argc, char** argv);
    ~SimulationApp() override;

    /// Creates the main window with the start-up defaults and shows it;
    /// runs `beforeLoad` (options from the command line, which apply the
    /// remembered choices first), then loads `config` when one is given.
    /// With `remember` the window takes and keeps its settings in the
    /// desktop's store (RememberedSettings); without, it starts with the
    /// defaults and writes nothing.
    bool InitInstance(const std::string& config, const std::function<void(CMainFrame&)>& beforeLoad = {},
                      bool remember = true);
    CMainFrame* mainFrame() const { return frame_.get(); }
    /// The simulation the window shows, for settings given on the command line.
    SimulationState& state() { return state_; }

private:
    void ReportFirstFrame();

    SimulationState state_;
    PlotBox plot_;
    QtHost host_;
    QtFileDialog dialog_;
    QtExternalEditor editor_;
    std::unique_ptr<CMainFrame> frame_;
};
