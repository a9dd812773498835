#include "app/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "simulation/output_file.h"

namespace {

/// What stands at a name, for a message: "a symbolic link".
std::string KindOf(mode_t mode) {
    if (S_ISLNK(mode)) return "a symbolic link";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISREG(mode)) return "a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISSOCK(mode)) return "a socket";
    return "neither a file nor a folder";
}

/// Why `status`, of the thing at `path`, is not a folder (or, without
/// `folder`, a regular file) of the user's; empty when it is.
std::string NotTheUsers(const QString& path, const struct stat& status, bool folder) {
    const bool kind = folder ? S_ISDIR(status.st_mode) : S_ISREG(status.st_mode);
    if (!kind) return path.toStdString() + " is " + KindOf(status.st_mode);
    // Run as another user (root with the user's HOME), nothing of theirs is touched.
    if (status.st_uid != ::geteuid()) return path.toStdString() + " belongs to another user";
    return {};
}

/// The same seen by lstat: empty when nothing is at `path` too.
std::string LookAt(const QString& path, bool folder) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0) return NotTheUsers(path, status, folder);
    if (errno == ENOENT) return {};
    return path.toStdString() + " cannot be looked at: " + std::strerror(errno);
}

/// A name in `folder` never used before: the toolkit keeps what it read of
/// each name, and a file of the same size written again in the same
/// millisecond would be taken for the one it read.
QString FreshName(const QString& folder) {
    static std::atomic<int> used = 0;
    return folder + QStringLiteral("/settings-%1.ini").arg(++used);
}

std::string TooLarge(const QString& path) {
    return path.toStdString() + " is larger than " + std::to_string(kSettingsFileLimit >> 20) + " MB";
}

}  // namespace

QString SettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/orbivex/orbivex.ini");
}

std::string SettingsFileRefusal(const QString& path) {
    if (std::string why = LookAt(QFileInfo(path).path(), true); !why.empty()) return why;
    return LookAt(path, false);
}

std::string ReadSettingsFile(const QString& path, QByteArray& bytes) {
    bytes.clear();
    if (std::string why = SettingsFileRefusal(path); !why.empty()) return why;
    // Checked again on what was opened, in case the name changed meanwhile:
    // O_NOFOLLOW opens no link, O_NONBLOCK waits on no FIFO.
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return {};
        if (errno == ELOOP) return path.toStdString() + " is a symbolic link";
        return path.toStdString() + " cannot be read: " + std::strerror(errno);
    }
    struct stat status {};
    std::string why = ::fstat(fd, &status) == 0
                          ? NotTheUsers(path, status, false)
                          : path.toStdString() + " cannot be read: " + std::strerror(errno);
    if (why.empty() && status.st_size > kSettingsFileLimit) why = TooLarge(path);
    char block[16384];
    while (why.empty()) {
        const ssize_t got = ::read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) why = path.toStdString() + " cannot be read: " + std::strerror(errno);
        if (got <= 0) break;
        bytes.append(block, got);
        if (bytes.size() > kSettingsFileLimit) why = TooLarge(path);
    }
    ::close(fd);
    if (!why.empty()) bytes.clear();
    return why;
}

std::string WriteSettingsFile(const QString& path, const QByteArray& bytes) {
    if (std::string why = SettingsFileRefusal(path); !why.empty()) return why;
    if (!QDir().mkpath(QFileInfo(path).path()))
        return CannotWriteMessage(path.toStdString(), "its folder cannot be made");
    return WriteOutputFile(path.toStdString(),
                           std::string_view(bytes.constData(), std::size_t(bytes.size())));
}

std::optional<QVariantMap> SettingsValues(const QString& folder, const QByteArray& bytes) {
    const QString name = FreshName(folder);
    if (!WriteOutputFile(name.toStdString(), std::string_view(bytes.constData(), std::size_t(bytes.size())))
             .empty())
        return std::nullopt;
    QVariantMap values;
    {
        const QSettings text(name, QSettings::IniFormat);
        for (const QString& key : text.allKeys()) values.insert(key, text.value(key));
    }
    QFile::remove(name);
    return values;
}

std::optional<QByteArray> SettingsText(const QString& folder, const QVariantMap& values) {
    if (values.isEmpty()) return QByteArray();  // the toolkit writes no file then
    const QString name = FreshName(folder);
    {
        QSettings text(name, QSettings::IniFormat);
        for (auto value = values.begin(); value != values.end(); ++value) text.setValue(value.key(), *value);
        text.sync();
        if (text.status() != QSettings::NoError) return std::nullopt;
    }
    QFile written(name);
    if (!written.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = written.readAll();
    written.close();
    written.remove();
    return bytes;
}
