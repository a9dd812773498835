#pragma once
#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPointF>
#include <QRegion>
#include <cstdint>
#include <unordered_set>
#include <vector>

#include "plot/drawing_surface.h"
#include "plot/line_raster.h"

class QPainter;
class TickDamage;

/// A drawing surface over a toolkit painter at `scale` times the size of the
/// pixel picture: every position, length, line width and the text's size are
/// multiplied by the scale, lines and discs are drawn as smooth shapes and
/// text as text, so that the same drawing calls give a large raster, an SVG
/// or a PDF of the picture the raster surface draws. Coordinates stay those
/// of the pixel picture of `width` x `height`.
class PainterSurface : public DrawingSurface {
public:
    PainterSurface(QPainter& painter, int32_t width, int32_t height, double scale);
    ~PainterSurface() override;
    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;

    void Clear(ColourRef colour) override;
    void SetPixel(int32_t x, int32_t y, ColourRef colour) override;
    void Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) override;
    ColourRef SelectBrush(ColourRef colour) override;
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void TextOut(int32_t x, int32_t y, std::string_view text) override;
    bool FillDisc(int32_t x, int32_t y, int32_t radius, ColourRef colour, const DeviceRect& clip) override;
    DeviceRect bounds() const override { return {0, 0, width_, height_}; }

    bool smooth() const override { return true; }
    void StrokePolyline(const ViewPoint* points, std::size_t count, ColourRef colour, double width) override;
    void StrokeSegments(const Stroke* strokes, std::size_t count, double width) override;
    void DraftPolyline(const ViewPoint* points, std::size_t count, ColourRef colour) override;
    bool LayerSize(int32_t& width, int32_t& height) const override;
    void ClearLayer(const PixelRaster& layer, const TileMask* only = nullptr) override;
    void StrokeSegmentsOnto(const PixelRaster& layer, const Stroke* strokes, std::size_t count, double width,
                            const TileMask* only = nullptr) override;
    void CopyInto(const PixelRaster& layer) override;
    void ComposeLayers(const PixelRaster* const* layers, std::size_t count, const PixelRaster* base = nullptr,
                       const TileMask* only = nullptr, const PixelRaster* into = nullptr) override;
    void ComposeRefreshing(const PixelRaster* newest, const PixelRaster& below,
                           const PixelRaster* const* layers, std::size_t count, const PixelRaster& base,
                           const TileMask* only, const TileMask& refresh) override;
    void FillCircle(ViewPoint centre, double radius, ColourRef fill, ColourRef outline,
                    double outlineWidth) override;
    void FillArea(double left, double top, double right, double bottom, ColourRef colour) override;
    void DrawText(ViewPoint anchor, std::string_view text, const TextStyle& style) override;
    ViewPoint TextExtent(std::string_view text, double size) const override;
    void ClipTo(double left, double top, double right, double bottom) override;
    void Unclip() override;
    bool piecewise() const override;
    bool partial() const override { return only_ != nullptr; }
    bool Shows(double left, double top, double right, double bottom) const override;

    /// Draws the points set since the last drawing call other than SetPixel,
    /// and the discs waiting.
    void Flush();
    /// Draws from now on only within the tiles `damage` marks (which must
    /// outlive the surface): the painter is clipped to them, and points
    /// outside them are passed over at once. With a whole-number scale the
    /// pixels inside come out as a full paint draws them.
    void RestrictTo(const TickDamage& damage);

private:
    /// Turns smoothing off for its life when the scale is a whole number.
    class SharpEdges {
    public:
        explicit SharpEdges(PainterSurface& surface);
        ~SharpEdges();

    private:
        QPainter& painter_;
        bool on_;
    };

    QPainter& painter_;
    int32_t width_;
    int32_t height_;
    double scale_;
    QFont font_;
    int textAdvance_ = 0;
    int textHeight_ = 0;
    int textAscent_ = 0;
    ColourRef brush_ = 0xFFFFFF;
    int32_t currentX_ = 0;
    int32_t currentY_ = 0;
    /// Points of one colour waiting to be drawn together, each pixel once.
    std::vector<QRectF> points_;
    std::unordered_set<uint64_t> pointSet_;
    ColourRef pointColour_ = 0;
    const TickDamage* only_ = nullptr;
    /// ClipTo saved the painter's state, which Unclip restores.
    bool clipped_ = false;
    /// The painter is still to be clipped to the tiles of RestrictTo; the
    /// region was set within ClipTo's saved state.
    bool clipPending_ = false, regionInClip_ = false;
    void ApplyPendingClip();
    /// Discs waiting to be blended into the image together, in bands.
    struct QueuedDisc {
        ViewPoint centre;
        double radius;
        ColourRef colour;
        DeviceRect clip;
    };
    std::vector<QueuedDisc> discs_;
    void FlushDiscs();
    std::vector<QPointF> path_;
    std::vector<QLineF> lines_;
    /// The image under the painter (no bits when it is not one), and where
    /// the smooth operations may draw on it: the picture, cut to ClipTo's
    /// rectangle, and the rectangle before it.
    PixelRaster image_;
    DeviceRect clip_{}, unclipped_{};

    /// Blends the strokes onto `target` (the image or a side layer of its
    /// size) in bands of rows at once, within the clip and `only` (view
    /// tiles) when given, else the tiles the surface is restricted to.
    void BlendSegments(const PixelRaster& target, const Stroke* strokes, std::size_t count, double width,
                       const TileMask* only);
    /// `only`, else the tiles the surface is restricted to, in the image's pixels.
    TileMask RasterMask(const TileMask* only) const;
    /// The image's pixels when the painter draws on an opaque image without
    /// a transform, where lines are blended straight in; null otherwise.
    const PixelRaster* imagePixels() const;
};

/// The proportional face of the publication look at `pixels` pixels.
QFont PublicationFont(double pixels);

/// The toolkit colour of a 0x00BBGGRR colour.
QColor ToQColor(ColourRef colour);
