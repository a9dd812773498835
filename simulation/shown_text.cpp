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
