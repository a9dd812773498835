#include "app/video_recording.h"

#include <algorithm>

#include "animation/playback_range.h"
#include "animation/trail_cache.h"
#include "animation/view_steps.h"
#include "app/image_surface.h"
#include "app/video_encoder.h"
#include "plot/plot_box.h"
#include "simulation/simulation_state.h"

double DefaultVideoRate(int frameDelayMs) { return std::min(60.0, 1000.0 / std::max(1, frameDelayMs)); }

int PlannedFrames(const SimulationState& s, const VideoJob& job) {
    if (job.ticks) return *job.ticks + 1;
    return int(std::clamp<int64_t>(TicksToEnd(s).value_or(1 << 30) + 1, 1, 1 << 30));
}

namespace {

/// Puts the row and the requests back as they were when it was made.
class StateKeeper {
public:
    explicit StateKeeper(SimulationState& s)
        : s_(s), position_(s.position), start_(s.startRequested), stop_(s.stopRequested) {}
    ~StateKeeper() {
        s_.position = position_;
        s_.startRequested = start_;
        s_.stopRequested = stop_;
    }
    StateKeeper(const StateKeeper&) = delete;
    StateKeeper& operator=(const StateKeeper&) = delete;

private:
    SimulationState& s_;
    int32_t position_, start_, stop_;
};

}  // namespace

std::string RecordVideo(SimulationState& state, const PlotBox& plot, const VideoJob& job, const QString& path,
                        const VideoProgress& progress, int* framesWritten) {
    if (framesWritten) *framesWritten = 0;
    StateKeeper keeper(state);
    PlotBox copy = plot;
    ImageSurface image(job.width, job.height);
    if (image.image().isNull()) return "Not enough memory for the video's frames";
    VideoEncoder encoder;
    if (std::string problem = encoder.Start(path, job.width, job.height, job.fps); !problem.empty())
        return problem;
    const int planned = PlannedFrames(state, job);
    int done = 0;
    // Hands the raster to the encoder; an error text, empty when it was taken.
    auto addFrame = [&]() -> std::string {
        if (!encoder.AddFrame(image.image())) {
            encoder.Abort();
            return "ffmpeg stopped before the video was complete";
        }
        ++done;
        if (framesWritten) *framesWritten = done;
        if (progress && !progress(done, std::max(planned, done))) {
            encoder.Abort();
            return "cancelled";
        }
        return {};
    };
    TrailCache trails;
    PaintView(state, copy, image.surface(), job.width, job.height, &trails);
    state.stopRequested = 0;  // every tick runs until the end test, as after a start
    if (std::string problem = addFrame(); !problem.empty()) return problem;
    for (int k = 0; !job.ticks || k < *job.ticks; ++k) {
        const TimerRequest request = TickView(state, copy, image.surface(), &trails);
        if (request.repaint) {
            if (!job.ticks) break;  // a loop went round: the recording to the end is complete
            PaintView(state, copy, image.surface(), job.width, job.height, &trails);
        }
        if (std::string problem = addFrame(); !problem.empty()) return problem;
        if (request.stop) break;
    }
    return encoder.Finish();
}
