#include "tools/generator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "simulation/data_extent.h"
#include "simulation/revolution.h"
#include "simulation/simulation_writer.h"
#include "tools/nbody_integrator.h"
#include "tools/pericentre_step.h"

#ifndef ORBIVEX_VERSION
#error "ORBIVEX_VERSION must be defined by the build"
#endif

namespace {

constexpr const char* kProgram = "orbivex-gen: ";
constexpr int32_t kMaxDefaultTrail = 10000;
/// A relative energy change beyond this fails the run (--allow-drift: warns).
constexpr double kEnergyLimit = 1e-6;
/// The relative energy change the suggested step aims at.
constexpr double kEnergyAim = 1e-8;

/// Finds, row by row, the rows in which each body goes once round: from the
/// first row to the one at which it has turned a whole circle about the sun
/// (without a sun, about the centre of mass), or at which it is back where
/// it started, moving the same way, closer to its start than it moved in the
/// first row (the figure-eight, which never turns about its centre, ends
/// that way). The angle is summed by Revolution, as for a table, but no row
/// is passed over: every row is finite, and one at the centre (where the
/// figure-eight's third body starts) counts from row 0 as ever.
class OrbitCounter {
public:
    OrbitCounter(std::size_t bodies, bool aboutOrigin)
        : aboutOrigin_(aboutOrigin), tracks_(bodies), revolutions_(bodies) {}

    void Add(int32_t row, const std::vector<BodyState>& bodies) {
        double cx = 0.0, cy = 0.0, mass = 0.0;
        if (!aboutOrigin_) {
            for (const BodyState& b : bodies) {
                cx += b.mass * b.x;
                cy += b.mass * b.y;
                mass += b.mass;
            }
            if (mass > 0.0) {
                cx /= mass;
                cy /= mass;
            } else {
                cx = cy = 0.0;
            }
        }
        for (std::size_t k = 0; k < bodies.size(); ++k) {
            Track& t = tracks_[k];
            Revolution& revolution = revolutions_[k];
            const BodyState& b = bodies[k];
            if (row == 0) t.start = b;
            if (revolution.closed()) continue;
            revolution.Add(row, b.x - cx, b.y - cy);
            if (row == 0) continue;
            const double away = std::hypot(b.x - t.start.x, b.y - t.start.y);
            if (row == 1) t.firstMove = away;
            const bool sameWay = b.vx * t.start.vx + b.vy * t.start.vy > 0.0;
            if (row >= 3 && sameWay && away <= t.firstMove) revolution.Close(row);
        }
    }

    /// Rows that hold one round of the slowest body, from the first row to
    /// the one that closes its round; -1 when some body has not gone round.
    int32_t SlowestRoundRows() const { return SlowestRevolution(revolutions_, RevolutionOf::EveryBody); }

private:
    struct Track {
        BodyState start;
        double firstMove = 0.0;
    };
    bool aboutOrigin_;
    std::vector<Track> tracks_;
    std::vector<Revolution> revolutions_;
};

/// The energies whose change tells how well the step resolves the orbits:
/// with mutual forces between massive bodies the total energy; otherwise
/// each body's own energy in the sun's field, which is constant for a body
/// that feels the sun alone.
class EnergyWatch {
public:
    explicit EnergyWatch(const NBodyIntegrator& system) {
        const auto& bodies = system.bodies();
        total_ = system.mutual() &&
                 std::any_of(bodies.begin(), bodies.end(), [](const BodyState& b) { return b.mass > 0.0; });
        Measure(system, start_, scale_);
    }

    /// The largest relative change of any watched energy seen so far.
    double Update(const NBodyIntegrator& system) {
        std::vector<double> now, unusedScale;
        Measure(system, now, unusedScale);
        for (std::size_t k = 0; k < now.size(); ++k) {
            const double change = scale_[k] > 0.0 ? std::abs(now[k] - start_[k]) / scale_[k] : 0.0;
            if (change > largest_) {
                largest_ = change;
                worst_ = k;
            }
        }
        return largest_;
    }

