// Positions shown in another frame: centred on a body, turning with one,
// about the centre of mass; and the frames' texts.

#include "simulation/reference_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "animation/appended_rows.h"
#include "animation/simulation_state.h"
#include "simulation/trajectory_table.h"

namespace {

/// Bodies on circles about the sun: radius r_k, angle w_k t + k.
struct Circles {
    std::vector<double> radius, speed;
    int32_t rows;
    std::unique_ptr<TrajectoryTable> table;

    Circles(std::vector<double> r, std::vector<double> w, int32_t n)
        : radius(std::move(r)), speed(std::move(w)), rows(n) {
        const int bodies = int(radius.size());
        table = AllocateTable(rows, 2 * bodies + 1);
        for (int32_t t = 0; t < rows; ++t) {
            table->set(t, 0, t * 0.1);
            for (int k = 1; k <= bodies; ++k) {
                const double angle = speed[std::size_t(k - 1)] * t + k;
                table->set(t, 2 * k - 1, radius[std::size_t(k - 1)] * std::cos(angle));
                table->set(t, 2 * k, radius[std::size_t(k - 1)] * std::sin(angle));
            }
        }
    }
    std::unique_ptr<TrajectoryTable> In(const ReferenceFrame& f, const std::vector<double>& masses = {},
                                        std::vector<double>* sun = nullptr) const {
        auto out = AllocateTable(rows, table->columnCount());
        if (sun) sun->assign(std::size_t(2 * rows), 0);
        TransformRows({table.get()}, {out.get(), nullptr, sun ? sun->data() : nullptr}, f, masses, 0, rows);
        return out;
    }
};

TEST(ReferenceFrame, CentredOnABodyPutsItAndTheSunWhereTheyBelong) {
    const Circles c({1, 2.5}, {0.03, 0.011}, 9000);  // enough rows for several threads
    std::vector<double> sun;
    const auto out = c.In({ReferenceFrame::Kind::Centred, 2}, {}, &sun);
    for (int32_t t = 0; t < c.rows; t += 7) {
        EXPECT_EQ(out->track(2, t)[0], 0);
        EXPECT_EQ(out->track(2, t)[1], 0);
        EXPECT_EQ(out->time(t), c.table->time(t));
        EXPECT_DOUBLE_EQ(sun[std::size_t(2 * t)], -c.table->track(2, t)[0]);
        EXPECT_DOUBLE_EQ(out->track(1, t)[1], c.table->track(1, t)[1] - c.table->track(2, t)[1]);
    }
}

TEST(ReferenceFrame, TurningWithAPlanetHoldsItStillAndDrawsTheOthersEpicycle) {
    const double r1 = 1, r2 = 1.6, w1 = 0.02, w2 = 0.02 / std::pow(1.6, 1.5);
    const Circles c({r1, r2}, {w1, w2}, 9000);
    std::vector<double> sun;
    const auto out = c.In({ReferenceFrame::Kind::Rotating, 1}, {}, &sun);
    for (int32_t t = 0; t < c.rows; t += 11) {
        EXPECT_NEAR(out->track(1, t)[0], r1, 1e-12);
        EXPECT_NEAR(out->track(1, t)[1], 0, 1e-12);
        // Body 2 at angle (w2 - w1) t + 1 from body 1: a circle run backwards.
        const double angle = (w2 - w1) * t + 1;
        EXPECT_NEAR(out->track(2, t)[0], r2 * std::cos(angle), 1e-12);
        EXPECT_NEAR(out->track(2, t)[1], r2 * std::sin(angle), 1e-12);
        EXPECT_EQ(sun[std::size_t(2 * t)], 0);
    }
    // Scaled: an eccentric body sits at (1, 0) in every row.
    Circles e({1}, {0.05}, 300);
    for (int32_t t = 0; t < e.rows; ++t) {
        double* p = e.table->writableTrack(1, t);
        const double r = 1 + 0.5 * std::cos(0.05 * t);
        p[0] *= r, p[1] *= r;
    }
    const auto scaled = e.In({ReferenceFrame::Kind::Rotating, 1, true});
    for (int32_t t = 0; t < e.rows; ++t) {
        EXPECT_NEAR(scaled->track(1, t)[0], 1, 1e-12);
        EXPECT_NEAR(scaled->track(1, t)[1], 0, 1e-12);
    }
}

TEST(ReferenceFrame, EqualMassesOrbitTheirCentreAndABadRowDrawsNothing) {
    // Two bodies opposite each other about (3, 0), with the sun weightless.
    auto table = AllocateTable(50, 5);
    for (int32_t t = 0; t < 50; ++t) {
        const double a = 0.1 * t;
        const double row[5] = {double(t), 3 + std::cos(a), std::sin(a), 3 - std::cos(a), -std::sin(a)};
        table->Store(std::size_t(t) * 5, row, 5);
    }
    table->set(7, 1, std::nan(""));
    auto out = AllocateTable(50, 5);
    std::vector<double> sun(100);
    TransformRows({table.get()}, {out.get(), nullptr, sun.data()}, {ReferenceFrame::Kind::Barycentre},
                  {0, 2, 2}, 0, 50);
    for (int32_t t = 0; t < 50; ++t) {
        if (t == 7) {
            EXPECT_TRUE(std::isnan(out->track(2, t)[0]));
            continue;
        }
        EXPECT_NEAR(out->track(1, t)[0], std::cos(0.1 * t), 1e-12);
        EXPECT_NEAR(out->track(2, t)[1], -std::sin(0.1 * t), 1e-12);
        EXPECT_NEAR(sun[std::size_t(2 * t)], -3, 1e-12);
    }
    // A turning frame about a body at the sun has no direction.
    const double still[5] = {0, 0, 0, 1, 1};
    table->Store(0, still, 5);
    TransformRows({table.get()}, {out.get()}, {ReferenceFrame::Kind::Rotating, 1}, {}, 0, 1);
    EXPECT_TRUE(std::isnan(out->track(2, 0)[0]));
}

TEST(ReferenceFrame, TextsReadBackAndWrongOnesSayWhy) {
    for (const char* text : {"inertial", "centre:3", "rotate:1", "rotate:2,scaled", "barycentre"}) {
        const FrameChoice c = ParseFrame(text, 3, true);
        ASSERT_TRUE(c.frame) << text << ": " << c.error;
        EXPECT_EQ(FrameText(*c.frame), text);
    }
    EXPECT_EQ(ParseFrame("center:2", 3, false).frame, (ReferenceFrame{ReferenceFrame::Kind::Centred, 2}));
    const struct {
        const char* text;
        bool masses;
        const char* error;
    } wrong[] = {
        {"centre:4", true, "no body 4: the bodies are 1 to 3"},
        {"rotate:0", true, "no body 0: the bodies are 1 to 3"},
        {"rotate:x,scaled", true, "no body x,scaled: the bodies are 1 to 3"},
        {"barycentre", false,
         "the barycentre needs the bodies' masses: give --masses M1,M2,... (and --sun-mass M), or a line "
         "\"masses = ...\" in the configuration, or a line \"# masses = ...\" above a table's rows"},
        {"spin", true, "'spin' is not a frame: inertial, centre:N, rotate:N, rotate:N,scaled or barycentre"},
    };
    for (const auto& w : wrong) {
        const FrameChoice c = ParseFrame(w.text, 3, w.masses);
        EXPECT_FALSE(c.frame) << w.text;
        EXPECT_EQ(c.error, w.error);
    }
}

TEST(ReferenceFrame, BodiesByName) {
    const std::vector<std::string> names = {"Earth", "Jupiter", "earth", "7"};
    const struct {
        const char* text;
        int bodies;
        std::optional<ReferenceFrame> frame;
        const char* error;
    } cases[] = {
        {"centre:Earth", 4, ReferenceFrame{ReferenceFrame::Kind::Centred, 1}, ""},
        {"rotate:JUPITER,scaled", 4, ReferenceFrame{ReferenceFrame::Kind::Rotating, 2, true}, ""},
        {"center:eArTh", 4, ReferenceFrame{ReferenceFrame::Kind::Centred, 1},
         ""},  // the first of a name shared
        {"centre:3", 4, ReferenceFrame{ReferenceFrame::Kind::Centred, 3}, ""},
        // A number is a number, whatever the names.
        {"centre:7", 4, std::nullopt, "no body 7: the bodies are 1 to 4"},
        {"rotate:Pluto", 4, std::nullopt,
         "no body Pluto: the bodies are 1 to 4 or their names (Earth, Jupiter, earth, 7)"},
        // Names past the bodies in use name nothing.
        {"centre:Jupiter", 1, std::nullopt, "no body Jupiter: the bodies are 1 to 1 or their names (Earth)"},
        {"centre:", 4, std::nullopt,
         "no body : the bodies are 1 to 4 or their names (Earth, Jupiter, earth, 7)"},
    };
    for (const auto& c : cases) {
        const FrameChoice choice = ParseFrame(c.text, c.bodies, false, names);
        EXPECT_EQ(choice.frame, c.frame) << c.text;
        EXPECT_EQ(choice.error, c.error) << c.text;
    }
    std::vector<std::string> many;
    for (int k = 1; k <= 1000; ++k) many.push_back("b" + std::to_string(k));
    EXPECT_EQ(ParseFrame("centre:B1000", 1000, false, many).frame,
              (ReferenceFrame{ReferenceFrame::Kind::Centred, 1000}));
    EXPECT_EQ(ParseFrame("centre:x", 1000, false, many).error,
              "no body x: the bodies are 1 to 1000 or their names (b1, b2, b3, b4, b5, b6, b7, b8, \u2026)");
}

}  // namespace

