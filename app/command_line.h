#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "animation/view_request.h"

/// What a command line asks of the program.
enum class CommandMode {
    Window,        ///< no picture asked for: open the viewer with the view options
    Picture,       ///< --render: one picture
    Frames,        ///< --frames: the painted frame and one picture per tick
    Video,         ///< --video: the same frames as a video
    Page,          ///< --html: a page that plays the view in a browser
    WriteConfig,   ///< --write-config: a configuration for a plain data table
    ExportSeries,  ///< --export-series: the series --plot names as a CSV table
    Help,
    Version,
    Error,
};

/// The options of a command line, checked, with their defaults: those of
/// the view (shared by the window and the renderer) and those of the output.
struct CommandOptions : ViewRequest {
    std::string output;  ///< the picture, folder or video to write
    std::optional<int> ticksGiven;
    std::optional<double> fps;
    /// --turn: degrees the camera's azimuth turns over a video.
    std::optional<double> turnOver;
    int width = 600;
    int height = 600;
    int ticks = 0;
    bool yes = false;
    bool follow = false;
    /// In the window: start with the defaults, read and write no settings.
    bool noSettings = false;
    int scale = 1;
    std::string config;  ///< empty in the window when none is given
    /// Files given after the first: runs compared with it on one view and clock.
    std::vector<std::string> runs;
    /// --run-names: a name for each file, the first's first; empty: the files' names.
    std::vector<std::string> runNames;
    /// --render: the panel of series alone, without the view (--panel-only).
    bool panelOnly = false;
    /// --render: the panel's height in pixels; unset: two fifths of the picture.
    std::optional<int> panelHeight;
};

/// A command line read: the mode, the options, and the texts to print.
struct CommandLine {
    CommandMode mode = CommandMode::Error;
    CommandOptions options;
    std::string error;    ///< with Error: what is wrong, one line without the program's name
    std::string help;     ///< the help, made from the options
    std::string version;  ///< the version line, without its line end
};

/// True when the arguments ask for the command-line mode (rendering, help or
/// version, or the viewer with options) rather than the plain viewer: any
/// argument starting with "--".
bool IsCommandLineMode(int argc, char** argv);

/// Reads the arguments after the program's name. --help or --version
/// anywhere wins over everything else, the first of them given; an option
/// given twice takes its last value, once every value was found good.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
