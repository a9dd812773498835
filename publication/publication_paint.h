#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "plot/axes_frame.h"
#include "plot/device_types.h"
#include "publication/turned_view_marks.h"

struct SimulationState;
struct RunAt;
class PlotBox;
class DrawingSurface;
class TrailLines;
class TrailDrafts;
class TrailChunks;
class TickDamage;
class RunTrails;
struct ViewPoint;

/// The text size of the publication look for a view of `width` x `height`
/// pixels: the size asked for, or one that reads alike from 400 pixels to 4K
/// (a 36th of the shorter side, at least 9).
double PublicationFontSize(const RunAt& state, int width, int height);

/// How much larger than in a 600-pixel view the publication look draws its
/// marks in a view of `width` x `height`: as much as its text grows, so that
/// a large picture or video shows the bodies as clearly as the window; a
/// smaller view keeps them as they are at 600 pixels.
double MarkScale(int width, int height);
/// The trails' width: the one asked for in pixels, else 1.5 pixels scaled.
double TrailWidth(const RunAt& state, int width, int height);
/// Body `body`'s disc radius: the size asked for in pixels, else the body's
/// radius (and half a pixel) scaled; below 0 for a body drawn without one.
double DiscRadius(const RunAt& state, int body, int width, int height);
/// The sun's radius, scaled; 0 without a sun.
double SunRadius(const RunAt& state, int width, int height);
/// The width of the sun's outline, scaled.
double SunOutline(int width, int height);

/// The ring a run compared draws about where a body's disc of `radius`
/// would be: its radius and its line's width.
inline double RingRadius(double radius) { return radius * 1.7 + 1; }
inline double RingWidth(double radius) { return radius / 3 > 1 ? radius / 3 : 1; }

/// The time stamp of the row shown, "t = 8.21 yr": the decimals that print
/// the time step exactly, but at most one more than tell two rows apart
/// (2 when the step is 0), then the time unit when there is one; empty when
/// the row does not exist.
std::string ClockText(const SimulationState& state);
/// The decimals of the time stamps: those that print the time step exactly,
/// but at most one more than tell two rows apart (2 when the step is 0).
int ClockDecimals(const SimulationState& state);
/// The time stamp of `row`, as ClockText gives it for the row shown.
std::string ClockTextAt(const SimulationState& state, int32_t row);

/// Splits the trail's view points [0, count) into the runs drawn as one
/// line each, broken where a step does not join (StepJoins: a point that is
/// not finite, or a jump). Returns [first, last) pairs of two points or more.
std::vector<std::pair<std::size_t, std::size_t>> TrailRuns(const ViewPoint* points, std::size_t count);

/// What a paint of the publication look draws: everything, or one of its
/// two layers. Under them all: the fill, the grid, the axes and the trails,
/// which a tick changes in a few places only; over them: the discs, the
/// legend, the time stamp, the frame and the labels. A view that keeps the
/// layer under apart mends the places where discs moved from it, without
/// drawing the trails there again. Added: only some steps of the trails,
/// over the layer under.
enum class PaintLayers { All, Under, Over, Added };

/// Where a full paint of the publication look puts the notes over the
/// plot, for the repaints of a few tiles and the ticks that follow it,
/// which leave them where they stand.
struct PublicationNotes {
    int legendCorner = -1;  ///< the box corner (0 to 3, as BoxCorner) of the legend; -1 without one
    /// The time stamp's box, which holds any stamp of up to `stampChars`
    /// characters; empty without a stamp.
    DeviceRect stampRect{};
    int stampChars = 0;
    bool operator==(const PublicationNotes&) const = default;
};

