#pragma once
// The large table the benchmarks load: rows of a time 0.001 apart and 30
// bodies' places drawn at random within [-40, 40], written with 11
// significant digits until the file holds the megabytes asked, and the
// configuration that names it.

#include <cstdio>
#include <random>
#include <string>

inline constexpr int kBodies = 30;
inline constexpr int kColumns = 2 * kBodies + 1;

/// Writes about `megabytes` MB of rows to `path`; returns the rows written.
inline int WriteData(const std::string& path, double megabytes) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> coordinate(-40.0, 40.0);
    int rows = 0;
    while (std::ftell(out) < megabytes * 1e6) {
        std::fprintf(out, "%.10e", rows * 0.001);
        for (int c = 1; c < kColumns; ++c) std::fprintf(out, " %.10e", coordinate(random));
        std::fputc('\n', out);
        ++rows;
    }
    std::fclose(out);
    return rows;
}

/// Writes the classic configuration of `rows` rows of `data`, then the
/// optional lines `extra` (each ending in a new line).
inline void WriteConfig(const std::string& path, const std::string& data, int rows,
                        const std::string& extra = "") {
    std::FILE* out = std::fopen(path.c_str(), "w");
    std::fprintf(out, "data = %s\nlines = %d\nplanets = %d\nradii =", data.c_str(), rows, kBodies);
    for (int k = 0; k < kBodies; ++k) std::fprintf(out, " 2");
    std::fprintf(out, "\ncolours =");
    for (int k = 0; k < kBodies; ++k) std::fprintf(out, " %d", k % 14);
    std::fprintf(out,
                 "\nbox = -40 -40 40 40\ndelay = 1\nstep = 1\npoints = 100\nstart = 0\n"
                 "sun = 4\naxes = 1\nplanets = 1\norbits = 1\n");
    std::fputs(extra.c_str(), out);
    std::fclose(out);
}
