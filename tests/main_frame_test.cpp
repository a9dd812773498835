#include <gtest/gtest.h>

#include <QTest>
#include <QWheelEvent>

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "animation/playback_commands.h"
#include "animation/simulation_loading.h"
#include "animation/startup_defaults.h"
#include "app/command_ids.h"
#include "app/follow_watcher.h"
#include "app/main_frame.h"
#include "app/playback_bar.h"
#include "app/simulation_view.h"
#include "commands/external_editor.h"
#include "commands/file_dialog.h"
#include "plot/plot_box.h"
#include "simulation/simulation_state.h"
#include "test_support.h"

/// Lets failure messages show Qt strings as text.
std::ostream& operator<<(std::ostream& out, const QString& text) {
    return out << '"' << text.toStdString() << '"';
}

namespace {

class ScriptedFileDialog : public FileDialog {
public:
    bool PromptForFile(const std::string& title, const std::string& description, const std::string&,
                       std::string& path) override {
        prompts.push_back(title + "|" + description + "|" + path);
        if (choices.empty()) return false;
        path = choices.front();
        choices.pop_front();
        return true;
    }
    std::deque<std::string> choices;
    std::vector<std::string> prompts;
};

class RecordingEditor : public ExternalEditor {
public:
    bool Open(const std::string& path) override {
        opened.push_back(path);
        return starts;
    }
    std::vector<std::string> opened;
    bool starts = true;
};

struct FrameFixture : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    ScriptedFileDialog dialog;
    RecordingEditor editor;
    TempDir dir;
    std::unique_ptr<CMainFrame> frame;

    void SetUp() override {
        frame = std::make_unique<CMainFrame>(state, plot, host, dialog, editor);
        InitialiseDefaults(state, plot);
        frame->show();
        QApplication::processEvents();
    }
    SimulationView* view() { return frame->view(); }

    /// Loads `rows` rows of one body with a trail of `trail` through File > New Simulation.
    void Load(int rows, int trail, int step = 1) {
        dir.write("sim.dat", DataText(rows, 1));
        dialog.choices.push_back(dir.write("sim.ovx", ConfigText("sim.dat", rows, 1, step, trail)));
        ASSERT_TRUE(frame->runCommand(ID_NEW_SIMULATION));
        view()->repaint();
    }
    void Start() {
        frame->runCommand(ID_START_ANIMATION);
        view()->repaint();
    }
    /// Calls `act` on the modal dialog as soon as one is open, looking every
    /// 10 ms. Fails the test when none opens within five seconds or before
    /// the window closes at the end of the test.
    void OnNextDialog(std::function<void(QDialog&)> act) {
        auto* poll = new QTimer(frame.get());
        auto waiting = std::make_shared<bool>(true);
        QObject::connect(poll, &QObject::destroyed, [waiting] {
            if (*waiting) ADD_FAILURE() << "no dialog opened";
        });
        QObject::connect(poll, &QTimer::timeout, [poll, waiting, act, deadline = QDeadlineTimer(5000)] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog && !deadline.hasExpired()) return;
            poll->stop();
            poll->deleteLater();  // reports the failure when no dialog opened
            if (!dialog) return;
            *waiting = false;
            act(*dialog);
        });
        poll->start(10);
    }
    /// Closes the next modal dialog with Cancel as soon as it is open.
    void CancelNextDialog() {
        OnNextDialog([](QDialog& dialog) { dialog.reject(); });
    }
    /// Types `text` into the field named `name` of the next dialog and
    /// presses OK, then cancels it if it is still open.
    void TypeAndConfirm(const QString& name, const QString& text) {
        OnNextDialog([name, text](QDialog& dialog) {
            dialog.findChild<QLineEdit*>(name)->setText(text);
            dialog.accept();
            if (dialog.isVisible()) dialog.reject();
        });
    }

    /// Runs ticks as the timer would, while it runs; returns how many ran.
    int TicksWhileRunning(int most) {
        int ticks = 0;
        while (view()->timerRunning() && ticks < most) {
            view()->deliverTick();
            ++ticks;
        }
        return ticks;
    }
};

