#include "commands/working_folder.h"

#include <filesystem>
#include <system_error>

std::string EnterFolderOf(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    std::filesystem::current_path(absolute.parent_path(),
                                  error);  // a missing folder is reported by the reader
    return absolute.string();
}
