#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "simulation/data_follower.h"

struct SimulationState;
class PlotBox;
class Host;

/// What the window must do after a call of FollowSession.
struct FollowResult {
    /// The view must be repainted fully.
    bool repaint = false;
    /// Rows were added or the data was read again.
    bool dataChanged = false;
    /// Following ended on its own (text that is not a number, no memory).
    bool stopped = false;
    /// When set, the file to watch from now on, in place of the one watched
    /// (empty: none). A file read again is watched afresh, since the one
    /// watched may have been replaced under the same name.
    std::optional<std::string> watch;
};

/// Follows the loaded simulation's data file while another program writes
/// it, told when the file may have changed: rows appended to it are added to
/// the table, a playback that reached the end waits for them and goes on, a
/// file that was started again is read again from its beginning, a load in
/// between is followed from its own rows, and text that is not a number ends
/// the following with one message. A plain data table is followed line by
/// line in its layout, on the plane shown (another plane chosen meanwhile
/// is followed from then on). A large append is read as a large load is,
/// through the host's wait with progress and Cancel; a cancel ends the
/// following, keeping the rows read. Messages and notes go to the host; what
/// the window must do is returned.
class FollowSession {
public:
    /// A file read again is shown in the frame chosen, with `plot`'s box fitted to it.
    FollowSession(SimulationState& state, PlotBox& plot, Host& host)
        : state_(state), plot_(plot), host_(host) {}

    /// Starts following the data now loaded (or any loaded later), and
    /// looks at the file at once.
    FollowResult start();
    /// Stops following; nothing is read until the next start.
    void stop();
    bool enabled() const { return enabled_; }
    /// True while a playback waits at the end of the data for more rows.
    bool waiting() const { return waiting_; }
    /// The file read while following, empty when none is.
    std::string followedPath() const { return follower_ || awaitingRow_ ? path_ : std::string(); }

    /// Looks at the file, after a notification that it changed or a poll.
    FollowResult check();
    /// The playback stopped at the end of the data: without a loop it waits
    /// for more rows, and the file is looked at.
    FollowResult playbackEnded();
    /// A start asked for before the rows reach far enough for one (no
    /// RowToPlayFrom): while a loaded file is followed, the playback waits
    /// for more rows as at the end of the data instead of being refused.
    /// True when it waits; the caller then looks at the file.
    bool waitToStart();

private:
    /// Starts over on the rows now in the table, later ones to be added;
    /// with `fileStartedAgain`, after reading the file again from its
    /// beginning. A file that no longer holds the rows loaded from it is
    /// read again (once more at most).
    void restart(FollowResult& result, bool fileStartedAgain);
    /// What check does, adding to `result`.
    void look(FollowResult& result);
    /// While awaitingRow_, reads the file again when it holds a complete
    /// row and follows it from there; true when following goes on with rows.
    bool readFirstRow(FollowResult& result);
    /// A playback that waits for rows goes on when there are enough now.
    void goOnIfWaiting(FollowResult& result);
    /// Waits for more rows, with the note that says so.
    void startWaiting();
    void rememberTable();
    bool tableChangedElsewhere() const;

    SimulationState& state_;
    PlotBox& plot_;
    Host& host_;
    bool enabled_ = false;
    bool waiting_ = false;
    /// The table's writer started it again and no complete row has come
    /// since: the file is read again whole until one does, as its layout
    /// is not known before.
    bool awaitingRow_ = false;
    std::unique_ptr<DataFollower> follower_;
    // What the table was after this object last touched it: a load in
    // between shows as a difference, and following starts over on it.
    std::string path_;
    const void* table_ = nullptr;
    uint64_t version_ = 0;
};
