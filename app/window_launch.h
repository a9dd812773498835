#pragma once

struct CommandOptions;

/// Opens the viewer with the view options of the command line, as if the
/// user had chosen them in its menus before loading the configuration (when
/// one is given), and runs it; the exit status.
int RunWindow(int& argc, char** argv, const CommandOptions& options);
