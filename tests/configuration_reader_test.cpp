#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "plot/plot_box.h"
#include "simulation/configuration_reader.h"
#include "simulation/reference_frame.h"
#include "simulation/table_palette.h"
#include "test_support.h"

namespace {

constexpr const char* kExample =
    "data file = orbit.dat\n"
    "number of data lines = 5000\n"
    "number of planets = 2\n"
    "radii in pixels = 4 3\n"
    "colour codes = 10 5\n"
    "box xmin ymin xmax ymax = -2 -2 2 2\n"
    "delay in msec = 20\n"
    "step = 1\n"
    "points per orbit = 200\n"
    "start from line = 0\n"
    "sun size = 6\n"
    "draw axes (0 or 1) = 1\n"
    "draw planets (0 or 1) = 1\n"
    "draw orbits (0 or 1) = 1\n";

struct ConfigFixture : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;

    void SetUp() override { InitialiseDefaults(state, plot); }

    /// Reads `text` as a configuration file, as a load does: the plot gets
    /// its box and title only from a file read to its end.
    int Read(const std::string& text) {
        return CodeOf(LoadConfiguration(state, plot, host, dir.write("c.ovx", text)));
    }

    /// Reads `text` with the reader alone, into `fields`.
    int ReadInto(ConfigurationFields& fields, const std::string& text) {
        return CodeOf(ReadConfiguration(fields, host, dir.write("c.ovx", text)));
    }

    /// The example with the value after the n-th "=" (from 1) replaced.
    static std::string WithField(int n, const std::string& value) {
        std::string text = kExample;
        std::size_t pos = 0;
        for (int i = 0; i < n; ++i) pos = text.find('=', pos) + 1;
        const std::size_t end = text.find('\n', pos);
        return text.replace(pos, end - pos, " " + value);
    }
};

