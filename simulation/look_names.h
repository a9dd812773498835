#pragma once
#include <array>
#include <optional>
#include <string_view>
#include <utility>

/// Which rows a body's trail shows: the rows from the current one on
/// (Ahead), the rows before it (Behind), or both.
enum class TrailMode { Ahead, Behind, Both };

/// How the view is drawn: the classic look (pixels, as ever) or the
/// publication look (smooth lines, round ticks, proportional type).
enum class ViewStyle { Classic, Publication };

/// The names the command line, the menus' settings and a configuration's
/// optional lines give these choices, written once so that all read alike.
inline constexpr std::array<std::pair<TrailMode, std::string_view>, 3> kTrailModeNames = {
    {{TrailMode::Ahead, "ahead"}, {TrailMode::Behind, "behind"}, {TrailMode::Both, "both"}}};
inline constexpr std::array<std::pair<ViewStyle, std::string_view>, 2> kViewStyleNames = {
    {{ViewStyle::Classic, "classic"}, {ViewStyle::Publication, "publication"}}};

template <typename Choice, std::size_t N>
constexpr std::string_view NameOf(const std::array<std::pair<Choice, std::string_view>, N>& names,
                                  Choice choice) {
    for (const auto& [value, name] : names)
        if (value == choice) return name;
    return {};
}

template <typename Choice, std::size_t N>
constexpr std::optional<Choice> ChoiceNamed(const std::array<std::pair<Choice, std::string_view>, N>& names,
                                            std::string_view name) {
    for (const auto& [value, known] : names)
        if (known == name) return value;
    return std::nullopt;
}

constexpr std::string_view TrailModeName(TrailMode mode) { return NameOf(kTrailModeNames, mode); }
constexpr std::string_view ViewStyleName(ViewStyle style) { return NameOf(kViewStyleNames, style); }
constexpr std::optional<TrailMode> TrailModeNamed(std::string_view name) {
    return ChoiceNamed(kTrailModeNames, name);
}
constexpr std::optional<ViewStyle> ViewStyleNamed(std::string_view name) {
    return ChoiceNamed(kViewStyleNames, name);
}
