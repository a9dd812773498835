#include "publication/publication_paint.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "animation/compared_runs.h"
#include "animation/drawing_routines.h"
#include "animation/plot_notes.h"
#include "animation/simulation_state.h"
#include "animation/tick_damage.h"
#include "animation/trail_fade.h"
#include "base/format.h"
#include "base/parallel_for.h"
#include "plot/axes_frame.h"
#include "plot/axis_ticks.h"
#include "plot/dashed_line.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"
#include "publication/run_trails.h"
#include "publication/trail_chunks.h"
#include "publication/trail_drafts.h"
#include "publication/trail_lines.h"
#include "publication/turned_view_marks.h"
#include "simulation/table_plane.h"

namespace {

constexpr ColourRef kWhite = 0xFFFFFF, kInk = kFrameInk;
constexpr ColourRef kLegendEdge = 0xC8C8C8, kSunEdge = 0x0090B0;

/// The axes' round ticks for the box the plot shows.
struct Ticks {
    AxisTicks x, y;
};

Ticks TicksOf(const PlotBox& plot) {
    return {ChooseTicks(plot.xMin, plot.xMax), ChooseTicks(plot.yMin, plot.yMax)};
}

double WidestLabel(const DrawingSurface& surface, const AxisTicks& ticks, double font) {
    double widest = 0;
    for (const double v : ticks.values)
        widest = std::max(widest, surface.TextExtent(TickLabel(v, ticks.decimals), font).x);
    return widest;
}

/// The axes' titles, "x [AU]" and "y [AU]" with a length unit, named
/// after the plane shown ("x [AU]" and "z [AU]" on xz); empty without a unit.
struct AxisTitles {
    std::string x, y;
};

AxisTitles AxisTitlesOf(const SimulationState& s) {
    const std::string& unit = s.loaded().fields.lengthUnit;
    if (unit.empty() || s.view.turn.turned()) return {};
    const ViewPlane plane = s.loaded().planeShown();
    return {AxisName(plane, 0) + " [" + unit + "]", AxisName(plane, 1) + " [" + unit + "]"};
}

/// The box's device rectangle for the view: room for the y labels on the
/// left, the x labels under it, the axis titles and the title.
struct Margins {
    double left, top, right, bottom;
};

/// The margins for y labels `yLabels` pixels wide at most: on the left, the
/// y title (turned, as high as it is measured) beyond the labels.
Margins MarginsFor(const SimulationState& s, const DrawingSurface& surface, const TextMetrics& m,
                   double yLabels) {
    const AxisTitles titles = AxisTitlesOf(s);
    Margins g{};
    g.left = m.pad + yLabels + m.pad;
    if (!titles.y.empty()) g.left += surface.TextExtent(titles.y, m.font).y + m.pad;
    g.bottom = m.pad + m.lineHeight + m.pad;
    if (!titles.x.empty()) g.bottom += surface.TextExtent(titles.x, m.font).y + m.pad;
    g.top = s.loaded().fields.plotTitle.empty() ? m.lineHeight * 0.8 : m.lineHeight + 2 * m.pad;
    // Half the widest x label may stand past the box's right edge.
    g.right = std::max(m.lineHeight, surface.TextExtent("-0.000", m.font).x / 2 + m.pad);
    return g;
}

/// Maps the plot onto the view less the margins, keeping its viewport.
void MapInside(PlotBox& plot, int width, int height, const Margins& g) {
    const int left = int(std::lround(g.left)), top = int(std::lround(g.top));
    MapOnto(plot, left, top, std::max(left + 1, width - int(std::lround(g.right))),
            std::max(top + 1, height - int(std::lround(g.bottom))));
}

ViewRect BoxOf(const PlotBox& plot) {
    const DeviceRect r = plot.BoxCorners();
    return {double(r.left), double(r.top), double(r.right), double(r.bottom)};
}

void Line(DrawingSurface& surface, ViewPoint a, ViewPoint b, ColourRef colour, double width) {
    const ViewPoint points[] = {a, b};
    surface.StrokePolyline(points, 2, colour, width);
}

void DrawGridAndZeroLines(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface,
                          const ViewRect& box, const Ticks& ticks) {
    if (s.view.look.grid) {
        for (const double v : ticks.x.values) {
            const double x = plot.MapExact(v, 0).x;
            Line(surface, {x, box.top}, {x, box.bottom}, kGridColour, 0.8);
        }
        for (const double v : ticks.y.values) {
            const double y = plot.MapExact(0, v).y;
            Line(surface, {box.left, y}, {box.right, y}, kGridColour, 0.8);
        }
    }
    if (!s.loaded().fields.drawAxes) return;
    const ViewPoint origin = plot.MapExact(0, 0);
    if (plot.xMin <= 0 && 0 <= plot.xMax)
        Line(surface, {origin.x, box.top}, {origin.x, box.bottom}, kZeroLineColour, 1);
    if (plot.yMin <= 0 && 0 <= plot.yMax)
        Line(surface, {box.left, origin.y}, {box.right, origin.y}, kZeroLineColour, 1);
}

/// Rows from `row` to the body's row, what a faded stretch goes by.
int64_t Distance(int64_t row, int64_t position) { return row >= position ? row - position : position - row; }

/// Where a repaint of a few tiles draws trails: the tiles it repaints, less
/// the opaque boxes drawn over the trails (the legend and the time stamp),
/// which hide whatever lies wholly inside them.
struct TrailClip {
    const DrawingSurface& surface;
    ViewRect box;  ///< the plot's box, which the trails are cut to
    std::vector<ViewRect> covers;

    /// Narrower than the surface's tiles: the tiles a side layer is drawn
    /// again in, on a view of `width` x `height`.
    const TickDamage* redraw = nullptr;
    int width = 0, height = 0;