TEST_F(ConfigFixture, ExampleFileFillsEveryField) {
    ASSERT_EQ(Read(kExample), 0);
    EXPECT_EQ(state.loaded().fields.dataPath, "orbit.dat");
    EXPECT_EQ(state.loaded().fields.lineCount, 5000);
    EXPECT_EQ(state.loaded().fields.bodyCount, 2);
    EXPECT_EQ(state.loaded().fields.bodySize[1], 4);
    EXPECT_EQ(state.loaded().fields.bodySize[2], 3);
    EXPECT_EQ(state.loaded().fields.bodyColourCode[1], 10);
    EXPECT_EQ(state.loaded().bodyColour[1], 0x0000F0u);
    EXPECT_EQ(state.loaded().bodyColour[2], 0xB40000u);
    EXPECT_EQ(state.loaded().bodyColour[0], 0u);
    EXPECT_EQ(state.loaded().bodyColour[3], 0u);
    EXPECT_EQ(state.loaded().fields.box, (std::array<double, 4>{-2, -2, 2, 2}));
    EXPECT_EQ(state.playback.delayMs, 20);
    EXPECT_EQ(state.view.trailLength, 200);
    EXPECT_EQ(state.loaded().fields.sunSize, 6);
    EXPECT_EQ(state.loaded().fields.drawAxes, 1);
    EXPECT_EQ(plot.title, "2 planet simulation");
    EXPECT_EQ(plot.xMin, -2);
    EXPECT_EQ(plot.yMax, 2);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ConfigFixture, EveryFieldHasItsFailureCode) {
    const std::pair<int, int> cases[] = {{2, -2},   {3, -3},   {4, -4},  {5, -5},   {6, -6},
                                         {7, -8},   {8, -8},   {9, -9},  {10, -10}, {11, -11},
                                         {12, -11}, {13, -11}, {14, -11}};
    for (const auto& [field, code] : cases) {
        SCOPED_TRACE(field);
        SimulationState fresh;
        state = std::move(fresh);
        EXPECT_EQ(Read(WithField(field, "x")), code);
    }
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(ConfigFixture, FileEndingEarlyGivesTheNextFieldsCode) {
    EXPECT_EQ(Read(""), -2);
    EXPECT_EQ(Read("name only"), -2);
    EXPECT_EQ(Read("a = b.dat\nlines = 10\n"), -3);
    EXPECT_EQ(Read("a = b.dat\nlines = 10\nbodies = 1\nradii = 2\n"), -5);
}

TEST_F(ConfigFixture, FailureKeepsEarlierFieldsAndLeavesPlotAlone) {
    ConfigurationFields partial;
    ASSERT_EQ(ReadInto(partial, WithField(6, "1 2 3 x")), -6);
    EXPECT_EQ(partial.dataPath, "orbit.dat");
    EXPECT_EQ(partial.bodyColourCode[1], 10);
    EXPECT_EQ(partial.box[2], 3);  // three values stored, the fourth the default
    EXPECT_EQ(partial.box[3], 3);
    EXPECT_EQ(partial.frameDelayMs, 0);
    // A load keeps nothing of a configuration that failed.
    ASSERT_EQ(Read(WithField(6, "1 2 3 x")), -6);
    EXPECT_EQ(state.loaded().fields, ConfigurationFields{});
    EXPECT_EQ(state.loaded().bodyColour[1], 0u);
    EXPECT_EQ(plot.title, kStartupTitle);
    EXPECT_EQ(plot.xMin, -3);
}

TEST_F(ConfigFixture, BodyListStopsAtItsFirstValueThatIsNotANumber) {
    ConfigurationFields partial;
    partial.bodySize[2] = 77;
    EXPECT_EQ(ReadInto(partial, WithField(4, "9 x 5")), -4);
    EXPECT_EQ(partial.bodySize[1], 9);
    EXPECT_EQ(partial.bodySize[2], 0);  // never half-filled from what follows
    EXPECT_EQ(Read(WithField(5, "x 5")), -5);
    EXPECT_EQ(plot.title, kStartupTitle);
}

TEST_F(ConfigFixture, MoreBodiesThanAClassicConfigurationHoldsOnlyInATableConfiguration) {
    const std::string table = "data format = table\n";
    const struct {
        const char* what;
        std::string text;
        int result;
        std::vector<std::string> messages;
        int bodies;  // the count the fields hold afterwards
    } cases[] = {
        {"31 classic", ConfigText("d.dat", 10, 31), -3, {"Too many Planets !"}, 31},
        {"31 in a table", ConfigText("d.dat", 10, 31) + table, 0, {}, 31},
        {"a table's most", ConfigText("d.dat", 10, 1000) + table, 0, {}, 1000},
        {"one past a table's most", ConfigText("d.dat", 10, 1001) + table, -3, {"Too many Planets !"}, 1001},
        {"a table's line with another format",
         ConfigText("d.dat", 10, 31) + "data format = stream\n",
         -3,
         {"Too many Planets !"},
         31},
        // A later field that fails says nothing of its own: the count is what is refused.
        {"a box that cannot be shown",
         ConfigText("d.dat", 10, 31, 1, 10, 0, "1 1 1 1") + table,
         -3,
         {"Too many Planets !"},
         31},
        {"a list cut short",
         "data = d.dat\nlines = 10\nplanets = 40\nradii = 1 2 x\n" + table,
         -3,
         {"Too many Planets !"},
         40},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host.messages.clear();
        ConfigurationFields fields;
        EXPECT_EQ(ReadInto(fields, c.text), c.result);
        EXPECT_EQ(host.messages, c.messages);
        EXPECT_EQ(fields.bodyCount, c.bodies);
        // Refused, the fields stand as the count left them: nothing after it read.
        if (c.result != 0) EXPECT_EQ(fields.box, ConfigurationFields{}.box);
        if (c.result == 0) EXPECT_EQ(fields.bodyColourCode[std::size_t(c.bodies)], c.bodies % 14);
    }
}

TEST_F(ConfigFixture, BodyCountLimits) {
    ConfigurationFields partial;
    EXPECT_EQ(ReadInto(partial, WithField(3, "31")), -3);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Too many Planets !"});
    EXPECT_EQ(partial.bodyCount, 31);

    host.messages.clear();
    EXPECT_EQ(Read(WithField(3, "-1")), -3);
    EXPECT_EQ(Read(WithField(3, "2147483647")), -3);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Too many Planets !"});

    std::string thirty = ConfigText("d.dat", 10, 30);
    EXPECT_EQ(Read(thirty), 0);
    EXPECT_EQ(plot.title, "30 planet simulation");
}

TEST_F(ConfigFixture, ZeroBodiesStillNeedTheirLabels) {
    EXPECT_EQ(Read(ConfigText("d.dat", 10, 0)), 0);
    EXPECT_EQ(state.loaded().fields.bodyCount, 0);
    EXPECT_EQ(plot.title, "0 planet simulation");
    EXPECT_EQ(state.loaded().fields.sunSize, 6);
}

TEST_F(ConfigFixture, StepAndStartRowCorrections) {
    const std::pair<std::string, int> steps[] = {
        {"0", 1}, {"-5", 1}, {"5001", 1}, {"5000", 5000}, {"12.5", 12}};
    for (const auto& [text, expected] : steps) {
        ASSERT_EQ(Read(WithField(8, text)), 0) << text;
        EXPECT_EQ(state.playback.step, expected) << text;
    }
    const std::pair<std::string, int> starts[] = {{"5000", 0}, {"-1", 0}, {"4999", 4999}};
    for (const auto& [text, expected] : starts) {
        ASSERT_EQ(Read(WithField(10, text)), 0) << text;
        EXPECT_EQ(state.loaded().fields.startRow, expected) << text;
    }
}

TEST_F(ConfigFixture, FreeTextQuirks) {
    ASSERT_EQ(Read(WithField(1, "my orbit.dat")), 0);
    EXPECT_EQ(state.loaded().fields.dataPath, "my");

    ASSERT_EQ(Read(WithField(12, "2")), 0);
    EXPECT_EQ(state.loaded().fields.drawAxes, 2);

    // A label holding "=" moves every later field by one.
    std::string shifted = kExample;
    shifted.replace(shifted.find("step"), 4, "st=ep");
    EXPECT_EQ(Read(shifted), -8);
}

TEST_F(ConfigFixture, TitleKeepsItsWordsForOneBody) {
    ASSERT_EQ(Read(ConfigText("d.dat", 10, 1)), 0);
    EXPECT_EQ(plot.title, "1 planet simulation");
}

TEST_F(ConfigFixture, NumbersFollowFormattedInput) {
    ASSERT_EQ(Read(WithField(6, "0x1p1 -2e0 +3 2.04")), 0);
    EXPECT_EQ(state.loaded().fields.box, (std::array<double, 4>{2, -2, 3, 2.04}));
    ASSERT_EQ(Read(WithField(2, "99999999999")), 0);
    EXPECT_EQ(state.loaded().fields.lineCount, 2147483647);
    EXPECT_EQ(Read(WithField(6, "1 2 3 1e")), 0);  // an exponent without digits is ignored
    EXPECT_EQ(state.loaded().fields.box[3], 1);
    EXPECT_EQ(Read(WithField(6, "1 2 3 -")), -6);
    EXPECT_EQ(Read(WithField(6, "1 2 3 0x.")), -6);  // a hex prefix needs a digit
}

TEST_F(ConfigFixture, BoxIsRoundedOutward) {
    ASSERT_EQ(Read(WithField(6, "-2.95 -2.95 2.95 2.95")), 0);
    EXPECT_EQ(state.loaded().fields.box[0], -2.95);
    EXPECT_DOUBLE_EQ(plot.xMin, -3);
    EXPECT_DOUBLE_EQ(plot.yMax, 3);
}

TEST_F(ConfigFixture, ABoxThatCannotBeShownIsRefusedWithWhy) {
    const struct {
        const char* box;
        const char* message;  ///< empty: shown
    } cases[] = {
        {"1 1 1 1", "The box 1 1 1 1 cannot be shown: its x axis has no width"},
        {"-1 2 1 2", "The box -1 2 1 2 cannot be shown: its y axis has no width"},
        {"nan 0 1 1", "The box nan 0 1 1 cannot be shown: its ends are not all finite numbers"},
        {"-inf -1 1 1", "The box -inf -1 1 1 cannot be shown: its ends are not all finite numbers"},
        {"-1e308 0 1e308 1", ""},  // wider than a double, yet its ends are numbers
        {"1e6 0 1.0000000000001e6 1",
         "The box 1000000 0 1000000.0000001 1 cannot be shown: its x axis has no width"},
        {"3 3 -3 -3", ""},              // mirrored: drawn as ever
        {"0 0 1e-300 1e-300", ""},      // tiny about 0 is still a range
        {"1e6 0 1.000000001e6 1", ""},  // a thousandth about a million
    };
    for (const auto& c : cases) {
        host.messages.clear();
        EXPECT_EQ(Read(WithField(6, c.box)), *c.message ? -6 : 0) << c.box;
        EXPECT_EQ(host.messages,
                  *c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
    }
}

TEST(ConfigFile, MissingFileOrDirectoryIsNotFound) {
    SimulationState state;
    ScriptedHost host;
    TempDir dir;
    EXPECT_EQ(ReadConfiguration(state.loaded().fields, host, dir.path() + "/none.ovx"),
              ConfigResult::NotFound);
    EXPECT_EQ(ReadConfiguration(state.loaded().fields, host, dir.path()), ConfigResult::NotFound);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0], "Config File " + dir.path() + "/none.ovx is not found");
    EXPECT_EQ(host.messages[1], "Config File " + dir.path() + " is not found");
}