QStringList Texts(const QList<QAction*>& actions) {
    QStringList texts;
    for (QAction* a : actions) texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

TEST_F(FrameFixture, MenusInOrder) {
    const QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(Texts(menus), (QStringList{"&File", "&Edit", "&View", "&Playback", "&Help"}));
    EXPECT_EQ(Texts(menus[0]->menu()->actions()).mid(0, 4),
              (QStringList{"New Simulation", "Load configuration", "Reload data", "E&xit"}));
    EXPECT_EQ(Texts(menus[0]->menu()->actions()).mid(4),
              (QStringList{"-", "Export Picture...", "Export Video..."}));
    EXPECT_EQ(Texts(menus[1]->menu()->actions()),
              (QStringList{"Settings", "-", "Configuration File", "Data File"}));
    // The classic View items come first; the newer ones follow them.
    EXPECT_EQ(Texts(menus[2]->menu()->actions()).mid(0, 10),
              (QStringList{"Animation", "Stop Animation", "-", "System position", "Graphic box",
                           "Refresh screen", "On/off full window", "-", "&Toolbar", "&Status Bar"}));
    EXPECT_EQ(Texts(menus[4]->menu()->actions()), (QStringList{"&About Orbivex..."}));
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
    state.stopRequested = 0;
    const int refusing[] = {ID_STOP_BUTTON, ID_STOP_ANIMATION,     ID_RELOAD_SIMULATION, ID_RESET_POSITION,
                            ID_EDIT_DATA,   ID_LOAD_CONFIGURATION, ID_RELOAD_DATA};
    for (int id : refusing) {
        state.stopRequested = 0;
        EXPECT_TRUE(frame->runCommand(id));
        EXPECT_EQ(state.stopRequested, 1) << id;
    }
    EXPECT_EQ(dialog.prompts.back().substr(0, 15), "Open data file|");
    EXPECT_EQ(dialog.prompts[dialog.prompts.size() - 2].substr(0, 17), "Open config file|");
    frame->runCommand(ID_EDIT_CONFIGURATION);
    EXPECT_EQ(editor.opened.size(), 2u);
    for (int id : {ID_ANIMATION_SETTINGS, ID_SYSTEM_POSITION, ID_GRAPHIC_BOX}) {
        state.stopRequested = 0;
        CancelNextDialog();
        frame->runCommand(id);
        EXPECT_EQ(state.stopRequested, 1) << id;
    }
    state.step = 5;
    frame->runCommand(ID_INCREASE_SPEED);
    EXPECT_EQ(state.step, 6);
    frame->runCommand(ID_DECREASE_SPEED);
    EXPECT_EQ(state.step, 5);
    frame->runCommand(ID_TOGGLE_FULL_WINDOW);
    EXPECT_EQ(plot.leftPct, 10);
    frame->runCommand(ID_START_BUTTON);
    EXPECT_EQ(state.startRequested, 1);
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
    EXPECT_EQ(state.stopRequested, 1);
    Start();
    EXPECT_TRUE(view()->timerRunning());
    EXPECT_EQ(view()->timerInterval(), 20);
    EXPECT_EQ(TicksWhileRunning(1000), 1);
    EXPECT_EQ(state.position, 1);
    Start();
    EXPECT_EQ(TicksWhileRunning(1000), 88);  // rows 2 to 89; the tick reaching 89 stops
    EXPECT_EQ(state.position, 89);
    Start();
    EXPECT_EQ(host.messages.back(), "End of Simulation - use Refresh");
}

TEST_F(FrameFixture, StopAndResetWhileRunning) {
    Load(100, 10, 3);
    state.stopRequested = 0;
    Start();
    view()->deliverTick();
    view()->deliverTick();
    frame->runCommand(ID_STOP_ANIMATION);
    EXPECT_TRUE(view()->timerRunning());
    view()->deliverTick();
    EXPECT_FALSE(view()->timerRunning());
    EXPECT_EQ(state.position, 9);

    Start();
    view()->deliverTick();
    frame->runCommand(ID_RESET_POSITION);
    view()->repaint();
    EXPECT_EQ(TicksWhileRunning(10), 1);
    EXPECT_EQ(state.position, 3);
}

TEST_F(FrameFixture, TimerPeriodHasAFloorOfOneMillisecond) {
    Load(100, 10);
    state.frameDelayMs = -5;
    state.stopRequested = 0;
    Start();
    EXPECT_EQ(view()->timerInterval(), 1);
}

TEST_F(FrameFixture, RepaintRemovesTheStatusLineUntilTheNextTick) {
    frame->runCommand(ID_TOGGLE_FULL_WINDOW);
    Load(100, 10);
    state.stopRequested = 0;
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
    EXPECT_EQ(state.dataLoaded, 0);
    Start();
    EXPECT_FALSE(view()->timerRunning());
    dialog.choices.clear();
    EXPECT_TRUE(frame->runCommand(ID_NEW_SIMULATION));  // cancelled: nothing read, no message
    EXPECT_EQ(host.messages.size(), 3u);
}

}  // namespace

