#pragma once
#include <QObject>
#include <string>

#include "commands/file_commands.h"

class CommandActions;
class QMenu;
class QWidget;

/// Runs compared on one view and clock: File > Add Run… adds a file as a
/// run, View > Runs… shows, hides, orders and removes them. A file dropped
/// on the window with Ctrl held is added the same way.
class RunCommands : public QObject {
    Q_OBJECT
public:
    RunCommands(const FileCommandContext& files, CommandActions& commands, QWidget& window);
    /// Add Run after Open Data, Runs at the end of the view menu.
    void addToMenus(QMenu& file, QMenu& view);
    /// View > Runs is there while runs are compared.
    void refresh();

private:
    bool OnRuns();

    FileCommandContext files_;
    CommandActions& commands_;
    QWidget& window_;
};
