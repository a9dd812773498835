#pragma once
#include <functional>

struct SimulationState;

/// A body's place at one row, in world units.
struct ScenePoint {
    double x, y;
};

/// Fills `state` with a loaded simulation built in memory, as a data file
/// would: `rows` rows, row r at the time r * timeStep with body k (1 to
/// `bodies`) at position(r, k). Sizes, colours, trail and drawing switches
/// are left as they were.
void LoadOrbits(SimulationState& state, int rows, int bodies, double timeStep,
                const std::function<ScenePoint(int row, int body)>& position);

/// Fills `state` with a loaded simulation of `rows` rows in which `bodies`
/// bodies circle the sun on rings from 0.3 to 2.9 world units, discs of
/// radius 4, trails of `trail` rows, sun and axes on.
void MakeOrbitScene(SimulationState& state, int bodies, int rows, int trail);
