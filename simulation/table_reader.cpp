#include "table_reader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "available_memory.h"
#include "base/format.h"
#include "block_pipeline.h"
#include "configuration_keys.h"
#include "data_reader.h"
#include "depth_table.h"
#include "file_access.h"
#include "host.h"
#include "load_progress.h"
#include "loaded_simulation.h"
#include "table_long_format.h"
#include "trajectory_table.h"
#include "velocity_table.h"

namespace {

/// Read past a block's end to finish its last line; a longer line is read on.
constexpr uint64_t kMarginBytes = uint64_t(64) << 10;

/// Why a block's lines stop before its end.
enum class BlockStop { None, NotANumber, Ragged, Cut, Pending, Unreadable, TooManyRows, NulByte, LongLine };

/// What one block's lines hold. Line numbers are counted from the block's
/// first line, as the block cannot know how many lines come before it.
struct BlockOutcome {
    std::vector<double> values;      ///< rows in file order: time, x1, y1, x2, y2...
    std::vector<double> depths;      ///< with a depth table, each row's depth of every body
    std::vector<double> velocities;  ///< with a velocity table, each row's velocity of every body
    int64_t rows = 0;
    int64_t lines = 0;   ///< lines that start in the block, up to a stop
    bool ended = false;  ///< a line was dealt with, and `endByte` follows it
    uint64_t endByte = 0;
    BlockStop stop = BlockStop::None;
    int64_t stopLine = 0;  ///< the stopping line, from 0 in the block
    int32_t cells = 0;     ///< the stopping line's bad cell (from 0), or its cells
    std::string bad;
};

/// What the blocks of one read share: the file, its layout, the table, and
/// how far the blocks placed have come (changed only by Place, one call at
/// a time).
class TableRowsReader {
public:
    TableRowsReader(int fd, uint64_t fileSize, const TableLayout& layout, uint64_t headerOffset,
                    TablePlane plane, bool pending, TrajectoryTable& table, DepthTable* depth,
                    VelocityTable* velocity)
        : fd_(fd),
          blocks_{.fileSize = fileSize},
          layout_(layout),
          headerOffset_(headerOffset),
          plane_(plane),
          pending_(pending),
          table_(table),
          depth_(depth),
          velocity_(velocity) {}

    TableRowsRead Run(unsigned threads, LoadProgress* progress);

    void ParseBlock(uint64_t block, std::vector<char>& text, std::vector<double>& cells,
                    BlockOutcome& out) const;
    /// The end of the line at file offset `line` (its '\n', or the file's
    /// end) into `lineEnd`, `text` holding the file from `from` to `limit`
    /// and read on while the line outlasts it; false, with `out.stop`, when
    /// the line may be no row or the file cannot be read.
    bool FindLineEnd(uint64_t line, uint64_t from, uint64_t& limit, std::vector<char>& text,
                     uint64_t& lineEnd, BlockOutcome& out) const;
    /// Takes the line [begin, stop) (`terminated` when a line end follows
    /// it) as a row into `out`, or passes over a blank line or a comment;
    /// false, with `out.stop`, when it is neither.
    bool TakeLine(const char* begin, const char* stop, bool terminated, std::vector<double>& cells,
                  BlockOutcome& out) const;
    /// Places the block `out` after those placed, giving it its first row
    /// `firstRow`; false when the read ends with it.
    bool Place(BlockOutcome& out, int64_t& firstRow);
    const TableLayout& layout() const { return layout_; }
    TrajectoryTable& table() const { return table_; }
    DepthTable* depth() const { return depth_; }
    VelocityTable* velocity() const { return velocity_; }

private:
    /// Records the stop of the block placed with its first line `firstLine`.
    void Stopped(const BlockOutcome& out, int64_t firstLine);

    int fd_;
    FileBlocks blocks_;
    const TableLayout& layout_;
    uint64_t headerOffset_;
    TablePlane plane_;
    bool pending_;
    TrajectoryTable& table_;
    DepthTable* depth_;
    VelocityTable* velocity_;

