#include "app/remembered_settings.h"

#include <QFileInfo>

namespace {

const QString kRecent = QStringLiteral("recent/files");
const QString kLastFolder = QStringLiteral("dialogs/lastFolder");
const QString kGeometry = QStringLiteral("window/geometry");
const QString kStyle = QStringLiteral("view/style");
const QString kTrail = QStringLiteral("view/trailMode");
const QString kEqualAspect = QStringLiteral("view/equalAspect");
const QString kGrid = QStringLiteral("view/grid");
const QString kPanel = QStringLiteral("view/timeSeries");

std::optional<bool> Flag(const QSettings& store, const QString& key) {
    if (!store.contains(key)) return std::nullopt;
    return store.value(key).toBool();
}

QString NameText(std::string_view name) { return QString::fromLatin1(name.data(), qsizetype(name.size())); }

}  // namespace

QStringList WithRecent(QStringList recent, const QString& path) {
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentFiles) recent.removeLast();
    return recent;
}

ViewRequest WithRemembered(ViewRequest request, const RememberedView& view) {
    if (!request.style) request.style = view.style;
    if (!request.trail) request.trail = view.trail;
    if (!request.equalAspect) request.equalAspect = view.equalAspect.value_or(false);
    if (!request.look.grid) request.look.grid = view.grid.value_or(false);
    if (request.plot.empty()) request.showPanel = request.showPanel || view.panel.value_or(false);
    return request;
}

RememberedSettings::RememberedSettings()
    : store_(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("orbivex"),
             QStringLiteral("orbivex")) {}

QStringList RememberedSettings::recentFiles() const { return store_.value(kRecent).toStringList(); }

void RememberedSettings::noteOpened(const QString& path) {
    store_.setValue(kRecent, WithRecent(recentFiles(), path));
    setLastFolder(QFileInfo(path).absolutePath());
}

void RememberedSettings::forget(const QString& path) {
    QStringList recent = recentFiles();
    recent.removeAll(path);
    store_.setValue(kRecent, recent);
}

void RememberedSettings::clearRecent() { store_.remove(kRecent); }

QString RememberedSettings::lastFolder() const { return store_.value(kLastFolder).toString(); }

void RememberedSettings::setLastFolder(const QString& folder) { store_.setValue(kLastFolder, folder); }

QByteArray RememberedSettings::geometry() const { return store_.value(kGeometry).toByteArray(); }

void RememberedSettings::setGeometry(const QByteArray& geometry) { store_.setValue(kGeometry, geometry); }

RememberedView RememberedSettings::view() const {
    RememberedView view;
    view.style = ViewStyleNamed(store_.value(kStyle).toString().toStdString());
    view.trail = TrailModeNamed(store_.value(kTrail).toString().toStdString());
    view.equalAspect = Flag(store_, kEqualAspect);
    view.grid = Flag(store_, kGrid);
    view.panel = Flag(store_, kPanel);
    return view;
}

void RememberedSettings::rememberStyle(ViewStyle style) {
    store_.setValue(kStyle, NameText(ViewStyleName(style)));
}

void RememberedSettings::rememberTrail(TrailMode mode) {
    store_.setValue(kTrail, NameText(TrailModeName(mode)));
}

void RememberedSettings::rememberEqualAspect(bool on) { store_.setValue(kEqualAspect, on); }

void RememberedSettings::rememberGrid(bool on) { store_.setValue(kGrid, on); }

void RememberedSettings::rememberPanel(bool shown) { store_.setValue(kPanel, shown); }

void RememberedSettings::clear() {
    store_.clear();
    store_.sync();
}
