#pragma once
#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QTimer>
#include <QToolBar>
#include <functional>

struct SimulationState;

/// The playback bar: the play/pause, step and loop commands, a time slider
/// over the playable rows, and readouts of the time, the row and the speed
/// (all empty while nothing is loaded).
/// It only shows the state; dragging or clicking the slider asks for a seek,
/// clicking the speed for Set Speed.
/// The readouts follow the playback at most about 30 times a second, so
/// that a fast playback spends its time on ticks, not on the bar.
class PlaybackBar : public QToolBar {
    Q_OBJECT
public:
    PlaybackBar(const SimulationState& state, QWidget* parent = nullptr);

    QSlider* slider() const { return slider_; }
    QLabel* readout() const { return readout_; }
    QLabel* speed() const { return speed_; }

    /// Brings the slider, the readouts and the play button up to date now.
    void refresh();
    /// Gives `play` a pause icon while `playing` tells that the playback
    /// runs, and a play icon while it does not.
    void showPlaying(QAction* play, std::function<bool()> playing);

signals:
    /// The user moved the slider to `row`.
    void seekRequested(int row);
    /// The user clicked the speed readout, to type a speed.
    void speedClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const SimulationState& state_;
    QSlider* slider_;
    QLabel* readout_;
    QLabel* speed_;
    QTimer refreshTimer_;
    QAction* play_ = nullptr;
    std::function<bool()> playing_;
    bool showsPlaying_ = false;
};
