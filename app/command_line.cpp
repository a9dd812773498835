#include "app/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

#include "animation/playback_speed.h"
#include "app/picture_export.h"
#include "app/version.h"
#include "app/video_encoder.h"
#include "base/colour_names.h"
#include "base/format.h"
#include "simulation/body_list.h"
#include "simulation/configuration_fields.h"
#include "simulation/configuration_reader.h"
#include "simulation/number_text.h"
#include "simulation/orbit_elements.h"
#include "simulation/shown_text.h"
#include "simulation/table_plane.h"
#include "simulation/world_box.h"

namespace {

constexpr int kMaxSide = 16384;

/// Shown under the usage line of --help.
constexpr const char* kDescription =
    "Writes pictures of a simulation without a window:\n"
    "  orbivex --render OUT.png [options] CONFIG.ovx   one picture of the view (.png, .svg or .pdf)\n"
    "  orbivex --html OUT.html [options] CONFIG.ovx    a page that plays the view in a browser\n"
    "  orbivex --frames DIR [options] CONFIG.ovx       the painted frame and one picture per tick,\n"
    "                                                  DIR/frame-000000.png, DIR/frame-000001.png, ...\n"
    "  orbivex --video OUT.mp4 [options] CONFIG.ovx    the same frames as a video (.mp4, .webm or .gif),\n"
    "                                                  made by ffmpeg; without --ticks to the end of the "
    "data\n"
    "  orbivex --write-config OUT.ovx [--plane P] TABLE  a configuration that shows the plain data\n"
    "                                                  table TABLE as opening it directly does\n"
    "                                                  (with --columns too)\n"
    "  orbivex --export-series OUT.csv --plot LIST CONFIG.ovx\n"
    "                                                  the series LIST names as a CSV table: the time,\n"
    "                                                  then a column each (r:1,e:2,sep:1-2,energy)\n"
    "Without --render or --frames, orbivex [options] [CONFIG.ovx] opens the viewer (and loads\n"
    "CONFIG when given), with the view options below turned on as in its menus.\n"
    "Several files are runs compared on one view and clock, the first's clock shown:\n"
    "  orbivex [options] RUN1 RUN2 ...                 in the window and in every mode above\n"
    "                                                  but --write-config (names: --run-names A,B)\n"
    "In place of CONFIG.ovx a plain data table (CSV, TSV or numbers in columns: the time, then\n"
    "x and y of each body, with or without a header of column names) opens directly.\n"
    "\n"
    "Trails: ahead shows the rows from the current one on (a classic configuration's\n"
    "default), behind the rows before it (a table's) and both the two together; with behind\n"
    "the playback runs to the last row of the data. --fade fades each trail point toward\n"
    "the plot's fill with its distance from the body; --loop starts the playback again at\n"
    "the start row at the end of the data.";

/// The command line's options, each declared once; --help is made from them.
struct OptionTable {
    QCommandLineOption render{
        "render", "Write one picture of the view to OUT: PNG, SVG or PDF by its extension.", "OUT.png"};
    QCommandLineOption frames{"frames", "Write the painted frame and one picture per tick into DIR.", "DIR"};
    QCommandLineOption video{
        "video", "Write the painted frame and every tick as a video: MP4, WebM or GIF by OUT's extension.",
        "OUT.mp4"};
    QCommandLineOption html{
        "html", "Write a page that plays the view in any browser, on its own, to OUT.html.", "OUT.html"};
    QCommandLineOption fps{"fps", "Frames per second of --video (default 1000 / delay, at most 60).", "F"};
    QCommandLineOption size{"size", "Size of the view in pixels (default 600x600).", "WxH"};
    QCommandLineOption scale{
        "scale",
        "PNG pictures, frames and videos S times the view's size, everything drawn S times larger (1 to 8).",
        "S"};
    QCommandLineOption framed{"framed", "Plot framed at 10 to 90 percent of the view, not the full view."};
    QCommandLineOption row{"row", "Row to show (default: the configuration's start row).", "N"};
    QCommandLineOption time{"time", "Show the first row whose time is at or after T; not with --row.", "T"};
    QCommandLineOption ticks{"ticks", "Run K animation ticks after the first paint.", "K"};
    QCommandLineOption yes{"yes", "Answer Yes to questions (default No)."};
    QCommandLineOption equalAspect{"equal-aspect",
                                   "Same scale on both axes: the box is widened to the view."};
    QCommandLineOption trail{"trail",
                             "Trail rows: ahead, behind or both (default: ahead for a classic "
                             "configuration, behind for a table).",
                             "MODE"};
    QCommandLineOption trailLength{
        "trail-length", "Rows each trail holds, instead of the configuration's points per orbit.", "ROWS"};
    QCommandLineOption fade{"fade", "Fade trails toward the plot's fill away from the body."};
    QCommandLineOption loop{"loop", "Start the playback again at the start row at the end of the data."};
    QCommandLineOption box{"box", "World box shown instead of the configuration's.", "XMIN,YMIN,XMAX,YMAX"};
    QCommandLineOption follow{"follow", "In the viewer: follow the data file as another program writes it."};
    QCommandLineOption noSettings{
        "no-settings", "In the viewer: start with the defaults, and remember nothing of this session."};
    QCommandLineOption plane{"plane",
                             "Plane shown of a table with x, y and z per body: xy (default), xz, yz, "
                             "ecliptic (of equatorial J2000 data), invariable (needs masses) or orbit:N.",
                             "PLANE"};
    QCommandLineOption view{"view",
                            "The camera turned from the plane shown: azimuth (the system turned about "
                            "the plane's normal) and elevation (90 straight above it, 0 in it), in "
                            "degrees, and a roll; 0,90 is the plane as it is.",
                            "AZ,EL[,ROLL]"};
    QCommandLineOption turn{"turn", "With --video: turns the camera's azimuth by DEG over the video.", "DEG"};
    QCommandLineOption columns{"columns",
                               "Columns of a table without a header after the time: xy (x, y of each body, "
                               "the default) or xyz.",
                               "COLUMNS"};
    QCommandLineOption writeConfig{
        "write-config", "Write a configuration for the data table given to OUT.ovx, then leave.", "OUT.ovx"};
    QCommandLineOption style{"style",
                             "Look of the view: classic or publication (default: classic for a classic "
                             "configuration, publication for a table).",
                             "STYLE"};
    QCommandLineOption lineWidth{
        "line-width", "Publication: trail width in pixels of the view (default 1.5, grown with the view).",
        "W"};
    QCommandLineOption discSize{"disc-size",
                                "Publication: every body's disc radius in pixels of the view (default: "
                                "the configuration's radii, grown with the view as the text).",
                                "PX"};
    QCommandLineOption grid{"grid", "Publication: a light grid at the ticks."};
    QCommandLineOption fontSize{
        "font-size", "Publication: text size in pixels of the view (default from the view's size).", "PX"};
    QCommandLineOption clock{"clock", "Publication: the time stamp in a corner, on (default) or off.", "ON"};
    QCommandLineOption frame{"frame",
                             "Frame the positions are shown in: inertial (default), centre:N, rotate:N, "
                             "rotate:N,scaled or barycentre; N a body's number or name.",
                             "FRAME"};
    QCommandLineOption speed{"speed",
                             "Playback speed: simulation time per second when the rows are evenly spaced "
                             "in time, else rows per second; rows per second always with r after it (200r).",
                             "X"};
    QCommandLineOption title{"title", "The plot's title, in place of the document's.", "TEXT"};
    QCommandLineOption names{"names", "The bodies' names, in order: one word each, separated by commas.",
                             "A,B,..."};
    QCommandLineOption colours{"colours",
                               "The bodies' colours, in order: colour names or #rrggbb, separated by commas.",
                               "C1,C2,..."};
    QCommandLineOption timeUnit{"time-unit", "The unit of the time column (the time stamp and titles).", "U"};
    QCommandLineOption lengthUnit{"length-unit", "The unit of the positions (the axes' titles).", "U"};
    QCommandLineOption sun{"sun", "The sun: on, off, or its radius in pixels (0 to 100).", "SUN"};
    QCommandLineOption bodies{
        "bodies",
        "Show only these bodies, by their numbers in the data: 1-4,7 (legend, box and frames follow).",
        "LIST"};
    QCommandLineOption exportSeries{
        "export-series", "Write the series --plot names as a CSV table to OUT.csv, then leave.", "OUT.csv"};
    QCommandLineOption plot{"plot",
                            "Series of the bodies, separated by commas: r:N (distance from the sun), v:N "
                            "(speed), a:N, e:N, omega:N, i:N, node:N (elements, angles in degrees), eps:N "
                            "(specific energy), sep:I-J (separation), energy and momentum (the system's "
                            "relative change); N a body's number or name.",
                            "LIST"};
    QCommandLineOption gm{"gm",
                          "The sun's gravitational parameter G M in the data's units, for the elements "
                          "(default: the configuration's, else from the units AU with yr or d).",
                          "MU"};
    QCommandLineOption masses{"masses",
                              "The bodies' masses, in order, in any one unit, separated by commas: for the "
                              "barycentre, the system's energy and the invariable plane.",
                              "M1,M2,..."};
    QCommandLineOption sunMass{"sun-mass", "The sun's mass, in the unit of --masses (default 1).", "M"};
    QCommandLineOption panelOnly{"panel-only", "With --render and --plot: the panel of series alone."};
    QCommandLineOption panelHeight{
        "panel-height", "With --render and --plot: the panel's height in pixels (default: 2/5 of --size).",
        "N"};
    QCommandLineOption runNames{"run-names",
                                "With several files: the runs' names in the legend, one for each file "
                                "(default: the files' names).",
                                "A,B"};
    QCommandLineOption help{"help", "Show this help."};
    QCommandLineOption version{"version", "Show the version."};

