#include "load_progress.h"

#include "base/format.h"

std::string ProgressText(const LoadProgress& progress) {
    const double mb = 1e6;
    return Format("Loading data: %.0f of %.0f MB", double(progress.bytesRead.load()) / mb,
                  double(progress.fileBytes.load()) / mb);
}
