#include "animation/run_trails.h"

#include <algorithm>
#include <cmath>

#include "animation/compared_runs.h"
#include "animation/drawing_routines.h"
#include "animation/publication_paint.h"
#include "animation/simulation_state.h"
#include "animation/tick_damage.h"
#include "animation/trail_fade.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"

namespace {

constexpr ColourRef kWhite = 0xFFFFFF;

/// A body's usual step on the screen: the median length in pixels of up to
/// 4096 steps spread over the rows in use; 0 when none has a length.
double UsualStep(const SimulationState& r, const PlotBox& plot, int body) {
    const int32_t rows = r.loaded.usableRows();
    const TrajectoryTable& t = *r.shownRows();
    std::vector<double> lengths;
    const int32_t every = std::max(1, rows / 4096);
    for (int32_t row = 1; row < rows; row += every) {
        const double* xy = t.track(body, row - 1);
        const double length = std::hypot((xy[2] - xy[0]) * plot.xScale, (xy[3] - xy[1]) * plot.yScale);
        if (std::isfinite(length) && length > 0) lengths.push_back(length);
    }
    if (lengths.empty()) return 0;
    std::nth_element(lengths.begin(), lengths.begin() + long(lengths.size() / 2), lengths.end());
    return lengths[lengths.size() / 2];
}

}  // namespace

bool RunTrails::Drawn(const Rows& rows, int64_t row) {
    if (rows.period == 0) return true;
    const int64_t at = (row - 1) % rows.period;
    return at < rows.ends[0] || (at >= rows.ends[1] && at < rows.ends[2]);
}

void RunTrails::Draw(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface, double width) {
    runs_.resize(s.runs.size());
    const double reach = LineReach(width);
    std::vector<Stroke> strokes;
    for (std::size_t i = 0; i < s.runs.size(); ++i) {
        const ComparedRun& run = s.runs[i];
        const SimulationState& r = run.state;
        if (!run.shown || !r.loaded.dataLoaded || !r.loaded.rows || !r.loaded.fields.drawOrbits) continue;
        const auto [first, last] = TrailRowSpan(r);
        if (first + 1 >= last) continue;
        Run& kept = runs_[i];
        kept.lines.Prepare(r, plot, first, last);
        const int bodies = r.loaded.usableBodies();
        const PlotMapping mapping = plot.Mapping();
        if (kept.version != r.shownRows()->version() || !(kept.mapping == mapping) || kept.width != width ||
            kept.style != run.style || kept.bodies.size() != std::size_t(bodies)) {
            kept.version = r.shownRows()->version(), kept.mapping = mapping, kept.width = width;
            kept.style = run.style;
            kept.bodies.assign(std::size_t(bodies), Rows{});
            const std::vector<double> dashes = RunDashes(run.style, width);
            for (int body = 1; body <= bodies && !dashes.empty(); ++body) {
                const double step = UsualStep(r, plot, body);
                if (!(step > 0)) continue;
                Rows& rows = kept.bodies[std::size_t(body - 1)];
                int64_t at = 0;
                for (std::size_t k = 0; k < dashes.size() && k < 4; ++k) {
                    at += std::max<int64_t>(1, std::llround(dashes[k] / step));
                    if (k < 3) rows.ends[k] = at;
                }
                rows.period = at;
                if (dashes.size() < 4) rows.ends[1] = rows.ends[2] = rows.period;
            }
        }
        strokes.clear();
        for (int body = 1; body <= bodies; ++body) {
            const ColourRef colour = r.loaded.bodyColour[std::size_t(body)];
            const Rows& pattern = kept.bodies[std::size_t(body - 1)];
            for (int64_t piece = first - first % TrailLines::kPiece; piece < last;
                 piece += TrailLines::kPiece) {
                const int64_t from = std::max(piece, first),
                              to = std::min(last - 1, piece + TrailLines::kPiece);
                if (surface.partial()) {
                    const TrailLines::Box& b = kept.lines.pieceBox(body, from);
                    if (!surface.Shows(b.left - reach, b.top - reach, b.right + reach, b.bottom + reach))
                        continue;
                }
                // Faded, each piece in the colour of its middle row.
                const ColourRef shade =
                    r.view.fadeTrails
                        ? FadedColour(colour, kWhite, std::llabs((from + to) / 2 - r.playback.position),
                                      r.loaded.fields.pointsPerOrbit)
                        : colour;
                for (int64_t row = from + 1; row <= to; ++row) {
                    if (!kept.lines.joins(body, row) || !Drawn(pattern, row)) continue;
                    const ViewPoint a = *kept.lines.points(body, row - 1), b = *kept.lines.points(body, row);
                    if (surface.partial() &&
                        !surface.Shows(std::min(a.x, b.x) - reach, std::min(a.y, b.y) - reach,
                                       std::max(a.x, b.x) + reach, std::max(a.y, b.y) + reach))
                        continue;
                    strokes.push_back({a, b, shade});
                }
            }
        }
        if (!strokes.empty()) surface.StrokeSegments(strokes.data(), strokes.size(), width);
    }
}

