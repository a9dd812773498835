#include "base/colour_names.h"

#include <array>
#include <cctype>
#include <utility>

namespace {

/// The names a figure's colours are most often given by; their values are
/// the usual web colours'.
constexpr std::array<std::pair<std::string_view, ColourRef>, 24> kNamedColours = {{
    {"black", Rgb(0, 0, 0)},       {"white", Rgb(255, 255, 255)}, {"red", Rgb(255, 0, 0)},
    {"green", Rgb(0, 128, 0)},     {"blue", Rgb(0, 0, 255)},      {"yellow", Rgb(255, 255, 0)},
    {"orange", Rgb(255, 165, 0)},  {"purple", Rgb(128, 0, 128)},  {"brown", Rgb(165, 42, 42)},
    {"pink", Rgb(255, 192, 203)},  {"grey", Rgb(128, 128, 128)},  {"gray", Rgb(128, 128, 128)},
    {"cyan", Rgb(0, 255, 255)},    {"magenta", Rgb(255, 0, 255)}, {"navy", Rgb(0, 0, 128)},
    {"teal", Rgb(0, 128, 128)},    {"maroon", Rgb(128, 0, 0)},    {"olive", Rgb(128, 128, 0)},
    {"lime", Rgb(0, 255, 0)},      {"gold", Rgb(255, 215, 0)},    {"silver", Rgb(192, 192, 192)},
    {"darkgreen", Rgb(0, 100, 0)}, {"darkblue", Rgb(0, 0, 139)},  {"darkred", Rgb(139, 0, 0)},
}};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<ColourRef> ParseColour(std::string_view text) {
    if (text.size() == 7 && text[0] == '#') {
        int channel[3];
        for (int i = 0; i < 3; ++i) {
            const int high = HexDigit(text[std::size_t(1 + 2 * i)]),
                      low = HexDigit(text[std::size_t(2 + 2 * i)]);
            if (high < 0 || low < 0) return std::nullopt;
            channel[i] = high * 16 + low;
        }
        return Rgb(uint8_t(channel[0]), uint8_t(channel[1]), uint8_t(channel[2]));
    }
    std::string lower(text);
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& [name, colour] : kNamedColours)
        if (name == lower) return colour;
    return std::nullopt;
}

std::string ColourText(ColourRef colour) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string text = "#";
    for (const uint8_t channel : {RedOf(colour), GreenOf(colour), BlueOf(colour)}) {
        text += kDigits[channel >> 4];
        text += kDigits[channel & 15];
    }
    return text;
}
