// The adapters behind the core's interfaces, with the real toolkit: the
// external editor started as a real program, and notes in the status bar.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "animation/simulation_state.h"
#include "app/qt_external_editor.h"
#include "app/qt_host.h"
#include "commands/file_commands.h"
#include "commands/file_dialog.h"
#include "plot/plot_box.h"
#include "simulation/load_progress.h"
#include "test_support.h"

namespace {

/// Waits up to five seconds for `path` to exist with content.
bool AppearsSoon(const std::string& path) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000) {
        std::error_code error;
        if (std::filesystem::file_size(path, error) > 0 && !error) return true;
        QThread::msleep(10);
    }
    return false;
}

std::string Contents(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
}

struct EditorFixture : ::testing::Test {
    TempDir dir;
    std::string log;

    /// Makes ORBIVEX_EDITOR a script that writes its argument count and
    /// each argument on a line of its own to `log`.
    void SetUp() override {
        log = dir.path() + "/args.log";
        const std::string script = dir.write(
            "editor.sh", "#!/bin/sh\n{ echo \"$#\"; for a in \"$@\"; do echo \"[$a]\"; done; } > '" + log +
                             ".part' && mv '" + log + ".part' '" + log + "'\n");
        ::chmod(script.c_str(), 0755);
        qputenv("ORBIVEX_EDITOR", QByteArray::fromStdString(script));
    }
    void TearDown() override { qunsetenv("ORBIVEX_EDITOR"); }
};

TEST_F(EditorFixture, PathWithBlankQuoteAndSemicolonArrivesAsOneArgument) {
    // Through a shell, the quotes would pair up and the ";" would run touch.
    const std::string marker = dir.path() + "/ran";
    const std::string path = dir.path() + "/my 'orbit'; touch " + marker;
    QtExternalEditor editor;
    ASSERT_TRUE(editor.Open(path));
    ASSERT_TRUE(AppearsSoon(log));
    EXPECT_EQ(Contents(log), "1\n[" + path + "]\n");
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST_F(EditorFixture, NothingLoadedStartsTheEditorWithoutArguments) {
    QtExternalEditor editor;
    ASSERT_TRUE(editor.Open(""));
    ASSERT_TRUE(AppearsSoon(log));
    EXPECT_EQ(Contents(log), "0\n");
}

class NoDialog : public FileDialog {
public:
    bool PromptForFile(const std::string&, const std::vector<FileFilter>&, std::string&) override {
        return false;
    }
};

TEST_F(EditorFixture, AnEditorThatCannotStartIsReportedWithTheVariableToSet) {
    qputenv("ORBIVEX_EDITOR", QByteArray::fromStdString(dir.path() + "/no-such-editor"));
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    NoDialog dialog;
    QtExternalEditor editor;
    state.loaded().configPath = dir.path() + "/a.ovx";
    EXPECT_TRUE(EditConfigurationFile({state, plot, host, dialog, editor}));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("ORBIVEX_EDITOR"), std::string::npos);
    EXPECT_NE(host.messages[0].find(state.loaded().configPath), std::string::npos);
    // Without the variable and without a file, no desktop handler can be chosen.
    qunsetenv("ORBIVEX_EDITOR");
    state.loaded().fields.dataPath.clear();
    EditDataFile({state, plot, host, dialog, editor});
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_NE(host.messages[1].find("ORBIVEX_EDITOR"), std::string::npos);
}

TEST(QtHostNote, ShowsInTheStatusBarWithoutAMessageBox) {
    QMainWindow window;
    QtHost host(&window);
    host.note("Data lines hold 9 values; 2 planets need 5");
    EXPECT_EQ(window.statusBar()->currentMessage(), "Data lines hold 9 values; 2 planets need 5");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(QtHostWait, ACancelledLoadLeavesItsNoteAloneInTheStatusBar) {
    QMainWindow window;
    auto* ready = new QLabel(QStringLiteral("Ready"));
    window.statusBar()->addWidget(ready, 1);
    window.show();
    QtHost host(&window);
    // Two loads: the first makes the progress widgets, the second reuses them.
    for (int load = 0; load < 2; ++load) {
        LoadProgress progress;
        progress.fileBytes = 1000;
        QTimer press;
        QObject::connect(&press, &QTimer::timeout, [&] {
            auto* cancel = window.statusBar()->findChild<QPushButton*>(QStringLiteral("loadCancel"));
            if (cancel && cancel->isVisible()) cancel->click();
        });
        press.start(50);
        host.waitFor(
            [&] {
                for (int i = 0; i < 1000 && !progress.cancelled; ++i) {
                    progress.bytesRead = uint64_t(i);
                    QThread::msleep(5);
                }
            },
            progress);
        ASSERT_TRUE(progress.cancelled) << "load " << load << ": the Cancel button never showed";
        host.note("Load cancelled");
        QApplication::processEvents();  // the status bar's layout runs queued
        EXPECT_EQ(window.statusBar()->currentMessage(), "Load cancelled");
        EXPECT_FALSE(ready->isVisible()) << "the label is drawn under the note";
        EXPECT_FALSE(window.statusBar()->findChild<QPushButton*>(QStringLiteral("loadCancel"))->isVisible());
    }
    window.statusBar()->clearMessage();
    EXPECT_TRUE(ready->isVisible());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
