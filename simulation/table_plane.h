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

/// The name of a table's columns as the command line and a configuration
/// write it: "xy" or "xyz"; empty when unsaid.
constexpr std::string_view TableColumnsName(TableColumns columns) {
    return columns == TableColumns::XYZ ? "xyz" : columns == TableColumns::XY ? "xy" : "";
}

/// Reads "xy" or "xyz"; false, `columns` unchanged, for any other text.
constexpr bool ParseTableColumns(std::string_view name, TableColumns& columns) {
    if (name != "xy" && name != "xyz") return false;
    columns = name == "xy" ? TableColumns::XY : TableColumns::XYZ;
    return true;
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
