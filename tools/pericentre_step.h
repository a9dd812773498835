#pragma once
#include <cstddef>
#include <vector>

#include "tools/orbital_elements.h"

/// For each body, the time scale of its closest approach: the shortest, over
/// the sun (gravitational parameter `sunMass`) and, with `mutual`, every
/// other body that attracts it or that it attracts (`m_i + m_j`), of
/// sqrt(q^3 / mu) (q / a)^(1/4) on the two-body orbit through the present
/// states, where q is the pericentre distance and a the semi-major axis.
/// The second factor shortens the scale as the orbit's energy becomes small
/// beside the energies at pericentre. A body receding on an open orbit has
/// q = its present distance; 0 when nothing attracts the body, or it falls
/// straight in (then no step is small enough).
std::vector<double> PericentreTimes(const std::vector<BodyState>& bodies, double sunMass, bool mutual);

/// The index of the shortest time above 0 in `times` (0 when none is).
std::size_t QuickestBody(const std::vector<double>& times);

/// `step` (> 0) rounded down to one significant digit: 0.00347 -> 0.003.
double RoundStepDown(double step);

/// The step that keeps the energy of every orbit to about 1e-8 of itself
/// for thousands of orbits: a hundredth of the shortest PericentreTimes,
/// rounded down to one significant digit; 0 when no time is above 0.
double PericentreStep(const std::vector<BodyState>& bodies, double sunMass, bool mutual);
