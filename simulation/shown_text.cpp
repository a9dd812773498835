#include "shown_text.h"

std::string ShownText(std::string_view text) {
    static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F) {
            shown += kReplacement;
        } else if (c == 0xEF &&
                   (text.substr(i + 1, 2) == "\xBF\xBE" || text.substr(i + 1, 2) == "\xBF\xBF")) {
            shown += kReplacement;
            i += 2;
        } else {
            shown += char(c);
        }
    }
    return shown;
}

std::string_view LeadingText(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) return text;
    // Back over the continuation bytes (10xxxxxx) of the character cut, and
    // its first byte, when the cut falls inside it.
    std::size_t end = bytes;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}
