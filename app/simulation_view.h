#pragma once
#include <QFrame>
#include <QTimer>
#include <memory>
#include <optional>

#include "animation/tick_damage.h"
#include "animation/trail_cache.h"
#include "app/image_surface.h"
#include "app/screen_layers.h"
#include "publication/publication_tick.h"

struct SimulationState;
class PlotBox;

/// The child window that shows the plot. A full paint redraws everything
/// from the state into an off-screen raster; a timer tick draws into the same
/// raster and only presents it, so what a tick wrote (the status line) stays
/// until the next full paint.
class SimulationView : public QFrame {
    Q_OBJECT
public:
    SimulationView(SimulationState& state, PlotBox& plot, QWidget* parent = nullptr);

    /// Makes the next paint a full paint and asks for it.
    void invalidate();
    /// Runs one animation step, as the timer does.
    void deliverTick();
    /// Ends a drag of the view as its button's release does: a command run
    /// during one (from the keys) finds every row projected.
    void endDrag();

    /// Stops the animation timer at once.
    void stopTimer() { timer_.stop(); }
    /// A running timer takes the current `frameDelayMs` now.
    void applyDelay();

    /// Starts the timer again with the current delay, as after a pause kept by an export.
    void resumeTimer() { startTimer(); }
    /// Whether a tick drew into the raster since its last full paint, so that
    /// it shows a status line.
    bool ticked() const { return ticked_; }

    /// The tooltip shown over a body's disc, empty when the pointer is on none.
    const QString& hoverText() const { return hover_; }

    bool timerRunning() const { return timer_.isActive(); }
    int timerInterval() const { return timer_.interval(); }
    /// The raster as last drawn, the size of the client area.
    const QImage* frame() const { return image_ ? &image_->image() : nullptr; }
    /// At a device pixel ratio of 2 or more, the picture the screen shows as
    /// last painted (null before the first such paint).
    const QImage& sharpFrame() const { return sharp_.picture(); }

signals:
    /// After every paint that drew something new (full or tick).
    void framePresented();
    /// A tick moved the playback and drew it, before the screen shows it:
    /// what follows the playback is brought up to date here, so that it is
    /// shown in the same paint.
    void tickDrawn();
    /// The animation timer started (or restarted with another period).
    void timerStarted();
    /// A tick stopped the timer at the end of the data.
    void playbackEnded();
    /// Ctrl+click on body `body`'s disc.
    void bodyClicked(int body);
    /// The pointer moved: where it is in the frame shown, empty when it is
    /// outside the plot or nothing is loaded.
    void pointerMoved(const QString& place);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    /// The wheel zooms the plot about the point under the pointer; dragging
    /// with the left button pans it. Both repaint fully and leave a running
    /// playback running. Ctrl+click on a disc tells which body it is; the
    /// pointer's place is told as it moves, and a body's values show in a
    /// tooltip over its disc. Dragging with the right button, or with Alt
    /// and the left, turns the view about the frame's origin; Alt and the
    /// arrows turn it by steps; a double click or Alt+Home goes back to the
    /// plane chosen.
    void wheelEvent(QWheelEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void startTimer();
    /// Tells the place under `at` and shows or hides the body's tooltip.
    void pointAt(const QPoint& at, const QPoint& global);

    SimulationState& state_;
    PlotBox& plot_;
    QTimer timer_;
    std::unique_ptr<ImageSurface> image_;
    TrailCache trails_;  ///< where the trails of image_ lie, kept from tick to tick
    TickDamage damage_;  ///< what the last classic tick changed in image_, the part it presents
    /// The publication look's paints and ticks of sharp_, and what its last
    /// tick changed, the part it presents.
    PublicationTick publication_;
    bool fullPaintPending_ = true;
    bool ticked_ = false;
    /// On a screen of device pixel ratio 2 or more, and in the publication
    /// look at every ratio: the view painted at that ratio, made anew from
    /// the state when the raster changed.
    ScreenLayers sharp_;
    bool sharpStale_ = true;
    /// Turns the camera by these degrees from where it is and repaints.
    void turnBy(double azimuth, double elevation);
    /// Whether a drag is turning the view now.
    bool turningDrag() const { return turning_ && dragFrom_.has_value(); }

    std::optional<QPoint> dragFrom_;  ///< where the last drag step ended, while dragging
    bool turning_ = false;            ///< the drag turns the view rather than moving the box
    QString hover_;
};
