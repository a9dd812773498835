#pragma once

/// Position, velocity and mass of one body in the plane. The mass is the
/// body's gravitational parameter (G = 1).
struct BodyState {
    double x = 0.0;
    double y = 0.0;
    double vx = 0.0;
    double vy = 0.0;
    double mass = 0.0;
};

/// The state of a massless body on the Kepler ellipse of semi-major axis
/// `a` (> 0) and eccentricity `e` (0 <= e < 1) about a centre of
/// gravitational parameter `mu` (> 0) at the origin, with its perihelion on
/// +x and counter-clockwise motion, `trueAnomalyDeg` degrees past the
/// perihelion.
BodyState StateFromElements(double a, double e, double trueAnomalyDeg, double mu);

/// The period 2 pi sqrt(a^3 / mu) of an ellipse of semi-major axis `a`.
double KeplerPeriod(double a, double mu);