    bool Shows(double left, double top, double right, double bottom) const {
        for (const ViewRect& c : covers)
            if (left >= c.left && right <= c.right && top >= c.top && bottom <= c.bottom) return false;
        if (redraw) return redraw->Shows(left, top, right, bottom, width, height);
        return surface.Shows(left, top, right, bottom);
    }
    bool Shows(const TrailLines::Box& b, double reach) const {
        return Shows(b.left - reach, b.top - reach, b.right + reach, b.bottom + reach);
    }
};

/// Strokes the line of body `body` through rows [first, last), broken
/// where a step does not join; a width of 0 drafts them (DraftPolyline).
void StrokeRows(const TrailLines& lines, int body, int64_t first, int64_t last, DrawingSurface& surface,
                ColourRef colour, double width) {
    const ViewPoint* points = lines.points(body, first);
    for (int64_t from = first; from + 1 < last;) {
        int64_t to = from + 1;
        while (to < last && lines.joins(body, to)) ++to;
        if (to > from + 1 && width == 0)
            surface.DraftPolyline(points + (from - first), std::size_t(to - from), colour);
        else if (to > from + 1)
            surface.StrokePolyline(points + (from - first), std::size_t(to - from), colour, width);
        from = to;
    }
}

/// Whether the step into `row` is drawn: it joins, and it is not a step of
/// no length after one that joins, which inks that spot. A body that stands
/// still in the frame shown (the one a turning frame turns with) would
/// otherwise ink one spot once per row of its trail. It depends on the data
/// alone, not on where the trail starts, so that a tick changes no step but
/// those that come and go.
bool StepDrawn(const TrailLines& lines, int body, int64_t row) {
    if (!lines.joins(body, row)) return false;
    if (!lines.joins(body, row - 1)) return true;
    const ViewPoint a = *lines.points(body, row - 1), b = *lines.points(body, row);
    return std::fabs(b.x - a.x) + std::fabs(b.y - a.y) >= 1e-6;
}

/// The stroke of the first run's step into `row`.
Stroke StepStroke(const TrailLines& lines, int body, int64_t row, ColourRef colour) {
    return {*lines.points(body, row - 1), *lines.points(body, row), colour,
            StepEnds(lines, body, row, [&](int64_t k) { return StepDrawn(lines, body, k); })};
}

/// Draws the trails' steps into rows [from, to), row after row in the
/// playback's direction and each row's bodies in turn: the order of a
/// raster's full paint, in which a step that comes at the trail's end the
/// playback moves toward is drawn last, as a tick draws it.
/// Where trails' strokes go: the surface's picture, or a side layer (within
/// some tiles when `only` is given).
struct StrokeTarget {
    const PixelRaster* layer = nullptr;
    const TileMask* only = nullptr;

    void Draw(DrawingSurface& surface, const std::vector<Stroke>& strokes, double width) const {
        if (layer)
            surface.StrokeSegmentsOnto(*layer, strokes.data(), strokes.size(), width, only);
        else
            surface.StrokeSegments(strokes.data(), strokes.size(), width);
    }
};

/// Whether a run's step into its row `row` is drawn: as StepDrawn, and in
/// its run's pattern.
bool RunStepDrawn(const RunTrails::Prepared& run, int body, int64_t row) {
    return StepDrawn(run.lines(), body, row) && run.Patterned(body, row);
}

/// The stroke of a run's step into its row `row`: a dash of its pattern
/// has square ends.
Stroke RunStepStroke(const RunTrails::Prepared& run, int body, int64_t row) {
    const TrailLines& lines = run.lines();
    return {*lines.points(body, row - 1), *lines.points(body, row), run.colour(body),
            StepEnds(lines, body, row, [&](int64_t k) { return RunStepDrawn(run, body, k); })};
}

/// Adds the runs' steps that belong to the first run's `row`, in the order
/// drawn after that row's own: run after run, each body's in turn.
void AddRunSteps(const RunTrails* runs, int64_t row, std::vector<Stroke>& strokes) {
    if (!runs) return;
    for (const RunTrails::Prepared* run : runs->prepared()) {
        const auto [from, to] = run->StepsOf(row);
        for (int body = 1; body <= run->bodies(); ++body)
            for (int64_t k = from; k < to; ++k)
                if (RunStepDrawn(*run, body, k)) strokes.push_back(RunStepStroke(*run, body, k));
    }
}

void DrawStepsByRow(const SimulationState& s, const TrailLines& lines, DrawingSurface& surface, int64_t from,
                    int64_t to, double width, const StrokeTarget& target = {},
                    const RunTrails* runs = nullptr) {
    std::vector<Stroke> strokes;
    constexpr std::size_t kBatch = 1 << 16;
    const bool back = s.playback.direction < 0;
    for (int64_t k = from; k < to; ++k) {
        const int64_t row = back ? to - 1 - (k - from) : k;
        for (int body = 1; body <= s.loaded().usableBodies(); ++body)
            if (StepDrawn(lines, body, row))
                strokes.push_back(StepStroke(lines, body, row, s.loaded().bodyColour[std::size_t(body)]));
        AddRunSteps(runs, row, strokes);
        if (strokes.size() >= kBatch || k + 1 == to) {
            target.Draw(surface, strokes, width);
            strokes.clear();
        }
    }
}

/// The steps of the trails' rows [first, last) that show in a repaint of a
/// few tiles, and the runs' steps that belong to them, found by looking
/// into the pieces and parts that show only.
class ShownSteps {
public:
    /// A line looked into: the first run's body (`run` null) or a run's,
    /// and the spans of its run's steps by piece.
    struct Track {
        const RunTrails::Prepared* run;
        int body;
        std::size_t spans;
    };
    struct Step {
        int64_t row, at;  ///< the first run's row it belongs to, and its own
        std::size_t track;
    };

    /// Tracks: the first run's bodies 1 to `bodies`, then each run's in turn.
    ShownSteps(const TrailLines& lines, const TrailClip& clip, int bodies, const RunTrails* runs,
               int64_t first, int64_t last, double width)
        : lines_(lines),
          clip_(clip),
          first_(first),
          last_(last),
          reach_(LineReach(width)),
          firstPiece_(first - first % TrailLines::kPiece) {
        pieceSteps_.push_back(PieceSteps(nullptr));
        for (int body = 1; body <= bodies; ++body) tracks_.push_back({nullptr, body, 0});
        for (const RunTrails::Prepared* run :
             runs ? runs->prepared() : std::vector<const RunTrails::Prepared*>{}) {
            pieceSteps_.push_back(PieceSteps(run));
            for (int body = 1; body <= run->bodies(); ++body)
                tracks_.push_back({run, body, pieceSteps_.size() - 1});
        }
    }

    const std::vector<Track>& tracks() const { return tracks_; }

    /// The steps of tracks [begin, end), track after track.
    void Gather(int64_t begin, int64_t end, std::vector<Step>& steps) const {
        for (auto t = std::size_t(begin); t < std::size_t(end); ++t) GatherTrack(t, steps);
    }

private:
    using Spans = std::vector<std::pair<int64_t, int64_t>>;

    /// The steps of `run` (the first run's, when null) that belong to the
    /// first run's row `row`: into its rows [from, to).
    static std::pair<int64_t, int64_t> StepsOf(const RunTrails::Prepared* run, int64_t row) {
        return run ? run->StepsOf(row) : std::pair{row, row + 1};
    }

