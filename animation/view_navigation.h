#pragma once

struct SimulationState;
struct RunAt;
class PlotBox;

/// Moving the plot's world box with the pointer and back. Zoom, pan and fit
/// set the box exactly (SetExactBox): the outward rounding that loading and
/// the box dialog apply would turn small steps into jumps. A box that would
/// not be finite or would have an empty or reversed axis is refused, and the
/// box stays as it was. Each takes effect at the next paint, which computes
/// the mapping anew.

/// Scales the box by `factor` (below 1 zooms in) about the world point under
/// device pixel (`px`, `py`) in the last mapping, so that the point stays
/// under the pointer. Without a mapping on an axis it zooms about the box's
/// centre there.
void ZoomAbout(PlotBox& plot, double factor, int px, int py);

/// Moves the box so that the picture follows a drag of (`dx`, `dy`) pixels
/// in the last mapping.
void PanByPixels(PlotBox& plot, int dx, int dy);

/// Sets the box to the extent of every finite coordinate of every body in
/// every row of the data, 5 % wider on each side; an axis without extent
/// gets one world unit about its value first. False, box unchanged, when
/// no data is loaded, an axis has no finite coordinate or the box would
/// not be finite.
bool FitToData(const RunAt& run, PlotBox& plot);

/// Gives the plot the configuration's box as loading does (rounded with SetBox).
void RestoreConfiguredBox(const RunAt& run, PlotBox& plot);
