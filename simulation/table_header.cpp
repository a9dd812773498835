#include "table_header.h"

#include <algorithm>
#include <map>
#include <string>

#include "base/format.h"
#include "shown_text.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Lowered(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = Lower(c);
    return out;
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

/// A header cell read: the name without its quotes and unit, and the unit.
struct ColumnName {
    std::string_view name;
    std::string_view unit;
};

std::string_view Unquoted(std::string_view s) {
    s = Trim(s);
    return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? Trim(s.substr(1, s.size() - 2)) : s;
}

/// "earth_x [AU]" gives earth_x and AU, quoted within or without the unit;
/// a unit stands last, in brackets or parentheses, after a name.
ColumnName ReadName(std::string_view cell) {
    cell = Unquoted(cell);
    ColumnName n{cell, {}};
    if (cell.empty() || (cell.back() != ']' && cell.back() != ')')) return n;
    const std::size_t open = cell.rfind(cell.back() == ']' ? '[' : '(');
    if (open == std::string_view::npos) return n;
    const std::string_view name = Trim(cell.substr(0, open));
    if (name.empty()) return n;
    n.name = Unquoted(name);
    n.unit = Trim(cell.substr(open + 1, cell.size() - open - 2));
    return n;
}

bool IsTimeName(std::string_view name) {
    const std::string lower = Lowered(name);
    return lower == "t" || lower == "time";
}

/// The coordinate a name gives: its axis (0 for x, 1 for y, 2 for z; -1 when
/// the name is no coordinate) and the body's key ("" for a lone x, y or z).
struct Coordinate {
    int axis = -1;
    std::string_view key;
};

int AxisOf(char c) {
    const char lower = Lower(c);
    return lower == 'x' ? 0 : lower == 'y' ? 1 : lower == 'z' ? 2 : -1;
}

bool IsJoint(char c) { return c == '_' || c == '.' || c == ' '; }

bool IsVelocityWord(std::string_view word) {
    const std::string lower = Lowered(word);
    return lower == "v" || lower == "vel" || lower == "velocity";
}

/// The velocity component a name gives, and its body's key as
/// ReadCoordinate gives the position's: vx, earth_vx, earth.vx, "earth vx",
/// vx_earth, vx1; and with the word apart, v_x, earth_v_x, earth_vel_x,
/// velocity_x. Axis -1: the name is no velocity.
Coordinate ReadVelocity(std::string_view name) {
    const std::size_t n = name.size();
    const auto component = [](std::string_view s) {  // "vx" or "VY": its axis
        return s.size() == 2 && Lower(s[0]) == 'v' ? AxisOf(s[1]) : -1;
    };
    if (component(name) >= 0) return {component(name), {}};
    if (n >= 4 && IsJoint(name[n - 3]) && component(name.substr(n - 2)) >= 0)
        return {component(name.substr(n - 2)), Trim(name.substr(0, n - 3))};
    if (n >= 4 && component(name.substr(0, 2)) >= 0 && IsJoint(name[2]))
        return {component(name.substr(0, 2)), Trim(name.substr(3))};
    if (n >= 3 && component(name.substr(0, 2)) >= 0 && AllDigits(name.substr(2)))
        return {component(name.substr(0, 2)), name.substr(2)};
    // The word, a joint and the axis, last: what stands before is the key.
    if (n >= 3 && IsJoint(name[n - 2]) && AxisOf(name[n - 1]) >= 0) {
        const std::string_view rest = Trim(name.substr(0, n - 2));
        if (IsVelocityWord(rest)) return {AxisOf(name[n - 1]), {}};
        for (std::size_t joint = rest.size(); joint-- > 0;)
            if (IsJoint(rest[joint])) {
                if (IsVelocityWord(Trim(rest.substr(joint + 1))))
                    return {AxisOf(name[n - 1]), Trim(rest.substr(0, joint))};
                break;
            }
    }
    return {};
}

/// earth_x, earth.x, "earth x", x_earth, x1, x_1 and the lone x. A key such as
/// "v" or "vel" names a quantity, not a body: v_x, like earth_vx and
/// earth_v_x, is a velocity (ReadVelocity).
Coordinate ReadCoordinate(std::string_view name) {
    const std::size_t n = name.size();
    Coordinate c;
    if (n == 0 || ReadVelocity(name).axis >= 0) return c;
    if (n == 1) {
        c.axis = AxisOf(name[0]);
        return c;
    }
    if (n >= 3 && IsJoint(name[n - 2]) && AxisOf(name[n - 1]) >= 0) {
        c = {AxisOf(name[n - 1]), Trim(name.substr(0, n - 2))};
    } else if (n >= 3 && AxisOf(name[0]) >= 0 && IsJoint(name[1])) {
        c = {AxisOf(name[0]), Trim(name.substr(2))};
    } else if (AxisOf(name[0]) >= 0 && AllDigits(name.substr(1))) {
        c = {AxisOf(name[0]), name.substr(1)};
    }
    const std::string key = Lowered(c.key);
    if (key.empty() || key == "v" || key == "vel" || key == "velocity") return {};
    return c;
}

