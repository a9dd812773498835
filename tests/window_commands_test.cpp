// The main window's own parts: its menus, toolbar and status bar, the
// classic commands and what they do to the playback, and its icon.

#include <QApplication>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "animation/simulation_loading.h"
#include "animation/startup_defaults.h"
#include "app/about_dialog.h"
#include "app/command_ids.h"
#include "app/configuration_export.h"
#include "app/simulation_view.h"
#include "commands/examples_folder.h"
#include "commands/file_filters.h"
#include "window_fixture.h"

namespace {

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* a : actions) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

TEST_F(FrameFixture, MenusInOrder) {
    const QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(Texts(menus), (QStringList{"&File", "&Edit", "&View", "&Playback", "&Help"}));
    EXPECT_EQ(Texts(menus[0]->menu()->actions()),
              (QStringList{"New Simulation", "Open Data...", "Add Run...", "Load configuration",
                           "Reload data", "Open &Recent", "Save Configuration As...", "-",
                           "Export Picture...", "Export Panel Picture...", "Export Video...",
                           "Export Interactive Page...", "-", "E&xit"}));
    EXPECT_EQ(Texts(menus[1]->menu()->actions()),
              (QStringList{"Settings", "-", "Configuration File", "Data File", "-", "Bodies…"}));
    // The classic View items come first; the newer ones follow them.
    EXPECT_EQ(Texts(menus[2]->menu()->actions()).mid(0, 10),
              (QStringList{"Animation", "Stop Animation", "-", "System position", "Graphic box",
                           "Refresh screen", "On/off full window", "-", "&Toolbar", "&Status Bar"}));
    EXPECT_EQ(Texts(menus[4]->menu()->actions()),
              (QStringList{"&Examples...", "&About Orbivex...", "-", "Reset Settings..."}));
    EXPECT_EQ(frame->windowTitle(), "Orbivex");
}