    /// For a run (the first, when null), the rows of its steps that belong
    /// to each piece of the first run's rows: [low, high).
    Spans PieceSteps(const RunTrails::Prepared* run) const {
        Spans spans;
        for (int64_t piece = firstPiece_; piece < last_; piece += TrailLines::kPiece) {
            std::pair<int64_t, int64_t> span{INT64_MAX, INT64_MIN};
            for (int64_t row = std::max(piece, first_) + 1;
                 row <= std::min(last_ - 1, piece + TrailLines::kPiece); ++row)
                if (const auto [from, to] = StepsOf(run, row); from < to)
                    span = {std::min(span.first, from), std::max(span.second, to)};
            spans.push_back(span);
        }
        return spans;
    }

    bool Shows(ViewPoint a, ViewPoint b) const {
        return clip_.Shows(std::min(a.x, b.x) - reach_, std::min(a.y, b.y) - reach_,
                           std::max(a.x, b.x) + reach_, std::max(a.y, b.y) + reach_);
    }

    /// A track's steps that show: in the pieces of its own rows that show,
    /// in the parts of them that show (a step into row k lies in the piece
    /// and the part of k - 1), each step that reaches what shows.
    void GatherTrack(std::size_t t, std::vector<Step>& steps) const {
        const Track& track = tracks_[t];
        const TrailLines& own = track.run ? track.run->lines() : lines_;
        const Spans& spans = pieceSteps_[track.spans];
        const int body = track.body;
        for (std::size_t p = 0; p < spans.size(); ++p) {
            const auto [low, high] = spans[p];
            if (low >= high) continue;
            bool any = false;
            for (int64_t k = low - 1; k < high - 1 && !any;
                 k = k - k % TrailLines::kPiece + TrailLines::kPiece)
                any = clip_.Shows(own.pieceBox(body, k), reach_);
            if (!any) continue;
            const TrailLines::Box* part = nullptr;
            bool partShows = false;
            const int64_t piece = firstPiece_ + int64_t(p) * TrailLines::kPiece;
            for (int64_t row = std::max(piece, first_) + 1;
                 row <= std::min(last_ - 1, piece + TrailLines::kPiece); ++row) {
                const auto [from, to] = StepsOf(track.run, row);
                for (int64_t k = from; k < to; ++k) {
                    if (const TrailLines::Box* box = &own.partBox(body, k - 1); box != part)
                        part = box, partShows = clip_.Shows(*box, reach_);
                    if (partShows && Drawn(track, k) && Shows(*own.points(body, k - 1), *own.points(body, k)))
                        steps.push_back({row, k, t});
                }
            }
        }
    }

    /// Whether the track's step into its row `k` is drawn.
    bool Drawn(const Track& track, int64_t k) const {
        return track.run ? RunStepDrawn(*track.run, track.body, k) : StepDrawn(lines_, track.body, k);
    }

