#pragma once
#include <QObject>
#include <functional>
#include <string>

class CommandActions;
class QMenu;
class QSplitter;
class QWidget;
class SeriesPanelView;
class SimulationView;
struct SimulationState;

/// View > Time Series shows or hides the panel of series under the view;
/// View > Time Series Quantities… chooses what it plots, one plot a kind of
/// quantity. The panel follows the playback at every frame the view
/// presents, and a click in it seeks through `seek`.
class SeriesCommands : public QObject {
    Q_OBJECT
public:
    SeriesCommands(SimulationState& state, CommandActions& commands, SimulationView& view, QWidget& window,
                   std::function<void(int row)> seek);

    /// The widget the window shows in the view's place: the view over the panel.
    QSplitter* area() const { return area_; }
    SeriesPanelView* panel() const { return panel_; }
    /// The two items at the end of `view`.
    void addToMenu(QMenu& view);
    /// Shows or hides the panel as the state's choice says.
    void showChoice();
    /// Plots the quantities `list` names (as --plot reads it) and shows the
    /// panel; why the loaded data cannot give them, empty when it can.
    std::string choose(const std::string& list);

private:
    void OnQuantities();

    SimulationState& state_;
    CommandActions& commands_;
    QWidget& window_;
    QSplitter* area_ = nullptr;
    SeriesPanelView* panel_ = nullptr;
};
