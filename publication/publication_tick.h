#pragma once
#include <cstdint>
#include <functional>
#include <utility>

#include "animation/tick_damage.h"
#include "animation/view_steps.h"
#include "publication/publication_paint.h"
#include "publication/run_trails.h"
#include "publication/trail_chunks.h"
#include "publication/trail_drafts.h"
#include "publication/trail_lines.h"

struct SimulationState;
class PlotBox;
class DrawingSurface;

/// The pictures a view of the publication look keeps between ticks, each
/// the view's size times a whole number of pixels: the picture shown and,
/// when kept apart, the layer under its discs (PaintLayers::Under). The
/// window keeps them as the toolkit's images; tests keep them in memory.
class PublicationLayers {
public:
    enum class Layer { Under, Picture };

    virtual ~PublicationLayers() = default;
    /// Whether the layer under is kept apart from the picture. Without it,
    /// only the picture is kept, painted whole, and ticks cannot mend it.
    virtual bool apart() const = 0;
    /// Hands `paint` a smooth surface over `layer`, in pixels of the view,
    /// which draws only within the tiles `only` marks when given: the
    /// pixels inside come out as a paint of the whole layer gives them.
    virtual void Paint(Layer layer, const TickDamage* only,
                       const std::function<void(DrawingSurface& surface)>& paint) = 0;
    /// Copies from the layer under into the picture the tiles `tiles` marks,
    /// or all of it when null.
    virtual void CopyUnder(const TickDamage* tiles) = 0;
};

/// What a tick of the publication look changed in the layer under: the
/// tiles to paint again, and the steps to draw over it (SmoothPass::added).
/// With the trails in side layers (TrailChunks): the tiles where any step
/// came or went, to lay the layers over again, and the rows of the steps
/// that went (or came under others), whose chunks are drawn again within
/// `damage`.
struct UnderChange {
    TickDamage damage;
    std::pair<int64_t, int64_t> added{};
    TickDamage composed;
    std::pair<int64_t, int64_t> redrawRows{};
    /// The pixels themselves (tiles of two pixels) of `composed` and of
    /// `damage`: a few times fewer than their tiles hold about short steps.
    TickDamage composedPixels, wentPixels;
};

/// Moves a view of the publication look one tick on, drawing nothing: it
/// moves and answers the timer as the classic tick does (TickView), and
/// tells in `wraps` whether a loop went round to its start.
TimerRequest MovePublicationTick(SimulationState& state, bool& wraps);

/// What one tick of the publication look did.
struct PublicationStep {
    TimerRequest timer;
    /// The layers show the new row, their changed tiles painted again: false
    /// when no layers were given, they are not kept apart, or the tick
    /// changed too much to tell (then the whole picture is to be painted).
    bool mended = false;
};

/// The publication look's ticks in a view that keeps its picture between
/// them: what is drawn under the discs and over them, which tiles a tick
/// changes, and where the legend and the time stamp stand, chosen by the
/// last full paint. A tick draws the trails' new steps over the layer
/// under, paints again the tiles of it where steps went, copies the changed
/// tiles into the picture and paints over them what stands over the trails:
/// the picture is then the one a full paint at the new row makes.
class PublicationTick {
public:
    /// Tiles of 4 pixels: dense trails cross a tick's changes many times
    /// over, so that larger tiles would repaint much more than changed.
    static constexpr int32_t kTileShift = 2;

    /// Paints `layers` whole for a view of `width` x `height` at the row
    /// shown, the layer under apart when they keep it; places the notes for
    /// the ticks, and gives `plot` the mapping painted with, so that the
    /// pointer maps as drawn.
    /// With `draft`, the trails are drafts (SmoothPass::draft), for a
    /// picture shown while the view turns; ticks then paint whole.
    void Paint(const SimulationState& state, PlotBox& plot, PublicationLayers& layers, int width, int height,
               bool draft = false);

    /// One timer tick: moves the playback (MovePublicationTick), marks what
    /// changed in the view of `width` x `height` and, with `layers` as the
    /// last Paint left them, mends them. A turn of the playback since the
    /// paint changes all of the picture: its steps are drawn in the
    /// playback's direction. Without data loaded it changes nothing and
    /// asks the timer to stop.
    PublicationStep Tick(SimulationState& state, const PlotBox& plot, int width, int height,
                         PublicationLayers* layers);

    /// What the last tick changed in the picture, the part to present.
    const TickDamage& damage() const { return damage_; }
    /// Where the last paint put the legend and the time stamp.
    const PublicationNotes& notes() const { return notes_; }

private:
    void Mend(const SimulationState& state, const PlotBox& plot, int width, int height,
              PublicationLayers& layers);

    TrailLines lines_;    ///< the trails' points of the layer under, kept from paint to paint
    TrailDrafts drafts_;  ///< the rows of the drafts drawn while a drag turns the view
    RunTrails runs_;      ///< the runs compared's trails' points, drawn with the first run's
    TrailChunks chunks_;  ///< the trails' side layers, when the layer under is a raster
    TickDamage damage_;
    UnderChange under_;
    PublicationNotes notes_;
    int32_t direction_ = 1;  ///< the playback's direction the layers were painted in
};
