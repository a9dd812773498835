#include "simulation/number_text.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr WholeTextRules kBare{};  // the command line's whole numbers
constexpr WholeTextRules kSpaceTabCLibrary{.blanks = NumberBlanks::SpaceTab, .plus = PlusSign::CLibrary};
constexpr WholeTextRules kAnyDropped{.blanks = NumberBlanks::Any, .plus = PlusSign::Dropped};

TEST(NumberText, WholeNumbersByRules) {
    const std::optional<int32_t> no;
    struct Case {
        const char* text;
        std::optional<int32_t> bare, spaceTabCLibrary, anyDropped;
    };
    const Case cases[] = {
        {"42", 42, 42, 42},
        {"-7", -7, -7, -7},
        {"+7", no, 7, 7},
        {"+-7", no, no, -7},
        {"++7", no, no, no},
        {"+", no, no, no},
        {" 42\t", no, 42, 42},
        {"\n42\r", no, no, 42},
        {"4 2", no, no, no},
        {"42x", no, no, no},
        {"12.5", no, no, no},
        {"", no, no, no},
        {" ", no, no, no},
        {"2147483647", 2147483647, 2147483647, 2147483647},
        {"-2147483648", -2147483647 - 1, -2147483647 - 1, -2147483647 - 1},
        {"2147483648", no, no, no},
        {"99999999999999999999", no, no, no},
        {"0x10", no, no, no},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseWholeText(c.text, kBare), c.bare) << '"' << c.text << '"';
        EXPECT_EQ(ParseWholeText(c.text, kSpaceTabCLibrary), c.spaceTabCLibrary) << '"' << c.text << '"';
        EXPECT_EQ(ParseWholeText(c.text, kAnyDropped), c.anyDropped) << '"' << c.text << '"';
    }
}

TEST(NumberText, FiniteRealsByGrammar) {
    const RealTextRules cLibrary{.blanks = NumberBlanks::Any, .grammar = RealGrammar::CLibrary};
    const RealTextRules decimal{.blanks = NumberBlanks::SpaceTab, .grammar = RealGrammar::Decimal};
    const std::optional<double> no;
    struct Case {
        const char* text;
        std::optional<double> cLibrary, decimal;
    };
    const Case cases[] = {
        {" -2.5e1\t", -25.0, -25.0},
        {"+.5", 0.5, 0.5},
        {"5.", 5.0, 5.0},
        {"+-5", no, no},
        {"\v5", 5.0, no},
        {"0x10", 16.0, no},
        {"1e", 1.0, no},
        {"1e+", 1.0, no},
        {"1e-400", 0.0, no},
        {"1e400", no, no},
        {"inf", no, no},
        {"-Infinity", no, no},
        {"nan", no, no},
        {"nan(1)", no, no},
        {"1.5x", no, no},
        {"1 2", no, no},
        {"-", no, no},
        {".", no, no},
        {"", no, no},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseFiniteText(c.text, cLibrary), c.cLibrary) << '"' << c.text << '"';
        EXPECT_EQ(ParseFiniteText(c.text, decimal), c.decimal) << '"' << c.text << '"';
    }
    EXPECT_EQ(ParseFiniteText(" 1", {.blanks = NumberBlanks::None}), no);
}

TEST(NumberText, RealsWithSignificantDigits) {
    EXPECT_EQ(FormatRealText(0.1, 15), "0.1");
    EXPECT_EQ(FormatRealText(1.0 / 3, 15), "0.333333333333333");
    EXPECT_EQ(FormatRealText(1e20, 15), "1e+20");
}

}  // namespace
