// The tables of tests/corpus opened as the viewer opens them: each gives what
// the NAME.expected beside it says. The Python module's test
// (python/tests/test_table_corpus.py) checks the same files, so that its
// reader and its box and revolution rules cannot drift from these.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "plot/plot_box.h"
#include "simulation/data_extent.h"
#include "simulation/revolution.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

/// An expected file's `key = value` lines, '#' lines left out.
std::map<std::string, std::string> ExpectedValues(const fs::path& path) {
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t equals = line.find(" = ");
        if (equals == std::string::npos) {
            ADD_FAILURE() << path << ": " << line;
            continue;
        }
        values[line.substr(0, equals)] = line.substr(equals + 3);
    }
    return values;
}

/// The numbers of a value, read as the Python test reads them.
std::vector<double> Numbers(const std::string& text) {
    std::vector<double> numbers;
    std::istringstream in(text);
    for (std::string word; in >> word;) numbers.push_back(std::strtod(word.c_str(), nullptr));
    return numbers;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
    return text;
}

/// What opening `table` gives, keyed as the expected files are; numbers in
/// `numbers`, the rest as text.
void Found(const fs::path& table, std::map<std::string, std::string>& text,
           std::map<std::string, std::vector<double>>& numbers) {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    InitialiseDefaults(state, plot);
    if (!LoadFile(state, plot, host, table.string())) {
        text["error"] = host.messages.empty() ? "" : host.messages.back();
        return;
    }
    const LoadedSimulation& loaded = state.loaded();
    const int32_t rows = loaded.usableRows(), bodies = loaded.usableBodies();
    text["bodies"] = std::to_string(bodies);
    text["rows"] = std::to_string(rows);
    text["names"] = Joined(loaded.fields.bodyNames);
    text["time unit"] = loaded.fields.timeUnit;
    text["length unit"] = loaded.fields.lengthUnit;
    text["note"] = Joined(host.notes);
    text["revolution"] = std::to_string(RowsOfSlowestRevolution(*loaded.rows, rows, bodies));
    text["trail"] = std::to_string(loaded.fields.pointsPerOrbit);
    std::erase_if(text, [](const auto& entry) { return entry.second.empty(); });
    const std::array<double, 4> extent = ExtentOf(*loaded.rows, rows, bodies).Box();
    numbers["extent"].assign(extent.begin(), extent.end());
    numbers["box"].assign(loaded.fields.box.begin(), loaded.fields.box.end());
    // The square orbivex-gen gives the same positions by default.
    numbers["square"] = {SquareHalfSide(ExtentOf(*loaded.rows, rows, bodies).Farthest())};
}

TEST(TableCorpus, EachTableGivesWhatItsExpectedFileSays) {
    int cases = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(ORBIVEX_CORPUS)) {
        const fs::path expectedPath = entry.path();
        if (expectedPath.extension() != ".expected") continue;
        std::vector<fs::path> tables;
        for (const fs::directory_entry& other : fs::directory_iterator(ORBIVEX_CORPUS))
            if (other.path().stem() == expectedPath.stem() && other.path().extension() != ".expected")
                tables.push_back(other.path());
        SCOPED_TRACE(expectedPath.filename().string());
        ASSERT_EQ(tables.size(), 1u);
        ++cases;

        std::map<std::string, std::string> expectedText = ExpectedValues(expectedPath), text;
        std::map<std::string, std::vector<double>> expectedNumbers, numbers;
        for (const char* key : {"extent", "box", "square"}) {
            if (!expectedText.count(key)) continue;
            expectedNumbers[key] = Numbers(expectedText[key]);
            expectedText.erase(key);
        }
        Found(tables[0], text, numbers);
        EXPECT_EQ(text, expectedText);
        // Exact: both readers must reach the same doubles.
        EXPECT_EQ(numbers, expectedNumbers);
    }
    EXPECT_GT(cases, 5);
}

}  // namespace
