#include "publication/frame_loop.h"

#include "animation/compared_runs.h"
#include "animation/simulation_state.h"
#include "animation/view_steps.h"
#include "publication/view_paint.h"

FrameLoopResult RunFrameLoop(SimulationState& state, PlotBox& plot, DrawingSurface& surface, int width,
                             int height, TrailCache* trails, std::optional<int> ticks,
                             const FrameCallback& onFrame) {
    FrameLoopResult result;
    AlignRuns(state);
    PaintView(state, plot, surface, width, height, trails);
    state.playback.stopRequested = 0;  // every tick runs until the end test, as after a start
    state.playback.direction = 1;      // forward, as a start plays
    int frame = 0;
    if (!onFrame(frame++)) return {.end = FrameLoopEnd::Stopped};
    while (!ticks || result.ticks < *ticks) {
        const TimerRequest request = TickView(state, plot, surface, trails);
        ++result.ticks;
        if (request.repaint) {
            if (!ticks) return {.end = FrameLoopEnd::LoopedRound, .ticks = result.ticks};
            PaintView(state, plot, surface, width, height, trails);
        }
        if (!onFrame(frame++)) return {.end = FrameLoopEnd::Stopped, .ticks = result.ticks};
        if (request.stop) {
            if (!ticks || result.ticks < *ticks) result.end = FrameLoopEnd::DataEnd;
            return result;
        }
    }
    return result;
}
