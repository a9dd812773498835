#include "app/simulation_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/playback_range.h"
#include "animation/point_readout.h"
#include "animation/simulation_state.h"
#include "animation/view_navigation.h"
#include "animation/view_projection.h"
#include "animation/view_steps.h"
#include "app/scaled_paint.h"
#include "publication/view_paint.h"

SimulationView::SimulationView(SimulationState& state, PlotBox& plot, QWidget* parent)
    : QFrame(parent), state_(state), plot_(plot) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
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
    timer_.start(std::max(1, state_.playback.delayMs));
    emit timerStarted();
}

void SimulationView::deliverTick() {
    if (!image_) {
        if (!state_.loaded().dataLoaded) timer_.stop();
        return;
    }
    if (turningDrag()) ProjectRowsDrawn(state_, true);  // the rows the tick draws
    const int w = image_->width(), h = image_->height();
    const qreal ratio = devicePixelRatioF();
    // At a whole ratio the tiles of the raster that changed are the parts of
    // the sharp picture that changed: only they are painted.
    const bool mendable =
        !sharpStale_ && ratio == std::floor(ratio) && sharp_.picture().size() == QSize(w, h) * ratio;
    TimerRequest request;
    const TickDamage* damage = &damage_;
    if (state_.view.style == ViewStyle::Publication) {
        const PublicationStep step = publication_.Tick(state_, plot_, w, h, mendable ? &sharp_ : nullptr);
        request = step.timer;
        damage = &publication_.damage();
        if (!step.mended) sharpStale_ = true;
    } else {
        damage_.Reset(w, h);
        request = TickView(state_, plot_, image_->surface(), &trails_, &damage_);
        if (ratio >= 2 && mendable && !damage_.all())
            RepaintScaledTiles(state_, plot_, sharp_.picture(), w, h, {.scale = ratio, .statusLine = true},
                               &damage_);
        else
            sharpStale_ = true;
    }
    ticked_ = true;
    if (request.stop) timer_.stop();
    emit tickDrawn();
    if (request.stop && !PlaybackGoesOn(state_)) emit playbackEnded();
    if (request.repaint) {
        invalidate();  // a loop went back to its start: the old trail must go
        return;
    }
    // Only what the tick changed goes to the screen.
    // The rectangles come in rows of tiles, top to bottom and left to right,
    // without overlaps: the banded order a region is built from directly
    // (adding them one by one costs the square of their number).
    const QPoint origin = contentsRect().topLeft();
    std::vector<QRect> rects;
    int64_t area = 0;
    for (const DeviceRect& r : damage->Rects(TickDamage::kTileShift)) {
        rects.push_back(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top).translated(origin));
        area += int64_t(rects.back().width()) * rects.back().height();
    }
    if (rects.empty()) return;
    QRegion changed;
    changed.setRects(rects.data(), int(rects.size()));
    // Changes spread over much of their bounds (a tick of many bodies) go
    // as one rectangle: copying its few more pixels costs less than a
    // region of hundreds of pieces, each clipped and sent on its own.
    const QRect bounds = changed.boundingRect();
    if (rects.size() > 64 && area * 3 >= int64_t(bounds.width()) * bounds.height())
        update(bounds);
    else
        update(changed);
}

void SimulationView::paintEvent(QPaintEvent* event) {
    AlignRuns(state_);  // runs compared stand at the row shown, whatever moved it
    // While a drag turns the view, the rows the picture shows are projected
    // as the playback moves; after it, the rest.
    ProjectRowsDrawn(state_, turningDrag());
    const QRect client = contentsRect();
    if (client.width() > 0 && client.height() > 0) {
        if (!image_ || image_->width() != client.width() || image_->height() != client.height()) {
            image_ = std::make_unique<ImageSurface>(client.width(), client.height());
            fullPaintPending_ = true;
        }
        // While a drag turns the publication look, the raster kept for
        // export waits for the drag's end: the screen shows the sharp picture.
        const bool drafting = turningDrag() && state_.view.style == ViewStyle::Publication;
        if (fullPaintPending_) {
            ticked_ = false;
            sharpStale_ = true;
        }
        if (fullPaintPending_ && !drafting) {
            fullPaintPending_ = false;
            PaintView(state_, plot_, image_->surface(), client.width(), client.height(), &trails_);
            if (TakeStartRequest(state_)) startTimer();
        }
        QPainter painter(this);
        const qreal ratio = std::max<qreal>(devicePixelRatioF(), 1);
        if (ratio >= 2 || state_.view.style == ViewStyle::Publication) {
            // Drawn at the screen's ratio rather than stretched: the same
            // paint through the scaled surface, at the row the raster shows.
            // The publication look is drawn this way at every ratio, its
            // layer under the discs kept apart at a whole one for the ticks;
            // the plot takes the mapping it was painted with on a copy, so
            // that the pointer maps as drawn.
            if (sharpStale_ || sharp_.picture().size() != client.size() * ratio) {
                // While a drag turns the view, its trails are drafts, made
                // whole again once the drag ends.
                const bool draft = turningDrag();
                if (state_.view.style == ViewStyle::Publication) {
                    sharp_.Reset(client.width(), client.height(), ratio,
                                 ratio == std::floor(ratio) && !draft);
                    publication_.Paint(state_, plot_, sharp_, client.width(), client.height(), draft);
                } else {
                    sharp_.SetPicture(PaintScaledPicture(state_, plot_, client.width(), client.height(),
                                                         {.scale = ratio, .statusLine = ticked_}));
                }
                sharp_.picture().setDevicePixelRatio(ratio);
                sharpStale_ = draft && state_.view.style == ViewStyle::Publication;
            }
            painter.drawImage(client.topLeft(), sharp_.picture());
        } else {
            for (const QRect& rect : event->region()) {
                const QRect part = rect & client;
                if (!part.isEmpty())
                    painter.drawImage(part.topLeft(), image_->image(), part.translated(-client.topLeft()));
            }
        }
    }
    QFrame::paintEvent(event);
    emit framePresented();
}

