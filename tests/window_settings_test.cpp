// What the window remembers between sessions, in a settings folder of the
// test's own: the recent files, the view's choices, the window's place, and
// Reset Settings.

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSettings>
#include <cstdio>

#include "animation/startup_defaults.h"
#include "app/command_ids.h"
#include "app/qt_file_dialog.h"
#include "app/remembered_settings.h"
#include "app/settings_commands.h"
#include "window_fixture.h"

namespace {

/// A window remembering in a settings folder made for the test.
struct SettingsFixture : FrameFixture {
    TempDir settingsFolder;

    void SetUp() override {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                           QString::fromStdString(settingsFolder.path()));
        FrameFixture::SetUp();
        frame->useSettings(std::make_unique<RememberedSettings>());
    }
    /// The paths File > Open Recent lists, in order.
    QStringList Recent() {
        QStringList paths;
        for (QAction* entry : frame->settingsCommands()->recentMenu()->actions())
            if (!entry->data().toString().isEmpty() && entry->data().typeId() == QMetaType::QString)
                paths << entry->data().toString();
        return paths;
    }
    void Open(const std::string& path) {
        dialog.choices.push_back(path);
        frame->runCommand(ID_NEW_SIMULATION);
    }
    /// A second session's window: its own state, the same settings folder.
    struct Session {
        SimulationState state;
        PlotBox plot;
        std::unique_ptr<CMainFrame> frame;
    };
    std::unique_ptr<Session> NextSession(const ViewRequest& commandLine, bool remember = true) {
        auto next = std::make_unique<Session>();
        next->frame = std::make_unique<CMainFrame>(next->state, next->plot, host, dialog, editor);
        if (remember) next->frame->useSettings(std::make_unique<RememberedSettings>());
        InitialiseDefaults(next->state, next->plot);
        next->frame->applyViewChoices(commandLine);
        return next;
    }
};

TEST(RecentFiles, TheLatestComeFirstOnceEachAndTenAtMost) {
    QStringList ten;
    for (int i = 0; i < kRecentFiles; ++i) ten << QString::number(i);
    const struct {
        QStringList before;
        QString opened;
        QStringList after;
    } cases[] = {
        {{}, "a", {"a"}},
        {{"a", "b"}, "c", {"c", "a", "b"}},
        {{"a", "b", "c"}, "c", {"c", "a", "b"}},  // a repeat moves to the front
        {{"a", "b", "c"}, "a", {"a", "b", "c"}},
        {ten, "new", QStringList{"new"} + ten.mid(0, 9)},  // the oldest falls off
        {ten, "9", QStringList{"9"} + ten.mid(0, 9)},      // a repeat of the oldest drops nothing else
        {{"a", "a"}, "a", {"a"}},
    };
    for (const auto& c : cases) EXPECT_EQ(WithRecent(c.before, c.opened), c.after) << c.opened;
}

TEST(RecentFiles, AnOpenDialogStartsAFileWithoutAFolderInTheLastFolderUsed) {
    TempDir last;
    const QString folder = QString::fromStdString(last.path());
    const struct {
        QString path, lastFolder, start;
    } cases[] = {
        {"sim.ovx", folder, folder + "/sim.ovx"},
        {"runs/sim.ovx", folder, folder + "/runs/sim.ovx"},
        {"/data/sim.ovx", folder, "/data/sim.ovx"},  // a path with its folder stays
        {"sim.ovx", "", "sim.ovx"},                  // none remembered
        {"sim.ovx", folder + "/gone", "sim.ovx"},    // the folder has gone
    };
    for (const auto& c : cases)
        EXPECT_EQ(StartPathIn(c.path, c.lastFolder), c.start) << c.path << c.lastFolder;
}

TEST_F(SettingsFixture, OpenedFilesGoFirstInOpenRecentAndAGoneOneIsDroppedWhenChosen) {
    dir.write("a.dat", DataText(20, 1));
    const std::string a = dir.write("a.ovx", ConfigText("a.dat", 20, 1));
    const std::string table = dir.write("moon.csv", "t,moon_x,moon_y\n0,1,0\n1,0,1\n2,-1,0\n");
    Open(a);
    Open(table);
    Open(a);
    const QStringList expected{QString::fromStdString(a), QString::fromStdString(table)};
    EXPECT_EQ(Recent(), expected);
    EXPECT_EQ(RememberedSettings().recentFiles(), expected);  // kept in the store
    EXPECT_EQ(RememberedSettings().lastFolder(), QString::fromStdString(dir.path()));

    frame->settingsCommands()->openRecent(QString::fromStdString(table));
    EXPECT_TRUE(state.loaded.configPath.ends_with("moon.csv")) << state.loaded.configPath;
    EXPECT_EQ(Recent(), (QStringList{QString::fromStdString(table), QString::fromStdString(a)}));
    std::remove(table.c_str());
    frame->settingsCommands()->openRecent(QString::fromStdString(table));
    EXPECT_EQ(Recent(), QStringList{QString::fromStdString(a)});
    ASSERT_FALSE(host.notes.empty());
    EXPECT_NE(host.notes.back().find("no longer there"), std::string::npos);

    frame->runCommand(ID_CLEAR_RECENT);
    EXPECT_TRUE(Recent().isEmpty());
    EXPECT_TRUE(RememberedSettings().recentFiles().isEmpty());
}