    void AddTo(QCommandLineParser& parser) const {
        for (const QCommandLineOption* option :
             {&render,      &frames,     &video,    &fps,          &size,        &scale,    &framed,
              &row,         &time,       &ticks,    &yes,          &equalAspect, &trail,    &fade,
              &loop,        &box,        &follow,   &plane,        &writeConfig, &style,    &lineWidth,
              &grid,        &fontSize,   &clock,    &frame,        &trailLength, &discSize, &title,
              &names,       &colours,    &timeUnit, &lengthUnit,   &sun,         &bodies,   &help,
              &version,     &noSettings, &columns,  &exportSeries, &plot,        &gm,       &panelOnly,
              &panelHeight, &runNames,   &html,     &view,         &turn,        &masses,   &sunMass})
            parser.addOption(*option);
        parser.addOption(speed);
        parser.setApplicationDescription(kDescription);
        parser.addPositionalArgument("CONFIG.ovx",
                                     "The simulation's configuration file or data table; "
                                     "several are runs compared on one view and clock.");
    }
};

/// The help text with the program's name in its usage line.
std::string HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    text.replace("<executable_name>", "orbivex");
    return text.toStdString();
}

/// Whole numbers are the argument alone, without blanks or '+'; reals read
/// as the dialogs' fields read them, blanks around them allowed.
constexpr WholeTextRules kWholeArgument{.blanks = NumberBlanks::None, .plus = PlusSign::Refused};
constexpr RealTextRules kRealArgument{.blanks = NumberBlanks::Any, .grammar = RealGrammar::CLibrary};

