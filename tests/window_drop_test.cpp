// Configuration files dragged onto the window and dropped.

#include <QApplication>
#include <QDialog>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <filesystem>

#include "animation/simulation_state.h"
#include "app/command_ids.h"
#include "app/simulation_view.h"
#include "window_fixture.h"

namespace {

/// Mime data holding `urls`, as a file manager's drag of files does.
std::unique_ptr<QMimeData> Files(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

QUrl FileUrl(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }

/// Drags `data` onto `target` with Shift held (a move, where offered) and
/// drops it there when the drag was accepted, as Qt does: to the widget under
/// the pointer or the nearest parent that takes drops. Returns the action
/// the drop was accepted with, IgnoreAction when refused.
Qt::DropAction DragAndDrop(QWidget& target, const QMimeData& data,
                           Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction,
                           Qt::KeyboardModifiers held = Qt::ShiftModifier) {
    const QPoint centre = target.rect().center();
    QDragEnterEvent enter(centre, offered, &data, Qt::LeftButton, held);
    QApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted()) return Qt::IgnoreAction;
    QDropEvent drop(centre, offered, &data, Qt::LeftButton, held);
    QApplication::sendEvent(&target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

TEST_F(FrameFixture, DroppedConfigurationLoadsAsNewSimulationDoes) {
    Load(100, 10);
    state.playback.stopRequested = 0;  // playing, as after a start
    TempDir other;
    other.write("moon.dat", DataText(50, 2));  // found only from the configuration's folder
    const std::string config = other.write("Moon.OVX", ConfigText("moon.dat", 50, 2));
    int presented = 0;
    QObject::connect(view(), &SimulationView::framePresented, [&] { ++presented; });

    EXPECT_EQ(DragAndDrop(*view(), *Files({FileUrl(config)})), Qt::CopyAction);  // never a move
    EXPECT_EQ(state.playback.stopRequested, 0);  // the drag's source is not kept waiting on the load
    QApplication::processEvents();
    EXPECT_EQ(state.loaded().configPath, config);
    EXPECT_EQ(std::filesystem::current_path(), other.path());
    EXPECT_EQ(state.playback.stopRequested, 1);
    EXPECT_NE(state.loaded().dataLoaded, 0);
    EXPECT_EQ(state.loaded().fields.bodyCount, 2);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_GT(presented, 0);
}

TEST_F(FrameFixture, ADropWithCtrlAddsARunToCompare) {
    Load(100, 10);
    TempDir other;
    other.write("moon.dat", DataText(50, 2));
    const std::string config = other.write("moon.ovx", ConfigText("moon.dat", 50, 2));
    const std::string shown = state.loaded().configPath;
    EXPECT_EQ(DragAndDrop(*view(), *Files({FileUrl(config)}), Qt::CopyAction, Qt::ControlModifier),
              Qt::CopyAction);
    QApplication::processEvents();
    EXPECT_EQ(state.loaded().configPath, shown);  // the document shown stays
    ASSERT_EQ(state.others().size(), 1u);
    EXPECT_EQ(state.runs[1].name, "moon.ovx");
    EXPECT_TRUE(frame->action(ID_VIEW_RUNS)->isEnabled());
    EXPECT_TRUE(host.messages.empty());
    // View > Runs, Make First: the playback on the run's clock, the document
    // shown compared with it.
    OnNextDialog([](QDialog& dialog) {
        dialog.findChild<QListWidget*>()->setCurrentRow(0);
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            if (button->text() == "Make First") button->click();
    });
    frame->runCommand(ID_VIEW_RUNS);
    EXPECT_EQ(state.loaded().configPath, config);
    EXPECT_EQ(state.loaded().usableRows(), 50);
    ASSERT_EQ(state.others().size(), 1u);
    EXPECT_EQ(state.runs[1].path, shown);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(FrameFixture, DroppedConfigurationIsKnownByItsContentWhateverItsName) {
    Load(100, 10);
    TempDir other;
    other.write("moon.dat", DataText(50, 2));
    const std::string config = other.write("moon.cfg", ConfigText("moon.dat", 50, 2));
    EXPECT_EQ(DragAndDrop(*view(), *Files({FileUrl(config)})), Qt::CopyAction);
    QApplication::processEvents();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.loaded().configPath, config);
    EXPECT_EQ(state.loaded().fields.bodyCount, 2);
}

TEST_F(FrameFixture, DroppedTableOpensDirectlyWithEqualAspect) {
    Load(100, 10);
    TempDir other;
    const std::string table = other.write("moon.csv", "t,moon_x,moon_y\n0,1,0\n1,0,1\n2,-1,0\n3,0,-1\n");
    EXPECT_EQ(DragAndDrop(*view(), *Files({FileUrl(table)})), Qt::CopyAction);
    QApplication::processEvents();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.loaded().fields.dataFormat, DataFormat::Table);
    EXPECT_EQ(state.loaded().fields.dataPath, table);
    EXPECT_EQ(state.loaded().fields.bodyNames, std::vector<std::string>{"moon"});
    EXPECT_EQ(state.loaded().fields.lineCount, 4);
    EXPECT_TRUE(frame->action(ID_EQUAL_ASPECT)->isChecked());
    EXPECT_FALSE(frame->action(ID_PLANE_XZ)->isEnabled());  // two coordinates: no plane to choose
}

TEST_F(FrameFixture, DropsOfAnythingButOneLocalConfigurationOrTableAreRefusedAndChangeNothing) {
    Load(100, 10);
    state.playback.stopRequested = 0;
    const std::string loaded = state.loaded().configPath;
    const std::filesystem::path folder = std::filesystem::current_path();
    TempDir other;
    const QUrl config = FileUrl(other.write("b.ovx", ConfigText("sim.dat", 100, 1)));
    auto text = std::make_unique<QMimeData>();
    text->setText(config.toLocalFile());

    struct Case {
        const char* what;
        std::unique_ptr<QMimeData> data;
        Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    };
    Case cases[] = {
        {"text that is neither", Files({FileUrl(other.write("b.txt", "some words\nmore words\n"))})},
        {"ovx without the dot", Files({FileUrl(other.write("bovx", "x"))})},
        {"ovx inside the name", Files({FileUrl(other.write("b.ovx.old", "x"))})},
        {"remote file", Files({QUrl(QStringLiteral("https://example.org/b.ovx"))})},
        {"two configurations", Files({config, config})},
        {"path as text", std::move(text)},
        {"move only", Files({config}), Qt::MoveAction},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DragAndDrop(*view(), *c.data, c.offered), Qt::IgnoreAction) << c.what;
    QApplication::processEvents();
    EXPECT_EQ(state.loaded().configPath, loaded);
    EXPECT_EQ(std::filesystem::current_path(), folder);
    EXPECT_EQ(state.playback.stopRequested, 0);
    EXPECT_TRUE(host.messages.empty());
}

}  // namespace
