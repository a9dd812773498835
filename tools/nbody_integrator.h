#pragma once
#include <cstdint>
#include <vector>

#include "tools/orbital_elements.h"

/// Bodies in the plane about a sun fixed at the origin, integrated with
/// Yoshida's fourth-order symplectic composition of the kick-drift-kick
/// leapfrog at a fixed time step. Every body feels the sun (gravitational
/// parameter `sunMass`, 0 for none); with `mutual` the bodies also attract
/// each other with G = 1 and their own masses.
class NBodyIntegrator {
public:
    NBodyIntegrator(std::vector<BodyState> bodies, double sunMass, bool mutual);

    /// Advances every body by `dt`: three force evaluations.
    void Step(double dt);

    const std::vector<BodyState>& bodies() const { return bodies_; }
    double sunMass() const { return sunMass_; }
    bool mutual() const { return mutual_; }

    /// Total energy of the massive bodies: kinetic energy, their potential
    /// energy in the sun's field and, with `mutual`, their mutual potential
    /// energy. Bodies of mass 0 add nothing; use SpecificEnergy for them.
    double TotalEnergy() const;
    /// The sum of the magnitudes of the terms of TotalEnergy: the scale
    /// against which a change of the total energy is measured.
    double TotalEnergyScale() const;
    /// Total angular momentum of the bodies about the origin (mass-weighted).
    double TotalAngularMomentum() const;

private:
    void ComputeAccelerations();
    void Kick(double h);
    void Drift(double h);

    std::vector<BodyState> bodies_;
    std::vector<double> ax_;
    std::vector<double> ay_;
    double sunMass_;
    bool mutual_;
};

/// Energy per unit mass, v^2 / 2 - mu / r, of `body` about a centre of
/// gravitational parameter `mu` at the origin.
double SpecificEnergy(const BodyState& body, double mu);
/// Angular momentum per unit mass, x vy - y vx, about the origin.
double SpecificAngularMomentum(const BodyState& body);
