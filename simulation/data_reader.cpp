#include "data_reader.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "base/format.h"
#include "configuration_reader.h"
#include "file_access.h"
#include "host.h"
#include "load_progress.h"
#include "loaded_simulation.h"
#include "parallel_real_parser.h"
#include "real_parser.h"
#include "row_shape.h"
#include "table_reader.h"

namespace {

class TableSink : public ValueSink {
public:
    explicit TableSink(TrajectoryTable& table) : table_(table) {}
    void Store(std::size_t first, const double* values, std::size_t n) override {
        table_.Store(first, values, n);
    }

private:
    TrajectoryTable& table_;
};

/// Reads `count` values from the open file into the table. A large file is
/// read on all cores while `host` waits for it (showing `progress` and
/// offering to cancel); meanwhile the state says a load is under way and
/// that no data is loaded, so that nothing reads the table being filled.
/// While the file is followed, a last number without white space after it
/// may be cut by the writer, so it is not read. `endByte` receives where the
/// values read end in the file.
std::size_t ParseFile(int fd, LoadedSimulation& s, Host& host, const ReadControl& control, std::size_t count,
                      LoadProgress& progress, uint64_t& endByte) {
    TableSink sink(*s.rows);
    const bool pending = control.following;
    struct stat info {};
    if (count > 0 && ::fstat(fd, &info) == 0 && uint64_t(info.st_size) >= kParallelParseMinBytes) {
        const int32_t loaded = s.dataLoaded;
        s.dataLoaded = 0;
        if (control.loading) *control.loading = true;
        std::size_t stored = 0;
        host.waitFor(
            [&] {
                stored =
                    ParseRealsParallel(fd, uint64_t(info.st_size), sink, count, &progress, pending, &endByte);
            },
            progress);
        if (control.loading) *control.loading = false;
        s.dataLoaded = loaded;
        return stored;
    }
    FdSource source(fd);
    RealReader reader(source, pending);
    const std::size_t stored = ParseRealsInto(reader, sink, 0, count);
    endByte = reader.offset();
    return stored;
}

/// Discards the values read: only their number is wanted.
class CountingSink : public ValueSink {
public:
    void Store(std::size_t, const double*, std::size_t) override {}
};

/// The complete rows of `columns` values the open file holds from its start,
/// read as the loader reads them; a last number without white space after it
/// may be cut by a writer that stopped, so it is not counted.
int64_t CompleteRowsOfFile(int fd, int32_t columns) {
    if (columns <= 0 || ::lseek(fd, 0, SEEK_SET) != 0) return 0;
    FdSource source(fd);
    RealReader reader(source, true);
    CountingSink sink;
    return int64_t(ParseRealsInto(reader, sink, 0, SIZE_MAX) / std::size_t(columns));
}

/// The line for a configuration that names no data lines while its data file
/// holds rows: what a writer that was stopped before it could write its
/// configuration again leaves. Empty when the file holds no complete row.
std::string NoLinesNamedNote(const LoadedSimulation& s, int fd, int32_t columns) {
    const int64_t rows = CompleteRowsOfFile(fd, columns);
    if (rows <= 0) return {};
    const std::string config = std::filesystem::path(s.configPath).filename().string();
    return Format(
        "%s names 0 data lines but %s holds %lld complete rows: open it with `orbivex --follow %s`, or "
        "open %s as a table",
        config.c_str(), s.fields.dataPath.c_str(), static_cast<long long>(rows), config.c_str(),
        s.fields.dataPath.c_str());
}

}  // namespace

bool PrepareTable(LoadedSimulation& s, Host& host) {
    if (s.fields.bodyCount < 0 || s.fields.bodyCount > kMaxBodies) {  // a classic configuration's limit
        host.messageBox(
            Format("Error %d in Config File %s", CodeOf(ConfigResult::BadBodyCount), s.configPath.c_str()));
        return false;
    }
    const int32_t columns = 2 * s.fields.bodyCount + 1;
    const int32_t rows = std::max(s.fields.lineCount, 0);
    s.depth.reset(), s.velocity.reset();  // the classic data has two coordinates a body
    if (s.rows && s.rows->columnCount() == columns && s.rows->rowCount() >= rows) return true;
    s.dataLoaded = 0;
    FreeTable(s.rows);
    s.columnCount = columns;
    s.rows = AllocateTable(rows, columns);
    if (s.rows) return true;
    host.messageBox(
        Format("Not enough memory for %d data lines of %d values", s.fields.lineCount, s.columnCount));
    return false;
}

std::string DataFileOf(const LoadedSimulation& s) {
    const std::filesystem::path data(s.fields.dataPath), config(s.configPath);
    if (s.kind == SourceKind::PlainTable || data.empty() || data.is_absolute() || !config.is_absolute())
        return s.fields.dataPath;
    return (config.parent_path() / data).string();
}

DataResult ReadData(LoadedSimulation& s, Host& host, const ReadControl& control) {
    std::error_code error;
    const std::string path = DataFileOf(s);
    const std::filesystem::path whole = std::filesystem::absolute(path, error);
    s.dataFile = error ? path : whole.string();
    if (s.fields.dataFormat == DataFormat::Table) return ReadTableData(s, host, control);
    const OpenedFile file(OpenRegularFile(path));
    const int fd = file.fd();
    if (fd < 0) {
        host.messageBox(Format("DATA File %s is not found", s.fields.dataPath.c_str()));
        return DataResult::Failed;
    }
    if (!PrepareTable(s, host)) return DataResult::Failed;
    SetBusyCursor(host, 1);
    const int32_t columns = s.rows->columnCount();
    const std::size_t wanted = std::size_t(std::max(s.fields.lineCount, 0)) * std::size_t(columns);
    LoadProgress progress;
    s.handOver = DataHandOver{};
    StoredRows read;
    const std::size_t stored = ParseFile(fd, s, host, control, wanted, progress, read.endByte);
    // The wait cursor is put back before any question, so that the message
    // box is answered with the normal pointer.
    SetBusyCursor(host, 0);
    read.cancelled = progress.cancelled;
    read.rows = int64_t(stored / std::size_t(columns));
    if (!read.cancelled) {
        read.partialRow.resize(stored % std::size_t(columns));
        for (std::size_t c = 0; c < read.partialRow.size(); ++c)
            read.partialRow[c] = s.rows->value(int32_t(read.rows), int32_t(c));
    }
    const DataResult result = FinishRead(s, host, fd, read, control);
    if (result != DataResult::Ok) return result;
    std::string note =
        RowShapeNoteOfFile(fd, columns, std::size_t(std::max(s.fields.lineCount, 0)) * std::size_t(columns));
    if (s.fields.lineCount == 0 && !control.following) note = NoLinesNamedNote(s, fd, columns);
    if (!note.empty()) host.note(note);
    return DataResult::Ok;
}
