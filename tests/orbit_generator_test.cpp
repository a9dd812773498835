// orbivex-gen: elements to state, the integrator's accuracy, the writer's
// files as the viewer loads them, and the command line's refusals.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <numbers>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "commands/working_folder.h"
#include "plot/plot_box.h"
#include "simulation/reference_frame.h"
#include "simulation/simulation_writer.h"
#include "test_support.h"
#include "tools/generator.h"
#include "tools/generator_options.h"
#include "tools/nbody_integrator.h"
#include "tools/orbital_elements.h"
#include "viewer_load.h"

namespace {

constexpr double kPi = std::numbers::pi;

double Relative(double value, double reference) { return std::abs(value - reference) / std::abs(reference); }

// ---------------------------------------------------------------- elements

TEST(OrbitalElements, PerihelionOnPlusXWithTheVisVivaSpeed) {
    const double a = 2.5, e = 0.3, mu = 1.7;
    const BodyState b = StateFromElements(a, e, 0.0, mu);
    EXPECT_NEAR(b.x, a * (1 - e), 1e-15);
    EXPECT_EQ(b.y, 0.0);
    EXPECT_EQ(b.vx, 0.0);
    // Vis-viva at perihelion: v^2 = mu (2 / r - 1 / a) = mu (1 + e) / (a (1 - e)), counter-clockwise.
    EXPECT_NEAR(b.vy, std::sqrt(mu * (1 + e) / (a * (1 - e))), 1e-15);
    EXPECT_EQ(b.mass, 0.0);
}

TEST(OrbitalElements, AnyPhaseLiesOnTheEllipseWithTheVisVivaSpeed) {
    const double a = 3.0, e = 0.6, mu = 2.0;
    const double p = a * (1 - e * e);
    for (const double phase : {0.0, 30.0, 90.0, 135.0, 180.0, 250.0, -60.0, 359.0}) {
        SCOPED_TRACE(phase);
        const BodyState b = StateFromElements(a, e, phase, mu);
        const double nu = phase * kPi / 180.0;
        const double r = std::hypot(b.x, b.y);
        EXPECT_NEAR(r, p / (1 + e * std::cos(nu)), 1e-14);
        EXPECT_NEAR(std::remainder(std::atan2(b.y, b.x) - nu, 2 * kPi), 0.0, 1e-14);
        EXPECT_NEAR(b.vx * b.vx + b.vy * b.vy, mu * (2 / r - 1 / a), 1e-14);
        EXPECT_NEAR(SpecificEnergy(b, mu), -mu / (2 * a), 1e-14);
        EXPECT_NEAR(SpecificAngularMomentum(b), std::sqrt(mu * p), 1e-14);  // > 0: counter-clockwise
    }
    const BodyState aphelion = StateFromElements(a, e, 180.0, mu);
    EXPECT_NEAR(aphelion.x, -a * (1 + e), 1e-14);
    EXPECT_NEAR(aphelion.vy, -std::sqrt(mu * (1 - e) / (a * (1 + e))), 1e-14);
}

// -------------------------------------------------------------- integrator

TEST(NBodyIntegrator, KeplerEllipseKeepsEnergyAndAngularMomentumOverAHundredOrbits) {
    const BodyState start = StateFromElements(1.0, 0.6, 0.0, 1.0);
    NBodyIntegrator system({start}, 1.0, false);
    const double e0 = SpecificEnergy(start, 1.0), l0 = SpecificAngularMomentum(start);
    const double dt = 0.002;
    const auto steps = int64_t(std::ceil(100 * KeplerPeriod(1.0, 1.0) / dt));
    double worstEnergy = 0, worstMomentum = 0;
    for (int64_t k = 0; k < steps; ++k) {
        system.Step(dt);
        const BodyState& b = system.bodies()[0];
        worstEnergy = std::max(worstEnergy, Relative(SpecificEnergy(b, 1.0), e0));
        worstMomentum = std::max(worstMomentum, Relative(SpecificAngularMomentum(b), l0));
    }
    EXPECT_LT(worstEnergy, 1e-8);
    EXPECT_LT(worstMomentum, 1e-8);
}

/// Distance from the start after one period of the e = 0.6 ellipse in `steps` steps.
double KeplerReturnError(int steps) {
    const BodyState start = StateFromElements(1.0, 0.6, 0.0, 1.0);
    NBodyIntegrator system({start}, 1.0, false);
    const double dt = KeplerPeriod(1.0, 1.0) / steps;
    for (int k = 0; k < steps; ++k) system.Step(dt);
    return std::hypot(system.bodies()[0].x - start.x, system.bodies()[0].y - start.y);
}

TEST(NBodyIntegrator, IsOfFourthOrder) {
    // Halving the step divides the error by 2^4 = 16.
    const double ratio = KeplerReturnError(1000) / KeplerReturnError(2000);
    EXPECT_GT(ratio, 13.0);
    EXPECT_LT(ratio, 19.0);
}

std::vector<BodyState> FigureEight() {
    const double vx3 = -0.93240737, vy3 = -0.86473146;
    return {{0.97000436, -0.24308753, -vx3 / 2, -vy3 / 2, 1.0},
            {-0.97000436, 0.24308753, -vx3 / 2, -vy3 / 2, 1.0},
            {0.0, 0.0, vx3, vy3, 1.0}};
}

TEST(NBodyIntegrator, FigureEightReturnsToItsStartAfterOnePeriod) {
    const std::vector<BodyState> start = FigureEight();
    NBodyIntegrator system(start, 0.0, true);
    const double period = 6.32591398;
    const int steps = 3000;
    const double e0 = system.TotalEnergy(), l0 = system.TotalAngularMomentum();
    for (int k = 0; k < steps; ++k) system.Step(period / steps);
    for (std::size_t i = 0; i < start.size(); ++i) {
        SCOPED_TRACE(i);
        const BodyState& b = system.bodies()[i];
        EXPECT_NEAR(b.x, start[i].x, 1e-6);
        EXPECT_NEAR(b.y, start[i].y, 1e-6);
        EXPECT_NEAR(b.vx, start[i].vx, 1e-6);
        EXPECT_NEAR(b.vy, start[i].vy, 1e-6);
    }
    EXPECT_LT(Relative(system.TotalEnergy(), e0), 1e-9);
    EXPECT_NEAR(system.TotalAngularMomentum(), l0, 1e-12);  // l0 is about 0
}

TEST(NBodyIntegrator, MassesMatterOnlyWithMutualForces) {
    const std::vector<BodyState> start = {{1, 0, 0, 1, 0.5}, {-1.5, 0, 0, -0.8, 0.5}};
    NBodyIntegrator alone(start, 1.0, false), together(start, 1.0, true);
    NBodyIntegrator first({start[0]}, 1.0, false);
    for (int k = 0; k < 100; ++k) {
        alone.Step(0.01);
        together.Step(0.01);
        first.Step(0.01);
    }
    EXPECT_EQ(alone.bodies()[0].x, first.bodies()[0].x);
    EXPECT_EQ(alone.bodies()[0].y, first.bodies()[0].y);
    EXPECT_GT(std::abs(together.bodies()[0].x - first.bodies()[0].x), 1e-3);
}

// ------------------------------------------------------------ default step

TEST(DefaultStep, KeepsTheEnergyOfAnyEllipseToOneHundredMillionth) {
    for (const auto& [e, phase] : {std::pair{0.0, 0.0}, {0.6, 90.0}, {0.9, 180.0}, {0.99, 0.0}}) {
        SCOPED_TRACE(e);
        const std::string planet = "1," + FormatReal(e) + "," + FormatReal(phase);
        const ParsedCommandLine p = ParseGeneratorOptions({"--planet", planet, "x.ovx"});
        ASSERT_EQ(p.kind, ParsedCommandLine::Kind::Run) << p.error;
        const GeneratorOptions& o = p.options;
        // Not eccentric enough to need a shorter step: the step and rows of before.
        if (e <= 0.6) {
            EXPECT_EQ(o.dt, 0.001);
            EXPECT_EQ(o.every, 10);
        }
        // The rows stay about 0.01 apart, so the run still spans about 20.
        EXPECT_NEAR(o.dt * o.every, 0.01, 1e-5);
        NBodyIntegrator system(o.bodies, o.sunMass, o.mutual);
        const double e0 = SpecificEnergy(o.bodies[0], 1.0);
        double worst = 0;
        for (int64_t k = 0; k < int64_t(o.rows - 1) * o.every; ++k) {
            system.Step(o.dt);
            worst = std::max(worst, Relative(SpecificEnergy(system.bodies()[0], 1.0), e0));
        }
        EXPECT_LT(worst, 1e-8) << "dt " << o.dt;
    }
}

// -------------------------------------------------------------------- files

struct ViewerLoad : ViewerLoadTest {
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }
};

