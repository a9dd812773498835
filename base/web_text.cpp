#include "base/web_text.h"

#include <charconv>
#include <cmath>

std::string Base64(const uint8_t* bytes, std::size_t size) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((size + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t v = uint32_t(bytes[i]) << 16 | uint32_t(bytes[i + 1]) << 8 | bytes[i + 2];
        out += kDigits[v >> 18];
        out += kDigits[(v >> 12) & 63];
        out += kDigits[(v >> 6) & 63];
        out += kDigits[v & 63];
    }
    if (i < size) {
        const bool two = i + 1 < size;
        const uint32_t v = uint32_t(bytes[i]) << 16 | (two ? uint32_t(bytes[i + 1]) << 8 : 0);
        out += kDigits[v >> 18];
        out += kDigits[(v >> 12) & 63];
        out += two ? kDigits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

namespace {

/// The length of the UTF-8 sequence starting at `s[i]`, 0 when it is not one.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
    const auto byte = [&](std::size_t k) { return k < s.size() ? uint8_t(s[k]) : uint8_t(0); };
    const uint8_t lead = byte(i);
    const auto follows = [&](std::size_t k) { return (byte(k) & 0xC0) == 0x80; };
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) return follows(i + 1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const uint8_t second = byte(i + 1);
        if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F)) return 0;
        return follows(i + 1) && follows(i + 2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const uint8_t second = byte(i + 1);
        if ((lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) return 0;
        return follows(i + 1) && follows(i + 2) && follows(i + 3) ? 4 : 0;
    }
    return 0;
}

}  // namespace

std::string JsonString(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = SequenceLength(text, i);
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (length == 3 && uint8_t(text[i]) == 0xE2 && uint8_t(text[i + 1]) == 0x80 &&
            (uint8_t(text[i + 2]) == 0xA8 || uint8_t(text[i + 2]) == 0xA9)) {
            out += uint8_t(text[i + 2]) == 0xA8 ? "\\u2028" : "\\u2029";
        } else if (length > 1) {
            out.append(text.substr(i, length));
        } else {
            const char c = text[i];
            if (c == '"' || c == '\\') {
                out += '\\';
                out += c;
            } else if (uint8_t(c) < 0x20 || c == '<' || c == '>' || c == '&' || c == 0x7F) {
                out += "\\u00";
                out += kHex[uint8_t(c) >> 4];
                out += kHex[uint8_t(c) & 15];
            } else {
                out += c;
            }
        }
        i += length;
    }
    return out + '"';
}

std::string JsonNumber(double value) {
    if (!std::isfinite(value)) return "null";
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc() ? std::string(buffer, end) : "null";
}
