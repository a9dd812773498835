#pragma once
#include <QObject>
#include <string>

class CommandActions;
class Host;
class PlotBox;
class QActionGroup;
class QMenu;
class SimulationView;
struct SimulationState;

/// View > Frame: the frame of reference the positions are shown in. The
/// inertial frame (the default, and Esc) shows the data as it is; a body's
/// items centre the view on it or turn with it; the barycentre needs the
/// configuration's masses. Ctrl+click on a body's disc centres the frame on
/// it. A frame stays chosen over loads: the new data is shown in it, or the
/// frame is dropped with a note when it cannot be had there.
class FrameCommands : public QObject {
    Q_OBJECT
public:
    FrameCommands(SimulationState& state, PlotBox& plot, Host& host, CommandActions& commands,
                  SimulationView& view, QObject& owner);

    /// The Frame submenu at the end of `view`.
    void addToMenu(QMenu& view);
    /// Shows the frame `text` names, as --frame reads it; why it cannot be
    /// had, empty when it is shown.
    std::string choose(const std::string& text);
    /// After a command or new rows: a frame whose data was replaced is shown
    /// on the new data, its box fitted to it, or dropped with a note. True
    /// when the view must be repainted fully.
    bool refresh();
    /// Checks the frame shown in the menus, after it was chosen elsewhere.
    void showChoice() { fillMenus(); }

private:
    /// Fills the body submenus for the bodies now loaded, checking the frame shown.
    void fillMenus();
    /// choose(), with the error in a message box.
    void chooseFromMenu(const std::string& text);

    SimulationState& state_;
    PlotBox& plot_;
    Host& host_;
    CommandActions& commands_;
    SimulationView& view_;
    QActionGroup* group_ = nullptr;
    QMenu* centred_ = nullptr;
    QMenu* rotating_ = nullptr;
    QMenu* scaled_ = nullptr;
};
