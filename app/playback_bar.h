#pragma once
#include <QAction>
#include <QLabel>
#include <QSlider>
#include <QToolBar>
#include <functional>

struct SimulationState;

/// The playback bar: the play/pause, step and loop commands, a time slider
/// over the playable rows, and readouts of the time, the row and the speed
/// (all empty while nothing is loaded).
/// It only shows the state; dragging or clicking the slider asks for a seek,
/// clicking the speed for Set Speed.
/// The readouts are brought up to date by the one who moves the playback
/// (each tick, each command), so that the bar names the row the view shows.
/// When a playback stops at the end of the data the readout says so until
/// the playback moves or plays again.
class PlaybackBar : public QToolBar {
    Q_OBJECT
public:
    PlaybackBar(const SimulationState& state, QWidget* parent = nullptr);

    QSlider* slider() const { return slider_; }
    QLabel* readout() const { return readout_; }
    QLabel* speed() const { return speed_; }

    /// Brings the slider, the readouts and the play button up to date now.
    void refresh();
    /// Says that the playback stopped at the end of the data, at the current row.
    void showEnded();
    /// Drops what showEnded said: the user moved or played.
    void clearEnded();
    /// What showEnded says while it holds, empty otherwise.
    const QString& endNote() const { return endNote_; }
    /// Gives `play` a pause icon while `playing` tells that the playback
    /// runs, and a play icon while it does not.
    void showPlaying(QAction* play, std::function<bool()> playing);

signals:
    /// The user moved the slider to `row`.
    void seekRequested(int row);
    /// The user clicked the speed readout, to type a speed.
    void speedClicked();
    /// The end-of-data note was shown (`note`) or dropped (empty).
    void endNoteChanged(const QString& note);

protected:
    void showEvent(QShowEvent* event) override;

private:
    const SimulationState& state_;
    QSlider* slider_;
    QLabel* readout_;
    QLabel* speed_;
    QString endNote_;
    int endedAt_ = 0;  ///< the row the playback ended at, while endNote_ holds
    QAction* play_ = nullptr;
    std::function<bool()> playing_;
    bool showsPlaying_ = false;
};
