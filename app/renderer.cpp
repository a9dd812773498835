#include "app/renderer.h"

#include <QDir>
#include <QGuiApplication>
#include <QString>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "animation/animation_commands.h"
#include "animation/compared_runs.h"
#include "animation/frame_view.h"
#include "animation/playback_commands.h"
#include "animation/playback_speed.h"
#include "animation/series_source.h"
#include "animation/settings.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "animation/trail_cache.h"
#include "animation/view_request.h"
#include "app/command_line.h"
#include "app/configuration_export.h"
#include "app/image_surface.h"
#include "app/page_export.h"
#include "app/picture_export.h"
#include "app/scaled_paint.h"
#include "app/video_recording.h"
#include "base/format.h"
#include "commands/working_folder.h"
#include "panel/panel_series.h"
#include "panel/series_export.h"
#include "plot/plot_box.h"
#include "publication/frame_loop.h"
#include "simulation/host.h"
#include "simulation/interrupt_cleanup.h"

namespace {

QString FramePath(const std::string& folder, int index) {
    return QString::fromStdString(folder) + QString::asprintf("/frame-%06d.png", index);
}

bool Save(const QImage& image, const QString& path, const std::vector<std::string>& kept) {
    const std::string problem = WritePng(image, path, kept);
    if (problem.empty()) return true;
    std::fprintf(stderr, "%s\n", problem.c_str());
    return false;
}

/// Says why the ticks stopped before the number asked for: the playback
/// ends where the trail would reach past the rows in the data, or with a
/// trail behind at the last row.
void ReportDataEnd(const SimulationState& state, int ticksDone, int ticksAsked) {
    const int rows = std::max(state.loaded().rowsInData(), 0);
    // A last tick may land past the data, where no row is.
    const std::string where = state.playback.position < rows ? Format("at row %d", state.playback.position)
                              : rows > 0                     ? Format("past row %d, the last", rows - 1)
                                                             : std::string("with no row to show");
    if (state.view.trailMode == TrailMode::Behind) {
        std::fprintf(stderr, "The data ran out after %d of %d ticks, %s of the %d rows in the data\n",
                     ticksDone, ticksAsked, where.c_str(), rows);
        return;
    }
    std::fprintf(
        stderr,
        "The data ran out after %d of %d ticks, %s: the trail needs %d rows after the row shown, and "
        "the data has %d rows\n",
        ticksDone, ticksAsked, where.c_str(), state.view.trailLength, rows);
}

/// Records the frames of --video; the exit status.
int RecordVideoCommand(SimulationState& state, const PlotBox& plot, const CommandOptions& options,
                       const QString& path) {
    VideoJob job{.width = options.width,
                 .height = options.height,
                 .fps = options.fps.value_or(DefaultVideoRate(state.playback.delayMs)),
                 .scale = options.scale,
                 .ticks = options.ticksGiven,
                 .turn = options.turnOver.value_or(0)};
    int frames = 0;
    const std::string problem = RecordVideo(state, plot, job, path, {}, &frames);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    if (options.ticksGiven && frames < *options.ticksGiven + 1)
        std::fprintf(stderr, "The data ran out after %d of %d ticks; the video has %d frames\n", frames - 1,
                     *options.ticksGiven, frames);
    return 0;
}

/// What each mode of the renderer works on: the command line's options, the
/// output's whole path, and the document loaded with its runs.
struct RenderJob {
    const CommandLine& line;
    const CommandOptions& options;
    std::string output;
    SimulationState& state;
    PlotBox& plot;
};

/// Prints `problem`, when there is one, and gives the exit status.
int Finished(const std::string& problem) {
    if (problem.empty()) return 0;
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
}

int ExportSeriesMode(RenderJob& job) {
    const SeriesExport written = ExportSeries(job.state, job.options.plot, job.options.gm, job.output);
    for (const std::string& note : written.notes) std::fprintf(stderr, "orbivex: %s\n", note.c_str());
    if (!written.problem.empty())
        std::fprintf(stderr, "%s%s\n", written.status == 2 ? "orbivex: " : "", written.problem.c_str());
    return written.status;
}

int WriteConfigMode(RenderJob& job) {
    return Finished(SaveConfiguration(job.state, job.plot, job.output, false));
}

int VideoMode(RenderJob& job) {
    return RecordVideoCommand(job.state, job.plot, job.options, QString::fromStdString(job.output));
}

int PageMode(RenderJob& job) {
    return Finished(ExportPage(job.state, job.plot, job.options.width, job.options.height,
                               QString::fromStdString(job.output)));
}

/// A picture, or the frames of the ticks played.
int PlayedMode(RenderJob& job) {
    const CommandOptions& options = job.options;
    SimulationState& state = job.state;
    PlotBox& plot = job.plot;
    const bool frames = job.line.mode == CommandMode::Frames;
    // With a panel of series the picture is shared: the view above, the
    // panel below (or the panel alone).
    PanelSeries series;
    const bool panel = state.view.panel.shown && job.line.mode == CommandMode::Picture;
    const int panelHeight = !panel ? 0
                            : options.panelOnly
                                ? options.height
                                : options.panelHeight.value_or(int(std::lround(options.height * 0.4)));
    const int viewHeight = options.panelOnly || !panel ? options.height : options.height - panelHeight;
    if (viewHeight < 1) {
        std::fprintf(stderr, "orbivex: --panel-height %d leaves no room for the view in --size %dx%d\n",
                     panelHeight, options.width, options.height);
        return 2;
    }
    if (panel) UpdatePanelSeries(state, series);
    ImageSurface image(options.width, viewHeight);
    if (image.image().isNull()) {
        std::fprintf(stderr, "Not enough memory for a view of %dx%d pixels\n", options.width, viewHeight);
        return 1;
    }
    TrailCache trails;
    const FrameLoopResult played = RunFrameLoop(
        state, plot, image.surface(), options.width, viewHeight, &trails, options.ticks, [&](int frame) {
            return !frames || Save(FramePicture(state, plot, image.image(), options.width, viewHeight,
                                                options.scale, frame),
                                   FramePath(job.output, frame), LoadedDataFiles(state));
        });
    if (played.end == FrameLoopEnd::Stopped) return 1;
    if (played.end == FrameLoopEnd::DataEnd) ReportDataEnd(state, played.ticks, options.ticks);
    if (frames) return 0;
    const QString path = QString::fromStdString(job.output);
    if (!panel && RasterIsThePicture(state, options.scale) && PictureFormatOf(path) == PictureFormat::Png)
        return Save(image.image(), path, LoadedDataFiles(state)) ? 0 : 1;
    // Larger and vector pictures, and those with a panel, are painted afresh
    // at the row the ticks reached.
    return Finished(ExportPicture(state, plot, options.width, viewHeight, path,
                                  {.scale = double(options.scale),
                                   .statusLine = played.ticks > 0,
                                   .panel = panel ? &series : nullptr,
                                   .panelHeight = panelHeight,
                                   .panelOnly = options.panelOnly}));
}

/// The renderer's modes: what each runs, and whether it takes only the
/// figure's options (names, colours, the bodies shown) of the view's.
struct RenderMode {
    CommandMode mode;
    bool figureOnly;
    int (*run)(RenderJob&);
};
constexpr RenderMode kRenderModes[] = {
    {CommandMode::ExportSeries, true, ExportSeriesMode},
    {CommandMode::WriteConfig, true, WriteConfigMode},
    {CommandMode::Video, false, VideoMode},
    {CommandMode::Page, false, PageMode},
    {CommandMode::Picture, false, PlayedMode},
    {CommandMode::Frames, false, PlayedMode},
};

int Render(const CommandLine& line) {
    const RenderMode* mode = std::find_if(std::begin(kRenderModes), std::end(kRenderModes),
                                          [&](const RenderMode& m) { return m.mode == line.mode; });
    if (mode == std::end(kRenderModes)) return 2;  // no mode of the renderer
    const CommandOptions& options = line.options;
    std::error_code error;
    std::string output = std::filesystem::absolute(options.output, error).string();
    if (error) output = options.output;
    if (line.mode == CommandMode::Frames && !QDir().mkpath(QString::fromStdString(output))) {
        std::fprintf(stderr, "Cannot create the folder %s\n", output.c_str());
        return 1;
    }
    SimulationState state;
    PlotBox plot;
    ConsoleHost host(options.yes);
    InitialiseDefaults(state, plot);
    ApplyViewChoices(state, plot, options);
    const std::string config = EnterFolderOf(options.config);
    if (!LoadFile(state, plot, host, config)) return 1;
    if (!AddRuns(state, plot, host, options.runs, options.runNames)) return 1;
    if (const std::string problem =
            mode->figureOnly ? ApplyFigure(state, plot, options.figure) : ApplyToLoaded(state, plot, options);
        !problem.empty()) {
        std::fprintf(stderr, "orbivex: %s\n", problem.c_str());
        return 2;
    }
    RenderJob job{line, options, output, state, plot};
    return mode->run(job);
}

void DropToolkitNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

int RunRenderer(int& argc, char** argv, const CommandLine& line) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries the program's own messages; the toolkit's
    // notes about the environment would only get in their way.
    qInstallMessageHandler(DropToolkitNotes);
    // The arguments were read already: the toolkit sees only the program's
    // name, so that it takes none of them for its own (--style is ours).
    (void)argc;
    static int programOnly = 1;
    QGuiApplication app(programOnly, argv);
    // A write cut short by Ctrl+C or a kill leaves no neighbour behind.
    InstallInterruptCleanup();
    std::setlocale(LC_NUMERIC, "C");
    return Render(line);
}
