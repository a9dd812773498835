#include "file_access.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int OpenRegularFile(const std::string& path) {
    // Non-blocking so that opening a FIFO without a writer returns at once.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::FILE* OpenRegularFileStream(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) return nullptr;
    std::FILE* file = ::fdopen(fd, "r");
    if (!file) ::close(fd);
    return file;
}

std::string ReadFileHead(const std::string& path, std::size_t bytes, bool& whole) {
    whole = false;
    const int fd = OpenRegularFile(path);
    if (fd < 0) return {};
    std::string head(bytes, '\0');
    std::size_t have = 0;
    while (have < bytes) {
        const ssize_t n = ::pread(fd, head.data() + have, bytes - have, off_t(have));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            whole = n == 0;
            break;
        }
        have += std::size_t(n);
    }
    if (have == bytes) {
        char more = 0;
        whole = ::pread(fd, &more, 1, off_t(have)) == 0;
    }
    ::close(fd);
    head.resize(have);
    return head;
}

OpenedFile::~OpenedFile() {
    if (fd_ >= 0) ::close(fd_);
}