    const TrailLines& lines_;
    const TrailClip& clip_;
    int64_t first_, last_;
    double reach_;
    int64_t firstPiece_;
    std::vector<Track> tracks_;
    std::vector<Spans> pieceSteps_;  ///< the first run's, then each run's prepared
};

/// Draws, in the order of DrawStepsByRow, the steps of the trails' rows
/// [first, last) that show in a repaint of a few tiles, and the runs'
/// steps that belong to them (ShownSteps).
void DrawShownSteps(const SimulationState& s, const TrailLines& lines, DrawingSurface& surface,
                    const TrailClip& clip, int64_t first, int64_t last, double width,
                    const StrokeTarget& target = {}, const RunTrails* runs = nullptr) {
    const ShownSteps shown(lines, clip, s.loaded().usableBodies(), runs, first, last, width);
    const auto& tracks = shown.tracks();
    using Step = ShownSteps::Step;
    // Many tracks are looked into on every processor, each its run of
    // tracks; the runs joined in order keep the tracks' order.
    const unsigned workers =
        WorkerCount(uint64_t(tracks.size()) * uint64_t(std::max<int64_t>(last - first, 0)), 4096);
    std::vector<std::vector<Step>> found(workers);
    ParallelRuns(0, int64_t(tracks.size()), workers,
                 [&](unsigned k, int64_t begin, int64_t end) { shown.Gather(begin, end, found[k]); });
    std::vector<Step> steps = std::move(found[0]);
    for (std::size_t i = 1; i < found.size(); ++i)
        steps.insert(steps.end(), found[i].begin(), found[i].end());
    // In the order of DrawStepsByRow: by row in the playback's direction,
    // each row's tracks in turn as they were gathered. With few rows for
    // the steps, counted into place by row rather than sorted.
    const bool back = s.playback.direction < 0;
    std::vector<Stroke> strokes(steps.size());
    const auto stroke = [&](const Step& step) {
        const ShownSteps::Track& track = tracks[step.track];
        if (!track.run)
            return StepStroke(lines, track.body, step.at, s.loaded().bodyColour[std::size_t(track.body)]);
        return RunStepStroke(*track.run, track.body, step.at);
    };
    const int64_t span = last - first + 1;
    if (span <= 4 * int64_t(steps.size()) + 1024) {
        std::vector<std::size_t> start(std::size_t(span) + 1, 0);
        const auto slot = [&](int64_t row) { return std::size_t(back ? last - row : row - first); };
        for (const Step& step : steps) ++start[slot(step.row) + 1];
        for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
        for (const Step& step : steps) strokes[start[slot(step.row)]++] = stroke(step);
    } else {
        std::stable_sort(steps.begin(), steps.end(), [back](const Step& p, const Step& q) {
            return back ? p.row > q.row : p.row < q.row;
        });
        std::transform(steps.begin(), steps.end(), strokes.begin(), stroke);
    }
    target.Draw(surface, strokes, width);
}

/// The trails' steps into rows (first, last) on a raster, in side layers by
/// age (TrailChunks), each laid over the picture in the playback's order. A
/// full paint draws every chunk, into the layers `pass` keeps or into one
/// made for the paint; a repaint of a few tiles draws again the kept chunks
/// the pass names, within its tiles to redraw, and lays them all over.
void DrawTrailChunks(const SimulationState& s, const TrailLines& lines, const RunTrails& runs,
                     DrawingSurface& surface, const TrailClip& clip, int64_t first, int64_t last,
                     double width, const SmoothPass& pass) {
    int32_t w = 0, h = 0;
    surface.LayerSize(w, h);
    const int64_t rows = TrailChunks::RowsPerChunk(s, w, h);
    const int64_t lowest = TrailChunks::ChunkOf(first + 1, rows),
                  highest = TrailChunks::ChunkOf(last - 1, rows);
    const bool back = s.playback.direction < 0;
    const auto chunkAt = [&](int64_t i) { return back ? highest - i : lowest + i; };
    const auto stepsOf = [&](int64_t k) {  // the rows of chunk k's steps in the trail
        return std::pair{std::max(first + 1, k * rows), std::min(last, (k + 1) * rows)};
    };
    if (surface.partial()) {
        TrailChunks& chunks = *pass.chunks;
        const TileMask mask = pass.went ? pass.went->mask() : pass.redraw ? pass.redraw->mask() : TileMask{};
        TrailClip narrow = clip;
        narrow.redraw = pass.redraw;
        narrow.width = surface.bounds().right, narrow.height = surface.bounds().bottom;
        std::vector<const PixelRaster*> older;  // the layers under the newest, in order
        for (int64_t i = 0; i <= highest - lowest; ++i) {
            const int64_t k = chunkAt(i);
            const PixelRaster* layer = chunks.Find(k);
            if (!layer) continue;
            if (k != chunks.newest()) older.push_back(layer);
            const auto [from, to] = stepsOf(k);
            // The rows of the steps that went lie outside the trail now.
            if (pass.redraw && k * rows < pass.redrawRows.second && (k + 1) * rows > pass.redrawRows.first) {
                surface.ClearLayer(*layer, &mask);
                if (from < to)
                    DrawShownSteps(s, lines, surface, narrow, from - 1, to, width, {layer, &mask}, &runs);
            }
        }
        // The picture under the newest layer again where steps of older
        // ones went (of chunks the trail has left too); then the newest over
        // it, wherever a step came or went.
        const PixelRaster base = chunks.Base(), below = chunks.Below();
        const PixelRaster* newest = chunks.Find(chunks.newest());
        const TileMask composed = pass.composed ? pass.composed->mask() : TileMask{};
        const auto [wentFirst, wentEnd] = pass.redrawRows;
        if (pass.went && wentFirst < wentEnd &&
            (TrailChunks::ChunkOf(wentFirst, rows) != chunks.newest() ||
             TrailChunks::ChunkOf(wentEnd - 1, rows) != chunks.newest())) {
            // The pixels where steps went lie among those where steps came
            // or went: both in one pass.
            const TileMask went = pass.went->mask();
            surface.ComposeRefreshing(newest, below, older.data(), older.size(), base,
                                      pass.composed ? &composed : nullptr, went);
        } else {
            surface.ComposeLayers(&newest, newest ? 1 : 0, &below, pass.composed ? &composed : nullptr);
        }
        return;
    }
    TrailChunks own;
    TrailChunks& chunks = pass.chunks ? *pass.chunks : own;
    chunks.Reset(rows, s.playback.direction, w, h);
    if (pass.chunks) surface.CopyInto(chunks.Base());
    for (int64_t i = 0; i <= highest - lowest; ++i) {
        const int64_t k = chunkAt(i);
        if (pass.chunks && i == highest - lowest) {
            // The picture under the newest layer, kept for the ticks.
            surface.CopyInto(chunks.Below());
            chunks.SetNewest(k);
        }
        bool fresh = false;
        // Without layers kept, one serves each chunk in turn.
        const PixelRaster layer =
            pass.chunks ? chunks.Take(k, lowest, highest, fresh) : chunks.Take(0, 0, 0, fresh);
        surface.ClearLayer(layer);
        const auto [from, to] = stepsOf(k);
        DrawStepsByRow(s, lines, surface, from, to, width, {&layer}, &runs);
        const PixelRaster* drawn = &layer;
        surface.ComposeLayers(&drawn, 1);
    }
    if (pass.chunks) {
        if (chunks.newest() == INT64_MIN) surface.CopyInto(chunks.Below());
        chunks.SetBuilt();
    }
}

void DrawTrails(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface, const TrailClip& clip,
                TrailLines& lines, RunTrails& runs, double width, const SmoothPass& pass) {
    if (!s.loaded().fields.drawOrbits) return;
    const auto [first, last] = TrailRowSpan(s);
    if (first >= last) {
        // Side layers kept for the ticks hold no step yet; a tick to such a
        // row lays none over the picture under the trails.
        runs.Prepare(s, plot, first, last, width);  // none
        if (int32_t w = 0, h = 0; pass.chunks && surface.LayerSize(w, h) && TrailChunks::Worth(w, h) &&
                                  (!surface.partial() || pass.chunks->built()))
            DrawTrailChunks(s, lines, runs, surface, clip, first, last, width, pass);
        return;
    }
    if (pass.draft) {
        TrailDrafts made;
        (pass.drafts ? *pass.drafts : made).Draw(s, plot, surface, first, last);
        return;
    }
    lines.Prepare(s, plot, first, last);
    runs.Prepare(s, plot, first, last, width);
    if (s.view.fadeTrails) {
        // Faded trails are drawn in pieces that start at fixed rows
        // (multiples of the piece's length), each piece in one colour.
        const int64_t piece = std::max<int64_t>(4, (last - first) / 48);
        for (int body = 1; body <= s.loaded().usableBodies(); ++body)
            for (int64_t start = first - first % piece; start < last; start += piece) {
                const int64_t from = std::max(start, first), to = std::min(last, start + piece + 1);
                const ColourRef shade =
                    FadedColour(s.loaded().bodyColour[std::size_t(body)], kWhite,
                                Distance((from + to - 1) / 2, s.playback.position), s.view.trailLength);
                StrokeRows(lines, body, from, to, surface, shade, width);
            }
        runs.Draw(surface, width);
    } else if (!surface.piecewise()) {
        // In a drawing, each run of a trail is one line.
        for (int body = 1; body <= s.loaded().usableBodies(); ++body)
            StrokeRows(lines, body, first, last, surface, s.loaded().bodyColour[std::size_t(body)], width);
        runs.Draw(surface, width);
    } else if (int32_t w = 0, h = 0; surface.LayerSize(w, h) && TrailChunks::Worth(w, h) &&
                                     (!surface.partial() || (pass.chunks && pass.chunks->Holds(s)))) {
        DrawTrailChunks(s, lines, runs, surface, clip, first, last, width, pass);
    } else if (surface.partial()) {
        DrawShownSteps(s, lines, surface, clip, first, last, width, {}, &runs);
    } else {
        DrawStepsByRow(s, lines, surface, first + 1, last, width, {}, &runs);
    }
}

/// The discs of a run's bodies at its row: filled for the first run; for
/// the others a ring about where the disc would be, in the body's colour
/// (the second run) or dark (the third), in turn, over the first run's
/// discs, so that runs that agree show a disc in a ring.
/// The run's bodies in the order their discs are drawn: those farther from
/// the viewer first, so that the nearer cover them; by number for planar
/// data.
std::vector<int> BodiesFarFirst(const RunAt& r) {
    std::vector<int> bodies(std::size_t(std::max(r.loaded().usableBodies(), 0)));
    for (std::size_t k = 0; k < bodies.size(); ++k) bodies[k] = int(k) + 1;
    const DepthTable* depth = r.run.framedDepth();
    if (!depth) return bodies;
    // How far toward the viewer each body stands at the row.
    const ViewAxes axes = r.run.projectedShown() ? r.run.projected.axes : ViewAxes{};
    const int32_t row = r.playback.position;
    std::vector<double> toward(bodies.size() + 1);
    for (const int k : bodies) {
        const double* p = r.run.framedRows()->track(k, row);
        toward[std::size_t(k)] = Along(axes, 2, p[0], p[1], depth->at(k, row));
    }
    std::stable_sort(bodies.begin(), bodies.end(), [&](int a, int b) {
        const double da = toward[std::size_t(a)], db = toward[std::size_t(b)];
        return da < db || (std::isnan(db) && !std::isnan(da));
    });
    return bodies;
}

void DrawRunDiscs(const RunAt& r, const PlotBox& plot, DrawingSurface& surface, int width, int height) {
    const int style = r.style;
    if (!r.loaded().fields.drawPlanets || r.playback.position < 0 ||
        r.playback.position >= r.loaded().usableRows())
        return;
    for (const int body : BodiesFarFirst(r)) {
        const double* xy = r.shownRows()->track(body, r.playback.position);
        if (plot.IsOutside(xy[0], xy[1])) continue;
        const double radius = DiscRadius(r, body, width, height);
        if (radius < 0) continue;
        const ColourRef colour = r.loaded().bodyColour[std::size_t(body)];
        const ViewPoint centre = plot.MapExact(xy[0], xy[1]);
        if (style <= 0) {
            surface.FillCircle(centre, radius, colour, 0, 0);
            continue;
        }
        constexpr int kRingPoints = 48;
        const double ring = RingRadius(radius), edge = RingWidth(radius);
        ViewPoint points[kRingPoints + 1];
        for (int k = 0; k <= kRingPoints; ++k) {
            const double angle = 2 * M_PI * k / kRingPoints;
            points[k] = {centre.x + ring * std::cos(angle), centre.y + ring * std::sin(angle)};
        }
        surface.StrokePolyline(points, kRingPoints + 1, style % 2 == 1 ? colour : kInk, edge);
    }
}

void DrawDiscs(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface, int width,
               int height) {
    if (const double sun = SunRadius(s, width, height); sun > 0) {
        const auto [x, y] = s.sunAt(s.playback.position);
        surface.FillCircle(plot.MapExact(x, y), sun, kSunColour, kSunEdge, SunOutline(width, height));
    }
    for (std::size_t k = 0; k < s.runs.size(); ++k)
        if (k == 0 || s.runs[k].shown) DrawRunDiscs(RunAt(s, k), plot, surface, width, height);
}

/// The frame, the ticks and the labels around the view's box.
void DrawFrameAndLabels(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface,
                        const ViewRect& box, const Ticks& ticks, const TextMetrics& m, int width,
                        int height) {
    const AxisTitles titles = AxisTitlesOf(s);
    DrawAxesFrame(plot, surface, box, ticks.x, ticks.y, m,
                  {.x = titles.x,
                   .y = titles.y,
                   .title = s.loaded().fields.plotTitle,
                   .band = {0, 0, double(width), double(height)}});
}

/// The most names the legend lists; a line "+N more" stands for the rest.
constexpr int kLegendNames = 12;

/// The legend's size and its distance from the box's edges.
struct Legend {
    int named = 0;  ///< names listed; 0: no legend (no names, or no room in the box)
    int more = 0;   ///< named bodies left out, counted on a last line
    /// With runs compared: the runs shown, one line each after the bodies,
    /// each with its line pattern over `sample` pixels; 0 with one run.
    int runs = 0;
    double sample = 0;
    bool shown() const { return named > 0 || runs > 0; }
    double width = 0, height = 0, disc = 0, row = 0;
    int inset = 0;
};

std::string MoreText(int more) { return "+" + std::to_string(more) + " more"; }

/// The names of the runs the legend lists: none with one run; else the
/// first run's and those of the runs compared that are shown.
std::vector<const Run*> ShownRuns(const SimulationState& s) {
    std::vector<const Run*> runs;
    if (!s.compared() || !s.loaded().dataLoaded) return runs;
    for (const Run& run : s.runs)
        if (&run == &s.first() || run.shown) runs.push_back(&run);
    return runs;
}

Legend LegendOf(const SimulationState& s, const PlotBox& plot, const DrawingSurface& surface,
                const TextMetrics& m) {
    Legend g;
    const int named = s.loaded().dataLoaded
                          ? std::min<int>(int(s.loaded().fields.bodyNames.size()), s.loaded().usableBodies())
                          : 0;
    const std::vector<const Run*> runs = ShownRuns(s);
    if (named == 0 && runs.empty()) return g;
    const int listed = std::min(named, kLegendNames), more = named - listed;
    g.disc = 0.3 * m.font, g.row = m.lineHeight * 1.1;
    g.sample = runs.empty() ? 0 : 2.5 * m.font;
    double longest = more > 0 ? surface.TextExtent(MoreText(more), m.font).x : 0;
    for (int k = 0; k < listed; ++k)
        longest =
            std::max(longest, surface.TextExtent(s.loaded().fields.bodyNames[std::size_t(k)], m.font).x);
    double marks = 2 * g.disc;
    for (const Run* run : runs) {
        longest = std::max(longest, surface.TextExtent(run->name, m.font).x);
        marks = std::max(marks, g.sample);
    }
    const int lines = listed + (more > 0) + int(runs.size());
    g.width = m.pad * 3 + marks + longest + m.pad, g.height = 2 * m.pad + lines * g.row;
    g.inset = int(std::lround(m.pad * 1.5));
    const ViewRect box = BoxOf(plot);
    if (box.right - box.left >= g.width + 2 * g.inset && box.bottom - box.top >= g.height + 2 * g.inset)
        g.named = listed, g.more = more, g.runs = int(runs.size());
    return g;
}

/// The legend's corner for the plot's mapping, as a full paint chooses it;
/// -1 without a legend. Repaints of a few tiles use the corner kept.
int PlaceLegend(const SimulationState& s, const PlotBox& plot, const DrawingSurface& surface,
                const TextMetrics& m) {
    const Legend g = LegendOf(s, plot, surface, m);
    if (!g.shown()) return -1;
    return QuietestCorner(s, plot, int(std::ceil(g.width)), int(std::ceil(g.height)), g.inset);
}

/// The corner the legend stands in, the one placed being `placed`, or -1
/// without one.
int LegendCorner(const SimulationState& s, const PlotBox& plot, const DrawingSurface& surface,
                 const TextMetrics& m, int placed) {
    return !LegendOf(s, plot, surface, m).shown() ? -1 : std::clamp(placed, 0, 3);
}

/// The pixels wholly covered by the legend's white box in corner `corner`.
std::optional<ViewRect> LegendCover(const SimulationState& s, const PlotBox& plot,
                                    const DrawingSurface& surface, const TextMetrics& m, int corner) {
    const Legend g = LegendOf(s, plot, surface, m);
    if (!g.shown()) return std::nullopt;
    const int w = int(std::ceil(g.width)), h = int(std::ceil(g.height));
    const DevicePoint at = BoxCorner(plot, std::clamp(corner, 0, 3), w, h, g.inset);
    return ViewRect{double(at.x), double(at.y), std::floor(at.x + g.width), std::floor(at.y + g.height)};
}

/// The legend of the named bodies in corner `placed`.
void DrawLegend(const SimulationState& s, const PlotBox& plot, DrawingSurface& surface, const TextMetrics& m,
                int placed) {
    const Legend g = LegendOf(s, plot, surface, m);
    if (!g.shown()) return;
    const int named = g.named;
    const double disc = g.disc, row = g.row, width = g.width, height = g.height;
    const int w = int(std::ceil(width)), h = int(std::ceil(height));
    const int corner = std::clamp(placed, 0, 3);
    const DevicePoint at = BoxCorner(plot, corner, w, h, g.inset);
    // A repaint of tiles that all miss it leaves it be.
    if (!surface.Shows(at.x, at.y, at.x + width, at.y + height)) return;
    surface.FillArea(at.x, at.y, at.x + width, at.y + height, kWhite);
    const ViewPoint edge[] = {{at.x + 0.5, at.y + 0.5},
                              {at.x + width - 0.5, at.y + 0.5},
                              {at.x + width - 0.5, at.y + height - 0.5},
                              {at.x + 0.5, at.y + height - 0.5},
                              {at.x + 0.5, at.y + 0.5}};
    surface.StrokePolyline(edge, 5, kLegendEdge, 1);
    const TextStyle text{.size = m.font, .colour = kInk, .anchor = TextStyle::MiddleLeft};
    // The names stand right of the widest mark: a disc, or a run's line.
    const double shift = std::max(0.0, g.sample - 2 * disc);
    for (int k = 1; k <= named; ++k) {
        const double y = at.y + m.pad + (k - 0.5) * row;
        const double x = at.x + m.pad * 1.5 + disc;
        surface.FillCircle({x, y}, disc, s.loaded().bodyColour[std::size_t(k)], 0, 0);
        surface.DrawText({x + disc + m.pad + shift, y}, s.loaded().fields.bodyNames[std::size_t(k - 1)],
                         text);
    }
    if (g.more > 0)
        surface.DrawText({at.x + m.pad * 2.5 + 2 * disc + shift, at.y + m.pad + (named + 0.5) * row},
                         MoreText(g.more), text);
    // Then the runs, each with a line in its pattern.
    const std::vector<const Run*> runs = ShownRuns(s);
    const double lineWidth = std::max(1.0, m.font / 9);
    for (int k = 0; k < g.runs && k < int(runs.size()); ++k) {
        const double y = at.y + m.pad + (named + (g.more > 0) + k + 0.5) * row;
        const double x = at.x + m.pad * 1.5;
        const Run& run = *runs[std::size_t(k)];
        const ViewPoint sample[] = {{x, y}, {x + g.sample, y}};
        ForEachDash(sample, 2, RunDashes(run.style, lineWidth), 0, [&](const ViewPoint* p, std::size_t n) {
            surface.StrokePolyline(p, n, kInk, lineWidth);
        });
        surface.DrawText({x + 2 * disc + shift + m.pad, y}, run.name, text);
    }
}

/// The time stamp in the box's top-left corner, or the bottom-left one when
/// the legend stands there.
struct Clock {
    std::string text;
    ViewRect box;  ///< its white box, on whole pixels
};

/// The longest of the stamps of the first, the last and the shown row, its
/// digits and signs made zeros, the widest of them in the face: a box wide
/// enough for it holds the stamp of any row of as many characters or fewer,
/// and stays put as the playback runs.
std::string WidestStamp(const SimulationState& s) {
    std::string widest;
    for (const int32_t row : {0, s.loaded().usableRows() - 1, s.playback.position}) {
        const std::string text = ClockTextAt(s, row);
        if (text.size() > widest.size()) widest = text;
    }
    for (char& c : widest)
        if ((c >= '0' && c <= '9') || c == '-') c = '0';
    return widest;
}

std::optional<Clock> ClockOf(const SimulationState& s, const PlotBox& plot, const DrawingSurface& surface,
                             const TextMetrics& m, int legendCorner) {
    if (!s.view.look.clock) return std::nullopt;
    std::string text = ClockText(s);
    if (text.empty()) return std::nullopt;
    const ViewPoint extent = surface.TextExtent(text, m.font);
    const double wide = std::max(extent.x, surface.TextExtent(WidestStamp(s), m.font).x);
    const int w = int(std::ceil(wide + 2 * m.pad)), h = int(std::ceil(extent.y + m.pad));
    const int inset = int(std::lround(m.pad * 1.5));
    const DevicePoint at = BoxCorner(plot, legendCorner == 1 ? 3 : 1, w, h, inset);
    return Clock{std::move(text), {double(at.x), double(at.y), double(at.x + w), double(at.y + h)}};
}

void DrawClock(DrawingSurface& surface, const Clock& clock, const TextMetrics& m) {
    const ViewRect& b = clock.box;
    surface.FillArea(b.left, b.top, b.right, b.bottom, kWhite);
    surface.DrawText({b.left + m.pad, (b.top + b.bottom) / 2}, clock.text,
                     {.size = m.font, .colour = kInk, .anchor = TextStyle::MiddleLeft});
}

/// Where a full paint puts the legend and the time stamp's box, for the
/// repaints and ticks after it.
PublicationNotes PlaceNotes(const SimulationState& s, const PlotBox& plot, const DrawingSurface& surface,
                            const TextMetrics& m) {
    PublicationNotes notes;
    notes.legendCorner = PlaceLegend(s, plot, surface, m);
    if (!s.loaded().dataLoaded) return notes;
    if (const auto clock =
            ClockOf(s, plot, surface, m, LegendCorner(s, plot, surface, m, notes.legendCorner))) {
        const ViewRect& b = clock->box;
        notes.stampRect = {int32_t(b.left), int32_t(b.top), int32_t(b.right), int32_t(b.bottom)};
        notes.stampChars = int(WidestStamp(s).size());
    }
    return notes;
}

/// Maps the plot inside margins that hold its labels. The left margin holds
/// the y labels, which follow from the box shown, which with equal aspect
/// follows from the margins. After a first guess the margin is sized for
/// the labels of the box it gave, and then only widened until it holds the
/// labels of the box it gives: a wider margin may bring ticks with another
/// decimal, and widening alone cannot go back and forth.
void MapForLabels(const SimulationState& s, PlotBox& plot, const DrawingSurface& surface,
                  const TextMetrics& m, int width, int height) {
    MapInside(plot, width, height, MarginsFor(s, surface, m, surface.TextExtent("-0.00", m.font).x));
    double room = WidestLabel(surface, TicksOf(plot).y, m.font);
    constexpr int kMostRounds = 8;
    for (int round = 0; round < kMostRounds; ++round) {
        MapInside(plot, width, height, MarginsFor(s, surface, m, room));
        const double widest = WidestLabel(surface, TicksOf(plot).y, m.font);
        if (widest <= room) return;
        room = widest;
    }
}

/// Draws the trails' steps into rows [added.first, added.second) that are in
/// the trail, over what the surface holds, within the plot's box.
void PaintAddedSteps(const SimulationState& s, PlotBox& plot, DrawingSurface& surface, int width, int height,
                     TrailLines& lines, RunTrails& runs, std::pair<int64_t, int64_t> added,
                     TrailChunks* chunks) {
    const TextMetrics m = TextMetricsFor(surface, PublicationFontSize(s, width, height));
    MapForLabels(s, plot, surface, m, width, height);
    const auto [first, last] = TrailRowSpan(s);
    const int64_t from = std::max(added.first, first + 1), to = std::min(added.second, last);
    if (!s.loaded().dataLoaded || !s.loaded().fields.drawOrbits || s.view.fadeTrails || from >= to) return;
    lines.Prepare(s, plot, first, last);
    runs.Prepare(s, plot, first, last, TrailWidth(s, width, height));
    const ViewRect box = BoxOf(plot);
    surface.ClipTo(box.left, box.top, box.right, box.bottom);
    int32_t w = 0, h = 0;
    if (chunks && chunks->Holds(s) && surface.LayerSize(w, h)) {
        const int64_t rows = TrailChunks::RowsPerChunk(s, w, h);
        // Onto the layers of their chunks, over the steps there before; a
        // chunk the trail enters takes the layer of one it left.
        const int64_t lowest = TrailChunks::ChunkOf(first + 1, rows),
                      highest = TrailChunks::ChunkOf(last - 1, rows);
        const int64_t low = TrailChunks::ChunkOf(from, rows), high = TrailChunks::ChunkOf(to - 1, rows);
        const bool back = s.playback.direction < 0;
        for (int64_t i = 0; i <= high - low; ++i) {
            const int64_t k = back ? high - i : low + i;  // in the playback's order
            if (k != chunks->newest()) {
                // The trail enters a new chunk: the one that was newest is
                // laid onto the picture under the newest, once.
                const PixelRaster below = chunks->Below();
                if (const PixelRaster* left = chunks->Find(chunks->newest()))
                    surface.ComposeLayers(&left, 1, nullptr, nullptr, &below);
                chunks->SetNewest(k);
            }
            bool fresh = false;
            const PixelRaster layer = chunks->Take(k, lowest, highest, fresh);
            if (fresh) surface.ClearLayer(layer);
            DrawStepsByRow(s, lines, surface, std::max(from, k * rows), std::min(to, (k + 1) * rows),
                           TrailWidth(s, width, height), {&layer}, &runs);
        }
    } else {
        DrawStepsByRow(s, lines, surface, from, to, TrailWidth(s, width, height), {}, &runs);
    }
    surface.Unclip();
}

}  // namespace

