#include "row_shape.h"

#include <unistd.h>
#include <string_view>

#include "base/format.h"
#include "real_parser.h"
#include "real_scanner.h"

std::string RowShapeNote(std::string_view text, int32_t columns, std::size_t valuesRead) {
    std::size_t seen = 0;  // values on the lines before the current one
    int64_t perLine = -1;
    int lines = 0;
    std::string scratch;
    while (!text.empty() && seen < valuesRead) {
        const std::size_t eol = text.find('\n');
        if (eol == std::string_view::npos) break;  // the last line may be cut by the scan
        const std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol + 1);
        // Values as the loader reads them: numbers may run together.
        std::size_t count = 0;
        const char* p = line.data();
        const char* const end = line.data() + line.size();
        bool stops = false;  // the read stops on this line, past the values read
        while (!stops) {
            while (p < end && IsScanSpace(static_cast<unsigned char>(*p))) ++p;
            if (p >= end) break;
            double value = 0;
            p = ParseRealAt(p, end, value, scratch);
            stops = p == nullptr;
            ++count;
        }
        if (count == 0) continue;
        if (stops || seen + count > valuesRead) break;
        seen += count;
        if (perLine >= 0 && int64_t(count) != perLine) return {};
        perLine = int64_t(count);
        ++lines;
    }
    if (lines < 2 || perLine <= 1 || perLine == columns) return {};
    const int bodies = (columns - 1) / 2;
    return Format("Data lines hold %lld values; %d planet%s %d", static_cast<long long>(perLine), bodies,
                  bodies == 1 ? " needs" : "s need", columns);
}

std::string RowShapeNoteOfFile(int fd, int32_t columns, std::size_t valuesRead) {
    std::string text(kRowShapeScanBytes, '\0');
    std::size_t have = 0;
    while (have < text.size()) {
        const ssize_t n = ::pread(fd, text.data() + have, text.size() - have, off_t(have));
        if (n <= 0) break;
        have += std::size_t(n);
    }
    text.resize(have);
    return RowShapeNote(text, columns, valuesRead);
}
