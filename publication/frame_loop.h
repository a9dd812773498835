#pragma once
#include <functional>
#include <optional>

struct SimulationState;
class PlotBox;
class DrawingSurface;
class TrailCache;

/// Why a frame loop ended.
enum class FrameLoopEnd {
    TicksDone,    ///< every tick asked for ran (the last may also have reached the end)
    DataEnd,      ///< a tick stopped the playback at the end of the data before that
    LoopedRound,  ///< playing to the end, a loop went back to its start row: nothing new follows
    Stopped,      ///< the frame callback asked to stop
};

/// How a frame loop went: why it ended and how many ticks ran.
struct FrameLoopResult {
    FrameLoopEnd end = FrameLoopEnd::TicksDone;
    int ticks = 0;
};

/// Called with each frame's number (0 the first full paint) once it is on
/// the surface; false ends the loop.
using FrameCallback = std::function<bool(int frame)>;

/// Plays the view off-screen as the window's timer would: a full paint,
/// then `ticks` ticks (none: until the playback ends, or a loop goes back to
/// its start, whose frame is then left out), each followed by a full repaint
/// when it asks for one. Ticks run as after a start with no stop pending:
/// forward.
/// The state is left at the row the last tick reached.
///
/// With `turn`, the camera's azimuth turns by `turn->degrees` from the
/// view's over `turn->frames` frames, each frame painted whole.
struct FrameLoopTurn {
    double degrees = 0;
    int frames = 1;
};
FrameLoopResult RunFrameLoop(SimulationState& state, PlotBox& plot, DrawingSurface& surface, int width,
                             int height, TrailCache* trails, std::optional<int> ticks,
                             const FrameCallback& onFrame, const FrameLoopTurn* turn = nullptr);
