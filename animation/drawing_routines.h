#pragma once
#include "plot/colour.h"

struct SimulationState;
class PlotBox;

/// Colour of the sun disc at the world origin.
inline constexpr ColourRef kSunColour = 0x0000F0F0;

/// Draws the system at `position` (visible non-zero: sun, axes, every trail,
/// every disc) or erases it (visible zero: trails and discs in the fill
/// colour; sun and axes stay).
void DrawSystem(const SimulationState& state, PlotBox& plot, int visible);

/// Draws body `body`'s trail, one pixel for each of the rows `position` to
/// `position` + `pointsPerOrbit` - 1 that exist; rows outside the rows in use
/// or the table are skipped, never read.
void DrawOrbit(const SimulationState& state, PlotBox& plot, int body, ColourRef colour);

/// Draws (or erases) every body's disc at row `position`, when that row exists.
void DrawPlanets(const SimulationState& state, PlotBox& plot, int visible);

/// Draws the sun disc and, when switched on, the axes through the origin.
void DrawSunAndAxes(const SimulationState& state, PlotBox& plot);