TEST_F(ViewerLoad, WhatTheWriterWritesReadsBackExactly) {
    const double awkward[] = {0.1,
                              1.0 / 3.0,
                              -2.0 / 3.0,
                              kPi,
                              -0.0,
                              0.0,
                              5e-324,
                              2.2250738585072014e-308,
                              1.7976931348623157e308,
                              -1e-300,
                              123456789.12345679,
                              std::nextafter(1.0, 2.0),
                              std::nextafter(1.0, 0.0),
                              9007199254740993.0,
                              -4.9406564584124654e-320};
    const int bodies = 2, columns = 2 * bodies + 1, rows = 40;
    std::vector<std::vector<double>> table;
    for (int r = 0; r < rows; ++r) {
        std::vector<double> row(columns);
        for (int c = 0; c < columns; ++c)
            row[c] = awkward[(r * columns + c) % std::size(awkward)] * (r % 3 + 1);
        table.push_back(row);
    }
    const std::string ovx = dir.path() + "/round.ovx";
    SimulationWriter writer;
    std::string error;
    ASSERT_TRUE(writer.Open(ovx, error)) << error;
    for (const auto& row : table) ASSERT_TRUE(writer.WriteRow(row.data(), row.size(), error)) << error;
    ConfigurationFields fields;
    fields.dataPath = writer.dataFileName();
    fields.lineCount = rows;
    fields.bodyCount = bodies;
    fields.bodySize = {0, 4, 0};
    fields.bodyColourCode = {0, 10, 13};
    fields.box = {-1.0 / 3.0, -0.1, 2.0 / 3.0, 1e-300};
    fields.frameDelayMs = 7;
    fields.step = 2;
    fields.pointsPerOrbit = 11;
    fields.sunSize = 0;
    fields.drawAxes = 1;
    ASSERT_TRUE(writer.Commit(fields, error)) << error;
    EXPECT_EQ(Files(), (std::vector<std::string>{"round.dat", "round.ovx"}));

    ASSERT_EQ(Load(ovx), 1);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    EXPECT_TRUE(host.notes.empty()) << host.notes.front();
    EXPECT_EQ(state.loaded().fields.lineCount, rows);
    EXPECT_EQ(state.loaded().fields.bodyCount, bodies);
    EXPECT_EQ(state.loaded().fields.bodySize[1], 4);
    EXPECT_EQ(state.loaded().fields.bodySize[2], 0);
    EXPECT_EQ(state.loaded().fields.bodyColourCode[1], 10);
    EXPECT_EQ(state.loaded().fields.bodyColourCode[2], 13);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Bits(state.loaded().fields.box[i]), Bits(fields.box[i])) << i;
    EXPECT_EQ(state.playback.delayMs, 7);
    EXPECT_EQ(state.playback.step, 2);
    EXPECT_EQ(state.view.trailLength, 11);
    EXPECT_EQ(state.loaded().fields.startRow, 0);
    EXPECT_EQ(state.loaded().fields.sunSize, 0);
    EXPECT_EQ(state.loaded().fields.drawAxes, 1);
    EXPECT_EQ(state.loaded().fields.drawPlanets, 1);
    EXPECT_EQ(state.loaded().fields.drawOrbits, 1);
    ASSERT_TRUE(state.loaded().rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
            ASSERT_EQ(Bits(state.loaded().rows->value(r, c)), Bits(table[r][c]))
                << "row " << r << " column " << c;
}

