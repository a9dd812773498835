#include "app/simulation_view.h"

#include <QPainter>
#include <algorithm>

#include "animation/view_steps.h"
#include "simulation/simulation_state.h"

SimulationView::SimulationView(SimulationState& state, PlotBox& plot, QWidget* parent)
    : QFrame(parent), state_(state), plot_(plot) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SimulationView::deliverTick);
}

void SimulationView::invalidate() {
    fullPaintPending_ = true;
    update();
}

void SimulationView::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    invalidate();
}

void SimulationView::startTimer() {
    // A period below 1 ms (possible from a configuration file) runs at 1 ms;
    // starting a running timer restarts it with the current period.
    timer_.start(std::max(1, state_.frameDelayMs));
}

void SimulationView::deliverTick() {
    if (!image_) {
        if (!state_.dataLoaded) timer_.stop();
        return;
    }
    const TimerRequest request = TickView(state_, plot_, image_->surface(), &trails_);
    if (request.stop) timer_.stop();
    update(contentsRect());
}

void SimulationView::paintEvent(QPaintEvent* event) {
    const QRect client = contentsRect();
    if (client.width() > 0 && client.height() > 0) {
        if (!image_ || image_->width() != client.width() || image_->height() != client.height()) {
            image_ = std::make_unique<ImageSurface>(client.width(), client.height());
            fullPaintPending_ = true;
        }
        if (fullPaintPending_) {
            fullPaintPending_ = false;
            const TimerRequest request =
                PaintView(state_, plot_, image_->surface(), client.width(), client.height(), &trails_);
            if (request.start) startTimer();
        }
        QPainter painter(this);
        painter.drawImage(client.topLeft(), image_->image());
    }
    QFrame::paintEvent(event);
    if (onFramePresented) onFramePresented();
}