namespace {

/// A state holding the first `rows` rows of `from`'s table, in a table with
/// room for `room` rows (at least `rows`), as a table being followed has.
void Hold(SimulationState& s, const Circles& from, int32_t rows, int32_t room = 0) {
    s.loaded().fields.bodyCount = int32_t(from.radius.size());
    s.loaded().dataLoaded = 1;
    s.loaded().rows = AllocateTable(std::max(rows, room), from.table->columnCount());
    s.loaded().rows->CopyRowsFrom(*from.table, rows);
    s.loaded().fields.lineCount = rows;
}

}  // namespace

TEST(ReferenceFrame, RowsAppendedWhileFollowingAreShownInTheFrameAsTheyCome) {
    const Circles all({1, 1.6}, {0.02, 0.0099}, 300);
    for (const ReferenceFrame frame : {ReferenceFrame{ReferenceFrame::Kind::Rotating, 1},
                                       ReferenceFrame{ReferenceFrame::Kind::Centred, 2}}) {
        for (const int32_t room : {0, 1'000'000}) {
            SCOPED_TRACE(FrameText(frame) + " in room for " + std::to_string(room));
            const auto expected = all.In(frame);
            SimulationState s;
            Hold(s, all, 100, room);
            s.view.frame = frame;
            ASSERT_EQ(UpdateFramedRows(s), "");
            for (int32_t from = 100; from < 300; from += 50) {
                const int32_t framedRoom = s.first().inFrame.rows->rowCount();
                const uint64_t version = s.first().inFrame.rows->version();
                std::vector<double> values;
                for (int32_t r = from; r < from + 50; ++r)
                    for (int32_t c = 0; c < all.table->columnCount(); ++c)
                        values.push_back(all.table->value(r, c));
                ASSERT_TRUE(AppendRows(s, values));
                ASSERT_TRUE(s.framed()) << from;
                // The positions take room for the rows in use, whatever the
                // table's; rows added within it keep what was derived before.
                EXPECT_LE(s.first().inFrame.rows->rowCount(), 2 * s.loaded().usableRows()) << from;
                EXPECT_EQ(s.first().inFrame.sun.size(),
                          s.sunMoves() ? 2 * std::size_t(s.first().inFrame.rows->rowCount()) : 0);
                if (s.first().inFrame.rows->rowCount() == framedRoom) {
                    EXPECT_EQ(s.first().inFrame.rows->version(), version) << from;
                }
            }
            for (int32_t r = 0; r < 300; ++r) {
                for (int32_t c = 0; c < expected->columnCount(); ++c)
                    ASSERT_EQ(s.shownRows()->value(r, c), expected->value(r, c)) << r << ", " << c;
                if (frame.kind == ReferenceFrame::Kind::Centred) {
                    ASSERT_EQ(s.sunAt(r),
                              (std::array<double, 2>{-all.table->value(r, 3), -all.table->value(r, 4)}));
                }
            }
        }
    }
    SimulationState s;
    s.view.frame = {ReferenceFrame::Kind::Rotating, 1};
    // Data that no longer has the frame's body leaves the data's own positions shown.
    Hold(s, Circles({1}, {0.02}, 50), 50);
    EXPECT_EQ(UpdateFramedRows(s), "");
    EXPECT_EQ(FrameText(s.view.frame), "rotate:1");
    s.view.frame = {ReferenceFrame::Kind::Centred, 2};
    EXPECT_EQ(UpdateFramedRows(s), "no body 2: the bodies are 1 to 1");
    EXPECT_EQ(s.view.frame.kind, ReferenceFrame::Kind::Inertial);
    EXPECT_EQ(s.shownRows(), s.loaded().rows.get());
}

