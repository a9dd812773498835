#pragma once
#include <QObject>

class CommandActions;
class QMenu;
struct SimulationState;

/// View > Style: the classic look (the default) or the publication look,
/// for the window and every picture and video it exports. The actions are
/// filed in the window's commands.
class StyleCommands : public QObject {
    Q_OBJECT
public:
    StyleCommands(SimulationState& state, CommandActions& commands, QObject& owner);

    /// The Style submenu at the end of `view`.
    void addToMenu(QMenu& view);
    /// Checks the item of the look the state holds.
    void refresh();

private:
    SimulationState& state_;
    CommandActions& commands_;
};
