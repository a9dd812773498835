#include "simulation/body_list.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "simulation/configuration_keys.h"

namespace {

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

/// A body number: decimal digits alone, from 1; one past any body a table
/// can hold is kMaxTableBodies + 1, however many digits it has.
std::optional<int32_t> BodyNumber(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range || (error == std::errc() && value > kMaxTableBodies))
        return kMaxTableBodies + 1;
    if (error != std::errc() || value < 1) return std::nullopt;
    return int32_t(value);
}

}  // namespace

std::optional<std::vector<int32_t>> ParseBodyList(std::string_view text, std::string& problem) {
    std::vector<int32_t> bodies;
    while (true) {
        const auto comma = text.find(',');
        const std::string_view item = Trimmed(text.substr(0, comma));
        const auto dash = item.find('-', 1);
        const std::optional<int32_t> first = BodyNumber(Trimmed(item.substr(0, dash)));
        const std::optional<int32_t> last =
            dash == std::string_view::npos ? first : BodyNumber(Trimmed(item.substr(dash + 1)));
        if (!first || !last || *last < *first) {
            problem = "'" + std::string(item) + "' is not a body number or a range such as 1-4";
            return std::nullopt;
        }
        if (*last > kMaxTableBodies) {
            problem = "'" + std::string(item) + "' names a body past the last a table can hold, body " +
                      std::to_string(kMaxTableBodies);
            return std::nullopt;
        }
        for (int32_t body = *first; body <= *last; ++body) bodies.push_back(body);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    std::sort(bodies.begin(), bodies.end());
    bodies.erase(std::unique(bodies.begin(), bodies.end()), bodies.end());
    return bodies;
}

std::string BodyListText(const std::vector<int32_t>& bodies) {
    std::string text;
    for (std::size_t i = 0; i < bodies.size();) {
        std::size_t j = i;
        while (j + 1 < bodies.size() && bodies[j + 1] == bodies[j] + 1) ++j;
        if (!text.empty()) text += ',';
        text += std::to_string(bodies[i]);
        if (j >= i + 2)
            text += '-' + std::to_string(bodies[j]);
        else if (j == i + 1)
            text += ',' + std::to_string(bodies[j]);
        i = j + 1;
    }
    return text;
}
