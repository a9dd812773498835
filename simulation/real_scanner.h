#pragma once
#include <string>

/// White space as the C library's formatted input skips it.
inline bool IsScanSpace(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline int AsciiLower(int c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }
inline bool IsAsciiDigit(int c) { return c >= '0' && c <= '9'; }
inline bool IsAsciiHexDigit(int c) {
    return IsAsciiDigit(c) || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f');
}
inline bool IsAsciiAlnum(int c) { return IsAsciiDigit(c) || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z'); }

/// Takes the longest prefix of the input that can begin a real number, as
/// the C library's formatted input with "%lf" does (sign, decimal or
/// hexadecimal digits, fraction, exponent, "inf", "infinity", "nan"),
/// appending the characters taken to `token`. Returns true when what was
/// taken holds a number; false when it stops part-way ("0x", "-", "infin")
/// or finds no number at all. Like the C library, it reads "1e+" as 1 and
/// leaves the "(" of "nan(...)". `Cursor` offers peek() (the next character as 0..255,
/// or -1 at the end) and advance().
template <class Cursor>
bool ScanRealToken(Cursor& in, std::string& token) {
    auto take = [&] {
        token.push_back(char(in.peek()));
        in.advance();
    };
    auto takeWord = [&](const char* word) {
        for (; *word; ++word) {
            if (AsciiLower(in.peek()) != *word) return false;
            take();
        }
        return true;
    };
    if (in.peek() == '+' || in.peek() == '-') take();
    const int first = AsciiLower(in.peek());
    if (first == 'i') {
        if (!takeWord("inf")) return false;
        return AsciiLower(in.peek()) == 'i' ? takeWord("inity") : true;
    }
    if (first == 'n') return takeWord("nan");  // "nan(...)" is not taken: the "(" is left
    bool hex = false;
    int digits = 0;
    if (first == '0') {
        take();
        if (AsciiLower(in.peek()) == 'x') {
            take();
            hex = true;
        } else {
            digits = 1;
        }
    }
    auto isDigit = [&](int c) { return hex ? IsAsciiHexDigit(c) : IsAsciiDigit(c); };
    auto takeDigits = [&] {
        int n = 0;
        for (; isDigit(in.peek()); ++n) take();
        return n;
    };
    digits += takeDigits();
    if (in.peek() == '.') {
        take();
        digits += takeDigits();
    }
    if (digits == 0) return false;
    if (AsciiLower(in.peek()) != (hex ? 'p' : 'e')) return true;
    // An exponent without digits is taken and ignored: "1e+" reads as 1.
    take();
    if (in.peek() == '+' || in.peek() == '-') take();
    hex = false;  // the exponent is decimal in both forms
    takeDigits();
    return true;
}

/// Converts a complete token taken by ScanRealToken, independent of the
/// process's locale, correctly rounded, out-of-range values giving infinity or
/// the nearest small value as the C library does.
double ConvertRealToken(const std::string& token);
