#pragma once
#include <string>
#include <vector>

#include "base/colour.h"

struct SimulationState;
class PlotBox;

/// One body as the Bodies dialog shows it: its name (empty for none), its
/// colour and whether it stays shown.
struct BodyRow {
    std::string name;
    ColourRef colour = 0;
    bool shown = true;
    bool operator==(const BodyRow&) const = default;
};

/// The bodies of the simulation shown, in order.
std::vector<BodyRow> BodyRowsOf(const SimulationState& state);

/// Gives the simulation the names, colours and bodies shown of `rows` (one
/// per body, as BodyRowsOf gave them), as the command line's --names,
/// --colours and --bodies do. Returns what cannot be had ("a name is one
/// word", "no body is shown"), having changed nothing; empty when all was.
std::string ApplyBodyRows(SimulationState& state, PlotBox& plot, const std::vector<BodyRow>& rows);
