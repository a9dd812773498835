#include "data_reader.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include "base/format.h"
#include "configuration_reader.h"
#include "file_access.h"
#include "host.h"
#include "load_progress.h"
#include "parallel_real_parser.h"
#include "real_parser.h"
#include "row_shape.h"
#include "simulation_state.h"
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
std::size_t ParseFile(int fd, SimulationState& s, Host& host, std::size_t count, LoadProgress& progress,
                      uint64_t& endByte) {
    TableSink sink(*s.rows);
    const bool pending = s.followData != 0;
    struct stat info {};
    if (count > 0 && ::fstat(fd, &info) == 0 && uint64_t(info.st_size) >= kParallelParseMinBytes) {
        const int32_t loaded = s.dataLoaded;
        s.dataLoaded = 0;
        s.loading = true;
        std::size_t stored = 0;
        host.waitFor(
            [&] {
                stored =
                    ParseRealsParallel(fd, uint64_t(info.st_size), sink, count, &progress, pending, &endByte);
            },
            progress);
        s.loading = false;
        s.dataLoaded = loaded;
        return stored;
    }
    FdSource source(fd);
    RealReader reader(source, pending);
    const std::size_t stored = ParseRealsInto(reader, sink, 0, count);
    endByte = reader.offset();
    return stored;
}

/// Records where the `stored` values read from `fd` end, `endByte` in it.
void RememberHandOver(SimulationState& s, int fd, std::size_t stored, uint64_t endByte) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return;
    const std::size_t columns = std::size_t(s.rows->columnCount());
    DataHandOver& h = s.handOver;
    h.device = uint64_t(info.st_dev), h.inode = uint64_t(info.st_ino);
    h.byte = endByte;
    h.rows = int64_t(stored / columns);
    h.partialRow.resize(stored % columns);
    for (std::size_t c = 0; c < h.partialRow.size(); ++c)
        h.partialRow[c] = s.rows->value(int32_t(h.rows), int32_t(c));
}

}  // namespace

bool KeepShortData(Host& host, int32_t rows) {
    return host.messageBox(Format("Data File error at line %d\nSet number of data equal to %d?", rows, rows),
                           Host::Buttons::YesNo) == Host::Answer::Yes;
}

bool PrepareTable(SimulationState& s, Host& host) {
    if (s.bodyCount < 0 || s.bodyCount > kMaxBodies) {
        host.messageBox(
            Format("Error %d in Config File %s", CodeOf(ConfigResult::BadBodyCount), s.configPath.c_str()));
        return false;
    }
    const int32_t columns = 2 * s.bodyCount + 1;
    const int32_t rows = std::max(s.lineCount, 0);
    if (s.rows && s.rows->columnCount() == columns && s.rows->rowCount() >= rows) return true;
    s.dataLoaded = 0;
    FreeTable(s.rows);
    s.columnCount = columns;
    s.rows = AllocateTable(rows, columns);
    if (s.rows) return true;
    host.messageBox(Format("Not enough memory for %d data lines of %d values", s.lineCount, s.columnCount));
    return false;
}

DataResult ReadData(SimulationState& s, Host& host) {
    if (s.dataFormat == DataFormat::Table) return ReadTableData(s, host);
    const int fd = OpenRegularFile(s.dataPath);
    if (fd < 0) {
        host.messageBox(Format("DATA File %s is not found", s.dataPath.c_str()));
        return DataResult::Failed;
    }
    if (!PrepareTable(s, host)) {
        ::close(fd);
        return DataResult::Failed;
    }
    SetBusyCursor(host, 1);
    const int32_t columns = s.rows->columnCount();
    const std::size_t wanted = std::size_t(std::max(s.lineCount, 0)) * std::size_t(columns);
    LoadProgress progress;
    s.handOver = DataHandOver{};
    uint64_t endByte = 0;
    const std::size_t stored = ParseFile(fd, s, host, wanted, progress, endByte);
    // The wait cursor is put back before any question, so that the message
    // box is answered with the normal pointer.
    SetBusyCursor(host, 0);
    if (progress.cancelled) {
        // The partly filled table holds nothing usable: it goes, so that
        // memory is as it was before the load.
        ::close(fd);
        s.dataLoaded = 0;
        FreeTable(s.rows);
        host.note("Load cancelled");
        return DataResult::Failed;
    }
    if (stored < wanted && s.followData) {
        // The writer is still at work: the rows it has written so far load,
        // and later ones are added as they come.
        s.lineCount = int32_t(stored / std::size_t(columns));
    } else if (stored < wanted) {
        // Every complete row is offered and kept: the rows read are all whole.
        const int32_t r = int32_t(stored / std::size_t(columns));
        if (!KeepShortData(host, r)) {
            ::close(fd);
            return DataResult::ShortDeclined;
        }
        s.lineCount = r;
    }
    RememberHandOver(s, fd, stored, endByte);
    s.position = s.startRow;
    s.dataLoaded = 1;
    const std::string note =
        RowShapeNoteOfFile(fd, columns, std::size_t(std::max(s.lineCount, 0)) * std::size_t(columns));
    ::close(fd);
    if (!note.empty()) host.note(note);
    return DataResult::Ok;
}
