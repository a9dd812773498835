#pragma once
#include <QString>
#include <string>

struct SimulationState;
class PlotBox;

/// Writes the page that plays the view in a browser (InteractivePage) for a
/// view of `width` x `height`, its text measured as a picture of that size
/// measures it, to `path`, whole or not at all; an error text, empty on
/// success. The plot is left as it was.
std::string ExportPage(const SimulationState& state, const PlotBox& plot, int width, int height,
                       const QString& path);
