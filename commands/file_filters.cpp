#include "commands/file_filters.h"

const std::vector<OpenedKind>& OpenedKinds() {
    static const std::vector<OpenedKind> kinds = {
        {"orbivex files", "*.ovx", "application/x-orbivex-config"},
        {"comma-separated tables", "*.csv", "text/csv"},
        {"tab-separated tables", "*.tsv", "text/tab-separated-values"},
        {"text tables", "*.txt *.dat", ""},
    };
    return kinds;
}

std::vector<FileFilter> OpenFilters() {
    std::vector<FileFilter> filters{{"everything orbivex opens", ""}};
    for (const OpenedKind& kind : OpenedKinds()) {
        filters[0].patterns += (filters[0].patterns.empty() ? "" : " ") + std::string(kind.patterns);
        filters.push_back({kind.description, kind.patterns});
    }
    return filters;
}
