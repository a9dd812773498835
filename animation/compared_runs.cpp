#include "animation/compared_runs.h"
#include "animation/view_projection.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <utility>

#include "animation/framed_positions.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/table_loading.h"
#include "animation/view_navigation.h"
#include "plot/plot_box.h"
#include "simulation/host.h"
#include "simulation/reference_frame.h"
#include "simulation/run_alignment.h"

namespace {

/// Says what the load of a run says, naming the run's file first, so that
/// a message among several files tells which one it is about.
class RunHost : public Host {
public:
    RunHost(Host& host, std::string name) : host_(host), name_(std::move(name)) {}
    Answer messageBox(const std::string& text, Buttons buttons, Icon icon) override {
        return host_.messageBox(name_ + ": " + text, buttons, icon);
    }
    void setBusyCursor(bool busy) override { host_.setBusyCursor(busy); }
    void note(const std::string& text) override { host_.note(text.empty() ? text : name_ + ": " + text); }
    void waitFor(const std::function<void()>& work, LoadProgress& progress) override {
        host_.waitFor(work, progress);
    }

private:
    Host& host_;
    std::string name_;
};

/// The mean time step of the rows in use; 0 with fewer than two or times
/// that are not numbers.
double MeanStep(const LoadedSimulation& loaded) {
    const int32_t rows = loaded.usableRows();
    if (!loaded.rows || rows < 2) return 0;
    const double step = (loaded.rows->time(rows - 1) - loaded.rows->time(0)) / (rows - 1);
    return std::isfinite(step) ? std::fabs(step) : 0;
}

/// Aligns `run` by time with the clock's rows in use, and matches its
/// bodies with the clock's.
void Align(const LoadedSimulation& clock, Run& run) {
    RunAlignment& a = run.alignment;
    const int32_t rows = std::max(clock.usableRows(), 0);
    const TrajectoryTable* table = clock.rows.get();
    const TrajectoryTable* own = run.loaded.rows.get();
    if (table && own) {
        // Rows appended to the clock's table are aligned on from where the
        // walk stood; any other change aligns them all again.
        const int32_t ownRows = std::max(run.loaded.usableRows(), 0);
        if (a.table != table || a.rows > rows || a.own != ownRows) a.rowOf.clear(), a.between.clear();
        a.rowOf.resize(std::min(a.rowOf.size(), std::size_t(rows)));
        a.between.resize(std::min(a.between.size(), std::size_t(rows)));
        ExtendNearestRows(a.rowOf, table->times(), rows, own->times(), ownRows);
        ExtendRowsBetween(a.between, table->times(), rows, own->times(), ownRows);
        a.own = ownRows;
    } else {
        a.rowOf.clear();
        a.between.clear();
    }
    const double step = MeanStep(clock), ownStep = MeanStep(run.loaded);
    a.rowsPerRow = step > 0 && ownStep > 0 ? step / ownStep : 1;
    a.table = table;
    a.rows = rows;
    // The bodies matched again too: the clock's bodies shown may have
    // changed with its table. Each takes the colour of the body it is.
    LoadedSimulation& loaded = run.loaded;
    a.bodyOf = MatchBodies(clock.fields.bodyNames, clock.usableBodies(), loaded.fields.bodyNames,
                           loaded.usableBodies());
    for (int k = 1; k <= loaded.usableBodies(); ++k)
        if (const int f = a.bodyOf[std::size_t(k)];
            f > 0 && std::size_t(f) < clock.bodyColour.size() && std::size_t(k) < loaded.bodyColour.size())
            loaded.bodyColour[std::size_t(k)] = clock.bodyColour[std::size_t(f)];
}

/// `frame`, a frame of the clock, as `run` has it: one of a body names the
/// body it is in the run. Nothing when no body of the run is it.
std::optional<ReferenceFrame> FrameOfRun(ReferenceFrame frame, const Run& run) {
    if (frame.body > 0) {
        const std::vector<int>& bodyOf = run.alignment.bodyOf;
        const auto at = std::find(bodyOf.begin(), bodyOf.end(), frame.body);
        if (at == bodyOf.end()) return std::nullopt;
        frame.body = int(at - bodyOf.begin());
    }
    return frame;
}

/// Shows `run` in `frame`, a frame of the clock. Returns why it cannot be
/// had; the run is then in the inertial frame.
std::string FrameRun(const ReferenceFrame& frame, Run& run) {
    const std::optional<ReferenceFrame> own = FrameOfRun(frame, run);
    if (!own) {
        UpdateRunFrame(run, {});
        return "no body of it matches body " + std::to_string(frame.body);
    }
    if (!run.loaded.dataLoaded || !run.loaded.rows) return "no simulation is loaded";
    run.inFrame.from = 0;  // made afresh, from every row
    return UpdateRunFrame(run, *own);
}

/// Widens the plot's box to hold run `k` as its frame shows it: its data's
/// extent in a frame, its configured box in the inertial one.
void GrowBoxFor(const SimulationState& s, std::size_t k, PlotBox& plot) {
    const RunAt run(s, k);
    PlotBox own = plot;
    if (run.run.frame.kind == ReferenceFrame::Kind::Inertial)
        RestoreConfiguredBox(run, own);
    else if (!FitToData(run, own))
        return;
    double box[4], more[4];
    plot.GetBox(box[0], box[1], box[2], box[3]);
    own.GetBox(more[0], more[1], more[2], more[3]);
    plot.SetExactBox(std::min(box[0], more[0]), std::min(box[1], more[1]), std::max(box[2], more[2]),
                     std::max(box[3], more[3]));
}

/// The file a run was read from, whole when it can be made so.
std::string WholePath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path whole = std::filesystem::absolute(path, error);
    return error ? path : whole.string();
}

