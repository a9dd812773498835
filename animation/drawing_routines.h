#pragma once
#include "base/colour.h"

struct SimulationState;
class PlotBox;
class TrailCache;

/// Colour of the sun disc at the world origin.
inline constexpr ColourRef kSunColour = 0x0000F0F0;

/// Draws the system at `position` (visible non-zero: sun, axes, every trail,
/// every disc) or erases it (visible zero: trails and discs in the fill
/// colour; sun and axes stay). `trails`, when given, is the trail cache of
/// the raster the plot draws on, owned by whoever owns that raster.
void DrawSystem(const SimulationState& state, PlotBox& plot, int visible, TrailCache* trails = nullptr);

/// Draws body `body`'s trail, one pixel for each row of the trail that
/// exists: with the trail mode Ahead the rows `position` to `position` +
/// `pointsPerOrbit` - 1, Behind the `pointsPerOrbit` rows before `position`,
/// Both the two together. Rows outside the rows in use or the table are
/// skipped, never read. With `fadeTrails` each point takes FadedColour by
/// its distance in rows from `position` (the fill colour stays as it is).
/// On a raster with a trail cache the pixels come from the cache; they are
/// the same pixels.
void DrawOrbit(const SimulationState& state, PlotBox& plot, int body, ColourRef colour,
               TrailCache* trails = nullptr);

/// Draws (or erases) every body's disc at row `position`, when that row exists.
void DrawPlanets(const SimulationState& state, PlotBox& plot, int visible);

/// Draws the sun disc and, when switched on, the axes through the origin.
void DrawSunAndAxes(const SimulationState& state, PlotBox& plot);
