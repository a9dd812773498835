#include "tools/orbital_elements.h"

#include <cmath>
#include <numbers>

BodyState StateFromElements(double a, double e, double trueAnomalyDeg, double mu) {
    const double nu = trueAnomalyDeg * (std::numbers::pi / 180.0);
    const double c = std::cos(nu);
    const double s = std::sin(nu);
    const double p = a * (1.0 - e) * (1.0 + e);  // semi-latus rectum
    const double r = p / (1.0 + e * c);
    const double speedScale = std::sqrt(mu / p);
    BodyState body;
    body.x = r * c;
    body.y = r * s;
    body.vx = -speedScale * s;
    body.vy = speedScale * (e + c);
    return body;
}

double KeplerPeriod(double a, double mu) { return 2.0 * std::numbers::pi * std::sqrt(a * a * a / mu); }