TEST_F(FrameFixture, ToolbarButtonsPromptsAndShortcuts) {
    QStringList ids;
    for (QAction* a : frame->toolBar()->actions())
        ids << (a->isSeparator() ? "-" : QString::number(a->data().toInt()));
    EXPECT_EQ(ids, (QStringList{"32771", "32786", "-", "32772", "32773", "-", "32788", "32790"}));
    EXPECT_EQ(frame->action(ID_RELOAD_SIMULATION)->statusTip(), "Reload Simulation");
    EXPECT_EQ(frame->action(ID_START_BUTTON)->statusTip(), "Start animation - press twice");
    EXPECT_EQ(frame->action(ID_NEW_SIMULATION)->statusTip(), "Load configuration and data of a simulation ");
    EXPECT_EQ(frame->action(ID_DECREASE_SPEED)->statusTip(), "Decrease Animation Speed");
    EXPECT_EQ(frame->action(ID_SYSTEM_POSITION)->statusTip().trimmed(), "");
    for (QAction* button : frame->toolBar()->actions())
        EXPECT_TRUE(button->isSeparator() || button->toolTip() == button->statusTip())
            << button->text().toStdString();
    EXPECT_EQ(frame->readyLabel()->text(), "Ready");
    EXPECT_TRUE(frame->toolBar()->isMovable());
    EXPECT_EQ(frame->action(ID_NEW_SIMULATION)->shortcut(), QKeySequence(QKeySequence::Open));
    EXPECT_EQ(frame->action(ID_RELOAD_SIMULATION)->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_TRUE(frame->action(ID_START_ANIMATION)->shortcut().isEmpty());
    frame->runCommand(ID_VIEW_TOOLBAR);
    EXPECT_FALSE(frame->toolBar()->isVisible());
    EXPECT_FALSE(frame->action(ID_VIEW_TOOLBAR)->isChecked());
    frame->runCommand(ID_VIEW_STATUS_BAR);
    EXPECT_FALSE(frame->statusBar()->isVisible());
}

TEST_F(FrameFixture, EveryCommandReachesItsHandler) {
    Load(1000, 10);
    state.playback.stopRequested = 0;
    const int refusing[] = {ID_STOP_BUTTON, ID_STOP_ANIMATION,     ID_RELOAD_SIMULATION, ID_RESET_POSITION,
                            ID_EDIT_DATA,   ID_LOAD_CONFIGURATION, ID_RELOAD_DATA};
    for (int id : refusing) {
        state.playback.stopRequested = 0;
        EXPECT_TRUE(frame->runCommand(id));
        EXPECT_EQ(state.playback.stopRequested, 1) << id;
    }
    EXPECT_EQ(dialog.prompts.back().substr(0, 15), "Open data file|");
    EXPECT_EQ(dialog.prompts[dialog.prompts.size() - 2].substr(0, 17), "Open config file|");
    frame->runCommand(ID_EDIT_CONFIGURATION);
    EXPECT_EQ(editor.opened.size(), 2u);
    for (int id : {ID_ANIMATION_SETTINGS, ID_SYSTEM_POSITION, ID_GRAPHIC_BOX}) {
        state.playback.stopRequested = 0;
        CancelNextDialog();
        frame->runCommand(id);
        EXPECT_EQ(state.playback.stopRequested, 1) << id;
    }
    state.playback.step = 5;
    frame->runCommand(ID_INCREASE_SPEED);
    EXPECT_EQ(state.playback.step, 6);
    frame->runCommand(ID_DECREASE_SPEED);
    EXPECT_EQ(state.playback.step, 5);
    frame->runCommand(ID_TOGGLE_FULL_WINDOW);
    EXPECT_EQ(plot.leftPct, 10);
    frame->runCommand(ID_START_BUTTON);
    EXPECT_EQ(state.playback.startRequested, 1);
    frame->runCommand(ID_REFRESH_SCREEN);
    CancelNextDialog();
    frame->runCommand(ID_APP_ABOUT);
    EXPECT_FALSE(frame->runCommand(12345));
}

TEST_F(FrameFixture, StartWithNothingLoaded) {
    Start();
    EXPECT_EQ(host.messages, std::vector<std::string>{"End of Simulation - use Refresh"});
    EXPECT_FALSE(view()->timerRunning());
}

TEST_F(FrameFixture, FirstStartAfterLoadRunsOneFrameSecondRunsOn) {
    Load(100, 10);
    EXPECT_EQ(state.playback.stopRequested, 1);
    Start();
    EXPECT_TRUE(view()->timerRunning());
    EXPECT_EQ(view()->timerInterval(), 20);
    EXPECT_EQ(TicksWhileRunning(1000), 1);
    EXPECT_EQ(state.playback.position, 1);
    Start();
    EXPECT_EQ(TicksWhileRunning(1000), 88);  // rows 2 to 89; the tick reaching 89 stops
    EXPECT_EQ(state.playback.position, 89);
    Start();
    EXPECT_EQ(host.messages.back(), "End of Simulation - use Refresh");
}

TEST_F(FrameFixture, StopAndResetWhileRunning) {
    Load(100, 10, 3);
    state.playback.stopRequested = 0;
    Start();
    view()->deliverTick();
    view()->deliverTick();
    frame->runCommand(ID_STOP_ANIMATION);
    EXPECT_TRUE(view()->timerRunning());
    view()->deliverTick();
    EXPECT_FALSE(view()->timerRunning());
    EXPECT_EQ(state.playback.position, 9);

    Start();
    view()->deliverTick();
    frame->runCommand(ID_RESET_POSITION);
    view()->repaint();
    EXPECT_EQ(TicksWhileRunning(10), 1);
    EXPECT_EQ(state.playback.position, 3);
}

TEST_F(FrameFixture, TimerPeriodHasAFloorOfOneMillisecond) {
    Load(100, 10);
    state.playback.delayMs = -5;
    state.playback.stopRequested = 0;
    Start();
    EXPECT_EQ(view()->timerInterval(), 1);
}

TEST_F(FrameFixture, RepaintRemovesTheStatusLineUntilTheNextTick) {
    frame->runCommand(ID_TOGGLE_FULL_WINDOW);
    Load(100, 10);
    state.playback.stopRequested = 0;
    Start();
    auto blackInStatusArea = [&] {
        const QImage* image = view()->frame();
        int black = 0;
        for (int y = 5; y < 18; ++y)
            for (int x = 10; x < 90; ++x) black += image->pixel(x, y) == 0xFF000000u;
        return black;
    };
    EXPECT_EQ(blackInStatusArea(), 0);
    view()->deliverTick();
    view()->repaint();
    EXPECT_GT(blackInStatusArea(), 0);
    view()->invalidate();
    view()->repaint();
    EXPECT_EQ(blackInStatusArea(), 0);
    view()->deliverTick();
    EXPECT_GT(blackInStatusArea(), 0);
}

TEST_F(FrameFixture, LoadErrorsReachTheUserAndNothingHalfLoadedIsDrawn) {
    dialog.choices.push_back(dir.path() + "/none.ovx");
    frame->runCommand(ID_NEW_SIMULATION);
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(state.loaded().dataLoaded, 0);
    Start();
    EXPECT_FALSE(view()->timerRunning());
    dialog.choices.clear();
    EXPECT_TRUE(frame->runCommand(ID_NEW_SIMULATION));  // cancelled: nothing read, no message
    EXPECT_EQ(host.messages.size(), 3u);
}

TEST_F(FrameFixture, NewSimulationOpensATableAndKeepsTheSimulationWhenAFileIsUnreadable) {
    const std::string table = dir.write("moon.csv", "t,moon_x,moon_y\n0,1,0\n1,0,1\n2,-1,0\n3,0,-1\n");
    dialog.choices.push_back(table);
    frame->runCommand(ID_NEW_SIMULATION);
    // A folder of tables does not look empty: the dialog starts on all kinds.
    EXPECT_EQ(dialog.prompts.back(), "NEW SIMULATION|everything orbivex opens|defovx.ovx");
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.loaded().kind, SourceKind::PlainTable);
    EXPECT_EQ(state.loaded().fields.bodyNames, std::vector<std::string>{"moon"});
    for (const std::string& unreadable :
         {dir.write("bad.csv", "t,x,y\n0,1,0\n1,x,0\n"), dir.path() + "/gone.ovx"}) {
        host.messages.clear();
        dialog.choices.push_back(unreadable);
        frame->runCommand(ID_NEW_SIMULATION);
        EXPECT_FALSE(host.messages.empty()) << unreadable;
        EXPECT_EQ(state.loaded().configPath, table) << unreadable;
        EXPECT_EQ(state.loaded().dataLoaded, 1) << unreadable;
    }
}

