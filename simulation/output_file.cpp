#include "output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <random>
#include <utility>

#include "interrupt_cleanup.h"

namespace {

/// Room a neighbour's name keeps for its own parts (dots, process number,
/// random part and ".part") within the 255 bytes of a file name.
constexpr std::size_t kNameBytes = 200;
/// A neighbour untouched for this long, of a process that is gone, is stale.
constexpr std::time_t kStaleSeconds = 60;

std::string FolderOf(const std::string& target) {
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

/// ".NAME." of `target`'s neighbours, NAME cut to kNameBytes.
std::string NeighbourPrefix(const std::string& target) {
    const std::string name = std::filesystem::path(target).filename().string();
    return "." + name.substr(0, kNameBytes) + ".";
}

/// The process number of a neighbour's name after its prefix
/// ("PID-HEX.part"); 0 when the name is not one.
pid_t NeighbourProcess(std::string_view rest) {
    static constexpr std::string_view kEnd = ".part";
    if (rest.size() <= kEnd.size() || rest.substr(rest.size() - kEnd.size()) != kEnd) return 0;
    long pid = 0;
    const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (ec != std::errc() || end == rest.data() || *end != '-' || pid <= 0) return 0;
    for (const char* c = end + 1; c < rest.data() + rest.size() - kEnd.size(); ++c)
        if (!std::isxdigit(static_cast<unsigned char>(*c))) return 0;
    return pid_t(pid);
}

bool SameIdentity(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::string CannotWriteMessage(const std::string& path, const std::string& reason) {
    return "Cannot write " + path + ": " + reason;
}

std::string CannotWriteMessage(const std::string& path, int error) {
    return CannotWriteMessage(path, std::string(error != 0 ? std::strerror(error) : "unknown error"));
}

std::string NeighbourName(const std::string& target) {
    static std::mt19937_64 random{std::random_device{}()};
    char hex[17];
    const auto [end, ec] = std::to_chars(hex, hex + 16, random(), 16);
    *end = '\0';
    const std::filesystem::path folder = std::filesystem::path(target).parent_path();
    return (folder / (NeighbourPrefix(target) + std::to_string(::getpid()) + "-" + hex + ".part")).string();
}

void RemoveStaleNeighbours(const std::string& target) {
    const std::string folder = FolderOf(target), prefix = NeighbourPrefix(target);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.substr(0, prefix.size()) != prefix) continue;
        const pid_t pid = NeighbourProcess(name.substr(prefix.size()));
        if (pid == 0 || pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
        struct stat info {};
        if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && now - info.st_mtime >= kStaleSeconds)
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}

std::string KeptFileProblem(const std::string& path, const std::vector<std::string>& kept) {
    struct stat there {};
    if (::stat(path.c_str(), &there) != 0) return {};
    for (const std::string& file : kept) {
        struct stat info {};
        if (!file.empty() && ::stat(file.c_str(), &info) == 0 && SameIdentity(info, there))
            return CannotWriteMessage(path, "it is the data file " + file +
                                                " that is loaded, which would be lost: choose another name");
    }
    return {};
}

OutputFile::OutputFile(std::string path, std::vector<std::string> kept)
    : path_(std::move(path)), kept_(std::move(kept)) {}

OutputFile::~OutputFile() { Discard(); }

std::string OutputFile::Open() {
    Discard();
    struct stat there {};
    const bool exists = ::lstat(path_.c_str(), &there) == 0;
    if (exists && !S_ISREG(there.st_mode) && !S_ISLNK(there.st_mode)) return path_ + " is not a regular file";
    if (std::string problem = KeptFileProblem(path_, kept_); !problem.empty()) return problem;
    // A file that may not be written is not replaced either.
    if (exists && S_ISREG(there.st_mode) && ::access(path_.c_str(), W_OK) != 0)
        return CannotWriteMessage(path_, errno);
    mode_ = exists && S_ISREG(there.st_mode) ? int(there.st_mode & 07777) : -1;
    RemoveStaleNeighbours(path_);
    int error = EEXIST;
    for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
        const std::string name = NeighbourName(path_);
        // Held so that no signal comes between making the file and registering it.
        SignalsHeld held;
        // O_EXCL: a name nobody else made; O_NOFOLLOW: never through a link.
        fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            partial_ = name;
            slot_ = RemoveOnInterrupt(partial_);
            return {};
        }
        error = errno;
    }
    return CannotWriteMessage(path_, error);
}

std::string OutputFile::Write(std::string_view bytes) {
    if (fd_ < 0) return CannotWriteMessage(path_, EBADF);
    while (!bytes.empty()) {
        errno = 0;
        const ssize_t done = ::write(fd_, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            // A write that takes nothing without an error means no room.
            const int error = done < 0 ? errno : ENOSPC;
            Discard();
            return CannotWriteMessage(path_, error);
        }
        bytes.remove_prefix(std::size_t(done));
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
    if (::rename(partial_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        Discard();
        return CannotWriteMessage(path_, error);
    }
    partial_.clear();
    ForgetOnInterrupt(slot_);
    slot_ = -1;
    return {};
}

void OutputFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!partial_.empty()) ::unlink(partial_.c_str());
    partial_.clear();
    ForgetOnInterrupt(slot_);
    slot_ = -1;
}

std::string WriteOutputFile(const std::string& path, std::string_view bytes,
                            const std::vector<std::string>& kept) {
    OutputFile file(path, kept);
    if (std::string problem = file.Open(); !problem.empty()) return problem;
    if (std::string problem = file.Write(bytes); !problem.empty()) return problem;
    return file.Commit();
}