namespace {

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

TEST(FrameTicks, ATickDuringALoadMessageReadsNothingAndStops) {
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
    state.stopRequested = 0;
    frame.runCommand(ID_START_ANIMATION);
    frame.view()->repaint();
    frame.view()->deliverTick();
    ASSERT_TRUE(frame.view()->timerRunning());
    host.view = frame.view();
    dialog.choices.push_back(dir.write("b.ovx", ConfigText("missing.dat", 100, 1)));
    frame.runCommand(ID_NEW_SIMULATION);
    EXPECT_EQ(host.messages, std::vector<std::string>{"DATA File missing.dat is not found"});
    EXPECT_FALSE(frame.view()->timerRunning());
    EXPECT_EQ(state.position, 1);
}

TEST_F(FrameFixture, SettingsDialogRefusesAnOutOfRangeTrailAndKeepsTheSettings) {
    Load(1000, 10);
    state.startRow = 40;
    TypeAndConfirm("pointsPerOrbit", "0");
    frame->runCommand(ID_ANIMATION_SETTINGS);
    EXPECT_EQ(host.messages.back(), "Please enter an integer between 1 and 10000.");
    EXPECT_EQ(state.pointsPerOrbit, 10);
    EXPECT_EQ(state.position, 40);  // even Cancel moves the bodies to the start row

    TypeAndConfirm("startRow", "950");
    frame->runCommand(ID_ANIMATION_SETTINGS);
    EXPECT_EQ(state.startRow, 950);
    TypeAndConfirm("pointsPerOrbit", "100");
    frame->runCommand(ID_ANIMATION_SETTINGS);
    EXPECT_EQ(state.startRow, 898);
    EXPECT_EQ(state.position, 898);
}

TEST_F(FrameFixture, PositionAndBoxDialogs) {
    Load(1000, 100);
    TypeAndConfirm("position", "1200");
    frame->runCommand(ID_SYSTEM_POSITION);
    EXPECT_EQ(state.position, 899);
    TypeAndConfirm("xmax", "not a number");
    frame->runCommand(ID_GRAPHIC_BOX);
    EXPECT_EQ(host.messages.back(), "Please enter a number.");
    TypeAndConfirm("xmax", "10");
    frame->runCommand(ID_GRAPHIC_BOX);
    EXPECT_EQ(plot.xMax, 10);
}

/// What a user reads on a control: a label's, button's or group's text.
QString TextOf(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    return {};
}

/// The control named `key`, else the first whose text starts with `key`.
QWidget* Control(QDialog& dialog, const QString& key) {
    if (auto* named = dialog.findChild<QWidget*>(key)) return named;
    for (QWidget* widget : dialog.findChildren<QWidget*>())
        if (!key.isEmpty() && TextOf(widget).startsWith(key)) return widget;
    ADD_FAILURE() << "no control " << key;
    return &dialog;
}

/// Object names, or texts when unnamed, of the controls Tab visits, starting
/// at the focused one and going once around.
QStringList TabChain(QDialog& dialog) {
    QStringList chain;
    QWidget* const start = dialog.focusWidget();
    if (!start) return chain;
    QWidget* widget = start;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain << (widget->objectName().isEmpty() ? TextOf(widget) : widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != start);
    return chain;
}

template <typename Widget>
QStringList TextsOf(QDialog& dialog) {
    QStringList texts;
    for (QWidget* widget : dialog.findChildren<Widget*>()) texts << TextOf(widget);
    return texts;
}

/// Whether a static shows all its lines, or a check box its box and text.
bool ShowsAllText(QWidget* widget) {
    if (auto* label = qobject_cast<QLabel*>(widget))
        return label->heightForWidth(label->width()) <= label->height();
    if (auto* check = qobject_cast<QCheckBox*>(widget))
        return check->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                   check->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing) +
                   check->fontMetrics().horizontalAdvance(check->text()) <=
               check->width();
    return true;
}