TEST(BodyColours, CodesOutsideTheTableAreGreyAndUnusedSlotsClear) {
    EXPECT_EQ(BodyColourTable(14), 0xC8C8C8u);
    EXPECT_EQ(BodyColourTable(-1), 0xC8C8C8u);

    SimulationState state;
    state.loaded().bodyColour.assign(kBodySlots, 0x123456);
    state.loaded().fields.bodyCount = 2;
    state.loaded().fields.bodyColourCode = {7, 3, 99, 5};
    ResolveBodyColours(state.loaded());
    EXPECT_EQ(state.loaded().bodyColour[0], 0u);
    EXPECT_EQ(state.loaded().bodyColour[1], 0x0000A0u);
    EXPECT_EQ(state.loaded().bodyColour[2], 0xC8C8C8u);
    EXPECT_EQ(state.loaded().bodyColour[3], 0u);
}

TEST_F(ConfigFixture, OptionalLinesAfterTheFourteenFields) {
    const std::string extras =
        "  NAMES = Mercury  Venus\n"
        "a comment without an equals sign\n"
        "colour of the sky = blue\n"
        "title=Inner planets \r\n"
        "time unit = yr\n"
        "length unit = AU\n";
    ASSERT_EQ(Read(std::string(kExample) + extras), 0);
    EXPECT_EQ(state.loaded().fields.bodyNames, (std::vector<std::string>{"Mercury", "Venus"}));
    EXPECT_EQ(state.loaded().fields.timeUnit, "yr");
    EXPECT_EQ(state.loaded().fields.lengthUnit, "AU");
    EXPECT_EQ(plot.title, "Inner planets");
    EXPECT_EQ(state.view.trailLength, 200);
    EXPECT_EQ(state.loaded().fields.drawOrbits, 1);

    // The same words on the last field's own line are part of that line and ignored;
    // a later file without the lines has none of them.
    ASSERT_EQ(Read(std::string(kExample).insert(std::string(kExample).size() - 1, " names = X")), 0);
    EXPECT_TRUE(state.loaded().fields.bodyNames.empty());
    EXPECT_TRUE(state.loaded().fields.timeUnit.empty());
    EXPECT_EQ(plot.title, "2 planet simulation");

    // A bad field still fails with its code, whatever follows.
    EXPECT_EQ(Read(WithField(9, "x") + extras), CodeOf(ConfigResult::BadTrailLength));
}

