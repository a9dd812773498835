#include "app/data_follow.h"

#include <QFileInfo>

#include "animation/appended_rows.h"
#include "animation/playback_commands.h"
#include "animation/view_steps.h"
#include "app/simulation_view.h"
#include "base/format.h"
#include "simulation/data_reader.h"
#include "simulation/host.h"
#include "simulation/simulation_state.h"

namespace {

/// Period of the poll that backs up the file-system notifications.
constexpr int kPollMs = 2000;

}  // namespace

DataFollow::DataFollow(SimulationState& state, Host& host, SimulationView& view, QObject* parent)
    : QObject(parent), state_(state), host_(host), view_(view) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &DataFollow::check);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &DataFollow::check);
    connect(&view_, &SimulationView::playbackEnded, this, &DataFollow::playbackEnded);
}

void DataFollow::setEnabled(bool on) {
    if (on == enabled_) return;
    enabled_ = on;
    state_.followData = on ? 1 : 0;
    waiting_ = false;
    if (!on) {
        poll_.stop();
        if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
        follower_.reset();
        return;
    }
    restart();
    poll_.start();
    check();
}

void DataFollow::rememberTable() {
    path_ = state_.dataPath;
    table_ = state_.rows.get();
    version_ = state_.rows ? state_.rows->version() : 0;
}

bool DataFollow::tableChangedElsewhere() const {
    return path_ != state_.dataPath || table_ != state_.rows.get() ||
           (state_.rows && version_ != state_.rows->version());
}

void DataFollow::restart() {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    follower_.reset();
    rememberTable();
    if (!state_.dataLoaded || !state_.rows) return;
    const int32_t columns = state_.rows->columnCount();
    follower_ = std::make_unique<DataFollower>(state_.dataPath, columns);
    const std::size_t loaded = std::size_t(std::max(state_.usableRows(), 0)) * std::size_t(columns);
    if (!follower_->SkipValues(loaded)) {
        // The file no longer holds what was loaded from it: the writer
        // started again before following began.
        ReadData(state_, host_);
        follower_ = std::make_unique<DataFollower>(state_.dataPath, columns);
        follower_->SkipValues(std::size_t(std::max(state_.usableRows(), 0)) * std::size_t(columns));
        rememberTable();
        host_.note("The data file was started again: read again from its beginning");
        view_.invalidate();
        emit dataChanged();
    }
    const QString path = QFileInfo(QString::fromStdString(state_.dataPath)).absoluteFilePath();
    watcher_.addPath(path);
}

void DataFollow::check() {
    // Nothing is read into the table while a load fills it; the next check
    // picks up what was written meanwhile.
    if (!enabled_ || state_.loading) return;
    if (tableChangedElsewhere()) restart();  // a load while following
    if (!follower_) return;
    // A file replaced by another is no longer watched under its name.
    if (watcher_.files().isEmpty())
        watcher_.addPath(QFileInfo(QString::fromStdString(state_.dataPath)).absoluteFilePath());
    DataFollower::Update update = follower_->Poll();
    using Kind = DataFollower::Update::Kind;
    if (update.kind == Kind::Unchanged || update.kind == Kind::Missing) return;
    if (update.kind == Kind::Restarted) {
        ReadData(state_, host_);  // follows the settings as they are, without the short-file question
        restart();
        host_.note("The data file was started again: read again from its beginning");
        view_.invalidate();
        emit dataChanged();
        return;
    }
    if (!AppendRows(state_, update.values)) {
        host_.note(Format("Not enough memory for more rows: following stopped at %d rows", state_.lineCount));
        setEnabled(false);
        emit stopped();
        return;
    }
    rememberTable();
    if (update.kind == Kind::BadText) {
        setEnabled(false);
        host_.messageBox(
            Format("Row %lld of the data file holds text that is not a number: following stopped. "
                   "The %d rows before it stay loaded.",
                   static_cast<long long>(update.badRow), state_.lineCount));
        emit stopped();
    }
    if (waiting_ && PlaybackGoesOn(state_)) {
        waiting_ = false;
        host_.note("");
        if (PlayNow(state_, host_)) view_.invalidate();
    }
    emit dataChanged();
}

void DataFollow::playbackEnded() {
    if (!enabled_ || state_.loopPlayback) return;
    waiting_ = true;
    host_.note("Waiting for data");
    check();
}
