#pragma once
#include <optional>

class QWidget;

/// How long and how fast a video records.
struct VideoChoice {
    std::optional<int> ticks;  ///< none: to the end of the data
    double fps = 0;
};

/// File > Export Video's dialog after the file was picked: to the end of the
/// data or for a number of ticks (500 at first), and the frames per second,
/// `fps` at first. Returns the choice, nothing when cancelled.
std::optional<VideoChoice> RunVideoDialog(double fps, QWidget* parent);
