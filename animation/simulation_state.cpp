#include "animation/simulation_state.h"

#include <algorithm>
#include <cmath>

namespace {

/// A run's trail length: the clock's, in the run's rows when it is another.
int TrailOf(const SimulationState& s, std::size_t k) {
    const int trail = s.view.trailLength;
    return k == 0 ? trail : std::max(1, int(std::lround(trail * s.runs[k].alignment.rowsPerRow)));
}

}  // namespace

RunAt::RunAt(const SimulationState& s) : RunAt(s, 0) {}

RunAt::RunAt(const SimulationState& s, std::size_t k)
    : run(s.runs[k]), view(s.view), playback(s.playback), trail(TrailOf(s, k)), style(s.runs[k].style) {
    if (k == 0) return;
    playback.position = run.alignment.rowAt(s.playback.position);
    playback.loading = false;
}
