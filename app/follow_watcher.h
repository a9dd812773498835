#pragma once
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include "animation/follow_session.h"

struct SimulationState;
class PlotBox;
class Host;
class SimulationView;

/// Watches the loaded simulation's data file while it is followed
/// (notifications, and a slow poll for file systems that send none) and
/// hands every change, and the playback's end, to a FollowSession; what that
/// decides reaches the view and the window's signals. Nothing runs while
/// following is off.
class FollowWatcher : public QObject {
    Q_OBJECT
public:
    FollowWatcher(SimulationState& state, PlotBox& plot, Host& host, SimulationView& view,
                  QObject* parent = nullptr);

    void setEnabled(bool on);
    bool enabled() const { return session_.enabled(); }
    /// True while a playback waits at the end of the data for more rows.
    bool waiting() const { return session_.waiting(); }
    /// Looks at the file now, as a notification does.
    void check();
    /// A start asked for before the followed file holds the rows for one:
    /// the playback waits for them and the file is looked at; true when it
    /// waits, false when the start is left to the playback commands.
    bool waitToStart();

signals:
    /// Rows were added or the data was read again.
    void dataChanged();
    /// Following ended on its own (text that is not a number, no memory).
    void stopped();

private:
    void playbackEnded();
    /// Watches `path` (none when empty) in place of the file watched.
    void watch(const std::string& path);
    /// Watches the followed file again when the watcher dropped it.
    void keepWatching();
    /// Carries out what the session decided.
    void apply(const FollowResult& result);

    SimulationView& view_;
    FollowSession session_;
    QFileSystemWatcher watcher_;
    QTimer poll_;
};
