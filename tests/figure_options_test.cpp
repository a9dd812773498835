// The figure's options on a loaded simulation: the bodies shown (a list read
// and written, a table cut to them and saved with every body), names and
// colours given for the first bodies, and the Bodies dialog's values.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "animation/body_rows.h"
#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "animation/view_request.h"
#include "base/colour_names.h"
#include "plot/plot_box.h"
#include "simulation/body_list.h"
#include "simulation/body_subset.h"
#include "simulation/configuration_reader.h"
#include "simulation/simulation_writer.h"
#include "test_support.h"

namespace {

TEST(BodyList, ReadsNumbersAndRangesAndWritesThemBack) {
    const struct {
        const char* text;
        std::vector<int32_t> bodies;
        const char* written;  // "" when refused
    } cases[] = {
        {"1-4,7", {1, 2, 3, 4, 7}, "1-4,7"},
        {" 7 , 2-3 ,2", {2, 3, 7}, "2,3,7"},
        {"5", {5}, "5"},
        {"1-2,4-6,8", {1, 2, 4, 5, 6, 8}, "1,2,4-6,8"},
        {"", {}, ""},
        {"3-", {}, ""},
        {"-3", {}, ""},
        {"+3", {}, ""},
        {"1.5", {}, ""},
        {"2-1", {}, ""},
        {"99999999999", {}, ""},
    };
    for (const auto& c : cases) {
        std::string problem;
        const auto read = ParseBodyList(c.text, problem);
        EXPECT_EQ(read.has_value(), *c.written != 0) << c.text;
        if (!read) {
            EXPECT_FALSE(problem.empty()) << c.text;
            continue;
        }
        EXPECT_EQ(*read, c.bodies) << c.text;
        EXPECT_EQ(BodyListText(*read), c.written);
    }
}

TEST(Colours, NamesAndHexReadAndHexIsWrittenBack) {
    EXPECT_EQ(ParseColour("#0072b2"), Rgb(0, 0x72, 0xB2));
    EXPECT_EQ(ParseColour("#0072B2"), Rgb(0, 0x72, 0xB2));
    EXPECT_EQ(ParseColour("Gray"), ParseColour("grey"));
    for (const char* bad : {"", "#", "#12345", "#1234567", "#12345g", "reddish", "0x0072b2"})
        EXPECT_FALSE(ParseColour(bad)) << bad;
    for (const ColourRef c : {Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(1, 0x72, 0xfe)})
        EXPECT_EQ(ParseColour(ColourText(c)), c);
}

struct Figure : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;

    /// Loads a configuration of `bodies` bodies named b1, b2, ... with masses.
    void Load(int bodies, const std::string& extra = {}) {
        InitialiseDefaults(state, plot);
        dir.write("run.dat", DataText(20, bodies));
        std::string names = "names =", masses = "masses =";
        for (int k = 1; k <= bodies; ++k)
            names += " b" + std::to_string(k), masses += " " + std::to_string(k);
        ASSERT_EQ(LoadSimulation(state, plot, host,
                                 dir.write("run.ovx", ConfigText(dir.path() + "/run.dat", 20, bodies) +
                                                          names + "\n" + masses + "\n" + extra)),
                  1);
    }
};