void SimulationView::applyDelay() {
    if (timer_.isActive()) startTimer();
}

void SimulationView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) return;
    // One notch shows 80 % of the box; turning back undoes it exactly.
    const QPoint at = event->position().toPoint() - contentsRect().topLeft();
    ZoomAbout(plot_, std::pow(0.8, notches), at.x(), at.y());
    invalidate();
    event->accept();
}

namespace {

/// Degrees the view turns for a pixel dragged, and for a step of the keys.
constexpr double kDegreesPerPixel = 0.5;
constexpr double kDegreesPerStep = 15;

}  // namespace

void SimulationView::mousePressEvent(QMouseEvent* event) {
    const bool turn = event->button() == Qt::RightButton ||
                      (event->button() == Qt::LeftButton && (event->modifiers() & Qt::AltModifier));
    if (event->button() != Qt::LeftButton && !turn) return QFrame::mousePressEvent(event);
    if (!turn && (event->modifiers() & Qt::ControlModifier)) {
        const QPointF at = event->position() - contentsRect().topLeft();
        if (const int body = BodyUnder(state_, plot_, at.x(), at.y())) emit bodyClicked(body);
        return;
    }
    if (turn && !state_.loaded().dataLoaded) return;
    dragFrom_ = event->position().toPoint();
    turning_ = turn;
    setCursor(turn ? Qt::SizeAllCursor : Qt::ClosedHandCursor);
}

void SimulationView::mouseMoveEvent(QMouseEvent* event) {
    pointAt(event->position().toPoint(), event->globalPosition().toPoint());
    if (!dragFrom_ || !(event->buttons() & (Qt::LeftButton | Qt::RightButton)))
        return QFrame::mouseMoveEvent(event);
    const QPoint at = event->position().toPoint();
    const QPoint by = at - *dragFrom_;
    if (by.isNull()) return;
    dragFrom_ = at;
    if (turning_) return turnBy(by.x() * kDegreesPerPixel, by.y() * kDegreesPerPixel);
    PanByPixels(plot_, by.x(), by.y());
    invalidate();
}

void SimulationView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton)
        return QFrame::mouseReleaseEvent(event);
    endDrag();
}

void SimulationView::endDrag() {
    const bool turned = turningDrag();
    dragFrom_.reset();
    turning_ = false;
    unsetCursor();
    if (!turned) return;
    ProjectRowsDrawn(state_, false);  // every row projected again
    invalidate();                     // the drafts drawn while turning made whole
}

void SimulationView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!state_.view.turn.turned()) return QFrame::mouseDoubleClickEvent(event);
    TurnView(state_, {});
    invalidate();
}

void SimulationView::keyPressEvent(QKeyEvent* event) {
    if (!(event->modifiers() & Qt::AltModifier) || !state_.loaded().dataLoaded)
        return QFrame::keyPressEvent(event);
    switch (event->key()) {
        case Qt::Key_Left:
            return turnBy(-kDegreesPerStep, 0);
        case Qt::Key_Right:
            return turnBy(kDegreesPerStep, 0);
        case Qt::Key_Up:
            return turnBy(0, kDegreesPerStep);
        case Qt::Key_Down:
            return turnBy(0, -kDegreesPerStep);
        case Qt::Key_Home:
            TurnView(state_, {});
            return invalidate();
        default:
            return QFrame::keyPressEvent(event);
    }
}

void SimulationView::turnBy(double azimuth, double elevation) {
    CameraTurn turn = state_.view.turn;
    // Dragging right turns the system counter-clockwise seen from above;
    // dragging down lowers the camera toward the plane, pushing its far
    // side away.
    turn.azimuth = std::remainder(turn.azimuth + azimuth, 360.0);
    turn.elevation = std::clamp(turn.elevation - elevation, -90.0, 90.0);
    TurnView(state_, turn, turningDrag());
    invalidate();
}

void SimulationView::leaveEvent(QEvent* event) {
    QFrame::leaveEvent(event);
    emit pointerMoved({});
}

void SimulationView::pointAt(const QPoint& at, const QPoint& global) {
    const QPointF in = QPointF(at) - contentsRect().topLeft();
    emit pointerMoved(QString::fromStdString(PointerText(state_, plot_, in.x(), in.y())));
    const int body = dragFrom_ ? 0 : BodyUnder(state_, plot_, in.x(), in.y());
    const std::optional<BodyReadout> readout = ReadBody(state_, body, state_.playback.position);
    hover_ = readout ? QString::fromStdString(BodyReadoutText(state_, *readout)) : QString();
    if (!hover_.isEmpty())
        QToolTip::showText(global, hover_, this);
    else
        QToolTip::hideText();
}