namespace {
/// The text size chosen from the view's size alone.
double SizedFont(int width, int height) { return std::max(9.0, std::min(width, height) / 36.0); }
}  // namespace

double PublicationFontSize(const RunAt& s, int width, int height) {
    if (s.view.look.fontSize > 0) return s.view.look.fontSize;
    return SizedFont(width, height);
}

double MarkScale(int width, int height) {
    return std::max(1.0, SizedFont(width, height) / SizedFont(600, 600));
}

double TrailWidth(const RunAt& s, int width, int height) {
    if (s.view.look.lineWidth > 0) return std::max(0.1, s.view.look.lineWidth);
    return 1.5 * MarkScale(width, height);
}

double DiscRadius(const RunAt& s, int body, int width, int height) {
    const int size = s.loaded().fields.bodySize[std::size_t(body)];
    if (size < 0) return -1;
    if (s.view.look.discSize > 0) return s.view.look.discSize;
    return (size + 0.5) * MarkScale(width, height);
}

double SunRadius(const RunAt& s, int width, int height) {
    if (s.loaded().fields.sunSize <= 0) return 0;
    return (s.loaded().fields.sunSize + 0.5) * MarkScale(width, height);
}

double SunOutline(int width, int height) { return 0.8 * MarkScale(width, height); }

