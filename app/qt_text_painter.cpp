#include "app/qt_text_painter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>
#include <algorithm>

namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
/// Gives an advance of 7 pixels with this font, so that a label placed 7
/// pixels per character left of the frame ends before it.
constexpr int kPixelSize = 12;
constexpr uint32_t kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;

QFont MakeViewFont() {
    QString family;
    const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(kFontFile));
    if (id >= 0 && !QFontDatabase::applicationFontFamilies(id).isEmpty())
        family = QFontDatabase::applicationFontFamilies(id).first();
    QFont font = family.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont(family);
    font.setPixelSize(kPixelSize);
    font.setStyleHint(QFont::Monospace);
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoFontMerging));
    font.setKerning(false);
    return font;
}

bool IsPrintableAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 32 && c < 127; });
}

}  // namespace

QtTextPainter::QtTextPainter() { Glyphs(); }

QFont QtTextPainter::ViewFont() {
    static const QFont font = MakeViewFont();
    return font;
}

const QtTextPainter::GlyphSet& QtTextPainter::Glyphs() {
    static const GlyphSet set = [] {
        GlyphSet result;
        const QFontMetrics metrics(ViewFont());
        result.advance = metrics.horizontalAdvance(QLatin1Char('0'));
        result.height = metrics.height();
        // Each glyph is drawn alone in a cell with room on both sides, so
        // that pixels reaching past its advance are kept too.
        const int margin = result.advance;
        QImage cell(3 * result.advance, result.height, QImage::Format_RGB32);
        for (int code = 32; code < 127; ++code) {
            cell.fill(Qt::white);
            QPainter painter(&cell);
            painter.setFont(ViewFont());
            painter.setPen(Qt::black);
            painter.drawText(margin, metrics.ascent(), QString(QLatin1Char(char(code))));
            painter.end();
            for (int y = 0; y < cell.height(); ++y)
                for (int x = 0; x < cell.width(); ++x)
                    if (cell.pixel(x, y) != kWhite)
                        result.glyphs[std::size_t(code)].dots.emplace_back(x - margin, y);
        }
        return result;
    }();
    return set;
}

void QtTextPainter::DrawText(const PixelRaster& raster, int32_t x, int32_t y, std::string_view text) {
    if (!IsPrintableAscii(text)) {
        DrawTextWithPainter(raster, x, y, text);
        return;
    }
    const GlyphSet& set = Glyphs();
    const int64_t width = int64_t(set.advance) * int64_t(text.size());
    const int64_t left = std::max<int64_t>(x, 0), right = std::min<int64_t>(x + width, raster.width);
    const int64_t top = std::max<int64_t>(y, 0),
                  bottom = std::min<int64_t>(int64_t(y) + set.height, raster.height);
    if (left >= right + set.advance || top >= bottom) return;
    for (int64_t row = top; row < bottom; ++row)
        for (int64_t column = left; column < right; ++column)
            raster.at(int32_t(column), int32_t(row)) = kWhite;
    int64_t cellX = x;
    for (const char c : text) {
        for (const auto& [dx, dy] : set.glyphs[std::size_t(c)].dots)
            if (raster.contains(cellX + dx, int64_t(y) + dy))
                raster.at(int32_t(cellX + dx), int32_t(y + dy)) = kBlack;
        cellX += set.advance;
    }
}

void QtTextPainter::DrawTextWithPainter(const PixelRaster& raster, int32_t x, int32_t y,
                                        std::string_view text) {
    const QFont font = ViewFont();
    const QFontMetrics metrics(font);
    // Only names and titles from a configuration can hold other than ASCII: UTF-8.
    const QString string = QString::fromUtf8(text.data(), qsizetype(text.size()));
    const int64_t width = metrics.horizontalAdvance(string);
    const int64_t height = metrics.height();
    // Text wholly off the raster is skipped before the painter sees its
    // (possibly huge) coordinates.
    if (int64_t(x) + width <= 0 || int64_t(y) + height <= 0 || x >= raster.width || y >= raster.height)
        return;
    QImage image(reinterpret_cast<uchar*>(raster.bits), raster.width, raster.height,
                 qsizetype(raster.stride) * 4, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(QRect(x, y, int(width), int(height)), Qt::white);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(x, y + metrics.ascent(), string);
}
