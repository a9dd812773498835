#pragma once
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <string>

#include "animation/view_choices.h"

/// How many files File > Open Recent lists.
inline constexpr int kRecentFiles = 10;

/// `recent` with `path` put first, any earlier entry of it dropped, and at
/// most kRecentFiles entries kept.
QStringList WithRecent(QStringList recent, const QString& path);

/// The desktop's settings store of the window, in an INI file of the user's
/// configuration folder ($XDG_CONFIG_HOME/orbivex/orbivex.ini): the recent
/// files, the window's place, the view's choices the user made and the last
/// folder of the open dialogs. The renderer never opens it, and the window
/// started with --no-settings has none.
///
/// The file is read and written only while it is absent or a regular file
/// of the user's in a folder of the user's: never through a link, nor a
/// FIFO, a device or a folder at its name. Otherwise, or once a write
/// fails, the choices are kept for this session only, and why is told once.
/// Each change is written at once, over what another window wrote meanwhile.
class RememberedSettings {
public:
    RememberedSettings();

    QStringList recentFiles() const;
    /// Puts the file at `path` (absolute) first in the recent list, and its
    /// folder as the last one used.
    void noteOpened(const QString& path);
    /// Drops `path` from the recent list.
    void forget(const QString& path);
    void clearRecent();

    QString lastFolder() const;
    void setLastFolder(const QString& folder);

    QByteArray geometry() const;
    void setGeometry(const QByteArray& geometry);

    RememberedLook view() const;
    void rememberStyle(ViewStyle style);
    void rememberTrail(TrailMode mode);
    void rememberEqualAspect(bool on);
    void rememberGrid(bool on);
    void rememberPanel(bool shown);

    /// Forgets everything, the recent list too.
    void clear();

    /// Why the choices are kept for this session only ("Settings are kept
    /// for this session only: … is a symbolic link"); empty while the file
    /// keeps them.
    const std::string& refusal() const { return refusal_; }
    /// Gives `tell` the refusal once: at once when there is one, else when
    /// one comes.
    void tellRefusalTo(std::function<void(const std::string&)> tell);

private:
    QVariant value(const QString& key) const { return values_.value(key); }
    /// Makes the change `edit` to the values and writes them to the file.
    void change(const std::function<void(QVariantMap&)>& edit);
    /// Takes in what the file holds when another window changed it.
    void readAgain();
    void refuse(const std::string& why);

    QString path_;
    /// A private folder where the toolkit reads and writes the file's text.
    QTemporaryDir codecFolder_;
    QVariantMap values_;
    QByteArray known_;  ///< what the file held when last read or written
    std::string refusal_;
    std::function<void(const std::string&)> tell_;
    bool told_ = false;
};
