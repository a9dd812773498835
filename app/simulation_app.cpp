#include "app/simulation_app.h"

#include <clocale>

#include "app/about_dialog.h"
#include "app/main_frame.h"

SimulationApp::SimulationApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Numbers in files never depend on the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    setApplicationName(QStringLiteral("Orbivex"));
    setApplicationVersion(QStringLiteral("1.0"));
    setWindowIcon(ApplicationIcon());
}

SimulationApp::~SimulationApp() = default;

bool SimulationApp::InitInstance(const std::string& config) {
    frame_ = std::make_unique<CMainFrame>(state_, plot_, host_, dialog_, editor_);
    host_.setParent(frame_.get());
    dialog_.setParent(frame_.get());
    editor_.setParent(frame_.get());
    InitialiseDefaults(state_, plot_);
    frame_->show();
    if (!config.empty()) frame_->openAtStart(config);
    return true;
}
