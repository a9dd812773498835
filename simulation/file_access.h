#pragma once
#include <cstddef>
#include <cstdio>
#include <string>

/// A file descriptor that closes when it goes out of scope, so that no
/// return path of a reader can leave one open.
class OpenedFile {
public:
    explicit OpenedFile(int fd) : fd_(fd) {}
    ~OpenedFile();
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

/// Opens `path` for reading when it names a regular file; -1 otherwise. A
/// directory, FIFO or device is refused without blocking, so that a wrong
/// pick can neither hang the program nor feed it an endless stream.
int OpenRegularFile(const std::string& path);

/// The same, as a C stream; null when it cannot be opened.
std::FILE* OpenRegularFileStream(const std::string& path);

/// The first `bytes` bytes of the regular file `path` (fewer when it is
/// shorter); `whole` tells whether they are all of it. Empty, with `whole`
/// false, when the file cannot be read.
std::string ReadFileHead(const std::string& path, std::size_t bytes, bool& whole);