/// A host whose message boxes let the timer tick meanwhile, as a modal
/// message loop does.
class TickingHost : public ScriptedHost {
public:
    Answer messageBox(const std::string& text, Buttons buttons, Icon icon) override {
        if (view) view->deliverTick();
        return ScriptedHost::messageBox(text, buttons, icon);
    }
    SimulationView* view = nullptr;
};

TEST_F(FrameFixture, StyleChoosesTheLookWithOneItemChecked) {
    EXPECT_EQ(state.view.style, ViewStyle::Classic);
    EXPECT_TRUE(frame->action(ID_STYLE_CLASSIC)->isChecked());
    for (const auto& [id, style] : {std::pair{ID_STYLE_PUBLICATION, ViewStyle::Publication},
                                    std::pair{ID_STYLE_CLASSIC, ViewStyle::Classic},
                                    std::pair{ID_STYLE_PUBLICATION, ViewStyle::Publication}}) {
        frame->runCommand(id);
        EXPECT_EQ(state.view.style, style);
        EXPECT_TRUE(frame->action(id)->isChecked());
        EXPECT_NE(frame->action(ID_STYLE_CLASSIC)->isChecked(),
                  frame->action(ID_STYLE_PUBLICATION)->isChecked());
    }
}

TEST_F(FrameFixture, OpenDataChoosesAPlaneAndSavesAConfigurationThatLoadsTheSame) {
    std::string table = "time;a.x;a.y;a.z;b.x;b.y;b.z\r\n";
    for (int r = 0; r < 30; ++r)
        table += std::to_string(r) + ";" + std::to_string(r) + ";" + std::to_string(-r) + ";" +
                 std::to_string(2 * r) + ";1;2;3\r\n";
    const std::string path = dir.write("xyz.csv", table);
    dialog.choices.push_back(path);
    frame->runCommand(ID_OPEN_DATA);
    ASSERT_TRUE(host.messages.empty()) << host.messages[0];
    EXPECT_EQ(dialog.prompts.back(), "Open Data|everything orbivex opens|");
    EXPECT_EQ(state.loaded().fields.bodyCount, 2);
    EXPECT_TRUE(frame->action(ID_PLANE_XZ)->isEnabled());
    EXPECT_TRUE(frame->action(ID_PLANE_XY)->isChecked());
    state.playback.position = 12;
    frame->runCommand(ID_PLANE_XZ);
    EXPECT_EQ(state.loaded().fields.plane, TablePlane::XZ);
    EXPECT_TRUE(frame->action(ID_PLANE_XZ)->isChecked());
    EXPECT_FALSE(frame->action(ID_PLANE_XY)->isChecked());  // one plane checked at a time
    EXPECT_EQ(state.playback.position, 12);                 // the row shown stays
    EXPECT_EQ(state.shownRows()->value(12, 2), 24.0);       // z is shown up
    EXPECT_EQ(state.loaded().rows->value(12, 2), -12.0);    // and the data stays as read
    // Asked about a classic data file, the window says which coordinate it leaves out.
    EXPECT_EQ(ClassicDataPlaneNote(state),
              "A classic data file holds two coordinates a body: it gets x and z, the plane shown, and "
              "leaves y out.");

    // Written as a classic pair, the configuration loads the same rows and
    // view, with the trail and the pace the user chose since.
    state.view.trailLength = 7, state.playback.step = 3, state.playback.delayMs = 40;
    EXPECT_EQ(frame->saveConfiguration(QString::fromStdString(dir.path() + "/copy.ovx"), true), "");
    SimulationState copy;
    PlotBox copyPlot;
    ScriptedHost copyHost;
    ASSERT_EQ(LoadSimulation(copy, copyPlot, copyHost, dir.path() + "/copy.ovx"), 1);
    EXPECT_EQ(copy.loaded().fields.dataFormat, DataFormat::Stream);
    EXPECT_EQ(copy.loaded().fields.lineCount, 30);
    EXPECT_EQ(copy.loaded().fields.box, state.loaded().fields.box);
    EXPECT_EQ(copy.view.trailLength, 7);
    EXPECT_EQ(copy.playback.step, 3);
    EXPECT_EQ(copy.playback.delayMs, 40);
    EXPECT_EQ(copyPlot.equalAspect, 1);
    for (int c = 0; c < 5; ++c) EXPECT_EQ(copy.loaded().rows->value(29, c), state.shownRows()->value(29, c));
    // A classic data file that would replace the table it comes from is refused.
    dialog.choices.push_back(dir.write("own.dat", "# t x y\n0 1 0\n1 0 1\n"));
    frame->runCommand(ID_OPEN_DATA);
    const std::string refused =
        frame->saveConfiguration(QString::fromStdString(dir.path() + "/own.ovx"), true);
    EXPECT_NE(refused.find("would replace the table"), std::string::npos) << refused;
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/own.ovx"));
    EXPECT_FALSE(frame->action(ID_PLANE_XZ)->isEnabled());
    EXPECT_EQ(ClassicDataPlaneNote(state), "");
    // Nor is a configuration written over the table, which may be named ".ovx".
    const std::string named = "t,x,y\n0,1,0\n1,0,1\n";
    dialog.choices.push_back(dir.write("table.ovx", named));
    frame->runCommand(ID_OPEN_DATA);
    ASSERT_EQ(state.loaded().dataLoaded, 1);
    for (const bool classic : {false, true}) {
        const std::string over =
            frame->saveConfiguration(QString::fromStdString(dir.path() + "/table.ovx"), classic);
        EXPECT_NE(over.find("would replace the data file"), std::string::npos) << over;
        std::ifstream kept(dir.path() + "/table.ovx", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), named);
        EXPECT_FALSE(std::filesystem::exists(dir.path() + "/table.dat"));
    }
}

