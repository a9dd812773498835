// The sequential number parser against formatted input ("%lf").

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "simulation/real_parser.h"

namespace {

/// What a loop of fscanf("%lf") reads from `text`: the values up to the
/// first failure.
std::vector<double> ScanfValues(const std::string& text, std::size_t limit) {
    std::vector<double> values;
    std::string copy = text;
    std::FILE* file = copy.empty() ? std::fopen("/dev/null", "r") : ::fmemopen(copy.data(), copy.size(), "r");
    double v = 0;
    while (values.size() < limit && std::fscanf(file, "%lf", &v) == 1) values.push_back(v);
    std::fclose(file);
    return values;
}

std::vector<double> ParsedValues(const std::string& text, std::size_t limit) {
    std::vector<double> values(limit);
    MemorySource source(text);
    values.resize(ParseReals(source, values.data(), limit));
    return values;
}

void ExpectSameAsScanf(const std::string& text, std::size_t limit = 64) {
    const auto expected = ScanfValues(text, limit);
    const auto actual = ParsedValues(text, limit);
    ASSERT_EQ(actual.size(), expected.size()) << '"' << text << '"';
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(std::memcmp(&actual[i], &expected[i], sizeof(double)), 0)
            << '"' << text << "\" value " << i << ": " << actual[i] << " vs " << expected[i];
}

TEST(RealParser, TokensMatchFormattedInput) {
    const char* inputs[] = {
        "1 2 3",
        "  -1.5e3\t+2.25\r\n.5 5.",
        "1e400 -1e400 1e-320 4.9e-324 2.4e-324",
        "nan inf -infinity NAN(abc) Inf",
        "0x1p3 0X.8 -0x10",
        "1.5-2.0",
        "1e5e3",
        "1e 2",
        "1e+ 2",
        "1.2.3",
        "+-1",
        "- 1",
        "abc",
        "12abc 4",
        "0.1 0.2 0.30000000000000004",
        "1,5",
        "123456789012345678901234567890",
        "1\0002",
        "infinite 3",
        "nan( 4",
        "9007199254740993",
        "2.2250738585072011e-308",
        "00001.50000",
        "+.5e-0 -.0",
        "0x 5",
        "0x1p 5",
        "0x1p+ 5",
        "1.e 5",
        "1E- 5",
        "inf( 5",
        "nanx 5",
        "infinit 5",
        "nan(1) 5",
        "0x1.8p1 5",
    };
    for (const char* input : inputs)
        ExpectSameAsScanf(std::string(input, std::strlen(input) + (input[1] == 0)));
    ExpectSameAsScanf(std::string("1\0 2", 4));
}

TEST(RealParser, BlockBoundariesDoNotCutNumbers) {
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> value(-1e6, 1e6);
    const char* separators[] = {" ", "\n", "\r\n", "\t  ", "   \n\n"};
    std::string text;
    while (text.size() < 3 * kParseBlockSize) {
        char number[64];
        std::snprintf(number, sizeof number, random() % 2 ? "%.17g" : "%.10e", value(random));
        text += number;
        text += separators[random() % 5];
    }
    ExpectSameAsScanf(text, 1u << 20);
}

TEST(RealParser, StopsAtTheLimitAndAtOverlongTokens) {
    EXPECT_EQ(ParsedValues("1 2 3 4", 2).size(), 2u);
    EXPECT_EQ(ParsedValues("", 2).size(), 0u);
    const std::string huge = "1 " + std::string(kParseBlockSize + 10, '7');
    EXPECT_EQ(ParsedValues(huge, 2).size(), 1u);
}

}  // namespace
