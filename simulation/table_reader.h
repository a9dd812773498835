#pragma once
#include "data_reader.h"

struct SimulationState;
class Host;

/// Reads the plain data table named by `dataPath` into the table: finds its
/// layout, then stores each line's time and every body's two coordinates on
/// the chosen plane. A line count below 0 takes every complete row.
DataResult ReadTableData(SimulationState& state, Host& host);
