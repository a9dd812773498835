#pragma once
#include <array>
#include <cstdint>
#include <string_view>

/// Highest number of bodies a classic configuration may have: the reader
/// refuses a classic configuration with more, and the generator a command
/// line asking for more.
inline constexpr int32_t kMaxBodies = 30;
/// Highest number of bodies of a plain table or a table configuration
/// ("data format = table").
inline constexpr int32_t kMaxTableBodies = 1000;

/// The fields of a configuration file in the order they stand in it. Each
/// value follows the next "="; the reader skips the label before it, so any
/// label reads, and the writer puts the labels of `kConfigFieldLabels`.
enum class ConfigField {
    DataFile,
    LineCount,
    BodyCount,
    BodySizes,
    ColourCodes,
    Box,
    FrameDelay,
    Step,
    TrailLength,
    StartRow,
    SunSize,
    DrawAxes,
    DrawPlanets,
    DrawOrbits,
};

inline constexpr std::array<ConfigField, 14> kConfigFields = {
    ConfigField::DataFile,    ConfigField::LineCount,  ConfigField::BodyCount,  ConfigField::BodySizes,
    ConfigField::ColourCodes, ConfigField::Box,        ConfigField::FrameDelay, ConfigField::Step,
    ConfigField::TrailLength, ConfigField::StartRow,   ConfigField::SunSize,    ConfigField::DrawAxes,
    ConfigField::DrawPlanets, ConfigField::DrawOrbits,
};
static_assert(
    [] {
        for (std::size_t k = 0; k < kConfigFields.size(); ++k)
            if (kConfigFields[k] != ConfigField(k)) return false;
        return true;
    }(),
    "kConfigFields lists every field once, in the order of ConfigField");

/// The label written before each field's "=", indexed by ConfigField.
inline constexpr std::array<std::string_view, kConfigFields.size()> kConfigFieldLabels = {
    "data file",
    "number of data lines",
    "number of planets",
    "radii in pixels",
    "colour codes",
    "box xmin ymin xmax ymax",
    "delay in msec",
    "step",
    "points per orbit",
    "start from line",
    "sun size",
    "draw axes (0 or 1)",
    "draw planets (0 or 1)",
    "draw orbits (0 or 1)",
};

constexpr std::string_view LabelOf(ConfigField field) { return kConfigFieldLabels[std::size_t(field)]; }

/// The keys of the optional lines after the fields ("KEY = VALUE"). The
/// reader compares them with the text before the "=", trimmed and in lower
/// case; the writer writes them as they stand.
inline constexpr std::string_view kNamesKey = "names";
inline constexpr std::string_view kTimeUnitKey = "time unit";
inline constexpr std::string_view kLengthUnitKey = "length unit";
inline constexpr std::string_view kTitleKey = "title";
/// Each body's colour as "#rrggbb" or a name, in place of its colour code's.
inline constexpr std::string_view kColoursKey = "colours";
/// The bodies of the data shown, "1-4,7"; every body without it.
inline constexpr std::string_view kShownBodiesKey = "bodies shown";
/// Each body's mass ("masses = 0.001 0.0003"), and the sun's ("sun mass = 1",
/// 1 without it), in any one unit: what the barycentre frame weighs.
inline constexpr std::string_view kMassesKey = "masses";
inline constexpr std::string_view kSunMassKey = "sun mass";
/// How to give the masses, for any document.
inline constexpr const char* kMassesAdvice =
    "give --masses M1,M2,... (and --sun-mass M), or a line \"masses = ...\" in the configuration, or a "
    "line \"# masses = ...\" above a table's rows";
/// The sun's gravitational parameter G M in the data's units ("gm =
/// 39.478"): what the orbital elements and energies are computed with.
inline constexpr std::string_view kGmKey = "gm";
/// Lines a configuration written for a plain data table adds: "data format
/// = table" reads the data file as a table of lines (separators, header and
/// column names found from the file); "plane = xz" chooses the coordinates
/// shown of a table with three per body; "equal aspect = 1" turns equal
/// aspect on as the table's direct open does.
inline constexpr std::string_view kDataFormatKey = "data format";
inline constexpr std::string_view kTableFormatValue = "table";
inline constexpr std::string_view kPlaneKey = "plane";
/// "columns = xyz" (or xy): how a table without a header shares out its columns.
inline constexpr std::string_view kColumnsKey = "columns";
inline constexpr std::string_view kEqualAspectKey = "equal aspect";
/// The look a saved run was seen in: "style = publication" or "classic",
/// "trail mode = ahead", "behind" or "both".
inline constexpr std::string_view kStyleKey = "style";
inline constexpr std::string_view kTrailModeKey = "trail mode";
