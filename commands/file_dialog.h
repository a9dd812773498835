#pragma once
#include <string>
#include <vector>

#include "commands/file_filters.h"

/// Asks the user for an existing file. The window plugs in the toolkit's
/// file dialog; tests answer with the path they choose.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    /// Shows a dialog titled `title` listing the files of each of `filters`
    /// (the first chosen at the start) and all files, starting at `path`. On
    /// confirmation stores the chosen full path in `path` and returns true;
    /// on cancel leaves it unchanged.
    virtual bool PromptForFile(const std::string& title, const std::vector<FileFilter>& filters,
                               std::string& path) = 0;
};