TEST_F(ViewerLoad, AnUncommittedWriterLeavesNothing) {
    {
        SimulationWriter writer;
        std::string error;
        ASSERT_TRUE(writer.Open(dir.path() + "/gone.ovx", error)) << error;
        const double row[] = {0, 1, 2};
        ASSERT_TRUE(writer.WriteRow(row, 3, error));
        EXPECT_EQ(Files().size(), 1u);  // the temporary data file
    }
    EXPECT_TRUE(Files().empty());
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int RunTool(const std::vector<std::string>& args, std::string* out = nullptr, std::string* err = nullptr) {
    std::ostringstream o, e;
    const int status = RunGenerator(args, o, e);
    if (out) *out = o.str();
    if (err) *err = e.str();
    return status;
}

TEST_F(ViewerLoad, GeneratedPlanetsLoadWithTheIntegratorsExactNumbers) {
    const std::string ovx = dir.path() + "/kepler.ovx";
    std::string out, err;
    ASSERT_EQ(RunTool({"--planet", "1,0.6", "--planet", "2,0.1,45", "--rows", "700", "--every", "10", ovx},
                      &out, &err),
              0)
        << err;
    EXPECT_EQ(err, "");
    EXPECT_NE(out.find("wrote"), std::string::npos);
    EXPECT_EQ(Files(), (std::vector<std::string>{"kepler.dat", "kepler.ovx"}));

    ASSERT_EQ(Load(ovx), 1);
    EXPECT_TRUE(host.messages.empty()) << host.messages.front();
    EXPECT_TRUE(host.notes.empty()) << host.notes.front();
    EXPECT_EQ(state.loaded().fields.dataPath, "kepler.dat");
    EXPECT_EQ(state.loaded().fields.lineCount, 700);
    EXPECT_EQ(state.loaded().fields.bodyCount, 2);
    EXPECT_EQ(state.loaded().fields.bodySize[1], 3);
    EXPECT_EQ(state.loaded().fields.bodyColourCode[1], 10);
    EXPECT_EQ(state.loaded().fields.bodyColourCode[2], 5);
    EXPECT_EQ(state.loaded().fields.sunSize, 6);
    EXPECT_EQ(state.playback.delayMs, 20);
    EXPECT_EQ(state.playback.step, 1);

    // The same integration, row for row, bit for bit.
    NBodyIntegrator system({StateFromElements(1, 0.6, 0, 1), StateFromElements(2, 0.1, 45, 1)}, 1.0, false);
    double farthest = 0;
    for (int r = 0; r < 700; ++r) {
        if (r > 0)
            for (int k = 0; k < 10; ++k) system.Step(0.001);
        ASSERT_EQ(Bits(state.loaded().rows->value(r, 0)), Bits(r * 10 * 0.001)) << r;
        for (int b = 0; b < 2; ++b) {
            ASSERT_EQ(Bits(state.loaded().rows->value(r, 1 + 2 * b)), Bits(system.bodies()[b].x)) << r;
            ASSERT_EQ(Bits(state.loaded().rows->value(r, 2 + 2 * b)), Bits(system.bodies()[b].y)) << r;
            farthest = std::max({farthest, std::abs(system.bodies()[b].x), std::abs(system.bodies()[b].y)});
        }
    }
    // A square about the origin with at least a 10 % margin, rounded up only a little.
    const double half = state.loaded().fields.box[2];
    EXPECT_EQ(state.loaded().fields.box[0], -half);
    EXPECT_EQ(state.loaded().fields.box[1], -half);
    EXPECT_EQ(state.loaded().fields.box[3], half);
    EXPECT_GE(half, 1.1 * farthest);
    EXPECT_LE(half, 1.2 * farthest);
    // The outer planet (period 2 pi 2^1.5, about 1777 rows) never goes round
    // in 700 rows: half the rows are left to play.
    EXPECT_EQ(state.view.trailLength, 349);
}

TEST_F(ViewerLoad, DefaultTrailIsAboutOneOrbitOfTheSlowestBody) {
    const std::string ovx = dir.path() + "/one.ovx";
    ASSERT_EQ(RunTool({"--planet", "1,0.6", "--planet", "0.5,0", ovx}), 0);
    ASSERT_EQ(Load(ovx), 1);
    EXPECT_NEAR(state.view.trailLength, 2 * kPi / 0.01,
                2.0);                              // the outer planet's period in rows
    EXPECT_EQ(state.loaded().fields.box[2], 1.8);  // aphelion 1.6, plus 10 %, rounded up

    // The figure-eight never turns about its centre, but comes back.
    const std::vector<BodyState> eight = FigureEight();
    std::vector<std::string> args = {"--sun-mass", "0",  "--mutual", "--dt", "0.0005",
                                     "--every",    "20", "--rows",   "1000"};
    for (const BodyState& b : eight)
        args.insert(args.end(), {"--body", FormatReal(b.x) + "," + FormatReal(b.y) + "," + FormatReal(b.vx) +
                                               "," + FormatReal(b.vy) + ",1"});
    const std::string eightOvx = dir.path() + "/eight.ovx";
    args.push_back(eightOvx);
    ASSERT_EQ(RunTool(args), 0);
    ASSERT_EQ(Load(eightOvx), 1);
    EXPECT_NEAR(state.view.trailLength, 6.32591398 / 0.01, 2.0);
    EXPECT_EQ(state.loaded().fields.sunSize, 0);
}

TEST_F(ViewerLoad, NamesUnitsAndTitleReachTheViewer) {
    const std::string ovx = dir.path() + "/named.ovx";
    ASSERT_EQ(RunTool({"--planet", "1,0", "--planet", "1.5,0.1", "--names", "Earth,Mars", "--time-unit", "yr",
                       "--length-unit", "AU", "--title", "Two of the inner planets", ovx}),
              0);
    ASSERT_EQ(Load(ovx), 1);
    EXPECT_EQ(state.loaded().fields.bodyNames, (std::vector<std::string>{"Earth", "Mars"}));
    EXPECT_EQ(state.loaded().fields.timeUnit, "yr");
    EXPECT_EQ(state.loaded().fields.lengthUnit, "AU");
    EXPECT_EQ(plot.title, "Two of the inner planets");
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--names", "Earth"}, {"--names", "Earth,"}, {"--names", "Earth,Red planet"}}) {
        std::vector<std::string> args = {"--planet", "1,0", "--planet", "1.5,0"};
        args.insert(args.end(), bad.begin(), bad.end());
        args.push_back(dir.path() + "/bad.ovx");
        EXPECT_EQ(RunTool(args), 2) << bad.back();
    }
}

