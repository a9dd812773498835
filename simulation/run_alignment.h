#pragma once
#include <cstdint>
#include <string>
#include <vector>

/// Runs of a simulation compared on one clock are aligned by time, not by
/// row: the rows of another run are found for the times of the first.

/// For each of the `rows` times of the first run, the row of `other` (its
/// `otherRows` times) nearest in time; the first of two as near. Times
/// before `other`'s first or after its last give its first or last row, so a
/// shorter run stays drawn where it ended. One walk over both: O(rows)
/// when both go the same way in time, as runs do. Empty when `other` has no
/// row. A time that is not a number keeps the row found before it.
std::vector<int32_t> NearestRows(const double* times, int32_t rows, const double* otherTimes,
                                 int32_t otherRows);
/// NearestRows for rows appended to the first run: `nearest` holds the
/// rows found for its first rows and takes those of rows up to `rows`,
/// the walk going on from where it stood.
void ExtendNearestRows(std::vector<int32_t>& nearest, const double* times, int32_t rows,
                       const double* otherTimes, int32_t otherRows);

/// Where time `t` falls between the rows of `times` (`rows` of them, going
/// up): the row before and the share of the way to the next (0 at a row
/// itself); row -1 when `t` lies outside them or is not a number.
struct RowBetween {
    int32_t row = -1;
    double share = 0;
};

/// RowBetween for each time of the first run, as NearestRows finds rows:
/// in one walk. For values of another run at the first's times by linear
/// interpolation.
std::vector<RowBetween> RowsBetween(const double* times, int32_t rows, const double* otherTimes,
                                    int32_t otherRows);
/// RowsBetween for rows appended to the first run, as ExtendNearestRows.
void ExtendRowsBetween(std::vector<RowBetween>& between, const double* times, int32_t rows,
                       const double* otherTimes, int32_t otherRows);

/// The value at `at` of a series given at another run's rows, `values`
/// spaced `stride` apart: linear between the two rows; NaN outside them.
double ValueBetween(const double* values, std::size_t stride, const RowBetween& at);

/// The weights of a cubic in time through four rows of another run about
/// `at` (`times`, `rows` of them) for its value at time `t`, the two rows
/// about `t` in the middle unless at the ends: rows `start` on, as many as
/// it returns. Linear between the two rows with fewer than four, one row
/// at a row's own time, none outside the rows. A linear value between rows
/// of a sampled orbit errs by the square of the step (a step of 0.03 of a
/// year about the sun: 1e-4 AU), which would hide the differences
/// compared; the cubic's error goes with the fourth power.
int CubicWeights(const double* times, int32_t rows, const RowBetween& at, double t, int32_t& start,
                 double weights[4]);

/// For each body 1 to `bodies` of another run (named `names`, body k being
/// names[k - 1], fewer names than bodies leaving the rest unnamed), the body
/// of the first run it is: the one of the same name (letter case aside),
/// else the one of the same number when that body is unnamed in one run or
/// the other; 0 when none. Element 0 is unused.
std::vector<int> MatchBodies(const std::vector<std::string>& firstNames, int firstBodies,
                             const std::vector<std::string>& names, int bodies);
