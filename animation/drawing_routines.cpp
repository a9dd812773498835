#include "animation/drawing_routines.h"

#include <algorithm>

#include "animation/simulation_state.h"
#include "animation/tick_damage.h"
#include "animation/trail_cache.h"
#include "animation/trail_fade.h"
#include "plot/drawing_surface.h"
#include "plot/plot_box.h"

namespace {

/// Rows [first, last) of the trail that exist in the table and in use.
struct RowRange {
    int64_t first;
    int64_t last;
};

/// The trail's rows as its mode and length give them, before the table's ends.
RowRange WholeTrailRows(const RunAt& s) {
    const int64_t length = std::max(s.trail, 0);
    int64_t first = s.playback.position, last = int64_t(s.playback.position) + length;
    if (s.view.trailMode == TrailMode::Behind) first -= length, last = s.playback.position;
    if (s.view.trailMode == TrailMode::Both) first -= length;
    return {first, last};
}

RowRange TrailRows(const RunAt& s) {
    const RowRange whole = WholeTrailRows(s);
    return {std::max<int64_t>(whole.first, 0), std::min<int64_t>(whole.last, s.loaded().usableRows())};
}

/// Rows from `row` to the body's row, the distance a faded point's colour goes by.
inline int64_t Distance(int64_t row, int64_t position) {
    return row >= position ? row - position : position - row;
}

void DrawTrailOnRaster(const RunAt& s, const PlotBox& plot, const PixelRaster& raster, int body,
                       RowRange rows, ColourRef colour, bool fade, TrailCache& cache) {
    cache.Prepare(*s.shownRows(), plot, raster, s.loaded().usableBodies(), rows.first, rows.last);
    uint32_t* const bits = raster.bits;
    const TrailCache::Segments segments = cache.Offsets(body, rows.first, rows.last);
    if (!fade) {
        const uint32_t pixel = ToRasterPixel(colour);
        for (const auto& segment : {segments.head, segments.tail})
            for (const int32_t offset : segment)
                if (offset >= 0) bits[offset] = pixel;
        return;
    }
    const uint32_t* pixel =
        cache.FadedPixels(body, colour, plot.fillColour, s.trail, rows.first - s.playback.position,
                          rows.last - s.playback.position);
    for (const auto& segment : {segments.head, segments.tail})
        for (const int32_t offset : segment) {
            if (offset >= 0) bits[offset] = *pixel;
            ++pixel;
        }
}

/// Erases body `body`'s trail points of `rows` outside `kept` on the raster.
void EraseTrailOnRaster(const RunAt& s, const PlotBox& plot, const PixelRaster& raster, int body,
                        RowRange rows, RowRange kept, TrailCache& cache) {
    cache.Prepare(*s.shownRows(), plot, raster, s.loaded().usableBodies(), rows.first, rows.last);
    const uint32_t pixel = ToRasterPixel(plot.fillColour);
    const RowRange parts[] = {{rows.first, std::min(rows.last, kept.first)},
                              {std::max(rows.first, kept.last), rows.last}};
    for (const RowRange part : parts) {
        const TrailCache::Segments segments = cache.Offsets(body, part.first, part.last);
        for (const auto& segment : {segments.head, segments.tail})
            for (const int32_t offset : segment)
                if (offset >= 0) raster.bits[offset] = pixel;
    }
}

/// A sun that moves in the frame leaves its place as the bodies do.
void EraseMovingSun(const RunAt& s, PlotBox& plot) {
    if (!s.sunMoves() || !s.loaded().fields.sunSize) return;
    const auto [x, y] = s.sunAt(s.playback.position);
    plot.PlotDisc(x, y, s.loaded().fields.sunSize, plot.fillColour, 1);
}

}  // namespace

void EraseSystemBefore(const RunAt& s, PlotBox& plot, TrailCache* trails, std::pair<int64_t, int64_t> next) {
    const PixelRaster* raster = plot.deviceContext ? plot.deviceContext->raster() : nullptr;
    if (!raster || !trails) return DrawSystem(s, plot, 0, trails);
    if (s.loaded().fields.drawOrbits) {
        const RowRange rows = TrailRows(s);
        for (int i = 1; rows.first < rows.last && i <= s.loaded().usableBodies(); ++i)
            EraseTrailOnRaster(s, plot, *raster, i, rows, {next.first, next.second}, *trails);
    }
    DrawPlanets(s, plot, 0);
    EraseMovingSun(s, plot);
}