TEST_F(Figure, TheBodiesShownAreCutFromTheDataAndASaveKeepsEveryBody) {
    Load(5);
    ASSERT_TRUE(ApplyFigure(state, plot, {.names = {"One"}, .colours = {Rgb(1, 2, 3)}}).empty());
    ASSERT_TRUE(ApplyFigure(state, plot, {.bodies = {2, 4, 5}}).empty());
    const LoadedSimulation& l = state.loaded();
    EXPECT_EQ(l.usableBodies(), 3);
    EXPECT_EQ(l.fields.bodyNames, (std::vector<std::string>{"b2", "b4", "b5"}));
    EXPECT_EQ(l.fields.bodyMasses, (std::vector<double>{2, 4, 5}));
    for (int k = 1; k <= 3; ++k) {
        const int inData = std::vector{2, 4, 5}[std::size_t(k - 1)];
        EXPECT_EQ(l.rows->track(k, 7)[0], 7 + inData / 10.0);
        EXPECT_EQ(l.rows->track(k, 7)[1], -7 - inData / 10.0);
    }
    // A second cut counts in the bodies shown; the data's numbers are kept.
    ASSERT_TRUE(ApplyFigure(state, plot, {.names = {"Two"}, .bodies = {1, 3}}).empty());
    EXPECT_EQ(l.fields.shownBodies, (std::vector<int32_t>{2, 5}));
    EXPECT_EQ(ApplyFigure(state, plot, {.bodies = {3}}), "--bodies: no body 3: the data has 2");

    // Saved, the configuration names every body and opens as shown.
    ConfigurationFields saved = FieldsOfEveryBody(l);
    EXPECT_EQ(saved.bodyCount, 5);
    EXPECT_EQ(saved.bodyNames, (std::vector<std::string>{"One", "Two", "b3", "b4", "b5"}));
    EXPECT_EQ(saved.bodyColours.size(), 5u);
    EXPECT_EQ(saved.bodyColours[0], Rgb(1, 2, 3));
    SimulationState again;
    PlotBox againPlot;
    InitialiseDefaults(again, againPlot);
    ASSERT_EQ(LoadSimulation(again, againPlot, host, dir.write("saved.ovx", ConfigurationText(saved))), 1);
    EXPECT_EQ(again.loaded().fields.shownBodies, l.fields.shownBodies);
    EXPECT_EQ(again.loaded().fields.bodyNames, l.fields.bodyNames);
    EXPECT_EQ(again.loaded().fields.bodyMasses, l.fields.bodyMasses);
    EXPECT_EQ(std::vector(again.loaded().bodyColour.begin(), again.loaded().bodyColour.begin() + 3),
              std::vector(l.bodyColour.begin(), l.bodyColour.begin() + 3));
    EXPECT_EQ(again.loaded().rows->track(2, 19)[0], l.rows->track(2, 19)[0]);
}

TEST_F(Figure, AListThatCannotBeShownLeavesEveryBodyWithANote) {
    Load(2, "bodies shown = 1,9\n");
    EXPECT_EQ(state.loaded().usableBodies(), 2);
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_EQ(host.notes[0],
              "Every body is shown: the bodies asked for cannot be (no body 9: the data has 2)");
}

TEST_F(Figure, TooManyNamesOrColoursChangeNothing) {
    Load(2);
    const ConfigurationFields before = state.loaded().fields;
    EXPECT_EQ(ApplyFigure(state, plot, {.title = "T", .names = {"a", "b", "c"}}),
              "--names gives 3 names for 2 bodies");
    EXPECT_EQ(ApplyFigure(state, plot, {.title = "T", .colours = std::vector<ColourRef>(3)}),
              "--colours gives 3 colours for 2 bodies");
    EXPECT_EQ(state.loaded().fields, before);
    EXPECT_TRUE(ApplyFigure(state, plot, {.sunOn = true}).empty());
    EXPECT_GT(state.loaded().fields.sunSize, 0);
}

TEST_F(Figure, TheBodiesDialogsValues) {
    Load(3);
    std::vector<BodyRow> rows = BodyRowsOf(state);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].name, "b3");
    rows[0].name = "has blank";
    EXPECT_EQ(ApplyBodyRows(state, plot, rows), "The name of body 1 holds a blank: a name is one word");
    rows[0].name = "";
    for (BodyRow& row : rows) row.shown = false;
    EXPECT_EQ(ApplyBodyRows(state, plot, rows), "No body is shown: at least one must be");
    rows[1].shown = true, rows[1].colour = Rgb(9, 9, 9);
    ASSERT_EQ(ApplyBodyRows(state, plot, rows), "");
    EXPECT_EQ(state.loaded().usableBodies(), 1);
    EXPECT_EQ(state.loaded().bodyColour[1], Rgb(9, 9, 9));
    EXPECT_EQ(state.loaded().fields.bodyNames, (std::vector<std::string>{"b2"}));
}

}  // namespace
