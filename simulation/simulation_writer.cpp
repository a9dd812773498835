#include "simulation_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <locale>
#include <random>
#include <sstream>

#include "base/colour_names.h"
#include "body_list.h"
#include "configuration_keys.h"
#include "interrupt_cleanup.h"
#include "output_file.h"
#include "table_plane.h"

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

std::string Reason(int error) { return error != 0 ? std::strerror(error) : "unknown error"; }

std::string CannotWrite(const std::string& target, int error) {
    return "cannot write " + target + ": " + Reason(error);
}

/// A new name beside `target`, as every output is made under.
std::string NameBeside(const std::string& target) { return NeighbourName(target); }

/// Gives the file at `path` a second, new name beside it, so that it can be
/// put back after something else has replaced it: a hard link, or where the
/// file system has none, the file itself moved aside. Empty when there is
/// no file (or a folder, which no rename replaces) at `path`; `error` holds
/// errno when it cannot be done.
std::string KeepAside(const std::string& path, int& error) {
    error = 0;
    struct stat status {};
    if (::lstat(path.c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return {};
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string aside = NameBeside(path);
        if (::link(path.c_str(), aside.c_str()) == 0) return aside;
        if (errno == ENOENT) return {};
        if (errno == EEXIST) continue;
        if (::access(aside.c_str(), F_OK) != 0 && ::rename(path.c_str(), aside.c_str()) == 0) return aside;
        if (errno == ENOENT) return {};
        break;
    }
    error = errno;
    return {};
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
    const int32_t bodies =
        std::clamp(f.bodyCount, 0, f.dataFormat == DataFormat::Table ? kMaxTableBodies : kMaxBodies);
    auto list = [&](const std::vector<int32_t>& values) {
        for (int32_t k = 1; k <= bodies; ++k)
            out << (k > 1 ? " " : "") << (std::size_t(k) < values.size() ? values[std::size_t(k)] : 0);
    };
    for (const ConfigField field : kConfigFields) {
        out << LabelOf(field) << " = ";
        switch (field) {
            case ConfigField::DataFile:
                out << f.dataPath;
                break;
            case ConfigField::LineCount:
                out << f.lineCount;
                break;
            case ConfigField::BodyCount:
                out << f.bodyCount;
                break;
            case ConfigField::BodySizes:
                list(f.bodySize);
                break;
            case ConfigField::ColourCodes:
                list(f.bodyColourCode);
                break;
            case ConfigField::Box:
                out << FormatReal(f.box[0]) << ' ' << FormatReal(f.box[1]) << ' ' << FormatReal(f.box[2])
                    << ' ' << FormatReal(f.box[3]);
                break;
            case ConfigField::FrameDelay:
                out << f.frameDelayMs;
                break;
            case ConfigField::Step:
                out << f.step;
                break;
            case ConfigField::TrailLength:
                out << f.pointsPerOrbit;
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
    if (!f.bodyNames.empty()) {
        out << kNamesKey << " =";
        for (const std::string& name : f.bodyNames) out << ' ' << name;
        out << '\n';
    }
    if (!f.timeUnit.empty()) out << kTimeUnitKey << " = " << f.timeUnit << '\n';
    if (!f.lengthUnit.empty()) out << kLengthUnitKey << " = " << f.lengthUnit << '\n';
    if (!f.plotTitle.empty()) out << kTitleKey << " = " << f.plotTitle << '\n';
    if (!f.shownBodies.empty()) out << kShownBodiesKey << " = " << BodyListText(f.shownBodies) << '\n';
    if (!f.bodyColours.empty()) {
        out << kColoursKey << " =";
        for (const ColourRef colour : f.bodyColours) out << ' ' << ColourText(colour);
        out << '\n';
    }
    if (!f.bodyMasses.empty()) {
        out << kMassesKey << " =";
        for (const double mass : f.bodyMasses) out << ' ' << FormatReal(mass);
        out << '\n';
    }
    if (f.sunMass != 1.0) out << kSunMassKey << " = " << FormatReal(f.sunMass) << '\n';
    if (f.gm) out << kGmKey << " = " << FormatReal(*f.gm) << '\n';
    if (f.dataFormat == DataFormat::Table) out << kDataFormatKey << " = " << kTableFormatValue << '\n';
    if (f.plane != ViewPlane()) out << kPlaneKey << " = " << ViewPlaneName(f.plane) << '\n';
    if (f.columns != TableColumns::Unsaid) out << kColumnsKey << " = " << TableColumnsName(f.columns) << '\n';
    if (f.equalAspect) out << kEqualAspectKey << " = 1\n";
    if (f.style) out << kStyleKey << " = " << ViewStyleName(*f.style) << '\n';
    if (f.trailMode) out << kTrailModeKey << " = " << TrailModeName(*f.trailMode) << '\n';
    return out.str();
}

SimulationWriter::SimulationWriter(WriteCall write) : write_(write ? write : ::write) {}

SimulationWriter::~SimulationWriter() {
    if (!committed_) Discard();
}

bool SimulationWriter::OpenTemporary(const std::string& target, Temporary& temp, std::string& error) {
    // Held so that no signal comes between making the file and registering it.
    SignalsHeld held;
    RemoveStaleNeighbours(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp.path = NameBeside(target);
        // O_EXCL: fails instead of opening a file that is already there.
        temp.fd = ::open(temp.path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (temp.fd >= 0) {
            temp.slot = RemoveOnInterrupt(temp.path);
            return true;
        }
        if (errno != EEXIST) break;
    }
    error = CannotWrite(target, errno);
    temp.path.clear();
    return false;
}

bool SimulationWriter::WriteAll(int fd, std::string_view bytes, const std::string& target,
                                std::string& error) {
    while (!bytes.empty()) {
        errno = 0;
        const ssize_t written = write_(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            // A write that takes nothing without an error means no room.
            error = CannotWrite(target, written == 0 && errno == 0 ? ENOSPC : errno);
            return false;
        }
        bytes.remove_prefix(std::size_t(written));
    }
    return true;
}

bool SimulationWriter::CloseChecked(Temporary& temp, const std::string& target, std::string& error) {
    const int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        error = CannotWrite(target, errno);
        return false;
    }
    return true;
}

void SimulationWriter::Remove(Temporary& temp) {
    if (temp.fd >= 0) ::close(temp.fd);
    temp.fd = -1;
    if (!temp.path.empty()) ::unlink(temp.path.c_str());
    ForgetOnInterrupt(temp.slot);
    temp = {};
}

void SimulationWriter::Discard() {
    Remove(data_);
    Remove(ovx_);
}

bool SimulationWriter::Open(const std::string& ovxPath, std::string& error) {
    Discard();
    committed_ = false;
    ovxPath_ = ovxPath;
    dataName_ = DataFileNameFor(ovxPath);
    dataPath_ = (std::filesystem::path(ovxPath).parent_path() / dataName_).string();
    buffer_.clear();
    buffer_.reserve(kBufferBytes + 1024);
    return OpenTemporary(dataPath_, data_, error);
}

bool SimulationWriter::WriteRow(const double* values, std::size_t count, std::string& error) {
    if (data_.fd < 0) {
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
    if (buffer_.size() < kBufferBytes) return true;
    const bool written = WriteAll(data_.fd, buffer_, dataPath_, error);
    buffer_.clear();
    return written;
}

bool SimulationWriter::Commit(const ConfigurationFields& fields, std::string& error) {
    if (data_.fd < 0) {
        error = "cannot write " + dataPath_ + ": not open";
        return false;
    }
    const bool dataWritten = WriteAll(data_.fd, buffer_, dataPath_, error);
    buffer_.clear();
    if (!dataWritten || !CloseChecked(data_, dataPath_, error)) return false;
    if (!OpenTemporary(ovxPath_, ovx_, error)) return false;
    if (!WriteAll(ovx_.fd, ConfigurationText(fields), ovxPath_, error) ||
        !CloseChecked(ovx_, ovxPath_, error))
        return false;
    if (!MoveIntoPlace(error)) return false;
    committed_ = true;
    return true;
}

bool SimulationWriter::MoveIntoPlace(std::string& error) {
    // Both renames or neither: no signal in between, and a data file this
    // replaces is kept aside until the configuration is in place.
    SignalsHeld held;
    int failure = 0;
    const std::string aside = KeepAside(dataPath_, failure);
    if (failure != 0) {
        error = CannotWrite(dataPath_, failure);
        return false;
    }
    if (::rename(data_.path.c_str(), dataPath_.c_str()) != 0) {
        error = CannotWrite(dataPath_, errno);
        if (!aside.empty() && ::access(dataPath_.c_str(), F_OK) != 0)
            ::rename(aside.c_str(), dataPath_.c_str());
        if (!aside.empty()) ::unlink(aside.c_str());
        return false;
    }
    ForgetOnInterrupt(data_.slot);
    data_ = {};
    if (::rename(ovx_.path.c_str(), ovxPath_.c_str()) != 0) {
        error = CannotWrite(ovxPath_, errno);
        if (aside.empty()) {
            ::unlink(dataPath_.c_str());
        } else {
            ::rename(aside.c_str(), dataPath_.c_str());
        }
        return false;
    }
    ForgetOnInterrupt(ovx_.slot);
    ovx_ = {};
    if (!aside.empty()) ::unlink(aside.c_str());
    return true;
}
