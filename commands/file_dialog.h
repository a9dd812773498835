#pragma once
#include <string>

/// Asks the user for an existing file. The window plugs in the toolkit's
/// file dialog; tests answer with the path they choose.
class FileDialog {
public:
    virtual ~FileDialog() = default;
    /// Shows a dialog titled `title` listing `description` files (`pattern`)
    /// and all files, starting at `path`. On confirmation stores the chosen
    /// full path in `path` and returns true; on cancel leaves it unchanged.
    virtual bool PromptForFile(const std::string& title, const std::string& description,
                               const std::string& pattern, std::string& path) = 0;
};
