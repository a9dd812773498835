#include "app/render_command.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QString>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "animation/animation_commands.h"
#include "animation/playback_commands.h"
#include "animation/settings.h"
#include "animation/simulation_loading.h"
#include "animation/startup_defaults.h"
#include "animation/trail_cache.h"
#include "animation/view_steps.h"
#include "app/command_ids.h"
#include "app/image_surface.h"
#include "app/main_frame.h"
#include "app/picture_export.h"
#include "app/simulation_app.h"
#include "app/version.h"
#include "app/video_encoder.h"
#include "app/video_recording.h"
#include "base/format.h"
#include "commands/working_folder.h"
#include "plot/plot_box.h"
#include "simulation/host.h"
#include "simulation/simulation_state.h"

namespace {

constexpr int kMaxSide = 16384;

/// Shown under the usage line of --help and of every complaint about the arguments.
constexpr const char* kDescription =
    "Writes pictures of a simulation without a window:\n"
    "  orbivex --render OUT.png [options] CONFIG.ovx   one picture of the view (.png, .svg or .pdf)\n"
    "  orbivex --frames DIR [options] CONFIG.ovx       the painted frame and one picture per tick,\n"
    "                                                  DIR/frame-000000.png, DIR/frame-000001.png, ...\n"
    "  orbivex --video OUT.mp4 [options] CONFIG.ovx    the same frames as a video (.mp4, .webm or .gif),\n"
    "                                                  made by ffmpeg; without --ticks to the end of the "
    "data\n"
    "Without --render or --frames, orbivex [options] [CONFIG.ovx] opens the viewer (and loads\n"
    "CONFIG when given), with the view options below turned on as in its menus.\n"
    "\n"
    "Trails: ahead (the default) shows the rows from the current one on, behind the rows\n"
    "before it and both the two together; with behind the playback runs to the last row\n"
    "of the data. --fade fades each trail point toward the plot's fill with its distance\n"
    "from the body; --loop starts the playback again at the start row at the end of the data.";

struct RenderOptions {
    bool window = false;  ///< no picture asked for: open the viewer with these options
    std::string output;
    bool frames = false;
    bool video = false;
    std::optional<int> ticksGiven;
    std::optional<double> fps;
    int width = 600;
    int height = 600;
    bool framed = false;
    std::optional<int> row;
    std::optional<double> time;
    int ticks = 0;
    bool yes = false;
    bool equalAspect = false;
    TrailMode trail = TrailMode::Ahead;
    bool fade = false;
    bool loop = false;
    bool follow = false;
    std::optional<std::array<double, 4>> box;
    int scale = 1;
    std::string config;
};

/// The command line's options, each declared once; --help is made from them.
struct OptionTable {
    QCommandLineOption render{
        "render", "Write one picture of the view to OUT: PNG, SVG or PDF by its extension.", "OUT.png"};
    QCommandLineOption frames{"frames", "Write the painted frame and one picture per tick into DIR.", "DIR"};
    QCommandLineOption video{
        "video", "Write the painted frame and every tick as a video: MP4, WebM or GIF by OUT's extension.",
        "OUT.mp4"};
    QCommandLineOption fps{"fps", "Frames per second of --video (default 1000 / delay, at most 60).", "F"};
    QCommandLineOption size{"size", "Size of the view in pixels (default 600x600).", "WxH"};
    QCommandLineOption scale{
        "scale", "PNG pictures S times the view's size, everything drawn S times larger (1 to 8).", "S"};
    QCommandLineOption framed{"framed", "Plot framed at 10 to 90 percent of the view, not the full view."};
    QCommandLineOption row{"row", "Row to show (default: the configuration's start row).", "N"};
    QCommandLineOption time{"time", "Show the first row whose time is at or after T; not with --row.", "T"};
    QCommandLineOption ticks{"ticks", "Run K animation ticks after the first paint.", "K"};
    QCommandLineOption yes{"yes", "Answer Yes to questions (default No)."};
    QCommandLineOption equalAspect{"equal-aspect",
                                   "Same scale on both axes: the box is widened to the view."};
    QCommandLineOption trail{"trail", "Trail rows: ahead (default), behind or both.", "MODE"};
    QCommandLineOption fade{"fade", "Fade trails toward the plot's fill away from the body."};
    QCommandLineOption loop{"loop", "Start the playback again at the start row at the end of the data."};
    QCommandLineOption box{"box", "World box shown instead of the configuration's.", "XMIN,YMIN,XMAX,YMAX"};
    QCommandLineOption follow{"follow", "In the viewer: follow the data file as another program writes it."};
    QCommandLineOption help{"help", "Show this help."};
    QCommandLineOption version{"version", "Show the version."};

