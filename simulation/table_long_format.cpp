#include "table_long_format.h"

#include <cmath>
#include <limits>

#include "base/format.h"
#include "configuration_keys.h"
#include "shown_text.h"
#include "simulation_writer.h"

namespace {

std::string_view Unquoted(std::string_view s) {
    return s.size() >= 2 && s.front() == '"' && s.back() == '"' ? s.substr(1, s.size() - 2) : s;
}

TableError CellError(int64_t line, int32_t column, const std::string& message) {
    TableError e;
    e.line = line;
    e.column = column;
    e.message = Format("Line %lld, column %d: %s", static_cast<long long>(line), column, message.c_str());
    return e;
}

TableError MemoryError(int64_t rows, int32_t values) {
    TableError e;
    e.message =
        Format("Not enough memory for %lld data lines of %d values", static_cast<long long>(rows), values);
    return e;
}

}  // namespace

LongTableReader::LongTableReader(const TableLayout& layout, TablePlane plane, uint64_t memoryBytes)
    : layout_(layout), plane_(plane), memoryBytes_(memoryBytes), values_(std::size_t(layout.cells), 0.0) {}

bool LongTableReader::Fail(TableError error) {
    out_.failed = true;
    out_.error = std::move(error);
    return false;
}

bool LongTableReader::RoomFor(std::size_t positions, int64_t rows) const {
    // The lines kept, and the rows they become twice over: laid out, then
    // copied into the table shown.
    const double columns = 1 + 2.0 * double(keys_.size()) + (layout_.threeDimensional() ? keys_.size() : 0);
    const double bytes = double(positions) * double(sizeof(Position) + sizeof(double)) +
                         2 * double(rows) * columns * double(sizeof(double));
    return bytes <= double(memoryBytes_);
}

bool LongTableReader::Feed(std::string_view text) {
    if (out_.failed) return false;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::string_view piece = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        if (newline == std::string_view::npos) {
            // The line goes on in the next block: refused already when it
            // cannot be a line of a table.
            if (piece.find('\0') != std::string_view::npos) {
                // As a whole line is judged: a header or a comment may hold anything.
                const std::string line = pending_ + std::string(piece);
                if (number_ + 1 != layout_.headerLine &&
                    !IsTableComment(line.data(), line.data() + line.size()))
                    return Fail(NulByteError(number_ + 1));
            }
            if (pending_.size() + piece.size() > kMaxTableLineBytes) return Fail(LongLineError(number_ + 1));
            pending_.append(piece);
            break;
        }
        if (pending_.empty()) {
            if (!Line(piece, true)) return false;
        } else {
            pending_.append(piece);
            const std::string line = std::move(pending_);
            pending_.clear();
            if (!Line(line, true)) return false;
        }
    }
    return true;
}

bool LongTableReader::Line(std::string_view line, bool terminated) {
    ++number_;
    if (line.size() > kMaxTableLineBytes) return Fail(LongLineError(number_));
    if (number_ == layout_.headerLine || IsTableComment(line.data(), line.data() + line.size())) return true;
    SplitTableCells(line.data(), line.data() + line.size(), layout_.separator, cells_);
    if (cells_.empty()) return true;
    TableError error;
    const int32_t width = layout_.cells;
    if (line.find('\0') != std::string_view::npos) {
        error = NulByteError(number_);
    } else if (int32_t(cells_.size()) != width) {
        error = RaggedRowError(number_, int32_t(cells_.size()), width);
    } else {
        for (int32_t c = 0; c < width && error.message.empty(); ++c)
            if (c != layout_.bodyColumn && !ReadTableCell(cells_[std::size_t(c)], layout_.separator,
                                                          layout_.decimalComma, values_[std::size_t(c)]))
                error = NotANumberError(number_, c + 1, cells_[std::size_t(c)], layout_.decimalComma);
    }
    // An empty last cell is a missing value, unless the line is unfinished:
    // then its writer may not have written the cell yet.
    const bool open =
        !terminated && EndsWithCell(line.data(), line.data() + line.size(), "", layout_.separator);
    if (error.message.empty() && !open) return Take();
    if (!terminated && line.find('\0') == std::string_view::npos) {
        out_.cutLine = number_;  // its writer may have stopped in the middle of it
        return true;
    }
    return Fail(std::move(error));
}

