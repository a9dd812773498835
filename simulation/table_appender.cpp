#include "table_appender.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace {

/// Bytes read from the file at a time; a longer line grows the buffer.
constexpr std::size_t kChunkBytes = std::size_t(1) << 16;

}  // namespace

TableRowReader::TableRowReader(TableLayout layout, TablePlane plane)
    : layout_(std::move(layout)), plane_(plane) {
    // Room for every cell the layout names, even one it miscounted.
    int32_t highest = std::max(layout_.cells - 1, layout_.timeColumn);
    for (const TableBodyColumns& b : layout_.bodies) highest = std::max({highest, b.x, b.y, b.z});
    for (const TableBodyColumns& v : layout_.velocities) highest = std::max({highest, v.x, v.y, v.z});
    cells_.assign(std::size_t(highest) + 1, 0.0);
}

TableRowReader::Line TableRowReader::Read(const char* begin, const char* end, int64_t& lines, double* row,
                                          double* depth, double* velocity) {
    const Line line =
        ReadCells(begin, end, lines >= 0 && lines + 1 == layout_.headerLine, row, depth, velocity);
    if (line != Line::Bad && lines >= 0) ++lines;
    return line;
}

TableRowReader::Line TableRowReader::ReadCells(const char* begin, const char* end, bool header, double* row,
                                               double* depth, double* velocity) {
    if (header) return Line::Skipped;
    const std::size_t wanted = std::size_t(std::max(layout_.cells, 0));
    switch (ParseTableLine(begin, end, layout_.separator, cells_.data(), wanted, count_, bad_,
                           layout_.decimalComma)) {
        case TableLineResult::Blank:
        case TableLineResult::Comment:
            return Line::Skipped;
        case TableLineResult::BadCell:
            notANumber_ = true;
            return Line::Bad;
        case TableLineResult::Cells:
            break;
    }
    if (count_ > wanted) {
        // Read the whole line again, so that the message counts all its cells.
        std::vector<double> all(std::size_t(end - begin) / 2 + 1);
        notANumber_ = ParseTableLine(begin, end, layout_.separator, all.data(), all.size(), count_, bad_,
                                     layout_.decimalComma) == TableLineResult::BadCell;
        return Line::Bad;
    }
    if (count_ < wanted) {
        notANumber_ = false;
        return Line::Bad;
    }
    row[0] = cells_[std::size_t(layout_.timeColumn)];
    for (std::size_t k = 0; k < layout_.bodies.size(); ++k)
        ProjectBody(layout_.bodies[k], plane_, cells_.data(), row[1 + 2 * k], row[2 + 2 * k]);
    if (depth)
        for (std::size_t k = 0; k < depths(); ++k)
            depth[k] = DepthOf(layout_.bodies[k], plane_, cells_.data());
    if (velocity)
        for (std::size_t k = 0; k < layout_.velocities.size(); ++k)
            VelocityOf(layout_.velocities[k], cells_.data(), velocity + 3 * k);
    return Line::Row;
}

TableError TableRowReader::error(int64_t line) const {
    if (notANumber_) return NotANumberError(line, int32_t(count_) + 1, bad_, layout_.decimalComma);
    return RaggedRowError(line, int32_t(count_), layout_.cells);
}

LineReader::LineReader(int fd, uint64_t from, uint64_t to) : fd_(fd), at_(from), to_(std::max(from, to)) {
    buffer_.resize(std::size_t(std::min<uint64_t>(kChunkBytes, to_ - at_)) + 1);
}

bool LineReader::Next(const char*& begin, const char*& end) {
    std::size_t searched = begin_;
    for (;;) {
        const char* data = buffer_.data();
        const void* found = std::memchr(data + searched, '\n', end_ - searched);
        if (found) {
            const char* newline = static_cast<const char*>(found);
            if (std::size_t(newline - (data + begin_)) > kMaxTableLineBytes) {
                stop_ = Stop::LongLine;
                return false;
            }
            begin = data + begin_;
            end = newline;
            const std::size_t next = std::size_t(newline - data) + 1;
            done_ += next - begin_;
            begin_ = next;
            return true;
        }
        if (std::memchr(data + searched, '\0', end_ - searched)) {
            stop_ = Stop::NulByte;
            return false;
        }
        if (end_ - begin_ > kMaxTableLineBytes) {
            stop_ = Stop::LongLine;
            return false;
        }
        if (at_ >= to_) return false;
        // Keep the start of a line cut by the chunk's end, and read on.
        std::memmove(buffer_.data(), data + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
        searched = end_;
        if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
        const std::size_t room = std::size_t(std::min<uint64_t>(buffer_.size() - end_, to_ - at_));
        const ssize_t n = ::pread(fd_, buffer_.data() + end_, room, off_t(at_));
        if (n <= 0) {
            at_ = to_;  // the file ended early: nothing more comes in this read
            return false;
        }
        at_ += uint64_t(n);
        end_ += std::size_t(n);
    }
}

int64_t LinesBefore(int fd, uint64_t byte) {
    LineReader lines(fd, 0, byte);
    const char *begin, *end;
    int64_t count = 0;
    while (lines.Next(begin, end)) ++count;
    return count;
}
