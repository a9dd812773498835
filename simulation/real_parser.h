#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
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
/// there. `scratch` is working space that callers reuse between calls. A
/// number followed by `separator` (a table's ',' or ';', which no number
/// holds) is read as quickly as one followed by a blank.
const char* ParseRealAt(const char* p, const char* end, double& value, std::string& scratch,
                        char separator = ' ');

/// Reads white-space separated reals giving exactly the values and the
/// stopping point of repeated fscanf("%lf") reads: it stops for good at the
/// end of the input or at text that is not a number. Streams through one
/// reused buffer of kParseBlockSize bytes, whatever the input's size.
class RealReader {
public:
    /// With `lastRunPending`, the input is a file another program may still
    /// be writing: the characters after its last white space may be a number
    /// cut short, so they are no value (yet) and the read stops before them.
    explicit RealReader(ByteSource& source, bool lastRunPending = false);
    ~RealReader();
    /// Reads up to `count` more values into `out`; returns how many.
    std::size_t Read(double* out, std::size_t count);
    /// Bytes of the source taken: up to the end of the last value read, or
    /// past the white space after it.
    uint64_t offset() const { return dropped_ + pos_; }
    /// True when the read stopped at text that is not a number (rather than
    /// at the end of the input).
    bool stoppedAtText() const { return atText_; }

private:
    ByteSource& source_;
    std::unique_ptr<char[]> buffer_;
    std::string scratch_;
    bool lastRunPending_;
    uint64_t dropped_ = 0;  // bytes of the source before the buffer's first
    std::size_t have_ = 0;  // bytes in the buffer
    std::size_t pos_ = 0;   // next byte to parse
    bool atEnd_ = false;
    bool failed_ = false;
    bool atText_ = false;
};

/// Reads up to `count` values from the start of `source` into `out`.
std::size_t ParseReals(ByteSource& source, double* out, std::size_t count);

/// Where values read from a file go, in file order.
class ValueSink {
public:
    virtual ~ValueSink() = default;
    /// Takes `n` values, the first being value number `first` of the file.
    virtual void Store(std::size_t first, const double* values, std::size_t n) = 0;
};

/// Reads up to `count` values with `reader` and hands them to `sink` as
/// values `first` onward, in chunks; returns how many were read.
std::size_t ParseRealsInto(RealReader& reader, ValueSink& sink, std::size_t first, std::size_t count);