/// Expects the caption, the tab order from the initial focus, the texts of
/// the statics and check boxes, OK as the default button, a fixed size, and
/// every control inside the dialog, showing all its text and, but for the
/// groups drawn behind, overlapping no other.
void ExpectDialog(QDialog& dialog, const QString& caption, const QStringList& chain,
                  const QStringList& statics, const QStringList& checks) {
    EXPECT_EQ(dialog.windowTitle(), caption);
    EXPECT_EQ(TabChain(dialog), chain);
    EXPECT_EQ(TextsOf<QLabel>(dialog), statics);
    EXPECT_EQ(TextsOf<QCheckBox>(dialog), checks);
    EXPECT_TRUE(qobject_cast<QPushButton*>(Control(dialog, "OK"))->isDefault());
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    const QList<QWidget*> controls = dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* a : controls) {
        const QString name = TextOf(a) + a->objectName();
        EXPECT_TRUE(dialog.rect().contains(a->geometry()) && ShowsAllText(a)) << name;
        for (QWidget* b : controls) {
            const bool group = qobject_cast<QGroupBox*>(a) || qobject_cast<QGroupBox*>(b);
            EXPECT_FALSE(a != b && !group && a->geometry().intersects(b->geometry())) << name;
        }
    }
}

/// Expects the controls left to right, sharing a row.
void ExpectRow(QDialog& dialog, const QStringList& keys) {
    for (int i = 1; i < keys.size(); ++i) {
        const QRect a = Control(dialog, keys[i - 1])->geometry(), b = Control(dialog, keys[i])->geometry();
        EXPECT_TRUE(a.right() < b.left() && a.top() <= b.bottom() && b.top() <= a.bottom()) << keys[i];
    }
}

/// Expects the controls top to bottom with their left edges aligned.
void ExpectColumn(QDialog& dialog, const QStringList& keys) {
    for (int i = 1; i < keys.size(); ++i) {
        const QRect a = Control(dialog, keys[i - 1])->geometry(), b = Control(dialog, keys[i])->geometry();
        EXPECT_TRUE(a.bottom() < b.top() && a.left() == b.left()) << keys[i];
    }
}

/// Expects the controls inside the group's frame.
void ExpectInGroup(QDialog& dialog, const QString& group, const QStringList& keys) {
    for (const QString& key : keys)
        EXPECT_TRUE(Control(dialog, group)->geometry().contains(Control(dialog, key)->geometry())) << key;
}

TEST_F(FrameFixture, AnimationSettingsLayout) {
    OnNextDialog([](QDialog& d) {
        ExpectDialog(
            d, "Animation Settings",
            {"frameDelayMs", "step", "pointsPerOrbit", "startRow", "drawAxes", "drawPlanets", "drawOrbits",
             "sunSize", "lineCount", "bodyCount", "OK", "Cancel"},
            {"Show one frame per \n\nRead file data by step", "msec (about - machine dependent)",
             "large value when elliptic orbit variation is presented",
             "Points per orbit to be drawn\n\nStart from data position", "Sun size", "Data lines\n\nbodies"},
            {"Draw axes", "Draw Planets", "Draw orbits"});
        ExpectRow(d, {"Show one frame", "frameDelayMs", "msec"});
        ExpectRow(d, {"Points per orbit", "pointsPerOrbit", "drawAxes"});
        ExpectRow(d, {"sunSize", "Sun size"});
        ExpectRow(d, {"bodyCount", "OK", "Cancel"});
        ExpectColumn(d, {"Speed", "Data"});
        ExpectColumn(d, {"frameDelayMs", "step"});
        ExpectColumn(d, {"pointsPerOrbit", "startRow"});
        ExpectColumn(d, {"drawAxes", "drawPlanets", "drawOrbits", "sunSize"});
        ExpectColumn(d, {"lineCount", "bodyCount"});
        ExpectInGroup(d, "Speed", {"Show one frame", "frameDelayMs", "step", "msec", "large value"});
        ExpectInGroup(d, "Data", {"lineCount", "bodyCount", "Data lines"});
        d.reject();
    });
    frame->runCommand(ID_ANIMATION_SETTINGS);
}

