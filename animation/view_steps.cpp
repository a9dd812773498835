#include "animation/view_steps.h"

#include <algorithm>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/drawing_routines.h"
#include "animation/playback_range.h"
#include "animation/plot_notes.h"
#include "animation/shown_row.h"
#include "animation/simulation_state.h"
#include "animation/tick_damage.h"
#include "animation/trail_cache.h"
#include "base/format.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"

namespace {

/// Moves to the next row a tick shows, in the playback's direction; true
/// when a loop went round. A loop goes round from the row where a playback
/// without it stopped, so the last row it reaches is shown too.
bool AdvancePosition(SimulationState& s) {
    const bool wraps = TickWraps(s);
    s.playback.position = NextTickRow(s);
    return wraps;
}

/// Marks where the status line `status` stands, if it is not empty.
void MarkStatusBand(const std::string& status, TickDamage& damage) {
    if (!status.empty())
        damage.Mark({0, 0, int32_t(10 + kStatusCharWidth * status.size()), kStatusBandHeight});
}

/// Whether run `k` is drawn: the first always, another when it is shown.
bool Drawn(const SimulationState& s, std::size_t k) {
    return k == 0 || (s.runs[k].shown && s.runs[k].loaded.dataLoaded);
}

/// The cache of run `k`'s trails on the raster, of the caches `trails` of
/// the first run.
TrailCache* TrailsOf(TrailCache* trails, std::size_t k) {
    return !trails || k == 0 ? trails : &trails->ofRun(k - 1);
}

/// A tick of the classic look with runs compared: the view painted again
/// whole at the next row, the runs at the rows nearest its time.
TimerRequest TickWithRuns(SimulationState& s, PlotBox& plot, DrawingSurface& surface, TrailCache* trails,
                          TickDamage* damage) {
    if (damage) damage->MarkAll();
    AdvancePosition(s);
    const bool goesOn = TickGoesOn(s);
    AlignRuns(s);
    const DeviceRect bounds = surface.bounds();
    PaintClassicView(s, plot, surface, bounds.right - bounds.left, bounds.bottom - bounds.top, trails);
    if (!TickEnds(s, goesOn))
        if (const std::string status = StatusLine(s, s.playback.position); !status.empty())
            surface.TextOut(10, 5, status);
    // Painted whole every tick: a loop going round needs no full paint more.
    return TimerAnswer(s, goesOn, false);
}

/// A run drawn by a tick of the classic look: its index, its cache of the
/// raster's trails, and its trail's rows and its row before and after.
struct ShownRun {
    std::size_t run;
    TrailCache* trails;
    std::pair<int64_t, int64_t> before{}, after{};
    int32_t from = 0, to = 0;
};

/// Moves the playback to the next row a tick shows, erasing each run's
/// discs and the trail points that leave; marks on `damage`, when given,
/// the discs where they stood. True when a loop went round.
bool MoveRuns(SimulationState& s, PlotBox& plot, std::vector<ShownRun>& runs, TickDamage* damage) {
    AlignRuns(s);
    for (ShownRun& run : runs) {
        const RunAt r(s, run.run);
        run.before = TrailRowSpan(r);
        run.from = r.playback.position;
        if (damage) MarkPlanets(r, plot, *damage);
    }
    const bool wraps = AdvancePosition(s);
    AlignRuns(s);
    for (ShownRun& run : runs) {
        RunAt r(s, run.run);
        run.to = r.playback.position;
        run.after = TrailRowSpan(r);
        r.playback.position = run.from;
        EraseSystemBefore(r, plot, run.trails, run.after);
    }
    return wraps;
}

/// Marks on `damage` the trail points of `run` in the rows of `rows` outside
/// `kept`, as its cache holds them on `raster`.
void MarkTrailRowsLeft(const RunAt& r, const ShownRun& run, std::pair<int64_t, int64_t> rows,
                       std::pair<int64_t, int64_t> kept, const PixelRaster& raster, TickDamage& damage) {
    if (!r.loaded().fields.drawOrbits || rows.first >= rows.second) return;
    MarkTrailRows(r, *run.trails, raster, rows.first, std::min(rows.second, kept.first), damage);
    MarkTrailRows(r, *run.trails, raster, std::max(rows.first, kept.second), rows.second, damage);
}

/// The end of a tick of the classic look from row `from`: the status line,
/// and whether the timer stops.
TimerRequest EndClassicTick(SimulationState& s, DrawingSurface& surface, int32_t from, bool goesOn,
                            bool wraps, TickDamage* damage) {
    if (TickEnds(s, goesOn)) {
        // No status line now; the draw may have put trail points back where
        // the last tick's stood.
        if (damage) MarkStatusBand(StatusLine(s, from), *damage);
    } else {
        const std::string status = StatusLine(s, s.playback.position);
        if (!status.empty()) surface.TextOut(10, 5, status);
        if (damage) MarkStatusBand(status, *damage);
    }
    return TimerAnswer(s, goesOn, wraps);
}

}  // namespace