TEST_F(SettingsFixture, MenuChoicesApplyAtTheNextStartBeforeTheCommandLineAndOverLoads) {
    frame->runCommand(ID_STYLE_PUBLICATION);
    frame->runCommand(ID_TRAIL_BOTH);
    frame->runCommand(ID_STYLE_GRID);
    frame->runCommand(ID_EQUAL_ASPECT);
    frame->runCommand(ID_EQUAL_ASPECT);  // turned off again: off is remembered
    frame->runCommand(ID_VIEW_SERIES);
    ViewRequest commandLine;
    commandLine.trail = TrailMode::Behind;
    auto next = NextSession(commandLine);
    const ViewChoices& view = next->state.view;
    EXPECT_EQ(view.style, ViewStyle::Publication);
    EXPECT_EQ(view.trailMode, TrailMode::Behind);  // the command line wins
    EXPECT_TRUE(view.look.grid);
    EXPECT_EQ(next->plot.equalAspect, 0);
    EXPECT_EQ(view.chosen, (ChosenByUser{.style = true, .trailMode = true, .equalAspect = true}));
    EXPECT_TRUE(next->frame->action(ID_STYLE_GRID)->isChecked());
    EXPECT_TRUE(view.panel.shown);
    EXPECT_TRUE(next->frame->action(ID_VIEW_SERIES)->isChecked());
    // A plain table asks for equal aspect, but the choice remembered stays.
    dialog.choices.push_back(dir.write("moon.csv", "t,moon_x,moon_y\n0,1,0\n1,0,1\n2,-1,0\n"));
    next->frame->runCommand(ID_NEW_SIMULATION);
    EXPECT_EQ(next->plot.equalAspect, 0);
    EXPECT_EQ(next->state.view.style, ViewStyle::Publication);

    // Without settings (--no-settings) nothing of it is read, and a classic
    // configuration shows the classic defaults.
    auto fresh = NextSession({}, false);
    dir.write("c.dat", DataText(20, 1));
    dialog.choices.push_back(dir.write("c.ovx", ConfigText("c.dat", 20, 1)));
    fresh->frame->runCommand(ID_NEW_SIMULATION);
    EXPECT_EQ(fresh->state.view.style, ViewStyle::Classic);
    EXPECT_EQ(fresh->state.view.trailMode, TrailMode::Ahead);
    EXPECT_FALSE(fresh->state.view.look.grid);
    EXPECT_FALSE(fresh->state.view.panel.shown);
    EXPECT_EQ(fresh->state.view.chosen, ChosenByUser{});
    EXPECT_FALSE(fresh->frame->action(ID_RESET_SETTINGS)->isEnabled());
}

TEST_F(SettingsFixture, TheWindowsPlaceIsKeptAtCloseAndResetForgetsAllAfterAsking) {
    frame->resize(700, 480);
    frame->close();
    auto next = NextSession({});
    EXPECT_EQ(next->frame->size(), QSize(700, 480));
    Open(dir.write("moon.csv", "t,moon_x,moon_y\n0,1,0\n1,0,1\n2,-1,0\n"));
    frame->runCommand(ID_TRAIL_BOTH);

    host.answers.push_back(Host::Answer::No);
    frame->runCommand(ID_RESET_SETTINGS);
    EXPECT_FALSE(Recent().isEmpty());
    host.answers.push_back(Host::Answer::Yes);
    frame->runCommand(ID_RESET_SETTINGS);
    EXPECT_TRUE(Recent().isEmpty());
    EXPECT_TRUE(RememberedSettings().geometry().isEmpty());
    EXPECT_FALSE(RememberedSettings().view().any());
    EXPECT_EQ(host.notes.back(), "Settings reset: the next start uses the defaults");
}

}  // namespace
