#include "app/painter_surface.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QString>
#include <algorithm>
#include <cmath>

#include "animation/tick_damage.h"
#include "app/qt_text_painter.h"
#include "base/parallel_for.h"
#include "plot/layer_compose.h"
#include "plot/line_raster.h"

namespace {
constexpr const char* kPublicationFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}  // namespace

QColor ToQColor(ColourRef colour) { return QColor(RedOf(colour), GreenOf(colour), BlueOf(colour)); }

PainterSurface::PainterSurface(QPainter& painter, int32_t width, int32_t height, double scale)
    : painter_(painter), width_(width), height_(height), scale_(scale) {
    // The text box and the glyphs' place come from the pixel font, so that
    // text lands where the raster's does; the glyphs are drawn from the same
    // face at the scaled size, smooth.
    const QFont pixelFont = QtTextPainter::ViewFont();
    const QFontMetrics metrics(pixelFont);
    textAdvance_ = metrics.horizontalAdvance(QLatin1Char('0'));
    textHeight_ = metrics.height();
    textAscent_ = metrics.ascent();
    font_ = pixelFont;
    font_.setPixelSize(std::max(1, int(pixelFont.pixelSize() * scale + 0.5)));
    font_.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoFontMerging));
    font_.setHintingPreference(QFont::PreferNoHinting);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    painter_.setClipRect(QRectF(0, 0, width * scale, height * scale));
    clip_ = {0, 0, int32_t(std::lround(width * scale)), int32_t(std::lround(height * scale))};
    // Lines on an opaque image are blended straight into its pixels.
    QPaintDevice* device = painter_.device();
    if (device && device->devType() == QInternal::Image) {
        auto* image = static_cast<QImage*>(device);
        if (image->format() == QImage::Format_RGB32 && image->devicePixelRatio() == 1) {
            image_ = {reinterpret_cast<uint32_t*>(image->bits()), image->width(), image->height(),
                      image->bytesPerLine() / 4};
            clip_.right = std::min(clip_.right, image_.width),
            clip_.bottom = std::min(clip_.bottom, image_.height);
        }
    }
}

PainterSurface::~PainterSurface() {
    Flush();
    Unclip();
}

void PainterSurface::FlushDiscs() {
    if (discs_.empty()) return;
    const PixelRaster* raster = imagePixels();
    TileMask mask;
    if (only_) mask = only_->mask(), mask.size *= int32_t(scale_);
    // Bands of rows, one per processor, each drawing every disc cut to its
    // rows in turn: a pixel sees the discs in their order.
    const unsigned bands = raster ? WorkerCount(discs_.size(), 256) : 0;
    if (bands > 0)
        ParallelFor(0, raster->height, bands, [&](int64_t top, int64_t bottom) {
            for (const QueuedDisc& d : discs_) {
                const DeviceRect clip{d.clip.left, std::max(d.clip.top, int32_t(top)), d.clip.right,
                                      std::min(d.clip.bottom, int32_t(bottom))};
                BlendDisc(*raster, d.centre, d.radius, d.colour, clip, only_ ? &mask : nullptr);
            }
        });
    discs_.clear();
}

/// On an image at a whole-number scale the rectangles (the background,
/// boxes, points) lie on whole pixels, where smoothing changes nothing,
/// except that inside a clip region it lets a trace of the colour under a
/// clip edge through: they are filled without it then. Vector outputs are
/// left as they are.
PainterSurface::SharpEdges::SharpEdges(PainterSurface& surface)
    : painter_(surface.painter_),
      on_(surface.scale_ == std::floor(surface.scale_) && painter_.device() &&
          painter_.device()->devType() == QInternal::Image) {
    if (on_) painter_.setRenderHint(QPainter::Antialiasing, false);
}

PainterSurface::SharpEdges::~SharpEdges() {
    if (on_) painter_.setRenderHint(QPainter::Antialiasing, true);
}

void PainterSurface::Flush() {
    FlushDiscs();
    if (points_.empty()) return;
    ApplyPendingClip();
    SharpEdges sharp(*this);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(pointColour_));
    painter_.drawRects(points_.data(), int(points_.size()));
    points_.clear();
    pointSet_.clear();
}

void PainterSurface::Clear(ColourRef colour) {
    Flush();
    ApplyPendingClip();
    SharpEdges sharp(*this);
    painter_.fillRect(QRectF(0, 0, width_ * scale_, height_ * scale_), ToQColor(colour));
}

void PainterSurface::RestrictTo(const TickDamage& damage) {
    Flush();
    only_ = &damage;
    clipPending_ = true;
}