    double largest() const { return largest_; }
    /// Whether one energy is watched for all the bodies together.
    bool total() const { return total_; }
    /// The body whose own energy changed most (not for the total).
    std::size_t worstBody() const { return worst_; }

private:
    void Measure(const NBodyIntegrator& system, std::vector<double>& energy,
                 std::vector<double>& scale) const {
        energy.clear();
        scale.clear();
        if (total_) {
            energy.push_back(system.TotalEnergy());
            scale.push_back(system.TotalEnergyScale());
            return;
        }
        // No mutual forces between massive bodies: every body feels the sun alone.
        for (const BodyState& b : system.bodies()) {
            energy.push_back(SpecificEnergy(b, system.sunMass()));
            scale.push_back(0.5 * (b.vx * b.vx + b.vy * b.vy) + system.sunMass() / std::hypot(b.x, b.y));
        }
    }

    bool total_ = false;
    std::vector<double> start_, scale_;
    double largest_ = 0.0;
    std::size_t worst_ = 0;
};

/// A number for people to read: up to 10 significant digits.
std::string Short(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

/// A step about as long as needed for a relative energy change of
/// kEnergyAim, from a run at `dt` that changed it by `drift` (the error of
/// a fourth-order integrator goes as dt^4), and no longer than the step
/// that follows the closest approaches at the start; one significant digit.
double SuggestedStep(double dt, double drift, double followed) {
    const double step = dt * std::sqrt(std::sqrt(kEnergyAim / drift));
    return followed > 0.0 ? std::min(RoundStepDown(step), followed) : RoundStepDown(step);
}

/// What drifted, by how much, and the step to use instead.
std::string DriftReport(const GeneratorOptions& o, const EnergyWatch& energy) {
    // For the total, the body with the quickest closest approach: the one a
    // step that is too long follows worst.
    const std::size_t body =
        energy.total() ? QuickestBody(PericentreTimes(o.bodies, o.sunMass, o.mutual)) : energy.worstBody();
    const std::string name = "body " + std::to_string(body + 1);
    const double step = SuggestedStep(o.dt, energy.largest(), PericentreStep(o.bodies, o.sunMass, o.mutual));
    return (energy.total() ? "the total energy" : "the energy of " + name) + " drifted by up to " +
           Short(energy.largest()) + " of its size (more than " + Short(kEnergyLimit) + "): steps of " +
           Short(o.dt) + " are too long for " +
           (energy.total() ? "the closest approaches of " + name : "its closest approaches") + "; use --dt " +
           Short(step) + " or smaller";
}

bool Finite(const BodyState& b) {
    return std::isfinite(b.x) && std::isfinite(b.y) && std::isfinite(b.vx) && std::isfinite(b.vy);
}

std::string Count(int64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

/// The configuration of the run integrated: its data file, bodies, box,
/// playback and trail, from the options and what the integration found.
ConfigurationFields FieldsOfRun(const GeneratorOptions& o, const std::string& dataFile,
                                const DataExtent& extent, const OrbitCounter& counter) {
    const std::size_t n = o.bodies.size();
    ConfigurationFields fields;
    fields.dataPath = dataFile;
    fields.lineCount = o.rows;
    fields.bodyCount = int32_t(n);
    for (std::size_t k = 0; k < n && k + 1 < fields.bodySize.size(); ++k) {
        fields.bodySize[k + 1] = k < o.sizes.size() ? o.sizes[k] : 0;
        fields.bodyColourCode[k + 1] = k < o.colours.size() ? o.colours[k] : 0;
    }
    fields.bodyNames = o.names;
    fields.timeUnit = o.timeUnit;
    fields.lengthUnit = o.lengthUnit;
    fields.plotTitle = o.title;
    // Masses that count, or were given, go into the configuration so that
    // the viewer can weigh the bodies (its barycentre frame).
    if (o.mutual ||
        std::any_of(o.bodies.begin(), o.bodies.end(), [](const BodyState& b) { return b.mass != 0.0; })) {
        for (const BodyState& b : o.bodies) fields.bodyMasses.push_back(b.mass);
        fields.sunMass = o.sunMass;
    }
    // Integrated with G = 1: the sun's mass is its gravitational parameter,
    // which the viewer's orbital elements need.
    if (o.sunMass > 0) fields.gm = o.sunMass;
    if (o.box) {
        fields.box = *o.box;
    } else {
        const double half = SquareHalfSide(extent.Farthest());
        fields.box = {-half, -half, half, half};
    }
    fields.frameDelayMs = o.delayMs;
    fields.step = o.step;
    if (o.trail) {
        fields.pointsPerOrbit = *o.trail;
    } else {
        // The viewer plays while a whole trail and one more row lie ahead.
        // When some body never goes round, half the rows are left to play.
        const int64_t limit = std::clamp<int64_t>(int64_t(o.rows) - 2, 1, kMaxDefaultTrail);
        const int64_t round = counter.SlowestRoundRows();
        fields.pointsPerOrbit =
            int32_t(std::clamp<int64_t>(round < 0 ? (int64_t(o.rows) - 2) / 2 : round, 1, limit));
    }
    fields.sunSize = o.sunSize;
    fields.drawAxes = 1;
    return fields;
}

int Generate(const GeneratorOptions& o, std::ostream& out, std::ostream& err) {
    NBodyIntegrator system(o.bodies, o.sunMass, o.mutual);
    const std::size_t n = o.bodies.size();
    SimulationWriter writer;
    std::string error;
    if (!writer.Open(o.outputPath, error)) {
        err << kProgram << error << '\n';
        return kExitWriteFailed;
    }
    OrbitCounter counter(n, o.sunMass > 0.0);
    EnergyWatch energy(system);
    DataExtent extent;
    double time = 0.0;
    std::vector<double> row(1 + 2 * n);
    for (int32_t r = 0; r < o.rows; ++r) {
        const double previousTime = time;
        if (r > 0)
            for (int32_t k = 0; k < o.every; ++k) system.Step(o.dt);
        // From the step count, so that round-off does not build up in the times.
        time = double(int64_t(r) * o.every) * o.dt;
        row[0] = time;
        for (std::size_t k = 0; k < n; ++k) {
            const BodyState& b = system.bodies()[k];
            if (!Finite(b)) {
                err << kProgram << "body " << k + 1
                    << " cannot be followed beyond t = " << FormatReal(previousTime)
                    << ": it comes too close to the sun or to another body; try a smaller --dt\n";
                return kExitBadInput;
            }
            row[1 + 2 * k] = b.x;
            row[2 + 2 * k] = b.y;
            extent.Add(b.x, b.y);
        }
        counter.Add(r, system.bodies());
        energy.Update(system);
        if (!writer.WriteRow(row.data(), row.size(), error)) {
            err << kProgram << error << '\n';
            return kExitWriteFailed;
        }
    }

    const ConfigurationFields fields = FieldsOfRun(o, writer.dataFileName(), extent, counter);
    const bool drifted = energy.largest() > kEnergyLimit;
    if (drifted && !o.allowDrift) {
        err << kProgram << DriftReport(o, energy) << ", or --allow-drift to write the files anyway\n";
        return kExitEnergyDrift;
    }
    if (!writer.Commit(fields, error)) {
        err << kProgram << error << '\n';
        return kExitWriteFailed;
    }

    if (drifted) err << kProgram << "warning: " << DriftReport(o, energy) << '\n';
    out << kProgram << "wrote " << o.outputPath << " and " << writer.dataPath() << ": "
        << Count(n, "body", "bodies") << ", " << Count(o.rows, "row", "rows") << ", t = 0 to " << Short(time)
        << ", trail " << fields.pointsPerOrbit << ", box " << FormatReal(fields.box[0]) << ','
        << FormatReal(fields.box[1]) << ',' << FormatReal(fields.box[2]) << ',' << FormatReal(fields.box[3])
        << '\n';
    return kExitOk;
}

int RunGenerator(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ParsedCommandLine parsed = ParseGeneratorOptions(args);
    switch (parsed.kind) {
        case ParsedCommandLine::Kind::Help:
            out << GeneratorUsage();
            return kExitOk;
        case ParsedCommandLine::Kind::Version:
            out << "orbivex-gen " << ORBIVEX_VERSION << '\n';
            return kExitOk;
        case ParsedCommandLine::Kind::Error:
            err << kProgram << parsed.error << '\n';
            return kExitBadInput;
        case ParsedCommandLine::Kind::Run:
            break;
    }
    return Generate(parsed.options, out, err);
}
