// The parallel number parser against the sequential one, and the memory it holds.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "simulation/parallel_real_parser.h"
#include "simulation/real_parser.h"
#include "test_support.h"

namespace {

/// Parses `text` from a file both ways, its last run of characters a value
/// and pending, and checks they agree on every value, on where they stop
/// and on the byte where the values read end.
void ExpectParallelSameAsSequential(const std::string& text, std::size_t count) {
    TempDir dir;
    const std::string path = dir.write("big.dat", text);
    for (const bool pending : {false, true}) {
        SCOPED_TRACE(pending ? "last run pending" : "last run a value");
        std::vector<double> sequential(count), parallel(count, -7.0);
        MemorySource source(text);
        RealReader reader(source, pending);
        const std::size_t expected = reader.Read(sequential.data(), count);
        const int fd = ::open(path.c_str(), O_RDONLY);
        struct VectorSink : ValueSink {
            std::vector<double>& out;
            explicit VectorSink(std::vector<double>& o) : out(o) {}
            void Store(std::size_t first, const double* values, std::size_t n) override {
                std::copy(values, values + n, out.begin() + std::ptrdiff_t(first));
            }
        } sink(parallel);
        uint64_t endByte = 0;
        const std::size_t actual =
            ParseRealsParallel(fd, text.size(), sink, count, nullptr, pending, &endByte);
        ::close(fd);
        ASSERT_EQ(actual, expected);
        EXPECT_EQ(endByte, reader.offset());
        EXPECT_EQ(std::memcmp(parallel.data(), sequential.data(), actual * sizeof(double)), 0);
        if (actual < count) {
            EXPECT_EQ(parallel[actual], -7.0) << "wrote past the values read";
        }
    }
}

std::string LargeText(std::size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) text += std::to_string(i * 0.37) + (i % 7 ? " " : "\n");
    return text;
}

TEST(ParallelParser, AgreesWithSequentialReading) {
    const std::string text = LargeText(3 * kParallelParseMinBytes / 2);
    ExpectParallelSameAsSequential(text, 4'000'000);             // runs out of numbers
    ExpectParallelSameAsSequential(text, 100'000);               // stops at the limit
    ExpectParallelSameAsSequential(text + "\n\n  ", 4'000'000);  // trailing blanks
}

TEST(ParallelParser, FilesCutAtBlockBoundariesReadAsSequentially) {
    std::string text = LargeText(3 * kParallelBlockBytes + 100);
    // A token starting exactly at the second boundary, one ending just
    // before the third.
    text.replace(2 * kParallelBlockBytes - 1, 3, " 7 ");
    text.replace(3 * kParallelBlockBytes - 3, 3, " 8 ");
    for (uint64_t boundary = kParallelBlockBytes; boundary < text.size(); boundary += kParallelBlockBytes)
        for (uint64_t cut : {boundary - 1, boundary, boundary + 1})
            ExpectParallelSameAsSequential(text.substr(0, cut), 4'000'000);
}

TEST(ParallelParser, IrregularTokensFallBackExactly) {
    const std::string base = LargeText(kParallelParseMinBytes + 1000);
    const std::size_t middle = base.find(' ', base.size() / 2) + 1;
    std::string garbage = base, glued = base, longToken = base;
    garbage.insert(middle, "abc ");
    glued.insert(middle, "1.5-2.0e1 0x1p4 ");
    longToken.insert(middle, std::string(10000, '5') + " ");
    for (const std::string* text : {&garbage, &glued, &longToken})
        ExpectParallelSameAsSequential(*text, 4'000'000);
}

TEST(ParallelParser, HoldsOnlyTheBlocksInFlightNeverTheFile) {
    TempDir dir;
    const std::string text = LargeText(std::size_t(48) << 20);
    const std::string path = dir.write("big.dat", text);
    // Slow stores keep the threads at different places in the file, where
    // text read (or mapped) ahead or kept behind would pile up.
    struct SlowSink : ValueSink {
        void Store(std::size_t, const double*, std::size_t) override {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } sink;
    if (!ResetPeakMemory()) GTEST_SKIP() << "this system does not let a process reset its peak memory";
    const int fd = ::open(path.c_str(), O_RDONLY);
    const long before = StatusKiB("VmRSS:");
    EXPECT_GT(ParseRealsParallel(fd, text.size(), sink, std::size_t(1) << 30), std::size_t(3'000'000));
    ::close(fd);
    EXPECT_LT(StatusKiB("VmHWM:") - before, 10 * 1024) << "of a text of " << (text.size() >> 10) << " KiB";
}

}  // namespace
