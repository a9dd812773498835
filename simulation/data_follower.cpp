#include "data_follower.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string_view>

#include "file_access.h"
#include "real_parser.h"
#include "real_scanner.h"

namespace {

/// Bytes read from the file at a time, so that a large append never needs
/// its whole text in memory at once.
constexpr std::size_t kChunk = std::size_t(4) << 20;
/// Longest run of non-blank characters taken for a number still being
/// written; anything longer is not a number.
constexpr std::size_t kLongestToken = std::size_t(1) << 16;

/// Closes a file descriptor when it goes out of scope.
struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

/// Reads up to `size` bytes at `offset`; fewer at the end of the file.
std::string ReadAt(int fd, uint64_t offset, std::size_t size) {
    std::string text(size, '\0');
    std::size_t have = 0;
    while (have < size) {
        const ssize_t n = ::pread(fd, text.data() + have, size - have, off_t(offset + have));
        if (n <= 0) break;
        have += std::size_t(n);
    }
    text.resize(have);
    return text;
}

bool IsBlank(char c) { return IsScanSpace(static_cast<unsigned char>(c)); }

}  // namespace

DataFollower::DataFollower(std::string path, int32_t columns)
    : path_(std::move(path)), columns_(columns > 0 ? std::size_t(columns) : 1) {}

bool DataFollower::Resume(const DataHandOver& handOver) {
    const int fd = OpenRegularFile(path_);
    if (fd < 0 || handOver.rows < 0) return false;
    const FdCloser closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    if (uint64_t(info.st_dev) != handOver.device || uint64_t(info.st_ino) != handOver.inode ||
        uint64_t(info.st_size) < handOver.byte || handOver.partialRow.size() >= columns_)
        return false;
    device_ = info.st_dev, inode_ = info.st_ino, known_ = true;
    offset_ = handOver.byte;
    rowsTaken_ = handOver.rows;
    rowSoFar_ = handOver.partialRow;
    cut_.clear();
    return true;
}

DataHandOver DataFollower::handOver() const {
    DataHandOver h;
    h.device = uint64_t(device_), h.inode = uint64_t(inode_);
    h.byte = offset_ - cut_.size();
    h.rows = known_ ? rowsTaken_ : -1;
    h.partialRow = rowSoFar_;
    return h;
}

bool DataFollower::SkipValues(std::size_t values) {
    const int fd = OpenRegularFile(path_);
    if (fd < 0) return false;
    const FdCloser closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    device_ = info.st_dev, inode_ = info.st_ino, known_ = true;
    FdSource source(fd);
    RealReader reader(source, true);
    std::vector<double> scratch(std::min<std::size_t>(values, std::size_t(1) << 15));
    std::size_t counted = 0;
    while (counted < values) {
        const std::size_t wanted = std::min(scratch.size(), values - counted);
        const std::size_t got = reader.Read(scratch.data(), wanted);
        counted += got;
        if (got < wanted) break;
    }
    offset_ = reader.offset();
    rowsTaken_ = int64_t(counted / columns_);
    rowSoFar_.clear();
    cut_.clear();
    return counted == values;
}

bool DataFollower::TakeTokens(std::string_view text, Update& update) {
    std::string token;
    while (!text.empty()) {
        while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
        std::size_t length = 0;
        while (length < text.size() && !IsBlank(text[length])) ++length;
        if (length == 0) break;
        struct Cursor {
            std::string_view rest;
            int peek() const { return rest.empty() ? -1 : static_cast<unsigned char>(rest.front()); }
            void advance() { rest.remove_prefix(1); }
        } cursor{text.substr(0, length)};
        token.clear();
        // A token must be exactly one number, as a writer of rows writes them.
        if (!ScanRealToken(cursor, token) || !cursor.rest.empty()) {
            update.badRow = rowsTaken_;
            return false;
        }
        rowSoFar_.push_back(ConvertRealToken(token));
        if (rowSoFar_.size() == columns_) {
            update.values.insert(update.values.end(), rowSoFar_.begin(), rowSoFar_.end());
            rowSoFar_.clear();
            ++rowsTaken_;
        }
        text.remove_prefix(length);
    }
    return true;
}

DataFollower::Update DataFollower::Poll() {
    Update update;
    const int fd = OpenRegularFile(path_);
    if (fd < 0) {
        update.kind = Update::Kind::Missing;
        return update;
    }
    const FdCloser closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        update.kind = Update::Kind::Missing;
        return update;
    }
    const bool replaced = known_ && (info.st_dev != device_ || info.st_ino != inode_);
    if (replaced || uint64_t(info.st_size) < offset_) {
        // The writer started again: what was taken no longer describes the file.
        offset_ = 0, rowsTaken_ = 0, known_ = false;
        cut_.clear();
        rowSoFar_.clear();
        update.kind = Update::Kind::Restarted;
        return update;
    }
    device_ = info.st_dev, inode_ = info.st_ino, known_ = true;
    const uint64_t size = uint64_t(info.st_size);
    if (size == offset_) return update;
    update.kind = Update::Kind::Rows;
    while (offset_ < size) {
        std::string text =
            cut_ + ReadAt(fd, offset_, std::size_t(std::min<uint64_t>(size - offset_, kChunk)));
        const std::size_t read = text.size() - cut_.size();
        if (read == 0) break;
        offset_ += read;
        // Whatever follows the last blank may be a number the writer is
        // still writing: it waits for the next read.
        std::size_t end = text.size();
        while (end > 0 && !IsBlank(text[end - 1])) --end;
        cut_ = text.substr(end);
        if (cut_.size() > kLongestToken || !TakeTokens(std::string_view(text).substr(0, end), update)) {
            update.kind = Update::Kind::BadText;
            if (update.badRow < 0) update.badRow = rowsTaken_;
            return update;
        }
    }
    return update;
}
