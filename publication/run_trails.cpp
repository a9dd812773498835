#include "publication/run_trails.h"

#include <algorithm>
#include <cmath>

#include "animation/compared_runs.h"
#include "animation/drawing_routines.h"
#include "animation/simulation_state.h"
#include "animation/tick_damage.h"
#include "animation/trail_fade.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"
#include "publication/publication_paint.h"

namespace {

constexpr ColourRef kWhite = 0xFFFFFF;

/// A body's usual step on the screen: the median length in pixels of up to
/// 4096 steps spread over the rows in use; 0 when none has a length.
double UsualStep(const RunAt& r, const PlotBox& plot, int body) {
    const auto [first, rows] = r.run.shownRowSpan();
    const TrajectoryTable& t = *r.shownRows();
    std::vector<double> lengths;
    const int32_t every = std::max(1, (rows - first) / 4096);
    for (int32_t row = first + 1; row < rows; row += every) {
        const double* xy = t.track(body, row - 1);
        const double length = std::hypot((xy[2] - xy[0]) * plot.xScale, (xy[3] - xy[1]) * plot.yScale);
        if (std::isfinite(length) && length > 0) lengths.push_back(length);
    }
    if (lengths.empty()) return 0;
    std::nth_element(lengths.begin(), lengths.begin() + long(lengths.size() / 2), lengths.end());
    return lengths[lengths.size() / 2];
}

}  // namespace

ColourRef RunTrails::Prepared::colour(int body) const { return run_->loaded.bodyColour[std::size_t(body)]; }

bool RunTrails::Traced(const ::Run& run) {
    const LoadedSimulation& loaded = run.loaded;
    return run.shown && loaded.dataLoaded && loaded.rows && loaded.fields.drawOrbits;
}

std::pair<int64_t, int64_t> RunTrails::StepsOf(const ::Run& run, int64_t row) {
    // Between the rows shown at row - 1 and at row, whichever way it went.
    const std::vector<int32_t>& rowOf = run.alignment.rowOf;
    if (row < 1 || row >= int64_t(rowOf.size())) return {0, 0};
    const int64_t a = rowOf[std::size_t(row - 1)], b = rowOf[std::size_t(row)];
    return {std::min(a, b) + 1, std::max(a, b) + 1};
}

bool RunTrails::Prepared::Patterned(int body, int64_t row) const {
    const Rows& rows = patterns_[std::size_t(body - 1)];
    if (rows.period == 0) return true;
    const int64_t at = (row - 1) % rows.period;
    return at < rows.ends[0] || (at >= rows.ends[1] && at < rows.ends[2]);
}

void RunTrails::Prepare(const SimulationState& s, const PlotBox& plot, int64_t first, int64_t last,
                        double width) {
    runs_.resize(s.runs.size());
    prepared_.clear();
    for (std::size_t i = 1; i < s.runs.size(); ++i) {
        const ::Run& run = s.runs[i];
        const RunAt r(s, i);
        if (!Traced(run)) continue;
        const std::vector<int32_t>& rowOf = run.alignment.rowOf;
        const int64_t from = std::max<int64_t>(first, 0), to = std::min<int64_t>(last, int64_t(rowOf.size()));
        if (from + 1 >= to) continue;
        // The run's rows its steps belonging to the trail join.
        const auto [low, high] = std::minmax_element(rowOf.begin() + from, rowOf.begin() + to);
        if (*low < 0 || *high >= r.loaded().usableRows()) continue;
        Prepared& kept = runs_[i];
        kept.run_ = &run;
        kept.fade_ = r.view.fadeTrails, kept.row_ = r.playback.position, kept.trail_ = r.trail;
        kept.span_ = {*low, int64_t(*high) + 1};
        kept.lines_.Prepare(r, plot, *low, int64_t(*high) + 1);
        const int bodies = r.loaded().usableBodies();
        const PlotMapping mapping = plot.Mapping();
        if (kept.version_ != r.shownRows()->version() || !(kept.mapping_ == mapping) ||
            kept.width_ != width || kept.style_ != run.style ||
            kept.patterns_.size() != std::size_t(bodies)) {
            kept.version_ = r.shownRows()->version(), kept.mapping_ = mapping, kept.width_ = width;
            kept.style_ = run.style;
            kept.patterns_.assign(std::size_t(bodies), Prepared::Rows{});
            const std::vector<double> dashes = RunDashes(run.style, width);
            for (int body = 1; body <= bodies && !dashes.empty(); ++body) {
                const double step = UsualStep(r, plot, body);
                if (!(step > 0)) continue;
                Prepared::Rows& rows = kept.patterns_[std::size_t(body - 1)];
                int64_t at = 0;
                for (std::size_t k = 0; k < dashes.size() && k < 4; ++k) {
                    at += std::max<int64_t>(1, std::llround(dashes[k] / step));
                    if (k < 3) rows.ends[k] = at;
                }
                rows.period = at;
                if (dashes.size() < 4) rows.ends[1] = rows.ends[2] = rows.period;
            }
        }
        prepared_.push_back(&kept);
    }
}

