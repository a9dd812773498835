#include "tools/nbody_integrator.h"

#include <cmath>

namespace {

// Yoshida (1990): S(w1 h) S(w0 h) S(w1 h) of the second-order leapfrog S is
// of fourth order. Written out as kick-drift-kick, neighbouring half kicks
// merge into four kicks and three drifts.
const double kCubeRootTwo = std::cbrt(2.0);
const double kW1 = 1.0 / (2.0 - kCubeRootTwo);
const double kW0 = -kCubeRootTwo / (2.0 - kCubeRootTwo);
const double kKick[4] = {kW1 / 2.0, (kW0 + kW1) / 2.0, (kW0 + kW1) / 2.0, kW1 / 2.0};
const double kDrift[3] = {kW1, kW0, kW1};

}  // namespace

NBodyIntegrator::NBodyIntegrator(std::vector<BodyState> bodies, double sunMass, bool mutual)
    : bodies_(std::move(bodies)),
      ax_(bodies_.size()),
      ay_(bodies_.size()),
      sunMass_(sunMass),
      mutual_(mutual) {
    ComputeAccelerations();
}

void NBodyIntegrator::ComputeAccelerations() {
    const std::size_t n = bodies_.size();
    for (std::size_t i = 0; i < n; ++i) {
        const BodyState& b = bodies_[i];
        ax_[i] = 0.0;
        ay_[i] = 0.0;
        if (sunMass_ != 0.0) {
            const double r2 = b.x * b.x + b.y * b.y;
            const double f = -sunMass_ / (r2 * std::sqrt(r2));
            ax_[i] = f * b.x;
            ay_[i] = f * b.y;
        }
    }
    if (!mutual_) return;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            const double mi = bodies_[i].mass;
            const double mj = bodies_[j].mass;
            if (mi == 0.0 && mj == 0.0) continue;
            const double dx = bodies_[j].x - bodies_[i].x;
            const double dy = bodies_[j].y - bodies_[i].y;
            const double r2 = dx * dx + dy * dy;
            const double inv3 = 1.0 / (r2 * std::sqrt(r2));
            ax_[i] += mj * inv3 * dx;
            ay_[i] += mj * inv3 * dy;
            ax_[j] -= mi * inv3 * dx;
            ay_[j] -= mi * inv3 * dy;
        }
    }
}

void NBodyIntegrator::Kick(double h) {
    for (std::size_t i = 0; i < bodies_.size(); ++i) {
        bodies_[i].vx += h * ax_[i];
        bodies_[i].vy += h * ay_[i];
    }
}

void NBodyIntegrator::Drift(double h) {
    for (BodyState& b : bodies_) {
        b.x += h * b.vx;
        b.y += h * b.vy;
    }
}

void NBodyIntegrator::Step(double dt) {
    // The accelerations of the current positions are at hand: from the
    // constructor or from the last force evaluation of the previous step.
    for (int stage = 0; stage < 3; ++stage) {
        Kick(kKick[stage] * dt);
        Drift(kDrift[stage] * dt);
        ComputeAccelerations();
    }
    Kick(kKick[3] * dt);
}

namespace {

/// Kinetic and potential energy of the massive bodies.
struct EnergyTerms {
    double kinetic = 0.0;
    double potential = 0.0;  // 0 or below
};

EnergyTerms Energies(const std::vector<BodyState>& bodies, double sunMass, bool mutual) {
    EnergyTerms terms;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const BodyState& b = bodies[i];
        if (b.mass == 0.0) continue;
        terms.kinetic += 0.5 * b.mass * (b.vx * b.vx + b.vy * b.vy);
        if (sunMass != 0.0) terms.potential -= sunMass * b.mass / std::hypot(b.x, b.y);
        if (!mutual) continue;
        for (std::size_t j = i + 1; j < bodies.size(); ++j)
            if (bodies[j].mass != 0.0)
                terms.potential -= b.mass * bodies[j].mass / std::hypot(bodies[j].x - b.x, bodies[j].y - b.y);
    }
    return terms;
}

}  // namespace

double NBodyIntegrator::TotalEnergy() const {
    const EnergyTerms terms = Energies(bodies_, sunMass_, mutual_);
    return terms.kinetic + terms.potential;
}

double NBodyIntegrator::TotalEnergyScale() const {
    const EnergyTerms terms = Energies(bodies_, sunMass_, mutual_);
    return terms.kinetic - terms.potential;
}

double NBodyIntegrator::TotalAngularMomentum() const {
    double l = 0.0;
    for (const BodyState& b : bodies_) l += b.mass * SpecificAngularMomentum(b);
    return l;
}

double SpecificEnergy(const BodyState& body, double mu) {
    return 0.5 * (body.vx * body.vx + body.vy * body.vy) - mu / std::hypot(body.x, body.y);
}

double SpecificAngularMomentum(const BodyState& body) { return body.x * body.vy - body.y * body.vx; }
