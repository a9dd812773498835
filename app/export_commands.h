#pragma once
#include <QObject>
#include <QString>
#include <optional>
#include <string>

struct SimulationState;
class PlotBox;
class SimulationView;
class CommandActions;
class QMenu;
class QWidget;

/// File > Export Picture and File > Export Video: what the view shows as a
/// picture, and the playback from the current row as a video. Its actions
/// are filed in the window's commands; its dialogs belong to `window`.
class SeriesPanelView;

class ExportCommands : public QObject {
    Q_OBJECT
public:
    ExportCommands(SimulationState& state, const PlotBox& plot, SimulationView& view,
                   CommandActions& commands, QWidget& window);

    /// Adds the commands after the classic items of the File menu, after a
    /// separator; the window puts Exit below them.
    void addToMenu(QMenu& file);

    /// Writes what the view shows to `path`: PNG, SVG or PDF by its
    /// extension, a PNG at `scale` times the size (1: the view's raster
    /// itself), with the panel of time series under it while it shows, or
    /// that panel alone (`panelOnly`). Returns an error text, empty on success.
    std::string exportPicture(const QString& path, int scale, bool panelOnly = false);
    /// Writes the page that plays the view in a browser, of the view's size,
    /// into `path`; an error text, empty on success.
    std::string exportPage(const QString& path);
    /// Records a video of the playback from the current row into `path`,
    /// with a progress dialog that can cancel; the view's row and timer are
    /// as they were afterwards. Returns an error text, empty on success.
    std::string exportVideo(const QString& path, std::optional<int> ticks, double fps);
    /// The panel of series a picture shows under the view while it is shown.
    void setPanel(const SeriesPanelView* panel) { panel_ = panel; }

private:
    void OnExportPicture(bool panelOnly = false);
    void OnExportPage();
    void OnExportVideo();

    SimulationState& state_;
    const PlotBox& plot_;
    SimulationView& view_;
    const SeriesPanelView* panel_ = nullptr;
    CommandActions& commands_;
    QWidget& window_;
};
