#include "real_parser.h"

#include <fast_float/fast_float.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "real_scanner.h"

std::size_t FdSource::read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, size);
        if (n >= 0) return std::size_t(n);
        if (errno != EINTR) return 0;
    }
}

std::size_t MemorySource::read(char* buffer, std::size_t size) {
    const std::size_t n = std::min(size, text_.size());
    std::memcpy(buffer, text_.data(), n);
    text_.remove_prefix(n);
    return n;
}

namespace {

struct MemoryCursor {
    const char* p;
    const char* end;
    int peek() const { return p < end ? static_cast<unsigned char>(*p) : -1; }
    void advance() { ++p; }
};

}  // namespace

const char* ParseRealAt(const char* p, const char* end, double& value, std::string& scratch, char separator) {
    // Fast path: a plain decimal number followed by white space.
    const char* s = (*p == '+' && end - p > 1 && p[1] != '-' && p[1] != '+') ? p + 1 : p;
    const auto [q, ec] = fast_float::from_chars(s, end, value);
    const bool plain =
        ec == std::errc() && (q == end || *q == separator || IsScanSpace(static_cast<unsigned char>(*q)));
    if (plain && (value == value || q[-1] != ')')) return q;  // "nan(...)" goes the slow way
    // Everything else (hexadecimal, out of range, numbers run together,
    // incomplete exponents, garbage) follows the formatted-input grammar.
    MemoryCursor cursor{p, end};
    scratch.clear();
    if (!ScanRealToken(cursor, scratch)) return nullptr;
    value = ConvertRealToken(scratch);
    return cursor.p;
}

namespace {

/// One past the last white-space character in [begin, end), or begin.
const char* AfterLastSpace(const char* begin, const char* end) {
    while (end > begin && !IsScanSpace(static_cast<unsigned char>(end[-1]))) --end;
    return end;
}

}  // namespace

RealReader::RealReader(ByteSource& source, bool lastRunPending)
    : source_(source), buffer_(new char[kParseBlockSize]), lastRunPending_(lastRunPending) {}

RealReader::~RealReader() = default;

std::size_t RealReader::Read(double* out, std::size_t count) {
    char* const base = buffer_.get();
    std::size_t stored = 0;
    while (stored < count && !failed_) {
        // Tokens that start before `limit` end before it too, unless the
        // input has ended (and its last run is a value), so no number is
        // ever cut by the block's end.
        const char* limit =
            atEnd_ && !lastRunPending_ ? base + have_ : AfterLastSpace(base + pos_, base + have_);
        const char* p = base + pos_;
        while (stored < count) {
            while (p < limit && IsScanSpace(static_cast<unsigned char>(*p))) ++p;
            if (p >= limit) break;
            const char* next = ParseRealAt(p, limit, out[stored], scratch_);
            if (!next) {
                failed_ = atText_ = true;
                break;
            }
            p = next;
            ++stored;
        }
        pos_ = std::size_t(p - base);
        if (stored == count || failed_) break;
        if (atEnd_) {
            failed_ = true;  // nothing more to read
            break;
        }
        std::memmove(base, base + pos_, have_ - pos_);
        have_ -= pos_;
        dropped_ += pos_;
        pos_ = 0;
        if (have_ == kParseBlockSize) {  // one token fills the whole buffer
            failed_ = atText_ = true;
            break;
        }
        const std::size_t n = source_.read(base + have_, kParseBlockSize - have_);
        if (n == 0) atEnd_ = true;
        have_ += n;
    }
    return stored;
}

std::size_t ParseReals(ByteSource& source, double* out, std::size_t count) {
    RealReader reader(source);
    return reader.Read(out, count);
}

std::size_t ParseRealsInto(RealReader& reader, ValueSink& sink, std::size_t first, std::size_t count) {
    constexpr std::size_t kChunk = 1 << 15;
    std::unique_ptr<double[]> chunk(new double[kChunk]);
    std::size_t stored = 0;
    while (stored < count) {
        const std::size_t wanted = std::min(kChunk, count - stored);
        const std::size_t got = reader.Read(chunk.get(), wanted);
        sink.Store(first + stored, chunk.get(), got);
        stored += got;
        if (got < wanted) break;
    }
    return stored;
}
