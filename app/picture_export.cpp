#include "app/picture_export.h"

#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "plot/plot_box.h"

std::optional<PictureFormat> PictureFormatOf(const QString& path) {
    if (path.endsWith(".png", Qt::CaseInsensitive)) return PictureFormat::Png;
    if (path.endsWith(".svg", Qt::CaseInsensitive)) return PictureFormat::Svg;
    if (path.endsWith(".pdf", Qt::CaseInsensitive)) return PictureFormat::Pdf;
    return std::nullopt;
}

std::string ExportPicture(const SimulationState& state, const PlotBox& plot, int width, int height,
                          const QString& path, const PictureOptions& options) {
    const std::optional<PictureFormat> format = PictureFormatOf(path);
    if (!format) return "A picture is written as .png, .svg or .pdf, not as " + path.toStdString();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return "Cannot write " + path.toStdString();
    switch (*format) {
        case PictureFormat::Png: {
            const QImage image = PaintScaledPicture(state, plot, width, height, options);
            if (image.isNull()) return "Not enough memory for the picture";
            if (!image.save(&file, "PNG")) return "Cannot write " + path.toStdString();
            break;
        }
        case PictureFormat::Svg: {
            QSvgGenerator svg;
            svg.setOutputDevice(&file);
            svg.setSize(QSize(width, height));
            svg.setViewBox(QRect(0, 0, width, height));
            svg.setTitle(QString::fromStdString(plot.title));
            QPainter painter(&svg);
            PaintPicture(state, plot, painter, width, height, options, 1);
            break;
        }
        case PictureFormat::Pdf: {
            // One point per pixel of the view: the page is the view's size.
            QPdfWriter pdf(&file);
            pdf.setResolution(72);
            pdf.setPageSize(QPageSize(QSizeF(width, height), QPageSize::Point));
            pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
            pdf.setTitle(QString::fromStdString(plot.title));
            pdf.setCreator("Orbivex");
            QPainter painter(&pdf);
            PaintPicture(state, plot, painter, width, height, options, 1);
            break;
        }
    }
    if (!file.commit()) return "Cannot write " + path.toStdString();
    return {};
}