/// The file the clock's run was read from: its configuration, else its table.
std::string OwnFile(const LoadedSimulation& loaded) {
    return loaded.configPath.empty() ? loaded.fields.dataPath : loaded.configPath;
}

}  // namespace

void AlignRuns(SimulationState& s) {
    for (Run& run : s.others())
        if (!run.alignment.madeFor(s.loaded())) Align(s.loaded(), run);
}

void MatchRunsAgain(SimulationState& s) {
    for (Run& run : s.others()) run.alignment.table = nullptr;
    AlignRuns(s);
}

std::string FrameRuns(SimulationState& s, PlotBox& plot) {
    AlignRuns(s);
    std::string problem;
    for (Run& run : s.others())
        if (const std::string why = FrameRun(s.view.frame, run); !why.empty()) {
            problem = run.name + ": " + why;
            break;
        }
    UpdateProjections(s);
    if (!problem.empty()) return problem;
    for (std::size_t k = 1; k < s.runs.size(); ++k) GrowBoxFor(s, k, plot);
    return {};
}

void ArrangeRuns(SimulationState& s, const std::vector<RunPlace>& places) {
    std::vector<Run> arranged;
    arranged.push_back(std::move(s.first()));
    std::vector<bool> taken(s.runs.size() - 1, false);
    for (const RunPlace& place : places) {
        if (place.run >= taken.size() || taken[place.run]) continue;
        taken[place.run] = true;
        arranged.push_back(std::move(s.runs[place.run + 1]));
        arranged.back().shown = place.shown;
    }
    s.runs = std::move(arranged);
    if (!s.compared()) s.first().name.clear();
}

std::string MakeRunFirst(SimulationState& s, PlotBox& plot, std::size_t k) {
    if (k + 1 >= s.runs.size()) return {};
    AlignRuns(s);  // aligned with the rows now loaded
    Run& run = s.runs[k + 1];
    const std::optional<ReferenceFrame> frame = FrameOfRun(s.view.frame, run);
    if (!frame) return run.name + ": no body of it matches body " + std::to_string(s.view.frame.body);
    const int32_t row = run.alignment.rowAt(s.playback.position);
    // The trail spans as long a time in the new clock's rows.
    const int32_t trail = RunAt(s, k + 1).trail;
    const std::string own = WholePath(OwnFile(s.loaded()));
    // The run (its positions made for the body it is) and the first change
    // places; each keeps the place's line style.
    std::swap(s.first(), run);
    std::swap(s.first().style, run.style);
    s.first().alignment = {};
    s.first().path.clear();
    run.path = own;
    run.shown = true;
    run.alignment = {};
    s.view.frame = *frame;
    s.view.trailLength = trail;
    s.playback.position = std::max(row, 0);
    // Every run aligned with the new first and shown in its frame, by the
    // bodies they are in it; the box only grows.
    return FrameRuns(s, plot);
}

std::vector<std::string> LoadedDataFiles(const SimulationState& s) {
    std::vector<std::string> files;
    for (const Run& run : s.runs) files.push_back(run.loaded.dataFile);
    return files;
}

std::string RunNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

bool AddRun(SimulationState& s, PlotBox& plot, Host& host, const std::string& path, const std::string& name) {
    // Read as the first run is, from its whole path: a configuration names
    // its data file from its own folder.
    const std::string file = WholePath(path);
    RunHost named(host, RunNameOf(path));
    LoadedSimulation fresh;
    ReadControl control = ReadControlOf(s);
    control.following = false;
    if (!ReadFileInto(fresh, named, file, s.view, control)) return false;
    KeepBodiesAsked(fresh, named);
    return AddLoadedRun(s, plot, host, std::move(fresh), name.empty() ? RunNameOf(path) : name, file);
}

bool AddLoadedRun(SimulationState& s, PlotBox& plot, Host& host, LoadedSimulation&& loaded,
                  const std::string& name, const std::string& path) {
    Run run;
    run.loaded = std::move(loaded);
    run.path = path;
    run.name = name;
    Align(s.loaded(), run);
    // A pattern no run shown has: the next after the highest.
    run.style = 1;
    for (const Run& other : s.others()) run.style = std::max(run.style, other.style + 1);
    if (const std::string why = FrameRun(s.view.frame, run); !why.empty()) {
        host.messageBox(run.name + " cannot be shown in the frame chosen: " + why);
        return false;
    }
    if (s.first().name.empty()) s.first().name = RunNameOf(OwnFile(s.loaded()));
    s.runs.push_back(std::move(run));
    GrowBoxFor(s, s.runs.size() - 1, plot);
    return true;
}

bool AddRuns(SimulationState& s, PlotBox& plot, Host& host, const std::vector<std::string>& paths,
             const std::vector<std::string>& names) {
    bool all = true;
    for (std::size_t i = 0; i < paths.size(); ++i)
        all = AddRun(s, plot, host, paths[i], i + 1 < names.size() ? names[i + 1] : std::string()) && all;
    if (!names.empty() && s.compared()) s.first().name = names.front();
    return all;
}

std::vector<double> RunDashes(int style, double width) {
    const double w = std::max(width, 1.0);
    switch (style <= 0 ? 0 : (style - 1) % 3) {
        case 0:
            return style <= 0 ? std::vector<double>{} : std::vector<double>{6 * w, 4 * w};
        case 1:
            return {1 * w, 2.5 * w};
        default:
            return {6 * w, 2.5 * w, 1 * w, 2.5 * w};
    }
}
