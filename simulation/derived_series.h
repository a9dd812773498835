#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "quantity_info.h"
#include "run_alignment.h"
#include "table_layout.h"

class DepthTable;
class TrajectoryTable;
class VelocityTable;

// Series derived from the rows, one value a row: a body's distance from the
// sun, speed, osculating elements and specific energy; two bodies'
// separation; the system's energy and angular momentum, as their relative
// change from a row at the start (kStartSearch). Rows whose positions are not finite (or whose neighbours a
// velocity needs are not) give values that are not numbers: a gap, never a
// wrong number. The velocities are the table's own where it has velocity
// columns, else differences of the rows about each row, whose error each
// value can be given with (series_trust.h).

/// Whether the quantity compares two runs.
bool ComparesRuns(QuantityKind kind);

struct Quantity {
    QuantityKind kind = QuantityKind::Distance;
    int body = 0;   ///< the body (the first of a pair)
    int other = 0;  ///< the second of a pair
    bool operator==(const Quantity&) const = default;
};

/// Whether the quantity needs the sun's gravitational parameter mu.
bool NeedsGm(QuantityKind kind);
/// Whether the quantity needs every body's mass.
bool NeedsMasses(QuantityKind kind);
/// Whether the quantity's values need the bodies' velocities.
bool NeedsVelocities(QuantityKind kind);

struct QuantityList {
    std::vector<Quantity> quantities;
    std::vector<std::string> texts;  ///< each as written in the list, trimmed
    std::string error;               ///< why the text is not a list, naming the item
};

/// Reads a comma-separated list such as "r:1,e:Mars,sep:1-2,energy": the
/// bodies by number (1 to `bodies`) or by name, in any case. A body's
/// quantity written without a body ("a") stands for every body's, "a:1" to
/// "a:N" in turn.
QuantityList ParseQuantities(std::string_view text, int bodies, const std::vector<std::string>& names);

/// The quantity as the list writes it, its bodies by number: "a:1".
std::string QuantityText(const Quantity& q);

/// The unit of the quantity's values for data in `lengthUnit` and
/// `timeUnit` (empty when they are unsaid and the quantity has one): "AU",
/// "AU/yr", "deg", "AU^2/yr^2"; empty for the ratios.
std::string QuantityUnit(QuantityKind kind, std::string_view lengthUnit, std::string_view timeUnit);

/// Rows the start of the system's changes is looked for in: the first
/// from the fifth whose energy (or angular momentum) can be trusted, else
/// the first that has one. Its rows and the check's about them are those
/// of the first kStartSearch + kCheckRows, which a table growing past them
/// leaves as they are.
inline constexpr int32_t kStartSearch = 1024;

/// What a series is computed from: the rows 0 to rows - 1 of `table` (the
/// positions about the sun, or in the frame shown for the distance),
/// mu in the data's units (not a number when unknown), and the sun's mass
/// then each body's (empty when not all are given); G is mu over the sun's.
/// Data of three coordinates a body gives `depth`, each body's coordinate
/// off `plane`, the plane `table` holds: the series are then those of the
/// positions in space, in the data's own axes (the inclination from its x-y
/// plane, the node from its x axis). Without it the data is planar.
struct SeriesSource {
    const TrajectoryTable* table = nullptr;
    int32_t rows = 0;
    double gm = 0;
    std::vector<double> masses;
    const DepthTable* depth = nullptr;
    TablePlane plane = TablePlane::XY;
    /// The table's velocities of the bodies it gives them for, row for row;
    /// null when it has none. The other bodies' are differences of rows.
    const VelocityTable* velocity = nullptr;
    /// Another run, for the quantities that compare runs: its source, where
    /// the times of this run's rows fall between its rows, and for each body
    /// of this run the body it is there (0: none). Without it their values
    /// are not numbers.
    std::shared_ptr<const SeriesSource> other;
    const std::vector<RowBetween>* between = nullptr;
    std::vector<int> otherBody;
};

/// The values of `q` for rows [first, last) into out[0 .. last - first),
/// computed on every processor for many rows. Values that need mu or the
/// masses are not numbers without them (or with a mu that is not
/// UsableGm), and every value is not a number when `depth` or `velocity`
/// does not cover the table's bodies and rows. A row's value is the same to
/// the bit whatever the rows asked for. With `ratios`, each value's error
/// ratio into ratios[0 .. last - first): the difference between the value
/// and the one the velocities of kCheckRows rows give, as a fraction of
/// the value's tolerance (ErrorRatio); 0 where the value takes no
/// velocity or the table's own; not a number where there is no check.
void ComputeSeries(const SeriesSource& source, const Quantity& q, int32_t first, int32_t last, double* out,
                   double* ratios = nullptr);

/// The values of each quantity of `quantities` for rows [first, last) into
/// outs[k][0 .. last - first), and with `ratios` (null entries for those
/// not wanted) their error ratios, the same to the bit as ComputeSeries of
/// each alone, but sharing what a row's quantities have in common (the
/// velocity's weights, a body's velocity and elements), which makes many
/// series at once several times faster.
void ComputeSeries(const SeriesSource& source, std::span<const Quantity> quantities, int32_t first,
                   int32_t last, std::span<double* const> outs, std::span<double* const> ratios = {});