void DrawOrbit(const RunAt& s, PlotBox& plot, int body, ColourRef colour, TrailCache* trails) {
    if (!s.loaded().fields.drawOrbits || body < 1 || body > s.loaded().usableBodies()) return;
    const RowRange rows = TrailRows(s);
    if (rows.first >= rows.last) return;
    // Fading the fill colour toward itself changes nothing: an erase is plain.
    const bool fade = s.view.fadeTrails && colour != plot.fillColour;
    const PixelRaster* raster = plot.deviceContext ? plot.deviceContext->raster() : nullptr;
    if (raster && trails) {
        DrawTrailOnRaster(s, plot, *raster, body, rows, colour, fade, *trails);
        return;
    }
    const double* values = s.shownRows()->track(body, int32_t(rows.first));
    for (int64_t r = rows.first; r < rows.last; ++r, values += 2) {
        const ColourRef shade =
            fade ? FadedColour(colour, plot.fillColour, Distance(r, s.playback.position), s.trail) : colour;
        plot.PlotPoint(values[0], values[1], shade, 1);
    }
}

void DrawPlanets(const RunAt& s, PlotBox& plot, int visible) {
    if (!s.loaded().fields.drawPlanets) return;
    if (s.playback.position < 0 || s.playback.position >= s.loaded().usableRows()) return;
    for (int i = 1; i <= s.loaded().usableBodies(); ++i) {
        const ColourRef colour = visible ? s.loaded().bodyColour[std::size_t(i)] : plot.fillColour;
        const double* xy = s.shownRows()->track(i, s.playback.position);
        plot.PlotDisc(xy[0], xy[1], s.loaded().fields.bodySize[std::size_t(i)], colour, 1);
    }
}

void DrawSunAndAxes(const RunAt& s, PlotBox& plot) {
    if (s.loaded().fields.sunSize) {
        const auto [x, y] = s.sunAt(s.playback.position);
        plot.PlotDisc(x, y, s.loaded().fields.sunSize, kSunColour, 1);
    }
    if (s.loaded().fields.drawAxes) plot.DrawCross(0.0, 0.0);
}

void DrawSystem(const RunAt& s, PlotBox& plot, int visible, TrailCache* trails) {
    if (visible) {
        DrawSunAndAxes(s, plot);
        for (int i = 1; i <= s.loaded().usableBodies(); ++i)
            DrawOrbit(s, plot, i, s.loaded().bodyColour[std::size_t(i)], trails);
        DrawPlanets(s, plot, 1);
        return;
    }
    for (int i = 1; i <= s.loaded().usableBodies(); ++i) DrawOrbit(s, plot, i, plot.fillColour, trails);
    DrawPlanets(s, plot, 0);
    EraseMovingSun(s, plot);
}

std::pair<int64_t, int64_t> TrailRowSpan(const RunAt& s) {
    const RowRange rows = TrailRows(s);
    return {rows.first, rows.last};
}

bool TrailCutAtFirstRow(const RunAt& s) { return WholeTrailRows(s).first < 0; }

void MarkTrailRows(const RunAt& s, const TrailCache& trails, const PixelRaster& raster, int64_t first,
                   int64_t last, TickDamage& damage) {
    if (first >= last) return;
    for (int i = 1; i <= s.loaded().usableBodies(); ++i) {
        const TrailCache::Segments segments = trails.Offsets(i, first, last);
        for (const auto& segment : {segments.head, segments.tail})
            for (const int32_t offset : segment) damage.MarkOffset(offset, raster.stride);
    }
}

void MarkPlanets(const RunAt& s, const PlotBox& plot, TickDamage& damage) {
    if (!plot.enabled || s.playback.position < 0 || s.playback.position >= s.loaded().usableRows()) return;
    auto clamp = [](int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); };
    if (s.sunMoves() && s.loaded().fields.sunSize) {  // a sun that moves in the frame
        const auto [x, y] = s.sunAt(s.playback.position);
        if (!plot.IsOutside(x, y)) {
            const DevicePoint c = plot.Map(x, y);
            const int64_t r = std::max(s.loaded().fields.sunSize, 0);
            damage.Mark({clamp(c.x - r), clamp(c.y - r), clamp(c.x + r + 1), clamp(c.y + r + 1)});
        }
    }
    if (!s.loaded().fields.drawPlanets) return;
    for (int i = 1; i <= s.loaded().usableBodies(); ++i) {
        const double* xy = s.shownRows()->track(i, s.playback.position);
        if (plot.IsOutside(xy[0], xy[1])) continue;
        const DevicePoint c = plot.Map(xy[0], xy[1]);
        const int64_t r = std::max(s.loaded().fields.bodySize[std::size_t(i)], 0);
        damage.Mark({clamp(c.x - r), clamp(c.y - r), clamp(c.x + r + 1), clamp(c.y + r + 1)});
    }
}