    int64_t rowsPlaced_ = 0;   // rows of the blocks placed
    int64_t linesPlaced_ = 0;  // lines of the blocks placed
    uint64_t endByte_ = 0;
    TableRowsRead result_;
};

/// One thread's buffers for a block's text, a line's cells and the block's rows.
class TableBlockWorker final : public BlockWorker {
public:
    explicit TableBlockWorker(TableRowsReader& reader)
        : reader_(reader),
          text_(std::size_t(kParallelBlockBytes + kMarginBytes)),
          cells_(std::size_t(reader.layout().cells) + 1),
          columns_(std::size_t(reader.table().columnCount())) {
        // Room for the most rows a block can hold, reserved at once so that
        // it never moves: only the part the rows fill takes memory.
        out_.values.reserve(
            (kParallelBlockBytes / (2 * std::size_t(std::max(reader.layout().cells, 1))) + 1) * columns_);
        if (reader.depth())
            out_.depths.reserve(out_.values.capacity() / columns_ * std::size_t(reader.depth()->bodyCount()));
        if (reader.velocity())
            out_.velocities.reserve(out_.values.capacity() / columns_ * reader.velocity()->valuesPerRow());
    }

    void Parse(uint64_t block) override { reader_.ParseBlock(block, text_, cells_, out_); }
    bool Place(uint64_t) override { return reader_.Place(out_, firstRow_); }
    void Store() override {
        reader_.table().Store(std::size_t(firstRow_) * columns_, out_.values.data(),
                              std::size_t(out_.rows) * columns_);
        if (DepthTable* depth = reader_.depth()) {
            const std::size_t bodies = std::size_t(depth->bodyCount());
            depth->Store(std::size_t(firstRow_) * bodies, out_.depths.data(),
                         std::size_t(out_.rows) * bodies);
        }
        if (VelocityTable* velocity = reader_.velocity()) {
            const std::size_t n = velocity->valuesPerRow();
            velocity->Store(std::size_t(firstRow_) * n, out_.velocities.data(), std::size_t(out_.rows) * n);
        }
    }

private:
    TableRowsReader& reader_;
    std::vector<char> text_;
    std::vector<double> cells_;
    BlockOutcome out_;
    std::size_t columns_;
    int64_t firstRow_ = 0;
};

bool TableRowsReader::FindLineEnd(uint64_t line, uint64_t from, uint64_t& limit, std::vector<char>& text,
                                  uint64_t& lineEnd, BlockOutcome& out) const {
    const uint64_t fileSize = blocks_.fileSize;
    uint64_t searched = line;
    for (;;) {
        const void* nl = std::memchr(text.data() + (searched - from), '\n', std::size_t(limit - searched));
        if (nl) {
            lineEnd = from + uint64_t(static_cast<const char*>(nl) - text.data());
            return true;
        }
        // A line that outlasts the text is read on only while it may still
        // be a row: a comment or the header may hold anything.
        const bool row = line != headerOffset_ &&
                         !IsTableComment(text.data() + (line - from), text.data() + (limit - from));
        const BlockStop fault =
            row && std::memchr(text.data() + (searched - from), '\0', std::size_t(limit - searched))
                ? BlockStop::NulByte
            : limit - line > kMaxTableLineBytes ? BlockStop::LongLine
                                                : BlockStop::None;
        if (fault != BlockStop::None) {
            out.stop = fault;
            out.stopLine = out.lines;
            return false;
        }
        if (limit == fileSize) {
            lineEnd = fileSize;
            return true;
        }
        searched = limit;
        const uint64_t more = std::min(limit + std::max(kMarginBytes, limit - from), fileSize);
        text.resize(more - from);
        if (!ReadFileRange(fd_, limit, more, text.data() + (limit - from))) {
            out.stop = BlockStop::Unreadable;
            return false;
        }
        limit = more;
    }
}

bool TableRowsReader::TakeLine(const char* begin, const char* stop, bool terminated,
                               std::vector<double>& cells, BlockOutcome& out) const {
    const std::size_t width = std::size_t(layout_.cells);
    std::size_t count = 0;
    const TableLineResult r = ParseTableLine(begin, stop, layout_.separator, cells.data(), width, count,
                                             out.bad, layout_.decimalComma);
    // An empty last cell is a missing value, unless the line is unfinished:
    // then its writer may not have written the cell yet.
    const bool open = r == TableLineResult::Cells && count == width && !terminated &&
                      EndsWithCell(begin, stop, "", layout_.separator);
    if (r == TableLineResult::Cells && count == width && !open) {
        out.values.push_back(cells[std::size_t(layout_.timeColumn)]);
        for (const TableBodyColumns& body : layout_.bodies) {
            double x = 0, y = 0;
            ProjectBody(body, plane_, cells.data(), x, y);
            out.values.push_back(x);
            out.values.push_back(y);
        }
        if (depth_)
            for (const TableBodyColumns& body : layout_.bodies)
                out.depths.push_back(DepthOf(body, plane_, cells.data()));
        if (velocity_)
            for (const TableBodyColumns& v : layout_.velocities) {
                out.velocities.resize(out.velocities.size() + 3);
                VelocityOf(v, cells.data(), out.velocities.data() + out.velocities.size() - 3);
            }
        ++out.rows;
        return true;
    }
    if (r != TableLineResult::Cells && r != TableLineResult::BadCell) return true;  // blank, or a comment
    // A last line is cut when it stops in a cell or after a separator; zero
    // bytes are damage, not a cut.
    const bool cut =
        open || (!terminated && count < width && out.bad.find('\0') == std::string::npos &&
                 (r == TableLineResult::Cells || EndsWithCell(begin, stop, out.bad, layout_.separator)));
    out.stop = cut ? BlockStop::Cut : r == TableLineResult::Cells ? BlockStop::Ragged : BlockStop::NotANumber;
    out.stopLine = out.lines;
    out.cells = int32_t(std::min(count, width + 1));
    return false;
}

void TableRowsReader::ParseBlock(uint64_t block, std::vector<char>& text, std::vector<double>& cells,
                                 BlockOutcome& out) const {
    // The block owns the lines whose first character lies in [start, end).
    // It is read with the character before it (a line starts at `start` when
    // that is a line end) and a margin after it for its last line.
    const uint64_t fileSize = blocks_.fileSize;
    const uint64_t start = blocks_.start(block);
    const uint64_t end = blocks_.end(block);
    const uint64_t from = start > 0 ? start - 1 : 0;
    uint64_t limit = std::min(end + kMarginBytes, fileSize);
    out.values.clear();
    out.depths.clear();
    out.velocities.clear();
    out.rows = out.lines = 0;
    out.ended = false;
    out.stop = BlockStop::None;
    out.stopLine = 0;
    if (text.size() < limit - from) text.resize(limit - from);
    if (!ReadFileRange(fd_, from, limit, text.data())) {
        out.stop = BlockStop::Unreadable;
        return;
    }
    uint64_t line = start;  // file offset of the line being looked at
    if (start > 0 && text[0] != '\n') {
        const void* nl = std::memchr(text.data() + 1, '\n', std::size_t(end - start));
        if (!nl) return;  // a line from an earlier block runs through this one
        line = from + uint64_t(static_cast<const char*>(nl) - text.data()) + 1;
    }
    for (; line < end; ++out.lines) {
        uint64_t lineEnd = 0;
        if (!FindLineEnd(line, from, limit, text, lineEnd, out)) return;
        const bool terminated = lineEnd < fileSize;
        if (!terminated && pending_) {
            // Its writer may not have finished it: the follower takes it
            // once its line end comes.
            out.stop = BlockStop::Pending;
            out.stopLine = out.lines;
            return;
        }
        if (lineEnd - line > kMaxTableLineBytes) {
            out.stop = BlockStop::LongLine;
            out.stopLine = out.lines;
            return;
        }
        if (line != headerOffset_ &&
            !TakeLine(text.data() + (line - from), text.data() + (lineEnd - from), terminated, cells, out))
            return;
        out.ended = true;
        out.endByte = terminated ? lineEnd + 1 : fileSize;
        line = lineEnd + 1;
    }
}

void TableRowsReader::Stopped(const BlockOutcome& out, int64_t firstLine) {
    const int64_t line = firstLine + out.stopLine;
    switch (out.stop) {
        case BlockStop::NotANumber:
            result_.failed = true;
            result_.error = NotANumberError(line, out.cells + 1, out.bad, layout_.decimalComma);
            break;
        case BlockStop::Ragged:
            result_.failed = true;
            result_.error = RaggedRowError(line, out.cells, layout_.cells);
            break;
        case BlockStop::Cut:
            result_.cutLine = line;
            break;
        case BlockStop::NulByte:
            result_.failed = true;
            result_.error = NulByteError(line);
            break;
        case BlockStop::LongLine:
            result_.failed = true;
            result_.error = LongLineError(line);
            break;
        case BlockStop::Unreadable:
            result_.failed = true;
            result_.error.line = line;
            result_.error.message = "The data file cannot be read";
            break;
        case BlockStop::TooManyRows:
            result_.failed = true;
            result_.error.line = line;
            result_.error.message = Format("Line %lld: the table holds more rows than can be shown",
                                           static_cast<long long>(line));
            break;
        case BlockStop::None:
        case BlockStop::Pending:
            break;
    }
}

bool TableRowsReader::Place(BlockOutcome& out, int64_t& firstRow) {
    // Blocks are placed in file order, which gives each its first row and
    // its first line's number.
    firstRow = rowsPlaced_;
    if (firstRow + out.rows > table_.rowCount()) {
        // Only a table of more rows than a table can have gets here: the
        // capacity is a bound on the rows the file holds.
        out.rows = 0;
        out.stop = BlockStop::TooManyRows;
        out.stopLine = 0;
    }
    if (out.stop != BlockStop::None) Stopped(out, linesPlaced_ + 1);
    rowsPlaced_ += out.rows;
    linesPlaced_ += out.lines;
    if (out.ended) endByte_ = out.endByte;
    return out.stop == BlockStop::None;
}

TableRowsRead TableRowsReader::Run(unsigned threads, LoadProgress* progress) {
    result_.cancelled = RunBlockPipeline(blocks_, threads, progress,
                                         [this] { return std::make_unique<TableBlockWorker>(*this); });
    result_.rows = rowsPlaced_;
    result_.endByte = endByte_;
    return result_;
}

/// The first `bytes` of the file, or fewer when it is shorter.
bool ReadHead(int fd, uint64_t fileSize, std::string& head) {
    head.resize(std::size_t(std::min<uint64_t>(fileSize, kTableHeadBytes)));
    return ReadFileRange(fd, 0, head.size(), head.data());
}

/// Where line `line` (from 1) starts in `head`; none when it is not there.
uint64_t LineOffset(std::string_view head, int64_t line) {
    if (line <= 0) return UINT64_MAX;
    std::size_t at = 0;
    for (int64_t i = 1; i < line; ++i) {
        at = head.find('\n', at);
        if (at == std::string_view::npos) return UINT64_MAX;
        ++at;
    }
    return at;
}

/// Ends a read that loads nothing: the table goes.
DataResult Fail(LoadedSimulation& s) {
    s.dataLoaded = 0;
    FreeTable(s.rows);
    s.depth.reset();
    s.velocity.reset();
    return DataResult::Failed;
}

/// Ends the read of a followed table that holds no complete row yet, as a
/// run just started or started again: the table is emptied (the bodies of
/// one shown before kept until the rows say otherwise) and its layout left
/// unknown, to be found when the first row comes.
DataResult AwaitFirstRow(LoadedSimulation& s, Host& host, int fd, const ReadControl& control) {
    const int32_t columns = s.rows ? s.rows->columnCount() : 1;
    if (!s.rows) s.fields.bodyCount = 0, s.columnCount = 1;
    s.dataLoaded = 0;
    FreeTable(s.rows);
    s.depth.reset();
    s.velocity.reset();
    s.rows = AllocateTable(0, columns);
    if (!s.rows) return Fail(s);
    s.tableLayout = TableLayout{};
    s.fields.lineCount = 0;
    s.handOver = DataHandOver{};
    return FinishRead(s, host, fd, {}, control);
}

/// Reads the table of one line per body and time `fd` whole, after its
/// layout was found; it cannot be followed, as a time's lines may still be
/// coming.
DataResult ReadLongTableData(LoadedSimulation& s, Host& host, int fd, uint64_t fileSize, TableLayout layout,
                             const ReadControl& control) {
    if (control.following) {
        host.messageBox(
            "A table of one line per body and time cannot be followed as it is written; open it "
            "without following");
        return DataResult::Failed;
    }
    // Read in blocks, so that a file that is no such table is refused at
    // its first bad line, and memory holds the lines read, not the file.
    LongTableReader reader(layout, TablePlane::XY, AvailableMemory().value_or(UINT64_MAX));
    std::string block(std::size_t(std::min<uint64_t>(fileSize, kTableHeadBytes)), '\0');
    for (uint64_t at = 0; at < fileSize;) {
        const uint64_t end = std::min<uint64_t>(fileSize, at + block.size());
        if (!ReadFileRange(fd, at, end, block.data())) {
            host.messageBox(Format("DATA File %s cannot be read", s.fields.dataPath.c_str()));
            return DataResult::Failed;
        }
        if (!reader.Feed(std::string_view(block.data(), std::size_t(end - at)))) break;
        at = end;
    }
    block = std::string();
    const LongTableRows read = reader.Finish();
    if (read.failed) {
        host.messageBox(read.error.message);
        return Fail(s);
    }
    if (read.cutLine > 0)
        host.note(Format("Line %lld is cut short and was left out", static_cast<long long>(read.cutLine)));
    if (read.rows == 0) {
        host.messageBox(Format("No data lines in %s", s.fields.dataPath.c_str()));
        return Fail(s);
    }
    layout.bodies.assign(std::size_t(read.bodies), layout.lineColumns);
    layout.names = read.names;
    s.tableLayout = layout;
    s.dataLoaded = 0;
    FreeTable(s.rows);
    s.depth.reset();
    s.velocity.reset();  // a long table gives none: none of a table read before stays
    s.fields.bodyCount = read.bodies;
    s.sizeBodyLists(read.bodies);
    s.columnCount = 2 * read.bodies + 1;
    s.rows = AllocateTable(int32_t(std::min<int64_t>(read.rows, INT32_MAX)), s.columnCount);
    if (!s.rows || read.rows > INT32_MAX) {
        host.messageBox(Format("Not enough memory for %lld data lines of %d values",
                               static_cast<long long>(read.rows), s.columnCount));
        return Fail(s);
    }
    s.rows->Store(0, read.values.data(), read.values.size());
    if (!read.depths.empty()) {
        s.depth = AllocateDepth(s.rows->rowCount(), read.bodies);
        if (!s.depth) {
            host.messageBox(Format("Not enough memory for %lld data lines of %d values",
                                   static_cast<long long>(read.rows), s.columnCount + read.bodies));
            return Fail(s);
        }
        s.depth->Store(0, read.depths.data(), read.depths.size());
    }
    s.handOver = DataHandOver{};
    StoredRows stored;
    stored.rows = read.rows;
    stored.endByte = fileSize;
    return FinishRead(s, host, fd, stored, control);
}

}  // namespace