TEST_F(FrameFixture, SetPositionLayout) {
    OnNextDialog([](QDialog& d) {
        ExpectDialog(d, "Set position",
                     {"position", "lineCount", "drawOrbits", "drawPlanets", "OK", "Cancel"},
                     {"Data line No :", "max "}, {"show orbits", "show planets"});
        ExpectRow(d, {"Data line No :", "position", "max ", "lineCount"});
        ExpectRow(d, {"drawOrbits", "drawPlanets"});
        ExpectRow(d, {"OK", "Cancel"});
        ExpectColumn(d, {"Data line No :", "drawOrbits"});
        EXPECT_TRUE(d.findChild<QLineEdit*>("lineCount")->isReadOnly());
        d.reject();
    });
    frame->runCommand(ID_SYSTEM_POSITION);
}

TEST_F(FrameFixture, GraphicBoxLayout) {
    OnNextDialog([](QDialog& d) {
        ExpectDialog(d, "Graphic Box ", {"xmin", "ymin", "xmax", "ymax", "inUse", "size", "OK", "Cancel"},
                     {"Xmin = \n\nYmin = \n\nXmax = \n\nYmax = ", "size"}, {"in use"});
        ExpectRow(d, {"Xmin = ", "xmin"});
        ExpectColumn(d, {"xmin", "ymin", "xmax", "ymax"});
        ExpectColumn(d, {"Xmin = ", "Square Box"});
        ExpectRow(d, {"Square Box", "OK"});
        ExpectColumn(d, {"OK", "Cancel"});
        ExpectInGroup(d, "Square Box", {"inUse", "size"});
        d.reject();
    });
    frame->runCommand(ID_GRAPHIC_BOX);
}

}  // namespace

// Drag and drop, and the window icon.

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>

