#include "table_inference.h"

#include <algorithm>
#include <filesystem>

#include "configuration_reader.h"
#include "data_extent.h"
#include "loaded_simulation.h"
#include "revolution.h"
#include "table_palette.h"

void InferTableConfiguration(LoadedSimulation& s) {
    const int32_t bodies = s.usableBodies();
    const int32_t rows = s.usableRows();
    s.fields.bodySize.assign(BodySlotsFor(bodies), 0);
    s.fields.bodyColourCode.assign(BodySlotsFor(bodies), 0);
    for (int32_t k = 1; k <= bodies; ++k) {
        s.fields.bodySize[std::size_t(k)] = 3;
        s.fields.bodyColourCode[std::size_t(k)] = TablePaletteCode(k);
    }
    ResolveBodyColours(s);
    if (s.rows) {
        InferShownExtent(s, *s.rows);
    } else {
        s.fields.box = {-1.0, -1.0, 1.0, 1.0};
        s.fields.pointsPerOrbit = std::clamp(kTrailWithoutRevolution, 1, std::max(1, rows / 2));
    }
    s.fields.frameDelayMs = 20;
    s.fields.step = 1;
    s.fields.startRow = 0;
    s.fields.sunSize = 6;
    s.fields.drawAxes = 1;
    s.fields.drawPlanets = 1;
    s.fields.drawOrbits = 1;
    s.fields.bodyNames = s.tableLayout.names;
    s.fields.timeUnit = s.tableLayout.timeUnit;
    if (!s.tableLayout.masses.empty()) ReadMassesLine(s.tableLayout.masses, s.fields);
    if (!s.tableLayout.sunMass.empty()) ReadSunMassLine(s.tableLayout.sunMass, s.fields);
    s.fields.lengthUnit = s.tableLayout.lengthUnit;
    s.fields.plotTitle = std::filesystem::path(s.fields.dataPath).filename().string();
}

void InferShownExtent(LoadedSimulation& s, const TrajectoryTable& shown) {
    const int32_t bodies = s.usableBodies();
    const int32_t rows = s.usableRows();
    s.fields.box = DataBox(shown, rows, bodies);
    const int32_t revolution = RowsOfSlowestRevolution(shown, rows, bodies);
    s.fields.pointsPerOrbit = revolution > 0 ? std::clamp(revolution, 1, std::max(1, rows - 2))
                                             : std::clamp(kTrailWithoutRevolution, 1, std::max(1, rows / 2));
}
