#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "commands/working_folder.h"
#include "plot/plot_box.h"
#include "test_support.h"

/// Loads simulations as the viewer does: from within the configuration's
/// folder, the working folder put back after each test.
struct ViewerLoadTest : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;
    std::filesystem::path previousFolder = std::filesystem::current_path();

    void SetUp() override { InitialiseDefaults(state, plot); }
    void TearDown() override { std::filesystem::current_path(previousFolder); }

    /// The load's result: 1 when it loaded.
    int Load(const std::string& ovxPath) { return LoadSimulation(state, plot, host, EnterFolderOf(ovxPath)); }
};
