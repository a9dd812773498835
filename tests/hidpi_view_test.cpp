#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSet>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "animation/drawing_routines.h"
#include "animation/simulation_state.h"
#include "animation/tick_damage.h"
#include "animation/view_projection.h"
#include "app/command_ids.h"
#include "app/painter_surface.h"
#include "app/scaled_paint.h"
#include "app/simulation_view.h"
#include "window_fixture.h"

namespace {

/// Distinct colours in `image`.
int Colours(const QImage& image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    return int(colours.size());
}

/// A shown main window with nothing loaded, on a screen of device pixel ratio 2.
struct HighDensityView : FrameFixture {};

TEST_F(HighDensityView, DrawsAtTheScreensRatioAndKeepsTheRasterForExport) {
    dir.write("sim.dat", DataText(100, 2));
    frame->openAtStart(dir.write("sim.ovx", ConfigText("sim.dat", 100, 2, 1, 20, 0, "-3 -3 3 3")));
    frame->runCommand(ID_TOGGLE_FULL_WINDOW);
    frame->view()->repaint();
    ASSERT_GE(frame->view()->devicePixelRatioF(), 2.0);

    const QImage* raster = frame->view()->frame();
    ASSERT_TRUE(raster);
    const QImage shown = frame->view()->grab(frame->view()->contentsRect()).toImage();
    EXPECT_EQ(shown.size(), raster->size() * 2);
    // The raster has a handful of flat colours, and stretched it keeps them;
    // drawn at the ratio, the smooth edges of text and discs add many more.
    EXPECT_LT(Colours(*raster), 10);
    EXPECT_GT(Colours(shown), 50);
}

/// The rows of `a` and `b`, of one size, whose colours differ.
int RowsThatDiffer(const QImage& a, const QImage& b) {
    int rows = 0;
    for (int y = 0; y < b.height(); ++y) {
        const QRgb* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        bool differs = false;
        for (int x = 0; x < b.width() && !differs; ++x) differs = (p[x] & 0xFFFFFF) != (q[x] & 0xFFFFFF);
        rows += differs;
    }
    return rows;
}

/// Plays three bodies on crossing ellipses that leave the box now and then,
/// trails of 60 rows, in the look `style` and the trail mode `trail`, 200
/// ticks forward and then 150
/// back; after every tenth tick the picture on the screen must be the one a
/// full paint at that row makes, though each tick paints only what it
/// changed. Then 150 ticks forward again bring back the very picture the
/// playback turned round at.
/// Sends a mouse event to the view.
void Send(SimulationView& view, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
          Qt::KeyboardModifiers keys = {}) {
    QMouseEvent event(type, QPointF(at), view.mapToGlobal(QPointF(at)), button, held, keys);
    QApplication::sendEvent(&view, &event);
}

/// With `turningDrag`, the ticks come while a drag with the right button
/// holds the view turned.
void ExpectTicksShowWhatAFullPaintShows(FrameFixture& f, int style, int trail = ID_TRAIL_AHEAD,
                                        const std::string& referenceFrame = {}, bool runCompared = false,
                                        bool turningDrag = false) {
    // With a run compared: every other row of the same, a little wider.
    const auto ellipses = [](int every, double scale) {
        std::ostringstream data;
        for (int r = 0; r < 400; r += every) {
            data << r * 0.01;
            for (int k = 1; k <= 3; ++k)
                data << ' ' << scale * (k % 2 ? 1.2 : 0.5) * k * std::cos(r * 0.05 * k) << ' '
                     << scale * (k % 2 ? 0.5 : 1.2) * k * std::sin(r * 0.05 * k);
            data << '\n';
        }
        return data.str();
    };
    f.dir.write("sim.dat", ellipses(1, 1));
    f.frame->openAtStart(f.dir.write("sim.ovx", ConfigText("sim.dat", 400, 3, 1, 60, 0, "-3 -3 3 3") +
                                                    "names = one two three\ntime unit = yr\n"));
    if (runCompared) {
        ASSERT_TRUE(f.frame->addRuns({f.dir.write("other.txt", ellipses(2, 1.05))}, {}));
    }
    f.frame->runCommand(style);
    f.frame->runCommand(trail);
    if (!referenceFrame.empty()) {
        ASSERT_EQ(f.frame->showFrame(referenceFrame), "");
    }
    if (turningDrag) {
        Send(*f.frame->view(), QEvent::MouseButtonPress, {100, 100}, Qt::RightButton, Qt::RightButton);
        Send(*f.frame->view(), QEvent::MouseMove, {130, 80}, Qt::NoButton, Qt::RightButton);
        ASSERT_TRUE(f.state.first().projected.partial);
    }
    f.frame->view()->repaint();
    ASSERT_GE(f.frame->view()->devicePixelRatioF(), 2.0);
    const QSize size = f.frame->view()->contentsRect().size();
    const auto shown = [&] { return f.frame->view()->sharpFrame().convertToFormat(QImage::Format_RGB32); };
    QImage turn, turnRaster;
    for (int tick = 0; tick <= 350; ++tick) {
        if (tick == 201) {
            turn = shown(), turnRaster = f.frame->view()->frame()->copy();
            f.state.playback.direction = -1;  // back from row 200, as Play Backwards turns a playback round
        }
        if (tick) f.frame->view()->deliverTick();
        if (turningDrag) {
            // The tick drew only rows made for the turned view.
            const auto [first, last] = TrailRowSpan(RunAt(f.state));
            ASSERT_GE(first, f.state.first().shownRowSpan().first) << tick;
            ASSERT_LE(last, f.state.first().shownRowSpan().last) << tick;
        }
        if (tick % 10) continue;
        f.frame->view()->repaint();
        const QImage full = PaintScaledPicture(f.state, f.plot, size.width(), size.height(),
                                               {.scale = 2, .statusLine = tick > 0});
        ASSERT_EQ(shown().size(), full.size());
        // Both looks match to the last bit, both ways.
        ASSERT_EQ(RowsThatDiffer(shown(), full), 0) << "rows differ from a full paint after tick " << tick
                                                    << ", at row " << f.state.playback.position;
    }
    ASSERT_EQ(f.state.playback.position, 50);
    f.state.playback.direction = 1;
    for (int tick = 0; tick < 150; ++tick) f.frame->view()->deliverTick();
    f.frame->view()->repaint();
    EXPECT_EQ(f.state.playback.position, 200);
    EXPECT_TRUE(shown() == turn);
    EXPECT_TRUE(*f.frame->view()->frame() == turnRaster);
    if (!turningDrag) return;
    // The drag's end projects every row, as a turn by the keys does.
    const std::vector<double> drawn(f.state.shownRows()->track(3, 0), f.state.shownRows()->track(3, 400));
    Send(*f.frame->view(), QEvent::MouseButtonRelease, {130, 80}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(f.state.first().shownRowSpan().last, 400);
    TurnView(f.state, f.state.view.turn);
    const std::vector<double> whole(f.state.shownRows()->track(3, 0), f.state.shownRows()->track(3, 400));
    EXPECT_EQ(drawn.size(), whole.size());
    EXPECT_TRUE(drawn != whole);  // rows the drag did not show were not projected
}

TEST_F(HighDensityView, TicksPaintOnlyWhatChangedAndShowWhatAFullPaintShows) {
    ExpectTicksShowWhatAFullPaintShows(*this, ID_STYLE_CLASSIC);
}

TEST_F(HighDensityView, InThePublicationLookTooTicksPaintOnlyWhatChangedAsAFullPaintShows) {
    ExpectTicksShowWhatAFullPaintShows(*this, ID_STYLE_PUBLICATION);
}

TEST_F(HighDensityView, WithTrailsBothWaysTicksShowWhatAFullPaintShowsInBothLooks) {
    // Going back, a trail's rows enter at its far end, away from the discs,
    // under the steps drawn before them.
    for (const int style : {ID_STYLE_CLASSIC, ID_STYLE_PUBLICATION}) {
        SCOPED_TRACE(style);
        ExpectTicksShowWhatAFullPaintShows(*this, style, ID_TRAIL_BOTH);
    }
}

TEST_F(HighDensityView, InAScaledTurningFrameTicksShowWhatAFullPaintShowsInBothLooks) {
    // Body 1 stands on one spot, its steps of no length; the sun stays at
    // the origin while the others turn about it.
    for (const int style : {ID_STYLE_CLASSIC, ID_STYLE_PUBLICATION}) {
        SCOPED_TRACE(style);
        ExpectTicksShowWhatAFullPaintShows(*this, style, ID_TRAIL_AHEAD, "rotate:1,scaled");
    }
}

TEST_F(HighDensityView, WithARunComparedTicksShowWhatTheRendererPaintsInBothLooks) {
    for (const int style : {ID_STYLE_CLASSIC, ID_STYLE_PUBLICATION}) {
        SCOPED_TRACE(style);
        ExpectTicksShowWhatAFullPaintShows(*this, style, ID_TRAIL_BOTH, {}, true);
    }
}

TEST_F(HighDensityView, InATurnedViewTicksShowWhatAFullPaintShowsInBothLooks) {
    // A load keeps the camera turned, as it keeps the frame.
    TurnView(state, {35, 20, 0});
    for (const int style : {ID_STYLE_CLASSIC, ID_STYLE_PUBLICATION}) {
        SCOPED_TRACE(style);
        ExpectTicksShowWhatAFullPaintShows(*this, style, ID_TRAIL_BOTH, "centre:2");
    }
}

TEST_F(HighDensityView, WhileADragTurnsTheViewTicksShowWhatAFullPaintShows) {
    // Only the rows the picture shows are projected then, as the playback
    // moves on.
    ExpectTicksShowWhatAFullPaintShows(*this, ID_STYLE_CLASSIC, ID_TRAIL_BOTH, "centre:2", true, true);
}

TEST_F(HighDensityView, ADragWithTheRightButtonTurnsTheViewAsTheRendererShowsIt) {
    std::string data;
    for (int r = 0; r < 100; ++r)
        data += std::to_string(r) + " " + std::to_string(std::cos(r * 0.1)) + " " +
                std::to_string(std::sin(r * 0.1)) + "\n";
    dir.write("sim.dat", data);
    frame->openAtStart(dir.write("sim.ovx", ConfigText("sim.dat", 100, 1, 1, 30, 0, "-2 -2 2 2")));
    frame->runCommand(ID_STYLE_PUBLICATION);
    SimulationView& view = *frame->view();
    const auto send = [&](QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
                          Qt::KeyboardModifiers keys = {}) {
        QMouseEvent event(type, QPointF(at), view.mapToGlobal(QPointF(at)), button, held, keys);
        QApplication::sendEvent(&view, &event);
    };
    // 40 pixels right and 60 down: 20 degrees about the normal, the camera 30 lower.
    send(QEvent::MouseButtonPress, {100, 100}, Qt::RightButton, Qt::RightButton);
    send(QEvent::MouseMove, {120, 130}, Qt::NoButton, Qt::RightButton);
    send(QEvent::MouseMove, {140, 160}, Qt::NoButton, Qt::RightButton);
    send(QEvent::MouseButtonRelease, {140, 160}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(state.view.turn, (CameraTurn{20, 60, 0}));
    view.repaint();
    const QSize size = view.contentsRect().size();
    const QImage full = PaintScaledPicture(state, plot, size.width(), size.height(), {.scale = 2});
    EXPECT_EQ(RowsThatDiffer(view.sharpFrame().convertToFormat(QImage::Format_RGB32), full), 0);
    // Alt and the left button turn too; a double click goes back to the plane.
    send(QEvent::MouseButtonPress, {100, 100}, Qt::LeftButton, Qt::LeftButton, Qt::AltModifier);
    send(QEvent::MouseMove, {90, 100}, Qt::NoButton, Qt::LeftButton, Qt::AltModifier);
    send(QEvent::MouseButtonRelease, {90, 100}, Qt::LeftButton, Qt::NoButton, Qt::AltModifier);
    EXPECT_EQ(state.view.turn, (CameraTurn{15, 60, 0}));
    send(QEvent::MouseButtonDblClick, {90, 100}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(state.view.turn.turned());
    EXPECT_EQ(state.shownRows(), state.loaded().rows.get());
}

TEST(SharpStrokes, ManyAtOnceInBandsDrawWhatTheyDrawOneByOneInTilesToo) {
    // Long and short strokes crossing each other and the bands' edges.
    std::vector<Stroke> strokes;
    for (int i = 0; i < 3000; ++i) {
        const double angle = i * 0.37, radius = 20 + i % 170;
        const ViewPoint a{200 + radius * std::cos(angle), 150 + radius * std::sin(angle)};
        const double length = i % 50 == 0 ? 400 : 6;
        strokes.push_back({a,
                           {a.x + length * std::cos(angle * 3), a.y + length * std::sin(angle * 3)},
                           ColourRef(0x10305 * i & 0xFFFFFF)});
    }
    TickDamage damage;
    damage.Reset(400, 300, 2);
    for (int i = 0; i < 40; ++i) damage.Mark({i * 9, i * 7, i * 9 + 13, i * 7 + 5});
    const TickDamage* restrictions[] = {nullptr, &damage};
    for (const TickDamage* only : restrictions) {
        QImage together(800, 600, QImage::Format_RGB32), apart(800, 600, QImage::Format_RGB32);
        for (QImage* image : {&together, &apart}) {
            image->fill(Qt::white);
            QPainter painter(image);
            PainterSurface surface(painter, 400, 300, 2);
            if (only) surface.RestrictTo(*only);
            surface.ClipTo(10, 10, 390, 290);
            if (image == &together) {
                surface.StrokeSegments(strokes.data(), strokes.size(), 1.5);
            } else {
                for (const Stroke& k : strokes) {
                    const ViewPoint points[] = {k.a, k.b};
                    surface.StrokePolyline(points, 2, k.colour, 1.5);
                }
            }
        }
        EXPECT_TRUE(together == apart) << (only ? "in tiles" : "whole");
    }
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
