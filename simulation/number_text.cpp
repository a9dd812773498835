#include "simulation/number_text.h"

#include <charconv>
#include <cmath>

#include "base/format.h"
#include "simulation/real_scanner.h"

namespace {

bool IsBlank(NumberBlanks blanks, unsigned char c) {
    switch (blanks) {
        case NumberBlanks::None:
            return false;
        case NumberBlanks::SpaceTab:
            return c == ' ' || c == '\t';
        case NumberBlanks::Any:
            return IsScanSpace(c);
    }
    return false;
}

std::string_view Trim(std::string_view text, NumberBlanks blanks) {
    while (!text.empty() && IsBlank(blanks, static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && IsBlank(blanks, static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    return text;
}

/// The text after a leading '+' that `plus` takes; from_chars takes none.
std::string_view AfterPlus(std::string_view text, PlusSign plus) {
    if (text.empty() || text.front() != '+') return text;
    switch (plus) {
        case PlusSign::Refused:
            return text;
        case PlusSign::CLibrary:
            return text.size() > 1 && text[1] != '-' && text[1] != '+' ? text.substr(1) : text;
        case PlusSign::Dropped:
            return text.substr(1);
    }
    return text;
}

/// All of `text` read by from_chars, or nothing.
template <class Number>
std::optional<Number> AllRead(std::string_view text) {
    Number value{};
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

/// All of `text` read as the C library's formatted input reads a real, or nothing.
std::optional<double> ScannedReal(std::string_view text) {
    struct Cursor {
        std::string_view text;
        int peek() const { return text.empty() ? -1 : static_cast<unsigned char>(text.front()); }
        void advance() { text.remove_prefix(1); }
    } cursor{text};
    std::string token;
    if (text.empty() || !ScanRealToken(cursor, token) || !cursor.text.empty()) return std::nullopt;
    return ConvertRealToken(token);
}

}  // namespace

std::optional<int32_t> ParseWholeText(std::string_view text, const WholeTextRules& rules) {
    return AllRead<int32_t>(AfterPlus(Trim(text, rules.blanks), rules.plus));
}

std::optional<double> ParseFiniteText(std::string_view text, const RealTextRules& rules) {
    text = Trim(text, rules.blanks);
    const std::optional<double> value = rules.grammar == RealGrammar::CLibrary
                                            ? ScannedReal(text)
                                            : AllRead<double>(AfterPlus(text, PlusSign::CLibrary));
    if (!value || !std::isfinite(*value)) return std::nullopt;
    return value;
}

std::string FormatRealText(double value, int digits) { return Format("%.*g", digits, value); }