RunTrails::Places RunTrails::PlacesOf(const SimulationState& s) {
    Places places;
    for (const ComparedRun& run : s.runs)
        places.push_back({TrailRowSpan(run.state), run.state.playback.position});
    return places;
}

void RunTrails::MarkTick(const SimulationState& s, const PlotBox& plot, int width, int height,
                         const Places& before, TickDamage& damage, TickDamage& trails) {
    constexpr int64_t kMostRows = 256;  // beyond this a whole repaint costs less
    const auto mark = [&](ViewPoint a, ViewPoint b, double reach) {
        if (!(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y))) return;
        damage.Mark({SaturatingTrunc(std::floor(std::min(a.x, b.x) - reach)),
                     SaturatingTrunc(std::floor(std::min(a.y, b.y) - reach)),
                     Clamp32(int64_t(SaturatingTrunc(std::ceil(std::max(a.x, b.x) + reach))) + 1),
                     Clamp32(int64_t(SaturatingTrunc(std::ceil(std::max(a.y, b.y) + reach))) + 1)});
    };
    for (std::size_t i = 0; i < s.runs.size() && i < before.size(); ++i) {
        const ComparedRun& run = s.runs[i];
        const SimulationState& r = run.state;
        if (!run.shown || !r.loaded.dataLoaded || !r.loaded.rows) continue;
        const auto [was, wasRow] = before[i];
        const auto now = TrailRowSpan(r);
        const int32_t row = r.playback.position, rows = r.loaded.usableRows();
        if (r.view.fadeTrails ||
            std::llabs(now.first - was.first) + std::llabs(now.second - was.second) > kMostRows) {
            damage.MarkAll(), trails.MarkAll();
            return;
        }
        if (r.loaded.fields.drawOrbits) {
            // The steps into the rows that came or went: each joins r - 1 and r.
            const double reach = LineReach(TrailWidth(s, width, height));
            const auto shows = [](std::pair<int64_t, int64_t> trail, int64_t k) {
                return k - 1 >= trail.first && k < trail.second;
            };
            const int64_t low = std::max<int64_t>(std::min(was.first, now.first), 1);
            const int64_t high = std::min<int64_t>(std::max(was.second, now.second), rows);
            for (int64_t k = low; k < high; ++k) {
                if (shows(was, k) == shows(now, k)) continue;
                for (int body = 1; body <= r.loaded.usableBodies(); ++body) {
                    const double* xy = r.shownRows()->track(body, int32_t(k - 1));
                    damage.MarkStroke(plot.MapExact(xy[0], xy[1]), plot.MapExact(xy[2], xy[3]), reach,
                                      &trails);
                }
            }
        }
        if (r.loaded.fields.drawPlanets)
            for (const int32_t at : {wasRow, row}) {
                if (at < 0 || at >= rows) continue;
                for (int body = 1; body <= r.loaded.usableBodies(); ++body) {
                    const double* xy = r.shownRows()->track(body, at);
                    const double radius = DiscRadius(r, body, width, height);
                    if (radius < 0) continue;
                    const ViewPoint c = plot.MapExact(xy[0], xy[1]);
                    mark(c, c, RingRadius(radius) + RingWidth(radius) / 2 + 2);
                }
            }
    }
}