/// A body as the header names it: its key as first written and its columns
/// by axis.
struct NamedBody {
    std::string key;
    int32_t columns[3] = {-1, -1, -1};
    int32_t velocity[3] = {-1, -1, -1};  ///< its velocity's columns, by axis
};

TableError HeaderError(int64_t line, int32_t column, std::string message) {
    TableError e;
    e.line = line;
    e.column = column;
    e.message =
        column > 0 ? Format("Line %lld, column %d: %s", static_cast<long long>(line), column, message.c_str())
                   : Format("Line %lld: %s", static_cast<long long>(line), message.c_str());
    return e;
}

std::string Quoted(std::string_view text) { return "'" + std::string(LeadingText(text, 40)) + "'"; }

/// Gives each body the velocity columns `velocities` name for it: a body's
/// velocity counts when it has vx and vy, and vz too when it has z. Those
/// that name no body or leave a component out are left out, which `note`
/// says; false, with `error`, for a component named twice.
bool AttachVelocities(const std::vector<std::pair<Coordinate, int32_t>>& velocities,
                      const std::vector<std::string_view>& cells, int64_t line,
                      const std::map<std::string, std::size_t>& bodyOfKey, std::vector<NamedBody>& bodies,
                      std::string& note, TableError& error) {
    std::vector<std::string> left;
    for (const auto& [v, column] : velocities) {
        const auto body = bodyOfKey.find(Lowered(v.key));
        if (body == bodyOfKey.end()) {
            left.push_back(Quoted(ReadName(cells[std::size_t(column)]).name));
            continue;
        }
        int32_t& slot = bodies[body->second].velocity[v.axis];
        if (slot >= 0) {
            error = HeaderError(line, column + 1,
                                Format("%s gives the velocity that column %d gives already",
                                       Quoted(ReadName(cells[std::size_t(column)]).name).c_str(), slot + 1));
            return false;
        }
        slot = column;
    }
    for (NamedBody& b : bodies) {
        int32_t* v = b.velocity;
        if (v[0] < 0 && v[1] < 0 && v[2] < 0) continue;
        if (v[0] >= 0 && v[1] >= 0 && (v[2] >= 0 || b.columns[2] < 0)) {
            if (b.columns[2] < 0) v[2] = -1;  // a body in the plane moves in it
            continue;
        }
        for (int axis = 0; axis < 3; ++axis)
            if (v[axis] >= 0) left.push_back(Quoted(ReadName(cells[std::size_t(v[axis])]).name));
        v[0] = v[1] = v[2] = -1;
    }
    if (left.empty()) return true;
    std::string list;
    for (std::size_t k = 0; k < left.size() && k < 4; ++k) list += (k ? ", " : "") + left[k];
    if (left.size() > 4) list += Format(" and %zu more", left.size() - 4);
    note += Format(
        "%svelocity column%s %s left out: a body's velocity needs vx and vy (and vz with z) "
        "named as its position is",
        note.empty() ? "" : "; ", left.size() == 1 ? "" : "s", list.c_str());
    return true;
}

}  // namespace

void SplitTableHeader(const char* begin, const char* end, TableSeparator separator,
                      std::vector<std::string_view>& cells) {
    SplitTableCells(begin, end, separator, cells);
    if (separator != TableSeparator::Blank) return;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const char first = cells[i].front();
        if (kept > 0 && (first == '[' || first == '(')) {
            std::string_view& name = cells[kept - 1];
            name = std::string_view(name.data(), static_cast<std::size_t>(cells[i].end() - name.begin()));
        } else {
            cells[kept++] = cells[i];
        }
    }
    cells.resize(kept);
}

bool ReadLongHeader(const std::vector<std::string_view>& cells, TableLayout& layout) {
    int32_t time = -1, body = -1, axes[3] = {-1, -1, -1};
    std::string_view timeUnit, lengthUnit;
    for (int32_t i = 0; i < static_cast<int32_t>(cells.size()); ++i) {
        const ColumnName column = ReadName(cells[i]);
        const std::string lower = Lowered(column.name);
        if (time < 0 && IsTimeName(column.name)) {
            time = i;
            timeUnit = column.unit;
        } else if (body < 0 && (lower == "body" || lower == "name" || lower == "id" || lower == "object" ||
                                lower == "planet" || lower == "particle")) {
            body = i;
        } else if (const int axis = column.name.size() == 1 ? AxisOf(column.name[0]) : -1; axis >= 0) {
            if (axes[axis] >= 0) return false;
            axes[axis] = i;
            if (lengthUnit.empty()) lengthUnit = column.unit;
        } else if (ReadCoordinate(column.name).axis >= 0) {
            return false;  // a body's own column: a table of one line per time
        }
    }
    if (time < 0 || body < 0 || axes[0] < 0 || axes[1] < 0) return false;
    layout.cells = static_cast<int32_t>(cells.size());
    layout.timeColumn = time;
    layout.bodyColumn = body;
    layout.lineColumns = TableBodyColumns{axes[0], axes[1], axes[2]};
    layout.timeUnit = ShownText(timeUnit);
    layout.lengthUnit = ShownText(lengthUnit);
    return true;
}

