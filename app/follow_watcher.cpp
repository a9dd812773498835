#include "app/follow_watcher.h"

#include <QFileInfo>

#include "app/simulation_view.h"

namespace {

/// Period of the poll that backs up the file-system notifications.
constexpr int kPollMs = 2000;

QString AbsolutePath(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).absoluteFilePath();
}

}  // namespace

FollowWatcher::FollowWatcher(SimulationState& state, PlotBox& plot, Host& host, SimulationView& view,
                             QObject* parent)
    : QObject(parent), view_(view), session_(state, plot, host) {
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &FollowWatcher::check);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &FollowWatcher::check);
    connect(&view_, &SimulationView::playbackEnded, this, &FollowWatcher::playbackEnded);
}

void FollowWatcher::setEnabled(bool on) {
    if (on == session_.enabled()) return;
    if (!on) {
        session_.stop();
        poll_.stop();
        watch("");
        return;
    }
    const FollowResult result = session_.start();
    poll_.start();
    apply(result);
}

void FollowWatcher::watch(const std::string& path) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!path.empty()) watcher_.addPath(AbsolutePath(path));
}

void FollowWatcher::check() {
    keepWatching();
    apply(session_.check());
}

bool FollowWatcher::waitToStart() {
    if (!session_.waitToStart()) return false;
    check();
    return true;
}

void FollowWatcher::playbackEnded() {
    keepWatching();
    apply(session_.playbackEnded());
}

void FollowWatcher::keepWatching() {
    // A file replaced by another is no longer watched under its name.
    const std::string followed = session_.followedPath();
    if (!followed.empty() && watcher_.files().isEmpty()) watcher_.addPath(AbsolutePath(followed));
}

void FollowWatcher::apply(const FollowResult& result) {
    if (result.watch) watch(*result.watch);
    if (result.stopped) {
        poll_.stop();
        watch("");
    }
    if (result.repaint) view_.invalidate();
    if (result.stopped) emit stopped();
    if (result.dataChanged) emit dataChanged();
}
