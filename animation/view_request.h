#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "animation/playback_speed.h"
#include "animation/view_choices.h"
#include "base/colour.h"

struct SimulationState;
class PlotBox;

/// What a command line asks of the figure of the document shown: its title,
/// the bodies' names and colours, the units, the sun. Unset or empty: as
/// the document gives it.
struct FigureRequest {
    std::optional<std::string> title;
    std::vector<std::string> names;
    std::vector<ColourRef> colours;
    std::optional<std::string> timeUnit;
    std::optional<std::string> lengthUnit;
    /// The sun's radius in pixels; 0 hides it.
    std::optional<int> sunSize;
    /// Shows the sun at its usual size when the document has it hidden.
    bool sunOn = false;
    /// The bodies shown, by their numbers in the data; empty for all.
    std::vector<int32_t> bodies;
    /// The masses of the data's bodies in order (all of them), and the
    /// sun's, in place of the document's: taken by the load (through the
    /// view's choices), checked by ApplyFigure.
    std::vector<double> masses;
    std::optional<double> sunMass;
};

/// Gives the document shown the figure asked for. Returns what cannot be
/// had ("--names gives 5 names for 4 bodies"), having changed nothing;
/// empty when all was.
std::string ApplyFigure(SimulationState& state, PlotBox& plot, const FigureRequest& figure);

/// What a command line asks of the view, for the window and the renderer
/// alike, so that both give the same answer to every option.
struct ViewRequest {
    bool framed = false;
    /// The look's choices given; unset ones follow the document shown.
    bool equalAspect = false;
    std::optional<TrailMode> trail;
    /// Rows each trail holds, in place of the configuration's.
    std::optional<int> trailLength;
    bool fade = false;
    bool loop = false;
    std::optional<std::array<double, 4>> box;
    std::optional<ViewStyle> style;
    PublicationLook look;
    /// The first option of the publication look given ("--grid"): the
    /// document must be shown in that look.
    std::string publicationOption;
    /// The plane shown of a table with three coordinates per body.
    ViewPlane plane;
    /// The camera turned from the plane shown (--view).
    std::optional<CameraTurn> turn;
    /// How a table without a header shares out its columns (--columns).
    TableColumns columns = TableColumns::Unsaid;
    /// The frame the positions are shown in, as ShowInFrame reads it; empty
    /// for the data's own.
    std::string frame;
    std::optional<int> row;
    std::optional<double> time;
    /// The playback speed asked for, set once the data is loaded (SetSpeed).
    std::optional<SpeedRequest> speed;
    FigureRequest figure;
    /// The series the panel under the view shows (--plot), as
    /// ParseQuantities reads them once the data is loaded; empty: no panel.
    std::string plot;
    /// The sun's gravitational parameter in the data's units (--gm).
    std::optional<double> gm;
};

/// Applies the choices that every load keeps, before the first load: trail
/// mode, fade, loop, style and look, the plane of a table, the framed plot
/// and equal aspect. The style, trail mode, equal aspect, grid and panel
/// given count as the user's, which no document's choice overrides.
void ApplyViewChoices(SimulationState& state, PlotBox& plot, const ViewRequest& request);

/// Applies what needs the data loaded, in this order: the figure, the trail
/// length, the frame, the box, the row or the time, the speed, the series
/// of the panel (which the data must be able to give). Returns what cannot be
/// had, as the option and why ("--row 99999 is past the last row, 4999";
/// "--frame centre:3: no body 3: ..."); the options after it are then not
/// applied. Empty when all were.
std::string ApplyToLoaded(SimulationState& state, PlotBox& plot, const ViewRequest& request);