std::string ClockText(const SimulationState& s) { return ClockTextAt(s, s.playback.position); }

int ClockDecimals(const SimulationState& s) {
    const int rows = s.loaded().usableRows();
    int decimals = 2;
    if (rows > 1) {
        const double dt = std::fabs(s.loaded().rows->time(1) - s.loaded().rows->time(0));
        if (dt > 0 && std::isfinite(dt)) {
            // The decimals that print the step exactly, but no more than one
            // past those that tell two rows apart.
            int exact = 0;
            for (double scaled = dt;
                 exact < 6 && std::fabs(scaled - std::round(scaled)) > 1e-9 * std::max(1.0, scaled);
                 scaled *= 10)
                ++exact;
            const int telling = std::clamp(int(std::ceil(-std::log10(dt) - 1e-9)), 0, 6) + 1;
            decimals = std::min(exact, telling);
        }
    }
    return decimals;
}

std::string ClockTextAt(const SimulationState& s, int32_t row) {
    if (row < 0 || row >= s.loaded().usableRows()) return {};
    const std::string line = Format("t = %.*f", ClockDecimals(s), s.loaded().rows->time(row));
    return s.loaded().fields.timeUnit.empty() ? line : line + " " + s.loaded().fields.timeUnit;
}

std::vector<std::pair<std::size_t, std::size_t>> TrailRuns(const ViewPoint* p, std::size_t count) {
    std::vector<std::pair<std::size_t, std::size_t>> runs;
    for (std::size_t begin = 0, i = 1; i <= count; ++i) {
        const bool joins = i < count && StepJoins(i >= 2 ? &p[i - 2] : nullptr, p[i - 1], p[i],
                                                  i + 1 < count ? &p[i + 1] : nullptr);
        if (joins) continue;
        if (i >= begin + 2) runs.emplace_back(begin, i);
        begin = i;
    }
    return runs;
}

