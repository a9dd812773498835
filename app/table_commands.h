#pragma once
#include <QObject>
#include <QString>
#include <string>

#include "commands/file_commands.h"

class CommandActions;
class QMenu;
class QWidget;

/// The commands for plain data tables: File > Open Data and Save
/// Configuration As, and View > Plane for a table with x, y and z per body.
/// Their actions are filed in the window's commands; their dialogs belong to
/// `window`.
class TableCommands : public QObject {
    Q_OBJECT
public:
    TableCommands(const FileCommandContext& files, CommandActions& commands, QWidget& window);

    /// Open Data after New Simulation, Save Configuration As after the
    /// classic items.
    void addToMenus(QMenu& file, QMenu& view);
    /// Brings the menus up to date with what is loaded: the plane is chosen
    /// where the table has three coordinates, Equal Aspect shows its state.
    void refresh();

    /// Writes the configuration of what is shown to `path`, with a classic
    /// data file beside it when `classicData`; an error text, empty on success.
    std::string saveConfiguration(const QString& path, bool classicData);

private:
    void OnSaveConfiguration();
    /// Shows the table on the plane `kind`, asking which body's orbit.
    bool OnChoosePlane(ViewPlane::Kind kind);

    FileCommandContext files_;
    CommandActions& commands_;
    QWidget& window_;
};