TEST_F(FrameFixture, HelpExamplesOffersTheExamplesFolderAndOpensThePick) {
    // Run from the build tree, nothing is installed beside the test: the
    // source tree's examples are offered.
    const std::string examples = ORBIVEX_EXAMPLES;
    frame->runCommand(ID_HELP_EXAMPLES);
    EXPECT_EQ(dialog.prompts.back(), "Examples|examples|" + examples);
    EXPECT_EQ(state.loaded().dataLoaded, 0);
    // The pick opens by its content: a configuration with its data, a table alone.
    const struct {
        const char* name;
        int bodies;
        DataFormat format;
    } picks[] = {{"kepler-ellipse.ovx", 1, DataFormat::Stream}, {"two-ellipses.txt", 2, DataFormat::Table}};
    for (const auto& pick : picks) {
        dialog.choices.push_back(examples + "/" + pick.name);
        frame->runCommand(ID_HELP_EXAMPLES);
        ASSERT_TRUE(host.messages.empty()) << host.messages[0];
        EXPECT_EQ(state.loaded().dataLoaded, 1) << pick.name;
        EXPECT_EQ(state.loaded().fields.bodyCount, pick.bodies) << pick.name;
        EXPECT_EQ(state.loaded().fields.dataFormat, pick.format) << pick.name;
        EXPECT_EQ(state.loaded().configPath, examples + "/" + pick.name);
    }
}

