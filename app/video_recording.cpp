#include "app/video_recording.h"

#include <algorithm>

#include "animation/compared_runs.h"
#include "animation/playback_range.h"
#include "animation/simulation_state.h"
#include "animation/trail_cache.h"
#include "animation/view_projection.h"
#include "app/image_surface.h"
#include "app/scaled_paint.h"
#include "app/video_encoder.h"
#include "plot/plot_box.h"
#include "publication/frame_loop.h"

double DefaultVideoRate(int frameDelayMs) { return std::min(60.0, 1000.0 / std::max(1, frameDelayMs)); }

int PlannedFrames(const SimulationState& s, const VideoJob& job) {
    return int(std::clamp<int64_t>(FramesOfPlayback(s, job.ticks).value_or(1 << 30), 1, 1 << 30));
}

namespace {

/// The recording plays from where the playback stands and moves it; the
/// playback shown is given back whole, as it was, when the recording ends.
class PlaybackKept {
public:
    explicit PlaybackKept(SimulationState& s) : s_(s), kept_(s.playback) {}
    ~PlaybackKept() { s_.playback = kept_; }
    PlaybackKept(const PlaybackKept&) = delete;
    PlaybackKept& operator=(const PlaybackKept&) = delete;

private:
    SimulationState& s_;
    const Playback kept_;
};

}  // namespace

std::string RecordVideo(SimulationState& state, const PlotBox& plot, const VideoJob& job, const QString& path,
                        const VideoProgress& progress, int* framesWritten) {
    if (framesWritten) *framesWritten = 0;
    PlaybackKept kept(state);
    PlotBox copy = plot;
    ImageSurface image(job.width, job.height);
    if (image.image().isNull()) return "Not enough memory for the video's frames";
    VideoEncoder encoder;
    const int scale = std::max(job.scale, 1);
    if (std::string problem =
            encoder.Start(path, job.width * scale, job.height * scale, job.fps, LoadedDataFiles(state));
        !problem.empty())
        return problem;
    const int planned = PlannedFrames(state, job);
    std::string problem;
    // Hands the raster to the encoder; false, with the problem, when it was not taken.
    auto addFrame = [&](int frame) {
        if (!encoder.AddFrame(
                FramePicture(state, copy, image.image(), job.width, job.height, scale, frame))) {
            problem = encoder.StoppedEarly();
            return false;
        }
        const int done = frame + 1;
        if (framesWritten) *framesWritten = done;
        if (!progress || progress(done, std::max(planned, done))) return true;
        problem = "cancelled";
        encoder.Abort();
        return false;
    };
    // Without a tick count a loop going round ends the recording: it is complete.
    TrailCache trails;
    const FrameLoopTurn turn{job.turn, planned};
    const CameraTurn before = state.view.turn;
    RunFrameLoop(state, copy, image.surface(), job.width, job.height, &trails, job.ticks, addFrame,
                 job.turn != 0 ? &turn : nullptr);
    if (state.view.turn != before) TurnView(state, before);
    return problem.empty() ? encoder.Finish() : problem;
}
