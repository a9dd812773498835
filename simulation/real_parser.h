#pragma once
#include <cstddef>
#include <string>
#include <string_view>

/// Where the real parser gets its bytes: a file descriptor read in blocks, or
/// memory for tests.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    /// Fills up to `size` bytes; returns how many, 0 at the end (a read error
    /// counts as the end, as it does for formatted input).
    virtual std::size_t read(char* buffer, std::size_t size) = 0;
};

/// Reads from a file descriptor it does not own.
class FdSource : public ByteSource {
public:
    explicit FdSource(int fd) : fd_(fd) {}
    std::size_t read(char* buffer, std::size_t size) override;

private:
    int fd_;
};

/// Reads from a block of memory.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view text) : text_(text) {}
    std::size_t read(char* buffer, std::size_t size) override;

private:
    std::string_view text_;
};

/// Bytes of the buffer the parser streams through. A run of non-blank
/// characters longer than this is taken for something that is not a number.
inline constexpr std::size_t kParseBlockSize = std::size_t(1) << 20;

/// Parses the number at `p`, which lies in a run of non-blank characters that
/// ends before `end` or at the end of the input, as one "%lf" read would.
/// Returns the first character after it, or null when no number stands
/// there. `scratch` is working space that callers reuse between calls.
const char* ParseRealAt(const char* p, const char* end, double& value, std::string& scratch);

/// Reads up to `count` white-space separated reals into `out`, giving exactly
/// the values and the stopping point of repeated fscanf("%lf") reads: it stops
/// at the end of the input or at text that is not a number. Returns how many
/// values were stored. Streams through one reused buffer of
/// kParseBlockSize bytes, whatever the input's size.
std::size_t ParseReals(ByteSource& source, double* out, std::size_t count);
