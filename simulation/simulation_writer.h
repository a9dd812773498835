#pragma once
#include <sys/types.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "configuration_fields.h"

/// The shortest text that reads back as exactly `value` (std::to_chars).
std::string FormatReal(double value);

/// The data file's bare name for configuration path `ovxPath`: its file
/// name with the final ".ovx" replaced by ".dat".
std::string DataFileNameFor(const std::string& ovxPath);

/// The configuration file's text: one labelled field a line, each value
/// after an "=" (the lists for bodies 1 to `bodyCount`), then the optional
/// lines that differ from what the reader assumes without them, so that
/// ReadConfiguration gives back `fields` (all but a mass problem, which is
/// no value to write).
std::string ConfigurationText(const ConfigurationFields& fields);

/// Writes a simulation's two files without ever leaving a partial one or
/// losing one it replaces: the rows go to a new temporary file beside the
/// data file, the configuration to another beside the configuration file,
/// and Commit renames both into place once both are complete. A writer
/// destroyed before Commit removes its temporary files, and so do SIGINT
/// and SIGTERM once InstallInterruptCleanup has run.
class SimulationWriter {
public:
    /// The system call that writes to a file descriptor, as write(2).
    using WriteCall = ssize_t (*)(int fd, const void* bytes, std::size_t count);

    /// `write` replaces write(2), for tests that make writing fail.
    explicit SimulationWriter(WriteCall write = nullptr);
    ~SimulationWriter();
    SimulationWriter(const SimulationWriter&) = delete;
    SimulationWriter& operator=(const SimulationWriter&) = delete;

    /// Prepares to write `ovxPath` (ending in ".ovx") and the data file
    /// beside it, named by DataFileNameFor. False, with the
    /// reason in `error`, when the temporary data file cannot be made.
    bool Open(const std::string& ovxPath, std::string& error);

    /// Appends one row: the time, then x and y of every body, shortest
    /// round-trip text, separated by spaces, one row a line.
    bool WriteRow(const double* values, std::size_t count, std::string& error);

    /// Writes the configuration and moves both files into place. False, with
    /// the system's reason in `error`, when a write, a close or a rename
    /// fails; then the folder is as it was before Open (a data file already
    /// replaced is put back).
    bool Commit(const ConfigurationFields& fields, std::string& error);

    /// The bare name of the data file, to put in the configuration.
    const std::string& dataFileName() const { return dataName_; }
    const std::string& dataPath() const { return dataPath_; }

private:
    /// A temporary file: its path, descriptor and interrupt-cleanup slot.
    struct Temporary {
        std::string path;
        int fd = -1;
        int slot = -1;
    };

    bool OpenTemporary(const std::string& target, Temporary& temp, std::string& error);
    bool WriteAll(int fd, std::string_view bytes, const std::string& target, std::string& error);
    bool CloseChecked(Temporary& temp, const std::string& target, std::string& error);
    bool MoveIntoPlace(std::string& error);
    void Remove(Temporary& temp);
    void Discard();

    WriteCall write_;
    std::string ovxPath_;
    std::string dataPath_;
    std::string dataName_;
    Temporary data_;
    Temporary ovx_;
    std::string buffer_;
    bool committed_ = false;
};
