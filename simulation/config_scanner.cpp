#include "config_scanner.h"

#include <algorithm>
#include <limits>

#include "real_scanner.h"

void ConfigScanner::SkipToEquals() {
    for (int c = peek(); c != EOF; c = peek()) {
        advance();
        if (c == '=') return;
    }
}

void ConfigScanner::SkipSpace() {
    while (IsScanSpace(peek())) advance();
}

bool ConfigScanner::ReadWord(std::string& word) {
    SkipSpace();
    if (peek() == EOF) return false;
    word.clear();
    for (int c = peek(); c != EOF && !IsScanSpace(c); c = peek()) {
        word.push_back(char(c));
        advance();
    }
    return true;
}

bool ConfigScanner::ReadLine(std::string& line) {
    if (peek() == EOF) return false;
    line.clear();
    for (int c = peek(); c != EOF; c = peek()) {
        advance();
        if (c == '\n') break;
        line.push_back(char(c));
    }
    return true;
}

bool ConfigScanner::ReadInt(int32_t& value) {
    SkipSpace();
    bool negative = false;
    if (peek() == '+' || peek() == '-') {
        negative = peek() == '-';
        advance();
    }
    if (!IsAsciiDigit(peek())) return false;
    constexpr int64_t kLimit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    int64_t magnitude = 0;
    for (int c = peek(); IsAsciiDigit(c); c = peek()) {
        magnitude = std::min<int64_t>(magnitude * 10 + (c - '0'), kLimit);
        advance();
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    value = int32_t(std::clamp<int64_t>(signedValue, std::numeric_limits<int32_t>::min(),
                                        std::numeric_limits<int32_t>::max()));
    return true;
}

bool ConfigScanner::ReadReal(double& value) {
    SkipSpace();
    token_.clear();
    if (!ScanRealToken(*this, token_)) return false;
    value = ConvertRealToken(token_);
    return true;
}