TEST_F(ConfigFixture, MassesWeighTheBarycentreAndABadOneSaysWhichWord) {
    // kExample has 2 bodies.
    const struct {
        const char* lines;
        std::vector<double> weighed;  // sun, then bodies; empty: no barycentre
        const char* problem;
    } cases[] = {
        {"",
         {},
         "the barycentre needs a mass for each of the 2 bodies: give --masses M1,M2,... (and --sun-mass M), "
         "or a line \"masses = ...\" in the configuration, or a line \"# masses = ...\" above a table's "
         "rows"},
        {"masses = 0.001 3e-4\n", {1, 0.001, 3e-4}, ""},
        {"Masses = 2 3 4\nsun mass = 1000\n", {1000, 2, 3}, ""},
        {"masses = 1\n",
         {},
         "the barycentre needs a mass for each of the 2 bodies: give --masses M1,M2,... (and --sun-mass M), "
         "or a line \"masses = ...\" in the configuration, or a line \"# masses = ...\" above a table's "
         "rows"},
        {"masses = 1 -2\n", {}, "masses: '-2' is not a mass (a number of 0 or more)"},
        {"masses = 1 nan\n", {}, "masses: 'nan' is not a mass (a number of 0 or more)"},
        {"masses = 1 2\nsun mass = heavy\n", {}, "sun mass: 'heavy' is not a mass (a number of 0 or more)"},
        {"masses = 0 0\nsun mass = 0\n",
         {},
         "the masses of the sun and the bodies add up to 0 (or more than a number can hold): the barycentre "
         "has "
         "no place"},
        {"masses = 1e308 1e308\n",
         {},
         "the masses of the sun and the bodies add up to 0 (or more than a number can hold): the barycentre "
         "has "
         "no place"},
        {"masses = 0 0\n", {1, 0, 0}, ""},  // the sun alone weighs
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Read(std::string(kExample) + c.lines), 0) << c.lines;
        state.loaded().dataLoaded = 1;  // the bodies the barycentre weighs are the data's
        state.loaded().rows = AllocateTable(1, 5);
        state.loaded().fields.lineCount = 1, state.loaded().columnCount = 5;
        EXPECT_EQ(FrameMasses(state.loaded()), c.weighed) << c.lines;
        EXPECT_EQ(BarycentreProblem(state.loaded()), c.problem) << c.lines;
    }
}

