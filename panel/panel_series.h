#pragma once
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "base/colour.h"
#include "simulation/derived_series.h"
#include "simulation/series_trust.h"

struct SimulationState;
class TrajectoryTable;

/// One line of the panel: a quantity's value at every row computed.
struct PanelLine {
    Quantity quantity;
    std::string label;  ///< in the legend: the body's name or number, or the pair's
    ColourRef colour = 0;
    std::vector<double> values;
    /// Each value's error ratio (ComputeSeries): the values Unsure says are
    /// not to be trusted are drawn faded.
    std::vector<double> ratios;
    /// How many are, and what would do (SamplingOf).
    SeriesSampling sampling;
    /// The period SamplingOf counts rows an orbit over, found once for the
    /// line's data (PeriodFor); not a number until needed.
    double period = std::numeric_limits<double>::quiet_NaN();
    bool periodFound = false;

    /// Whether the value at row r is not to be trusted.
    bool unsure(int32_t r) const { return std::size_t(r) < ratios.size() && Unsure(ratios[std::size_t(r)]); }
};

/// One plot of the panel: the lines of one kind of quantity, which share
/// the y axis and its title ("a [AU]").
struct PanelPlot {
    QuantityKind kind = QuantityKind::Distance;
    std::string title;
    std::vector<std::size_t> lines;  ///< indices into PanelSeries::lines
    std::string lack;                ///< why the lines have no values (SeriesLack); empty when they have
};

/// The series a panel shows, derived from the state: made anew when the
/// list, the data, mu, the frame or the bodies' colours and names change,
/// and extended by the rows appended while the data is followed.
struct PanelSeries {
    std::vector<PanelLine> lines;
    std::vector<PanelPlot> plots;  ///< in the order their kinds first come in the list
    std::string problem;           ///< why the list cannot be read; empty when it can
    double gm = 0;                 ///< mu the elements were computed with; not a number when unknown
    std::string gmNote;            ///< which mu, and where from (GmNote); empty when no plot needs it
    /// Where the velocities come from and which lines are faded, why and
    /// what would do (PanelNote); empty when there is nothing to say.
    std::string note;
    int32_t rows = 0;           ///< rows computed
    bool timesIncrease = true;  ///< whether the rows' times never go back
    /// A change each time the series change, for telling when to draw them again.
    uint64_t serial = 0;

    /// What the series were made from, to tell when to make them anew.
    struct Source {
        const TrajectoryTable* table = nullptr;
        uint64_t version = 0;
        int centre = 0;  ///< the body distances are measured from; 0: the sun
        std::string list;
        double gm = 0;
        std::vector<ColourRef> colours;
        std::vector<std::string> names;
        /// The run compared with, for the differences between runs: its table and name.
        const TrajectoryTable* other = nullptr;
        std::string otherName;
        bool operator==(const Source&) const = default;
    } madeFrom;
};

/// The list a panel opens with when none is chosen: every body's distance,
/// with mu their semi-major axes and eccentricities, and with masses too the
/// system's energy; with runs compared, the distance between each body's
/// places in the first two runs first.
std::string DefaultPanelList(const SimulationState& state);

/// Brings `series` up to the state's panel choice and data: nothing when
/// they are current, only the rows after those computed when rows were
/// appended, else everything. Returns whether the series changed.
bool UpdatePanelSeries(const SimulationState& state, PanelSeries& series);

/// The rows [first, last] whose times lie in [from, to] (all of them when
/// the times go back somewhere or the span is not a number); first > last
/// when none do.
std::pair<int32_t, int32_t> RowsInSpan(const SimulationState& state, const PanelSeries& series, double from,
                                       double to);
