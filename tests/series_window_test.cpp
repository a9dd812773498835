// The panel of time series in the window: shown from the View menu, the
// same picture as the renderer's, seeking where it is clicked, and part of
// the pictures the window exports.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "app/command_ids.h"
#include "app/scaled_paint.h"
#include "app/series_commands.h"
#include "app/series_panel_view.h"
#include "app/simulation_view.h"
#include "panel/panel_series.h"
#include "window_fixture.h"

namespace {

/// The count of pixels of two pictures of one size that differ.
int Differing(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size()) return -1;
    int count = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) count += x.pixel(col, row) != y.pixel(col, row);
    return count;
}

TEST_F(FrameFixture, TheTimeSeriesPanelShowsSeeksAndPaintsAsTheRendererDoes) {
    Load(400, 10);
    SeriesPanelView* panel = frame->seriesCommands()->panel();
    EXPECT_FALSE(panel->isVisible()) << "a classic document opens without it";
    frame->action(ID_VIEW_SERIES)->trigger();
    ASSERT_TRUE(panel->isVisible());
    EXPECT_TRUE(state.view.panel.shown);
    QApplication::processEvents();
    frame->goToRow(123);
    view()->repaint();
    panel->repaint();
    ASSERT_EQ(panel->series().plots.size(), 1u) << "the distances alone without mu";

    // The window's picture of the panel (the picture under the cursor and the
    // cursor over it) is the renderer's, made in one pass.
    const QImage shown = panel->grab().toImage();
    const QImage rendered =
        PaintScaledPicture(state, plot, view()->width(), view()->height(),
                           {.panel = &panel->series(), .panelHeight = panel->height(), .panelOnly = true});
    EXPECT_EQ(Differing(shown, rendered), 0);

    // A click seeks to the row nearest the time under the pointer; the
    // cursor follows to the next paint.
    const PanelLayout& layout = panel->layout();
    ASSERT_EQ(layout.boxes.size(), 1u);
    const ViewRect& box = layout.boxes[0];
    const int x = int(box.left + (box.right - box.left) * 0.75);
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(x, int((box.top + box.bottom) / 2)));
    const int32_t row = RowNearestTime(state, panel->series(), PanelTimeAt(layout, x));
    EXPECT_GT(row, 250);
    EXPECT_EQ(state.playback.position, row);

    // Export Picture writes the view over the panel.
    const std::string path = dir.path() + "/with-panel.png";
    ASSERT_EQ(frame->exportPicture(QString::fromStdString(path), 1), "");
    const QImage written(QString::fromStdString(path));
    EXPECT_EQ(written.width(), view()->frame()->width());
    EXPECT_EQ(written.height(), view()->frame()->height() + panel->height());
    // The panel alone, as the renderer paints it.
    const std::string alone = dir.path() + "/panel.png";
    ASSERT_EQ(frame->exportPicture(QString::fromStdString(alone), 1, true), "");
    EXPECT_EQ(QImage(QString::fromStdString(alone)).size(), QSize(view()->frame()->width(), panel->height()));

    // --plot names what to plot; a bad list is refused, the panel kept.
    EXPECT_EQ(frame->seriesCommands()->choose("r:1,sep:1-1"), "'sep:1-1' names one body twice");
    EXPECT_EQ(frame->seriesCommands()->choose("v:1,r:1"), "");
    panel->repaint();
    ASSERT_EQ(panel->series().plots.size(), 2u);
    EXPECT_EQ(panel->series().plots[0].title, "v");

    frame->action(ID_VIEW_SERIES)->trigger();
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(state.view.panel.shown);
    EXPECT_EQ(frame->exportPicture(QString::fromStdString(alone), 1, true),
              "The panel of time series is not shown");
}

TEST_F(FrameFixture, TheQuantitiesDialogEditsTheListAndRefusesOneTheDataCannotGive) {
    Load(200, 10);
    std::string problem;
    OnNextDialog([&](QDialog& d) {
        auto* text = d.findChild<QLineEdit*>("quantities");
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->text(), "r") << "a panel opens with the distances";
        d.findChild<QCheckBox*>("v")->setChecked(true);
        EXPECT_EQ(text->text(), "r,v");
        d.findChild<QCheckBox*>("r")->setChecked(false);
        EXPECT_EQ(text->text(), "v");
        text->setText("v,a:9");
        QTest::keyClick(text, Qt::Key_Return);
        problem = d.findChild<QLabel*>("problem")->text().toStdString();
        EXPECT_TRUE(d.isVisible()) << "kept open to mend the list";
        text->setText("v");
        QTest::keyClick(text, Qt::Key_Return);
    });
    frame->runCommand(ID_SERIES_QUANTITIES);
    EXPECT_NE(problem.find("no body 9"), std::string::npos) << problem;
    EXPECT_EQ(state.view.panel.list, "v");
    EXPECT_TRUE(state.view.panel.shown);
    EXPECT_TRUE(frame->action(ID_VIEW_SERIES)->isChecked());
}

}  // namespace
