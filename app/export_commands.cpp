#include "app/export_commands.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <cmath>

#include "animation/compared_runs.h"
#include "animation/simulation_state.h"
#include "app/command_actions.h"
#include "app/command_ids.h"
#include "app/page_export.h"
#include "app/picture_export.h"
#include "app/series_panel_view.h"
#include "app/simulation_view.h"
#include "app/video_dialog.h"
#include "app/video_encoder.h"
#include "app/video_recording.h"

namespace {

/// The save dialog's filters for pictures and the PNG scale each stands for.
struct PictureChoice {
    const char* filter;
    int scale;
};
constexpr PictureChoice kPictureChoices[] = {
    {"PNG picture, as on screen (*.png)", 1},
    {"PNG picture, twice the size (*.png)", 2},
    {"PNG picture, 3 times the size (*.png)", 3},
    {"PNG picture, 4 times the size (*.png)", 4},
    {"SVG drawing (*.svg)", 1},
    {"PDF document (*.pdf)", 1},
};

/// `path` with the extension the filter names added when it does not end with it.
QString WithExtension(QString path, const QString& filter) {
    const int star = filter.lastIndexOf("*.");
    const QString extension = filter.mid(star + 1, filter.size() - star - 2);
    if (!path.endsWith(extension, Qt::CaseInsensitive)) path += extension;
    return path;
}

}  // namespace

ExportCommands::ExportCommands(SimulationState& state, const PlotBox& plot, SimulationView& view,
                               CommandActions& commands, QWidget& window)
    : QObject(&window), state_(state), plot_(plot), view_(view), commands_(commands), window_(window) {
    commands_.addCommand(ID_EXPORT_PICTURE, tr("Export Picture..."),
                         tr("Save the view as a PNG picture at 1 to 4 times its size, an SVG or a PDF"),
                         [this] {
                             OnExportPicture();
                             return false;
                         });
    commands_.addCommand(ID_EXPORT_PANEL_PICTURE, tr("Export Panel Picture..."),
                         tr("Save the panel of time series alone as a PNG picture, an SVG or a PDF"), [this] {
                             OnExportPicture(true);
                             return false;
                         });
    commands_.addCommand(ID_EXPORT_PAGE, tr("Export Interactive Page..."),
                         tr("Save a page that plays the view in any browser, zoomed, paused and hovered"),
                         [this] {
                             OnExportPage();
                             return false;
                         });
    commands_.addCommand(ID_EXPORT_VIDEO, tr("Export Video..."),
                         tr("Record the playback from the current row as an MP4, WebM or GIF video"), [this] {
                             OnExportVideo();
                             return false;
                         });
}

void ExportCommands::addToMenu(QMenu& file) {
    file.addSeparator();
    file.addAction(commands_.action(ID_EXPORT_PICTURE));
    file.addAction(commands_.action(ID_EXPORT_PANEL_PICTURE));
    // Only while the panel shows.
    connect(&file, &QMenu::aboutToShow, this,
            [this] { commands_.action(ID_EXPORT_PANEL_PICTURE)->setEnabled(panel_ && panel_->isVisible()); });
    file.addAction(commands_.action(ID_EXPORT_VIDEO));
    file.addAction(commands_.action(ID_EXPORT_PAGE));
}

std::string ExportCommands::exportPage(const QString& path) {
    const QImage* frame = view_.frame();
    if (!frame) return "The view has not been drawn yet";
    if (!state_.loaded().dataLoaded) return "No simulation is loaded";
    if (state_.compared())
        return "The page shows one run: remove the runs compared (View > Runs) to make the page of the first";
    // The page of the view's size, in pixels of the view.
    const qreal ratio = frame->devicePixelRatio() > 0 ? frame->devicePixelRatio() : 1;
    return ExportPage(state_, plot_, int(std::lround(frame->width() / ratio)),
                      int(std::lround(frame->height() / ratio)), path);
}

