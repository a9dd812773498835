#include "app/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <utility>

std::string CannotWriteMessage(const QString& path, const std::string& reason) {
    return "Cannot write " + path.toStdString() + ": " + reason;
}

std::string CannotWriteMessage(const QString& path, int error) {
    return CannotWriteMessage(path, std::string(std::strerror(error)));
}

OutputFile::OutputFile(QString path) : path_(std::move(path)) {}

OutputFile::~OutputFile() { Discard(); }

std::string OutputFile::Open() {
    Discard();
    const QByteArray destination = QFile::encodeName(path_);
    struct stat there {};
    const bool exists = ::lstat(destination.constData(), &there) == 0;
    if (exists && !S_ISREG(there.st_mode) && !S_ISLNK(there.st_mode))
        return path_.toStdString() + " is not a regular file";
    // A file that may not be written is not replaced either.
    if (exists && S_ISREG(there.st_mode) && ::access(destination.constData(), W_OK) != 0)
        return CannotWriteMessage(path_, errno);
    mode_ = exists && S_ISREG(there.st_mode) ? int(there.st_mode & 07777) : -1;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        QByteArray name = destination + '.';
        for (int i = 0; i < 8; ++i) name += kLetters[QRandomGenerator::global()->bounded(62)];
        name += ".part";
        // O_EXCL: a name nobody else made; O_NOFOLLOW: never through a link.
        fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            partial_ = name;
            return {};
        }
        error = errno;
    }
    return CannotWriteMessage(path_, error);
}

std::string OutputFile::Write(const QByteArray& bytes) {
    if (fd_ < 0) return CannotWriteMessage(path_, EBADF);
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t done = ::write(fd_, data, size_t(left));
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            const int error = done < 0 ? errno : EIO;
            Discard();
            return CannotWriteMessage(path_, error);
        }
        data += done;
        left -= done;
    }
    return {};
}

std::string OutputFile::Commit() {
    if (fd_ < 0) return CannotWriteMessage(path_, EBADF);
    // A file put in place of another one keeps that one's permissions.
    if (mode_ >= 0) ::fchmod(fd_, mode_t(mode_));
    // A file system may report a failed write only when the file closes.
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0 && errno != EINTR) {
        const int error = errno;
        Discard();
        return CannotWriteMessage(path_, error);
    }
    if (::rename(partial_.constData(), QFile::encodeName(path_).constData()) != 0) {
        const int error = errno;
        Discard();
        return CannotWriteMessage(path_, error);
    }
    partial_.clear();
    return {};
}

void OutputFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!partial_.isEmpty()) ::unlink(partial_.constData());
    partial_.clear();
}

std::string WriteOutputFile(const QString& path, const QByteArray& bytes) {
    OutputFile file(path);
    if (std::string problem = file.Open(); !problem.empty()) return problem;
    if (std::string problem = file.Write(bytes); !problem.empty()) return problem;
    return file.Commit();
}