TableRowsRead ReadTableRows(int fd, uint64_t fileSize, const TableLayout& layout, uint64_t headerOffset,
                            TablePlane plane, bool lastLinePending, TrajectoryTable& table, unsigned threads,
                            LoadProgress* progress, DepthTable* depth, VelocityTable* velocity) {
    TableRowsReader reader(fd, fileSize, layout, headerOffset, plane, lastLinePending, table, depth,
                           velocity);
    TableRowsRead read = reader.Run(std::max(threads, 1u), progress);
    if (progress && !read.cancelled) progress->bytesRead.store(fileSize);
    return read;
}

namespace {

/// ReadTableData with the layout `given`, or the one found in the head when null.
/// Makes `s`'s tables for the wide table `layout` of a file of `fileSize`
/// bytes whose head is `head`: room for as many rows as the file could
/// hold, with depths and velocities where the layout has them; false,
/// reported through `host`, when the memory cannot be had.
bool MakeWideTable(LoadedSimulation& s, Host& host, int fd, const std::string& head, uint64_t fileSize,
                   const TableLayout& layout) {
    const int32_t bodies = int32_t(layout.bodies.size());
    // The rows are not counted beforehand: the table gets room for as many
    // as the file could hold (each cell takes at least a character and a
    // separator), which costs only the pages the rows read fill.
    s.dataLoaded = 0;
    FreeTable(s.rows);
    s.depth.reset();
    s.velocity.reset();
    s.fields.bodyCount = bodies;
    s.sizeBodyLists(bodies);
    s.columnCount = 2 * bodies + 1;
    const uint64_t bound = fileSize / (2 * uint64_t(std::max(layout.cells, 1))) + 1;
    const int64_t expected = TableRowsAtLeast(fd, head, fileSize);
    s.rows = AllocateTableCapacity(int32_t(std::min<uint64_t>(bound, INT32_MAX)), s.columnCount, expected);
    // A table of three coordinates a body keeps the one off the plane shown too.
    if (s.rows && layout.threeDimensional()) {
        s.depth = AllocateDepthCapacity(s.rows->rowCount(), bodies, expected);
        if (!s.depth) FreeTable(s.rows);
    }
    if (s.rows && !layout.velocities.empty()) {
        s.velocity = AllocateVelocityCapacity(s.rows->rowCount(), GivenVelocities(layout), expected);
        if (!s.velocity) FreeTable(s.rows);
    }
    if (!s.rows) {
        host.messageBox(Format("Not enough memory for %lld data lines of %d values",
                               static_cast<long long>(expected),
                               s.columnCount + (layout.threeDimensional() ? bodies : 0)));
        return false;
    }
    return true;
}

/// Reads the rows of the wide table `layout` into `s`'s tables: on every
/// processor while `host` waits for a large file, which `progress` may
/// cancel, or in one go for a small one.
TableRowsRead ReadRowsOf(LoadedSimulation& s, Host& host, int fd, uint64_t fileSize,
                         const TableLayout& layout, uint64_t headerOffset, const ReadControl& control,
                         LoadProgress& progress) {
    TableRowsRead read;
    const bool pending = control.following;
    if (fileSize >= kParallelParseMinBytes) {
        const int32_t loaded = s.dataLoaded;
        s.dataLoaded = 0;
        if (control.loading) *control.loading = true;
        const unsigned threads = FileBlocks{.fileSize = fileSize}.workers();
        host.waitFor(
            [&] {
                read = ReadTableRows(fd, fileSize, layout, headerOffset, TablePlane::XY, pending, *s.rows,
                                     threads, &progress, s.depth.get(), s.velocity.get());
            },
            progress);
        if (control.loading) *control.loading = false;
        s.dataLoaded = loaded;
    } else {
        read = ReadTableRows(fd, fileSize, layout, headerOffset, TablePlane::XY, pending, *s.rows, 1, nullptr,
                             s.depth.get(), s.velocity.get());
    }
    return read;
}

DataResult ReadTable(LoadedSimulation& s, Host& host, const ReadControl& control, const TableLayout* given) {
    const OpenedFile file(OpenRegularFile(DataFileOf(s)));
    const int fd = file.fd();
    if (fd < 0) {
        host.messageBox(Format("DATA File %s is not found", s.fields.dataPath.c_str()));
        return DataResult::Failed;
    }
    struct stat info {};
    std::string head;
    if (::fstat(fd, &info) != 0 || !ReadHead(fd, uint64_t(info.st_size), head)) {
        host.messageBox(
            Format("DATA File %s cannot be read: %s", s.fields.dataPath.c_str(), std::strerror(errno)));
        return DataResult::Failed;
    }
    const uint64_t fileSize = uint64_t(info.st_size);
    TableLayout layout;
    TableError error;
    // While a table is followed, its last line waits for its line end.
    const bool following = control.following && s.rows;
    const std::string_view text =
        following ? std::string_view(head).substr(0, head.rfind('\n') + 1) : std::string_view(head);
    if (head.size() < fileSize && head.find('\n') == std::string::npos) {
        host.messageBox(LongLineError(1).message);
        return DataResult::Failed;
    }
    if (given) {
        layout = *given;
    } else if (!DetectTableLayout(text, head.size() == fileSize, layout, error, s.fields.columns)) {
        if (control.following && error.noDataLine && head.size() == fileSize)
            return AwaitFirstRow(s, host, fd, control);
        host.messageBox(error.message);
        return DataResult::Failed;
    }
    if (layout.bodyColumn >= 0) return ReadLongTableData(s, host, fd, fileSize, layout, control);
    s.tableLayout = layout;
    const int32_t bodies = int32_t(layout.bodies.size());
    if (bodies > kMaxTableBodies) {
        host.messageBox(
            Format("The table holds %d bodies; at most %d can be shown", bodies, int(kMaxTableBodies)));
        return DataResult::Failed;
    }
    if (!MakeWideTable(s, host, fd, head, fileSize, layout)) return DataResult::Failed;
    const uint64_t headerOffset = LineOffset(head, layout.headerLine);
    head = std::string();

    SetBusyCursor(host, 1);
    s.handOver = DataHandOver{};
    LoadProgress progress;
    const TableRowsRead read = ReadRowsOf(s, host, fd, fileSize, layout, headerOffset, control, progress);
    SetBusyCursor(host, 0);
    if (read.cancelled || progress.cancelled) {
        StoredRows cancelled;
        cancelled.cancelled = true;
        FinishRead(s, host, fd, cancelled, control);
        return DataResult::Failed;
    }
    if (read.failed) {
        host.messageBox(read.error.message);
        return Fail(s);
    }
    if (!layout.note.empty()) host.note(layout.note);
    if (read.cutLine > 0)
        host.note(Format("Line %lld is cut short and was left out", static_cast<long long>(read.cutLine)));
    if (read.rows == 0) {
        host.messageBox(Format("No data lines in %s", s.fields.dataPath.c_str()));
        return Fail(s);
    }
    StoredRows stored;
    stored.rows = read.rows;
    stored.endByte = read.endByte;
    return FinishRead(s, host, fd, stored, control);
}

}  // namespace