void PaintClassicView(const SimulationState& s, PlotBox& plot, DrawingSurface& surface, int width, int height,
                      TrailCache* trails) {
    surface.Clear(kViewBackground);
    plot.Draw(&surface, 0, 0, width, height);
    if (!s.loaded().dataLoaded) return;
    for (std::size_t k = 0; k < s.runs.size(); ++k)
        if (Drawn(s, k)) DrawSystem(RunAt(s, k), plot, 1, TrailsOf(trails, k));
    DrawPlotNotes(s, plot, true);
}

bool TakeStartRequest(SimulationState& s) {
    if (!s.loaded().dataLoaded) return false;
    const bool start = s.playback.startRequested != 0;
    s.playback.startRequested = 0;
    return start;
}

std::string StatusLine(const SimulationState& s, int row) {
    const std::optional<ShownRow> shown = RowShown(s, row);
    if (!shown) return {};
    const std::string line = Format("N=%d t=%6.3lf", shown->row, shown->time);
    return s.loaded().fields.timeUnit.empty() ? line : line + " " + s.loaded().fields.timeUnit;
}

TimerRequest TickClassicView(SimulationState& s, PlotBox& plot, DrawingSurface& surface, TrailCache* trails,
                             TickDamage* damage) {
    plot.AttachDC(&surface);
    if (!s.loaded().dataLoaded) return {.start = false, .stop = true};
    // A pixel changes only where a disc was or is, or where the set of trail
    // points over it changed: everything else is erased and drawn again the
    // same. Faded trails change colour all along.
    if (s.compared() && !trails) return TickWithRuns(s, plot, surface, trails, damage);
    const PixelRaster* raster = surface.raster();
    const bool tracked = damage && raster && trails && !s.view.fadeTrails;
    if (damage && !tracked) damage->MarkAll();
    // The first run, then the runs compared shown, each with its own cache
    // of the raster's trails: all are erased, then all drawn again in the
    // order a full paint draws them.
    std::vector<ShownRun> runs;
    for (std::size_t k = 0; k < s.runs.size(); ++k)
        if (Drawn(s, k)) runs.push_back({k, TrailsOf(trails, k)});
    const int32_t from = s.playback.position;
    const bool wraps = MoveRuns(s, plot, runs, tracked ? damage : nullptr);
    const bool goesOn = TickGoesOn(s);
    // The erase left the cache holding the rows before, the draw the rows after.
    if (tracked)
        for (const ShownRun& run : runs)
            MarkTrailRowsLeft(RunAt(s, run.run), run, run.before, run.after, *raster, *damage);
    for (const ShownRun& run : runs) DrawSystem(RunAt(s, run.run), plot, 1, run.trails);
    if (tracked) {
        for (const ShownRun& run : runs) {
            const RunAt r(s, run.run);
            MarkPlanets(r, plot, *damage);
            MarkTrailRowsLeft(r, run, run.after, run.before, *raster, *damage);
        }
        if (wraps) damage->MarkAll();
    }
    if (!s.loaded().fields.bodyNames.empty())
        DrawPlotNotes(s, plot, false);  // the erase may have cut into the legend
    return EndClassicTick(s, surface, from, goesOn, wraps, damage);
}