void PainterSurface::ApplyPendingClip() {
    if (!clipPending_ || !only_) return;
    // Made when the painter first draws: a repaint whose drawing goes
    // straight into the raster never needs the region of its many tiles.
    std::vector<QRect> rects;
    for (const DeviceRect& r : only_->Rects())
        rects.emplace_back(int(r.left * scale_), int(r.top * scale_), int((r.right - r.left) * scale_),
                           int((r.bottom - r.top) * scale_));
    // The tiles come in rows, top to bottom and left to right, without
    // overlaps: the banded order a region is made from directly.
    QRegion region;
    if (!rects.empty()) region.setRects(rects.data(), int(rects.size()));
    painter_.setClipRegion(region, Qt::IntersectClip);
    clipPending_ = false;
    regionInClip_ = clipped_;  // gone with the clip's saved state, to be set again after
}

void PainterSurface::SetPixel(int32_t x, int32_t y, ColourRef colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    if (only_ && !only_->Covers(x, y)) return;
    FlushDiscs();
    if (colour != pointColour_) Flush();
    pointColour_ = colour;
    // Many rows of a slow body fall on one pixel: each is drawn once.
    if (!pointSet_.insert((uint64_t(uint32_t(x)) << 32) | uint32_t(y)).second) return;
    points_.emplace_back(x * scale_, y * scale_, scale_, scale_);
}

void PainterSurface::Rectangle(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    Flush();
    ApplyPendingClip();
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (right <= left || bottom <= top) return;
    const double s = scale_;
    const QRectF outer(left * s, top * s, (double(right) - left) * s, (double(bottom) - top) * s);
    SharpEdges sharp(*this);
    painter_.fillRect(outer, Qt::black);
    if (right - left > 2 && bottom - top > 2)
        painter_.fillRect(outer.adjusted(s, s, -s, -s), ToQColor(brush_));
}

ColourRef PainterSurface::SelectBrush(ColourRef colour) { return std::exchange(brush_, colour); }

void PainterSurface::MoveTo(int32_t x, int32_t y) {
    currentX_ = x;
    currentY_ = y;
}

void PainterSurface::LineTo(int32_t x, int32_t y) {
    Flush();
    ApplyPendingClip();
    const double s = scale_;
    // Through the centres of the end pixels, one pixel wide.
    const QPointF from((currentX_ + 0.5) * s, (currentY_ + 0.5) * s), to((x + 0.5) * s, (y + 0.5) * s);
    MoveTo(x, y);
    if (from == to) return;
    painter_.setPen(QPen(Qt::black, s, Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(from, to);
}

void PainterSurface::TextOut(int32_t x, int32_t y, std::string_view text) {
    Flush();
    ApplyPendingClip();
    if (text.empty()) return;
    // Names and titles from a configuration may be UTF-8; ASCII reads the same either way.
    const QString string = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const double s = scale_;
    {
        SharpEdges sharp(*this);
        painter_.fillRect(
            QRectF(x * s, y * s, double(textAdvance_) * double(text.size()) * s, textHeight_ * s), Qt::white);
    }
    painter_.setFont(font_);
    painter_.setPen(Qt::black);
    painter_.drawText(QPointF(x * s, (y + textAscent_) * s), string);
}

bool PainterSurface::FillDisc(int32_t x, int32_t y, int32_t radius, ColourRef colour,
                              const DeviceRect& clip) {
    Flush();
    ApplyPendingClip();
    if (radius < 0 || clip.right <= clip.left || clip.bottom <= clip.top) return true;  // nothing shows
    if (radius == 0) return false;  // one pixel, as the raster draws it
    const double s = scale_;
    // The raster's disc holds the pixels within `radius` of the centre
    // pixel, as many as a circle of that radius covers.
    const double reach = radius * s;
    painter_.save();
    painter_.setClipRect(QRectF(clip.left * s, clip.top * s, (double(clip.right) - clip.left) * s,
                                (double(clip.bottom) - clip.top) * s),
                         Qt::IntersectClip);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(colour));
    painter_.drawEllipse(QPointF((x + 0.5) * s, (y + 0.5) * s), reach, reach);
    painter_.restore();
    return true;
}

QFont PublicationFont(double pixels) {
    static const QString family = [] {
        const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kPublicationFontFile));
        const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
        return families.isEmpty() ? QString::fromLatin1("DejaVu Sans") : families.first();
    }();
    QFont font(family);
    // Sizes below a pixel are drawn at a pixel; the size stays fractional
    // so that a scaled picture keeps the same proportions.
    font.setPixelSize(std::max(1, int(std::lround(pixels))));
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferAntialias | QFont::NoFontMerging));
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

