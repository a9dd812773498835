#include "tools/simulation_writer.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <locale>
#include <random>
#include <sstream>

#include "simulation/configuration_keys.h"

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

std::string Reason() { return errno != 0 ? std::strerror(errno) : "unknown error"; }

/// Opens a new file with a random name beside `target` (".NAME.tmp-XXXXXXXX"),
/// never one that exists. Null, with the reason in `error`, on failure.
std::FILE* OpenTemporary(const std::string& target, std::string& tempPath, std::string& error) {
    const std::filesystem::path path(target);
    static std::mt19937_64 random{std::random_device{}()};
    for (int attempt = 0; attempt < 100; ++attempt) {
        char suffix[17];
        const auto [end, ec] = std::to_chars(suffix, suffix + 16, random(), 16);
        *end = '\0';
        tempPath = (path.parent_path() / ("." + path.filename().string() + ".tmp-" + suffix)).string();
        errno = 0;
        // "x": fails instead of opening a file that is already there.
        if (std::FILE* file = std::fopen(tempPath.c_str(), "wx")) return file;
        if (errno != EEXIST) break;
    }
    error = "cannot write " + target + ": " + Reason();
    tempPath.clear();
    return nullptr;
}

/// Closes `file` and reports whether everything written reached the system.
bool CloseChecked(std::FILE*& file) {
    errno = 0;
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
    ok = std::fclose(file) == 0 && ok;
    file = nullptr;
    return ok;
}

void RemoveQuietly(const std::string& path) {
    if (path.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
}

}  // namespace

std::string FormatReal(double value) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return std::string(text, end);
}

std::string DataFileNameFor(const std::string& ovxPath) {
    std::string bare = std::filesystem::path(ovxPath).filename().string();
    if (bare.size() >= 4 && bare.compare(bare.size() - 4, 4, ".ovx") == 0) bare.resize(bare.size() - 4);
    return bare + ".dat";
}

std::string ConfigurationText(const ConfigurationFields& f) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    auto list = [&](const std::vector<int32_t>& values) {
        for (std::size_t k = 0; k < values.size(); ++k) out << (k ? " " : "") << values[k];
    };
    for (const ConfigField field : kConfigFields) {
        out << LabelOf(field) << " = ";
        switch (field) {
            case ConfigField::DataFile:
                out << f.dataFile;
                break;
            case ConfigField::LineCount:
                out << f.rows;
                break;
            case ConfigField::BodyCount:
                out << f.bodies;
                break;
            case ConfigField::BodySizes:
                list(f.sizes);
                break;
            case ConfigField::ColourCodes:
                list(f.colours);
                break;
            case ConfigField::Box:
                out << FormatReal(f.box[0]) << ' ' << FormatReal(f.box[1]) << ' ' << FormatReal(f.box[2])
                    << ' ' << FormatReal(f.box[3]);
                break;
            case ConfigField::FrameDelay:
                out << f.delayMs;
                break;
            case ConfigField::Step:
                out << f.step;
                break;
            case ConfigField::TrailLength:
                out << f.trail;
                break;
            case ConfigField::StartRow:
                out << f.startRow;
                break;
            case ConfigField::SunSize:
                out << f.sunSize;
                break;
            case ConfigField::DrawAxes:
                out << f.drawAxes;
                break;
            case ConfigField::DrawPlanets:
                out << f.drawPlanets;
                break;
            case ConfigField::DrawOrbits:
                out << f.drawOrbits;
                break;
        }
        out << '\n';
    }
    if (!f.names.empty()) {
        out << kNamesKey << " =";
        for (const std::string& name : f.names) out << ' ' << name;
        out << '\n';
    }
    if (!f.timeUnit.empty()) out << kTimeUnitKey << " = " << f.timeUnit << '\n';
    if (!f.lengthUnit.empty()) out << kLengthUnitKey << " = " << f.lengthUnit << '\n';
    if (!f.title.empty()) out << kTitleKey << " = " << f.title << '\n';
    return out.str();
}

SimulationWriter::~SimulationWriter() {
    if (!committed_) Discard();
}

void SimulationWriter::Discard() {
    if (data_) {
        std::fclose(data_);
        data_ = nullptr;
    }
    RemoveQuietly(dataTemp_);
    RemoveQuietly(ovxTemp_);
    dataTemp_.clear();
    ovxTemp_.clear();
}

bool SimulationWriter::Open(const std::string& ovxPath, std::string& error) {
    Discard();
    committed_ = false;
    ovxPath_ = ovxPath;
    dataName_ = DataFileNameFor(ovxPath);
    dataPath_ = (std::filesystem::path(ovxPath).parent_path() / dataName_).string();
    data_ = OpenTemporary(dataPath_, dataTemp_, error);
    buffer_.clear();
    buffer_.reserve(kBufferBytes + 1024);
    return data_ != nullptr;
}

bool SimulationWriter::FlushBuffer(std::string& error) {
    errno = 0;
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), data_) != buffer_.size()) {
        error = "cannot write " + dataPath_ + ": " + Reason();
        return false;
    }
    buffer_.clear();
    return true;
}

bool SimulationWriter::WriteRow(const double* values, std::size_t count, std::string& error) {
    if (!data_) {
        error = "cannot write " + dataPath_ + ": not open";
        return false;
    }
    char text[32];
    for (std::size_t k = 0; k < count; ++k) {
        if (k) buffer_.push_back(' ');
        const auto [end, ec] = std::to_chars(text, text + sizeof text, values[k]);
        buffer_.append(text, end);
    }
    buffer_.push_back('\n');
    return buffer_.size() < kBufferBytes || FlushBuffer(error);
}

bool SimulationWriter::Commit(const ConfigurationFields& fields, std::string& error) {
    if (!data_) {
        error = "cannot write " + dataPath_ + ": not open";
        return false;
    }
    if (!FlushBuffer(error)) return false;
    if (!CloseChecked(data_)) {
        error = "cannot write " + dataPath_ + ": " + Reason();
        return false;
    }
    std::FILE* config = OpenTemporary(ovxPath_, ovxTemp_, error);
    if (!config) return false;
    const std::string text = ConfigurationText(fields);
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), config) == text.size();
    if (!CloseChecked(config) || !written) {
        error = "cannot write " + ovxPath_ + ": " + Reason();
        return false;
    }
    std::error_code failure;
    std::filesystem::rename(dataTemp_, dataPath_, failure);
    if (failure) {
        error = "cannot write " + dataPath_ + ": " + failure.message();
        return false;
    }
    dataTemp_.clear();
    std::filesystem::rename(ovxTemp_, ovxPath_, failure);
    if (failure) {
        error = "cannot write " + ovxPath_ + ": " + failure.message();
        RemoveQuietly(dataPath_);
        return false;
    }
    ovxTemp_.clear();
    committed_ = true;
    return true;
}