bool LongTableReader::Take() {
    const std::string key(Unquoted(cells_[std::size_t(layout_.bodyColumn)]));
    if (key.empty()) return Fail(CellError(number_, layout_.bodyColumn + 1, "the line names no body"));
    const double time = values_[std::size_t(layout_.timeColumn)];
    if (times_.empty() || time != times_.back()) {
        if (!times_.empty() && !(time > times_.back()))
            return Fail(CellError(
                number_, layout_.timeColumn + 1,
                Format("the time %s comes after %s: the lines of each time must stand together, the "
                       "times in increasing order",
                       FormatReal(time).c_str(), FormatReal(times_.back()).c_str())));
        times_.push_back(time);
    }
    const auto [found, added] = bodyOf_.emplace(key, int32_t(keys_.size()));
    if (added) {
        if (int32_t(keys_.size()) == kMaxTableBodies) {
            bodyOf_.erase(found);
            return Fail(
                CellError(number_, layout_.bodyColumn + 1,
                          Format("'%s' would be body %d, and a table shows at most %d bodies",
                                 ShownText(key).c_str(), int(kMaxTableBodies) + 1, int(kMaxTableBodies))));
        }
        keys_.push_back(key);
        lastRowOf_.push_back(-1);
    }
    const int32_t body = found->second;
    const int64_t row = int64_t(times_.size()) - 1;
    if (lastRowOf_[std::size_t(body)] == row)
        return Fail(CellError(number_, layout_.bodyColumn + 1,
                              Format("a second line for '%s' at the time %s", ShownText(key).c_str(),
                                     FormatReal(time).c_str())));
    lastRowOf_[std::size_t(body)] = row;
    // Memory is asked for before the lines kept grow, and for the rows they make.
    const std::size_t kept = positions_.size() < positions_.capacity()
                                 ? positions_.capacity()
                                 : std::max<std::size_t>(2 * positions_.size(), 1024);
    if (!RoomFor(kept, int64_t(times_.size())))
        return Fail(MemoryError(int64_t(times_.size()), 1 + 2 * int32_t(keys_.size())));
    Position p{row, body, 0, 0};
    ProjectBody(layout_.lineColumns, plane_, values_.data(), p.x, p.y);
    positions_.push_back(p);
    if (layout_.threeDimensional()) depths_.push_back(DepthOf(layout_.lineColumns, plane_, values_.data()));
    return true;
}

LongTableRows LongTableReader::Finish() {
    if (!out_.failed && !pending_.empty()) {
        const std::string line = std::move(pending_);
        pending_.clear();
        Line(line, false);
    }
    if (out_.failed) return std::move(out_);
    out_.bodies = int32_t(keys_.size());
    out_.rows = int64_t(times_.size());
    if (!RoomFor(positions_.size(), out_.rows)) {
        out_.failed = true;
        out_.error = MemoryError(out_.rows, 1 + 2 * out_.bodies);
        return std::move(out_);
    }
    const std::size_t columns = 1 + 2 * std::size_t(out_.bodies);
    out_.values.assign(std::size_t(out_.rows) * columns, std::numeric_limits<double>::quiet_NaN());
    for (int64_t r = 0; r < out_.rows; ++r) out_.values[std::size_t(r) * columns] = times_[std::size_t(r)];
    for (const Position& p : positions_) {
        double* cell = &out_.values[std::size_t(p.row) * columns + 1 + 2 * std::size_t(p.body)];
        cell[0] = p.x;
        cell[1] = p.y;
    }
    if (layout_.threeDimensional()) {
        const std::size_t bodies = std::size_t(out_.bodies);
        out_.depths.assign(std::size_t(out_.rows) * bodies, std::numeric_limits<double>::quiet_NaN());
        for (std::size_t k = 0; k < positions_.size(); ++k)
            out_.depths[std::size_t(positions_[k].row) * bodies + std::size_t(positions_[k].body)] =
                depths_[k];
    }
    positions_ = {};
    depths_ = {};
    // Keys that are the bodies' own numbers say nothing a name would add.
    bool numbered = true;
    for (std::size_t k = 0; k < keys_.size() && numbered; ++k) numbered = keys_[k] == std::to_string(k + 1);
    if (!numbered)
        for (const std::string& key : keys_) out_.names.push_back(ShownText(key));
    return std::move(out_);
}

LongTableRows ReadLongTable(std::string_view text, const TableLayout& layout, TablePlane plane,
                            uint64_t memoryBytes) {
    LongTableReader reader(layout, plane, memoryBytes);
    reader.Feed(text);
    return reader.Finish();
}
