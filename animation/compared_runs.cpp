#include "animation/compared_runs.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <utility>

#include "animation/frame_view.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
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
double MeanStep(const SimulationState& s) {
    const int32_t rows = s.loaded.usableRows();
    if (!s.loaded.rows || rows < 2) return 0;
    const double step = (s.loaded.rows->time(rows - 1) - s.loaded.rows->time(0)) / (rows - 1);
    return std::isfinite(step) ? std::fabs(step) : 0;
}

/// Aligns `run` by time with the first run's rows in use, and matches its
/// bodies with the first run's.
void Align(const SimulationState& first, ComparedRun& run) {
    const int32_t rows = std::max(first.loaded.usableRows(), 0);
    const TrajectoryTable* table = first.loaded.rows.get();
    const TrajectoryTable* own = run.state.loaded.rows.get();
    if (table && own) {
        // Rows appended to the first run's table are aligned on from where
        // the walk stood; any other change aligns them all again.
        const int32_t ownRows = std::max(run.state.loaded.usableRows(), 0);
        if (run.alignedTable != table || run.alignedRows > rows || run.alignedOwn != ownRows)
            run.rowOf.clear(), run.between.clear();
        run.rowOf.resize(std::min(run.rowOf.size(), std::size_t(rows)));
        run.between.resize(std::min(run.between.size(), std::size_t(rows)));
        ExtendNearestRows(run.rowOf, table->times(), rows, own->times(), ownRows);
        ExtendRowsBetween(run.between, table->times(), rows, own->times(), ownRows);
        run.alignedOwn = ownRows;
    } else {
        run.rowOf.clear();
        run.between.clear();
    }
    const double step = MeanStep(first), ownStep = MeanStep(run.state);
    run.rowsPerRow = step > 0 && ownStep > 0 ? step / ownStep : 1;
    run.alignedTable = table;
    run.alignedRows = rows;
    // The bodies matched again too: the first run's bodies shown may have
    // changed with its table. Each takes the colour of the body it is.
    const LoadedSimulation& loaded = run.state.loaded;
    run.bodyOf = MatchBodies(first.loaded.fields.bodyNames, first.loaded.usableBodies(),
                             loaded.fields.bodyNames, loaded.usableBodies());
    for (int k = 1; k <= loaded.usableBodies(); ++k)
        if (const int f = run.bodyOf[std::size_t(k)]; f > 0 &&
                                                      std::size_t(f) < first.loaded.bodyColour.size() &&
                                                      std::size_t(k) < run.state.loaded.bodyColour.size())
            run.state.loaded.bodyColour[std::size_t(k)] = first.loaded.bodyColour[std::size_t(f)];
}

/// Shows `run` in `frame`, a frame of the first run: one of a body follows
/// the body it is in this run. Returns why it cannot be had; the run is
/// then in the inertial frame.
std::string FrameRun(ReferenceFrame frame, ComparedRun& run) {
    PlotBox unused;
    if (frame.body > 0) {
        const auto at = std::find(run.bodyOf.begin(), run.bodyOf.end(), frame.body);
        if (at == run.bodyOf.end()) {
            ShowInFrame(run.state, unused, "inertial");
            return "no body of it matches body " + std::to_string(frame.body);
        }
        frame.body = int(at - run.bodyOf.begin());
    }
    if (const std::string why = ShowInFrame(run.state, unused, FrameText(frame)); !why.empty()) {
        ShowInFrame(run.state, unused, "inertial");
        return why;
    }
    return {};
}

/// Widens the plot's box to hold `run` as its frame shows it: its data's
/// extent in a frame, its configured box in the inertial one.
void GrowBoxFor(const ComparedRun& run, PlotBox& plot) {
    PlotBox own = plot;
    if (run.state.view.frame.kind == ReferenceFrame::Kind::Inertial)
        RestoreConfiguredBox(run.state, own);
    else if (!FitToData(run.state, own))
        return;
    double box[4], more[4];
    plot.GetBox(box[0], box[1], box[2], box[3]);
    own.GetBox(more[0], more[1], more[2], more[3]);
    plot.SetExactBox(std::min(box[0], more[0]), std::min(box[1], more[1]), std::max(box[2], more[2]),
                     std::max(box[3], more[3]));
}

}  // namespace

void AlignRuns(SimulationState& s) {
    for (ComparedRun& run : s.runs)
        if (!run.alignedWith(s.loaded)) Align(s, run);
}

void MatchRunsAgain(SimulationState& s) {
    for (ComparedRun& run : s.runs) run.alignedTable = nullptr;
    AlignRuns(s);
}

std::string FrameRuns(SimulationState& s, PlotBox& plot) {
    AlignRuns(s);
    for (ComparedRun& run : s.runs)
        if (const std::string why = FrameRun(s.view.frame, run); !why.empty()) return run.name + ": " + why;
    for (const ComparedRun& run : s.runs) GrowBoxFor(run, plot);
    return {};
}

