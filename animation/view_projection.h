#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "simulation/view_axes.h"

struct LoadedSimulation;
struct SimulationState;
class PlotBox;

/// The axes of `plane` for the data of `loaded` at row `row`, or none with
/// why in `why`: the invariable plane needs the bodies' masses, a body's
/// orbit its position and motion at that row.
std::optional<ViewAxes> PlaneAxesOf(const ViewPlane& plane, const LoadedSimulation& loaded, int32_t row,
                                    std::string& why);

/// Projects every run's positions in the frame onto the picture the view's
/// plane and turn make; false when the memory cannot be had, when the
/// view is back on the plane as it is.
bool UpdateProjections(SimulationState& s);

/// After a load: the document's plane found for its data and its
/// positions projected. A plain table's box and trail are inferred from
/// what that plane shows, as they are from its xy plane. Returns why the
/// plane cannot be had (the view then shows the data's xy plane).
std::string ShowDocumentPlane(SimulationState& s);

/// Shows the document on `plane` from now on (View > Plane, --plane), the
/// camera back on it; the data is not read again. A plain table's box and
/// trail are inferred again from what it shows. Returns why it cannot be
/// had, the view unchanged.
std::string ChooseViewPlane(SimulationState& s, PlotBox& plot, const ViewPlane& plane);

/// While a drag turns the view (`turning`), projects the rows each run's
/// picture shows at its row that are not made yet; otherwise makes whole
/// any projection a drag left partial. False when the memory cannot be
/// had, the view then back on the data's plane.
bool ProjectRowsDrawn(SimulationState& s, bool turning);

/// Turns the camera to `turn` from the plane shown; the box stays. With
/// `shownOnly` (a drag's step), only the rows the pictures show are
/// projected: the rest waits for ProjectRowsDrawn.
void TurnView(SimulationState& s, const CameraTurn& turn, bool shownOnly = false);

/// Turns the camera to `turn` as a view opens turned (--view): a plain
/// table's box is inferred from what the turned view shows, a frame's box
/// fitted to it; a configuration's box stays.
void ApplyTurn(SimulationState& s, PlotBox& plot, const CameraTurn& turn);