#include "app/about_dialog.h"

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
                           Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction) {
    const QPoint centre = target.rect().center();
    QDragEnterEvent enter(centre, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(&target, &enter);
    if (!enter.isAccepted()) return Qt::IgnoreAction;
    QDropEvent drop(centre, offered, &data, Qt::LeftButton, Qt::ShiftModifier);
    QApplication::sendEvent(&target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

TEST_F(FrameFixture, DroppedConfigurationLoadsAsNewSimulationDoes) {
    Load(100, 10);
    state.stopRequested = 0;  // playing, as after a start
    TempDir other;
    other.write("moon.dat", DataText(50, 2));  // found only from the configuration's folder
    const std::string config = other.write("Moon.OVX", ConfigText("moon.dat", 50, 2));
    int presented = 0;
    view()->onFramePresented = [&] { ++presented; };

    EXPECT_EQ(DragAndDrop(*view(), *Files({FileUrl(config)})), Qt::CopyAction);  // never a move
    EXPECT_EQ(state.stopRequested, 0);  // the drag's source is not kept waiting on the load
    QApplication::processEvents();
    EXPECT_EQ(state.configPath, config);
    EXPECT_EQ(std::filesystem::current_path(), other.path());
    EXPECT_EQ(state.stopRequested, 1);
    EXPECT_NE(state.dataLoaded, 0);
    EXPECT_EQ(state.bodyCount, 2);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_GT(presented, 0);
}

TEST_F(FrameFixture, DropsOfAnythingButOneLocalConfigurationAreRefusedAndChangeNothing) {
    Load(100, 10);
    state.stopRequested = 0;
    const std::string loaded = state.configPath;
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
        {"data file", Files({FileUrl(other.write("b.dat", DataText(10, 1)))})},
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
    EXPECT_EQ(state.configPath, loaded);
    EXPECT_EQ(std::filesystem::current_path(), folder);
    EXPECT_EQ(state.stopRequested, 0);
    EXPECT_TRUE(host.messages.empty());
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

}  // namespace

namespace {

/// The playback bar, the keys and the mouse, driven with real events.
struct PlaybackFixture : FrameFixture {
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(view(), Qt::Key(key), modifiers);
        view()->repaint();
    }
    /// Loads two bodies in a box wide enough to hold their first 300 rows.
    void LoadWide(int rows, int trail) {
        dir.write("wide.dat", DataText(rows, 2));
        dialog.choices.push_back(
            dir.write("wide.ovx", ConfigText("wide.dat", rows, 2, 1, trail, 0, "-300 -300 300 300")));
        frame->runCommand(ID_NEW_SIMULATION);
    }
    /// A copy of the view's raster after a full repaint.
    QImage Picture() {
        view()->invalidate();
        view()->repaint();
        return view()->frame()->copy();
    }
};

TEST_F(PlaybackFixture, KeysPlayPauseStepJumpAndChangeSpeed) {
    Load(1000, 10, 3);
    ASSERT_EQ(state.stopRequested, 1);  // what loading leaves
    Key(Qt::Key_Space);                 // plays at once, unlike the toolbar's Start
    EXPECT_TRUE(view()->timerRunning());
    EXPECT_GT(TicksWhileRunning(5), 4);
    Key(Qt::Key_Space);  // pauses after the current tick
    EXPECT_EQ(TicksWhileRunning(10), 1);
    const int paused = state.position;

    Key(Qt::Key_Right);
    EXPECT_EQ(state.position, paused + 3);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    EXPECT_EQ(state.position, paused - 3);
    Key(Qt::Key_End);
    EXPECT_EQ(state.position, LastPlayableRow(state));
    Key(Qt::Key_Right);  // never past the last playable row
    EXPECT_EQ(state.position, LastPlayableRow(state));
    Key(Qt::Key_Home);
    EXPECT_EQ(state.position, 0);
    Key(Qt::Key_Left);
    EXPECT_EQ(state.position, 0);
    EXPECT_FALSE(view()->timerRunning());

    const double speed = RowsPerSecond(state);
    Key(Qt::Key_BracketRight);
    EXPECT_EQ(RowsPerSecond(state), 2 * speed);
    Key(Qt::Key_BracketLeft);
    Key(Qt::Key_BracketLeft);
    EXPECT_EQ(RowsPerSecond(state), speed / 2);
    frame->playbackBar()->refresh();
    EXPECT_EQ(frame->playbackBar()->speed()->text().toStdString(), SpeedReadout(state));

    Key(Qt::Key_L);
    EXPECT_EQ(state.loopPlayback, 1);
    EXPECT_TRUE(frame->action(ID_LOOP)->isChecked());
}

TEST_F(PlaybackFixture, GoToTimeTakesTheFirstRowAtOrAfterItAndRefusesText) {
    Load(1000, 10);
    TypeAndConfirm("time", "12.5");  // rows hold the times 0, 1, 2, ...
    Key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_EQ(state.position, 13);
    OnNextDialog([](QDialog& d) {
        d.findChild<QLineEdit*>("time")->setText("soon");
        d.accept();
        d.reject();
    });
    frame->runCommand(ID_GO_TO_TIME);
    EXPECT_EQ(host.messages.back(), "Please enter a number.");
    EXPECT_EQ(state.position, 13);
}

TEST_F(PlaybackFixture, SliderFollowsThePlaybackAndSeeksWhenClicked) {
    LoadWide(400, 10);
    PlaybackBar* bar = frame->playbackBar();
    ASSERT_TRUE(bar->isVisible());
    Key(Qt::Key_Space);
    TicksWhileRunning(40);
    bar->refresh();
    EXPECT_EQ(bar->slider()->value(), state.position);
    EXPECT_EQ(bar->slider()->maximum(), LastPlayableRow(state));
    EXPECT_EQ(bar->readout()->text().toStdString(), PlaybackReadout(state));

    const QImage before = Picture();
    QSlider* slider = bar->slider();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() * 3 / 4, slider->height() / 2));
    EXPECT_FALSE(view()->timerRunning());  // a seek stops the playback
    EXPECT_NEAR(state.position, 0.75 * LastPlayableRow(state), 0.1 * LastPlayableRow(state));
    EXPECT_EQ(slider->value(), state.position);
    EXPECT_NE(Picture(), before);

    frame->runCommand(ID_VIEW_PLAYBACK_BAR);
    EXPECT_FALSE(bar->isVisible());
}

TEST_F(PlaybackFixture, LoopGoesBackToTheStartAndPlaysOn) {
    Load(100, 10);
    frame->runCommand(ID_LOOP);
    Key(Qt::Key_Space);
    EXPECT_EQ(TicksWhileRunning(200), 200);
    EXPECT_TRUE(view()->timerRunning());
    EXPECT_LT(state.position, 90);
}

TEST_F(PlaybackFixture, WheelZoomsAboutThePointerAndDragPans) {
    Load(1000, 10);
    view()->repaint();
    const QPoint at(150, 200);
    auto worldAt = [&](QPoint p) {
        return std::pair{(p.x() + plot.xOffset) / plot.xScale, (p.y() + plot.yOffset) / plot.yScale};
    };
    const QPoint inRaster = at - view()->contentsRect().topLeft();
    const auto [wx, wy] = worldAt(inRaster);
    const double width = plot.xMax - plot.xMin;
    QWheelEvent wheel(at, view()->mapToGlobal(at), {}, QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view(), &wheel);
    view()->repaint();
    EXPECT_NEAR(plot.xMax - plot.xMin, 0.8 * width, 1e-9 * width);
    const auto [zx, zy] = worldAt(inRaster);
    EXPECT_NEAR(zx, wx, 1.0 / plot.xScale);  // the point under the pointer stays there
    EXPECT_NEAR(zy, wy, 1.0 / -plot.yScale);

    const double xMin = plot.xMin, yMin = plot.yMin, perPixel = 1.0 / plot.xScale,
                 perRow = -1.0 / plot.yScale;
    QTest::mousePress(view(), Qt::LeftButton, {}, at);
    QTest::mouseMove(view(), at + QPoint(30, -20));
    QTest::mouseRelease(view(), Qt::LeftButton, {}, at + QPoint(30, -20));
    // The picture follows the pointer: right and up, so the box goes left and down.
    EXPECT_NEAR(plot.xMin, xMin - 30 * perPixel, 1e-9);
    EXPECT_NEAR(plot.yMin, yMin - 20 * perRow, 1e-9);

    frame->runCommand(ID_CONFIGURED_BOX);
    EXPECT_EQ((std::array{plot.xMin, plot.yMin, plot.xMax, plot.yMax}), (std::array{-2.0, -2.0, 2.0, 2.0}));
    Key(Qt::Key_F);  // the data runs far outside the configured box
    EXPECT_GT(plot.xMax, 100);
}

TEST_F(PlaybackFixture, ZoomDuringPlaybackKeepsPlaying) {
    Load(1000, 10);
    Key(Qt::Key_Space);
    TicksWhileRunning(5);
    QWheelEvent wheel(QPointF(100, 100), view()->mapToGlobal(QPointF(100, 100)), {}, QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view(), &wheel);
    view()->repaint();
    EXPECT_TRUE(view()->timerRunning());
}

TEST_F(PlaybackFixture, NewOptionsOffLeaveThePictureAsItWas) {
    LoadWide(1000, 50);
    state.position = 200;  // so that a trail behind has rows to show
    const QImage classic = Picture();
    for (int id : {ID_EQUAL_ASPECT, ID_FADE_TRAILS, ID_TRAIL_BOTH}) {
        frame->runCommand(id);
        EXPECT_NE(Picture(), classic) << id;
        frame->runCommand(id == ID_TRAIL_BOTH ? int(ID_TRAIL_AHEAD) : id);
        EXPECT_EQ(Picture(), classic) << id;
    }
}

TEST_F(PlaybackFixture, PlaybackMenuShowsItsKeys) {
    const QList<QAction*> menus = frame->menuBar()->actions();
    ASSERT_EQ(menus[3]->text(), "&Playback");
    for (QAction* a : menus[3]->menu()->actions())
        EXPECT_TRUE(a->isSeparator() || !a->shortcut().isEmpty()) << a->text().toStdString();
    EXPECT_EQ(frame->action(ID_PLAY_PAUSE)->shortcut(), QKeySequence(Qt::Key_Space));
}

}  // namespace

