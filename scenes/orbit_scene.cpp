#include "orbit_scene.h"

#include <cmath>

#include "animation/simulation_state.h"

void LoadOrbits(SimulationState& s, int rows, int bodies, double timeStep,
                const std::function<ScenePoint(int row, int body)>& position) {
    s.loaded().fields.lineCount = rows;
    s.loaded().fields.bodyCount = bodies;
    s.loaded().sizeBodyLists(bodies);
    s.loaded().columnCount = 2 * bodies + 1;
    s.loaded().rows = AllocateTable(rows, s.loaded().columnCount);
    for (int r = 0; r < rows; ++r) {
        s.loaded().rows->set(r, 0, r * timeStep);
        for (int k = 1; k <= bodies; ++k) {
            const ScenePoint p = position(r, k);
            s.loaded().rows->set(r, 2 * k - 1, p.x);
            s.loaded().rows->set(r, 2 * k, p.y);
        }
    }
    s.loaded().dataLoaded = 1;
}

void MakeOrbitScene(SimulationState& s, int bodies, int rows, int trail) {
    LoadOrbits(s, rows, bodies, 0.01, [bodies](int r, int k) {
        const double radius = 0.3 + 2.6 * k / bodies, speed = 0.02 / std::sqrt(radius);
        return ScenePoint{radius * std::cos(r * speed + k), radius * std::sin(r * speed + k)};
    });
    for (int k = 1; k <= bodies; ++k) {
        s.loaded().fields.bodySize[std::size_t(k)] = 4;
        s.loaded().bodyColour[std::size_t(k)] = 0x0000F0 + uint32_t(k);
    }
    s.view.trailLength = trail;
    s.loaded().fields.sunSize = 6;
    s.loaded().fields.drawAxes = 1;
}
