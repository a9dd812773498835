// Tables as numpy and pandas write them, made by table_files.py, read through
// the table reader: the bodies, their names, the rows and every value, bit
// for bit. Skipped when the system's python3 lacks numpy or pandas.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "animation/simulation_state.h"
#include "simulation/table_reader.h"
#include "test_support.h"

namespace {

/// What a table's sidecar says the table holds.
struct Expected {
    int rows = 0;
    int bodies = 0;
    int dimensions = 0;
    std::vector<std::string> names;
    std::vector<std::vector<double>> values;  ///< per row: the time, then each body's coordinates
};

Expected ReadExpected(const std::string& path) {
    std::ifstream in(path);
    Expected e;
    std::string word, line;
    in >> word >> e.rows >> word >> e.bodies >> word >> e.dimensions >> word;
    std::getline(in, line);
    std::istringstream names(line);
    while (names >> word) e.names.push_back(word);
    while (std::getline(in, line)) {
        std::vector<double> row;
        std::istringstream cells(line);
        // strtod reads Python's shortest round-trip text back as the same double.
        while (cells >> word) row.push_back(std::strtod(word.c_str(), nullptr));
        e.values.push_back(row);
    }
    return e;
}

/// The folder the tables are written to once for all tests, and the script's exit code.
struct Tables {
    TempDir dir;
    int status = -1;
    Tables() {
        const std::string command = std::string("'") + ORBIVEX_PYTHON + "' '" + ORBIVEX_TABLE_FILES_SCRIPT +
                                    "' '" + dir.path() + "' >/dev/null";
        const int raw = std::string(ORBIVEX_PYTHON).empty() ? -1 : std::system(command.c_str());
        status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : 77;
        if (status == 127) status = 77;  // the shell found no python3
    }
};

const Tables& MadeTables() {
    static const Tables tables;
    return tables;
}

struct TableCase {
    const char* file;
};

class TableFilesTest : public ::testing::TestWithParam<TableCase> {};

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST_P(TableFilesTest, EveryValueReadsBackExactly) {
    const Tables& tables = MadeTables();
    if (tables.status == 77) GTEST_SKIP() << "python3 with numpy and pandas is needed to write the tables";
    ASSERT_EQ(tables.status, 0) << "table_files.py failed";
    const TableCase c = GetParam();
    const std::string path = tables.dir.path() + "/" + c.file;
    const Expected e = ReadExpected(path + ".expected");
    ASSERT_EQ(int(e.values.size()), e.rows);

    SimulationState state;
    state.loaded().fields.dataFormat = DataFormat::Table;
    state.loaded().fields.dataPath = path;
    state.loaded().fields.lineCount = -1;
    ScriptedHost host;
    ASSERT_EQ(ReadTableData(state.loaded(), host), DataResult::Ok);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(int(state.loaded().tableLayout.bodies.size()), e.bodies);
    EXPECT_EQ(state.loaded().tableLayout.threeDimensional(), e.dimensions == 3);
    EXPECT_EQ(state.loaded().tableLayout.names, e.names);
    ASSERT_TRUE(state.loaded().rows);
    EXPECT_EQ(state.loaded().rows->bodyColumns(), e.bodies);
    ASSERT_EQ(state.loaded().rowsInData(), e.rows);

    int wrong = 0;
    for (int r = 0; r < e.rows; ++r) {
        const std::vector<double>& want = e.values[std::size_t(r)];
        ASSERT_EQ(int(want.size()), 1 + e.bodies * e.dimensions) << "sidecar row " << r;
        std::vector<double> got = {state.loaded().rows->value(r, 0)};
        std::vector<double> expect = {want[0]};
        // Every coordinate as written: x and y in the table, z beside it.
        for (int k = 0; k < e.bodies; ++k) {
            got.push_back(state.loaded().rows->value(r, 2 * k + 1));
            got.push_back(state.loaded().rows->value(r, 2 * k + 2));
            if (e.dimensions == 3) got.push_back(state.loaded().depth->at(k + 1, r));
            for (int d = 0; d < e.dimensions; ++d)
                expect.push_back(want[std::size_t(1 + k * e.dimensions + d)]);
        }
        for (std::size_t i = 0; i < got.size(); ++i)
            if (!SameBits(got[i], expect[i]) && ++wrong <= 5)
                ADD_FAILURE() << c.file << " row " << r << " column " << i << ": read " << got[i]
                              << ", written " << expect[i];
    }
    EXPECT_EQ(wrong, 0);
}

INSTANTIATE_TEST_SUITE_P(NumpyAndPandas, TableFilesTest,
                         ::testing::Values(TableCase{"savetxt-blank.txt"}, TableCase{"savetxt-comma.csv"},
                                           TableCase{"pandas-index.csv"}, TableCase{"pandas-semicolon.csv"},
                                           TableCase{"pandas-3d.csv"}),
                         [](const ::testing::TestParamInfo<TableCase>& info) {
                             std::string name = info.param.file;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

}  // namespace