    void AddTo(QCommandLineParser& parser) const {
        for (const QCommandLineOption* option :
             {&render, &frames, &video, &fps, &size, &scale, &framed, &row, &time, &ticks, &yes, &equalAspect,
              &trail, &fade, &loop, &box, &follow, &help, &version})
            parser.addOption(*option);
        parser.setApplicationDescription(kDescription);
        parser.addPositionalArgument("CONFIG.ovx", "The simulation's configuration file.");
    }
};

/// The help text with the program's name in its usage line.
std::string HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    text.replace("<executable_name>", "orbivex");
    return text.toStdString();
}

bool ParseInt(std::string_view text, int& value) {
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size();
}

bool ParseSize(std::string_view text, int& width, int& height) {
    const auto x = text.find('x');
    if (x == std::string_view::npos) return false;
    return ParseInt(text.substr(0, x), width) && ParseInt(text.substr(x + 1), height) && width >= 1 &&
           height >= 1 && width <= kMaxSide && height <= kMaxSide;
}

std::optional<TrailMode> ParseTrail(std::string_view text) {
    if (text == "ahead") return TrailMode::Ahead;
    if (text == "behind") return TrailMode::Behind;
    if (text == "both") return TrailMode::Both;
    return std::nullopt;
}

/// Four finite numbers separated by commas, each axis increasing.
std::optional<std::array<double, 4>> ParseBox(std::string_view text) {
    std::array<double, 4> box{};
    for (std::size_t i = 0; i < box.size(); ++i) {
        const auto comma = text.find(',');
        if ((comma == std::string_view::npos) != (i == box.size() - 1)) return std::nullopt;
        const std::optional<double> value = ParseRealField(text.substr(0, comma));
        if (!value) return std::nullopt;
        box[i] = *value;
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
    if (!(box[0] < box[2] && box[1] < box[3])) return std::nullopt;
    return box;
}

/// Fills `options` from the parsed command line; returns an error text,
/// empty when the arguments are good. An option given twice takes its last
/// value, once every value was found good.
std::string CheckArguments(const QCommandLineParser& parser, const OptionTable& table,
                           RenderOptions& options) {
    auto values = [&](const QCommandLineOption& option) {
        std::vector<std::string> all;
        for (const QString& value : parser.values(option)) all.push_back(value.toStdString());
        return all;
    };
    const auto renders = values(table.render), frames = values(table.frames), videos = values(table.video);
    if (renders.size() + frames.size() > 1 && videos.empty())
        return "only one of --render and --frames may be given";
    if (renders.size() + frames.size() + videos.size() > 1)
        return "only one of --render, --frames and --video may be given";
    options.window = renders.empty() && frames.empty() && videos.empty();
    for (const QCommandLineOption* pictureOnly : {&table.size, &table.ticks, &table.yes, &table.scale})
        if (options.window && parser.isSet(*pictureOnly))
            return Format("--%s needs --render or --frames",
                          pictureOnly->names().front().toLatin1().constData());
    options.frames = !frames.empty();
    options.video = !videos.empty();
    if (!options.window)
        options.output = options.frames ? frames.front() : options.video ? videos.front() : renders.front();
    if (options.video && !VideoFormatOf(QString::fromStdString(options.output)))
        return "--video wants a file ending in .mp4, .webm or .gif";
    for (const std::string& value : values(table.fps)) {
        options.fps = ParseRealField(value);
        if (!options.fps || !(*options.fps > 0 && *options.fps <= 240))
            return "--fps wants a number of frames per second above 0, at most 240";
    }
    if (options.fps && !options.video) return "--fps needs --video";
    for (const std::string& value : values(table.size))
        if (!ParseSize(value, options.width, options.height))
            return Format("--size wants WxH with sides from 1 to %d", kMaxSide);
    for (const std::string& value : values(table.scale))
        if (!ParseInt(value, options.scale) || options.scale < 1 || options.scale > 8)
            return "--scale wants a whole number from 1 to 8";
    if (options.scale != 1 && (options.frames || options.window || options.video ||
                               PictureFormatOf(QString::fromStdString(options.output)) != PictureFormat::Png))
        return "--scale applies to PNG pictures of --render only";
    for (const std::string& value : values(table.row)) {
        int row = 0;
        if (!ParseInt(value, row)) return "--row wants a whole number";
        options.row = row;
    }
    for (const std::string& value : values(table.time)) {
        options.time = ParseRealField(value);
        if (!options.time) return "--time wants a finite number";
    }
    if (options.row && options.time) return "--row and --time cannot be given together";
    for (const std::string& value : values(table.ticks)) {
        if (!ParseInt(value, options.ticks) || options.ticks < 0) return "--ticks wants a number from 0";
        options.ticksGiven = options.ticks;
    }
    for (const std::string& value : values(table.trail)) {
        const std::optional<TrailMode> mode = ParseTrail(value);
        if (!mode) return Format("--trail wants ahead, behind or both, not '%s'", value.c_str());
        options.trail = *mode;
    }
    for (const std::string& value : values(table.box)) {
        options.box = ParseBox(value);
        if (!options.box)
            return "--box wants XMIN,YMIN,XMAX,YMAX: four finite numbers with XMIN < XMAX and YMIN < YMAX";
    }
    options.framed = parser.isSet(table.framed);
    options.yes = parser.isSet(table.yes);
    options.equalAspect = parser.isSet(table.equalAspect);
    options.fade = parser.isSet(table.fade);
    options.loop = parser.isSet(table.loop);
    options.follow = parser.isSet(table.follow);
    if (options.follow && !options.window) return "--follow is for the viewer, not with --render or --frames";
    const QStringList configs = parser.positionalArguments();
    if (configs.empty() && options.window) return {};
    if (configs.empty()) return "no configuration file given";
    if (configs.size() > 1) return "more than one configuration file given";
    options.config = configs.front().toStdString();
    return {};
}

QString FramePath(const std::string& folder, int index) {
    return QString::fromStdString(folder) + QString::asprintf("/frame-%06d.png", index);
}

bool Save(const ImageSurface& image, const QString& path) {
    if (image.image().save(path, "PNG")) return true;
    std::fprintf(stderr, "Cannot write %s\n", path.toLocal8Bit().constData());
    return false;
}

/// Says why the ticks stopped before the number asked for: the playback
/// ends where the trail would reach past the rows in the data, or with a
/// trail behind at the last row.
void ReportDataEnd(const SimulationState& state, int ticksDone, int ticksAsked) {
    if (state.trailMode == TrailMode::Behind) {
        std::fprintf(stderr, "The data ran out after %d of %d ticks, at row %d of the %d rows in the data\n",
                     ticksDone, ticksAsked, state.position, std::max(state.rowsInData(), 0));
        return;
    }
    std::fprintf(stderr,
                 "The data ran out after %d of %d ticks, at row %d: the trail needs %d rows after the "
                 "row shown, and the data has %d rows\n",
                 ticksDone, ticksAsked, state.position, state.pointsPerOrbit,
                 std::max(state.rowsInData(), 0));
}

/// Records the frames of --video; the exit status.
int RecordVideoCommand(SimulationState& state, const PlotBox& plot, const RenderOptions& options,
                       const QString& path) {
    VideoJob job{.width = options.width,
                 .height = options.height,
                 .fps = options.fps.value_or(DefaultVideoRate(state.frameDelayMs)),
                 .ticks = options.ticksGiven};
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

int Render(const RenderOptions& options) {
    std::error_code error;
    std::string output = std::filesystem::absolute(options.output, error).string();
    if (error) output = options.output;
    if (options.frames && !QDir().mkpath(QString::fromStdString(output))) {
        std::fprintf(stderr, "Cannot create the folder %s\n", output.c_str());
        return 1;
    }
    SimulationState state;
    PlotBox plot;
    ConsoleHost host(options.yes);
    InitialiseDefaults(state, plot);
    if (options.framed) ToggleFullWindow(state, plot);
    plot.equalAspect = options.equalAspect;
    state.trailMode = options.trail;
    state.fadeTrails = options.fade;
    state.loopPlayback = options.loop;
    const std::string config = EnterFolderOf(options.config);
    if (!LoadSimulation(state, plot, host, config)) return 1;
    if (options.box) ApplyTypedBox(state, plot, *options.box);
    if (options.row) state.position = *options.row;
    if (options.time) state.position = RowAtOrAfterTime(state, *options.time);

    if (options.video) return RecordVideoCommand(state, plot, options, QString::fromStdString(output));

    ImageSurface image(options.width, options.height);
    if (image.image().isNull()) {
        std::fprintf(stderr, "Not enough memory for a view of %dx%d pixels\n", options.width, options.height);
        return 1;
    }
    TrailCache trails;
    PaintView(state, plot, image.surface(), options.width, options.height, &trails);
    // As after a start with no stop pending: every tick runs until the end test.
    state.stopRequested = 0;
    int frame = 0, ticksDone = 0;
    if (options.frames && !Save(image, FramePath(output, frame++))) return 1;
    for (int k = 0; k < options.ticks; ++k) {
        const TimerRequest request = TickView(state, plot, image.surface(), &trails);
        ++ticksDone;
        if (request.repaint) PaintView(state, plot, image.surface(), options.width, options.height, &trails);
        if (options.frames && !Save(image, FramePath(output, frame++))) return 1;
        if (request.stop) {
            if (k + 1 < options.ticks) ReportDataEnd(state, k + 1, options.ticks);
            break;
        }
    }
    if (options.frames) return 0;
    const QString path = QString::fromStdString(output);
    if (options.scale == 1 && PictureFormatOf(path) == PictureFormat::Png) return Save(image, path) ? 0 : 1;
    // Larger and vector pictures are painted afresh at the row the ticks reached.
    const std::string problem = ExportPicture(state, plot, options.width, options.height, path,
                                              {.scale = double(options.scale), .statusLine = ticksDone > 0});
    if (problem.empty()) return 0;
    std::fprintf(stderr, "%s\n", problem.c_str());
    return 1;
}

/// Opens the viewer with the view options of the command line, as if the
/// user had chosen them in its menus before loading the configuration.
int RunWindow(int& argc, char** argv, const RenderOptions& options) {
    SimulationApp app(argc, argv);
    app.InitInstance(options.config, [&options](CMainFrame& frame) {
        if (options.framed) frame.runCommand(ID_TOGGLE_FULL_WINDOW);
        if (options.equalAspect) frame.runCommand(ID_EQUAL_ASPECT);
        if (options.fade) frame.runCommand(ID_FADE_TRAILS);
        if (options.loop) frame.runCommand(ID_LOOP);
        if (options.follow) frame.runCommand(ID_FOLLOW_DATA);
        const int trail[] = {ID_TRAIL_AHEAD, ID_TRAIL_BEHIND, ID_TRAIL_BOTH};
        frame.runCommand(trail[static_cast<int>(options.trail)]);
    });
    CMainFrame& frame = *app.mainFrame();
    if (options.box) frame.placeBox(*options.box);
    if (options.row) frame.goToRow(*options.row);
    if (options.time) frame.goToRow(RowAtOrAfterTime(frame.state(), *options.time));
    return app.exec();
}

void DropToolkitNotes(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
}

}  // namespace

bool IsCommandLineMode(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--")) return true;
    }
    return false;
}

int RunRenderCommand(int argc, char** argv) {
    QCommandLineParser parser;
    const OptionTable table;
    table.AddTo(parser);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(HelpText(parser).c_str(), stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Orbivex %s\n", kVersion);
            return 0;
        }
    }
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    RenderOptions options;
    const std::string problem =
        parser.parse(arguments) ? CheckArguments(parser, table, options) : parser.errorText().toStdString();
    if (!problem.empty()) {
        std::fprintf(stderr, "orbivex: %s\n\n%s", problem.c_str(), HelpText(parser).c_str());
        return 2;
    }
    if (options.window) return RunWindow(argc, argv, options);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries the program's own messages; the toolkit's
    // notes about the environment would only get in their way.
    qInstallMessageHandler(DropToolkitNotes);
    QGuiApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return Render(options);
}
