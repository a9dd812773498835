#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

/// Text written into web pages.

/// `size` bytes in standard base64, padded, on one line.
std::string Base64(const uint8_t* bytes, std::size_t size);

/// `text` as a JSON string, quotes included, that may stand anywhere in a
/// page's script: besides quotes, backslashes and control characters, '<',
/// '>' and '&' are escaped (so that no "</script>" or comment can end the
/// script early), and so are U+2028 and U+2029; bytes that are not UTF-8
/// become U+FFFD.
std::string JsonString(std::string_view text);

/// `value` as a JSON number that reads back as the same double; null when
/// it is not finite.
std::string JsonNumber(double value);
