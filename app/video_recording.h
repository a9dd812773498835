#pragma once
#include <QString>
#include <functional>
#include <optional>
#include <string>

struct SimulationState;
class PlotBox;

/// What to record: the view's size, the frame rate and how far to play.
struct VideoJob {
    int width = 600;
    int height = 600;
    double fps = 25;
    /// Video pixels per pixel of the view: everything drawn this many times larger.
    int scale = 1;
    /// Ticks after the first frame; none: until the playback ends (or, with
    /// a loop, until it goes back to its start).
    std::optional<int> ticks;
    /// Degrees the camera's azimuth turns over the video (--turn).
    double turn = 0;
};

/// The frame rate a recording takes by default: one frame per tick of the
/// playback's delay, at most 60 a second.
double DefaultVideoRate(int frameDelayMs);

/// The frames a recording from the current row will have, the first paint
/// included (FramesOfPlayback, at most 2^30).
int PlannedFrames(const SimulationState& state, const VideoJob& job);

/// Called after each frame with frames done and planned; false cancels.
using VideoProgress = std::function<bool(int done, int planned)>;

/// Records the playback from the state's current row into `path` (.mp4,
/// .webm or .gif): the first frame is a full paint, each further frame one
/// tick, drawn off-screen on the raster exactly as the view draws them. The
/// state's row and stop request are put back afterwards. A cancelled or failed
/// recording leaves no file; returns an error text, "cancelled" when
/// cancelled, empty on success. `framesWritten` receives the frame count.
std::string RecordVideo(SimulationState& state, const PlotBox& plot, const VideoJob& job, const QString& path,
                        const VideoProgress& progress, int* framesWritten = nullptr);
