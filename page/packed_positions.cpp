#include "page/packed_positions.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include "base/parallel_for.h"

namespace {

std::atomic<bool> gZlibStarved{false};

/// zlib's allocations, refused while a StarvedCompression lives.
voidpf Allocate(voidpf, uInt items, uInt size) { return gZlibStarved ? Z_NULL : std::calloc(items, size); }
void Release(voidpf, voidpf at) { std::free(at); }

/// `bytes` in zlib's format, at its fastest level and matching runs of one
/// byte only: the differences' high bytes are long runs of 0 or 255 and
/// the low bytes of smooth orbits runs too, so they compress nearly as well,
/// and a large table is packed in less than the time it loads. zlib counts
/// in 32 bits, so more than 4 GiB goes in and comes out in pieces. Nothing
/// (and zlib's complaint in `problem`) when zlib fails.
std::optional<std::string> Compress(const std::vector<uint8_t>& bytes, std::string& problem) {
    z_stream stream{};
    stream.zalloc = Allocate;
    stream.zfree = Release;
    int status = deflateInit2(&stream, 1, Z_DEFLATED, 15, 8, Z_RLE);
    if (status != Z_OK) {
        problem = stream.msg ? stream.msg : zError(status);
        return std::nullopt;
    }
    std::string out(deflateBound(&stream, uLong(bytes.size())), '\0');
    constexpr std::size_t kPiece = std::numeric_limits<uInt>::max();
    std::size_t in = 0, made = 0;
    while (status == Z_OK) {
        const std::size_t inPiece = std::min(bytes.size() - in, kPiece);
        const std::size_t outPiece = std::min(out.size() - made, kPiece);
        stream.next_in = const_cast<Bytef*>(bytes.data() + in);
        stream.avail_in = uInt(inPiece);
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + made);
        stream.avail_out = uInt(outPiece);
        status = deflate(&stream, in + inPiece == bytes.size() ? Z_FINISH : Z_NO_FLUSH);
        in += inPiece - stream.avail_in;
        made += outPiece - stream.avail_out;
    }
    if (status != Z_STREAM_END) problem = stream.msg ? stream.msg : zError(status);
    deflateEnd(&stream);
    if (status != Z_STREAM_END) return std::nullopt;
    out.resize(made);
    return out;
}

uint16_t Quantise(double v, double lo, double scale) {
    if (!std::isfinite(v)) return kPackedGap;
    const double q = (v - lo) * scale + 0.5;
    return q >= kPackedSteps ? uint16_t(kPackedSteps) : q > 0 ? uint16_t(q) : 0;
}

}  // namespace

StarvedCompression::StarvedCompression() { gZlibStarved = true; }
StarvedCompression::~StarvedCompression() { gZlibStarved = false; }

PackedPositions PackPositions(const double* times, int32_t rows, const std::vector<PositionTrack>& tracks) {
    PackedPositions packed;
    packed.rows = std::max(rows, 0);
    const std::size_t n = std::size_t(packed.rows);
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (const PositionTrack& track : tracks)
        for (std::size_t r = 0; r < n; ++r) {
            const double x = track.xy[track.stride * r], y = track.xy[track.stride * r + 1];
            if (std::isfinite(x)) x0 = std::min(x0, x), x1 = std::max(x1, x);
            if (std::isfinite(y)) y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    if (x0 > x1) x0 = x1 = 0;
    if (y0 > y1) y0 = y1 = 0;
    packed.xMin = x0, packed.xMax = x1, packed.yMin = y0, packed.yMax = y1;
    const double xScale = x1 > x0 ? kPackedSteps / (x1 - x0) : 0,
                 yScale = y1 > y0 ? kPackedSteps / (y1 - y0) : 0;
    packed.parts.resize(tracks.size() + 1);
    std::vector<std::string> problems(packed.parts.size());
    // The times, and each track, compressed on their own, on every processor.
    ParallelFor(0, int64_t(tracks.size()) + 1, WorkerCount(uint64_t(tracks.size() + 1) * n, 1 << 16),
                [&](int64_t first, int64_t last) {
                    std::vector<uint8_t> bytes;
                    for (int64_t k = first; k < last; ++k) {
                        if (k == 0) {
                            bytes.resize(8 * n);
                            for (std::size_t r = 0; r < n; ++r) {
                                uint64_t bits = 0;
                                std::memcpy(&bits, &times[r], 8);
                                for (int b = 0; b < 8; ++b)
                                    bytes[8 * r + std::size_t(b)] = uint8_t(bits >> (8 * b));
                            }
                        } else {
                            const PositionTrack& track = tracks[std::size_t(k - 1)];
                            bytes.resize(4 * n);
                            for (int axis = 0; axis < 2; ++axis) {
                                uint16_t previous = 0;
                                uint8_t* out = bytes.data() + std::size_t(axis) * 2 * n;
                                for (std::size_t r = 0; r < n; ++r) {
                                    const uint16_t q =
                                        Quantise(track.xy[track.stride * r + std::size_t(axis)],
                                                 axis ? y0 : x0, axis ? yScale : xScale);
                                    const uint16_t d = uint16_t(q - previous);
                                    previous = q;
                                    out[r] = uint8_t(d), out[n + r] = uint8_t(d >> 8);
                                }
                            }
                        }
                        std::optional<std::string> part = Compress(bytes, problems[std::size_t(k)]);
                        if (part) packed.parts[std::size_t(k)] = std::move(*part);
                    }
                });
    for (const std::string& problem : problems)
        if (!problem.empty()) {
            packed.problem = "its data could not be compressed (zlib: " + problem + ")";
            break;
        }
    return packed;
}

std::vector<uint16_t> UnpackTrack(const std::string& part, int32_t rows) {
    const std::size_t n = std::size_t(std::max(rows, 0));
    std::vector<uint8_t> bytes(4 * n);
    uLongf size = uLongf(bytes.size());
    if (uncompress(bytes.data(), &size, reinterpret_cast<const Bytef*>(part.data()), uLong(part.size())) !=
            Z_OK ||
        size != bytes.size())
        return {};
    std::vector<uint16_t> values(2 * n);
    for (std::size_t axis = 0; axis < 2; ++axis) {
        uint16_t q = 0;
        for (std::size_t r = 0; r < n; ++r) {
            const std::size_t at = axis * 2 * n + r;
            q = uint16_t(q + uint16_t(bytes[at] | bytes[at + n] << 8));
            values[axis * n + r] = q;
        }
    }
    return values;
}
