#pragma once
#include <cstdint>
#include <vector>

#include "plot/drawing_surface.h"
#include "plot/line_raster.h"
#include "plot/plot_mapping.h"

struct RunAt;
class PlotBox;

/// Whether the line of a trail joins point `a` to the next point `b`: both
/// are finite, and the step is not a jump, a step more than 8 times as long
/// as the steps on both sides of it (and longer than 4 pixels), which is a
/// break in the data rather than a stretch of fast motion. `before` is the
/// point before `a` and `after` the point after `b`, null where there is
/// none; they decide alike whatever part of the trail is shown.
bool StepJoins(const ViewPoint* before, ViewPoint a, ViewPoint b, const ViewPoint* after);

/// The trails' points in view pixels for one mapping, kept from paint to
/// paint: a tick of the publication look repaints a few tiles, and maps
/// nothing again while the rows it shows stay among those held. Holds, for
/// rows about those asked for, each body's points, whether each step joins
/// (StepJoins), and the boxes about each piece of kPiece steps and each
/// part of kPart steps, so that a repaint passes over the pieces and parts
/// that cannot show without looking at their points. Starts afresh when the table's contents, its rows, the
/// bodies or the mapping change.
class TrailLines {
public:
    /// Steps in a piece and in a part of one; pieces and parts start at rows
    /// that are multiples of their length.
    static constexpr int64_t kPiece = 32, kPart = 8;

    /// Makes rows [first, last) of bodies 1 to `state.loaded().usableBodies()`
    /// available for the plot's mapping, and the row on either side where
    /// there is one (what the ends of the rows' steps are decided by); the
    /// rows must exist.
    void Prepare(const RunAt& state, const PlotBox& plot, int64_t first, int64_t last);

    /// Body `body`'s point at `row`, and those after it.
    const ViewPoint* points(int body, int64_t row) const {
        return &points_[std::size_t(body - 1) * held() + std::size_t(row - first_)];
    }
    /// Whether the point at `row` is held.
    bool holds(int64_t row) const { return row >= first_ && row < end_; }
    /// Whether the line joins the point at `row` - 1 to that at `row`.
    bool joins(int body, int64_t row) const {
        return joins_[std::size_t(body - 1) * held() + std::size_t(row - first_)] != 0;
    }
    /// The box about the points (those held) of rows `n * length` to
    /// `(n + 1) * length` of the piece (length kPiece) or the part (kPart)
    /// that starts at `row`.
    struct Box {
        double left, top, right, bottom;
    };
    const Box& pieceBox(int body, int64_t row) const {
        return pieceBoxes_[std::size_t(body - 1) * pieces_ + std::size_t((row - first_) / kPiece)];
    }
    const Box& partBox(int body, int64_t row) const {
        return partBoxes_[std::size_t(body - 1) * parts_ + std::size_t((row - first_) / kPart)];
    }

private:
    std::size_t held() const { return std::size_t(end_ - first_); }

    struct Key {
        uint64_t tableVersion = 0;
        int64_t rows = 0;
        int bodies = 0;
        PlotMapping mapping;
        bool operator==(const Key&) const = default;
    };
    Key key_;
    int64_t first_ = 0, end_ = 0;         // rows held
    std::size_t pieces_ = 0, parts_ = 0;  // per body
    std::vector<ViewPoint> points_;
    std::vector<uint8_t> joins_;
    std::vector<Box> pieceBoxes_, partBoxes_;
};

/// The ends of the step into `row` of a line whose drawn steps `drawn`
/// tells: where the step before or after it is drawn too, an end reaches
/// across the bend between them as far as its turn needs (a square end
/// where none is), so that dense rows ink the trail once over and no wider
/// than asked. It depends on the data alone, as whether a step is drawn
/// does, so that a tick and a full paint give a step the same ends.
template <class Drawn>
StrokeEnds StepEnds(const TrailLines& lines, int body, int64_t row, const Drawn& drawn) {
    const ViewPoint* step = lines.points(body, row - 1);
    const bool before = row >= 2 && lines.holds(row - 2) && drawn(row - 1);
    const bool after = lines.holds(row + 1) && drawn(row + 1);
    return JoinedEnds(before ? step - 1 : nullptr, step[0], step[1], after ? step + 2 : nullptr);
}