PublicationNotes MapPublicationView(const SimulationState& s, PlotBox& plot, const DrawingSurface& surface,
                                    int width, int height) {
    const TextMetrics m = TextMetricsFor(surface, PublicationFontSize(s, width, height));
    MapForLabels(s, plot, surface, m, width, height);
    return PlaceNotes(s, plot, surface, m);
}

/// A square end's corner lies 0.71 of the width from the end, and a pixel
/// is touched while its centre lies within 0.71 of a pixel of the line.
double LineReach(double width) { return width * 0.75 + 1; }

void PaintPublicationView(const SimulationState& s, PlotBox& plot, DrawingSurface& surface, int width,
                          int height, const SmoothPass& pass) {
    plot.AttachDC(&surface);
    const PaintLayers layers = pass.layers;
    TrailLines fresh;
    TrailLines& lines = pass.lines ? *pass.lines : fresh;
    RunTrails freshRuns;
    RunTrails& runs = pass.runTrails ? *pass.runTrails : freshRuns;
    if (layers == PaintLayers::Added) {
        PaintAddedSteps(s, plot, surface, width, height, lines, runs, pass.added, pass.chunks);
        return;
    }
    const bool under = layers == PaintLayers::All || layers == PaintLayers::Under;
    const bool over = layers == PaintLayers::All || layers == PaintLayers::Over;
    // Mending side layers, the picture under the trails is kept apart.
    const bool keptUnder = layers == PaintLayers::Under && pass.composed;
    if (under && !keptUnder) surface.FillArea(0, 0, width, height, kWhite);
    const TextMetrics m = TextMetricsFor(surface, PublicationFontSize(s, width, height));
    MapForLabels(s, plot, surface, m, width, height);
    // The layer under shows none of the notes: it needs no place for them.
    const PublicationNotes notes = pass.notes                     ? *pass.notes
                                   : layers == PaintLayers::Under ? PublicationNotes{}
                                                                  : PlaceNotes(s, plot, surface, m);
    // A turned view has no axes of the data along its edges: a triad and a
    // scale bar stand for them.
    const bool turned = s.view.turn.turned();
    const Ticks ticks = turned ? Ticks{} : TicksOf(plot);
    const ViewRect box = BoxOf(plot);
    surface.ClipTo(box.left, box.top, box.right, box.bottom);
    if (under && !keptUnder && !turned) DrawGridAndZeroLines(s, plot, surface, box, ticks);
    if (s.loaded().dataLoaded) {
        const std::optional<Clock> clock =
            ClockOf(s, plot, surface, m, LegendCorner(s, plot, surface, m, notes.legendCorner));
        if (under) {
            // What the legend and the stamp hide need not be drawn, unless
            // the layer is kept apart from them.
            TrailClip clip{surface, box, {}};
            if (layers == PaintLayers::All) {
                if (const auto legend = LegendCover(s, plot, surface, m, notes.legendCorner))
                    clip.covers.push_back(*legend);
                if (clock) clip.covers.push_back(clock->box);
            }
            DrawTrails(s, plot, surface, clip, lines, runs, TrailWidth(s, width, height), pass);
        }
        if (over) {
            {
                DrawDiscs(s, plot, surface, width, height);
                if (surface.partial()) surface.FillArea(0, 0, 0, 0, 0);
            }
            DrawLegend(s, plot, surface, m, notes.legendCorner);
            if (clock) DrawClock(surface, *clock, m);
            if (turned) DrawTurnedViewMarks(s, plot, surface, box, m);
        }
    }
    surface.Unclip();
    // The frame, its ticks and the labels stand outside the box and along
    // its edges: a repaint of tiles inside misses them all.
    const double edge = m.tick + std::max(1.0, m.font / 14) + 2;
    const ViewRect inner{box.left + edge, box.top + edge, box.right - edge, box.bottom - edge};
    const bool frameShows = !surface.partial() || surface.Shows(0, 0, width, inner.top) ||
                            surface.Shows(0, inner.bottom, width, height) ||
                            surface.Shows(0, 0, inner.left, height) ||
                            surface.Shows(inner.right, 0, width, height);
    if (over && frameShows) DrawFrameAndLabels(s, plot, surface, box, ticks, m, width, height);
}

