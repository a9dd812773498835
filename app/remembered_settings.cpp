#include "app/remembered_settings.h"

#include <QFileInfo>

#include "app/settings_file.h"

namespace {

const QString kRecent = QStringLiteral("recent/files");
const QString kLastFolder = QStringLiteral("dialogs/lastFolder");
const QString kGeometry = QStringLiteral("window/geometry");
const QString kStyle = QStringLiteral("view/style");
const QString kTrail = QStringLiteral("view/trailMode");
const QString kEqualAspect = QStringLiteral("view/equalAspect");
const QString kGrid = QStringLiteral("view/grid");
const QString kPanel = QStringLiteral("view/timeSeries");

std::optional<bool> Flag(const QVariantMap& values, const QString& key) {
    if (!values.contains(key)) return std::nullopt;
    return values.value(key).toBool();
}

QString NameText(std::string_view name) { return QString::fromLatin1(name.data(), qsizetype(name.size())); }

}  // namespace

QStringList WithRecent(QStringList recent, const QString& path) {
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentFiles) recent.removeLast();
    return recent;
}

RememberedSettings::RememberedSettings() : path_(SettingsFilePath()) {
    std::optional<QVariantMap> values;
    std::string why = ReadSettingsFile(path_, known_);
    if (why.empty() && !codecFolder_.isValid()) why = "no private folder could be made to read them in";
    if (why.empty() && !(values = SettingsValues(codecFolder_.path(), known_)))
        why = path_.toStdString() + " could not be read";
    if (why.empty())
        values_ = *values;
    else
        refuse(why);
}

void RememberedSettings::tellRefusalTo(std::function<void(const std::string&)> tell) {
    tell_ = std::move(tell);
    if (!refusal_.empty() && !told_) {
        told_ = true;
        tell_(refusal_);
    }
}

void RememberedSettings::refuse(const std::string& why) {
    refusal_ = "Settings are kept for this session only: " + why;
    if (tell_ && !told_) {
        told_ = true;
        tell_(refusal_);
    }
}

void RememberedSettings::readAgain() {
    QByteArray now;
    if (const std::string why = ReadSettingsFile(path_, now); !why.empty()) return refuse(why);
    if (now == known_) return;
    if (const std::optional<QVariantMap> values = SettingsValues(codecFolder_.path(), now)) {
        values_ = *values;
        known_ = now;
    }
}

void RememberedSettings::change(const std::function<void(QVariantMap&)>& edit) {
    if (refusal_.empty()) readAgain();
    edit(values_);
    if (!refusal_.empty()) return;
    const std::optional<QByteArray> text = SettingsText(codecFolder_.path(), values_);
    if (!text) return refuse(path_.toStdString() + " could not be written");
    if (const std::string why = WriteSettingsFile(path_, *text); !why.empty()) return refuse(why);
    known_ = *text;
}

QStringList RememberedSettings::recentFiles() const { return value(kRecent).toStringList(); }

void RememberedSettings::noteOpened(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    change([&](QVariantMap& values) {
        values.insert(kRecent, WithRecent(values.value(kRecent).toStringList(), path));
        values.insert(kLastFolder, folder);
    });
}

void RememberedSettings::forget(const QString& path) {
    change([&](QVariantMap& values) {
        QStringList recent = values.value(kRecent).toStringList();
        recent.removeAll(path);
        values.insert(kRecent, recent);
    });
}

void RememberedSettings::clearRecent() {
    change([](QVariantMap& values) { values.remove(kRecent); });
}

QString RememberedSettings::lastFolder() const { return value(kLastFolder).toString(); }

void RememberedSettings::setLastFolder(const QString& folder) {
    change([&](QVariantMap& values) { values.insert(kLastFolder, folder); });
}

QByteArray RememberedSettings::geometry() const { return value(kGeometry).toByteArray(); }

void RememberedSettings::setGeometry(const QByteArray& geometry) {
    change([&](QVariantMap& values) { values.insert(kGeometry, geometry); });
}

RememberedLook RememberedSettings::view() const {
    RememberedLook view;
    view.style = ViewStyleNamed(value(kStyle).toString().toStdString());
    view.trail = TrailModeNamed(value(kTrail).toString().toStdString());
    view.equalAspect = Flag(values_, kEqualAspect);
    view.grid = Flag(values_, kGrid);
    view.panel = Flag(values_, kPanel);
    return view;
}

void RememberedSettings::rememberStyle(ViewStyle style) {
    change([&](QVariantMap& values) { values.insert(kStyle, NameText(ViewStyleName(style))); });
}

void RememberedSettings::rememberTrail(TrailMode mode) {
    change([&](QVariantMap& values) { values.insert(kTrail, NameText(TrailModeName(mode))); });
}

void RememberedSettings::rememberEqualAspect(bool on) {
    change([&](QVariantMap& values) { values.insert(kEqualAspect, on); });
}

void RememberedSettings::rememberGrid(bool on) {
    change([&](QVariantMap& values) { values.insert(kGrid, on); });
}

void RememberedSettings::rememberPanel(bool shown) {
    change([&](QVariantMap& values) { values.insert(kPanel, shown); });
}

void RememberedSettings::clear() {
    change([](QVariantMap& values) { values.clear(); });
}