namespace {

TEST(TurningFrameInSpace, TurnsAboutTheBodysOrbitNormalSoThatItsOrbitLiesFlat) {
    // Two bodies on one circle inclined 40 degrees, the second a quarter
    // round ahead: turning with the first, both stand still, in the plane.
    constexpr int32_t rows = 80;
    auto table = AllocateTable(rows, 5);
    auto depth = AllocateDepth(rows, 2);
    const double i = 40 * M_PI / 180;
    for (int32_t r = 0; r < rows; ++r) {
        table->set(r, 0, r);
        for (int k = 1; k <= 2; ++k) {
            const double u = 0.05 * r + (k - 1) * M_PI / 2;
            table->set(r, 2 * k - 1, 3 * std::cos(u));
            table->set(r, 2 * k, 3 * std::sin(u) * std::cos(i));
            *depth->writableTrack(k, r) = 3 * std::sin(u) * std::sin(i);
        }
    }
    for (const bool scaled : {false, true}) {
        auto out = AllocateTable(rows, 5);
        auto outDepth = AllocateDepth(rows, 2);
        TransformRows({table.get(), depth.get(), rows}, {out.get(), outDepth.get()},
                      {ReferenceFrame::Kind::Rotating, 1, scaled}, {}, 0, rows);
        const double length = scaled ? 1 : 3;
        for (int32_t r = 0; r < rows; ++r) {
            EXPECT_NEAR(out->track(1, r)[0], length, 1e-12) << r;
            EXPECT_NEAR(out->track(1, r)[1], 0, 1e-12) << r;
            EXPECT_NEAR(out->track(2, r)[0], 0, 1e-12) << r;
            EXPECT_NEAR(out->track(2, r)[1], length, 1e-12) << r;  // ahead in the sense of motion
            for (int k = 1; k <= 2; ++k) EXPECT_NEAR(outDepth->at(k, r), 0, 1e-12) << r;
        }
    }
}

}  // namespace
