#pragma once
#include <QByteArray>
#include <QString>
#include <QVariantMap>
#include <optional>
#include <string>

/// The window's settings file: $XDG_CONFIG_HOME/orbivex/orbivex.ini, under
/// ~/.config when the variable is unset.
QString SettingsFilePath();

/// Why the settings file at `path` may be neither read nor written, seen
/// without following links: its folder is there and is not a folder of the
/// user's ("… is a symbolic link"), or the file is there and is not a
/// regular file of the user's. Empty when it may: absent, or the user's own.
std::string SettingsFileRefusal(const QString& path);

/// Reads the settings file at `path` into `bytes`, empty when there is
/// none; never through a link, never waiting on a FIFO, and only a regular
/// file of the user's of at most kSettingsFileLimit bytes. Why it was not
/// read; empty when it was.
std::string ReadSettingsFile(const QString& path, QByteArray& bytes);

/// Far more than the window ever writes.
inline constexpr qsizetype kSettingsFileLimit = 1 << 20;

/// Writes `bytes` as the whole settings file at `path` through the output
/// writer, making its folders when they are missing, only where
/// SettingsFileRefusal allows it. Why not; empty when written.
std::string WriteSettingsFile(const QString& path, const QByteArray& bytes);

/// The values the text `bytes` of a settings file holds, as the toolkit
/// reads an INI file, which it does in `folder` (a private one); none when
/// it cannot.
std::optional<QVariantMap> SettingsValues(const QString& folder, const QByteArray& bytes);

/// The text of a settings file holding `values`, as the toolkit writes an
/// INI file, which it does in `folder`; none when it cannot.
std::optional<QByteArray> SettingsText(const QString& folder, const QVariantMap& values);