namespace {

/// Following a data file that grows while the window plays it.
struct FollowFixture : PlaybackFixture {
    std::string data;
    /// Writes `rows` rows of one body and a configuration that counts `count`.
    void LoadFollowed(int rows, int count, int trail = 10) {
        data = dir.write("grow.dat", DataText(rows, 1));
        frame->runCommand(ID_FOLLOW_DATA);
        dialog.choices.push_back(dir.write("grow.ovx", ConfigText("grow.dat", count, 1, 1, trail)));
        frame->runCommand(ID_NEW_SIMULATION);
        view()->repaint();
    }
    void AppendRows(int from, int to) {
        std::string text;
        for (int r = from; r < to; ++r)
            text += std::to_string(r) + " " + std::to_string(r + 0.1) + " " + std::to_string(-r - 0.1) + "\n";
        std::ofstream(data, std::ios::app) << text;
    }
};

TEST_F(FollowFixture, ShortFileLoadsWithoutQuestionAndThePlaybackWaitsThenGoesOn) {
    LoadFollowed(60, 1000);
    EXPECT_TRUE(host.messages.empty());  // no short-file question while following
    EXPECT_EQ(state.lineCount, 60);
    Key(Qt::Key_Space);
    TicksWhileRunning(1000);
    EXPECT_FALSE(view()->timerRunning());
    EXPECT_TRUE(frame->dataFollow()->waiting());
    EXPECT_EQ(host.notes.back(), "Waiting for data");
    const int waitedAt = state.position;

    AppendRows(60, 90);
    frame->dataFollow()->check();
    view()->repaint();
    EXPECT_EQ(state.lineCount, 90);
    EXPECT_TRUE(view()->timerRunning());  // goes on by itself
    EXPECT_GT(TicksWhileRunning(1000), 10);
    EXPECT_GT(state.position, waitedAt);
    EXPECT_EQ(state.rows->time(89), 89);
}

TEST_F(FollowFixture, TextThatIsNotANumberStopsFollowingAndKeepsTheRows) {
    LoadFollowed(40, 40);
    AppendRows(40, 45);
    std::ofstream(data, std::ios::app) << "45 forty-five 0\n46 1 2\n";
    frame->dataFollow()->check();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("Row 45 "), std::string::npos) << host.messages[0];
    EXPECT_EQ(state.lineCount, 45);
    EXPECT_FALSE(frame->action(ID_FOLLOW_DATA)->isChecked());
    EXPECT_FALSE(frame->dataFollow()->enabled());
}