TEST_F(ViewerLoad, MassesReachTheViewerWhenTheBodiesHaveThem) {
    // The sun's mass and then each body's as the barycentre weighs them; none
    // without masses, and then no line about them either.
    const struct {
        std::vector<std::string> args;
        std::vector<double> weighed;
    } cases[] = {
        {{"--planet", "1,0", "--body", "2,0,0,0.7"}, {}},
        {{"--mutual", "--planet", "1,0", "--body", "2,0,0,0.7"}, {1, 0, 0}},
        {{"--planet", "1,0,0,0.3333333333333333", "--body", "2,0,0,0.7,1e-5"}, {1, 1.0 / 3, 1e-5}},
        {{"--sun-mass", "2.5", "--planet", "1,0,0,1e-3", "--planet", "2,0"}, {2.5, 1e-3, 0}},
        {{"--sun-mass", "0", "--mutual", "--body", "1,0,0,0.5,1", "--body", "-1,0,0,-0.5,1"}, {0, 1, 1}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back(dir.path() + "/weighed.ovx");
        ASSERT_EQ(RunTool(args), 0) << args[1];
        ASSERT_EQ(Load(args.back()), 1);
        EXPECT_EQ(FrameMasses(state.loaded()), c.weighed) << args[1];
        EXPECT_EQ(state.loaded().fields.massProblem, "");
        // With G = 1 the sun's mass is mu; no sun, no mu.
        const auto sunMass = std::find(args.begin(), args.end(), "--sun-mass");
        const double mu = sunMass == args.end() ? 1 : std::stod(*(sunMass + 1));
        EXPECT_EQ(state.loaded().fields.gm, mu > 0 ? std::optional<double>(mu) : std::nullopt) << args[1];
        if (c.weighed.empty()) {
            EXPECT_EQ(Slurp(args.back()).find("mass"), std::string::npos);
        }
    }
}

// ------------------------------------------------------------- command line

struct BadCase {
    const char* why;
    std::vector<std::string> args;  // "OUT" stands for a good output path
};

TEST_F(ViewerLoad, BadCommandLinesGiveOneLineAndStatusTwoAndWriteNothing) {
    std::vector<std::string> tooMany;
    for (int k = 1; k <= 31; ++k) tooMany.insert(tooMany.end(), {"--planet", std::to_string(k) + ",0"});
    tooMany.push_back("OUT");

    const std::vector<BadCase> cases = {
        {"unknown option", {"--planet", "1,0", "--frobnicate", "OUT"}},
        {"unknown short option", {"-x", "--planet", "1,0", "OUT"}},
        {"value missing", {"OUT", "--planet"}},
        {"flag with a value", {"--mutual=yes", "--planet", "1,0", "OUT"}},
        {"not a number", {"--planet", "1,x", "OUT"}},
        {"empty list item", {"--planet", "1,,0", "OUT"}},
        {"trailing comma", {"--planet", "1,0.5,", "OUT"}},
        {"too few values", {"--planet", "1", "OUT"}},
        {"too many values", {"--planet", "1,0.5,3,4,5", "OUT"}},
        {"negative planet mass", {"--planet", "1,0.5,3,-4", "OUT"}},
        {"number with junk", {"--planet", "1.5abc,0", "OUT"}},
        {"body too short", {"--body", "1,0,0", "OUT"}},
        {"body too long", {"--body", "1,0,0,1,1,1", "OUT"}},
        {"infinite value", {"--body", "inf,0,0,1", "OUT"}},
        {"e = 1", {"--planet", "1,1", "OUT"}},
        {"e > 1", {"--planet", "1,1.5", "OUT"}},
        {"e < 0", {"--planet", "1,-0.1", "OUT"}},
        {"a = 0", {"--planet", "0,0.5", "OUT"}},
        {"a < 0", {"--planet", "-1,0.5", "OUT"}},
        {"no bodies", {"OUT"}},
        {"31 bodies", tooMany},
        {"dt = 0", {"--dt", "0", "--planet", "1,0", "OUT"}},
        {"dt < 0", {"--dt", "-0.001", "--planet", "1,0", "OUT"}},
        {"dt nan", {"--dt", "nan", "--planet", "1,0", "OUT"}},
        {"dt inf", {"--dt=inf", "--planet", "1,0", "OUT"}},
        {"dt huge", {"--dt", "1e308", "--planet", "1,0", "OUT"}},
        {"rows 1", {"--rows", "1", "--planet", "1,0", "OUT"}},
        {"rows beyond 32 bits", {"--rows", "4294967296", "--planet", "1,0", "OUT"}},
        {"rows not whole", {"--rows", "2.5", "--planet", "1,0", "OUT"}},
        {"every 0", {"--every", "0", "--planet", "1,0", "OUT"}},
        {"rows x every beyond 32 bits", {"--rows", "65536", "--every", "32768", "--planet", "1,0", "OUT"}},
        {"colours too few", {"--colours", "10", "--planet", "1,0", "--planet", "2,0", "OUT"}},
        {"colours too many", {"--colours", "10,5,4", "--planet", "1,0", "--planet", "2,0", "OUT"}},
        {"colour code 14", {"--colours", "14", "--planet", "1,0", "OUT"}},
        {"colour code -1", {"--colours", "-1", "--planet", "1,0", "OUT"}},
        {"sizes too many", {"--sizes", "3,4", "--planet", "1,0", "OUT"}},
        {"negative size", {"--sizes", "-3", "--planet", "1,0", "OUT"}},
        {"box xmin = xmax", {"--box", "1,-1,1,2", "--planet", "1,0", "OUT"}},
        {"box ymin > ymax", {"--box", "-1,2,1,1", "--planet", "1,0", "OUT"}},
        {"box of three", {"--box", "-1,-1,1", "--planet", "1,0", "OUT"}},
        {"not .ovx", {"--planet", "1,0", "@/run.txt"}},
        {".ovx alone", {"--planet", "1,0", "@/.ovx"}},
        {"white space in the name", {"--planet", "1,0", "@/my run.ovx"}},
        {"no output", {"--planet", "1,0"}},
        {"two outputs", {"--planet", "1,0", "OUT", "@/other.ovx"}},
        {"body on the sun", {"--body", "0,0,1,0", "OUT"}},
        {"body falls into the sun", {"--body", "1,1,-1,-1", "OUT"}},
        {"negative mass", {"--body", "1,0,0,1,-1", "OUT"}},
        {"planet without a sun", {"--planet", "1,0", "--sun-mass", "0", "OUT"}},
        {"negative sun mass", {"--sun-mass", "-1", "--planet", "1,0", "OUT"}},
        {"attracting bodies on one point", {"--mutual", "--body", "1,0,0,1,1", "--body", "1,0,0,-1", "OUT"}},
        {"step above rows", {"--rows", "10", "--step", "11", "--planet", "1,0", "OUT"}},
        {"step 0", {"--step", "0", "--planet", "1,0", "OUT"}},
        {"trail leaves nothing to play", {"--rows", "10", "--trail", "9", "--planet", "1,0", "OUT"}},
        {"negative delay", {"--delay", "-5", "--planet", "1,0", "OUT"}},
        {"orbit that cannot be computed", {"--body", "1e-200,0,0,1", "OUT"}},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.why);
        std::vector<std::string> args;
        for (const std::string& a : c.args)
            args.push_back(a == "OUT"              ? dir.path() + "/run.ovx"
                           : a.rfind("@/", 0) == 0 ? dir.path() + a.substr(1)
                                                   : a);
        std::string out, err;
        EXPECT_EQ(RunTool(args, &out, &err), kExitBadInput);
        EXPECT_EQ(out, "");
        EXPECT_EQ(err.rfind("orbivex-gen: ", 0), 0u) << err;
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_EQ(err.back(), '\n');
        EXPECT_TRUE(Files().empty()) << Files().front();
    }
}