bool ParseInt(std::string_view text, int& value) {
    const std::optional<int32_t> parsed = ParseWholeText(text, kWholeArgument);
    if (parsed) value = *parsed;
    return parsed.has_value();
}

std::optional<double> ParseReal(std::string_view text) { return ParseFiniteText(text, kRealArgument); }

bool ParseSize(std::string_view text, int& width, int& height) {
    const auto x = text.find('x');
    if (x == std::string_view::npos) return false;
    return ParseInt(text.substr(0, x), width) && ParseInt(text.substr(x + 1), height) && width >= 1 &&
           height >= 1 && width <= kMaxSide && height <= kMaxSide;
}

/// Four finite numbers separated by commas, each axis increasing, that
/// make a box that can be shown.
std::optional<std::array<double, 4>> ParseBox(std::string_view text) {
    std::array<double, 4> box{};
    for (std::size_t i = 0; i < box.size(); ++i) {
        const auto comma = text.find(',');
        if ((comma == std::string_view::npos) != (i == box.size() - 1)) return std::nullopt;
        const std::optional<double> value = ParseReal(text.substr(0, comma));
        if (!value) return std::nullopt;
        box[i] = *value;
        text.remove_prefix(comma == std::string_view::npos ? text.size() : comma + 1);
    }
    if (!(box[0] < box[2] && box[1] < box[3]) || !WorldBoxProblem(box).empty()) return std::nullopt;
    return box;
}

