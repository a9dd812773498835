#pragma once
#include <cstdint>

/// Where the playback stands and what was asked of it: a small value, so
/// that a recording can play a copy and leave the one shown as it was.
struct Playback {
    int32_t position = 0;
    /// Which way the ticks move: 1 forward (toward the last row), -1 back
    /// toward row 0. Every start but Play Backwards sets it forward, so a
    /// playback runs as it always has unless that command was used.
    int32_t direction = 1;
    /// Rows a tick moves, and the milliseconds between ticks: the
    /// document's, as loaded, until the user changes the speed; a save
    /// writes them back.
    int32_t step = 1;
    int32_t delayMs = 0;
    int32_t startRequested = 0;
    int32_t stopRequested = 0;
    /// True while a data file is being read with the window's events
    /// running: commands are refused meanwhile.
    bool loading = false;
};

/// What a tick asks of the timer that plays the view.
struct TimerRequest {
    bool start = false;  ///< start it (or restart it) with the playback's delay
    bool stop = false;   ///< kill it
    /// The playback went back to its start row: the old trail is gone only
    /// after a full paint, which the caller should make.
    bool repaint = false;
};
