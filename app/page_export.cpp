#include "app/page_export.h"

#include <QImage>
#include <QPainter>

#include "animation/compared_runs.h"
#include "app/painter_surface.h"
#include "page/html_page.h"
#include "plot/plot_box.h"
#include "simulation/output_file.h"

std::string ExportPage(const SimulationState& state, const PlotBox& plot, int width, int height,
                       const QString& path) {
    OutputFile file(path.toStdString(), LoadedDataFiles(state));
    if (std::string problem = file.Open(); !problem.empty()) return problem;
    std::string problem;
    {
        // Measured as the picture of the same size is painted.
        QImage measure(1, 1, QImage::Format_RGB32);
        QPainter painter(&measure);
        PainterSurface surface(painter, width, height, 1);
        PlotBox copy = plot;
        const std::string made =
            InteractivePage(state, copy, surface, width, height, [&](std::string_view piece) {
                problem = file.Write(piece);
                return problem.empty();
            });
        if (problem.empty() && !made.empty()) problem = CannotWriteMessage(file.path(), made);
    }
    if (!problem.empty()) return problem;  // the file's neighbour goes with it
    return file.Commit();
}
