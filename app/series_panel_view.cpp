#include "app/series_panel_view.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>
#include <cstring>
#include "animation/compared_runs.h"

#include "animation/simulation_state.h"
#include "app/painter_surface.h"
#include "app/scaled_paint.h"

SeriesPanelView::SeriesPanelView(SimulationState& state, const QWidget& viewSize, QWidget* parent)
    : QWidget(parent), state_(state), viewSize_(viewSize) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumHeight(120);
    setCursor(Qt::CrossCursor);
    setMouseTracking(true);
    cursorTimer_.setSingleShot(true);
    connect(&cursorTimer_, &QTimer::timeout, this, &SeriesPanelView::sync);
}

double SeriesPanelView::font() const {
    return PanelFont(state_, std::max(1, viewSize_.width()), std::max(1, viewSize_.height()));
}

SeriesPanelView::Painted SeriesPanelView::wanted() const {
    const SeriesPanelChoice& choice = state_.view.panel;
    // NaN spans (all of it) compare unequal: kept as a flag-like zero.
    const auto span = [](double v) { return std::isnan(v) ? 0.0 : v; };
    return {series_.serial, width(),           height(),        devicePixelRatioF(),
            font(),         span(choice.from), span(choice.to), state_.view.look.grid};
}

void SeriesPanelView::sync() {
    if (!isVisible()) return;
    AlignRuns(state_);  // the differences between runs need them aligned with the rows now
    UpdatePanelSeries(state_, series_);
    if (!(wanted() == painted_)) {
        stale_ = true;
        update();
        return;
    }
    const CursorSpan cursor = PanelCursor(state_, series_, layout_);
    const bool shown = !std::isnan(cursor.x);
    if (shown == cursorShown_ && (!shown || cursor.x == cursorX_)) return;
    // The cursor moves as often as a screen shows pictures, not with every
    // one of many hundred ticks a second: the ticks between are never seen.
    const qint64 since = lastCursor_.isValid() ? lastCursor_.elapsed() : kCursorPeriodMs;
    if (since < kCursorPeriodMs) {
        if (!cursorTimer_.isActive()) cursorTimer_.start(int(kCursorPeriodMs - since));
        return;
    }
    lastCursor_.start();
    // The two strips where the cursor was and goes.
    if (cursorShown_) update(cursorStrip(cursorX_));
    if (shown) update(cursorStrip(cursor.x));
}

QRect SeriesPanelView::cursorStrip(double x) const {
    const double reach = 0.25 * layout_.m.font + 4;
    return QRect(int(std::floor(x - reach)), 0, int(std::ceil(2 * reach)) + 1, height());
}

void SeriesPanelView::paintBase() {
    const double ratio = devicePixelRatioF();
    base_ = QImage(int(std::ceil(width() * ratio)), int(std::ceil(height() * ratio)), QImage::Format_RGB32);
    shown_ = QImage();
    cursorShown_ = false;
    if (base_.isNull()) return;
    layout_ = PaintPanel(state_, series_, base_, width(), height(), font(), ratio, PanelLayers::Under);
    shown_ = base_.copy();
    painted_ = wanted();
    stale_ = false;
}

void SeriesPanelView::moveCursor() {
    const CursorSpan cursor = PanelCursor(state_, series_, layout_);
    const bool shown = !std::isnan(cursor.x);
    if (shown == cursorShown_ && (!shown || cursor.x == cursorX_)) return;
    const double ratio = devicePixelRatioF();
    if (cursorShown_) {
        // The picture under the cursor again where it stood.
        const QRect strip = cursorStrip(cursorX_);
        const int from = std::max(0, int(std::floor(strip.left() * ratio)));
        const int to = std::min(base_.width(), int(std::ceil((strip.right() + 1) * ratio)));
        for (int y = 0; y < base_.height() && from < to; ++y)
            std::memcpy(shown_.scanLine(y) + from * 4, base_.constScanLine(y) + from * 4,
                        std::size_t(to - from) * 4);
    }
    if (shown) {
        // Drawn as the renderer draws it: on the picture's own pixels.
        shown_.setDevicePixelRatio(1);
        QPainter painter(&shown_);
        PainterSurface surface(painter, width(), height(), ratio);
        PaintSeriesPanel(state_, series_, layout_, surface, PanelLayers::Cursor);
    }
    cursorShown_ = shown;
    cursorX_ = cursor.x;
}

void SeriesPanelView::paintEvent(QPaintEvent* event) {
    AlignRuns(state_);  // the differences between runs need them aligned with the rows now
    UpdatePanelSeries(state_, series_);
    if (stale_ || !(wanted() == painted_)) paintBase();
    QPainter painter(this);
    if (base_.isNull()) {
        painter.fillRect(rect(), Qt::white);
        return;
    }
    moveCursor();
    painter.setClipRegion(event->region());
    shown_.setDevicePixelRatio(devicePixelRatioF());
    painter.drawImage(QPointF(0, 0), shown_);
}

void SeriesPanelView::resizeEvent(QResizeEvent* event) {
    stale_ = true;
    QWidget::resizeEvent(event);
}

void SeriesPanelView::seekTo(double x) {
    if (layout_.boxes.empty()) return;
    const int32_t row = RowNearestTime(state_, series_, PanelTimeAt(layout_, x));
    if (row >= 0 && row != state_.playback.position) emit seekRequested(row);
}

void SeriesPanelView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    dragging_ = true;
    seekTo(event->position().x());
}

void SeriesPanelView::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) seekTo(event->position().x());
    emit pointerMoved(QString::fromStdString(
        PanelReadout(state_, series_, layout_, event->position().x(), event->position().y())));
}

void SeriesPanelView::leaveEvent(QEvent* event) {
    emit pointerMoved({});
    QWidget::leaveEvent(event);
}

void SeriesPanelView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
}

void SeriesPanelView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    state_.view.panel.from = state_.view.panel.to = NAN;
    sync();
}

void SeriesPanelView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0 || layout_.boxes.empty()) return;
    SeriesPanelChoice& choice = state_.view.panel;
    const auto [from, to] = ZoomedSpan(state_, series_, layout_.from, layout_.to,
                                       PanelTimeAt(layout_, event->position().x()), std::pow(0.8, notches));
    choice.from = from, choice.to = to;
    sync();
    event->accept();
}
