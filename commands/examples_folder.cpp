#include "commands/examples_folder.h"

#include <filesystem>
#include <system_error>

std::string ExamplesFolder(const std::string& programFolder) {
    const std::filesystem::path installed =
        (std::filesystem::path(programFolder) / ORBIVEX_EXAMPLES_FROM_PROGRAM).lexically_normal();
    std::error_code error;
    if (std::filesystem::is_directory(installed, error)) return installed.string();
    return ORBIVEX_EXAMPLES_SOURCE;
}
