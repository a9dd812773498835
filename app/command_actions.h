#pragma once
#include <QMap>
#include <QString>
#include <functional>

class QAction;
class QObject;
struct SimulationState;

/// The window's commands by id: every command is one action, shared by
/// menus and bars, whose data is its id. A command made here has its prompt
/// as status tip and is refused while a data file loads; what it returns
/// (whether the view needs a full repaint) goes to the window afterwards.
class CommandActions {
public:
    /// `beforeCommand` runs before each command made here, `afterCommand`
    /// after it, with its result.
    CommandActions(const SimulationState& state, QObject* owner, std::function<void()> beforeCommand,
                   std::function<void(bool repaint)> afterCommand);

    /// Makes the command `id`: `handler` runs when it is triggered.
    QAction* addCommand(int id, const QString& text, const QString& prompt, std::function<bool()> handler);
    /// Files an action made elsewhere (a toggle, a bar's show/hide) under `id`.
    QAction* add(int id, QAction* action);
    /// The action of `id`, null when there is none.
    QAction* action(int id) const { return actions_.value(id); }
    /// Triggers the action of `id`; false when there is none.
    bool run(int id) const;

private:
    const SimulationState& state_;
    QObject* owner_;
    std::function<void()> beforeCommand_;
    std::function<void(bool)> afterCommand_;
    QMap<int, QAction*> actions_;
};