void RunTrails::Draw(DrawingSurface& surface, double width) const {
    const double reach = LineReach(width);
    std::vector<Stroke> strokes;
    for (const Prepared* run : prepared_) {
        const auto [first, last] = run->span_;
        strokes.clear();
        for (int body = 1; body <= run->bodies(); ++body) {
            for (int64_t piece = first - first % TrailLines::kPiece; piece < last;
                 piece += TrailLines::kPiece) {
                const int64_t from = std::max(piece, first),
                              to = std::min(last - 1, piece + TrailLines::kPiece);
                if (surface.partial()) {
                    const TrailLines::Box& b = run->lines_.pieceBox(body, from);
                    if (!surface.Shows(b.left - reach, b.top - reach, b.right + reach, b.bottom + reach))
                        continue;
                }
                const ColourRef shade =
                    run->fade_ ? FadedColour(run->colour(body), kWhite,
                                             std::llabs((from + to) / 2 - run->row_), int(run->trail_))
                               : run->colour(body);
                const auto drawn = [&](int64_t row) {
                    return run->lines_.joins(body, row) && run->Patterned(body, row);
                };
                for (int64_t row = from + 1; row <= to; ++row) {
                    if (!drawn(row)) continue;
                    const ViewPoint a = *run->lines_.points(body, row - 1),
                                    b = *run->lines_.points(body, row);
                    if (surface.partial() &&
                        !surface.Shows(std::min(a.x, b.x) - reach, std::min(a.y, b.y) - reach,
                                       std::max(a.x, b.x) + reach, std::max(a.y, b.y) + reach))
                        continue;
                    strokes.push_back({a, b, shade, StepEnds(run->lines_, body, row, drawn)});
                }
            }
        }
        if (!strokes.empty()) surface.StrokeSegments(strokes.data(), strokes.size(), width);
    }
}

std::vector<int32_t> RunTrails::RowsOf(const SimulationState& s) {
    std::vector<int32_t> rows;
    for (std::size_t k = 1; k < s.runs.size(); ++k) rows.push_back(RunAt(s, k).playback.position);
    return rows;
}

void RunTrails::MarkRings(const SimulationState& s, const PlotBox& plot, int width, int height,
                          const std::vector<int32_t>& before, TickDamage& damage) {
    for (std::size_t i = 0; i + 1 < s.runs.size() && i < before.size(); ++i) {
        const RunAt r(s, i + 1);
        if (!r.run.shown || !r.loaded().dataLoaded || !r.loaded().rows || !r.loaded().fields.drawPlanets)
            continue;
        const int32_t rows = r.loaded().usableRows();
        for (const int32_t at : {before[i], r.playback.position}) {
            if (at < 0 || at >= rows) continue;
            for (int body = 1; body <= r.loaded().usableBodies(); ++body) {
                const double* xy = r.shownRows()->track(body, at);
                const double radius = DiscRadius(r, body, width, height);
                const ViewPoint c = plot.MapExact(xy[0], xy[1]);
                if (radius < 0 || !std::isfinite(c.x) || !std::isfinite(c.y)) continue;
                const double reach = RingRadius(radius) + RingWidth(radius) / 2 + 2;
                damage.Mark({SaturatingTrunc(std::floor(c.x - reach)),
                             SaturatingTrunc(std::floor(c.y - reach)),
                             Clamp32(int64_t(SaturatingTrunc(std::ceil(c.x + reach))) + 1),
                             Clamp32(int64_t(SaturatingTrunc(std::ceil(c.y + reach))) + 1)});
            }
        }
    }
}
