// A document seen on a plane or by a turned camera: the positions projected
// from those read, never by reading the file again, and the values read
// out in space.
#include "animation/view_projection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>
#include <sstream>

#include "animation/frame_view.h"
#include "animation/point_readout.h"
#include "animation/simulation_state.h"
#include "animation/startup_defaults.h"
#include "animation/table_loading.h"
#include "plot/plot_box.h"
#include "simulation/body_subset.h"
#include "simulation/data_extent.h"
#include "test_support.h"

namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr double kObliquity = 23.4392911 * kDegree;

/// Body k on a circle of radius k inclined by inclinations[k - 1] degrees
/// (its node on x), once round in 200 rows, in ecliptic axes; written in
/// equatorial axes when `equatorial`.
std::string InclinedCircles(const std::vector<double>& inclinations, bool equatorial) {
    std::ostringstream out;
    out.precision(17);
    out << "t";
    for (std::size_t k = 1; k <= inclinations.size(); ++k)
        out << ",b" << k << "_x,b" << k << "_y,b" << k << "_z";
    out << "\n";
    for (int r = 0; r < 300; ++r) {
        out << r * 0.01;
        for (std::size_t k = 1; k <= inclinations.size(); ++k) {
            const double u = 2 * std::numbers::pi * r / 200, i = inclinations[k - 1] * kDegree;
            const double x = k * std::cos(u), y = k * std::sin(u) * std::cos(i),
                         z = k * std::sin(u) * std::sin(i);
            const double ye = equatorial ? std::cos(kObliquity) * y - std::sin(kObliquity) * z : y;
            const double ze = equatorial ? std::sin(kObliquity) * y + std::cos(kObliquity) * z : z;
            out << ',' << x << ',' << ye << ',' << ze;
        }
        out << "\n";
    }
    return out.str();
}

struct Projection : ::testing::Test {
    SimulationState state;
    PlotBox plot;
    ScriptedHost host;
    TempDir dir;
    void SetUp() override { InitialiseDefaults(state, plot); }

    /// How far body k stands toward the viewer, at most, over the rows.
    double Thickness(int k) const {
        const ViewAxes& axes = state.first().projected.axes;
        double most = 0;
        for (int32_t r = 0; r < state.loaded().usableRows(); ++r) {
            const double* p = state.loaded().rows->track(k, r);
            most = std::max(most, std::fabs(Along(axes, 2, p[0], p[1], state.loaded().depth->at(k, r))));
        }
        return most;
    }
};

TEST_F(Projection, ThePlaneShownChangesWithoutReadingTheFileAgainKeepingRowAndBodies) {
    const std::string path = dir.write("space.csv", InclinedCircles({0, 30, 60}, false));
    ASSERT_EQ(LoadTable(state, plot, host, path, TablePlane::XY), 1);
    ASSERT_EQ(KeepBodies(state.loaded(), {1, 3}), "");
    state.playback.position = 77;
    std::filesystem::remove(path);  // nothing can be read again
    const std::array<double, 4> flatBox = DataBox(*state.loaded().rows, 300, 2);
    ASSERT_EQ(ChooseViewPlane(state, plot, TablePlane::XZ), "");
    EXPECT_EQ(state.playback.position, 77);
    EXPECT_EQ(state.loaded().usableBodies(), 2);
    const double* shown = state.shownRows()->track(2, 77);
    EXPECT_EQ(shown[0], state.loaded().rows->track(2, 77)[0]);
    EXPECT_EQ(shown[1], state.loaded().depth->at(2, 77));
    // The box and trail of a table are inferred from what the plane shows.
    EXPECT_NE(state.loaded().fields.box, flatBox);
    EXPECT_NEAR(plot.yMax, state.loaded().fields.box[3], 1e-12);
    // Back on xy: the data's own rows are shown again.
    ASSERT_EQ(ChooseViewPlane(state, plot, TablePlane::XY), "");
    EXPECT_EQ(state.shownRows(), state.loaded().rows.get());
    EXPECT_EQ(state.loaded().fields.box, flatBox);
}

TEST_F(Projection, TheEclipticOfEquatorialDataPutsEveryOrbitAtItsInclination) {
    ASSERT_EQ(LoadTable(state, plot, host, dir.write("eq.csv", InclinedCircles({0, 7, 3.4}, true)),
                        ViewPlane(ViewPlane::Kind::Ecliptic)),
              1);
    ASSERT_TRUE(state.first().projectedShown());
    EXPECT_LT(Thickness(1), 1e-12);  // the Earth's orbit flat to far below a pixel
    EXPECT_NEAR(Thickness(2), 2 * std::sin(7 * kDegree), 1e-3);
    EXPECT_NEAR(Thickness(3), 3 * std::sin(3.4 * kDegree), 1e-3);
    // Seen in the equator instead, the flat orbit stands at the obliquity.
    ASSERT_EQ(ChooseViewPlane(state, plot, TablePlane::XY), "");
    ASSERT_EQ(ChooseViewPlane(state, plot, ViewPlane(ViewPlane::Kind::Ecliptic)), "");
    EXPECT_LT(Thickness(1), 1e-12);
}