TEST_F(ViewerLoad, AFileThatCannotBeWrittenGivesStatusOneAndLeavesNothing) {
    std::string err;
    EXPECT_EQ(RunTool({"--planet", "1,0", dir.path() + "/missing/run.ovx"}, nullptr, &err), kExitWriteFailed);
    EXPECT_EQ(err.rfind("orbivex-gen: cannot write ", 0), 0u) << err;
    EXPECT_TRUE(Files().empty());

    // The configuration's name is taken by a folder: the data file, written
    // first, is taken away again.
    std::filesystem::create_directory(dir.path() + "/run.ovx");
    EXPECT_EQ(RunTool({"--planet", "1,0", dir.path() + "/run.ovx"}, nullptr, &err), kExitWriteFailed);
    EXPECT_EQ(err.rfind("orbivex-gen: cannot write ", 0), 0u) << err;
    EXPECT_EQ(Files(), std::vector<std::string>{"run.ovx"});
}

TEST_F(ViewerLoad, AFolderInTheConfigurationsPlaceLeavesTheDataFileThereUntouched) {
    dir.write("run.dat", "0 1 0\n");
    std::filesystem::create_directory(dir.path() + "/run.ovx");
    std::string err;
    EXPECT_EQ(RunTool({"--planet", "1,0", dir.path() + "/run.ovx"}, nullptr, &err), kExitWriteFailed);
    EXPECT_EQ(err, "orbivex-gen: cannot write " + dir.path() + "/run.ovx: Is a directory\n");
    EXPECT_EQ(Files(), (std::vector<std::string>{"run.dat", "run.ovx"}));
    EXPECT_EQ(Slurp(dir.path() + "/run.dat"), "0 1 0\n");
}

