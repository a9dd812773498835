#pragma once
#include <QFrame>
#include <QTimer>
#include <functional>
#include <memory>

#include "animation/trail_cache.h"
#include "app/image_surface.h"

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

    bool timerRunning() const { return timer_.isActive(); }
    int timerInterval() const { return timer_.interval(); }
    /// The raster as last drawn, the size of the client area.
    const QImage* frame() const { return image_ ? &image_->image() : nullptr; }
    /// Called after every paint that drew something new (full or tick).
    std::function<void()> onFramePresented;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void startTimer();

    SimulationState& state_;
    PlotBox& plot_;
    QTimer timer_;
    std::unique_ptr<ImageSurface> image_;
    TrailCache trails_;  ///< where the trails of image_ lie, kept from tick to tick
    bool fullPaintPending_ = true;
};
