#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// The text of numbers as the program's users type them: command-line
/// values, dialog fields, the generator's options. Each reader names the
/// rules it reads by; the rules differ only where named here.

/// Which blanks may stand before and after a number.
enum class NumberBlanks {
    None,      ///< none: the text is the number alone
    SpaceTab,  ///< spaces and tabs
    Any,       ///< any white space the C library's formatted input skips
};

/// What a '+' in front of a whole number does.
enum class PlusSign {
    Refused,   ///< no '+' is taken
    CLibrary,  ///< one '+' is taken unless another sign follows, as the C library takes it
    Dropped,   ///< one '+' is dropped whatever follows, so "+-5" reads -5
};

/// How a real number is read; both take one sign in front of it.
enum class RealGrammar {
    /// As the C library's "%lf" reads it (ScanRealToken): hexadecimal too,
    /// "1e" reads 1, values too small for a double read 0 or subnormal.
    CLibrary,
    /// Decimal digits only, an exponent with its digits, values too small
    /// for a double refused.
    Decimal,
};

struct WholeTextRules {
    NumberBlanks blanks = NumberBlanks::None;
    PlusSign plus = PlusSign::Refused;
};

struct RealTextRules {
    NumberBlanks blanks = NumberBlanks::None;
    RealGrammar grammar = RealGrammar::CLibrary;
};

/// A decimal whole number in the 32-bit range with the blanks and '+' the
/// rules allow, and nothing else.
std::optional<int32_t> ParseWholeText(std::string_view text, const WholeTextRules& rules);

/// A finite real number with the blanks the rules allow, and nothing else:
/// "inf" and "nan" read as numbers, but are refused, as is overflow.
std::optional<double> ParseFiniteText(std::string_view text, const RealTextRules& rules);

/// `value` with up to `digits` significant digits, as "%.*g" writes it.
std::string FormatRealText(double value, int digits);