void PainterSurface::StrokePolyline(const ViewPoint* points, std::size_t count, ColourRef colour,
                                    double width) {
    Flush();
    if (count < 2) return;
    const double s = scale_;
    path_.clear();
    path_.reserve(count);
    for (std::size_t i = 0; i < count; ++i) path_.emplace_back(points[i].x * s, points[i].y * s);
    if (!imagePixels()) ApplyPendingClip();  // the painter draws it
    if (!piecewise()) {
        // In a drawing, one path per line.
        painter_.setBrush(Qt::NoBrush);
        painter_.setPen(QPen(ToQColor(colour), width * s, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter_.drawPolyline(path_.data(), int(path_.size()));
        return;
    }
    // On a raster, segment by segment, square at the line's ends and
    // reaching across each bend as its turn needs, so that they meet without
    // a gap and are inked once where the line goes straight on: strokes of
    // short segments are far faster than the joins of one long outline.
    if (const PixelRaster* raster = imagePixels()) {
        // Within the marked tiles only, when restricted, so that every pixel
        // takes exactly the blends a full paint gives it.
        TileMask mask;
        if (only_) mask = only_->mask(), mask.size *= int32_t(s);
        const auto at = [&](std::size_t i) { return ViewPoint{path_[i].x(), path_[i].y()}; };
        for (std::size_t i = 0; i + 1 < path_.size(); ++i) {
            const ViewPoint before = i > 0 ? at(i - 1) : ViewPoint{},
                            after = i + 2 < path_.size() ? at(i + 2) : ViewPoint{};
            const StrokeEnds ends = JoinedEnds(i > 0 ? &before : nullptr, at(i), at(i + 1),
                                               i + 2 < path_.size() ? &after : nullptr);
            BlendStroke(*raster, at(i), at(i + 1), width * s, colour, clip_, only_ ? &mask : nullptr, ends);
        }
        return;
    }
    painter_.setBrush(Qt::NoBrush);
    painter_.setPen(QPen(ToQColor(colour), width * s, Qt::SolidLine, Qt::SquareCap));
    lines_.clear();
    for (std::size_t i = 0; i + 1 < path_.size(); ++i) lines_.emplace_back(path_[i], path_[i + 1]);
    painter_.drawLines(lines_.data(), int(lines_.size()));
}

void PainterSurface::StrokeSegments(const Stroke* strokes, std::size_t count, double width) {
    const PixelRaster* raster = imagePixels();
    if (!raster) return DrawingSurface::StrokeSegments(strokes, count, width);
    BlendSegments(*raster, strokes, count, width, nullptr);
}

void PainterSurface::DraftPolyline(const ViewPoint* points, std::size_t count, ColourRef colour) {
    const PixelRaster* raster = imagePixels();
    if (!raster) return DrawingSurface::DraftPolyline(points, count, colour);
    Flush();
    if (clip_.right <= clip_.left || clip_.bottom <= clip_.top) return;
    const double s = scale_;
    const uint32_t pixel = ToRasterPixel(colour);
    // Thinned to the pixels the line covers: a step within the pixel of the
    // last point drawn draws nothing more.
    ViewPoint from{points[0].x * s, points[0].y * s};
    for (std::size_t i = 1; i < count; ++i) {
        const ViewPoint to{points[i].x * s, points[i].y * s};
        if (std::floor(to.x) == std::floor(from.x) && std::floor(to.y) == std::floor(from.y) && i + 1 < count)
            continue;
        DraftLine(*raster, from, to, pixel, clip_);
        from = to;
    }
}

void PainterSurface::StrokeSegmentsOnto(const PixelRaster& layer, const Stroke* strokes, std::size_t count,
                                        double width, const TileMask* only) {
    if (imagePixels()) BlendSegments(layer, strokes, count, width, only);
}

TileMask PainterSurface::RasterMask(const TileMask* only) const {
    TileMask mask;
    if (only)
        mask = *only;
    else if (only_)
        mask = only_->mask();
    mask.size *= int32_t(scale_);
    return mask;
}

void PainterSurface::BlendSegments(const PixelRaster& target, const Stroke* strokes, std::size_t count,
                                   double width, const TileMask* only) {
    Flush();
    const bool masked = only || only_;
    const TileMask mask = RasterMask(only);
    const double s = scale_;
    // Bands of rows, one per processor, each drawing every stroke cut to its
    // rows: a pixel sees the strokes in their order whatever the bands.
    const auto band = [&](int32_t top, int32_t bottom) {
        const DeviceRect clip{clip_.left, std::max(clip_.top, top), clip_.right,
                              std::min(clip_.bottom, bottom)};
        // A stroke whose rows, widened past any pixel it touches, miss the
        // band's is passed over before it is set up.
        const double reach = width * s + 2;
        for (std::size_t i = 0; i < count; ++i) {
            const Stroke& k = strokes[i];
            const double ay = k.a.y * s, by = k.b.y * s;
            if (std::min(ay, by) - reach >= clip.bottom || std::max(ay, by) + reach < clip.top) continue;
            BlendStroke(target, {k.a.x * s, ay}, {k.b.x * s, by}, width * s, k.colour, clip,
                        masked ? &mask : nullptr, k.ends);
        }
    };
    constexpr std::size_t kWorthABand = 512;  // strokes below which one band does
    constexpr unsigned kMostBands = 4;
    const unsigned bands = WorkerCount(count < kWorthABand ? 1 : kMostBands, 1);
    ParallelFor(clip_.top, clip_.bottom, bands,
                [&](int64_t top, int64_t bottom) { band(int32_t(top), int32_t(bottom)); });
}

bool PainterSurface::LayerSize(int32_t& width, int32_t& height) const {
    const PixelRaster* raster = imagePixels();
    if (!raster) return false;
    width = raster->width, height = raster->height;
    return true;
}

void PainterSurface::ClearLayer(const PixelRaster& layer, const TileMask* only) {
    const TileMask mask = RasterMask(only);
    ::ClearLayer(layer, clip_, only || only_ ? &mask : nullptr);
}

void PainterSurface::CopyInto(const PixelRaster& layer) {
    const PixelRaster* raster = imagePixels();
    if (!raster) return;
    Flush();
    const TileMask mask = RasterMask(nullptr);
    CopyPixels(*raster, layer, clip_, only_ ? &mask : nullptr);
}

void PainterSurface::ComposeLayers(const PixelRaster* const* layers, std::size_t count,
                                   const PixelRaster* base, const TileMask* only, const PixelRaster* into) {
    const PixelRaster* raster = into ? into : imagePixels();
    if (!raster) return;
    Flush();
    const TileMask mask = RasterMask(only);
    const bool masked = only || only_;
    // Bands of rows, one per processor: each pixel is its own.
    const unsigned bands = WorkerCount(uint64_t(std::max(clip_.bottom - clip_.top, 0)), 64);
    ParallelFor(clip_.top, clip_.bottom, bands, [&](int64_t top, int64_t bottom) {
        const DeviceRect band{clip_.left, int32_t(top), clip_.right, int32_t(bottom)};
        ::ComposeLayers(*raster, layers, count, band, masked ? &mask : nullptr, base);
    });
}

void PainterSurface::ComposeRefreshing(const PixelRaster* newest, const PixelRaster& below,
                                       const PixelRaster* const* layers, std::size_t count,
                                       const PixelRaster& base, const TileMask* only,
                                       const TileMask& refresh) {
    const PixelRaster* raster = imagePixels();
    if (!raster) return;
    Flush();
    const TileMask mask = RasterMask(only), again = RasterMask(&refresh);
    const bool masked = only || only_;
    const unsigned bands = WorkerCount(uint64_t(std::max(clip_.bottom - clip_.top, 0)), 64);
    ParallelFor(clip_.top, clip_.bottom, bands, [&](int64_t top, int64_t bottom) {
        const DeviceRect band{clip_.left, int32_t(top), clip_.right, int32_t(bottom)};
        ::ComposeRefreshing(*raster, below, newest, layers, count, base, band, masked ? &mask : nullptr,
                            again);
    });
}

const PixelRaster* PainterSurface::imagePixels() const {
    if (!image_.bits || !painter_.transform().isIdentity()) return nullptr;
    return &image_;
}

void PainterSurface::FillCircle(ViewPoint centre, double radius, ColourRef fill, ColourRef outline,
                                double outlineWidth) {
    const double s = scale_, r = radius * s;
    if (imagePixels() && !(outlineWidth > 0)) {
        // Many discs a tick, each within the tiles repainted: blended
        // straight in rather than through the painter's clip of many tiles,
        // together at the next other drawing.
        if (!points_.empty()) Flush();
        if (radius > 0) discs_.push_back({{centre.x * s, centre.y * s}, r, fill, clip_});
        return;
    }
    Flush();
    if (!(radius > 0)) return;
    // A repaint of tiles that all miss the disc leaves it be, without
    // making the painter's clip of those tiles.
    const double reach = radius + std::max(outlineWidth, 0.0) / 2 + 1;
    if (!Shows(centre.x - reach, centre.y - reach, centre.x + reach, centre.y + reach)) return;
    ApplyPendingClip();
    const QPointF c(centre.x * s, centre.y * s);
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(ToQColor(fill));
    painter_.drawEllipse(c, r, r);
    if (!(outlineWidth > 0)) return;
    // The outline is filled as a ring rather than stroked: the painter draws
    // a pen thinner than a pixel another way, whose pixels change where a
    // clip cuts the circle, so that a tick repainting some tiles would not
    // give the rim a full paint gives it.
    const double half = outlineWidth * s / 2;
    QPainterPath ring;  // filled odd-even: the band between the two circles
    ring.addEllipse(c, r + half, r + half);
    ring.addEllipse(c, std::max(0.0, r - half), std::max(0.0, r - half));
    painter_.setBrush(ToQColor(outline));
    painter_.drawPath(ring);
}

void PainterSurface::FillArea(double left, double top, double right, double bottom, ColourRef colour) {
    Flush();
    const double s = scale_;
    const double l = left * s, t = top * s, r = right * s, b = bottom * s;
    if (const PixelRaster* raster = imagePixels();
        raster && l == std::floor(l) && t == std::floor(t) && r == std::floor(r) && b == std::floor(b)) {
        // Whole pixels, as the painter fills them, set straight rather than
        // through its clip of many tiles.
        const DeviceRect area{std::max(clip_.left, int32_t(std::max(l, -1.0))),
                              std::max(clip_.top, int32_t(std::max(t, -1.0))),
                              std::min(clip_.right, int32_t(std::min(r, double(raster->width)))),
                              std::min(clip_.bottom, int32_t(std::min(b, double(raster->height))))};
        const TileMask mask = RasterMask(nullptr);
        FillPixels(*raster, ToRasterPixel(colour), area, only_ ? &mask : nullptr);
        return;
    }
    ApplyPendingClip();
    painter_.fillRect(QRectF(left * s, top * s, (right - left) * s, (bottom - top) * s), ToQColor(colour));
}

void PainterSurface::DrawText(ViewPoint anchor, std::string_view text, const TextStyle& style) {
    Flush();
    ApplyPendingClip();
    if (text.empty()) return;
    const double s = scale_;
    const QFont font = PublicationFont(style.size * s);
    const QFontMetricsF metrics(font);
    const QString string = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const double width = metrics.horizontalAdvance(string), height = metrics.height();
    // The box's top-left corner relative to the anchor, before any turn.
    const int column = int(style.anchor) % 3, row = int(style.anchor) / 3;
    const double dx = -width * column / 2.0, dy = -height * row / 2.0;
    painter_.save();
    painter_.translate(anchor.x * s, anchor.y * s);
    if (style.upwards) painter_.rotate(-90);
    painter_.setFont(font);
    painter_.setPen(ToQColor(style.colour));
    painter_.drawText(QPointF(dx, dy + metrics.ascent()), string);
    painter_.restore();
}

ViewPoint PainterSurface::TextExtent(std::string_view text, double size) const {
    // Measured in pixels of the view whatever the scale, so that the layout
    // (and with it the mapping) is the same in every picture of the view.
    const QFontMetricsF metrics(PublicationFont(size));
    const QString string = QString::fromUtf8(text.data(), qsizetype(text.size()));
    return {metrics.horizontalAdvance(string), metrics.height()};
}

void PainterSurface::ClipTo(double left, double top, double right, double bottom) {
    Flush();
    Unclip();
    painter_.save();
    clipped_ = true;
    const double s = scale_;
    painter_.setClipRect(QRectF(left * s, top * s, (right - left) * s, (bottom - top) * s),
                         Qt::IntersectClip);
    unclipped_ = clip_;
    clip_ = {std::max(clip_.left, int32_t(std::lround(left * s))),
             std::max(clip_.top, int32_t(std::lround(top * s))),
             std::min(clip_.right, int32_t(std::lround(right * s))),
             std::min(clip_.bottom, int32_t(std::lround(bottom * s)))};
}

void PainterSurface::Unclip() {
    Flush();
    if (!clipped_) return;
    painter_.restore();
    clip_ = unclipped_;
    clipped_ = false;
    if (regionInClip_) clipPending_ = true, regionInClip_ = false;
}

bool PainterSurface::Shows(double left, double top, double right, double bottom) const {
    return !only_ || only_->Shows(left, top, right, bottom, width_, height_);
}

bool PainterSurface::piecewise() const {
    return only_ || (painter_.device() && painter_.device()->devType() == QInternal::Image);
}
