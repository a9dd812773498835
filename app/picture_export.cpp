#include "app/picture_export.h"

#include <QBuffer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "animation/compared_runs.h"
#include "plot/plot_box.h"
#include "simulation/output_file.h"

std::optional<PictureFormat> PictureFormatOf(const QString& path) {
    if (path.endsWith(".png", Qt::CaseInsensitive)) return PictureFormat::Png;
    if (path.endsWith(".svg", Qt::CaseInsensitive)) return PictureFormat::Svg;
    if (path.endsWith(".pdf", Qt::CaseInsensitive)) return PictureFormat::Pdf;
    return std::nullopt;
}

std::string WritePng(const QImage& image, const QString& path, const std::vector<std::string>& kept) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return "Cannot write " + path.toStdString();
    return WriteOutputFile(path.toStdString(), std::string_view(bytes.constData(), std::size_t(bytes.size())),
                           kept);
}

std::string ExportPicture(const SimulationState& state, const PlotBox& plot, int width, int height,
                          const QString& path, const PictureOptions& options) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format) return "A picture is written as .png, .svg or .pdf, not as " + path.toStdString();
    if (*format == PictureFormat::Png) {
        const QImage image = PaintScaledPicture(state, plot, width, height, options);
        if (image.isNull()) return "Not enough memory for the picture";
        return WritePng(image, path, LoadedDataFiles(state));
    }
    // The drawing is made in memory and written whole, so every write is checked.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (*format == PictureFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(QSize(width, options.pictureHeight(height)));
        svg.setViewBox(QRect(0, 0, width, options.pictureHeight(height)));
        svg.setTitle(QString::fromStdString(plot.title));
        QPainter painter(&svg);
        PaintPicture(state, plot, painter, width, height, options, 1);
    } else {
        // One point per pixel of the view: the page is the view's size.
        QPdfWriter pdf(&buffer);
        pdf.setResolution(72);
        pdf.setPageSize(QPageSize(QSizeF(width, options.pictureHeight(height)), QPageSize::Point));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setTitle(QString::fromStdString(plot.title));
        pdf.setCreator("Orbivex");
        QPainter painter(&pdf);
        PaintPicture(state, plot, painter, width, height, options, 1);
    }
    return WriteOutputFile(path.toStdString(), std::string_view(bytes.constData(), std::size_t(bytes.size())),
                           LoadedDataFiles(state));
}
