#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "base/colour.h"
#include "plot/plot_mapping.h"
#include "publication/trail_lines.h"

struct SimulationState;
struct Run;
class PlotBox;
class DrawingSurface;
class TickDamage;

/// The trails of the runs compared, in the publication look, kept from
/// paint to paint. Each step of a run belongs to a row of the first run:
/// the steps between the run's rows shown at the first run's rows r - 1
/// and r belong to r. They come and go with r's steps, are drawn right
/// after them and lie in the same side layer, so that a tick mends the
/// runs as it mends the first run's trails. A run's line pattern is made
/// of whole steps: whether a step is drawn depends on its row alone (the
/// pattern's lengths turned into rows from the body's usual step on the
/// screen), so that a repaint of a few tiles draws there what a full paint
/// draws, and the pattern stays put as the trail moves.
class RunTrails {
public:
    /// A run shown, as prepared for a paint.
    class Prepared {
    public:
        const TrailLines& lines() const { return lines_; }
        int bodies() const { return int(patterns_.size()); }
        ColourRef colour(int body) const;
        /// RunTrails::StepsOf for this run.
        std::pair<int64_t, int64_t> StepsOf(int64_t row) const { return RunTrails::StepsOf(*run_, row); }
        /// Whether its trail fades, and the row and trail length it fades by.
        bool fades() const { return fade_; }
        /// Whether the run's pattern draws its step into `row` for `body`.
        bool Patterned(int body, int64_t row) const;

    private:
        friend class RunTrails;
        /// A body's pattern in rows: the step into row r is drawn when
        /// (r - 1) mod `period` falls before ends[0], or between ends[1] and
        /// ends[2]; every step when `period` is 0.
        struct Rows {
            int64_t period = 0;
            int64_t ends[3] = {};
        };
        const ::Run* run_ = nullptr;
        bool fade_ = false;
        int64_t row_ = 0, trail_ = 0;
        std::pair<int64_t, int64_t> span_{};  ///< the rows whose points are held
        TrailLines lines_;
        uint64_t version_ = 0;
        PlotMapping mapping_;
        double width_ = 0;
        int style_ = 0;
        std::vector<Rows> patterns_;  ///< element k - 1 for body k
    };

    /// Whether `run`'s trail is drawn: it is shown, has rows and draws
    /// trails.
    static bool Traced(const ::Run& run);
    /// The steps of `run` that belong to the first run's row `row`: into its
    /// rows [first, last), in order; none when the row is not aligned.
    static std::pair<int64_t, int64_t> StepsOf(const ::Run& run, int64_t row);

    /// Makes ready the points and the patterns, for lines of `width`, of the
    /// shown runs' steps that belong to the first run's rows [first, last).
    void Prepare(const SimulationState& state, const PlotBox& plot, int64_t first, int64_t last,
                 double width);
    /// The runs prepared by the last Prepare, in the order drawn: those shown
    /// with trails and rows.
    const std::vector<const Prepared*>& prepared() const { return prepared_; }

    /// Draws the steps of the runs prepared, run after run, each in its
    /// run's pattern, over what the surface holds; on a partial surface only
    /// the pieces that reach what it shows. Faded, each piece in the colour
    /// of its middle row. For the drawings and faded trails, which are not
    /// drawn row after row.
    void Draw(DrawingSurface& surface, double width) const;

    /// The row each run stands at, for MarkRings.
    static std::vector<int32_t> RowsOf(const SimulationState& state);
    /// Marks on `damage` the rings of the runs compared at the rows `before`
    /// and at their rows now, for a view of `width` x `height`.
    static void MarkRings(const SimulationState& state, const PlotBox& plot, int width, int height,
                          const std::vector<int32_t>& before, TickDamage& damage);

private:
    std::vector<Prepared> runs_;
    std::vector<const Prepared*> prepared_;
};
