#pragma once
#include <array>
#include <optional>
#include <string>

#include "animation/playback_speed.h"
#include "animation/view_choices.h"

struct SimulationState;
class PlotBox;

/// What a command line asks of the view, for the window and the renderer
/// alike, so that both give the same answer to every option.
struct ViewRequest {
    bool framed = false;
    bool equalAspect = false;
    TrailMode trail = TrailMode::Ahead;
    /// Rows each trail holds, in place of the configuration's.
    std::optional<int> trailLength;
    bool fade = false;
    bool loop = false;
    std::optional<std::array<double, 4>> box;
    ViewStyle style = ViewStyle::Classic;
    PublicationLook look;
    /// The plane shown of a table with three coordinates per body.
    TablePlane plane = TablePlane::XY;
    /// How a table without a header shares out its columns (--columns).
    TableColumns columns = TableColumns::Unsaid;
    /// The frame the positions are shown in, as ShowInFrame reads it; empty
    /// for the data's own.
    std::string frame;
    std::optional<int> row;
    std::optional<double> time;
    /// The playback speed asked for, set once the data is loaded (SetSpeed).
    std::optional<SpeedRequest> speed;
};

/// Applies the choices that every load keeps, before the first load: trail
/// mode, fade, loop, style and look, the plane of a table, the framed plot
/// and equal aspect.
void ApplyViewChoices(SimulationState& state, PlotBox& plot, const ViewRequest& request);

/// Applies what needs the data loaded, in this order: the trail length, the
/// frame, the box, the row or the time, the speed. Returns what cannot be
/// had, as the option and why ("--row 99999 is past the last row, 4999";
/// "--frame centre:3: no body 3: ..."); the options after it are then not
/// applied. Empty when all were.
std::string ApplyToLoaded(SimulationState& state, PlotBox& plot, const ViewRequest& request);