/// Reads the look's options into `options.style` and `options.look`; an
/// error text, empty when they are good. The publication options need the
/// publication look.
std::string CheckLook(const QCommandLineParser& parser, const OptionTable& table, CommandOptions& options) {
    for (const QString& value : parser.values(table.style))
        if (!(options.style = ViewStyleNamed(value.toStdString())))
            return Format("--style wants classic or publication, not '%s'", value.toUtf8().constData());
    for (const QString& value : parser.values(table.lineWidth)) {
        const std::optional<double> width = ParseReal(value.toStdString());
        if (!width || !(*width > 0 && *width <= 50))
            return "--line-width wants a number of pixels above 0, at most 50";
        options.look.lineWidth = *width;
    }
    for (const QString& value : parser.values(table.discSize)) {
        const std::optional<double> size = ParseReal(value.toStdString());
        if (!size || !(*size >= 0.5 && *size <= 200))
            return "--disc-size wants a number of pixels from 0.5 to 200";
        options.look.discSize = *size;
    }
    for (const QString& value : parser.values(table.fontSize)) {
        const std::optional<double> size = ParseReal(value.toStdString());
        if (!size || !(*size >= 4 && *size <= 400))
            return "--font-size wants a number of pixels from 4 to 400";
        options.look.fontSize = *size;
    }
    for (const QString& value : parser.values(table.clock)) {
        if (value != "on" && value != "off")
            return Format("--clock wants on or off, not '%s'", value.toUtf8().constData());
        options.look.clock = value == "on";
    }
    options.look.grid = parser.isSet(table.grid);
    // Whether the look is the publication one is known once the document is
    // (a table is shown in it unless --style classic is given).
    for (const QCommandLineOption* own :
         {&table.lineWidth, &table.grid, &table.fontSize, &table.clock, &table.discSize})
        if (parser.isSet(*own) && options.publicationOption.empty())
            options.publicationOption = "--" + own->names().front().toStdString();
    if (options.style == ViewStyle::Classic && !options.publicationOption.empty())
        return options.publicationOption + " needs --style publication";
    return {};
}

/// The words of a comma-separated list, each trimmed of blanks.
std::vector<std::string> CommaWords(const QString& text) {
    std::vector<std::string> words;
    for (const QString& word : text.split(',')) words.push_back(word.trimmed().toStdString());
    return words;
}

/// Reads the figure's options into `figure`; an error text, empty when they
/// are good.
std::string CheckFigure(const QCommandLineParser& parser, const OptionTable& table, FigureRequest& figure) {
    for (const QString& value : parser.values(table.title)) figure.title = ShownText(value.toStdString());
    for (const QString& value : parser.values(table.names)) {
        figure.names = CommaWords(value);
        for (std::string& name : figure.names) {
            if (name.empty() || name.find_first_of(" \t") != std::string::npos)
                return "--names wants one word a body, separated by commas";
            name = ShownText(name);
        }
    }
    for (const QString& value : parser.values(table.colours)) {
        figure.colours.clear();
        for (const std::string& word : CommaWords(value)) {
            const std::optional<ColourRef> colour = ParseColour(word);
            if (!colour)
                return Format("--colours: '%s' is not a colour (a name such as red, or #rrggbb)",
                              ShownText(word).c_str());
            figure.colours.push_back(*colour);
        }
    }
    for (const QString& value : parser.values(table.bodies)) {
        std::string problem;
        const auto list = ParseBodyList(value.toStdString(), problem);
        if (!list) return "--bodies: " + ShownText(problem);
        figure.bodies = *list;
    }
    for (const QString& value : parser.values(table.masses)) {
        ConfigurationFields read;
        ReadMassesLine(QString(value).replace(',', ' ').toStdString(), read);
        if (!read.massProblem.empty()) return "--" + read.massProblem;
        if (read.bodyMasses.empty()) return "--masses wants a mass for each body, separated by commas";
        figure.masses = read.bodyMasses;
    }
    for (const QString& value : parser.values(table.sunMass)) {
        ConfigurationFields read;
        ReadSunMassLine(value.toStdString(), read);
        if (!read.massProblem.empty())
            return "--sun-mass: " + value.toStdString() + " is not a mass (a number of 0 or more)";
        figure.sunMass = read.sunMass;
    }
    for (const QString& value : parser.values(table.timeUnit))
        figure.timeUnit = ShownText(value.toStdString());
    for (const QString& value : parser.values(table.lengthUnit))
        figure.lengthUnit = ShownText(value.toStdString());
    for (const QString& value : parser.values(table.sun)) {
        int size = 0;
        figure.sunOn = value == "on";
        if (figure.sunOn)
            figure.sunSize.reset();
        else if (value == "off")
            figure.sunSize = 0;
        else if (ParseInt(value.toStdString(), size) && size >= 0 && size <= 100)
            figure.sunSize = size;
        else
            return Format("--sun wants on, off or a radius in pixels from 0 to 100, not '%s'",
                          ShownText(value.toStdString()).c_str());
    }
    return {};
}

