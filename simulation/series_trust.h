#pragma once
#include <cstdint>
#include <functional>
#include <limits>

#include "derived_series.h"

// How far a series' values can be trusted where the velocities are
// differences of the rows. The seven-row velocity is excellent where the
// rows are close for the motion, and far off where they are not (a planet
// of 17 rows an orbit, a pericentre passed in a few rows). Each value is
// worked out a second time with the velocity of nine rows, whose error
// there is a small fraction of the seven-row one's (kCheckRows): their
// difference estimates the value's error, which is compared with a
// tolerance for the quantity. The estimate takes the positions as exact:
// positions written with few digits carry a noise the differences
// magnify, which it sees only in part.

/// The error a body's quantity may have to be shown as a value: a
/// millionth of the value for the speed, a and eps, of one for e, and of a
/// radian for the angles; finer than what the planets' pulls change the
/// elements by over an orbit (1e-5 and more), and far coarser than the
/// doubles' rounding, which the differences magnify to 1e-13 and less.
inline constexpr double kBodyTolerance = 1e-6;
/// The error the system's energy and momentum changes may have: a
/// thousandth of the drift orbivex-gen lets pass (a millionth), so that a
/// run's own drift shows.
inline constexpr double kSystemTolerance = 1e-9;

/// The most error a value `value` of `kind` may have to be trusted, in its
/// units (degrees for the angles); 0 for those of the positions alone,
/// which have no differencing error.
double ToleranceOf(QuantityKind kind, double value);

/// Below this convergence (ErrorRatio), the differences of five, seven and
/// nine rows close in on the velocity as they do where the rows are close
/// for the motion, their errors falling off as a geometric series does.
inline constexpr double kConverging = 0.5;
/// Otherwise their difference tells less of the error (at a few rows an
/// orbit every difference is far off, by up to ten times their difference
/// where the rows turn the motion by a radian and more; at more, the rows
/// alias the motion, which the check of the turns catches): the value is
/// trusted only when the check comes within a tenth of the tolerance, as
/// where the rows' rounding alone sets their differences.
inline constexpr double kUnconverged = 10;

/// The error of `value` that `check` (the same quantity from the check's
/// velocities) tells, as a fraction of ToleranceOf(kind, value), the
/// angles' difference taken round the circle. `convergence` is how much
/// closer the check comes to the value than the lower check does (the
/// ratio of their differences from it): with the errors falling off by it
/// from one to the next, the value's error is the difference over
/// (1 - convergence), as a geometric series sums; past kConverging, or
/// not a number, the difference times kUnconverged. 0 for the quantities
/// of the positions alone; not a number when `check` is not and `value`
/// is.
double ErrorRatio(QuantityKind kind, double value, double check, double convergence);

/// Whether a value of error ratio `ratio` is not to be trusted: its error
/// is past the tolerance, or cannot be told.
inline bool Unsure(double ratio) { return !(ratio <= 1); }

/// How the rows' sampling bears on a series of rows [0, rows).
struct SeriesSampling {
    int32_t values = 0;     ///< rows with a value
    int32_t unsure = 0;     ///< of those, the values not to be trusted
    int32_t unchecked = 0;  ///< of those, the ones whose error cannot be told
    /// How many times shorter the rows' steps would have to be where they
    /// are too long, by the errors (which fall as the step's sixth power)
    /// of the rows that resolve the motion; not a number when none can tell.
    double shorter = std::numeric_limits<double>::quiet_NaN();
    /// About how many rows an orbit, evenly spaced, would do for every
    /// value: of the body's orbit, or for the system's quantities of the
    /// quickest body's; not a number without a period.
    double rowsAnOrbit = std::numeric_limits<double>::quiet_NaN();
};

/// The period that SeriesSampling's rows an orbit are counted over for
/// `q`: of its body's orbit, from the median of its a over the rows (which
/// the rows too far apart for its velocity throw off less than any one
/// row), or the shortest of the bodies' for the system's quantities; not a
/// number without mu or a bound orbit. It takes a series of every row.
double PeriodFor(const SeriesSource& source, const Quantity& q);

/// The sampling of the series `values` from `source`, whose error ratios
/// are `ratios` (both of `source.rows` values), its rows an orbit counted
/// over the period `period` gives (PeriodFor), which is asked only when
/// some value is past the tolerance.
SeriesSampling SamplingOf(const SeriesSource& source, const double* values, const double* ratios,
                          const std::function<double()>& period);
