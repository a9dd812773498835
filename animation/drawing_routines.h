#pragma once
#include <cstdint>
#include <utility>

#include "base/colour.h"

struct RunAt;
class PlotBox;
class TrailCache;
class TickDamage;
struct PixelRaster;

/// Colour of the sun disc at the world origin.
inline constexpr ColourRef kSunColour = 0x0000F0F0;

/// Draws the system at `position` (visible non-zero: sun, axes, every trail,
/// every disc) or erases it (visible zero: trails and discs in the fill
/// colour; sun and axes stay). `trails`, when given, is the trail cache of
/// the raster the plot draws on, owned by whoever owns that raster.
void DrawSystem(const RunAt& run, PlotBox& plot, int visible, TrailCache* trails = nullptr);

/// Erases the system at `position` as DrawSystem with `visible` zero does,
/// except, on a raster with a trail cache, the trail points of the rows
/// [next.first, next.second) that the draw of the next row writes again:
/// the last write decides a pixel, so the picture comes out the same while
/// a tick erases only the rows that left the trail.
void EraseSystemBefore(const RunAt& run, PlotBox& plot, TrailCache* trails, std::pair<int64_t, int64_t> next);

/// Draws body `body`'s trail, one pixel for each row of the trail that
/// exists: with the trail mode Ahead the rows `position` to `position` +
/// `pointsPerOrbit` - 1, Behind the `pointsPerOrbit` rows before `position`,
/// Both the two together. Rows outside the rows in use or the table are
/// skipped, never read. With `fadeTrails` each point takes FadedColour by
/// its distance in rows from `position` (the fill colour stays as it is).
/// On a raster with a trail cache the pixels come from the cache; they are
/// the same pixels.
void DrawOrbit(const RunAt& run, PlotBox& plot, int body, ColourRef colour, TrailCache* trails = nullptr);

/// Draws (or erases) every body's disc at row `position`, when that row exists.
void DrawPlanets(const RunAt& run, PlotBox& plot, int visible);

/// Draws the sun disc and, when switched on, the axes through the origin.
void DrawSunAndAxes(const RunAt& run, PlotBox& plot);

/// Rows [first, last) of the trail at `position` that exist and are in use.
std::pair<int64_t, int64_t> TrailRowSpan(const RunAt& run);
/// Whether the trail would reach before the first row, and is cut there.
bool TrailCutAtFirstRow(const RunAt& run);

/// Marks on `damage` the pixels of every body's trail points in rows
/// [first, last), as `trails` holds them for `raster`; the rows must lie
/// within the rows the cache was last prepared for.
void MarkTrailRows(const RunAt& run, const TrailCache& trails, const PixelRaster& raster, int64_t first,
                   int64_t last, TickDamage& damage);

/// Marks on `damage` the squares around every body's disc at `position`, as
/// DrawPlanets draws them.
void MarkPlanets(const RunAt& run, const PlotBox& plot, TickDamage& damage);