/// How one paint of the publication look goes.
struct SmoothPass {
    TrailLines* lines = nullptr;  ///< the trails' points kept from paint to paint, or null
    PaintLayers layers = PaintLayers::All;
    /// With PaintLayers::Added: the steps into rows [first, last) of every
    /// trail. On a raster the steps are drawn row after row in the
    /// playback's direction (down the rows while it plays backwards), each
    /// row's bodies in turn, so that steps after all those drawn before are
    /// drawn over them as a full paint draws them.
    std::pair<int64_t, int64_t> added{};
    /// The notes of the full paint whose tiles are painted again; null: the
    /// paint places them anew, as a full paint does.
    const PublicationNotes* notes = nullptr;
    /// On a raster: the trails' side layers kept from paint to paint (see
    /// TrailChunks), drawn whole by a full paint; null: made for the paint.
    TrailChunks* chunks = nullptr;
    /// In a repaint of a few tiles with the layers kept: the chunks holding
    /// steps into rows [first, last) are drawn again within the tiles
    /// `redraw` marks (which lie within those repainted); the others are
    /// only laid over the picture again.
    std::pair<int64_t, int64_t> redrawRows{};
    const TickDamage* redraw = nullptr;
    /// With the layers kept, in a repaint of a few tiles: the pixels where
    /// the layers are laid over the picture under the trails again, which
    /// is all this pass draws (the layer under is right elsewhere).
    const TickDamage* composed = nullptr;
    /// The pixels the steps that went reach (within `redraw`), where the
    /// picture under the newest layer is made again.
    const TickDamage* went = nullptr;
    /// The trails of the runs compared, kept from paint to paint, or null:
    /// made for the paint. Each step is drawn with the first run's row it
    /// belongs to (RunTrails).
    RunTrails* runTrails = nullptr;
    /// A draft for a picture shown only while the view turns: each trail a
    /// line of one device pixel, not smoothed (DraftPolyline), the runs
    /// compared without trails.
    bool draft = false;
    /// The drafts' rows kept from picture to picture, or null: chosen for
    /// the paint.
    TrailDrafts* drafts = nullptr;
};

/// Gives the plot the mapping the publication look paints with for a view
/// of `width` x `height` (the box inside margins sized for the labels, as
/// `surface` measures text), as PaintPublicationView does first, and tells
/// where a full paint puts the notes.
PublicationNotes MapPublicationView(const SimulationState& state, PlotBox& plot,
                                    const DrawingSurface& surface, int width, int height);

/// How far from a trail's points, in pixels of the view, the pixels of its
/// line of `width` reach.
double LineReach(double width);

/// Paints the whole view in the publication look on a smooth surface:
/// margins sized for the labels, round ticks on all four sides, the optional
/// grid, the axes through the origin, each trail as one smooth line, the
/// discs, the legend when bodies are named, the title and the time stamp.
/// The plot takes the mapping of this paint (its viewport is left as it
/// was); the notes over it are placed anew, or taken from the pass. The
/// trails' points are kept in `lines` when given, for the next paint.
void PaintPublicationView(const SimulationState& state, PlotBox& plot, DrawingSurface& surface, int width,
                          int height, const SmoothPass& pass = {});

/// Where a full paint of the publication look at the row shown puts what
/// it draws, for a view of `width` x `height` measured by `surface`, for a
/// page that draws it itself: the box, the text's metrics, the marks'
/// sizes, the legend's box and the time stamp's. The plot takes the
/// paint's mapping.
struct PublicationLayout {
    ViewRect box;
    TextMetrics m;
    std::string xTitle, yTitle;  ///< the axes' titles, empty without a length unit
    double trailWidth = 1.5, sunRadius = 0, sunOutline = 0;
    std::vector<double> discRadius;  ///< element k - 1 for body k; below 0: not drawn
    /// The legend's box (empty without one), its discs' radius and its rows'
    /// height, the names it lists and the bodies it counts on a last line.
    ViewRect legend{};
    double legendDisc = 0, legendRow = 0;
    int legendNamed = 0, legendMore = 0;
    ViewRect stamp{};  ///< the time stamp's white box; empty without a stamp
    int clockDecimals = 2;
    TurnedMarks marks;  ///< where a turned view's triad and scale bar stand
};
PublicationLayout LayOutPublicationView(const SimulationState& state, PlotBox& plot,
                                        const DrawingSurface& surface, int width, int height);
