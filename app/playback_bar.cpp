#include "app/playback_bar.h"

#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <utility>

#include "animation/playback_commands.h"
#include "animation/playback_range.h"
#include "animation/simulation_state.h"

namespace {

/// A slider that jumps to where it is clicked, as a time slider does,
/// instead of moving a page towards the click.
class SeekSlider : public QSlider {
public:
    using QSlider::QSlider;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && !handleRect().contains(event->position().toPoint())) {
            const int span = width() - handleRect().width();
            const int x = int(event->position().x()) - handleRect().width() / 2;
            setValue(QStyle::sliderValueFromPosition(minimum(), maximum(), x, span));
        }
        QSlider::mousePressEvent(event);
    }

private:
    QRect handleRect() const {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    }
};

/// A readout that asks for something when clicked.
class ClickableLabel : public QLabel {
public:
    ClickableLabel(std::function<void()> clicked, QWidget* parent)
        : QLabel(parent), clicked_(std::move(clicked)) {
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) clicked_();
    }

private:
    std::function<void()> clicked_;
};

}  // namespace

PlaybackBar::PlaybackBar(const SimulationState& state, QWidget* parent)
    : QToolBar(tr("Playback"), parent),
      state_(state),
      slider_(new SeekSlider(Qt::Horizontal, this)),
      readout_(new QLabel(this)),
      speed_(new ClickableLabel([this] { emit speedClicked(); }, this)) {
    setObjectName(QStringLiteral("playbackBar"));
    setMovable(true);
    setFloatable(true);
    setIconSize(QSize(16, 16));
    // The keys belong to the playback commands, not to the slider.
    slider_->setFocusPolicy(Qt::NoFocus);
    slider_->setObjectName(QStringLiteral("timeSlider"));
    slider_->setMinimumWidth(110);  // the bar fits a 600-pixel window with its readouts
    slider_->setToolTip(tr("Drag or click to go to a time"));
    readout_->setObjectName(QStringLiteral("timeReadout"));
    readout_->setMinimumWidth(
        readout_->fontMetrics().horizontalAdvance(QStringLiteral("t = 0000.000 · row 000000 of 000000")));
    speed_->setObjectName(QStringLiteral("speedReadout"));
    speed_->setToolTip(tr("Click to type a speed"));
    connect(slider_, &QSlider::valueChanged, this, &PlaybackBar::seekRequested);
}

void PlaybackBar::refresh() {
    const QSignalBlocker quiet(slider_);  // following the playback is not a seek
    const int last = state_.loaded().dataLoaded ? LastPlayableRow(state_) : 0;
    if (slider_->maximum() != last) slider_->setRange(0, last);
    slider_->setEnabled(state_.loaded().dataLoaded != 0);
    if (slider_->value() != state_.playback.position) slider_->setValue(state_.playback.position);
    if (!endNote_.isEmpty() &&
        (!state_.loaded().dataLoaded || state_.playback.position != endedAt_ || (playing_ && playing_())))
        clearEnded();
    const QString readout = !endNote_.isEmpty()          ? endNote_
                            : state_.loaded().dataLoaded ? QString::fromStdString(PlaybackReadout(state_))
                                                         : QString();
    if (readout_->text() != readout) readout_->setText(readout);
    const QString speed =
        state_.loaded().dataLoaded ? QString::fromStdString(SpeedReadout(state_)) : QString();
    if (speed_->text() != speed) speed_->setText(speed);
    if (play_ && playing_() != showsPlaying_) {
        showsPlaying_ = !showsPlaying_;
        play_->setIcon(style()->standardIcon(showsPlaying_ ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay));
    }
}

void PlaybackBar::showEnded() {
    endNote_ = QString::fromStdString(EndOfDataReadout(state_));
    endedAt_ = state_.playback.position;
    emit endNoteChanged(endNote_);
    refresh();
}

void PlaybackBar::clearEnded() {
    if (endNote_.isEmpty()) return;
    endNote_.clear();
    emit endNoteChanged(endNote_);
}

void PlaybackBar::showPlaying(QAction* play, std::function<bool()> playing) {
    play_ = play;
    playing_ = std::move(playing);
    showsPlaying_ = !playing_();  // the icon is set at the refresh
    refresh();
}

void PlaybackBar::showEvent(QShowEvent* event) {
    QToolBar::showEvent(event);
    refresh();
}
