// What an interactive page is made of: base64, JSON strings that no data
// can break out of, and positions packed to 16 bits that decode within the
// stated precision.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "base/web_text.h"
#include "page/packed_positions.h"

namespace {

TEST(WebTextTest, Base64MatchesTheStandardsExamples) {
    // The examples of RFC 4648, every padding.
    const struct {
        const char* bytes;
        const char* text;
    } cases[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"}};
    for (const auto& c : cases) {
        const std::string bytes = c.bytes;
        EXPECT_EQ(Base64(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), c.text) << c.bytes;
    }
    const uint8_t high[] = {0xFF, 0xFE, 0xFD, 0x00};
    EXPECT_EQ(Base64(high, 4), "//79AA==");
}

TEST(WebTextTest, JsonStringsCannotEndTheScriptTheyStandIn) {
    const struct {
        std::string text, json;
    } cases[] = {
        {"Earth", "\"Earth\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"</script><!--", "\"\\u003c/script\\u003e\\u003c!--\""},
        {"x & y", "\"x \\u0026 y\""},
        {std::string("\x01\n\t\x7f", 4), "\"\\u0001\\u000a\\u0009\\u007f\""},
        {"\xe2\x80\xa8|\xe2\x80\xa9", "\"\\u2028|\\u2029\""},                   // line breaks to old scripts
        {"\xce\xbc = 1 \xe2\x98\x89", "\"\xce\xbc = 1 \xe2\x98\x89\""},         // UTF-8 kept
        {"\xff\xc3(\xed\xa0\x80", "\"\\ufffd\\ufffd(\\ufffd\\ufffd\\ufffd\""},  // not UTF-8: each byte
        {std::string("a\0b", 3), "\"a\\u0000b\""},
    };
    for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.json;
}

TEST(WebTextTest, JsonNumbersReadBackExactly) {
    for (const double v : {0.0, -0.0, 0.1, 1e-300, -2.5e17, 6.02214076e23, 1.0 / 3})
        EXPECT_EQ(std::stod(JsonNumber(v)), v) << JsonNumber(v);
    EXPECT_EQ(JsonNumber(NAN), "null");
    EXPECT_EQ(JsonNumber(-INFINITY), "null");
}

TEST(PackedPositionsTest, PositionsDecodeWithinTheStatedPrecision) {
    // Two tracks: one swinging over [-1, 3] on x and [-2, 2] on y, with a
    // gap and jumps across the whole span that wrap the differences; one
    // standing still on x.
    constexpr int32_t kRows = 1000;
    std::vector<double> times(kRows), a(2 * kRows), b(3 * kRows);
    for (int32_t r = 0; r < kRows; ++r) {
        times[std::size_t(r)] = r * 0.001;
        a[2 * r] = 1 + 2 * std::sin(r * 0.37);
        a[2 * r + 1] = r % 50 == 0 ? (r % 100 == 0 ? -2 : 2) : std::cos(r * 0.11);
        b[3 * r] = 0.25;  // stride 3: another layout of the rows
        b[3 * r + 1] = r == 7 ? NAN : 0.5 * std::cos(r * 0.05);
    }
    a[2 * 3] = 3, a[2 * 4] = -1;
    const PackedPositions packed = PackPositions(times.data(), kRows, {{a.data(), 2}, {b.data(), 3}});
    ASSERT_EQ(packed.parts.size(), 3u);
    EXPECT_EQ(packed.xMin, -1);
    EXPECT_EQ(packed.xMax, 3);
    EXPECT_EQ(packed.yMin, -2);
    EXPECT_EQ(packed.yMax, 2);
    const double xError = (packed.xMax - packed.xMin) / 131068 * (1 + 1e-12);
    const double yError = (packed.yMax - packed.yMin) / 131068 * (1 + 1e-12);
    for (std::size_t k = 0; k < 2; ++k) {
        const std::vector<uint16_t> q = UnpackTrack(packed.parts[k + 1], kRows);
        ASSERT_EQ(q.size(), 2u * kRows);
        const double* xy = k == 0 ? a.data() : b.data();
        const std::size_t stride = k == 0 ? 2 : 3;
        for (int32_t r = 0; r < kRows; ++r) {
            const double x = xy[stride * std::size_t(r)], y = xy[stride * std::size_t(r) + 1];
            const double gotX = PackedValue(q[std::size_t(r)], packed.xMin, packed.xMax);
            const double gotY = PackedValue(q[std::size_t(kRows + r)], packed.yMin, packed.yMax);
            EXPECT_LE(std::fabs(gotX - x), xError) << k << " " << r;
            if (std::isnan(y))
                EXPECT_EQ(q[std::size_t(kRows + r)], kPackedGap);
            else
                EXPECT_LE(std::fabs(gotY - y), yError) << k << " " << r;
        }
    }
    // The ends of the span are exact.
    const std::vector<uint16_t> q = UnpackTrack(packed.parts[1], kRows);
    EXPECT_EQ(q[3], kPackedSteps);
    EXPECT_EQ(q[4], 0);
}

TEST(PackedPositionsTest, AnAxisOfOneValueOrNoneDecodesToIt) {
    const double times[] = {0, 1, 2};
    const double still[] = {5, NAN, 5, NAN, 5, NAN};
    const PackedPositions packed = PackPositions(times, 3, {{still, 2}});
    EXPECT_EQ(packed.xMin, 5);
    EXPECT_EQ(packed.xMax, 5);
    EXPECT_EQ(packed.yMin, 0);
    EXPECT_EQ(packed.yMax, 0);
    const std::vector<uint16_t> q = UnpackTrack(packed.parts[1], 3);
    EXPECT_EQ(q, (std::vector<uint16_t>{0, 0, 0, kPackedGap, kPackedGap, kPackedGap}));
    EXPECT_EQ(PackedValue(q[0], packed.xMin, packed.xMax), 5);
    // No rows: the parts are there, empty.
    const PackedPositions none = PackPositions(times, 0, {{still, 2}});
    EXPECT_EQ(UnpackTrack(none.parts[1], 0).size(), 0u);
}

TEST(PackedPositionsTest, ZlibFailingIsSaidAndPackingRecovers) {
    const double times[] = {0, 1};
    const double xy[] = {1, 2, 3, 4};
    {
        StarvedCompression starved;
        EXPECT_EQ(PackPositions(times, 2, {{xy, 2}}).problem,
                  "its data could not be compressed (zlib: insufficient memory)");
    }
    const PackedPositions packed = PackPositions(times, 2, {{xy, 2}});
    EXPECT_EQ(packed.problem, "");
    EXPECT_EQ(UnpackTrack(packed.parts[1], 2), (std::vector<uint16_t>{0, kPackedSteps, 0, kPackedSteps}));
}

}  // namespace
