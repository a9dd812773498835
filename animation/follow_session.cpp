#include "animation/follow_session.h"

#include <algorithm>

#include "animation/appended_rows.h"
#include "animation/playback_commands.h"
#include "animation/playback_range.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/view_steps.h"
#include "base/format.h"
#include "simulation/block_pipeline.h"
#include "simulation/data_reader.h"
#include "simulation/host.h"
#include "simulation/load_progress.h"

FollowResult FollowSession::start() {
    enabled_ = true;
    state_.view.followData = 1;
    waiting_ = false;
    FollowResult result;
    restart(result, false);
    look(result);
    return result;
}

void FollowSession::stop() {
    enabled_ = false;
    state_.view.followData = 0;
    waiting_ = false;
    awaitingRow_ = false;
    follower_.reset();
}

void FollowSession::rememberTable() {
    path_ = state_.loaded().fields.dataPath;
    table_ = state_.loaded().rows.get();
    version_ = state_.loaded().rows ? state_.loaded().rows->version() : 0;
}

bool FollowSession::tableChangedElsewhere() const {
    return path_ != state_.loaded().fields.dataPath || table_ != state_.loaded().rows.get() ||
           (state_.loaded().rows && version_ != state_.loaded().rows->version());
}

void FollowSession::restart(FollowResult& result, bool fileStartedAgain) {
    // Reading again follows the settings as they are, without the
    // short-file question.
    int reads = 0;
    if (fileStartedAgain) {
        ReadShownData(state_, host_);
        ++reads;
    }
    for (bool readAgain = false;; readAgain = true) {
        follower_.reset();
        awaitingRow_ = false;
        rememberTable();
        result.watch = "";
        if (!state_.loaded().dataLoaded || !state_.loaded().rows) break;
        const int32_t columns = state_.loaded().rows->columnCount();
        if (state_.loaded().fields.dataFormat == DataFormat::Table &&
            state_.loaded().tableLayout.cells == 0) {
            awaitingRow_ = true;
            result.watch = state_.loaded().fields.dataPath;
            break;
        }
        if (state_.loaded().fields.dataFormat == DataFormat::Table) {
            follower_ = std::make_unique<DataFollower>(state_.loaded().fields.dataPath,
                                                       state_.loaded().tableLayout, TablePlane::XY);
            // Rows of another width than the table's cannot be added to it.
            if (follower_->columns() != columns) {
                follower_.reset();
                break;
            }
        } else {
            follower_ = std::make_unique<DataFollower>(state_.loaded().fields.dataPath, columns);
        }
        result.watch = state_.loaded().fields.dataPath;
        const int32_t rows = std::max(state_.loaded().usableRows(), 0);
        // Where the load left the file is known unless the rows were changed
        // since; then the rows kept are skipped. A file that no longer holds
        // what was loaded from it was started again by the writer meanwhile.
        const bool resumed = state_.loaded().handOver.rows == rows
                                 ? follower_->Resume(state_.loaded().handOver)
                                 : follower_->SkipValues(std::size_t(rows) * std::size_t(columns));
        if (resumed || readAgain) break;
        ReadShownData(state_, host_);
        ++reads;
    }
    for (int i = 0; i < reads; ++i)
        host_.note("The data file was started again: read again from its beginning");
    if (reads > 0) KeepFrame(state_, plot_, host_);
    if (reads > 0) result.repaint = result.dataChanged = true;
}

FollowResult FollowSession::check() {
    FollowResult result;
    look(result);
    return result;
}

void FollowSession::look(FollowResult& result) {
    // Nothing is read into the table while a load fills it; the next check
    // picks up what was written meanwhile.
    if (!enabled_ || state_.playback.loading) return;
    if (tableChangedElsewhere()) restart(result, false);  // a load while following
    if (awaitingRow_ && !readFirstRow(result)) return;
    if (!follower_) return;
    // Rows go straight into the table as they are read.
    const std::size_t columns = std::size_t(state_.loaded().rows->columnCount());
    const int32_t before = state_.loaded().fields.lineCount;
    const auto take = [&](const double* values, const double* depths, const double* velocities,
                          std::size_t rows, int64_t rowsToCome) {
        return AppendRows(state_, values, depths, velocities, rows * columns, rowsToCome);
    };
    DataFollower::Update update;
    if (follower_->bytesWaiting() >= kParallelParseMinBytes) {
        // A large append is read as a large load is: while the window goes
        // on, showing the progress and offering to cancel, and meanwhile
        // nothing reads the table being filled.
        LoadProgress progress;
        const int32_t loaded = state_.loaded().dataLoaded;
        state_.loaded().dataLoaded = 0;
        state_.playback.loading = true;
        host_.waitFor([&] { update = follower_->Poll(take, &progress); }, progress);
        state_.playback.loading = false;
        state_.loaded().dataLoaded = loaded;
    } else {
        update = follower_->Poll(take);
    }
    using Kind = DataFollower::Update::Kind;
    if (update.kind == Kind::Unchanged || update.kind == Kind::Missing) return;
    if (update.kind == Kind::Restarted) {
        restart(result, true);
        return;
    }
    if (update.kind == Kind::Refused) {
        host_.note(Format("Not enough memory for more rows: following stopped at %d rows",
                          state_.loaded().fields.lineCount));
        stop();
        result.stopped = true;
        result.dataChanged = state_.loaded().fields.lineCount != before;
        return;
    }
    rememberTable();
    if (update.kind == Kind::Rows || update.kind == Kind::Cancelled)
        state_.loaded().handOver = follower_->handOver();
    if (update.kind == Kind::Cancelled) {
        // The rows read stay; following again goes on after them.
        stop();
        host_.note("Load cancelled");
        result.stopped = true;
    }
    if (update.kind == Kind::BadText) {
        stop();
        // A table's message names the line and what is wrong there.
        const std::string where = update.tableError.line > 0
                                      ? update.tableError.message
                                      : Format("Row %lld of the data file holds text that is not a number",
                                               static_cast<long long>(update.badRow));
        host_.messageBox(Format("%s: following stopped. The %d rows before it stay loaded.", where.c_str(),
                                state_.loaded().fields.lineCount));
        result.stopped = true;
    }
    goOnIfWaiting(result);
    result.dataChanged = true;
}

void FollowSession::goOnIfWaiting(FollowResult& result) {
    if (!waiting_ || !PlaybackGoesOn(state_)) return;
    waiting_ = false;
    host_.note("");
    if (PlayNow(state_, host_)) result.repaint = true;
}

bool FollowSession::readFirstRow(FollowResult& result) {
    // Until a row ends, the file holds a few lines at most: reading it
    // again whole costs little.
    if (ReadShownData(state_, host_) != DataResult::Ok) {
        // The message says what is wrong with the file.
        stop();
        result.stopped = true;
        result.dataChanged = true;
        return false;
    }
    if (state_.loaded().tableLayout.cells == 0) {
        rememberTable();
        return false;
    }
    restart(result, false);
    KeepFrame(state_, plot_, host_);
    result.repaint = result.dataChanged = true;
    goOnIfWaiting(result);
    return follower_ != nullptr;
}

FollowResult FollowSession::playbackEnded() {
    FollowResult result;
    if (!enabled_ || state_.view.loopPlayback) return result;
    startWaiting();
    look(result);
    return result;
}

bool FollowSession::waitToStart() {
    if (!enabled_ || !(follower_ || awaitingRow_) || !state_.loaded().dataLoaded || RowToPlayFrom(state_))
        return false;
    startWaiting();
    return true;
}

void FollowSession::startWaiting() {
    waiting_ = true;
    host_.note("Waiting for data");
}
