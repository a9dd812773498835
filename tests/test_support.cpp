#include "test_support.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "animation/simulation_state.h"
#include "simulation/trajectory_table.h"

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orbivex-test-XXXXXX").string();
    // A test without its folder would write into the current one and pass
    // or fail for the wrong reason: stop it here instead.
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder " + pattern + ": " + std::strerror(errno));
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& content) const {
    const std::string full = path_ + "/" + name;
    std::ofstream out(full, std::ios::binary);
    out << content;
    if (!out.flush()) throw std::runtime_error("cannot write " + full);
    return full;
}

std::string ConfigText(const std::string& dataName, int lines, int bodies, int step, int points, int start,
                       const std::string& box) {
    std::ostringstream out;
    out << "data file = " << dataName << "\nlines = " << lines << "\nplanets = " << bodies << "\nradii =";
    for (int k = 1; k <= bodies; ++k) out << ' ' << (k % 5 + 1);
    out << "\ncolours =";
    for (int k = 1; k <= bodies; ++k) out << ' ' << k % 14;
    out << "\nbox = " << box << "\ndelay = 20\nstep = " << step << "\npoints = " << points
        << "\nstart = " << start << "\nsun = 6\naxes = 1\nplanets = 1\norbits = 1\n";
    return out.str();
}

void LoadOneBody(SimulationState& s, const std::vector<double>& times, int trail) {
    s.loaded().fields.lineCount = int32_t(times.size());
    s.loaded().fields.bodyCount = 1;
    s.loaded().columnCount = 3;
    s.loaded().rows = AllocateTable(s.loaded().fields.lineCount, 3);
    for (int32_t r = 0; r < s.loaded().fields.lineCount; ++r) {
        s.loaded().rows->set(r, 0, times[std::size_t(r)]);
        s.loaded().rows->set(r, 1, 0.01 * r);
        s.loaded().rows->set(r, 2, 0);
    }
    s.view.trailLength = trail;
    s.loaded().dataLoaded = 1;
}

std::string DataText(int rows, int bodies) {
    std::ostringstream out;
    for (int r = 0; r < rows; ++r) {
        out << r;
        for (int k = 1; k <= bodies; ++k) out << ' ' << r + k / 10.0 << ' ' << -r - k / 10.0;
        out << '\n';
    }
    return out.str();
}

std::string EveryOtherRowWider(const std::string& text, double scale) {
    std::istringstream rows(text);
    std::string line, every;
    for (int r = 0; std::getline(rows, line); ++r) {
        if (r % 2) continue;
        std::istringstream values(line);
        double v = 0;
        values >> v;
        every += std::to_string(v);
        while (values >> v) every += " " + std::to_string(v * scale);
        every += "\n";
    }
    return every;
}

long StatusKiB(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string name;
    long value = -1;
    while (status >> name && name != field) status.ignore(1 << 10, '\n');
    status >> value;
    return value;
}

bool ResetPeakMemory() {
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5" << std::flush;
    return bool(reset);
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}
