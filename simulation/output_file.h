#pragma once
// The one way the program writes a file: pictures, frames, videos, pages,
// series, configurations and the data files beside them.
#include <string>
#include <string_view>
#include <vector>

/// "Cannot write PATH: REASON".
std::string CannotWriteMessage(const std::string& path, const std::string& reason);
/// The same with the system's text for `error` (an errno value) as the reason.
std::string CannotWriteMessage(const std::string& path, int error);

/// The hidden name beside `target` that a file is made under before it is
/// renamed into place: ".NAME.PID-RANDOM.part", NAME cut to keep the whole
/// within a file name's length. The process number lets a later write tell
/// a neighbour left by a killed process from one still being written.
std::string NeighbourName(const std::string& target);

/// Removes the neighbours of `target` (NeighbourName) that a process left
/// when it was killed: its own user's regular files whose process is gone
/// and that nothing has written to for a minute.
void RemoveStaleNeighbours(const std::string& target);

/// Why `path` may not be written because it is one of the files `kept`
/// (the data files loaded), by device and inode, whatever the spelling or
/// link that leads there; empty when it is none of them.
std::string KeptFileProblem(const std::string& path, const std::vector<std::string>& kept);

/// A file written under a neighbour name of its destination and put in place
/// by a rename when complete, so a failure leaves no file, the old one stays,
/// and a reader never sees half of one. The neighbour is made exclusively
/// (never an existing name, never through a link) and removed by SIGINT and
/// SIGTERM once InstallInterruptCleanup has run; a link at the destination is
/// replaced, not followed; anything there that is neither a file nor a link
/// (a FIFO, a device, a folder) is refused before anything is written, and
/// so is a destination that is one of the files `kept`.
class OutputFile {
public:
    explicit OutputFile(std::string path, std::vector<std::string> kept = {});
    ~OutputFile();  ///< removes the neighbour unless it was put in place
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    /// Makes the neighbour file; returns an error text, empty on success.
    std::string Open();
    /// The open neighbour's descriptor (close-on-exec), -1 when none is open.
    int descriptor() const { return fd_; }
    /// Writes all of `bytes` at the end of what was written; an error text,
    /// after which the neighbour is gone.
    std::string Write(std::string_view bytes);
    /// Closes the neighbour and renames it over the destination; an error
    /// text, after which the neighbour is gone.
    std::string Commit();
    /// Closes and removes the neighbour.
    void Discard();

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::vector<std::string> kept_;
    std::string partial_;  ///< the neighbour's name
    int fd_ = -1;
    int slot_ = -1;  ///< its interrupt-cleanup slot
    int mode_ = -1;  ///< the permissions of the file replaced, -1 when there was none
};

/// Writes `bytes` as the whole of the file `path` through an OutputFile;
/// returns an error text, empty on success.
std::string WriteOutputFile(const std::string& path, std::string_view bytes,
                            const std::vector<std::string>& kept = {});
