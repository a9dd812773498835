#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/colour.h"
#include "configuration_keys.h"
#include "look_names.h"
#include "table_layout.h"
#include "view_axes.h"

/// Per-body lists have slot 0 unused, so that body k uses slot k. They hold
/// at least this many slots, enough for any classic configuration, and one
/// more than the body count when a table has more bodies (BodySlotsFor).
inline constexpr int kBodySlots = kMaxBodies + 1;

/// The slots per-body lists need for `bodies` bodies.
inline constexpr std::size_t BodySlotsFor(int32_t bodies) {
    return std::size_t(bodies < kBodySlots ? kBodySlots : int64_t(bodies) + 1);
}

/// How the data file is read: the classic stream of numbers (the time and
/// x, y of every body, line breaks meaning nothing), or a plain table of
/// lines whose layout is found from the file itself.
enum class DataFormat { Stream, Table };

/// Everything a configuration file says: its 14 fields and every optional
/// line after them. The reader makes one, the writer writes one, and a
/// table's inference fills one, so that what a file holds passes from read
/// to write as one value.
struct ConfigurationFields {
    /// The data file's name as the configuration gives it.
    std::string dataPath;
    int32_t lineCount = 0;
    int32_t bodyCount = 0;
    std::vector<int32_t> bodySize = std::vector<int32_t>(kBodySlots);
    std::vector<int32_t> bodyColourCode = std::vector<int32_t>(kBodySlots);
    /// xmin, ymin, xmax, ymax.
    std::array<double, 4> box{-3.0, -3.0, 3.0, 3.0};
    int32_t frameDelayMs = 0;
    int32_t step = 1;
    int32_t pointsPerOrbit = 0;
    int32_t startRow = 0;
    int32_t sunSize = 0;
    int32_t drawAxes = 0;
    int32_t drawPlanets = 1;
    int32_t drawOrbits = 1;

    /// Optional lines: each body's name (body k is bodyNames[k - 1]; fewer
    /// names than bodies leave the rest unnamed), the units of time and
    /// length, and the plot's title; empty when not given.
    std::vector<std::string> bodyNames;
    std::string timeUnit;
    std::string lengthUnit;
    std::string plotTitle;
    /// Colours given for the bodies in place of their colour codes' (body
    /// k's is bodyColours[k - 1]; fewer colours than bodies leave the rest
    /// to their codes).
    std::vector<ColourRef> bodyColours;
    /// The bodies shown, by their numbers in the data ("bodies shown =
    /// 1-4,7"); empty for every body. Read from a configuration, the bodies
    /// a load keeps; once kept, the data's numbers of the bodies shown.
    std::vector<int32_t> shownBodies;
    /// The bodies' masses (body k's is bodyMasses[k - 1]) and the sun's;
    /// massProblem says what was wrong with a masses line that could not be
    /// read (bodyMasses is then empty).
    std::vector<double> bodyMasses;
    double sunMass = 1;
    /// The sun's gravitational parameter G M in the data's units, when given
    /// (a number above 0); inferred from the units otherwise.
    std::optional<double> gm;
    std::string massProblem;
    /// How the data file is read; with Table a line count below 0 takes
    /// every complete row the file holds.
    DataFormat dataFormat = DataFormat::Stream;
    /// The plane the view looks onto when the document opens.
    ViewPlane plane;
    /// "columns = xyz": a table without a header gives x, y, z of each body.
    TableColumns columns = TableColumns::Unsaid;
    /// "equal aspect = 1".
    bool equalAspect = false;
    /// The look the document asks to be seen in ("style = publication",
    /// "trail mode = behind"); unset when it does not say.
    std::optional<ViewStyle> style;
    std::optional<TrailMode> trailMode;

    bool operator==(const ConfigurationFields&) const = default;

    /// Sizes the per-body lists for `bodies` bodies (BodySlotsFor): slots
    /// kept keep their values, new ones are 0.
    void sizeBodyLists(int32_t bodies) {
        bodySize.resize(BodySlotsFor(bodies));
        bodyColourCode.resize(BodySlotsFor(bodies));
    }
};
