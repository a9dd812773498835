#pragma once
#include <string>
#include <vector>

/// A kind of file the open dialogs list: its name, the patterns of its
/// file names and its media type on the desktop (empty for suffixes too
/// common to claim, such as .txt and .dat).
struct OpenedKind {
    const char* description;
    const char* patterns;
    const char* mediaType;
};

/// One filter of an open dialog: what it is called and its patterns.
struct FileFilter {
    std::string description;
    std::string patterns;
};

/// Every kind of file the program opens, in the order the dialogs list them.
const std::vector<OpenedKind>& OpenedKinds();

/// The filters of a dialog that opens anything the program reads: all of
/// it first, then each kind.
std::vector<FileFilter> OpenFilters();
