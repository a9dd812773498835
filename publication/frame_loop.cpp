#include "publication/frame_loop.h"

#include <algorithm>

#include "animation/compared_runs.h"
#include "animation/simulation_state.h"
#include "animation/view_projection.h"
#include "animation/view_steps.h"
#include "publication/view_paint.h"

FrameLoopResult RunFrameLoop(SimulationState& state, PlotBox& plot, DrawingSurface& surface, int width,
                             int height, TrailCache* trails, std::optional<int> ticks,
                             const FrameCallback& onFrame, const FrameLoopTurn* turn) {
    FrameLoopResult result;
    const CameraTurn from = state.view.turn;
    // Each frame's camera, painted whole: the picture turns as it plays.
    const auto turnTo = [&](int frame) {
        if (!turn) return false;
        CameraTurn at = from;
        at.azimuth = from.azimuth + turn->degrees * frame / std::max(turn->frames - 1, 1);
        TurnView(state, at);
        PaintView(state, plot, surface, width, height, trails);
        return true;
    };
    AlignRuns(state);
    PaintView(state, plot, surface, width, height, trails);
    state.playback.stopRequested = 0;  // every tick runs until the end test, as after a start
    state.playback.direction = 1;      // forward, as a start plays
    int frame = 0;
    if (!onFrame(frame++)) return {.end = FrameLoopEnd::Stopped};
    while (!ticks || result.ticks < *ticks) {
        const TimerRequest request = TickView(state, plot, surface, trails);
        ++result.ticks;
        if (request.repaint && !ticks) return {.end = FrameLoopEnd::LoopedRound, .ticks = result.ticks};
        if (!turnTo(frame) && request.repaint) PaintView(state, plot, surface, width, height, trails);
        if (!onFrame(frame++)) return {.end = FrameLoopEnd::Stopped, .ticks = result.ticks};
        if (request.stop) {
            if (!ticks || result.ticks < *ticks) result.end = FrameLoopEnd::DataEnd;
            return result;
        }
    }
    return result;
}
