#include "app/command_actions.h"

#include <QAction>

#include "animation/simulation_state.h"

CommandActions::CommandActions(const SimulationState& state, QObject* owner,
                               std::function<void()> beforeCommand,
                               std::function<void(bool repaint)> afterCommand)
    : state_(state),
      owner_(owner),
      beforeCommand_(std::move(beforeCommand)),
      afterCommand_(std::move(afterCommand)) {}

QAction* CommandActions::addCommand(int id, const QString& text, const QString& prompt,
                                    std::function<bool()> handler) {
    auto* action = new QAction(text, owner_);
    // A blank prompt keeps the message pane blank rather than showing "Ready".
    action->setStatusTip(prompt.isEmpty() ? QStringLiteral(" ") : prompt);
    // While a data file loads (with the window's events running), commands
    // are refused: none may run inside the load.
    QObject::connect(action, &QAction::triggered, owner_, [this, handler] {
        if (state_.playback.loading) return;
        beforeCommand_();
        afterCommand_(handler());
    });
    return add(id, action);
}

QAction* CommandActions::add(int id, QAction* action) {
    action->setData(id);
    actions_.insert(id, action);
    return action;
}

bool CommandActions::run(int id) const {
    QAction* command = action(id);
    if (!command) return false;
    command->trigger();
    return true;
}
