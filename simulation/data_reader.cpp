#include "data_reader.h"

#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>

#include "configuration_reader.h"
#include "file_access.h"
#include "host.h"
#include "parallel_real_parser.h"
#include "real_parser.h"
#include "simulation_state.h"

namespace {

void ReportNoMemory(const SimulationState& s, Host& host) {
    host.messageBox(Format("Not enough memory for %d data lines of %d values", s.lineCount, s.columnCount));
}

/// Makes sure a table exists with the columns the configuration gives and at
/// least `lineCount` rows; a table of another shape would put the values in
/// the wrong places. False (reported) when no such table can be made.
bool EnsureTableShape(SimulationState& s, Host& host) {
    if (s.bodyCount < 0 || s.bodyCount > kMaxBodies) {
        host.messageBox(Format("Error %d in Config File %s", -3, s.configPath.c_str()));
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
    ReportNoMemory(s, host);
    return false;
}

class TableSink : public ValueSink {
public:
    explicit TableSink(TrajectoryTable& table) : table_(table) {}
    void Store(std::size_t first, const double* values, std::size_t n) override {
        table_.Store(first, values, n);
    }

private:
    TrajectoryTable& table_;
};

/// Reads `count` values from the open file into the table, on all cores
/// when the file is large.
std::size_t ParseFile(int fd, TrajectoryTable& table, std::size_t count) {
    TableSink sink(table);
    struct stat info {};
    if (count > 0 && ::fstat(fd, &info) == 0 && uint64_t(info.st_size) >= kParallelParseMinBytes)
        return ParseRealsParallel(fd, uint64_t(info.st_size), sink, count);
    FdSource source(fd);
    RealReader reader(source);
    return ParseRealsInto(reader, sink, 0, count);
}

}  // namespace

int ReadData(SimulationState& s, Host& host) {
    const int fd = OpenRegularFile(s.dataPath);
    if (fd < 0) {
        host.messageBox(Format("DATA File %s is not found", s.dataPath.c_str()));
        return -1;
    }
    if (!EnsureTableShape(s, host)) {
        ::close(fd);
        return -1;
    }
    SetBusyCursor(host, 1);
    const int32_t columns = s.rows->columnCount();
    const std::size_t wanted = std::size_t(std::max(s.lineCount, 0)) * std::size_t(columns);
    const std::size_t stored = ParseFile(fd, *s.rows, wanted);
    ::close(fd);
    // The wait cursor is put back before any question, so that the message
    // box is answered with the normal pointer.
    SetBusyCursor(host, 0);
    if (stored < wanted) {
        const int32_t r = int32_t(stored / std::size_t(columns));
        const auto answer =
            host.messageBox(Format("Data File error at line %d\nSet number of data equal to %d?", r, r - 1),
                            Host::Buttons::YesNo);
        if (answer != Host::Answer::Yes) return -100;
        s.lineCount = r - 1;
    }
    s.position = s.startRow;
    s.dataLoaded = 1;
    return 0;
}

int LoadSimulation(SimulationState& s, PlotBox& plot, Host& host, const std::string& path) {
    s.dataLoaded = 0;
    s.startRequested = 0;
    FreeTable(s.rows);
    const int code = ReadConfiguration(s, plot, host, path);
    if (code != 0) {
        host.messageBox(Format("Error %d in Config File %s", code, path.c_str()));
        return 0;
    }
    s.columnCount = 2 * s.bodyCount + 1;
    s.rows = AllocateTable(s.lineCount, s.columnCount);
    if (!s.rows) {
        ReportNoMemory(s, host);
        return 0;
    }
    return ReadData(s, host) == 0 ? 1 : 0;
}