/// Reads --speed into `options.speed`; an error text, empty when it is good.
/// A configuration written for a table takes no speed.
std::string CheckSpeed(const QCommandLineParser& parser, const OptionTable& table, CommandOptions& options) {
    for (const QString& value : parser.values(table.speed))
        if (!(options.speed = ParseSpeed(value.toStdString())))
            return "--speed wants a number above 0, or rows per second as 200r";
    return {};
}

/// The modes of a command line, as bits of a set.
enum ModeBit : unsigned {
    kViewer = 1,
    kPicture = 2,
    kFrames = 4,
    kVideo = 8,
    kPage = 16,
    kConfig = 32,
    kSeries = 64,
};
constexpr unsigned kOutputs = kPicture | kFrames | kVideo | kPage;
constexpr unsigned kViews = kViewer | kOutputs;

/// What each option limited to some modes goes with, in the order a
/// command line's options are checked: the first given that does not go
/// with the mode is told. Options not here go with every mode.
struct OptionModes {
    QCommandLineOption OptionTable::*option;
    unsigned modes;
};
constexpr OptionModes kOptionModes[] = {
    {&OptionTable::size, kOutputs},
    {&OptionTable::ticks, kOutputs},
    {&OptionTable::yes, kOutputs},
    {&OptionTable::scale, kOutputs},
    {&OptionTable::fps, kVideo},
    {&OptionTable::turn, kVideo},
    {&OptionTable::view, kViews},
    {&OptionTable::framed, kViews},
    {&OptionTable::row, kViews},
    {&OptionTable::time, kViews},
    {&OptionTable::fade, kViews},
    {&OptionTable::loop, kViews},
    {&OptionTable::box, kViews},
    {&OptionTable::follow, kViewer},
    {&OptionTable::lineWidth, kViews},
    {&OptionTable::grid, kViews},
    {&OptionTable::fontSize, kViews},
    {&OptionTable::clock, kViews},
    {&OptionTable::frame, kViews},
    {&OptionTable::trailLength, kViews},
    {&OptionTable::discSize, kViews},
    {&OptionTable::noSettings, kViewer},
    {&OptionTable::speed, kViews},
    {&OptionTable::bodies, kViews | kConfig},
    {&OptionTable::style, kViews | kConfig},
    {&OptionTable::trail, kViews | kConfig},
    {&OptionTable::equalAspect, kViews | kConfig},
    {&OptionTable::plot, kViewer | kPicture | kPage | kSeries},
    {&OptionTable::panelOnly, kPicture},
    {&OptionTable::panelHeight, kPicture},
};

/// The names of the modes in `modes`, as a message names them: "the
/// viewer", "--render", ..., joined with commas and a last "or".
std::string ModeNames(unsigned modes) {
    static const char* const names[] = {"the viewer", "--render",       "--frames",       "--video",
                                        "--html",     "--write-config", "--export-series"};
    std::vector<std::string> named;
    for (unsigned bit = 0; bit < std::size(names); ++bit)
        if (modes & (1u << bit)) named.push_back(names[bit]);
    std::string text;
    for (std::size_t k = 0; k < named.size(); ++k)
        text += (k == 0 ? "" : k + 1 == named.size() ? " or " : ", ") + named[k];
    return text;
}

/// The one refusal of an option given in a mode it does not go with:
/// "--X does not go with MODE", and what it goes with unless that is every
/// view (the modes that only write a file take none of the view's
/// options). Empty when every option given goes with `mode`.
std::string RefusedInMode(const QCommandLineParser& parser, const OptionTable& table, unsigned mode) {
    for (const OptionModes& limit : kOptionModes) {
        const QCommandLineOption& option = table.*limit.option;
        if ((limit.modes & mode) || !parser.isSet(option)) continue;
        std::string text = Format("--%s does not go with %s", option.names().front().toLatin1().constData(),
                                  ModeNames(mode).c_str());
        if ((limit.modes & kViews) != kViews) text += ": it goes with " + ModeNames(limit.modes);
        return text;
    }
    return {};
}

/// Takes the files given: the first the document shown, the others runs
/// compared with it, named by --run-names when given.
std::string TakeFiles(const QCommandLineParser& parser, const OptionTable& table, const QStringList& files,
                      CommandOptions& options) {
    options.config = files.front().toStdString();
    options.runs.clear();
    // Whole paths: reading the first file may enter its folder.
    for (qsizetype i = 1; i < files.size(); ++i) {
        std::error_code error;
        const std::filesystem::path run = std::filesystem::absolute(files[i].toStdString(), error);
        options.runs.push_back(error ? files[i].toStdString() : run.string());
    }
    options.runNames.clear();
    for (const QString& value : parser.values(table.runNames)) {
        options.runNames.clear();
        for (const QString& name : value.split(','))
            options.runNames.push_back(ShownText(name.trimmed().toStdString()));
    }
    if (parser.isSet(table.runNames) && options.runNames.size() != std::size_t(files.size()))
        return Format("--run-names gives %d name%s for %d files: one for each", int(options.runNames.size()),
                      options.runNames.size() == 1 ? "" : "s", int(files.size()));
    return {};
}

