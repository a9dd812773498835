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

/// earth_x, earth.x, "earth x", x_earth, x1, x_1 and the lone x. A key such as
/// "v" or "vel" names a quantity, not a body: v_x is a velocity.
Coordinate ReadCoordinate(std::string_view name) {
    const std::size_t n = name.size();
    Coordinate c;
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

std::string Quoted(std::string_view text) { return "'" + std::string(text.substr(0, 40)) + "'"; }

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
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        const NamedBody& b = bodies[i];
        layout.bodies.push_back(TableBodyColumns{b.columns[0], b.columns[1], b.columns[2]});
        if (!named) continue;
        std::string name = b.key.empty() ? std::to_string(i + 1) : b.key;
        std::replace_if(name.begin(), name.end(), IsBlank, '_');
        layout.names.push_back(ShownText(name));
    }
    return HeaderMeaning::Columns;
}