TEST_F(ConfigFixture, TheSunsGravitationalParameterIsANumberAboveZeroOrUnsaid) {
    const struct {
        const char* line;
        std::optional<double> gm;
    } cases[] = {
        {"gm = 39.47841760435743\n", 39.47841760435743},
        {"GM=2.959122082855911e-4\n", 2.959122082855911e-4},
        {"gm = 0\n", std::nullopt},
        {"gm = -1\n", std::nullopt},
        {"gm = heavy\n", std::nullopt},
        {"gm = 1\ngm = nan\n", std::nullopt},  // the last line holds
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(Read(std::string(kExample) + c.line), 0) << c.line;
        EXPECT_EQ(state.loaded().fields.gm, c.gm) << c.line;
    }
}

TEST_F(ConfigFixture, ControlCharactersInTheOptionalLinesShowAsReplacementCharacters) {
    const std::string r = "\xEF\xBF\xBD";
    using namespace std::string_literals;
    const std::string line =
        "title = a\x01"
        "b\x00"
        "c\x7F\td\x1F e\xEF\xBF\xBE\xEF\xBF\xBF\xEF\xBF\xBD\xC3\xA9\n"
        "names = A\x1B\x02 B\x0B\x0C\n"s;
    ASSERT_EQ(Read(kExample + line), 0);
    EXPECT_EQ(plot.title, "a" + r + "b" + r + "c" + r + "\td" + r + " e" + r + r + r + "\xC3\xA9");
    // Names still part at every blank, as before.
    EXPECT_EQ(state.loaded().fields.bodyNames, (std::vector<std::string>{"A" + r + r, "B"}));
}

TEST_F(ConfigFixture, EveryExampleLoadsWithoutOptionalLines) {
    for (const char* name :
         {"kepler-ellipse", "inner-planets", "figure-eight", "earth-moon", "disc-30", "defovx"}) {
        SimulationState fresh;
        PlotBox freshPlot;
        InitialiseDefaults(fresh, freshPlot);
        const std::string path = std::string(ORBIVEX_EXAMPLES) + "/" + name + ".ovx";
        ASSERT_EQ(CodeOf(LoadConfiguration(fresh, freshPlot, host, path)), 0) << name;
        EXPECT_TRUE(fresh.loaded().fields.bodyNames.empty() && fresh.loaded().fields.timeUnit.empty() &&
                    fresh.loaded().fields.lengthUnit.empty())
            << name;
        EXPECT_EQ(freshPlot.title, SimulationTitle(fresh.loaded().fields.bodyCount)) << name;
    }
}

TEST(BodyColours, ATablesBodiesTakeTheOkabeItoColoursInTurnAndClassicCodesKeepTheirs) {
    // Body k's colour, k from 1: the eight, then the first again.
    const ColourRef expected[] = {0xB27200, 0x005ED5, 0x739E00, 0x009FE6, 0xE9B456,
                                  0xA779CC, 0x42E4F0, 0x555555, 0xB27200};
    SimulationState state;
    state.loaded().fields.dataFormat = DataFormat::Table;
    state.loaded().fields.bodyCount = 11;
    for (int k = 1; k <= 9; ++k) state.loaded().fields.bodyColourCode[std::size_t(k)] = TablePaletteCode(k);
    state.loaded().fields.bodyColourCode[10] = 10;  // a classic code in a table configuration
    state.loaded().fields.bodyColourCode[11] = 22;  // past the palette
    ResolveBodyColours(state.loaded());
    for (int k = 1; k <= 9; ++k) EXPECT_EQ(state.loaded().bodyColour[std::size_t(k)], expected[k - 1]) << k;
    EXPECT_EQ(state.loaded().bodyColour[10], 0x0000F0u);
    EXPECT_EQ(state.loaded().bodyColour[11], 0xC8C8C8u);
    // A classic configuration's codes past 13 stay grey.
    state.loaded().fields.dataFormat = DataFormat::Stream;
    ResolveBodyColours(state.loaded());
    EXPECT_EQ(state.loaded().bodyColour[1], 0xC8C8C8u);
}

}  // namespace