HeaderMeaning ReadTableHeader(const std::vector<std::string_view>& cells, int64_t line, int32_t dataCells,
                              TableLayout& layout, TableError& error) {
    std::vector<NamedBody> bodies;
    std::map<std::string, std::size_t> bodyOfKey;  // by the key in lower case
    int32_t time = -1;
    std::string_view timeUnit, lengthUnit;
    bool lengthUnitSeen = false;
    std::vector<std::pair<Coordinate, int32_t>> velocities;  // each with its column
    const auto beyondData = [&](int32_t column, std::string_view name) {
        error = HeaderError(line, column + 1,
                            Format("the header names %s there, but the data lines hold %d values",
                                   Quoted(name).c_str(), dataCells));
        return HeaderMeaning::Fault;
    };
    for (int32_t i = 0; i < static_cast<int32_t>(cells.size()); ++i) {
        const ColumnName column = ReadName(cells[i]);
        if (time < 0 && IsTimeName(column.name)) {
            if (i >= dataCells) return beyondData(i, column.name);
            time = i;
            timeUnit = column.unit;
            continue;
        }
        if (const Coordinate v = ReadVelocity(column.name); v.axis >= 0) {
            if (i >= dataCells) return beyondData(i, column.name);
            velocities.push_back({v, i});
            continue;
        }
        const Coordinate c = ReadCoordinate(column.name);
        if (c.axis < 0) continue;
        if (i >= dataCells) return beyondData(i, column.name);
        const auto [at, added] = bodyOfKey.emplace(Lowered(c.key), bodies.size());
        if (added) bodies.push_back(NamedBody{std::string(c.key)});
        int32_t& slot = bodies[at->second].columns[c.axis];
        if (slot >= 0) {
            error = HeaderError(line, i + 1,
                                Format("%s gives the coordinate that column %d gives already",
                                       Quoted(column.name).c_str(), slot + 1));
            return HeaderMeaning::Fault;
        }
        slot = i;
        if (!lengthUnitSeen) lengthUnit = column.unit, lengthUnitSeen = true;
    }
    if (bodies.empty()) return HeaderMeaning::Nothing;
    if (!AttachVelocities(velocities, cells, line, bodyOfKey, bodies, layout.note, error))
        return HeaderMeaning::Fault;

    for (const NamedBody& b : bodies) {
        const int32_t x = b.columns[0], y = b.columns[1], z = b.columns[2];
        if (x >= 0 && y < 0) {
            error =
                HeaderError(line, x + 1, Quoted(ReadName(cells[x]).name) + " has no y column to pair with");
            return HeaderMeaning::Fault;
        }
        if (x < 0) {
            const int32_t alone = y >= 0 ? y : z;
            error = HeaderError(line, alone + 1,
                                Quoted(ReadName(cells[alone]).name) + " has no x column to pair with");
            return HeaderMeaning::Fault;
        }
    }
    if (time < 0) {
        // Without a name, the first column is the time unless it is a coordinate.
        const bool firstIsCoordinate = std::any_of(bodies.begin(), bodies.end(), [](const NamedBody& b) {
            return b.columns[0] == 0 || b.columns[1] == 0 || b.columns[2] == 0;
        });
        if (firstIsCoordinate) {
            error = HeaderError(line, 0, "the header names no time column ('t' or 'time')");
            return HeaderMeaning::Fault;
        }
        time = 0;
        timeUnit = ReadName(cells[0]).unit;
    }

    std::stable_sort(bodies.begin(), bodies.end(),
                     [](const NamedBody& a, const NamedBody& b) { return a.columns[0] < b.columns[0]; });
    // Keys that are all numbers (x1, y1) name no body; a key missing among
    // names is the body's number.
    const bool named = std::any_of(bodies.begin(), bodies.end(),
                                   [](const NamedBody& b) { return !AllDigits(b.key) && !b.key.empty(); });
    layout.timeColumn = time;
    layout.timeUnit = ShownText(timeUnit);
    layout.lengthUnit = ShownText(lengthUnit);
    layout.bodies.clear();
    layout.names.clear();
    layout.velocities.clear();
    const bool velocity =
        std::any_of(bodies.begin(), bodies.end(), [](const NamedBody& b) { return b.velocity[0] >= 0; });
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const NamedBody& b = bodies[i];
        layout.bodies.push_back(TableBodyColumns{b.columns[0], b.columns[1], b.columns[2]});
        if (velocity) layout.velocities.push_back({b.velocity[0], b.velocity[1], b.velocity[2]});
        if (!named) continue;
        std::string name = b.key.empty() ? std::to_string(i + 1) : b.key;
        std::replace_if(name.begin(), name.end(), IsBlank, '_');
        layout.names.push_back(ShownText(name));
    }
    return HeaderMeaning::Columns;
}
