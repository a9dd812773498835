// The loads the data reader is measured against, each run as a fresh
// process by data_reader_bench, and the memory churn run before each load:
//
//   baseline_loader fscanf FILE COUNT           COUNT values with fscanf("%lf")
//   baseline_loader fast_float FILE COUNT       the same with fast_float over mmap, one thread
//   baseline_loader fscanf-csv FILE COUNT       fscanf("%lf%*[,]") over comma-separated lines
//                                               after a header line
//   baseline_loader fast_float-csv FILE COUNT   fast_float over the same, commas skipped as blanks
//   baseline_loader churn MEGABYTES             touches and frees that much memory
//
// A load prints its seconds on standard output and a checksum of the values
// on standard error.

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fast_float/fast_float.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::size_t WithFscanf(const char* path, double* out, std::size_t count) {
    std::FILE* in = std::fopen(path, "r");
    if (!in) return 0;
    std::size_t i = 0;
    while (i < count && std::fscanf(in, "%lf", &out[i]) == 1) ++i;
    std::fclose(in);
    return i;
}

/// Reads a comma-separated table: the header line is skipped, then each
/// value is read with the commas after it.
std::size_t WithFscanfCsv(const char* path, double* out, std::size_t count) {
    std::FILE* in = std::fopen(path, "r");
    if (!in) return 0;
    if (std::fscanf(in, "%*[^\n]") == EOF) {
        std::fclose(in);
        return 0;
    }
    std::size_t i = 0;
    while (i < count && std::fscanf(in, "%lf%*[,]", &out[i]) == 1) ++i;
    std::fclose(in);
    return i;
}

/// With `csv`, the first line (the header) is skipped and commas part the
/// values as blanks and line ends do.
std::size_t WithFastFloat(const char* path, double* out, std::size_t count, bool csv) {
    const int fd = ::open(path, O_RDONLY);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) return 0;
    const std::size_t size = std::size_t(info.st_size);
    void* map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return 0;
    const char* p = static_cast<const char*>(map);
    const char* const end = p + size;
    if (csv) {
        p = static_cast<const char*>(std::memchr(p, '\n', size));
        p = p ? p + 1 : end;
    }
    std::size_t i = 0;
    while (i < count) {
        while (p < end && (IsSpace(*p) || (csv && *p == ','))) ++p;
        if (p < end && *p == '+') ++p;
        const auto result = fast_float::from_chars(p, end, out[i]);
        if (result.ec != std::errc()) break;
        p = result.ptr;
        ++i;
    }
    ::munmap(map, size);
    return i;
}

/// Touches `megabytes` of fresh memory page by page and frees it, leaving
/// the machine's free memory as a program that just ran leaves it.
int Churn(double megabytes) {
    const std::size_t bytes = std::size_t(megabytes * 1e6);
    std::unique_ptr<char[]> block(new char[bytes]);
    for (std::size_t i = 0; i < bytes; i += 4096) block[i] = char(i);
    volatile char sink = block[bytes / 2];
    (void)sink;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "churn") == 0) return Churn(std::atof(argv[2]));
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: baseline_loader fscanf|fast_float|fscanf-csv|fast_float-csv FILE COUNT | churn "
                     "MEGABYTES\n");
        return 2;
    }
    const std::string mode = argv[1];
    if (mode != "fscanf" && mode != "fast_float" && mode != "fscanf-csv" && mode != "fast_float-csv") {
        std::fprintf(stderr, "unknown load %s\n", argv[1]);
        return 2;
    }
    const std::size_t count = std::strtoull(argv[3], nullptr, 10);
    const auto start = std::chrono::steady_clock::now();
    std::unique_ptr<double[]> table(new double[count]);
    const bool csv = mode.ends_with("-csv");
    const std::size_t got = mode == "fscanf"       ? WithFscanf(argv[2], table.get(), count)
                            : mode == "fscanf-csv" ? WithFscanfCsv(argv[2], table.get(), count)
                                                   : WithFastFloat(argv[2], table.get(), count, csv);
    const double seconds = Seconds(start);
    double sum = 0;
    for (std::size_t i = 0; i < got; ++i) sum += table[i];
    std::printf("%.6f\n", seconds);
    std::fprintf(stderr, "%zu values, sum %.17g\n", got, sum);
    return got == count ? 0 : 1;
}
