#include "app/run_commands.h"

#include <QAction>
#include <QMenu>

#include "animation/compared_runs.h"
#include "animation/simulation_state.h"
#include "app/command_actions.h"
#include "app/command_ids.h"
#include "app/runs_dialog.h"
#include "simulation/host.h"

RunCommands::RunCommands(const FileCommandContext& files, CommandActions& commands, QWidget& window)
    : QObject(&window), files_(files), commands_(commands), window_(window) {
    commands_.addCommand(ID_ADD_RUN, tr("Add Run..."),
                         tr("Show another run of the simulation with this one, on the same view and clock"),
                         [this] { return AddRunAsked(files_); });
    commands_.addCommand(ID_VIEW_RUNS, tr("Runs..."),
                         tr("Show, hide, order or remove the runs compared, or play on another's clock"),
                         [this] { return OnRuns(); });
    refresh();
}

void RunCommands::addToMenus(QMenu& file, QMenu& view) {
    const QList<QAction*> items = file.actions();
    QAction* openData = commands_.action(ID_OPEN_DATA);
    const qsizetype at = items.indexOf(openData);
    file.insertAction(at >= 0 && at + 1 < items.size() ? items.at(at + 1) : nullptr,
                      commands_.action(ID_ADD_RUN));
    view.addAction(commands_.action(ID_VIEW_RUNS));
}

void RunCommands::refresh() {
    commands_.action(ID_ADD_RUN)->setEnabled(files_.state.loaded().dataLoaded != 0);
    commands_.action(ID_VIEW_RUNS)->setEnabled(files_.state.compared());
}

bool RunCommands::OnRuns() {
    RunsDialog dialog(files_.state, &window_);
    const int result = dialog.exec();
    if (result == QDialog::Rejected) return false;
    ArrangeRuns(files_.state, dialog.places());
    if (result == RunsDialog::kMadeFirst)
        if (const std::string why = MakeRunFirst(files_.state, files_.plot, std::size_t(dialog.first()));
            !why.empty())
            files_.host.messageBox(why);
    return true;
}
