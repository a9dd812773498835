#include "app/style_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "animation/simulation_state.h"
#include "app/command_actions.h"
#include "app/command_ids.h"

namespace {

struct StyleChoice {
    int id;
    ViewStyle style;
    const char* text;
    const char* prompt;
};
constexpr StyleChoice kStyles[] = {
    {ID_STYLE_CLASSIC, ViewStyle::Classic, "Classic", "Draw the view in the classic look"},
    {ID_STYLE_PUBLICATION, ViewStyle::Publication, "Publication",
     "Draw the view with smooth lines, round ticks and proportional type, for papers and talks"},
};

}  // namespace

StyleCommands::StyleCommands(SimulationState& state, CommandActions& commands, QObject& owner)
    : QObject(&owner), state_(state), commands_(commands) {
    auto* group = new QActionGroup(this);
    for (const StyleChoice& choice : kStyles) {
        QAction* action =
            commands_.addCommand(choice.id, tr(choice.text), tr(choice.prompt), [this, style = choice.style] {
                state_.view.chosen.style = true;
                if (state_.view.style == style) return false;
                state_.view.style = style;
                return true;  // the whole view is drawn anew
            });
        action->setCheckable(true);
        group->addAction(action);
    }
    QAction* grid = commands_.addCommand(
        ID_STYLE_GRID, tr("Grid"), tr("In the publication look, a light grid at the ticks"), [this] {
            state_.view.look.grid = commands_.action(ID_STYLE_GRID)->isChecked();
            state_.view.chosen.grid = true;
            return state_.view.style == ViewStyle::Publication;
        });
    grid->setCheckable(true);
    refresh();
}

void StyleCommands::addToMenu(QMenu& view) {
    QMenu* style = view.addMenu(tr("Style"));
    for (const StyleChoice& choice : kStyles) style->addAction(commands_.action(choice.id));
    style->addSeparator();
    style->addAction(commands_.action(ID_STYLE_GRID));
}

void StyleCommands::refresh() {
    // Not silenced: the group keeps its one checked item by the signal
    // (checking runs no command, which only a trigger does).
    for (const StyleChoice& choice : kStyles)
        commands_.action(choice.id)->setChecked(state_.view.style == choice.style);
    commands_.action(ID_STYLE_GRID)->setChecked(state_.view.look.grid);
}
