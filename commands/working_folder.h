#pragma once
#include <string>

/// Makes `path` absolute and moves the process into its folder, as picking a
/// file in the file dialog does, so that a relative data file name in a
/// configuration is found beside it. Returns the absolute path.
std::string EnterFolderOf(const std::string& path);