PublicationLayout LayOutPublicationView(const SimulationState& s, PlotBox& plot,
                                        const DrawingSurface& surface, int width, int height) {
    PublicationLayout layout;
    const PublicationNotes notes = MapPublicationView(s, plot, surface, width, height);
    const TextMetrics m = TextMetricsFor(surface, PublicationFontSize(s, width, height));
    layout.box = BoxOf(plot);
    layout.m = m;
    const AxisTitles titles = AxisTitlesOf(s);
    layout.xTitle = titles.x, layout.yTitle = titles.y;
    layout.trailWidth = TrailWidth(s, width, height);
    layout.sunRadius = SunRadius(s, width, height), layout.sunOutline = SunOutline(width, height);
    for (int body = 1; body <= s.loaded().usableBodies(); ++body)
        layout.discRadius.push_back(DiscRadius(s, body, width, height));
    const Legend g = LegendOf(s, plot, surface, m);
    if (g.shown() && notes.legendCorner >= 0) {
        const int w = int(std::ceil(g.width)), h = int(std::ceil(g.height));
        const DevicePoint at = BoxCorner(plot, std::clamp(notes.legendCorner, 0, 3), w, h, g.inset);
        layout.legend = {double(at.x), double(at.y), at.x + g.width, at.y + g.height};
        layout.legendDisc = g.disc, layout.legendRow = g.row;
        layout.legendNamed = g.named, layout.legendMore = g.more;
    }
    const DeviceRect& stamp = notes.stampRect;
    if (stamp.right > stamp.left)
        layout.stamp = {double(stamp.left), double(stamp.top), double(stamp.right), double(stamp.bottom)};
    layout.clockDecimals = ClockDecimals(s);
    layout.marks = LayOutTurnedMarks(s, plot, layout.box, m);
    return layout;
}
