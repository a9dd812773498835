#include "app/settings_commands.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <cstdio>

#include "animation/simulation_state.h"
#include "app/command_actions.h"
#include "app/command_ids.h"
#include "plot/plot_box.h"
#include "simulation/host.h"

SettingsCommands::SettingsCommands(SimulationState& state, PlotBox& plot, Host& host,
                                   CommandActions& commands, QMainWindow& window,
                                   std::function<void(const std::string&)> open)
    : QObject(&window), state_(state), plot_(plot), host_(host), commands_(commands), open_(std::move(open)) {
    commands_.addCommand(ID_CLEAR_RECENT, tr("Clear Recent"), tr("Forget the files opened recently"), [this] {
        if (store_) store_->clearRecent();
        fillRecent();
        return false;
    });
    commands_.addCommand(ID_RESET_SETTINGS, tr("Reset Settings..."),
                         tr("Forget the remembered choices, window place and recent files"), [this] {
                             OnResetSettings();
                             return false;
                         });
}

SettingsCommands::~SettingsCommands() = default;

void SettingsCommands::addToMenus(QMenu& file, QMenu& help) {
    recent_ = file.addMenu(tr("Open &Recent"));
    recent_->setObjectName(QStringLiteral("recentMenu"));
    help.addSeparator();
    help.addAction(commands_.action(ID_RESET_SETTINGS));
    fillRecent();
}

void SettingsCommands::watchChoices() {
    auto keep = [this](int id, std::function<void(RememberedSettings&)> remember) {
        connect(commands_.action(id), &QAction::triggered, this, [this, remember] {
            if (store_) remember(*store_);
        });
    };
    for (int id : {ID_STYLE_CLASSIC, ID_STYLE_PUBLICATION})
        keep(id, [this](RememberedSettings& s) { s.rememberStyle(state_.view.style); });
    for (int id : {ID_TRAIL_AHEAD, ID_TRAIL_BEHIND, ID_TRAIL_BOTH})
        keep(id, [this](RememberedSettings& s) { s.rememberTrail(state_.view.trailMode); });
    keep(ID_EQUAL_ASPECT, [this](RememberedSettings& s) { s.rememberEqualAspect(plot_.equalAspect != 0); });
    keep(ID_STYLE_GRID, [this](RememberedSettings& s) { s.rememberGrid(state_.view.look.grid); });
    keep(ID_VIEW_SERIES, [this](RememberedSettings& s) { s.rememberPanel(state_.view.panel.shown); });
}

void SettingsCommands::use(std::unique_ptr<RememberedSettings> store) {
    store_ = std::move(store);
    // In the status bar, and on standard error, where it outlasts the next message.
    if (store_)
        store_->tellRefusalTo([this](const std::string& why) {
            std::fprintf(stderr, "orbivex: %s\n", why.c_str());
            host_.note(why);
        });
    fillRecent();
}

void SettingsCommands::afterCommand() {
    const TrajectoryTable* shown = state_.loaded().dataLoaded ? state_.loaded().rows.get() : nullptr;
    if (!store_ || !shown || shown == noted_) return;
    noted_ = shown;
    // A load moved into the file's folder, so its path is read from there.
    const QFileInfo file(QString::fromStdString(state_.loaded().configPath));
    if (!file.isFile()) return;
    store_->noteOpened(file.absoluteFilePath());
    fillRecent();
}

void SettingsCommands::openRecent(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        if (store_) store_->forget(path);
        fillRecent();
        host_.note(QStringLiteral("%1 is no longer there: it was taken off Open Recent")
                       .arg(QDir::toNativeSeparators(path))
                       .toStdString());
        return;
    }
    open_(path.toStdString());
}

void SettingsCommands::fillRecent() {
    commands_.action(ID_RESET_SETTINGS)->setEnabled(store_ != nullptr);
    if (!recent_) return;
    recent_->clear();
    const QStringList files = store_ ? store_->recentFiles() : QStringList();
    for (int i = 0; i < files.size(); ++i) {
        const QString& path = files[i];
        // The first nine are reached by their digit.
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QString::number(i + 1);
        QAction* entry = recent_->addAction(number + QStringLiteral("  ") + QDir::toNativeSeparators(path));
        entry->setData(path);
        connect(entry, &QAction::triggered, this, [this, path] { openRecent(path); });
    }
    if (!files.isEmpty()) recent_->addSeparator();
    recent_->addAction(commands_.action(ID_CLEAR_RECENT));
    commands_.action(ID_CLEAR_RECENT)->setEnabled(!files.isEmpty());
    recent_->setEnabled(store_ != nullptr);
}

void SettingsCommands::OnResetSettings() {
    if (!store_) return;
    if (host_.messageBox("Forget the remembered view choices, window place, last folder and recent files?",
                         Host::Buttons::YesNo, Host::Icon::Question) != Host::Answer::Yes)
        return;
    store_->clear();
    fillRecent();
    host_.note("Settings reset: the next start uses the defaults");
}
