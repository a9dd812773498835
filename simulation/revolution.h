#pragma once
#include <cstdint>
#include <span>

class TrajectoryTable;

/// One body's first revolution about a centre: the angle it turns from one
/// position to the next, summed from the first position added, until the
/// sum reaches a whole circle either way (clockwise counts as well).
class Revolution {
public:
    /// Adds the body's position at `row`, about the centre; closes the
    /// revolution at `row` once the angle turned reaches a whole circle.
    /// Positions after it closed change nothing.
    void Add(int32_t row, double x, double y);
    /// Closes the revolution at `row` for a reason of the caller's (orbivex-gen:
    /// the body is back where it started); one closed already stays so.
    void Close(int32_t row) {
        if (closedAt_ < 0) closedAt_ = row;
    }
    bool closed() const { return closedAt_ >= 0; }
    /// Rows from the first position added to the one that closed the
    /// revolution, both counted; -1 while it is open.
    int32_t rows() const { return closedAt_ >= 0 ? closedAt_ - first_ + 1 : -1; }

private:
    int32_t first_ = -1, closedAt_ = -1;
    double turned_ = 0.0, lastX_ = 0.0, lastY_ = 0.0;
};

/// Which bodies the slowest revolution is chosen from.
enum class RevolutionOf {
    /// Those that went round; a body that did not is passed over (a table,
    /// in which a body that only swings to and fro leaves the trail to
    /// those that go round).
    BodiesGoingRound,
    /// Every body, none if one did not go round (orbivex-gen, whose trail
    /// then shows half the rows so that no orbit is cut).
    EveryBody,
};

/// Rows in one revolution of the slowest body: the most rows any of
/// `revolutions` took, chosen as `of` says; -1 when there is none.
int32_t SlowestRevolution(std::span<const Revolution> revolutions, RevolutionOf of);

/// Rows in one revolution about the origin of the slowest body of bodies 1
/// to `bodies` that goes round within rows 0 to `rows` - 1, counted from
/// its first row with a position that is finite and not at the origin;
/// rows without such a position are passed over. -1 when no body goes round.
int32_t RowsOfSlowestRevolution(const TrajectoryTable& table, int32_t rows, int32_t bodies);
