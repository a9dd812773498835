// The classic settings dialogs opened from the window: what they accept and
// refuse, and their layout.

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include "app/command_ids.h"
#include "app/playback_bar.h"
#include "window_fixture.h"

namespace {

TEST_F(FrameFixture, SettingsDialogRefusesAnOutOfRangeTrailAndKeepsTheSettings) {
    Load(1000, 10);
    state.loaded().fields.startRow = 40;
    TypeAndConfirm("pointsPerOrbit", "0");
    frame->runCommand(ID_ANIMATION_SETTINGS);
    EXPECT_EQ(host.messages.back(), "Please enter an integer between 1 and 10000.");
    EXPECT_EQ(state.view.trailLength, 10);
    EXPECT_EQ(state.playback.position, 40);  // even Cancel moves the bodies to the start row

    TypeAndConfirm("startRow", "950");
    frame->runCommand(ID_ANIMATION_SETTINGS);
    EXPECT_EQ(state.loaded().fields.startRow, 950);
    TypeAndConfirm("pointsPerOrbit", "100");
    frame->runCommand(ID_ANIMATION_SETTINGS);
    EXPECT_EQ(state.loaded().fields.startRow, 898);
    EXPECT_EQ(state.playback.position, 898);
}

TEST_F(FrameFixture, PositionAndBoxDialogs) {
    Load(1000, 100);
    TypeAndConfirm("position", "1200");
    frame->runCommand(ID_SYSTEM_POSITION);
    EXPECT_EQ(state.playback.position, 899);
    TypeAndConfirm("xmax", "not a number");
    frame->runCommand(ID_GRAPHIC_BOX);
    EXPECT_EQ(host.messages.back(), "Please enter a number.");
    TypeAndConfirm("xmax", "10");
    frame->runCommand(ID_GRAPHIC_BOX);
    EXPECT_EQ(plot.xMax, 10);
}

TEST_F(FrameFixture, DialogsShowTheRowsTheReadoutCounts) {
    Load(100, 10);
    // A configuration that counts more lines than the data read holds.
    dialog.choices.push_back(dir.write("more.ovx", ConfigText("sim.dat", 5000, 1)));
    frame->runCommand(ID_LOAD_CONFIGURATION);
    ASSERT_EQ(state.loaded().fields.lineCount, 5000);
    frame->playbackBar()->refresh();
    EXPECT_TRUE(frame->playbackBar()->readout()->text().endsWith(" of 100"))
        << frame->playbackBar()->readout()->text();
    for (const int id : {ID_ANIMATION_SETTINGS, ID_SYSTEM_POSITION}) {
        QString shown;
        OnNextDialog([&shown](QDialog& d) {
            shown = d.findChild<QLineEdit*>("lineCount")->text();
            d.reject();
        });
        frame->runCommand(id);
        EXPECT_EQ(shown, "100") << id;
    }
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