/// Stands in for write(2): fails with "no space" from call `failFrom` (1-based) on.
int gWriteCalls = 0, gFailFrom = 0;
ssize_t FullDiskWrite(int fd, const void* bytes, std::size_t count) {
    if (++gWriteCalls >= gFailFrom) {
        errno = ENOSPC;
        return -1;
    }
    return ::write(fd, bytes, count);
}

TEST_F(ViewerLoad, AFullDiskIsReportedWithItsReasonAndReplacesNothing) {
    dir.write("full.dat", "old data\n");
    dir.write("full.ovx", "old configuration\n");
    const std::string ovx = dir.path() + "/full.ovx";
    // The first write is the data file's, the second the configuration's.
    for (const auto& [failFrom, reported] : {std::pair{1, "/full.dat"}, std::pair{2, "/full.ovx"}}) {
        SCOPED_TRACE(failFrom);
        gWriteCalls = 0;
        gFailFrom = failFrom;
        {
            SimulationWriter writer(FullDiskWrite);
            std::string error;
            ASSERT_TRUE(writer.Open(ovx, error)) << error;
            const double row[] = {0, 1, 2};
            ASSERT_TRUE(writer.WriteRow(row, 3, error)) << error;
            ConfigurationFields fields;
            fields.dataPath = writer.dataFileName();
            EXPECT_FALSE(writer.Commit(fields, error));
            EXPECT_EQ(error, "cannot write " + dir.path() + reported + ": No space left on device");
        }
        EXPECT_EQ(Files(), (std::vector<std::string>{"full.dat", "full.ovx"}));
        EXPECT_EQ(Slurp(dir.path() + "/full.dat"), "old data\n");
        EXPECT_EQ(Slurp(ovx), "old configuration\n");
    }
}

