#include "data_follower.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "file_access.h"
#include "load_progress.h"
#include "real_parser.h"

namespace {

/// Values parsed at a time while following.
constexpr std::size_t kBlockValues = std::size_t(1) << 15;

/// Closes a file descriptor when it goes out of scope.
struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

/// The bytes of an open file from one offset up to another.
class RangeSource : public ByteSource {
public:
    RangeSource(int fd, uint64_t from, uint64_t to) : fd_(fd), at_(from), to_(to) {}
    std::size_t read(char* buffer, std::size_t size) override {
        size = std::size_t(std::min<uint64_t>(size, to_ - at_));
        std::size_t have = 0;
        while (have < size) {
            const ssize_t n = ::pread(fd_, buffer + have, size - have, off_t(at_ + have));
            if (n <= 0) break;
            have += std::size_t(n);
        }
        at_ += have;
        return have;
    }

private:
    int fd_;
    uint64_t at_, to_;
};

/// Rows in the `total` bytes of an append beyond the first `read`, from the
/// `taken` rows there were in those.
int64_t RowsToCome(uint64_t read, uint64_t total, int64_t taken) {
    if (read == 0 || total <= read) return 0;
    return int64_t(double(total - read) * double(taken) / double(read));
}

}  // namespace

DataFollower::DataFollower(std::string path, int32_t columns)
    : path_(std::move(path)), columns_(columns > 0 ? std::size_t(columns) : 1) {}

DataFollower::DataFollower(std::string path, const TableLayout& layout, TablePlane plane)
    : path_(std::move(path)), table_(std::in_place, layout, plane) {
    columns_ = table_->columns();
}

bool DataFollower::Resume(const DataHandOver& handOver) {
    const int fd = OpenRegularFile(path_);
    if (fd < 0 || handOver.rows < 0) return false;
    const FdCloser closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return false;
    if (uint64_t(info.st_dev) != handOver.device || uint64_t(info.st_ino) != handOver.inode ||
        uint64_t(info.st_size) < handOver.byte || handOver.partialRow.size() >= columns_)
        return false;
    // A table's lines are taken whole.
    if (table_ && !handOver.partialRow.empty()) return false;
    device_ = info.st_dev, inode_ = info.st_ino, known_ = true;
    offset_ = handOver.byte;
    rowsTaken_ = handOver.rows;
    rowSoFar_ = handOver.partialRow;
    lines_ = -1;  // counted only if a message needs it
    return true;
}

DataHandOver DataFollower::handOver() const {
    DataHandOver h;
    h.device = uint64_t(device_), h.inode = uint64_t(inode_);
    h.byte = offset_;
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
    if (table_) return SkipTableRows(fd, uint64_t(info.st_size), values / columns_);
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
    return counted == values;
}

uint64_t DataFollower::bytesWaiting() const {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0 || uint64_t(info.st_size) < offset_) return 0;
    return uint64_t(info.st_size) - offset_;
}

DataFollower::Update DataFollower::Poll(const RowTaker& take, LoadProgress* progress) {
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
        rowSoFar_.clear();
        lines_ = 0;
        update.kind = Update::Kind::Restarted;
        return update;
    }
    device_ = info.st_dev, inode_ = info.st_ino, known_ = true;
    const uint64_t size = uint64_t(info.st_size);
    if (size == offset_) return update;
    if (table_) return PollTable(fd, size, take, progress);
    update.kind = Update::Kind::Rows;
    // Read as the loader reads, the characters after the last white space
    // waiting for the rest of a number the writer may still be writing.
    if (progress) progress->fileBytes.store(size - offset_, std::memory_order_relaxed);
    RangeSource source(fd, offset_, size);
    RealReader reader(source, true);
    // Every value but the last takes two bytes at the least.
    const uint64_t most = (size - offset_) / 2 + 1 + rowSoFar_.size();
    const std::size_t blockRows = std::size_t(std::min<uint64_t>(kBlockValues, most) / columns_ + 1);
    std::vector<double> block(blockRows * columns_);
    int64_t taken = 0;  // rows taken in this Poll
    for (;;) {
        const std::size_t have = rowSoFar_.size();
        std::copy(rowSoFar_.begin(), rowSoFar_.end(), block.begin());
        const std::size_t wanted = block.size() - have;
        const std::size_t got = reader.Read(block.data() + have, wanted);
        const std::size_t rows = (have + got) / columns_;
        if (!take) {
            update.values.insert(update.values.end(), block.begin(),
                                 block.begin() + std::ptrdiff_t(rows * columns_));
        } else if (rows > 0 && !take(block.data(), nullptr, nullptr, rows,
                                     RowsToCome(reader.offset(), size - offset_, taken + int64_t(rows)))) {
            update.kind = Update::Kind::Refused;
            return update;
        }
        rowsTaken_ += int64_t(rows);
        taken += int64_t(rows);
        rowSoFar_.assign(block.begin() + std::ptrdiff_t(rows * columns_),
                         block.begin() + std::ptrdiff_t(have + got));
        if (progress) progress->bytesRead.store(reader.offset(), std::memory_order_relaxed);
        if (got < wanted) break;
        if (progress && progress->cancelled.load()) {
            update.kind = Update::Kind::Cancelled;
            break;
        }
    }
    offset_ += reader.offset();
    if (reader.stoppedAtText()) {
        update.kind = Update::Kind::BadText;
        update.badRow = rowsTaken_;
    }
    return update;
}

