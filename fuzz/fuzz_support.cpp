#include "fuzz_support.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

const std::string& FuzzFolder() {
    static const std::string folder = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "orbivex-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        std::filesystem::current_path(pattern);
        return pattern;
    }();
    return folder;
}

std::string WriteFuzzFile(const std::string& name, const uint8_t* data, std::size_t size) {
    const std::string path = FuzzFolder() + "/" + name;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) std::abort();
    if (size) std::fwrite(data, 1, size, out);
    std::fclose(out);
    return path;
}

void AppendToFile(const std::string& path, std::string_view piece) {
    std::FILE* out = std::fopen(path.c_str(), "ab");
    if (!out) std::abort();
    if (!piece.empty()) std::fwrite(piece.data(), 1, piece.size(), out);
    std::fclose(out);
}

bool SameValue(double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); }
