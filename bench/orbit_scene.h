#pragma once

struct SimulationState;

/// Fills `state` with a loaded simulation of `rows` rows in which `bodies`
/// bodies circle the sun on rings from 0.3 to 2.9 world units, discs of
/// radius 4, trails of `trail` rows, sun and axes on.
void MakeOrbitScene(SimulationState& state, int bodies, int rows, int trail);