TEST_F(ViewerLoad, AnInterruptedRunLeavesTheFolderAsItWas) {
    dir.write("long.dat", "old data\n");
    dir.write("long.ovx", "old configuration\n");
    const std::string ovx = dir.path() + "/long.ovx";
    for (const int signal : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        // Far more rows than can be written before the signal comes.
        std::vector<std::string> args = {ORBIVEX_GEN_BINARY, "--planet", "1,0.5", "--rows",
                                         "200000000",        "--every",  "1",     ovx};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        // The child starts with the signals' default actions even if this
        // test was started ignoring them.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t defaults;
        sigemptyset(&defaults);
        sigaddset(&defaults, SIGINT);
        sigaddset(&defaults, SIGTERM);
        posix_spawnattr_setsigdefault(&attributes, &defaults);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
        pid_t child = 0;
        ASSERT_EQ(posix_spawn(&child, argv[0], nullptr, &attributes, argv.data(), environ), 0);
        posix_spawnattr_destroy(&attributes);

        // Waits until the rows being written have reached the disk.
        auto temporaryBytes = [&] {
            std::uintmax_t bytes = 0;
            for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
                if (entry.path().filename().string().rfind(".long.dat.", 0) == 0)
                    bytes = std::max(bytes, entry.file_size());
            return bytes;
        };
        for (int wait = 0; wait < 1000 && temporaryBytes() < 1000000; ++wait) usleep(10000);
        EXPECT_GE(temporaryBytes(), 1000000u);
        kill(child, signal);
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(Files(), (std::vector<std::string>{"long.dat", "long.ovx"}));
        EXPECT_EQ(Slurp(dir.path() + "/long.dat"), "old data\n");
        EXPECT_EQ(Slurp(ovx), "old configuration\n");
    }
}

TEST_F(ViewerLoad, AnEnergyDriftFailsWithStatusThreeUnlessAllowed) {
    const std::string ovx = dir.path() + "/drift.ovx";
    const std::vector<std::string> args = {"--planet", "1,0", "--planet", "1,0.99", "--dt", "0.001", ovx};
    std::string out, err;
    EXPECT_EQ(RunTool(args, &out, &err), kExitEnergyDrift);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err.rfind("orbivex-gen: the energy of body 2 drifted by up to ", 0), 0u) << err;
    EXPECT_NE(err.find("use --dt 3e-06 or smaller, or --allow-drift to write the files anyway\n"),
              std::string::npos)
        << err;
    EXPECT_TRUE(Files().empty()) << Files().front();

    std::vector<std::string> allowed = args;
    allowed.insert(allowed.begin(), "--allow-drift");
    EXPECT_EQ(RunTool(allowed, &out, &err), kExitOk);
    EXPECT_EQ(err.rfind("orbivex-gen: warning: the energy of body 2 drifted by up to ", 0), 0u) << err;
    EXPECT_NE(out.find("wrote"), std::string::npos);
    EXPECT_EQ(Files(), (std::vector<std::string>{"drift.dat", "drift.ovx"}));
}

TEST_F(ViewerLoad, APlanetsMassPullsOnTheOthersWithMutualForces) {
    // A heavy inner planet and a massless outer one, then the same without the mass.
    std::vector<std::vector<double>> lastRows;
    for (const char* inner : {"1,0.1,0,0.001", "1,0.1,0,0"}) {
        const std::string ovx = dir.path() + "/pull.ovx";
        std::string err;
        ASSERT_EQ(RunTool({"--mutual", "--planet", inner, "--planet", "1.6,0.2,90", "--rows", "300", ovx},
                          nullptr, &err),
                  0)
            << err;
        ASSERT_EQ(Load(ovx), 1);
        lastRows.push_back({});
        for (int c = 0; c < 5; ++c) lastRows.back().push_back(state.loaded().rows->value(299, c));
    }
    // The inner planet follows the sun alone either way; the outer one is pulled aside.
    EXPECT_EQ(lastRows[0][1], lastRows[1][1]);
    EXPECT_EQ(lastRows[0][2], lastRows[1][2]);
    EXPECT_GT(std::hypot(lastRows[0][3] - lastRows[1][3], lastRows[0][4] - lastRows[1][4]), 1e-4);
}

TEST(CommandLine, HelpNamesEveryOptionAndVersionNamesTheVersion) {
    std::string out, err;
    ASSERT_EQ(RunTool({"--help"}, &out, &err), 0);
    EXPECT_EQ(err, "");
    for (const char* option :
         {"--planet", "--body", "--mutual", "--sun-mass", "--dt", "--rows", "--every", "--sizes", "--colours",
          "--box", "--delay", "--step", "--trail", "--sun ", "--allow-drift", "--help", "--version"})
        EXPECT_NE(out.find(option), std::string::npos) << option;
    EXPECT_NE(out.find("Examples:"), std::string::npos);
    ASSERT_EQ(RunTool({"--version"}, &out, &err), 0);
    EXPECT_EQ(out.rfind("orbivex-gen ", 0), 0u);
}

