#pragma once
#include <array>
#include <cstdint>
#include <limits>

class TrajectoryTable;

/// The smallest and largest coordinates of the positions added, counting a
/// position only when both its coordinates are finite. A plain table's box
/// and orbivex-gen's default box both start from it, so that both hold the
/// same positions; the Python module's save and table reading mirror it.
class DataExtent {
public:
    void Add(double x, double y);
    /// True when no finite position was added.
    bool empty() const { return xmin_ > xmax_; }
    /// The box holding every position added, as xmin, ymin, xmax, ymax. An
    /// axis on which every position is the same gets the other axis's extent
    /// (or 2) about that value, so that the box always has an inside; -1, -1,
    /// 1, 1 when nothing was added.
    std::array<double, 4> Box() const;
    /// The largest size of any coordinate added; 0 when nothing was added.
    double Farthest() const;

private:
    static constexpr double kHuge = std::numeric_limits<double>::infinity();
    double xmin_ = kHuge, ymin_ = kHuge, xmax_ = -kHuge, ymax_ = -kHuge;
};

/// The extent of bodies 1 to `bodies` in rows 0 to `rows` - 1 of `table`.
DataExtent ExtentOf(const TrajectoryTable& table, int32_t rows, int32_t bodies);

/// The box a table is shown in: the box holding every finite position of
/// bodies 1 to `bodies` in rows 0 to `rows` - 1 (DataExtent::Box) with a
/// margin, so that no disc or trail touches the frame, and round ends
/// (FigureBox).
std::array<double, 4> DataBox(const TrajectoryTable& table, int32_t rows, int32_t bodies);

/// `box` with a margin and round ends: when it surrounds the sun (each axis
/// runs from below 0 to above it) each axis becomes symmetric about 0, 5 %
/// beyond its farther end; else each end moves out by 5 % of the axis's
/// span. The ends are then rounded outward to two significant digits of the
/// larger end (symmetric) or of the span. A box that cannot be widened so
/// (not finite, or overflowing) stays as it is.
std::array<double, 4> FigureBox(const std::array<double, 4>& box);

/// Half the side of orbivex-gen's default box, the square about the origin:
/// 10 % beyond `farthest` (DataExtent::Farthest), rounded up to two
/// significant digits so that the axes read well; 1 for 0.
double SquareHalfSide(double farthest);
