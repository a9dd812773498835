#include "publication/publication_tick.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "animation/compared_runs.h"
#include "animation/drawing_routines.h"
#include "animation/playback_range.h"
#include "animation/simulation_state.h"
#include "plot/plot_box.h"

namespace {

using RowSpan = std::pair<int64_t, int64_t>;

/// The rows of the trail that a tick changes: those of `before` outside
/// `after`, and those of `after` outside `before`, as spans.
std::vector<RowSpan> ChangedRows(RowSpan before, RowSpan after) {
    std::vector<RowSpan> spans;
    for (const auto& [a, b] : {std::pair{before, after}, std::pair{after, before}})
        for (const RowSpan& span :
             {RowSpan{a.first, std::min(a.second, b.first)}, RowSpan{std::max(a.first, b.second), a.second}})
            if (span.first < span.second) spans.push_back(span);
    return spans;
}

/// Marks on `under` the steps into the rows `spans` hold that came into
/// the trail or went from it (from `before` to `after`), the runs' steps
/// that belong to those rows with them, and the rows whose steps are to be
/// drawn over the layer under or drawn again.
void MarkStepsThatChanged(const SimulationState& s, const PlotBox& plot, const std::vector<RowSpan>& spans,
                          RowSpan before, RowSpan after, double reach, UnderChange& under) {
    // A step joins the rows r - 1 and r, and shows when both are in the trail.
    const auto shows = [](RowSpan trail, int64_t r) { return r - 1 >= trail.first && r < trail.second; };
    const int64_t rows = s.loaded().usableRows();
    for (const RowSpan& span : spans)
        for (int64_t r = std::max<int64_t>(span.first, 1); r <= span.second && r < rows; ++r) {
            if (shows(before, r) == shows(after, r)) continue;
            const bool onTop = s.playback.direction < 0 ? r <= before.first : r >= before.second;
            const bool came = shows(after, r) && onTop;
            bool any = false;
            // A step from the point `xy` holds to the next.
            const auto markStep = [&](const double* xy) {
                const ViewPoint a = plot.MapExact(xy[0], xy[1]), b = plot.MapExact(xy[2], xy[3]);
                if (!(std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y)))
                    return;
                // Into the tiles below: every step that came or went, and
                // those that went again on their own.
                under.composedPixels.MarkStroke(a, b, reach, came ? nullptr : &under.wentPixels);
                any = true;
            };
            for (int body = 1; body <= s.loaded().usableBodies(); ++body)
                markStep(s.shownRows()->track(body, int32_t(r - 1)));
            // The runs' steps that belong to the row come and go with it.
            for (const Run& run : s.others()) {
                if (!RunTrails::Traced(run)) continue;
                const auto [from, to] = RunTrails::StepsOf(run, r);
                const TrajectoryTable& own = *run.shownRows();
                for (int body = 1; body <= run.loaded.usableBodies(); ++body)
                    for (int64_t k = from; k < to; ++k) markStep(own.track(body, int32_t(k - 1)));
            }
            if (!any) continue;
            // After every step drawn before, in the order of the playback's
            // direction: drawn over them. Else drawn again.
            auto& marked = came ? under.added : under.redrawRows;
            marked = marked.first < marked.second
                         ? std::pair{std::min(marked.first, r), std::max(marked.second, r + 1)}
                         : std::pair{r, r + 1};
        }
}

DeviceRect AreaAbout(double left, double top, double right, double bottom) {
    return DeviceRect{SaturatingTrunc(std::floor(left)), SaturatingTrunc(std::floor(top)),
                      Clamp32(int64_t(SaturatingTrunc(std::ceil(right))) + 1),
                      Clamp32(int64_t(SaturatingTrunc(std::ceil(bottom))) + 1)};
}

/// Marks the sun (where it moves in the frame) and the bodies' discs at
/// the rows `from` and `to`.
void MarkDiscs(const SimulationState& s, const PlotBox& plot, int width, int height, int32_t from, int32_t to,
               TickDamage& damage) {
    if (s.sunMoves() && s.loaded().fields.sunSize > 0)
        for (const int32_t row : {from, to}) {
            const auto [x, y] = s.sunAt(row);
            const ViewPoint c = plot.MapExact(x, y);
            const double r = SunRadius(s, width, height) + SunOutline(width, height) / 2 + 2;
            if (std::isfinite(c.x) && std::isfinite(c.y))
                damage.Mark(AreaAbout(c.x - r, c.y - r, c.x + r, c.y + r));
        }
    if (!s.loaded().fields.drawPlanets) return;
    const int64_t rows = s.loaded().usableRows();
    for (const int32_t row : {from, to}) {
        if (row < 0 || row >= rows) continue;
        for (int body = 1; body <= s.loaded().usableBodies(); ++body) {
            const double* xy = s.shownRows()->track(body, row);
            if (plot.IsOutside(xy[0], xy[1])) continue;
            const ViewPoint c = plot.MapExact(xy[0], xy[1]);
            const double r = DiscRadius(s, body, width, height) + 2;
            damage.Mark(AreaAbout(c.x - r, c.y - r, c.x + r, c.y + r));
        }
    }
}