void ExportCommands::OnExportPage() {
    const QString chosen = QFileDialog::getSaveFileName(&window_, tr("Export Interactive Page"), QString(),
                                                        tr("Web page (*.html)"));
    if (chosen.isEmpty()) return;
    const QString lower = chosen.toLower();
    const QString path = lower.endsWith(".html") || lower.endsWith(".htm") ? chosen : chosen + ".html";
    const std::string problem = exportPage(path);
    if (!problem.empty()) QMessageBox::warning(&window_, tr("Orbivex"), QString::fromStdString(problem));
}

std::string ExportCommands::exportPicture(const QString& path, int scale, bool panelOnly) {
    const QImage* frame = view_.frame();
    if (!frame) return "The view has not been drawn yet";
    const bool panel = panel_ && panel_->isVisible();
    if (panelOnly && !panel) return "The panel of time series is not shown";
    if (!panel && scale == 1 && PictureFormatOf(path) == PictureFormat::Png)
        return WritePng(*frame, path, LoadedDataFiles(state_));
    return ExportPicture(state_, plot_, frame->width(), frame->height(), path,
                         {.scale = double(scale),
                          .statusLine = view_.ticked(),
                          .panel = panel ? &panel_->series() : nullptr,
                          .panelHeight = panel ? panel_->height() : 0,
                          .panelOnly = panelOnly});
}

void ExportCommands::OnExportPicture(bool panelOnly) {
    QStringList filters;
    for (const PictureChoice& choice : kPictureChoices) filters << tr(choice.filter);
    QString filter = filters.front();
    const QString chosen =
        QFileDialog::getSaveFileName(&window_, panelOnly ? tr("Export Panel Picture") : tr("Export Picture"),
                                     QString(), filters.join(";;"), &filter);
    if (chosen.isEmpty()) return;
    const int index = int(filters.indexOf(filter));
    const int scale = index >= 0 ? kPictureChoices[index].scale : 1;
    // A name with a picture extension of its own keeps it: the format follows the name.
    const bool named = PictureFormatOf(chosen).has_value();
    const std::string problem =
        exportPicture(named ? chosen : WithExtension(chosen, filter), scale, panelOnly);
    if (!problem.empty()) QMessageBox::warning(&window_, tr("Orbivex"), QString::fromStdString(problem));
}

std::string ExportCommands::exportVideo(const QString& path, std::optional<int> ticks, double fps) {
    const QImage* frame = view_.frame();
    if (!frame) return "The view has not been drawn yet";
    if (!state_.loaded().dataLoaded) return "No simulation is loaded";
    const bool wasRunning = view_.timerRunning();
    view_.stopTimer();  // the recording plays the state; the timer waits
    VideoJob job{.width = frame->width(), .height = frame->height(), .fps = fps, .ticks = ticks};
    QProgressDialog progress(tr("Recording..."), tr("Cancel"), 0, PlannedFrames(state_, job), &window_);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    QElapsedTimer clock;
    clock.start();
    const std::string problem = RecordVideo(state_, plot_, job, path, [&](int done, int planned) {
        progress.setMaximum(planned);
        progress.setValue(done);
        const double left = double(clock.elapsed()) / done * (planned - done) / 1000.0;
        progress.setLabelText(
            tr("Frame %1 of %2, about %3 s left").arg(done).arg(planned).arg(int(left + 0.5)));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
    progress.reset();
    if (wasRunning) view_.resumeTimer();
    return problem;
}

void ExportCommands::OnExportVideo() {
    QString filter;
    const QString chosen = QFileDialog::getSaveFileName(
        &window_, tr("Export Video"), QString(),
        tr("MP4 video, H.264 (*.mp4);;WebM video (*.webm);;GIF animation (*.gif)"), &filter);
    if (chosen.isEmpty()) return;
    const QString path = VideoFormatOf(chosen) ? chosen : WithExtension(chosen, filter);
    const std::optional<VideoChoice> choice =
        RunVideoDialog(DefaultVideoRate(state_.playback.delayMs), &window_);
    if (!choice) return;
    const std::string problem = exportVideo(path, choice->ticks, choice->fps);
    if (!problem.empty() && problem != "cancelled")
        QMessageBox::warning(&window_, tr("Orbivex"), QString::fromStdString(problem));
}
