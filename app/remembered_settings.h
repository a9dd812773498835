#pragma once
#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <optional>

#include "animation/view_request.h"

/// How many files File > Open Recent lists.
inline constexpr int kRecentFiles = 10;

/// The view's choices the user made in the menus, remembered between
/// sessions; unset ones were never chosen.
struct RememberedView {
    std::optional<ViewStyle> style;
    std::optional<TrailMode> trail;
    std::optional<bool> equalAspect;
    std::optional<bool> grid;
    std::optional<bool> panel;  ///< the panel of time series shown
    bool any() const { return style || trail || equalAspect || grid || panel; }
};

/// `recent` with `path` put first, any earlier entry of it dropped, and at
/// most kRecentFiles entries kept.
QStringList WithRecent(QStringList recent, const QString& path);

/// `request` with the remembered choices added where it gives none: as if
/// they came first on the command line, whose own options win. Equal aspect
/// remembered off cannot be said by a request (see CMainFrame::applyViewChoices).
ViewRequest WithRemembered(ViewRequest request, const RememberedView& view);

/// The desktop's settings store of the window, in an INI file of the user's
/// configuration folder ($XDG_CONFIG_HOME/orbivex/orbivex.ini): the recent
/// files, the window's place, the view's choices the user made and the last
/// folder of the open dialogs. The renderer never opens it, and the window
/// started with --no-settings has none.
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

    RememberedView view() const;
    void rememberStyle(ViewStyle style);
    void rememberTrail(TrailMode mode);
    void rememberEqualAspect(bool on);
    void rememberGrid(bool on);
    void rememberPanel(bool shown);

    /// Forgets everything, the recent list too.
    void clear();

private:
    QSettings store_;
};
