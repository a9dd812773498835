#pragma once
#include <string>
#include <string_view>

/// Text from a file as it is shown (names, units, a title, a cell in a
/// message): control characters other than the tab, and the two code points
/// U+FFFE and U+FFFF, become the replacement character U+FFFD, so that every
/// picture format (an SVG is XML, which cannot hold them) and every message
/// shows the same text. Other bytes stay.
std::string ShownText(std::string_view text);

/// The first `bytes` bytes of `text` at most, cut before a character of
/// UTF-8 that would not fit whole: a message quoting the start of a cell
/// shows no piece of a character.
std::string_view LeadingText(std::string_view text, std::size_t bytes);
