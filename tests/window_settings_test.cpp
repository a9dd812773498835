// What the window remembers between sessions, in a settings folder of the
// test's own: the recent files, the view's choices, the window's place,
// Reset Settings, and a settings file that may not be used.

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "animation/startup_defaults.h"
#include "app/command_ids.h"
#include "app/qt_file_dialog.h"
#include "app/remembered_settings.h"
#include "app/settings_commands.h"
#include "app/simulation_view.h"
#include "window_fixture.h"

namespace {

/// XDG_CONFIG_HOME set to a folder of its own while it lives.
struct OwnConfigHome {
    TempDir home;
    std::string before;
    bool had = false;
    OwnConfigHome() {
        if (const char* value = std::getenv("XDG_CONFIG_HOME")) had = true, before = value;
        ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1);
    }
    ~OwnConfigHome() {
        if (had)
            ::setenv("XDG_CONFIG_HOME", before.c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
    }
    std::string folder() const { return home.path() + "/orbivex"; }
    std::string file() const { return folder() + "/orbivex.ini"; }
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool IsLink(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

/// A window remembering in a settings folder made for the test.
struct SettingsFixture : FrameFixture {
    OwnConfigHome settingsHome;

    void SetUp() override {
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
    /// What `session` shows of the file `path` opened in it, at 600 x 600.
    QImage Shown(Session& session, const std::string& path) {
        session.frame->show();
        session.frame->resize(600, 600);
        QApplication::processEvents();
        dialog.choices.push_back(path);
        session.frame->runCommand(ID_NEW_SIMULATION);
        session.frame->view()->repaint();
        const QImage* shown = session.frame->view()->frame();
        return shown ? shown->copy() : QImage();
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
    EXPECT_TRUE(state.loaded().configPath.ends_with("moon.csv")) << state.loaded().configPath;
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

TEST_F(SettingsFixture, MenuChoicesApplyToTheNextTablesWhereNeitherItNorTheCommandLineSays) {
    Open(dir.write("moon.csv", "t,moon_x,moon_y\n0,1,0\n1,0,1\n2,-1,0\n"));
    frame->runCommand(ID_STYLE_CLASSIC);
    frame->runCommand(ID_TRAIL_BOTH);
    frame->runCommand(ID_STYLE_GRID);
    frame->runCommand(ID_EQUAL_ASPECT);  // a table opens with it on: off is remembered
    frame->runCommand(ID_VIEW_SERIES);
    ViewRequest commandLine;
    commandLine.trail = TrailMode::Behind;
    auto next = NextSession(commandLine);
    // A plain table asks for equal aspect and the publication look, but the
    // choices remembered stay; the command line wins over them.
    dialog.choices.push_back(dir.write("sun.csv", "t,sun_x,sun_y\n0,1,0\n1,0,1\n2,-1,0\n"));
    next->frame->runCommand(ID_NEW_SIMULATION);
    const ViewChoices& view = next->state.view;
    EXPECT_EQ(view.style, ViewStyle::Classic);
    EXPECT_EQ(view.trailMode, TrailMode::Behind);
    EXPECT_TRUE(view.look.grid);
    EXPECT_EQ(next->plot.equalAspect, 0);
    EXPECT_TRUE(view.panel.shown);
    EXPECT_EQ(view.chosen, (ChosenByUser{.trailMode = true}));  // remembered is not chosen
    EXPECT_TRUE(next->frame->action(ID_STYLE_GRID)->isChecked());
    EXPECT_TRUE(next->frame->action(ID_VIEW_SERIES)->isChecked());
    EXPECT_TRUE(next->frame->action(ID_TRAIL_BEHIND)->isChecked());
    EXPECT_FALSE(next->frame->action(ID_EQUAL_ASPECT)->isChecked());

    // A configuration of a table that says its look keeps it.
    const std::string said =
        dir.write("said.ovx", ConfigText("sun.csv", 3, 1) +
                                  "data format = table\nstyle = publication\ntrail mode = ahead\n");
    auto third = NextSession({});
    dialog.choices.push_back(said);
    third->frame->runCommand(ID_NEW_SIMULATION);
    ASSERT_TRUE(third->state.loaded().dataLoaded);
    EXPECT_EQ(third->state.view.style, ViewStyle::Publication);
    EXPECT_EQ(third->state.view.trailMode, TrailMode::Ahead);
    EXPECT_TRUE(third->state.view.panel.shown);  // which it does not say

    // Without settings (--no-settings) nothing of it is read.
    auto fresh = NextSession({}, false);
    dialog.choices.push_back(dir.write("moon.csv", "t,moon_x,moon_y\n0,1,0\n1,0,1\n2,-1,0\n"));
    fresh->frame->runCommand(ID_NEW_SIMULATION);
    EXPECT_EQ(fresh->state.view.style, ViewStyle::Publication);
    EXPECT_EQ(fresh->state.view.trailMode, TrailMode::Behind);
    EXPECT_FALSE(fresh->state.view.look.grid);
    EXPECT_FALSE(fresh->state.view.panel.shown);
    EXPECT_EQ(fresh->plot.equalAspect, 1);
    EXPECT_FALSE(fresh->frame->action(ID_RESET_SETTINGS)->isEnabled());
}

TEST_F(SettingsFixture, AClassicConfigurationIsShownAsWithoutSettingsWhateverWasRemembered) {
    Open(dir.write("moon.csv", "t,moon_x,moon_y\n0,1,0\n1,0,1\n2,-1,0\n"));
    for (int id : {ID_STYLE_PUBLICATION, ID_TRAIL_BOTH, ID_STYLE_GRID, ID_VIEW_SERIES, ID_EQUAL_ASPECT})
        frame->runCommand(id);
    ASSERT_TRUE(RememberedSettings().view().panel.value_or(false));
    dir.write("c.dat", DataText(20, 1));
    const std::string classic = dir.write("c.ovx", ConfigText("c.dat", 20, 1));
    auto remembering = NextSession({});
    auto fresh = NextSession({}, false);
    const QImage shown = Shown(*remembering, classic);
    EXPECT_TRUE(shown == Shown(*fresh, classic));
    const ViewChoices& view = remembering->state.view;
    EXPECT_EQ(view.style, ViewStyle::Classic);
    EXPECT_EQ(view.trailMode, TrailMode::Ahead);
    EXPECT_FALSE(view.look.grid);
    EXPECT_FALSE(view.panel.shown);
    EXPECT_EQ(remembering->plot.equalAspect, 0);
    EXPECT_FALSE(remembering->frame->action(ID_VIEW_SERIES)->isChecked());
    EXPECT_TRUE(remembering->frame->action(ID_TRAIL_AHEAD)->isChecked());
    // The examples too.
    const std::string example = std::string(ORBIVEX_EXAMPLES) + "/kepler-ellipse.ovx";
    EXPECT_TRUE(Shown(*remembering, example) == Shown(*fresh, example));
    EXPECT_EQ(view.trailMode, TrailMode::Ahead);
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

TEST(SettingsFile, ReadAndWrittenOnlyWhenAbsentOrARegularFileOfTheUsers) {
    enum class Place { Absent, OwnFile, LinkToAFile, LinkToNothing, Fifo, Folder, LinkedFolder, OthersFile };
    const struct {
        Place place;
        const char* refusal;  // the end of the message; empty: the file keeps the choices
    } cases[] = {
        {Place::Absent, ""},
        {Place::OwnFile, ""},
        {Place::LinkToAFile, "orbivex.ini is a symbolic link"},
        {Place::LinkToNothing, "orbivex.ini is a symbolic link"},
        {Place::Fifo, "orbivex.ini is a FIFO"},
        {Place::Folder, "orbivex.ini is a folder"},
        {Place::LinkedFolder, "orbivex is a symbolic link"},
        {Place::OthersFile, "orbivex.ini belongs to another user"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.place));
        OwnConfigHome home;
        TempDir elsewhere;
        const std::string precious = elsewhere.write("precious.txt", "[view]\ntrailMode=behind\n");
        std::filesystem::create_directory(home.folder());
        const std::string& file = home.file();
        switch (c.place) {
            case Place::Absent:
                break;
            case Place::OwnFile:
                std::ofstream(file) << "[view]\ntrailMode=behind\n";
                break;
            case Place::LinkToAFile:
                std::filesystem::create_symlink(precious, file);
                break;
            case Place::LinkToNothing:
                std::filesystem::create_symlink(elsewhere.path() + "/made.txt", file);
                break;
            case Place::Fifo:
                ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
                break;
            case Place::Folder:
                std::filesystem::create_directory(file);
                break;
            case Place::LinkedFolder:
                std::filesystem::remove(home.folder());
                std::filesystem::create_directory_symlink(elsewhere.path(), home.folder());
                break;
            case Place::OthersFile:
                std::ofstream(file) << "[view]\ntrailMode=behind\n";
                if (::geteuid() != 0 || ::chown(file.c_str(), 65534, 65534) != 0) continue;  // only root can
                break;
        }
        const std::string before = Contents(precious);
        RememberedSettings settings;  // a FIFO makes it wait for ever unless refused
        int told = 0;
        settings.tellRefusalTo([&](const std::string& why) {
            ++told;
            EXPECT_TRUE(why.starts_with("Settings are kept for this session only: ")) << why;
            EXPECT_TRUE(why.ends_with(c.refusal)) << why;
        });
        // What a file of the user's holds is read; nothing else is.
        EXPECT_EQ(settings.view().trail,
                  c.place == Place::OwnFile ? std::optional(TrailMode::Behind) : std::nullopt);
        settings.rememberTrail(TrailMode::Both);
        settings.noteOpened("/data/run.csv");
        settings.rememberGrid(true);
        // The choices work all the same, in memory when not in the file.
        EXPECT_EQ(settings.view().trail, TrailMode::Both);
        EXPECT_EQ(settings.recentFiles(), QStringList{"/data/run.csv"});
        const bool kept = *c.refusal == 0;
        EXPECT_EQ(told, kept ? 0 : 1);
        EXPECT_EQ(settings.refusal().empty(), kept);
        EXPECT_EQ(RememberedSettings().view().trail, kept ? std::optional(TrailMode::Both) : std::nullopt);
        // Nothing but the file itself was written.
        EXPECT_EQ(Contents(precious), before);
        if (c.place == Place::OthersFile) EXPECT_EQ(Contents(file), before);
        EXPECT_FALSE(std::filesystem::exists(elsewhere.path() + "/made.txt"));
        EXPECT_FALSE(std::filesystem::exists(elsewhere.path() + "/orbivex.ini"));
        EXPECT_EQ(IsLink(file), c.place == Place::LinkToAFile || c.place == Place::LinkToNothing);
        EXPECT_EQ(std::filesystem::is_fifo(file), c.place == Place::Fifo);
    }
}

TEST(SettingsFile, TwoWindowsKeepEachOthersChoices) {
    OwnConfigHome home;
    RememberedSettings one, two;
    one.rememberTrail(TrailMode::Both);
    two.rememberGrid(true);
    one.noteOpened("/data/a.csv");
    const RememberedLook both = RememberedSettings().view();
    EXPECT_EQ(both.trail, TrailMode::Both);
    EXPECT_EQ(both.grid, true);
    EXPECT_EQ(RememberedSettings().recentFiles(), QStringList{"/data/a.csv"});
}

TEST_F(SettingsFixture, ALinkPlantedWhileTheWindowIsOpenIsNotWrittenThroughAndIsToldOnce) {
    Open(dir.write("moon.csv", "t,moon_x,moon_y\n0,1,0\n1,0,1\n2,-1,0\n"));
    ASSERT_TRUE(std::filesystem::is_regular_file(settingsHome.file()));
    const std::string precious = dir.write("precious.txt", "the user's own words\n");
    std::filesystem::remove(settingsHome.file());
    std::filesystem::create_symlink(precious, settingsHome.file());
    const std::size_t notesBefore = host.notes.size();
    for (int id : {ID_TRAIL_BOTH, ID_STYLE_GRID, ID_VIEW_SERIES, ID_TRAIL_AHEAD}) frame->runCommand(id);
    frame->close();  // the window's place is kept at close
    EXPECT_EQ(Contents(precious), "the user's own words\n");
    EXPECT_TRUE(IsLink(settingsHome.file()));
    const auto told =
        std::count_if(host.notes.begin() + std::ptrdiff_t(notesBefore), host.notes.end(),
                      [](const std::string& note) { return note.starts_with("Settings are kept"); });
    EXPECT_EQ(told, 1);
    EXPECT_EQ(frame->settings()->view().trail, TrailMode::Ahead);  // kept in memory
    EXPECT_EQ(Recent().size(), 1);
}

}  // namespace
