#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Reads a list of body numbers as the command line and a configuration's
/// "bodies shown" line write it: numbers and ranges separated by commas
/// ("1-4,7"), blanks allowed around each. The bodies come back in
/// ascending order, each once; none for any other text, with `problem`
/// saying why.
std::optional<std::vector<int32_t>> ParseBodyList(std::string_view text, std::string& problem);

/// The list as ParseBodyList reads it, ranges of three or more written as
/// "FIRST-LAST": {1, 2, 3, 4, 7} gives "1-4,7".
std::string BodyListText(const std::vector<int32_t>& bodies);