std::vector<std::string> Values(const QCommandLineParser& parser, const QCommandLineOption& option) {
    std::vector<std::string> all;
    for (const QString& value : parser.values(option)) all.push_back(value.toStdString());
    return all;
}

/// The outputs a command line names, each as often as it is given.
struct Outputs {
    std::vector<std::string> renders, frames, videos, pages, configs, series;

    Outputs(const QCommandLineParser& parser, const OptionTable& table)
        : renders(Values(parser, table.render)),
          frames(Values(parser, table.frames)),
          videos(Values(parser, table.video)),
          pages(Values(parser, table.html)),
          configs(Values(parser, table.writeConfig)),
          series(Values(parser, table.exportSeries)) {}
    /// Pictures, frames and videos: what the renderer plays.
    std::size_t played() const { return renders.size() + frames.size() + videos.size(); }
};

/// The mode the outputs named choose, as a bit of ModeBit.
unsigned ModeBitOf(const Outputs& out) {
    return !out.series.empty()    ? kSeries
           : !out.configs.empty() ? kConfig
           : !out.frames.empty()  ? kFrames
           : !out.videos.empty()  ? kVideo
           : !out.pages.empty()   ? kPage
           : !out.renders.empty() ? kPicture
                                  : kViewer;
}

/// At most one picture, frame folder or video, and a configuration written
/// alone and with nothing of the view.
std::string CheckOutputsGiven(const Outputs& out) {
    if (out.renders.size() + out.frames.size() > 1 && out.videos.empty())
        return "only one of --render and --frames may be given";
    if (out.played() > 1) return "only one of --render, --frames and --video may be given";
    if (!out.configs.empty() && out.played() + out.pages.size() + out.configs.size() > 1)
        return "--write-config cannot be given with --render, --frames, --video or --html, nor twice";
    if (!out.series.empty() && out.played() + out.pages.size() + out.configs.size() + out.series.size() > 1)
        return "--export-series cannot be given with --render, --frames, --video, --html or --write-config, "
               "nor twice";
    if (!out.pages.empty() && out.played() + out.pages.size() > 1)
        return "--html cannot be given with --render, --frames or --video, nor twice";
    return {};
}

/// The choices about the data that every mode takes: the frame, the plane,
/// the columns, mu and the series plotted.
std::string ReadDataChoices(const QCommandLineParser& parser, const OptionTable& table,
                            CommandOptions& options) {
    for (const std::string& value : Values(parser, table.frame)) options.frame = value;
    for (const std::string& value : Values(parser, table.plane)) {
        const std::optional<ViewPlane> plane = ParseViewPlane(value);
        if (!plane)
            return Format("--plane wants xy, xz, yz, ecliptic, invariable or orbit:N, not '%s'",
                          value.c_str());
        options.plane = *plane;
    }
    for (const std::string& value : Values(parser, table.view)) {
        std::string error;
        options.turn = ParseCameraTurn(value, error);
        if (!options.turn) return "--view: " + error;
    }
    for (const std::string& value : Values(parser, table.columns))
        if (!ParseTableColumns(value, options.columns))
            return Format("--columns wants xy or xyz, not '%s'", value.c_str());
    for (const std::string& value : Values(parser, table.gm)) {
        options.gm = ParseReal(value);
        if (!options.gm || !UsableGm(*options.gm))
            return "--gm wants a finite number above 0, and not below 2.2e-308 (the doubles' least in full)";
    }
    for (const std::string& value : Values(parser, table.plot)) options.plot = value;
    return {};
}

/// --export-series: alone among the outputs, with --plot and the files,
/// and nothing of the view: the series are the data's own.
std::string ExportSeriesArguments(const QCommandLineParser& parser, const OptionTable& table,
                                  const Outputs& out, CommandOptions& options, CommandMode& mode) {
    if (options.plot.empty()) return "--export-series needs --plot, the series to write";
    mode = CommandMode::ExportSeries;
    options.output = out.series.front();
    const QStringList configs = parser.positionalArguments();
    if (configs.empty()) return "--export-series wants a configuration or data table";
    return TakeFiles(parser, table, configs, options);
}

