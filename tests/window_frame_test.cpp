// The window's frames of reference, and what it tells about the point and
// the body under the pointer.

#include <QLabel>
#include <QTest>
#include <cmath>

#include "animation/point_readout.h"
#include "app/command_ids.h"
#include "app/simulation_view.h"
#include "window_fixture.h"

namespace {

constexpr QRgb kGreen = 0xFF007800, kBlue = 0xFF0000B4;  // colour codes 4 and 5

/// Two bodies on circles about the sun, radii 1 and 1.6, named.
std::string Circles(int rows) {
    std::string data;
    for (int r = 0; r < rows; ++r) {
        const double a1 = r * 0.05, a2 = r * 0.05 / std::pow(1.6, 1.5) + 1;
        data += std::to_string(r * 0.05) + " " + std::to_string(std::cos(a1)) + " " +
                std::to_string(std::sin(a1)) + " " + std::to_string(1.6 * std::cos(a2)) + " " +
                std::to_string(1.6 * std::sin(a2)) + "\n";
    }
    return data;
}

std::string CirclesConfig(int rows, int bodies) {
    return "data = two.dat\nlines = " + std::to_string(rows) + "\nbodies = " + std::to_string(bodies) +
           "\nradii = 3 3\ncolours = 4 5\nbox = -2 -2 2 2\ndelay = 20\nstep = 1\npoints = 10\nstart = 0\n"
           "sun = 4\naxes = 1\nplanets = 1\norbits = 0\nnames = Inner Outer\nlength unit = AU\n"
           "time unit = yr\n";
}

/// The centre of the pixels of `colour` in `image`.
QPointF CentreOf(const QImage& image, QRgb colour) {
    double x = 0, y = 0, n = 0;
    for (int j = 0; j < image.height(); ++j)
        for (int i = 0; i < image.width(); ++i)
            if (image.pixel(i, j) == colour) x += i, y += j, ++n;
    return n ? QPointF(x / n, y / n) : QPointF(-1, -1);
}

struct WindowFrames : FrameFixture {
    void LoadCircles(int rows = 300) {
        dir.write("two.dat", Circles(rows));
        dialog.choices.push_back(dir.write("two.ovx", CirclesConfig(rows, 2)));
        ASSERT_TRUE(frame->runCommand(ID_NEW_SIMULATION));
        view()->repaint();
    }
    QImage Shown() {
        view()->repaint();
        return view()->frame()->copy();
    }
    /// Where body `colour`'s disc is, in the view's widget coordinates.
    QPoint DiscOf(QRgb colour) {
        return CentreOf(Shown(), colour).toPoint() + view()->contentsRect().topLeft();
    }
};

TEST_F(WindowFrames, CtrlClickCentresOnABodyAndEscapeGivesBackTheDataAsItWas) {
    LoadCircles();
    const QImage inertial = Shown();
    QTest::mouseClick(view(), Qt::LeftButton, Qt::ControlModifier, DiscOf(kBlue));
    EXPECT_EQ(FrameText(state.view.frame), "centre:2");
    const QPointF centre = CentreOf(Shown(), kBlue);
    EXPECT_NEAR(centre.x(), (view()->contentsRect().width() - 1) / 2.0, 1.5);
    EXPECT_NEAR(centre.y(), (view()->contentsRect().height() - 1) / 2.0, 1.5);
    // A Ctrl+click beside every disc changes nothing; a plain click does not centre.
    QTest::mouseClick(view(), Qt::LeftButton, Qt::ControlModifier, QPoint(3, 3));
    QTest::mouseClick(view(), Qt::LeftButton, Qt::NoModifier, DiscOf(kGreen));
    EXPECT_EQ(FrameText(state.view.frame), "centre:2");
    Key(Qt::Key_Escape);
    EXPECT_EQ(state.view.frame.kind, ReferenceFrame::Kind::Inertial);
    EXPECT_TRUE(frame->action(ID_FRAME_INERTIAL)->isChecked());
    EXPECT_TRUE(Shown() == inertial);
}

TEST_F(WindowFrames, ATurningFrameHoldsItsBodyOnOnePixelOverTwoHundredTicks) {
    LoadCircles();
    ASSERT_EQ(frame->showFrame("rotate:1"), "");
    const QPoint held = CentreOf(Shown(), kGreen).toPoint();
    const QPoint outerAtStart = CentreOf(Shown(), kBlue).toPoint();
    Key(Qt::Key_Space);
    for (int tick = 0; tick < 200; ++tick) {
        ASSERT_TRUE(view()->timerRunning()) << tick;
        view()->deliverTick();
        ASSERT_EQ(CentreOf(*view()->frame(), kGreen).toPoint(), held) << tick;
    }
    EXPECT_NE(CentreOf(*view()->frame(), kBlue).toPoint(), outerAtStart);
}

TEST_F(WindowFrames, AReloadKeepsTheFrameWhereItCanAndDropsItWithANoteWhereItCannot) {
    LoadCircles();
    ASSERT_EQ(frame->showFrame("centre:2"), "");
    ASSERT_TRUE(frame->runCommand(ID_RELOAD_SIMULATION));
    EXPECT_EQ(FrameText(state.view.frame), "centre:2");
    EXPECT_TRUE(state.framed());
    dir.write("two.ovx", CirclesConfig(300, 1));
    ASSERT_TRUE(frame->runCommand(ID_RELOAD_SIMULATION));
    EXPECT_EQ(state.view.frame.kind, ReferenceFrame::Kind::Inertial);
    ASSERT_FALSE(host.notes.empty());
    EXPECT_EQ(host.notes.back(),
              "The view is back in the inertial frame: the frame centred on body 2 cannot be shown here "
              "(no body 2: the bodies are 1 to 1)");
    // The barycentre without masses is refused with its reason.
    frame->runCommand(ID_FRAME_BARYCENTRE);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_NE(host.messages.back().find("The frame cannot be shown: the barycentre needs"),
              std::string::npos);
    EXPECT_TRUE(frame->action(ID_FRAME_INERTIAL)->isChecked());
}

TEST_F(WindowFrames, ThePointerTellsWhereItIsAndABodysDiscItsValues) {
    LoadCircles();
    ASSERT_EQ(frame->showFrame("centre:1"), "");
    const QPoint disc = DiscOf(kBlue);
    QTest::mouseMove(view(), disc);
    const QString place = frame->pointerLabel()->text();
    EXPECT_TRUE(place.startsWith("x = ")) << place;
    EXPECT_TRUE(place.contains(" AU   y = ")) << place;
    const std::optional<BodyReadout> outer = ReadBody(state, 2, state.playback.position);
    ASSERT_TRUE(outer);
    EXPECT_EQ(view()->hoverText().toStdString(), BodyReadoutText(state, *outer));
    QTest::mouseMove(view(), QPoint(2, 2));
    EXPECT_EQ(view()->hoverText(), "");
}

}  // namespace
