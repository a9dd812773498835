#pragma once
#include <string>
#include <vector>

struct SimulationState;
struct LoadedSimulation;
class PlotBox;
class Host;

/// Loads `path` as another run shown with the state's first run, on its
/// clock and in its view: its bodies take the colours of the first run's
/// bodies they match (by name, else by number), a frame centred on or
/// turning with a body follows the body of the same name or number, and
/// the box grows to hold both. `name` is its name in the legend; empty:
/// its file's name. A file that cannot be loaded is reported through
/// `host` and adds nothing. Returns whether it was added.
bool AddRun(SimulationState& state, PlotBox& plot, Host& host, const std::string& path,
            const std::string& name = {});

/// What AddRun does once the file is read: `loaded` joins the state as the
/// run `name` read from `path`.
bool AddLoadedRun(SimulationState& state, PlotBox& plot, Host& host, LoadedSimulation&& loaded,
                  const std::string& name, const std::string& path);

/// AddRun for each of `paths` in turn, named by `names` when given (one
/// for each file, the first run's first). False when one could not be
/// added; those after it are added all the same.
bool AddRuns(SimulationState& state, PlotBox& plot, Host& host, const std::vector<std::string>& paths,
             const std::vector<std::string>& names);

/// Shows every run compared in the first run's frame (one of a body by the
/// body of the same name or number) and widens the box to hold them all,
/// as showing the first run in it fitted the box to it. Returns why a run
/// cannot have the frame ("b.csv: …"); the runs after it are left as they
/// were.
std::string FrameRuns(SimulationState& state, PlotBox& plot);

/// A run's place in an arrangement: its index among the runs compared now,
/// and whether it is shown.
struct RunPlace {
    std::size_t run = 0;
    bool shown = true;
};

/// Puts the runs compared in the order `places` gives, shown or hidden as
/// they say; runs it leaves out are removed (the first run stays). Places
/// naming no run, or one twice, are passed over. Each run keeps its line
/// pattern.
void ArrangeRuns(SimulationState& state, const std::vector<RunPlace>& places);

/// Makes run `run` the first: its rows become the playback's clock (and the
/// data followed), shown at its row nearest the time shown, and the first
/// run joins the runs compared in its place. A frame of a body follows the
/// body it is in that run. Returns why it cannot be (no body of it matches
/// the frame's), changing nothing; or why a run compared cannot have the
/// frame then, as FrameRuns does.
std::string MakeRunFirst(SimulationState& state, PlotBox& plot, std::size_t run);

/// The data files of the first run and of every run compared, as read:
/// the files no output may replace.
std::vector<std::string> LoadedDataFiles(const SimulationState& state);

/// The name a run takes from its file: the file's name without its folder.
std::string RunNameOf(const std::string& path);

/// Aligns again every run compared whose alignment was made for other rows
/// of the first run (rows appended while it is followed, another table).
void AlignRuns(SimulationState& state);

/// Matches the runs' bodies again with the first run's, after its bodies'
/// names or colours changed: each takes the colour of the body it is.
void MatchRunsAgain(SimulationState& state);

/// The line pattern of run style `style` for a line of `width` pixels: on
/// and off lengths in pixels; empty for the solid line of the first run.
std::vector<double> RunDashes(int style, double width);
