#pragma once
#include <string>

/// Opens a file in the user's editor. The window plugs in a real program;
/// tests a recorder.
class ExternalEditor {
public:
    virtual ~ExternalEditor() = default;
    /// Starts the editor on `path`, or with no file when `path` is empty.
    /// Returns false when no editor could be started.
    virtual bool Open(const std::string& path) = 0;
};