/// The panel of series: --panel-only and --panel-height with --plot.
std::string ReadPanelChoices(const QCommandLineParser& parser, const OptionTable& table,
                             CommandOptions& options) {
    const bool panelChoices = parser.isSet(table.panelOnly) || parser.isSet(table.panelHeight);
    if (panelChoices && options.plot.empty())
        return Format("--%s needs --render and --plot",
                      parser.isSet(table.panelOnly) ? "panel-only" : "panel-height");
    options.panelOnly = parser.isSet(table.panelOnly);
    for (const std::string& value : Values(parser, table.panelHeight)) {
        int pixels = 0;
        if (!ParseInt(value, pixels) || pixels < 1 || pixels > kMaxSide)
            return Format("--panel-height wants a number of pixels from 1 to %d", kMaxSide);
        options.panelHeight = pixels;
    }
    return {};
}

/// --write-config: the configuration of one data table.
std::string WriteConfigArguments(const QCommandLineParser& parser, const OptionTable& table,
                                 const Outputs& out, CommandOptions& options, CommandMode& mode) {
    mode = CommandMode::WriteConfig;
    options.output = out.configs.front();
    const QStringList tables = parser.positionalArguments();
    if (tables.size() > 1)
        return "--write-config writes the configuration of one data table, and a configuration names one "
               "data file: give one run, not several";
    if (tables.size() != 1) return "--write-config wants one data table";
    if (parser.isSet(table.runNames)) return "--run-names goes with several files, not with --write-config";
    options.config = tables.front().toStdString();
    return {};
}

/// The mode of a view shown or played, its output and the output's form.
std::string ChooseViewMode(const Outputs& out, CommandOptions& options, CommandMode& mode) {
    const bool window = out.played() + out.pages.size() == 0;
    mode = window                ? CommandMode::Window
           : !out.frames.empty() ? CommandMode::Frames
           : !out.videos.empty() ? CommandMode::Video
           : !out.pages.empty()  ? CommandMode::Page
                                 : CommandMode::Picture;
    if (!window)
        options.output = !out.frames.empty()   ? out.frames.front()
                         : !out.videos.empty() ? out.videos.front()
                         : !out.pages.empty()  ? out.pages.front()
                                               : out.renders.front();
    const QString output = QString::fromStdString(options.output);
    if (mode == CommandMode::Page && !output.toLower().endsWith(".html") &&
        !output.toLower().endsWith(".htm"))
        return "--html wants a file ending in .html";
    if (mode == CommandMode::Video && !VideoFormatOf(output))
        return "--video wants a file ending in .mp4, .webm or .gif";
    if (mode == CommandMode::Picture && !PictureFormatOf(output))
        return "--render wants a file ending in .png, .svg or .pdf";
    return {};
}

/// The output's rate, size and scale.
std::string ReadOutputValues(const QCommandLineParser& parser, const OptionTable& table,
                             CommandOptions& options, CommandMode mode) {
    for (const std::string& value : Values(parser, table.fps)) {
        options.fps = ParseReal(value);
        // The encoder takes the rate as a fraction: below a frame a minute
        // it cannot be written.
        if (!options.fps || !(*options.fps >= 0.01 && *options.fps <= 240))
            return "--fps wants a number of frames per second from 0.01 to 240";
    }
    for (const std::string& value : Values(parser, table.turn)) {
        options.turnOver = ParseReal(value);
        if (!options.turnOver) return "--turn wants a number of degrees";
    }
    for (const std::string& value : Values(parser, table.size))
        if (!ParseSize(value, options.width, options.height))
            return Format("--size wants WxH with sides from 1 to %d", kMaxSide);
    for (const std::string& value : Values(parser, table.scale))
        if (!ParseInt(value, options.scale) || options.scale < 1 || options.scale > 8)
            return "--scale wants a whole number from 1 to 8";
    if (options.scale != 1 && mode == CommandMode::Picture &&
        PictureFormatOf(QString::fromStdString(options.output)) != PictureFormat::Png)
        return "--scale applies to PNG pictures, frames and videos, not to SVG or PDF";
    return {};
}

