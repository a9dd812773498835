#pragma once
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "app/remembered_settings.h"

struct SimulationState;
class PlotBox;
class Host;
class CommandActions;
class QMainWindow;
class QMenu;
class TrajectoryTable;

/// What the window remembers between sessions and the commands about it:
/// File > Open Recent with Clear Recent, Help > Reset Settings, and the
/// view's choices kept as the user makes them in the menus. Without a store
/// (--no-settings, or a window made by a test) it remembers nothing and its
/// commands are greyed.
class SettingsCommands : public QObject {
    Q_OBJECT
public:
    /// `open` loads a file as a drop on the window does.
    SettingsCommands(SimulationState& state, PlotBox& plot, Host& host, CommandActions& commands,
                     QMainWindow& window, std::function<void(const std::string&)> open);
    ~SettingsCommands() override;

    /// Adds Open Recent to `file` and Reset Settings to `help`.
    void addToMenus(QMenu& file, QMenu& help);
    /// Keeps the user's choices of style, trail mode, equal aspect and grid
    /// as they are made in the menus; once every menu is made.
    void watchChoices();
    /// Remembers in `store` from now on, telling once when it cannot keep
    /// the choices past this session.
    void use(std::unique_ptr<RememberedSettings> store);
    RememberedSettings* store() const { return store_.get(); }
    QMenu* recentMenu() const { return recent_; }

    /// After any command: a file just loaded goes first in the recent list.
    void afterCommand();
    /// Opens the recent file `path`, or drops it with a note when it is gone.
    void openRecent(const QString& path);

private:
    void fillRecent();
    void OnResetSettings();

    SimulationState& state_;
    PlotBox& plot_;
    Host& host_;
    CommandActions& commands_;
    std::function<void(const std::string&)> open_;
    std::unique_ptr<RememberedSettings> store_;
    QMenu* recent_ = nullptr;
    const TrajectoryTable* noted_ = nullptr;  ///< the table of the load last put in the recent list
};
