#pragma once

class QWidget;
class PlotBox;
struct SimulationState;

/// Edit > Bodies…: a table of the bodies shown, each with its name, its
/// colour (typed as #rrggbb or a name, or picked by a double click) and
/// whether it stays shown. True when OK changed the simulation.
bool RunBodiesDialog(SimulationState& state, PlotBox& plot, QWidget* parent);