TEST_F(FollowFixture, ARestartedFileIsReadAgainAndOffAndOnPicksUpWhatCameMeanwhile) {
    LoadFollowed(80, 80);
    std::filesystem::resize_file(data, 0);
    AppendRows(0, 30);  // the writer started again
    frame->dataFollow()->check();
    EXPECT_EQ(state.lineCount, 30);
    EXPECT_NE(host.notes.back().find("started again"), std::string::npos);

    frame->runCommand(ID_FOLLOW_DATA);  // off: appended rows wait
    AppendRows(30, 50);
    frame->dataFollow()->check();
    EXPECT_EQ(state.lineCount, 30);
    frame->runCommand(ID_FOLLOW_DATA);  // on again
    EXPECT_EQ(state.lineCount, 50);
}

TEST_F(FollowFixture, ALoadWhileFollowingIsFollowedAndNothingOutlivesTheWindow) {
    LoadFollowed(50, 50);
    dir.write("other.dat", DataText(20, 1));
    dialog.choices.push_back(dir.write("other.ovx", ConfigText("other.dat", 500, 1)));
    frame->runCommand(ID_NEW_SIMULATION);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.lineCount, 20);
    std::ofstream(dir.path() + "/other.dat", std::ios::app) << "20 1 1\n21 2 2\n";
    frame->dataFollow()->check();
    EXPECT_EQ(state.lineCount, 22);
    QPointer<FollowWatcher> follow = frame->dataFollow();
    frame.reset();
    EXPECT_TRUE(follow.isNull());
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
