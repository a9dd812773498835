#include "read_finish.h"

#include <sys/stat.h>

#include "base/format.h"
#include "host.h"
#include "loaded_simulation.h"

bool KeepShortData(Host& host, int32_t rows) {
    return host.messageBox(Format("Data File error at line %d\nSet number of data equal to %d?", rows, rows),
                           Host::Buttons::YesNo) == Host::Answer::Yes;
}

DataResult FinishRead(LoadedSimulation& s, Host& host, int fd, const StoredRows& read,
                      const ReadControl& control) {
    if (read.cancelled) {
        // The partly filled table holds nothing usable: it goes, so that
        // memory is as it was before the load.
        s.dataLoaded = 0;
        FreeTable(s.rows);
        s.depth.reset(), s.velocity.reset();
        host.note("Load cancelled");
        return DataResult::Failed;
    }
    const int32_t rows = int32_t(read.rows);
    if (s.fields.lineCount < 0 && s.fields.dataFormat == DataFormat::Table) {
        s.fields.lineCount = rows;
    } else if (rows < s.fields.lineCount && control.following) {
        // The writer is still at work: the rows it has written so far load,
        // and later ones are added as they come.
        s.fields.lineCount = rows;
    } else if (rows < s.fields.lineCount) {
        // Every complete row is offered and kept: the rows read are all whole.
        if (!KeepShortData(host, rows)) return DataResult::ShortDeclined;
        s.fields.lineCount = rows;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0) {
        DataHandOver& h = s.handOver;
        h.device = uint64_t(info.st_dev), h.inode = uint64_t(info.st_ino);
        h.byte = read.endByte;
        h.rows = read.rows;
        h.partialRow = read.partialRow;
    }
    s.dataLoaded = 1;
    return DataResult::Ok;
}
