#pragma once
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

#include "simulation/data_follower.h"

struct SimulationState;
class Host;
class SimulationView;

/// Follows the loaded simulation's data file while another program writes
/// it: the file is watched (notifications, and a slow poll for file systems
/// that send none), rows appended to it are added to the table, a playback
/// that reached the end waits for them and goes on, a file that was started
/// again is read again from its beginning, and text that is not a number
/// ends the following with one message. Nothing runs while it is off.
class DataFollow : public QObject {
    Q_OBJECT
public:
    DataFollow(SimulationState& state, Host& host, SimulationView& view, QObject* parent = nullptr);

    void setEnabled(bool on);
    bool enabled() const { return enabled_; }
    /// True while a playback waits at the end of the data for more rows.
    bool waiting() const { return waiting_; }
    /// Looks at the file now, as a notification does.
    void check();

signals:
    /// Rows were added or the data was read again.
    void dataChanged();
    /// Following ended on its own (text that is not a number).
    void stopped();

private:
    /// Starts over on the data now loaded: the rows in the table are taken,
    /// later ones will be added.
    void restart();
    void playbackEnded();
    void rememberTable();
    bool tableChangedElsewhere() const;

    SimulationState& state_;
    Host& host_;
    SimulationView& view_;
    bool enabled_ = false;
    bool waiting_ = false;
    std::unique_ptr<DataFollower> follower_;
    QFileSystemWatcher watcher_;
    QTimer poll_;
    // What the table was after this object last touched it: a load in
    // between shows as a difference, and following starts over on it.
    std::string path_;
    const void* table_ = nullptr;
    uint64_t version_ = 0;
};