void ArrangeRuns(SimulationState& s, const std::vector<RunPlace>& places) {
    std::vector<ComparedRun> arranged;
    std::vector<bool> taken(s.runs.size(), false);
    for (const RunPlace& place : places) {
        if (place.run >= s.runs.size() || taken[place.run]) continue;
        taken[place.run] = true;
        arranged.push_back(std::move(s.runs[place.run]));
        arranged.back().shown = place.shown;
    }
    s.runs = std::move(arranged);
    if (s.runs.empty()) s.runName.clear();
}

std::string MakeRunFirst(SimulationState& s, PlotBox& plot, std::size_t k) {
    if (k >= s.runs.size()) return {};
    ShowRunsAt(s);  // aligned with the rows now loaded
    ComparedRun& run = s.runs[k];
    ReferenceFrame frame = s.view.frame;
    if (frame.body > 0) {
        const auto at = std::find(run.bodyOf.begin(), run.bodyOf.end(), frame.body);
        if (at == run.bodyOf.end())
            return run.name + ": no body of it matches body " + std::to_string(frame.body);
        frame.body = int(at - run.bodyOf.begin());
    }
    const int32_t row = run.state.playback.position;
    std::error_code error;
    const std::string own = s.loaded.configPath.empty() ? s.loaded.fields.dataPath : s.loaded.configPath;
    const std::filesystem::path whole = std::filesystem::absolute(own, error);
    // The run's load and its positions in the frame (made for the body it
    // is) change places with the first run's.
    std::swap(s.loaded, run.state.loaded);
    std::swap(s.inFrame, run.state.inFrame);
    std::swap(s.runName, run.name);
    run.path = error ? own : whole.string();
    run.shown = true;
    run.alignedTable = nullptr;
    s.view.frame = frame;
    s.playback.position = std::max(row, 0);
    // Every run aligned with the new first and shown in its frame, by the
    // bodies they are in it; the box only grows.
    return FrameRuns(s, plot);
}

std::vector<std::string> LoadedDataFiles(const SimulationState& s) {
    std::vector<std::string> files{s.loaded.dataFile};
    for (const ComparedRun& run : s.runs) files.push_back(run.state.loaded.dataFile);
    return files;
}

std::string RunNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

bool AddRun(SimulationState& s, PlotBox& plot, Host& host, const std::string& path, const std::string& name) {
    ComparedRun run;
    PlotBox own;
    InitialiseDefaults(run.state, own);
    run.state.view = s.view;
    run.state.view.frame = {};
    run.state.view.followData = 0;
    // A configuration names its data file from its own folder, which a
    // load enters; the folder the first run's load entered stays current.
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    std::filesystem::path whole = error ? std::filesystem::path() : std::filesystem::absolute(path, error);
    const std::string file = error ? path : whole.string();
    const bool entered = !error && (std::filesystem::current_path(whole.parent_path(), error), !error);
    RunHost named(host, RunNameOf(path));
    const bool read = LoadFile(run.state, own, named, file);
    if (entered) std::filesystem::current_path(current, error);
    if (!read) return false;
    run.path = file;
    return AddLoadedRun(s, plot, host, std::move(run.state), name.empty() ? RunNameOf(path) : name, file);
}

bool AddLoadedRun(SimulationState& s, PlotBox& plot, Host& host, SimulationState&& loadedRun,
                  const std::string& name, const std::string& path) {
    ComparedRun run;
    run.state = std::move(loadedRun);
    run.path = path;
    Align(s, run);
    run.name = name;
    // A pattern no run shown has: the next after the highest.
    for (const ComparedRun& other : s.runs) run.style = std::max(run.style, other.style + 1);
    if (const std::string why = FrameRun(s.view.frame, run); !why.empty()) {
        host.messageBox(run.name + " cannot be shown in the frame chosen: " + why);
        return false;
    }
    GrowBoxFor(run, plot);
    if (s.runName.empty())
        s.runName = RunNameOf(s.loaded.configPath.empty() ? s.loaded.fields.dataPath : s.loaded.configPath);
    s.runs.push_back(std::move(run));
    ShowRunsAt(s);
    return true;
}

bool AddRuns(SimulationState& s, PlotBox& plot, Host& host, const std::vector<std::string>& paths,
             const std::vector<std::string>& names) {
    bool all = true;
    for (std::size_t i = 0; i < paths.size(); ++i)
        all = AddRun(s, plot, host, paths[i], i + 1 < names.size() ? names[i + 1] : std::string()) && all;
    if (!names.empty() && !s.runs.empty()) s.runName = names.front();
    return all;
}

void ShowRunsAt(SimulationState& s) {
    AlignRuns(s);
    for (ComparedRun& run : s.runs) {
        SimulationState& r = run.state;
        const ReferenceFrame frame = r.view.frame;
        r.view = s.view;
        r.view.frame = frame;
        r.view.followData = 0;
        r.view.panel = {};
        r.loaded.fields.pointsPerOrbit =
            std::max(1, int(std::lround(s.loaded.fields.pointsPerOrbit * run.rowsPerRow)));
        const bool loading = r.playback.loading;
        r.playback = s.playback;
        r.playback.loading = loading;
        const int32_t row = s.playback.position;
        r.playback.position =
            run.rowOf.empty()
                ? -1
                : run.rowOf[std::size_t(std::clamp<int32_t>(row, 0, int32_t(run.rowOf.size()) - 1))];
    }
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
