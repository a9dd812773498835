#pragma once
#include <QElapsedTimer>
#include <QImage>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "panel/panel_series.h"
#include "panel/series_panel.h"

struct SimulationState;

/// The panel of time series under the view: the series of the state's
/// panel choice, painted once into a picture kept until they, the panel's
/// size or its span change, and the cursor at the playback's row drawn over
/// a copy of it, so that a tick mends and repaints two thin strips. A click or a drag
/// seeks to the row under the pointer; the wheel zooms the time axis about
/// it, a double click shows all of it again.
class SeriesPanelView : public QWidget {
    Q_OBJECT
public:
    /// `viewSize` is the view's widget, whose size sets the text's.
    SeriesPanelView(SimulationState& state, const QWidget& viewSize, QWidget* parent = nullptr);

    /// Brings the series up to the state and repaints what changed: the
    /// whole panel when the series or the layout did, else the cursor's
    /// strips when it moved.
    void sync();
    const PanelSeries& series() const { return series_; }
    /// The text size the panel writes with: the view's.
    double font() const;
    /// Where the last paint put the plots.
    const PanelLayout& layout() const { return layout_; }

signals:
    /// A click or a drag asks for `row`.
    void seekRequested(int row);
    /// The pointer moved: the values under it (PanelReadout), empty off the plots.
    void pointerMoved(const QString& values);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    /// What the picture under the cursor was painted for.
    struct Painted {
        uint64_t serial = 0;
        int width = 0, height = 0;
        double ratio = 0, font = 0, from = 0, to = 0;
        bool grid = false;
        bool operator==(const Painted&) const = default;
    };
    Painted wanted() const;
    void paintBase();
    /// Draws the cursor at the playback's row into the picture shown, the
    /// picture under it put back where it stood.
    void moveCursor();
    void seekTo(double x);
    /// The strip the cursor at column `x` covers.
    QRect cursorStrip(double x) const;

    SimulationState& state_;
    const QWidget& viewSize_;
    PanelSeries series_;
    PanelLayout layout_;
    QImage base_;   ///< the panel without the cursor
    QImage shown_;  ///< the same with the cursor
    Painted painted_;
    bool stale_ = true;
    double cursorX_ = 0;
    bool cursorShown_ = false;
    bool dragging_ = false;
    /// The cursor's last move, and the move put off until a screen's
    /// period after it.
    static constexpr qint64 kCursorPeriodMs = 15;
    QElapsedTimer lastCursor_;
    QTimer cursorTimer_;
};
