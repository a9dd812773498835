#include "orbit_scene.h"

#include <cmath>

#include "simulation/simulation_state.h"

void MakeOrbitScene(SimulationState& s, int bodies, int rows, int trail) {
    s.lineCount = rows;
    s.bodyCount = bodies;
    s.columnCount = 2 * bodies + 1;
    s.rows = AllocateTable(rows, s.columnCount);
    for (int r = 0; r < rows; ++r) {
        s.rows->set(r, 0, r * 0.01);
        for (int k = 1; k <= bodies; ++k) {
            const double radius = 0.3 + 2.6 * k / bodies, speed = 0.02 / std::sqrt(radius);
            s.rows->set(r, 2 * k - 1, radius * std::cos(r * speed + k));
            s.rows->set(r, 2 * k, radius * std::sin(r * speed + k));
        }
    }
    for (int k = 1; k <= bodies; ++k) {
        s.bodySize[std::size_t(k)] = 4;
        s.bodyColour[std::size_t(k)] = 0x0000F0 + uint32_t(k);
    }
    s.pointsPerOrbit = trail;
    s.sunSize = 6;
    s.drawAxes = 1;
    s.dataLoaded = 1;
}
