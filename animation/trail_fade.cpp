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

const uint32_t* FadePalette::Pixels(ColourRef colour, ColourRef fill, int64_t length, int64_t first,
                                    int64_t last) {
    if (colour != colour_ || fill != fill_ || length != length_) {
        colour_ = colour, fill_ = fill, length_ = length;
        first_ = last_ = 0;
        pixels_.clear();
    }
    if (first < first_ || last > last_) {
        // Grown by at least the rows held, so that a trail that lengthens a
        // little every tick costs a rebuild only now and then.
        const int64_t held = last_ - first_, reach = std::max<int64_t>(length, 0);
        first_ = std::max(std::min(first, first_ - held), -reach);
        last_ = std::min(std::max(last, last_ + held), reach + 1);
        pixels_.resize(std::size_t(last_ - first_));
        for (int64_t r = first_; r < last_; ++r)
            pixels_[std::size_t(r - first_)] =
                ToRasterPixel(FadedColour(colour, fill, r < 0 ? -r : r, length));
    }
    return pixels_.data() + (first - first_);
}
