#include "app/picture_export.h"

#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <memory>

#include "animation/view_steps.h"
#include "app/painter_surface.h"
#include "plot/plot_box.h"
#include "simulation/simulation_state.h"

PictureFormat PictureFormatOf(const QString& path) {
    if (path.endsWith(".svg", Qt::CaseInsensitive)) return PictureFormat::Svg;
    if (path.endsWith(".pdf", Qt::CaseInsensitive)) return PictureFormat::Pdf;
    return PictureFormat::Png;
}

namespace {

/// One full paint of the view (and the status line when asked) on `painter`,
/// within the tiles of `only` when given.
void PaintPicture(SimulationState& state, const PlotBox& plot, QPainter& painter, int width, int height,
                  const PictureOptions& options, double scale, const TickDamage* only = nullptr) {
    PlotBox copy = plot;  // the paint recomputes the mapping; the view keeps its own
    const int32_t startRequested = state.startRequested;
    {
        PainterSurface surface(painter, width, height, scale);
        if (only) surface.RestrictTo(*only);
        PaintView(state, copy, surface, width, height);
        const std::string status = options.statusLine ? StatusLine(state, state.position) : std::string();
        if (!status.empty()) surface.TextOut(10, 5, status);
    }
    state.startRequested = startRequested;
}

}  // namespace

QImage PaintScaledPicture(SimulationState& state, const PlotBox& plot, int width, int height,
                          const PictureOptions& options) {
    const double scale = options.scale;
    QImage image(int(width * scale), int(height * scale), QImage::Format_RGB32);
    if (image.isNull()) return image;
    QPainter painter(&image);
    PaintPicture(state, plot, painter, width, height, options, scale);
    return image;
}

void RepaintScaledTiles(SimulationState& state, const PlotBox& plot, QImage& image, int width, int height,
                        const PictureOptions& options, const TickDamage& damage) {
    // Painted in the image's own pixels, whatever ratio the view shows it at.
    const qreal ratio = image.devicePixelRatio();
    image.setDevicePixelRatio(1);
    {
        QPainter painter(&image);
        PaintPicture(state, plot, painter, width, height, options, options.scale, &damage);
    }
    image.setDevicePixelRatio(ratio);
}

std::string ExportPicture(SimulationState& state, const PlotBox& plot, int width, int height,
                          const QString& path, const PictureOptions& options) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return "Cannot write " + path.toStdString();
    switch (PictureFormatOf(path)) {
        case PictureFormat::Png: {
            const double scale = options.scale;
            QImage image(int(width * scale), int(height * scale), QImage::Format_RGB32);
            if (image.isNull()) return "Not enough memory for the picture";
            QPainter painter(&image);
            PaintPicture(state, plot, painter, width, height, options, scale);
            painter.end();
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