/// Marks the time stamp before and after, at the top left, or the bottom
/// left when the legend took the top left.
void MarkStamp(const SimulationState& s, const PlotBox& plot, const PublicationNotes& notes, int width,
               int height, int32_t from, int32_t to, TickDamage& damage) {
    // No character of the face is wider than 0.7 of its size.
    const double font = PublicationFontSize(s, width, height);
    const std::size_t longest = std::max(ClockTextAt(s, from).size(), ClockTextAt(s, to).size());
    const double w = font * (1.6 + 0.7 * double(longest));
    const double h = font * 2.4;
    const DeviceRect box = plot.BoxCorners();
    const DeviceRect& kept = notes.stampRect;
    if (int(longest) <= notes.stampChars && kept.right > kept.left)
        damage.Mark(kept);  // the box holds both stamps
    else if (notes.legendCorner == 1)
        damage.Mark(AreaAbout(box.left, box.bottom - h, box.left + w, box.bottom));
    else
        damage.Mark(AreaAbout(box.left, box.top, box.left + w, box.top + h));
}

/// Marks on `damage` the parts of the publication look that a tick changes,
/// for the plot's mapping, the notes of the last full paint and a view of
/// `width` x `height`: the trails about the rows that left (`before` less
/// `after`) and entered (`after` less `before`), the discs at the rows
/// `from` and `to`, and the corners where the time stamp stands. Everything
/// when it cannot tell (faded trails, a jump of many rows). Tells on
/// `under` what changed in the layer under (PaintLayers): the trails' steps
/// that went, and those that came, to be drawn over it when they follow
/// every step there before, or to be painted again.
void MarkPublicationTick(const SimulationState& s, const PlotBox& plot, const PublicationNotes& notes,
                         int width, int height, RowSpan before, RowSpan after, int32_t from, int32_t to,
                         TickDamage& damage, UnderChange& under) {
    constexpr int64_t kMostRows = 256;  // beyond this a whole repaint costs less
    const std::vector<RowSpan> spans = ChangedRows(before, after);
    int64_t rowsChanged = 0;
    for (const RowSpan& span : spans) rowsChanged += span.second - span.first;
    if (s.view.fadeTrails || rowsChanged > kMostRows || !plot.enabled) {
        damage.MarkAll();
        under.damage.MarkAll();
        under.composed.MarkAll();
        under.composedPixels.MarkAll();
        under.wentPixels.MarkAll();
        return;
    }
    // The pixels a step blends lie within half its width and one pixel of
    // it, along and across.
    if (s.loaded().fields.drawOrbits)
        MarkStepsThatChanged(s, plot, spans, before, after, TrailWidth(s, width, height) / 2 + 1, under);
    under.composed.MarkCoarse(under.composedPixels);
    under.damage.MarkCoarse(under.wentPixels);
    damage.MarkCoarse(under.composed);
    MarkDiscs(s, plot, width, height, from, to, damage);
    if (s.view.look.clock) MarkStamp(s, plot, notes, width, height, from, to, damage);
}

}  // namespace

TimerRequest MovePublicationTick(SimulationState& s, bool& wraps) {
    // A loop goes round from the row where a playback without it stopped,
    // so the last row it reaches is shown too.
    wraps = TickWraps(s);
    s.playback.position = NextTickRow(s);
    AlignRuns(s);
    return TimerAnswer(s, TickGoesOn(s), wraps);
}