TEST_F(Projection, ABodysOrbitSeenFromItsPlaneIsALineFromEveryAzimuth) {
    ASSERT_EQ(
        LoadTable(state, plot, host, dir.write("s.csv", InclinedCircles({10, 40}, false)), TablePlane::XY),
        1);
    ASSERT_EQ(ChooseViewPlane(state, plot, ViewPlane(ViewPlane::Kind::Orbit, 2)), "");
    EXPECT_LT(Thickness(2), 1e-9);
    for (const double azimuth : {0.0, 37.0, 90.0, 200.0}) {
        TurnView(state, {azimuth, 0, 0});
        double most = 0;
        for (int32_t r = 0; r < state.loaded().usableRows(); ++r)
            most = std::max(most, std::fabs(state.shownRows()->track(2, r)[1]));
        EXPECT_LT(most, 1e-9) << azimuth;  // edge-on: nothing up or down
    }
    EXPECT_EQ(ChooseViewPlane(state, plot, ViewPlane(ViewPlane::Kind::Orbit, 5)),
              "no body 5: the bodies are 1 to 2");
    EXPECT_EQ(ChooseViewPlane(state, plot, ViewPlane(ViewPlane::Kind::Invariable)),
              "the invariable plane needs the bodies' masses: give --masses M1,M2,... (and --sun-mass M), or "
              "a line "
              "\"masses = ...\" in the configuration, or a line \"# masses = ...\" above a table's rows");
    EXPECT_EQ(state.loaded().fields.plane, ViewPlane(ViewPlane::Kind::Orbit, 2));  // kept when refused
}

TEST_F(Projection, TheInvariablePlaneIsNormalToTheSystemsAngularMomentum) {
    // Two bodies of masses 1 and 3 inclined 10 and 40 degrees with one node:
    // their momentum lies in the y-z plane, inclined between them, nearer
    // the heavier body's.
    ASSERT_EQ(
        LoadTable(state, plot, host, dir.write("s.csv", InclinedCircles({10, 40}, false)), TablePlane::XY),
        1);
    state.loaded().fields.sunMass = 1000;
    state.loaded().fields.bodyMasses = {1, 3};
    ASSERT_EQ(ChooseViewPlane(state, plot, ViewPlane(ViewPlane::Kind::Invariable)), "");
    const auto& normal = state.view.planeAxes.m[2];
    EXPECT_NEAR(normal[0], 0, 1e-12);
    const double tilt = std::atan2(-normal[1], normal[2]) / kDegree;
    EXPECT_GT(tilt, 25);
    EXPECT_LT(tilt, 40);
}

TEST_F(Projection, ADragProjectsTheRowsShownAsTheFullProjectionDoesAndTheRestAtItsEnd) {
    ASSERT_EQ(
        LoadTable(state, plot, host, dir.write("s.csv", InclinedCircles({10, 40}, false)), TablePlane::XY),
        1);
    state.view.trailLength = 20;
    const ::Run& run = state.first();
    // Each row made equals the rotation applied to the row read.
    const auto expectRowsMade = [&](const char* when) {
        const ViewAxes axes = AxesShown(state.view);
        const auto [first, last] = run.shownRowSpan();
        for (int32_t r = first; r < last; ++r)
            for (int k = 1; k <= 2; ++k) {
                const double *p = state.loaded().rows->track(k, r), z = state.loaded().depth->at(k, r);
                ASSERT_EQ(state.shownRows()->track(k, r)[0], Along(axes, 0, p[0], p[1], z)) << when << r;
                ASSERT_EQ(state.shownRows()->track(k, r)[1], Along(axes, 1, p[0], p[1], z)) << when << r;
            }
    };
    // A drag's step at row 150, the playback moving a little (the rows
    // join), then far (they replace those made), then the drag's end.
    struct Step {
        int32_t row;
        bool turning;
        RowSpan made;
    };
    // The trail behind of 20 rows, the row, the next tick's row and two
    // rows beside: 130 - 2 to 151 + 2.
    for (const Step& step : {Step{150, true, {128, 154}}, Step{156, true, {128, 160}},
                             Step{280, true, {258, 284}}, Step{280, false, {0, 300}}}) {
        state.playback.position = step.row;
        if (step.row == 150)
            TurnView(state, {30, 20, 0}, true);
        else
            ASSERT_TRUE(ProjectRowsDrawn(state, step.turning));
        ASSERT_TRUE(run.projectedShown());
        EXPECT_EQ(run.projected.partial, step.turning);
        EXPECT_EQ(run.shownRowSpan().first, step.made.first) << step.row;
        EXPECT_EQ(run.shownRowSpan().last, step.made.last) << step.row;
        expectRowsMade(step.turning ? "while turning, row " : "after, row ");
    }
}

TEST_F(Projection, AReadoutIsInSpaceAndInTheFrameWhateverTheView) {
    ASSERT_EQ(
        LoadTable(state, plot, host, dir.write("s.csv", InclinedCircles({0, 60}, false)), TablePlane::XY), 1);
    TurnView(state, {30, 20, 0});
    const std::optional<BodyReadout> turned = ReadBody(state, 2, 50);  // a quarter round: high above xy
    ASSERT_TRUE(turned && turned->z);
    EXPECT_NEAR(turned->fromSun, 2, 1e-12);
    EXPECT_NEAR(*turned->z, 2 * std::sin(60 * kDegree), 1e-12);
    const std::string text = BodyReadoutText(state, *turned);
    EXPECT_NE(text.find("from the sun in space: 2"), std::string::npos) << text;
    EXPECT_EQ(PointerText(state, plot, 100, 100), "");  // a point of a turned picture is none in space
    ASSERT_EQ(ShowInFrame(state, plot, "centre:1"), "");
    const std::optional<BodyReadout> framed = ReadBody(state, 2, 50);
    ASSERT_TRUE(framed && framed->fromCentre);
    EXPECT_NEAR(*framed->fromCentre, std::hypot(2 * std::cos(60 * kDegree) - 1, 2 * std::sin(60 * kDegree)),
                1e-9);
}

}  // namespace
