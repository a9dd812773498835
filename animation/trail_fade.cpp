#include "animation/trail_fade.h"

#include <algorithm>

ColourRef FadedColour(ColourRef colour, ColourRef fill, int64_t distance, int64_t length) {
    const int64_t parts = std::max<int64_t>(length, 0) + 1;
    const int64_t away = std::clamp<int64_t>(distance, 0, parts);
    auto blend = [&](uint8_t near, uint8_t far) {
        return uint8_t((int64_t(near) * (parts - away) + int64_t(far) * away + parts / 2) / parts);
    };
    return Rgb(blend(RedOf(colour), RedOf(fill)), blend(GreenOf(colour), GreenOf(fill)),
               blend(BlueOf(colour), BlueOf(fill)));
}

std::span<const uint32_t> FadePalette::Pixels(ColourRef colour, ColourRef fill, int64_t length,
                                              std::size_t count) {
    if (colour != colour_ || fill != fill_ || length != length_) {
        colour_ = colour, fill_ = fill, length_ = length;
        pixels_.clear();
    }
    for (std::size_t d = pixels_.size(); d < count; ++d)
        pixels_.push_back(ToRasterPixel(FadedColour(colour, fill, int64_t(d), length)));
    return {pixels_.data(), count};
}
