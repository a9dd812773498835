#pragma once

/// True when the arguments ask for the command-line mode (rendering, help or
/// version) rather than the window.
bool IsCommandLineMode(int argc, char** argv);

/// Runs the command-line mode: loads a simulation without a window, paints
/// it as the view would and writes one PNG or a frame sequence. Returns the
/// exit status: 0 done, 1 loading or writing failed, 2 bad arguments.
int RunRenderCommand(int argc, char** argv);
