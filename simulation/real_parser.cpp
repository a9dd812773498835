#include "real_parser.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

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

const char* ParseRealAt(const char* p, const char* end, double& value, std::string& scratch) {
    // Fast path: a plain decimal number followed by white space.
    const char* s = (*p == '+' && end - p > 1 && p[1] != '-' && p[1] != '+') ? p + 1 : p;
    const auto [q, ec] = std::from_chars(s, end, value);
    const bool plain = ec == std::errc() && (q == end || IsScanSpace(static_cast<unsigned char>(*q)));
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

std::size_t ParseReals(ByteSource& source, double* out, std::size_t count) {
    std::unique_ptr<char[]> buffer(new char[kParseBlockSize]);
    char* const base = buffer.get();
    std::string scratch;
    std::size_t have = 0;  // bytes in the buffer
    std::size_t pos = 0;   // next byte to parse
    std::size_t stored = 0;
    bool atEnd = false;
    while (stored < count) {
        // Tokens that start before `limit` end before it too, unless the
        // input has ended, so no number is ever cut by the block's end.
        const char* limit = atEnd ? base + have : AfterLastSpace(base + pos, base + have);
        const char* p = base + pos;
        while (stored < count) {
            while (p < limit && IsScanSpace(static_cast<unsigned char>(*p))) ++p;
            if (p >= limit) break;
            p = ParseRealAt(p, limit, out[stored], scratch);
            if (!p) return stored;
            ++stored;
        }
        pos = std::size_t(p - base);
        if (stored == count || atEnd) break;
        std::memmove(base, base + pos, have - pos);
        have -= pos;
        pos = 0;
        if (have == kParseBlockSize) break;  // one token fills the whole buffer
        const std::size_t n = source.read(base + have, kParseBlockSize - have);
        if (n == 0) atEnd = true;
        have += n;
    }
    return stored;
}
