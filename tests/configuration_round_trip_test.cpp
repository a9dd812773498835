// A configuration read, written and read again gives back every field: what
// a save writes is what the next load reads.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "simulation/configuration_reader.h"
#include "simulation/simulation_writer.h"
#include "simulation/table_palette.h"
#include "test_support.h"

namespace {

/// Reads `path`, writes the fields, reads them again: both reads must agree.
void ExpectRoundTrip(const std::string& path, const TempDir& dir) {
    ScriptedHost host;
    ConfigurationFields first;
    ASSERT_EQ(ReadConfiguration(first, host, path), ConfigResult::Ok) << path;
    const std::string text = ConfigurationText(first);
    ConfigurationFields second;
    ASSERT_EQ(ReadConfiguration(second, host, dir.write("again.ovx", text)), ConfigResult::Ok) << text;
    EXPECT_EQ(second, first) << path << "\n" << text;
    // Written again, the text is the same: nothing drifts over saves.
    EXPECT_EQ(ConfigurationText(second), text) << path;
}

TEST(ConfigurationRoundTrip, EveryExample) {
    TempDir dir;
    int examples = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ORBIVEX_EXAMPLES)) {
        if (entry.path().extension() != ".ovx") continue;
        SCOPED_TRACE(entry.path().string());
        ExpectRoundTrip(entry.path().string(), dir);
        ++examples;
    }
    EXPECT_GE(examples, 8);
}

TEST(ConfigurationRoundTrip, EveryOptionalLineAndTheEdgesOfEachField) {
    TempDir dir;
    ConfigurationFields all;
    all.dataPath = "runs/orbit 2.dat";  // a blank ends the name: written and read as "runs/orbit"
    all.lineCount = 2147483647;
    all.bodyCount = kMaxBodies;
    for (int k = 1; k <= kMaxBodies; ++k)
        all.bodySize[std::size_t(k)] = k - 1, all.bodyColourCode[std::size_t(k)] = k % 14;
    all.box = {-1.0 / 3.0, -1e-300, 2.5e300, 0.1};
    all.frameDelayMs = 0, all.step = 7, all.pointsPerOrbit = -5, all.startRow = 3;
    all.sunSize = 9, all.drawAxes = 0, all.drawPlanets = 0, all.drawOrbits = 0;
    all.bodyNames = {"Earth", "Moon", "\xC3\x89toile"};
    all.timeUnit = "yr", all.lengthUnit = "AU", all.plotTitle = "Earth, Moon = and more";
    all.bodyMasses = {3.0034896149157645e-06, 0, 1e-12};
    all.sunMass = 0.5;
    all.gm = 4 * 3.141592653589793 * 3.141592653589793;
    all.dataFormat = DataFormat::Table;
    all.plane = TablePlane::YZ;
    all.columns = TableColumns::XYZ;
    all.equalAspect = true;
    all.style = ViewStyle::Publication, all.trailMode = TrailMode::Both;
    all.bodyColours = {Rgb(0, 0x72, 0xB2), Rgb(255, 255, 255)};
    all.shownBodies = {1, 3, 4, 5, 30};
    ExpectRoundTrip(dir.write("all.ovx", ConfigurationText(all)), dir);
    ScriptedHost host;
    ConfigurationFields read;
    ASSERT_EQ(ReadConfiguration(read, host, dir.write("all.ovx", ConfigurationText(all))), ConfigResult::Ok);
    all.dataPath = "runs/orbit";
    EXPECT_EQ(read, all);

    // Without the optional lines, and a sun mass given alone.
    ConfigurationFields none;
    none.bodyCount = 0;
    ExpectRoundTrip(dir.write("none.ovx", ConfigurationText(none)), dir);
    none.sunMass = 2;
    ExpectRoundTrip(dir.write("sun.ovx", ConfigurationText(none)), dir);
}

TEST(ConfigurationRoundTrip, ATableConfigurationOfAThousandBodies) {
    TempDir dir;
    ConfigurationFields many;
    many.dataPath = "many.csv";
    many.lineCount = -1;
    many.bodyCount = kMaxTableBodies;
    many.sizeBodyLists(kMaxTableBodies);
    for (int k = 1; k <= kMaxTableBodies; ++k) {
        many.bodySize[std::size_t(k)] = k % 7, many.bodyColourCode[std::size_t(k)] = TablePaletteCode(k);
        many.bodyNames.push_back("b" + std::to_string(k));
        many.bodyMasses.push_back(k * 1e-6);
    }
    many.dataFormat = DataFormat::Table;
    ScriptedHost host;
    ConfigurationFields read;
    ASSERT_EQ(ReadConfiguration(read, host, dir.write("many.ovx", ConfigurationText(many))),
              ConfigResult::Ok);
    EXPECT_EQ(read, many);
    ExpectRoundTrip(dir.write("many.ovx", ConfigurationText(many)), dir);
}

}  // namespace
