#pragma once
#include <cstdint>
#include <utility>
#include <vector>

#include "animation/trail_lines.h"
#include "plot/plot_mapping.h"

struct SimulationState;
class PlotBox;
class DrawingSurface;
class TickDamage;

/// The trails of the runs compared, in the publication look, kept from
/// paint to paint. A run's line pattern is made of whole steps: whether a
/// step is drawn depends on its row alone (its pattern's lengths turned into
/// rows from the body's usual step on the screen), so that a tick that
/// paints a few tiles again draws there what a full paint draws, and the
/// pattern stays put as the trail moves.
class RunTrails {
public:
    /// Draws the trails of the runs shown over what the surface holds, each
    /// in its run's pattern; on a partial surface only the pieces that reach
    /// what it shows.
    void Draw(const SimulationState& state, const PlotBox& plot, DrawingSurface& surface, double width);

    /// Where each run stands: its trail's rows and its row, for MarkTick.
    using Places = std::vector<std::pair<std::pair<int64_t, int64_t>, int32_t>>;
    static Places PlacesOf(const SimulationState& state);
    /// Marks on `damage` what a tick changed of the runs compared, for a
    /// view of `width` x `height`: the steps that came or went between
    /// `before` and the places now, and the rings before and after; the
    /// steps on `trails` too (of the same size and tiles). Everything on
    /// both when too many steps changed.
    static void MarkTick(const SimulationState& state, const PlotBox& plot, int width, int height,
                         const Places& before, TickDamage& damage, TickDamage& trails);

private:
    /// A body's pattern in rows: the step into row r is drawn when
    /// (r - 1) mod `period` falls before ends[0], or between ends[1] and
    /// ends[2]; every step when `period` is 0.
    struct Rows {
        int64_t period = 0;
        int64_t ends[3] = {};
    };
    struct Run {
        TrailLines lines;
        uint64_t version = 0;
        PlotMapping mapping;
        double width = 0;
        int style = 0;
        std::vector<Rows> bodies;  ///< element k - 1 for body k
    };
    static bool Drawn(const Rows& rows, int64_t row);
    std::vector<Run> runs_;
};
