#include "app/simulation_app.h"

#include <clocale>
#include <cstdio>
#include <ctime>

#include "animation/startup_defaults.h"
#include "app/about_dialog.h"
#include "app/main_frame.h"
#include "app/remembered_settings.h"
#include "app/simulation_view.h"
#include "app/version.h"

SimulationApp::SimulationApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Numbers in files never depend on the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    setApplicationName(QStringLiteral("Orbivex"));
    setApplicationVersion(QString::fromLatin1(kVersion));
    setWindowIcon(ApplicationIcon());
    // Names the desktop entry, so that a desktop finds the entry's icon and
    // name for the window.
    setDesktopFileName(QStringLiteral("org.orbivex.Orbivex"));
}

SimulationApp::~SimulationApp() = default;

void SimulationApp::ReportFirstFrame() {
    // For the start-up benchmark: print the monotonic clock at the first
    // painted frame, then leave.
    QObject::connect(frame_->view(), &SimulationView::framePresented, this, [] {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        std::printf("first-frame %lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
        std::fflush(stdout);
        QCoreApplication::exit(0);
    });
}

bool SimulationApp::InitInstance(const std::string& config,
                                 const std::function<void(CMainFrame&)>& beforeLoad, bool remember) {
    frame_ = std::make_unique<CMainFrame>(state_, plot_, host_, dialog_, editor_);
    host_.setParent(frame_.get());
    dialog_.setParent(frame_.get());
    editor_.setParent(frame_.get());
    if (remember) {
        frame_->useSettings(std::make_unique<RememberedSettings>());
        dialog_.rememberIn(frame_->settings());
    }
    InitialiseDefaults(state_, plot_);
    frame_->show();
    if (beforeLoad) beforeLoad(*frame_);
    if (!config.empty()) frame_->openAtStart(config);
    if (qEnvironmentVariableIsSet("ORBIVEX_FIRST_FRAME_PROBE")) ReportFirstFrame();
    return true;
}
