#pragma once

struct CommandLine;

/// Runs the renderer for a command line in the picture, frames or video
/// mode: loads the simulation without a window, paints it as the view would
/// and writes one picture, a frame sequence or a video. Makes the toolkit's
/// application object itself (off-screen unless a platform is set). Returns
/// the exit status: 0 done, 1 loading or writing failed, 2 a --row outside
/// the rows in the data.
int RunRenderer(int& argc, char** argv, const CommandLine& line);