TEST(ExamplesFolder, IsTheInstalledOneBesideTheProgramWhenThereIsOne) {
    TempDir prefix;
    const std::string bin = prefix.path() + "/bin";
    std::filesystem::create_directories(bin);
    EXPECT_EQ(ExamplesFolder(bin), ORBIVEX_EXAMPLES);
    std::filesystem::create_directories(prefix.path() + "/share/orbivex/examples");
    EXPECT_EQ(ExamplesFolder(bin), prefix.path() + "/share/orbivex/examples");
}

TEST(FrameTicks, ATickDuringAFailingLoadsMessageShowsTheSimulationKeptAndStops) {
    SimulationState state;
    PlotBox plot;
    TickingHost host;
    ScriptedFileDialog dialog;
    RecordingEditor editor;
    TempDir dir;
    CMainFrame frame(state, plot, host, dialog, editor);
    InitialiseDefaults(state, plot);
    frame.show();
    QApplication::processEvents();
    dir.write("a.dat", DataText(100, 1));
    dialog.choices.push_back(dir.write("a.ovx", ConfigText("a.dat", 100, 1)));
    frame.runCommand(ID_NEW_SIMULATION);
    state.playback.stopRequested = 0;
    frame.runCommand(ID_START_ANIMATION);
    frame.view()->repaint();
    frame.view()->deliverTick();
    ASSERT_TRUE(frame.view()->timerRunning());
    host.view = frame.view();
    dialog.choices.push_back(dir.write("b.ovx", ConfigText("missing.dat", 100, 1)));
    frame.runCommand(ID_NEW_SIMULATION);
    EXPECT_EQ(host.messages, std::vector<std::string>{"DATA File missing.dat is not found"});
    EXPECT_FALSE(frame.view()->timerRunning());
    // The stop that New Simulation asked for took one more step of the simulation kept.
    EXPECT_EQ(state.playback.position, 2);
    EXPECT_EQ(state.loaded().configPath, dir.path() + "/a.ovx");
    EXPECT_EQ(state.loaded().dataLoaded, 1);
}

TEST(ApplicationIcon, IsTheBuiltInSunAndPlanet) {
    // Null when the resource is not linked in or Qt's SVG support is missing.
    const QImage icon = ApplicationIcon().pixmap(64, 64).toImage();
    ASSERT_EQ(icon.size(), QSize(64, 64));
    const QColor sun = icon.pixelColor(32, 32);
    EXPECT_GT(sun.red(), 200);
    EXPECT_GT(sun.green(), 200);
    EXPECT_LT(sun.blue(), 120);
    EXPECT_EQ(icon.pixelColor(2, 2).alpha(), 0);
}

TEST(OpenedKinds, TheDesktopOffersTheProgramForEachKindWithAMediaTypeAndForNoOther) {
    std::ifstream entry(std::string(ORBIVEX_DESKTOP) + "/org.orbivex.Orbivex.desktop");
    std::string line, types;
    while (std::getline(entry, line))
        if (line.rfind("MimeType=", 0) == 0) types = line.substr(9);
    std::vector<std::string> listed;
    for (std::size_t at = 0, end; (end = types.find(';', at)) != std::string::npos; at = end + 1)
        listed.push_back(types.substr(at, end - at));
    std::vector<std::string> kinds;
    for (const OpenedKind& kind : OpenedKinds())
        if (*kind.mediaType) kinds.push_back(kind.mediaType);
    EXPECT_EQ(listed, kinds);
    // The program's own type is defined beside it, by the kind's pattern.
    std::ifstream types_file(std::string(ORBIVEX_DESKTOP) + "/org.orbivex.Orbivex.xml");
    const std::string xml{std::istreambuf_iterator<char>(types_file), {}};
    EXPECT_NE(xml.find(std::string("<mime-type type=\"") + OpenedKinds()[0].mediaType + "\">"),
              std::string::npos);
    EXPECT_NE(xml.find(std::string("<glob pattern=\"") + OpenedKinds()[0].patterns + "\"/>"),
              std::string::npos);
}

}  // namespace