/// The row or time shown, the ticks played, the trail and the box.
std::string ReadViewValues(const QCommandLineParser& parser, const OptionTable& table,
                           CommandOptions& options) {
    for (const std::string& value : Values(parser, table.row)) {
        int row = 0;
        if (!ParseInt(value, row)) return "--row wants a whole number";
        options.row = row;
    }
    for (const std::string& value : Values(parser, table.time)) {
        options.time = ParseReal(value);
        if (!options.time) return "--time wants a finite number";
    }
    if (options.row && options.time) return "--row and --time cannot be given together";
    for (const std::string& value : Values(parser, table.ticks)) {
        if (!ParseInt(value, options.ticks) || options.ticks < 0) return "--ticks wants a number from 0";
        options.ticksGiven = options.ticks;
    }
    for (const std::string& value : Values(parser, table.trail))
        if (!(options.trail = TrailModeNamed(value)))
            return Format("--trail wants ahead, behind or both, not '%s'", value.c_str());
    for (const std::string& value : Values(parser, table.trailLength)) {
        int rows = 0;
        if (!ParseInt(value, rows) || rows < 0) return "--trail-length wants a number of rows from 0";
        options.trailLength = rows;
    }
    for (const std::string& value : Values(parser, table.box)) {
        options.box = ParseBox(value);
        if (!options.box)
            return "--box wants XMIN,YMIN,XMAX,YMAX: four finite numbers with XMIN < XMAX and YMIN < YMAX";
    }
    return {};
}

/// The switches, those of the viewer only in the viewer, and the files.
std::string TakeSwitchesAndFiles(const QCommandLineParser& parser, const OptionTable& table,
                                 CommandOptions& options, CommandMode mode) {
    const bool window = mode == CommandMode::Window;
    options.framed = parser.isSet(table.framed);
    options.yes = parser.isSet(table.yes);
    options.equalAspect = parser.isSet(table.equalAspect);
    options.fade = parser.isSet(table.fade);
    options.loop = parser.isSet(table.loop);
    options.follow = parser.isSet(table.follow);
    options.noSettings = parser.isSet(table.noSettings);
    const QStringList configs = parser.positionalArguments();
    if (configs.empty() && window) {
        if (parser.isSet(table.runNames)) return "--run-names goes with several files";
        return {};
    }
    if (configs.empty()) return "no configuration file given";
    if (mode == CommandMode::Page && configs.size() > 1)
        return "--html makes the page of one run: give one file, not several";
    return TakeFiles(parser, table, configs, options);
}

/// Fills `options` and `mode` from the parsed command line; returns an
/// error text, empty when the arguments are good. The checks run in a fixed
/// order, so that a command line with several faults is told the same one.
std::string CheckArguments(const QCommandLineParser& parser, const OptionTable& table,
                           CommandOptions& options, CommandMode& mode) {
    const Outputs out(parser, table);
    std::string problem;
    const auto fails = [&](std::string found) {
        problem = std::move(found);
        return !problem.empty();
    };
    if (fails(CheckOutputsGiven(out)) || fails(RefusedInMode(parser, table, ModeBitOf(out))) ||
        fails(CheckSpeed(parser, table, options)) || fails(CheckFigure(parser, table, options.figure)) ||
        fails(ReadDataChoices(parser, table, options)))
        return problem;
    if (!out.series.empty()) return ExportSeriesArguments(parser, table, out, options, mode);
    if (fails(ReadPanelChoices(parser, table, options))) return problem;
    if (!out.configs.empty()) return WriteConfigArguments(parser, table, out, options, mode);
    if (fails(ChooseViewMode(out, options, mode)) || fails(ReadOutputValues(parser, table, options, mode)) ||
        fails(CheckLook(parser, table, options)) || fails(ReadViewValues(parser, table, options)))
        return problem;
    return TakeSwitchesAndFiles(parser, table, options, mode);
}

}  // namespace

bool IsCommandLineMode(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.starts_with("--")) return true;
    }
    return false;
}

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    QCommandLineParser parser;
    const OptionTable table;
    table.AddTo(parser);
    CommandLine line;
    line.help = HelpText(parser);
    line.version = Format("Orbivex %s", kVersion);
    for (const std::string& arg : args) {
        if (arg == "--help") {
            line.mode = CommandMode::Help;
            return line;
        }
        if (arg == "--version") {
            line.mode = CommandMode::Version;
            return line;
        }
    }
    QStringList arguments{QStringLiteral("orbivex")};
    for (const std::string& arg : args) arguments << QString::fromLocal8Bit(arg);
    line.error = parser.parse(arguments) ? CheckArguments(parser, table, line.options, line.mode)
                                         : parser.errorText().toStdString();
    if (!line.error.empty()) line.mode = CommandMode::Error;
    return line;
}