DataResult ReadTableData(LoadedSimulation& s, Host& host, const ReadControl& control) {
    return ReadTable(s, host, control, nullptr);
}

DataResult ReadTableData(LoadedSimulation& s, Host& host, const TableLayout& layout,
                         const ReadControl& control) {
    return ReadTable(s, host, control, &layout);
}

int64_t TableRowsAtLeast(int fd, std::string_view head, uint64_t fileSize) {
    constexpr int kWindows = 15;
    constexpr std::size_t kWindowBytes = std::size_t(64) << 10;
    const uint64_t headLines = std::max<uint64_t>(uint64_t(std::count(head.begin(), head.end(), '\n')), 1);
    double longest = double(head.size()) / double(headLines);
    if (fileSize > head.size() + kWindowBytes) {
        std::string window(kWindowBytes, '\0');
        for (int k = 1; k <= kWindows; ++k) {
            const uint64_t at = (fileSize - kWindowBytes) / kWindows * uint64_t(k);
            if (!ReadFileRange(fd, at, at + kWindowBytes, window.data())) return 0;
            const std::size_t first = window.find('\n'), last = window.rfind('\n');
            const std::size_t lines = std::size_t(std::count(window.begin(), window.end(), '\n'));
            // A window without two line ends lies in a line at least as long.
            longest = std::max(longest,
                               lines >= 2 ? double(last - first) / double(lines - 1) : double(kWindowBytes));
        }
    }
    return int64_t(double(fileSize) / (std::max(longest, 1.0) * 1.1));
}
