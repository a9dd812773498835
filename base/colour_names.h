#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "colour.h"

/// Reads a colour as a user writes it: "#rrggbb" (hex digits in either
/// case) or one of the common names ("red", "navy", "grey" or "gray", ...,
/// in any case). None for any other text.
std::optional<ColourRef> ParseColour(std::string_view text);

/// A colour as "#rrggbb", as ParseColour reads it and a configuration's
/// "colours" line holds it.
std::string ColourText(ColourRef colour);
