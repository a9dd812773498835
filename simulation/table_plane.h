#pragma once
#include <string_view>

#include "table_layout.h"

/// The name of a plane as the command line, the menu and a configuration
/// write it: "xy", "xz" or "yz".
constexpr std::string_view TablePlaneName(TablePlane plane) {
    switch (plane) {
        case TablePlane::XZ:
            return "xz";
        case TablePlane::YZ:
            return "yz";
        case TablePlane::XY:
            break;
    }
    return "xy";
}

/// Reads a plane's name; false, `plane` unchanged, for any other text.
constexpr bool ParseTablePlane(std::string_view name, TablePlane& plane) {
    for (TablePlane p : {TablePlane::XY, TablePlane::XZ, TablePlane::YZ})
        if (name == TablePlaneName(p)) {
            plane = p;
            return true;
        }
    return false;
}
