#include "app/render_command.h"

#include <QDir>
#include <QGuiApplication>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "animation/animation_commands.h"
#include "animation/simulation_loading.h"
#include "animation/startup_defaults.h"
#include "animation/trail_cache.h"
#include "animation/view_steps.h"
#include "app/image_surface.h"
#include "app/version.h"
#include "base/format.h"
#include "commands/working_folder.h"
#include "plot/plot_box.h"
#include "simulation/host.h"
#include "simulation/simulation_state.h"

namespace {

constexpr const char* kUsage =
    "Usage: orbivex [CONFIG.ovx]\n"
    "       orbivex --render OUT.png [options] CONFIG.ovx\n"
    "       orbivex --frames DIR [options] CONFIG.ovx\n"
    "       orbivex --help | --version\n"
    "\n"
    "Without options, opens the viewer (and loads CONFIG when given).\n"
    "--render writes one picture of the view; --frames writes the painted frame and\n"
    "one picture per tick as DIR/frame-000000.png, DIR/frame-000001.png, ...\n"
    "\n"
    "Options:\n"
    "  --size WxH   size of the view in pixels (default 600x600)\n"
    "  --framed     plot framed at 10 to 90 percent of the view, not the full view\n"
    "  --row N      row to show (default: the configuration's start row)\n"
    "  --ticks K    run K animation ticks after the first paint\n"
    "  --yes        answer Yes to questions (default No)\n";

constexpr int kMaxSide = 16384;

struct RenderOptions {
    std::string output;
    bool frames = false;
    int width = 600;
    int height = 600;
    bool framed = false;
    std::optional<int> row;
    int ticks = 0;
    bool yes = false;
    std::string config;
};

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

/// Fills `options`; returns an error text, empty when the arguments are good.
std::string ParseArguments(int argc, char** argv, RenderOptions& options) {
    bool haveOutput = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        auto value = [&] { return std::string_view(argv[++i]); };
        if ((arg == "--render" || arg == "--frames") && hasValue) {
            if (haveOutput) return "only one of --render and --frames may be given";
            haveOutput = true;
            options.frames = arg == "--frames";
            options.output = value();
        } else if (arg == "--size" && hasValue) {
            if (!ParseSize(value(), options.width, options.height))
                return Format("--size wants WxH with sides from 1 to %d", kMaxSide);
        } else if (arg == "--row" && hasValue) {
            int row = 0;
            if (!ParseInt(value(), row)) return "--row wants a whole number";
            options.row = row;
        } else if (arg == "--ticks" && hasValue) {
            if (!ParseInt(value(), options.ticks) || options.ticks < 0)
                return "--ticks wants a number from 0";
        } else if (arg == "--framed") {
            options.framed = true;
        } else if (arg == "--yes") {
            options.yes = true;
        } else if (arg.starts_with("--")) {
            return Format("unknown or incomplete option %s", argv[i]);
        } else if (options.config.empty()) {
            options.config = arg;
        } else {
            return "more than one configuration file given";
        }
    }
    if (!haveOutput) return "--render or --frames is needed";
    if (options.config.empty()) return "no configuration file given";
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
/// ends where the trail would reach past the rows in the data.
void ReportDataEnd(const SimulationState& state, int ticksDone, int ticksAsked) {
    std::fprintf(stderr,
                 "The data ran out after %d of %d ticks, at row %d: the trail needs %d rows after the "
                 "row shown, and the data has %d rows\n",
                 ticksDone, ticksAsked, state.position, state.pointsPerOrbit, std::max(state.rowsInData(), 0));
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
    const std::string config = EnterFolderOf(options.config);
    if (!LoadSimulation(state, plot, host, config)) return 1;
    if (options.row) state.position = *options.row;

    ImageSurface image(options.width, options.height);
    if (image.image().isNull()) {
        std::fprintf(stderr, "Not enough memory for a view of %dx%d pixels\n", options.width, options.height);
        return 1;
    }
    TrailCache trails;
    PaintView(state, plot, image.surface(), options.width, options.height, &trails);
    // As after a start with no stop pending: every tick runs until the end test.
    state.stopRequested = 0;
    int frame = 0;
    if (options.frames && !Save(image, FramePath(output, frame++))) return 1;
    for (int k = 0; k < options.ticks; ++k) {
        const TimerRequest request = TickView(state, plot, image.surface(), &trails);
        if (options.frames && !Save(image, FramePath(output, frame++))) return 1;
        if (request.stop) {
            if (k + 1 < options.ticks) ReportDataEnd(state, k + 1, options.ticks);
            break;
        }
    }
    if (!options.frames && !Save(image, QString::fromStdString(output))) return 1;
    return 0;
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
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("Orbivex %s\n", kVersion);
            return 0;
        }
    }
    RenderOptions options;
    const std::string problem = ParseArguments(argc, argv, options);
    if (!problem.empty()) {
        std::fprintf(stderr, "orbivex: %s\n\n%s", problem.c_str(), kUsage);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Standard error carries the program's own messages; the toolkit's
    // notes about the environment would only get in their way.
    qInstallMessageHandler(DropToolkitNotes);
    QGuiApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return Render(options);
}