TEST(CommandLine, OptionsParseIntoTheirFields) {
    const ParsedCommandLine p = ParseGeneratorOptions({"--body=1,2,3,4,5",
                                                       "--planet",
                                                       "2,0.5,90",
                                                       "--mutual",
                                                       "--sun-mass",
                                                       "2",
                                                       "--dt",
                                                       "+0.01",
                                                       "--rows",
                                                       "50",
                                                       "--every",
                                                       "3",
                                                       "--sizes",
                                                       "1,2",
                                                       "--colors",
                                                       " 0 , 13",
                                                       "--box",
                                                       "-1,-2,3,4",
                                                       "--delay",
                                                       "0",
                                                       "--step",
                                                       "5",
                                                       "--trail",
                                                       "48",
                                                       "--sun",
                                                       "9",
                                                       "--",
                                                       "-odd.ovx"});
    ASSERT_EQ(p.kind, ParsedCommandLine::Kind::Run) << p.error;
    const GeneratorOptions& o = p.options;
    ASSERT_EQ(o.bodies.size(), 2u);
    EXPECT_EQ(o.bodies[0].x, 1);
    EXPECT_EQ(o.bodies[0].vy, 4);
    EXPECT_EQ(o.bodies[0].mass, 5);
    const BodyState planet = StateFromElements(2, 0.5, 90, 2);
    EXPECT_EQ(o.bodies[1].y, planet.y);
    EXPECT_EQ(o.bodies[1].vx, planet.vx);
    EXPECT_EQ(o.bodies[1].mass, 0);
    EXPECT_TRUE(o.mutual);
    EXPECT_EQ(o.sunMass, 2);
    EXPECT_EQ(o.dt, 0.01);
    EXPECT_EQ(o.rows, 50);
    EXPECT_EQ(o.every, 3);
    EXPECT_EQ(o.sizes, (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(o.colours, (std::vector<int32_t>{0, 13}));
    ASSERT_TRUE(o.box);
    EXPECT_EQ(*o.box, (std::array<double, 4>{-1, -2, 3, 4}));
    EXPECT_EQ(o.delayMs, 0);
    EXPECT_EQ(o.step, 5);
    EXPECT_EQ(o.trail, 48);
    EXPECT_EQ(o.sunSize, 9);
    EXPECT_EQ(o.outputPath, "-odd.ovx");

    const ParsedCommandLine d =
        ParseGeneratorOptions({"--sun-mass", "0", "--body", "1,0,0,1", "--body", "2,0,0,1", "x.ovx"});
    ASSERT_EQ(d.kind, ParsedCommandLine::Kind::Run) << d.error;
    EXPECT_EQ(d.options.sizes, (std::vector<int32_t>{3, 3}));
    EXPECT_EQ(d.options.colours, (std::vector<int32_t>{10, 5}));
    EXPECT_EQ(d.options.sunSize, 0);
    EXPECT_FALSE(d.options.box);
    EXPECT_FALSE(d.options.trail);
}

TEST(CommandLine, ARadialBodyIsRefusedOnlyWhenItMustFallIntoTheSun) {
    using Kind = ParsedCommandLine::Kind;
    EXPECT_EQ(ParseGeneratorOptions({"--body", "1,0,-0.1,0", "x.ovx"}).kind, Kind::Error);
    EXPECT_EQ(ParseGeneratorOptions({"--body", "1,0,1,0", "x.ovx"}).kind, Kind::Error);  // bound: comes back
    EXPECT_EQ(ParseGeneratorOptions({"--body", "1,0,1.5,0", "x.ovx"}).kind, Kind::Run);  // escapes
    EXPECT_EQ(ParseGeneratorOptions({"--body", "1,0,0,0", "--sun-mass", "0", "x.ovx"}).kind, Kind::Run);
    EXPECT_EQ(
        ParseGeneratorOptions({"--mutual", "--body", "1,0,0,0", "--body", "0,2,0.7,0,0.1", "x.ovx"}).kind,
        Kind::Run);  // pulled aside
    EXPECT_EQ(ParseGeneratorOptions({"--mutual", "--body", "1,0,0,0", "--body", "0,2,0.7,0", "x.ovx"}).kind,
              Kind::Error);  // the other body has no mass
}

TEST(CommandLine, DefaultColoursAreDistinctAndReadable) {
    for (std::size_t k = 0; k < 10; ++k) {
        const int32_t code = DefaultColourCode(k);
        EXPECT_TRUE(code != 0 && code != 6 && code != 7 && code != 9 && code >= 0 && code <= 13) << code;
        for (std::size_t j = 0; j < k; ++j) EXPECT_NE(DefaultColourCode(j), code);
    }
}

}  // namespace
