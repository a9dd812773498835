#include "app/table_commands.h"

#include <QAction>
#include <QActionGroup>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QSignalBlocker>
#include <algorithm>

#include "animation/simulation_state.h"
#include "animation/view_projection.h"
#include "app/command_actions.h"
#include "app/command_ids.h"
#include "app/configuration_export.h"
#include "plot/plot_box.h"

namespace {

struct PlaneChoice {
    int id;
    ViewPlane::Kind plane;
    const char* text;
};
constexpr PlaneChoice kPlanes[] = {
    {ID_PLANE_XY, ViewPlane::Kind::XY, "Plane x-y"},
    {ID_PLANE_XZ, ViewPlane::Kind::XZ, "Plane x-z"},
    {ID_PLANE_YZ, ViewPlane::Kind::YZ, "Plane y-z"},
    {ID_PLANE_ECLIPTIC, ViewPlane::Kind::Ecliptic, "Ecliptic (of Equatorial Data)"},
    {ID_PLANE_INVARIABLE, ViewPlane::Kind::Invariable, "Invariable Plane"},
    {ID_PLANE_ORBIT, ViewPlane::Kind::Orbit, "Orbit of a Body..."},
};

}  // namespace

TableCommands::TableCommands(const FileCommandContext& files, CommandActions& commands, QWidget& window)
    : QObject(&window), files_(files), commands_(commands), window_(window) {
    commands_.addCommand(ID_OPEN_DATA, tr("Open Data..."),
                         tr("Open a table of positions (CSV, TSV, text) without a configuration"),
                         [this] { return OpenDataTable(files_); });
    commands_.addCommand(ID_SAVE_CONFIGURATION, tr("Save Configuration As..."),
                         tr("Write a configuration that shows this simulation as it is shown now"), [this] {
                             OnSaveConfiguration();
                             return false;
                         });
    auto* planes = new QActionGroup(this);
    for (const PlaneChoice& choice : kPlanes) {
        QAction* action = commands_.addCommand(
            choice.id, tr(choice.text), tr("Show these two coordinates of a table with x, y and z per body"),
            [this, plane = choice.plane] { return OnChoosePlane(plane); });
        action->setCheckable(true);
        planes->addAction(action);
    }
    commands_.addCommand(ID_VIEW_UNTURN, tr("Back to the Plane"),
                         tr("Look straight onto the plane chosen again (or double-click the view)"), [this] {
                             if (!files_.state.view.turn.turned()) return false;
                             TurnView(files_.state, {});
                             return true;
                         });
    refresh();
}

void TableCommands::addToMenus(QMenu& file, QMenu& view) {
    const QList<QAction*> items = file.actions();
    // Open Data right after New Simulation (the first item), Save
    // Configuration As after the classic items.
    file.insertAction(items.size() > 1 ? items.at(1) : nullptr, commands_.action(ID_OPEN_DATA));
    file.addAction(commands_.action(ID_SAVE_CONFIGURATION));
    view.addSeparator();
    QMenu* plane = view.addMenu(tr("Plane"));
    for (const PlaneChoice& choice : kPlanes) plane->addAction(commands_.action(choice.id));
    plane->addSeparator();
    plane->addAction(commands_.action(ID_VIEW_UNTURN));
}

void TableCommands::refresh() {
    const SimulationState& s = files_.state;
    const bool threeD = s.loaded().dataLoaded && s.loaded().fields.dataFormat == DataFormat::Table &&
                        s.loaded().tableLayout.threeDimensional();
    const ViewPlane shown = threeD ? s.loaded().fields.plane : s.view.plane;
    // Not silenced: the group keeps its one checked item by the signal
    // (checking runs no command, which only a trigger does).
    for (const PlaneChoice& choice : kPlanes) {
        QAction* action = commands_.action(choice.id);
        action->setEnabled(threeD);
        action->setChecked(shown.kind == choice.plane);
    }
    commands_.action(ID_VIEW_UNTURN)->setEnabled(s.view.turn.turned());
    commands_.action(ID_SAVE_CONFIGURATION)->setEnabled(s.loaded().dataLoaded != 0);
    if (QAction* equal = commands_.action(ID_EQUAL_ASPECT)) {
        const QSignalBlocker quiet(equal);
        equal->setChecked(files_.plot.equalAspect != 0);
    }
}

bool TableCommands::OnChoosePlane(ViewPlane::Kind kind) {
    ViewPlane plane(kind);
    if (kind == ViewPlane::Kind::Orbit) {
        const SimulationState& s = files_.state;
        const int bodies = s.loaded().usableBodies();
        if (bodies < 1) return false;
        bool ok = false;
        const int shown = s.loaded().fields.plane.kind == kind ? s.loaded().fields.plane.body : 1;
        const int body = QInputDialog::getInt(&window_, tr("Orbit of a Body"),
                                              tr("Look onto the orbital plane of body (1 to %1), at the row "
                                                 "shown:")
                                                  .arg(bodies),
                                              std::clamp(shown, 1, bodies), 1, bodies, 1, &ok);
        if (!ok) {
            refresh();
            return false;
        }
        plane.body = body;
    }
    const bool changed = ChoosePlane(files_, plane);
    refresh();
    return changed;
}

std::string TableCommands::saveConfiguration(const QString& path, bool classicData) {
    return SaveConfiguration(files_.state, files_.plot, path.toStdString(), classicData);
}

void TableCommands::OnSaveConfiguration() {
    const SimulationState& s = files_.state;
    const QFileInfo data(QString::fromStdString(s.loaded().fields.dataPath));
    const QString suggested = data.absolutePath() + "/" + data.completeBaseName() + ".ovx";
    QString path = QFileDialog::getSaveFileName(&window_, tr("Save Configuration As"), suggested,
                                                tr("orbivex files (*.ovx)"));
    if (path.isEmpty()) return;
    if (!path.endsWith(".ovx", Qt::CaseInsensitive)) path += ".ovx";
    bool classic = false;
    if (OffersClassicData(s)) {
        const QString dataName = QFileInfo(path).completeBaseName() + ".dat";
        const QString planeNote = QString::fromStdString(ClassicDataPlaneNote(s));
        classic = QMessageBox::question(&window_, tr("Save Configuration As"),
                                        tr("Write the rows as a classic data file, %1, beside the "
                                           "configuration as well? Other programs that read the classic "
                                           "pair can then load it; without it the configuration reads "
                                           "%2 as a table.%3")
                                            .arg(dataName, data.fileName(),
                                                 planeNote.isEmpty() ? QString() : "\n\n" + planeNote)) ==
                  QMessageBox::Yes;
    }
    const std::string problem = saveConfiguration(path, classic);
    if (!problem.empty())
        QMessageBox::warning(&window_, tr("Save Configuration As"), QString::fromStdString(problem));
}
