#pragma once
#include <string>
#include <vector>

/// The ticks of one axis: the multiples of a round step inside a range, and
/// how many decimals print them.
struct AxisTicks {
    /// The distance between neighbouring ticks: 1, 2, 2.5 or 5 times a power
    /// of ten; 0 when the range gave no step.
    double step = 0;
    /// The decimals that print every multiple of `step` exactly.
    int decimals = 0;
    /// The tick values, increasing.
    std::vector<double> values;
};

/// Chooses 5 to 9 ticks at the multiples of a round step that lie in the
/// closed range [lo, hi], or within a few ulps of its ends: the coarsest
/// step of 1, 2 or 5 times a power of ten that gives at least 5, or 2.5
/// times that power when that step gives more than 9. Each value is the
/// double nearest its decimal multiple (0.6, not 3 * 0.2), and zero is
/// never negative. A range that is empty, reversed or not finite, or too
/// narrow for its magnitude to hold 5 distinct ticks, gives the ticks it
/// can: at most 9, perhaps only lo (none when lo is not finite).
AxisTicks ChooseTicks(double lo, double hi);

/// `value` printed as "%.*f" prints it in the C locale, whatever the
/// process's locale; a value that rounds to zero prints without a minus.
std::string TickLabel(double value, int decimals);

/// Which labels along an axis to show so that shown ones keep at least `gap`
/// pixels apart: every label, or else every second, fifth, tenth, twentieth
/// and so on counted from the first, whichever comes first without overlaps.
/// `centres` are the labels' centres in increasing or decreasing order and
/// `widths` their extents along the axis, both in pixels.
std::vector<bool> LabelsShown(const std::vector<double>& centres, const std::vector<double>& widths,
                              double gap);

/// The centre nearest `centre` that keeps a label `width` pixels wide within
/// [lo, hi]; the middle of the room when the label is wider than the room.
double ClampLabel(double centre, double width, double lo, double hi);