bool DataFollower::SkipTableRows(int fd, uint64_t size, std::size_t rows) {
    LineReader lines(fd, 0, size);
    offset_ = 0;
    std::vector<double> row(columns_);
    std::size_t counted = 0;
    int64_t line = 0;
    const char *begin, *end;
    while (counted < rows && lines.Next(begin, end)) {
        const TableRowReader::Line kind = table_->Read(begin, end, line, row.data());
        if (kind == TableRowReader::Line::Bad) break;
        offset_ = lines.done();
        counted += kind == TableRowReader::Line::Row;
    }
    lines_ = line;
    rowsTaken_ = int64_t(counted);
    rowSoFar_.clear();
    return counted == rows;
}

DataFollower::Update DataFollower::PollTable(int fd, uint64_t size, const RowTaker& take,
                                             LoadProgress* progress) {
    Update update;
    update.kind = Update::Kind::Rows;
    const uint64_t from = offset_, total = size - from;
    if (progress) progress->fileBytes.store(total, std::memory_order_relaxed);
    LineReader lines(fd, from, size);
    // A row takes two bytes at the least: a number and its line end.
    const std::size_t blockRows = std::size_t(std::min<uint64_t>(kBlockValues / columns_, total / 2) + 1);
    std::vector<double> block(blockRows * columns_);
    const std::size_t depths = table_->depths();
    std::vector<double> depthBlock(blockRows * depths);
    const std::size_t velocities = table_->velocities();
    std::vector<double> velocityBlock(blockRows * velocities);
    std::size_t rows = 0;  // rows in the block
    int64_t taken = 0;     // rows taken in this Poll
    int64_t line = lines_;
    uint64_t done = 0;  // bytes of the append read, to the end of the last line read
    // Hands the block's rows on; the lines read so far are then taken.
    const auto hand = [&] {
        if (!take) {
            update.values.insert(update.values.end(), block.begin(),
                                 block.begin() + std::ptrdiff_t(rows * columns_));
            update.depths.insert(update.depths.end(), depthBlock.begin(),
                                 depthBlock.begin() + std::ptrdiff_t(rows * depths));
            update.velocities.insert(update.velocities.end(), velocityBlock.begin(),
                                     velocityBlock.begin() + std::ptrdiff_t(rows * velocities));
        } else if (rows > 0 && !take(block.data(), depths > 0 ? depthBlock.data() : nullptr,
                                     velocities > 0 ? velocityBlock.data() : nullptr, rows,
                                     RowsToCome(done, total, taken + int64_t(rows)))) {
            update.kind = Update::Kind::Refused;
            return false;
        }
        rowsTaken_ += int64_t(rows);
        taken += int64_t(rows);
        rows = 0;
        offset_ = from + done;
        lines_ = line;
        if (progress) progress->bytesRead.store(done, std::memory_order_relaxed);
        return true;
    };
    const char *begin, *end;
    while (lines.Next(begin, end)) {
        const TableRowReader::Line kind =
            table_->Read(begin, end, line, block.data() + rows * columns_, depthBlock.data() + rows * depths,
                         velocityBlock.data() + rows * velocities);
        if (kind == TableRowReader::Line::Bad) {
            if (!hand()) return update;
            update.kind = Update::Kind::BadText;
            update.badRow = rowsTaken_;
            update.tableError = table_->error((line >= 0 ? line : LinesBefore(fd, offset_)) + 1);
            return update;
        }
        done = lines.done();
        if (kind == TableRowReader::Line::Row && ++rows == blockRows) {
            if (!hand()) return update;
            if (progress && progress->cancelled.load()) {
                update.kind = Update::Kind::Cancelled;
                return update;
            }
        }
    }
    if (!hand() || lines.stop() == LineReader::Stop::End) return update;
    // A line too long, or a row holding a NUL byte, is not waited for: its
    // end would not help. A comment or the header may hold anything.
    const int64_t number = (line >= 0 ? line : LinesBefore(fd, offset_)) + 1;
    const std::string_view rest = lines.pending();
    if (lines.stop() == LineReader::Stop::LongLine) {
        update.tableError = LongLineError(number);
    } else if (number != table_->layout().headerLine &&
               !IsTableComment(rest.data(), rest.data() + rest.size())) {
        update.tableError = NulByteError(number);
    } else {
        return update;
    }
    update.kind = Update::Kind::BadText;
    update.badRow = rowsTaken_;
    return update;
}
