#pragma once
#include <cstdint>
#include <string>
#include <vector>

/// Positions packed small for a page that plays them: each coordinate
/// quantised to 16 bits over the extent of its axis, stored as differences
/// from the row before (which are small, and compress well), and each part
/// compressed on its own in zlib's format, which a browser's
/// DecompressionStream("deflate") reads. A coordinate q of an axis whose
/// values span [lo, hi] stands for lo + q (hi - lo) / kPackedSteps, within
/// (hi - lo) / 131068 of the value (less than 1/65,536 of the span); q is
/// kPackedGap where the value is not a number.
constexpr int kPackedSteps = 65534;
constexpr uint16_t kPackedGap = 65535;

/// What PackPositions made: the parts, and the extents quantised over.
struct PackedPositions {
    /// Compressed: first the times (doubles, little-endian), then one part
    /// for each track: its rows' x, then their y, as 16-bit differences
    /// (modulo 65,536) from the row before, the first row's from 0; each
    /// axis's low bytes first, then its high bytes.
    std::vector<std::string> parts;
    double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    int32_t rows = 0;
    /// Empty when every part was packed; else why not (zlib failed, short
    /// of memory), and the parts are not to be used.
    std::string problem;
};

/// A track of positions: x and y of row r at xy[stride * r] and
/// xy[stride * r + 1].
struct PositionTrack {
    const double* xy = nullptr;
    std::size_t stride = 2;
};

/// Packs `rows` rows of `times` and `tracks`, the parts compressed on every
/// processor. The extents are those of the finite values of all tracks
/// (zero-width when an axis has one value, or none).
PackedPositions PackPositions(const double* times, int32_t rows, const std::vector<PositionTrack>& tracks);

/// While one lives, zlib's allocations fail, as they do short of memory:
/// for tests of what such a failure stops.
class StarvedCompression {
public:
    StarvedCompression();
    ~StarvedCompression();
    StarvedCompression(const StarvedCompression&) = delete;
    StarvedCompression& operator=(const StarvedCompression&) = delete;
};

/// The quantised coordinates `part` (a track's part of `rows` rows) holds,
/// x then y, as the page reads them: for tests.
std::vector<uint16_t> UnpackTrack(const std::string& part, int32_t rows);

/// The value quantised coordinate `q` stands for on an axis of [lo, hi].
inline double PackedValue(uint16_t q, double lo, double hi) {
    return q == kPackedGap ? __builtin_nan("") : lo + q * ((hi - lo) / kPackedSteps);
}
