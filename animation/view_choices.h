#pragma once
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "simulation/look_names.h"
#include "simulation/reference_frame.h"
#include "simulation/table_layout.h"
#include "simulation/view_axes.h"

/// The publication look's choices; the classic look ignores them.
struct PublicationLook {
    /// Trail width in pixels of the view; 0 scales 1.5 pixels with the
    /// view's size as the text is scaled.
    double lineWidth = 0;
    /// Every body's disc radius in pixels of the view; 0 scales each body's
    /// radius with the view's size.
    double discSize = 0;
    /// A light grid at the ticks.
    bool grid = false;
    /// Text size in pixels of the view; 0 chooses it from the view's size.
    double fontSize = 0;
    /// The time stamp "t = ..." in a corner of the box.
    bool clock = true;
};

/// The panel of time series under the view.
struct SeriesPanelChoice {
    bool shown = false;
    /// The quantities plotted, as --plot writes them ("r,a:1,energy"); empty:
    /// those a panel opens with (DefaultPanelList).
    std::string list;
    /// The span of time shown, zoomed with the wheel; not numbers: all of it.
    double from = std::numeric_limits<double>::quiet_NaN();
    double to = std::numeric_limits<double>::quiet_NaN();
    /// The sun's gravitational parameter given on the command line (--gm).
    std::optional<double> gm;
};

/// Which choices of the look the user made in this session (on the command
/// line or in the menus). A load takes the others from what its document
/// asks for (ApplyDocumentLook).
struct ChosenByUser {
    bool style = false;
    bool trailMode = false;
    bool equalAspect = false;
    bool grid = false;
    bool panel = false;  ///< the panel of time series shown or hidden
    bool operator==(const ChosenByUser&) const = default;
};

/// The look's choices the user made in earlier sessions, kept by the
/// window's settings; unset ones were never made. They stand in for what a
/// table does not say, never for what a classic configuration shows.
struct RememberedLook {
    std::optional<ViewStyle> style;
    std::optional<TrailMode> trail;
    std::optional<bool> equalAspect;
    std::optional<bool> grid;
    std::optional<bool> panel;  ///< the panel of time series shown
    bool any() const { return style || trail || equalAspect || grid || panel; }
};

/// What the user chose for the view. A load writes only the choices the
/// user did not make (`chosen`), from what its document asks for; the
/// defaults draw and play exactly as the classic viewer does.
struct ViewChoices {
    TrailMode trailMode = TrailMode::Ahead;
    /// The trail's length in rows: the document's, as loaded, until the
    /// user changes it; a save writes it back.
    int32_t trailLength = 0;
    /// Non-zero: trail points fade toward the plot's fill colour with their
    /// distance in rows from the body.
    int32_t fadeTrails = 0;
    /// Non-zero: the playback starts again at the start row at the end of the data.
    int32_t loopPlayback = 0;
    /// The look of every picture of the view; Classic draws exactly as without it.
    ViewStyle style = ViewStyle::Classic;
    PublicationLook look;
    /// The plane shown of the next table opened with three coordinates per body.
    ViewPlane plane;
    /// The axes of the plane the document is shown on, found when it was
    /// chosen (a body's orbit at the row shown then), and the camera turned
    /// from it.
    ViewAxes planeAxes;
    CameraTurn turn;
    /// How the next table opened without a header shares out its columns.
    TableColumns columns = TableColumns::Unsaid;
    /// Masses of the bodies and of the sun given on the command line for
    /// the document it opens, taken by that load alone (and only when it
    /// has as many bodies).
    std::vector<double> massesGiven;
    std::optional<double> sunMassGiven;
    /// The frame the positions are shown in.
    ReferenceFrame frame;
    double squareBoxSize = 2.0;
    int32_t squareBoxInUse = 0;
    int32_t fullWindowToggle = 1;
    /// Set while the data file is followed as another program writes it: a
    /// load then takes the complete rows the file holds without asking,
    /// and rows appended later are added as they come.
    int32_t followData = 0;
    SeriesPanelChoice panel;
    ChosenByUser chosen;
    RememberedLook remembered;
};

/// The axes of the picture: the plane's, turned by the camera.
inline ViewAxes AxesShown(const ViewChoices& view) { return TurnAxes(view.planeAxes, view.turn); }
