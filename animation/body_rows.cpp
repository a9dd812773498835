#include "animation/body_rows.h"

#include "animation/simulation_state.h"
#include "animation/view_request.h"
#include "base/format.h"
#include "simulation/body_subset.h"

std::vector<BodyRow> BodyRowsOf(const SimulationState& s) {
    std::vector<BodyRow> rows;
    const ConfigurationFields& f = s.loaded().fields;
    for (int k = 1; k <= s.loaded().usableBodies(); ++k)
        rows.push_back(
            {std::size_t(k) <= f.bodyNames.size() ? f.bodyNames[std::size_t(k - 1)] : std::string(),
             s.loaded().bodyColour[std::size_t(k)], true});
    return rows;
}

std::string ApplyBodyRows(SimulationState& s, PlotBox& plot, const std::vector<BodyRow>& rows) {
    if (rows.size() != std::size_t(s.loaded().usableBodies())) return "the bodies have changed";
    FigureRequest figure;
    bool named = false, hidden = false, changedColour = false;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const BodyRow& row = rows[k];
        if (row.name.find_first_of(" \t\r\n") != std::string::npos)
            return Format("The name of body %d holds a blank: a name is one word", int(k + 1));
        named = named || !row.name.empty();
        hidden = hidden || !row.shown;
        changedColour = changedColour || row.colour != s.loaded().bodyColour[k + 1];
        if (row.shown) figure.bodies.push_back(int32_t(k + 1));
    }
    if (figure.bodies.empty()) return "No body is shown: at least one must be";
    if (!hidden) figure.bodies.clear();
    if (named) {
        // Names stand in order, so a body unnamed before a named one gets
        // its number.
        for (std::size_t k = 0; k < rows.size(); ++k)
            figure.names.push_back(rows[k].name.empty() ? StandInName(int32_t(k + 1)) : rows[k].name);
        while (!figure.names.empty() && rows[figure.names.size() - 1].name.empty()) figure.names.pop_back();
    }
    if (changedColour)
        for (const BodyRow& row : rows) figure.colours.push_back(row.colour);
    return ApplyFigure(s, plot, figure);
}
