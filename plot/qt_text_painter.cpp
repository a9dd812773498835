#include "plot/qt_text_painter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf";
/// Gives an advance of 8 pixels and a line of 15 with this font.
constexpr int kPixelSize = 13;

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

}  // namespace

QtTextPainter::QtTextPainter() { ViewFont(); }

QFont QtTextPainter::ViewFont() {
    static const QFont font = MakeViewFont();
    return font;
}

void QtTextPainter::DrawText(const PixelRaster& raster, int32_t x, int32_t y, std::string_view text) {
    const QFont font = ViewFont();
    const QFontMetrics metrics(font);
    const QString string = QString::fromLatin1(text.data(), qsizetype(text.size()));
    const int64_t width = metrics.horizontalAdvance(string);
    const int64_t height = metrics.height();
    // Text wholly off the raster is skipped before the painter sees its
    // (possibly huge) coordinates.
    if (int64_t(x) + width <= 0 || int64_t(y) + height <= 0 || x >= raster.width || y >= raster.height) return;
    QImage image(reinterpret_cast<uchar*>(raster.bits), raster.width, raster.height,
                 qsizetype(raster.stride) * 4, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(QRect(x, y, int(width), int(height)), Qt::white);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(x, y + metrics.ascent(), string);
}