void PublicationTick::Paint(const SimulationState& s, PlotBox& plot, PublicationLayers& layers, int width,
                            int height, bool draft) {
    using Layer = PublicationLayers::Layer;
    // Each layer is painted on a copy of the plot, whose mapping the paint
    // recomputes; the plot takes it, and the notes are placed, on the
    // picture's surface before the picture is painted with them.
    const auto paint = [&](Layer layer, SmoothPass pass) {
        layers.Paint(layer, nullptr, [&](DrawingSurface& surface) {
            if (layer == Layer::Picture) {
                notes_ = MapPublicationView(s, plot, surface, width, height);
                pass.notes = &notes_;
            }
            PlotBox copy = plot;
            PaintPublicationView(s, copy, surface, width, height, pass);
        });
    };
    chunks_.Forget();  // the paint of the layer under draws them again, if on a raster
    if (draft) {
        paint(Layer::Picture, {.lines = &lines_, .draft = true, .drafts = &drafts_});
    } else if (layers.apart()) {
        paint(Layer::Under,
              {.lines = &lines_, .layers = PaintLayers::Under, .chunks = &chunks_, .runTrails = &runs_});
        layers.CopyUnder(nullptr);
        paint(Layer::Picture, {.layers = PaintLayers::Over});
    } else {
        paint(Layer::Picture, {.lines = &lines_, .runTrails = &runs_});
    }
    direction_ = s.playback.direction;
}

PublicationStep PublicationTick::Tick(SimulationState& s, const PlotBox& plot, int width, int height,
                                      PublicationLayers* layers) {
    damage_.Reset(width, height, kTileShift);
    under_.damage.Reset(width, height, kTileShift);
    under_.composed.Reset(width, height, kTileShift);
    under_.composedPixels.Reset(width, height, 1);
    under_.wentPixels.Reset(width, height, 1);
    under_.added = under_.redrawRows = {};
    PublicationStep step;
    if (!s.loaded().dataLoaded) {
        step.timer = {.start = false, .stop = true};
    } else {
        const auto before = TrailRowSpan(s);
        AlignRuns(s);  // where they stand at the row shown, whatever moved it
        const std::vector<int32_t> runsWere = RunTrails::RowsOf(s);
        const int32_t from = s.playback.position;
        bool wraps = false;
        step.timer = MovePublicationTick(s, wraps);
        MarkPublicationTick(s, plot, notes_, width, height, before, TrailRowSpan(s), from,
                            s.playback.position, damage_, under_);
        RunTrails::MarkRings(s, plot, width, height, runsWere, damage_);
        // After a loop went back, the old trail goes with a full paint; after
        // a turn the steps overlap the other way round.
        // Side layers of other chunks than the trails' now cannot be mended.
        const bool rechunked = chunks_.built() && !chunks_.Holds(s);
        // Played back into the first rows, a trail cut there shortens from
        // its old end, which the side layers cannot mend.
        const bool cut = s.playback.direction < 0 && TrailCutAtFirstRow(s);
        if (wraps || rechunked || cut || s.playback.direction != direction_)
            damage_.MarkAll(), under_.damage.MarkAll();
    }
    if (!layers || !layers->apart() || damage_.all()) return step;
    Mend(s, plot, width, height, *layers);
    step.mended = true;
    return step;
}

void PublicationTick::Mend(const SimulationState& s, const PlotBox& plot, int width, int height,
                           PublicationLayers& layers) {
    using Layer = PublicationLayers::Layer;
    const auto paint = [&](Layer layer, const TickDamage* only, const SmoothPass& pass) {
        layers.Paint(layer, only, [&](DrawingSurface& surface) {
            PlotBox copy = plot;
            PaintPublicationView(s, copy, surface, width, height, pass);
        });
    };
    // Into the layer under: the steps that came at the trails' heads drawn
    // over it, then the tiles where steps went painted again. Then the
    // picture's changed tiles from it, and what stands over.
    // In side layers, the steps that came go onto the newest, and the
    // layers are laid over again wherever a step came or went.
    const bool chunked = chunks_.built();
    if (under_.added.first < under_.added.second)
        paint(Layer::Under, nullptr,
              {.lines = &lines_,
               .layers = PaintLayers::Added,
               .added = under_.added,
               .notes = &notes_,
               .chunks = chunked ? &chunks_ : nullptr,
               .runTrails = &runs_});
    if (chunked)
        paint(Layer::Under, &under_.composed,
              {.lines = &lines_,
               .layers = PaintLayers::Under,
               .notes = &notes_,
               .chunks = &chunks_,
               .redrawRows = under_.redrawRows,
               .redraw = &under_.damage,
               .composed = &under_.composedPixels,
               .went = &under_.wentPixels,
               .runTrails = &runs_});
    else
        paint(Layer::Under, &under_.damage,
              {.lines = &lines_, .layers = PaintLayers::Under, .notes = &notes_, .runTrails = &runs_});
    layers.CopyUnder(&damage_);
    paint(Layer::Picture, &damage_, {.layers = PaintLayers::Over, .notes = &notes_});
}
