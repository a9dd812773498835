#include "configuration_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

#include "base/colour_names.h"
#include "base/format.h"
#include "body_list.h"
#include "config_scanner.h"
#include "configuration_keys.h"
#include "file_access.h"
#include "host.h"
#include "loaded_simulation.h"
#include "number_text.h"
#include "shown_text.h"
#include "table_palette.h"
#include "table_plane.h"
#include "world_box.h"

ColourRef BodyColourTable(int code) {
    static constexpr std::array<ColourRef, 14> kColours = {
        0x000000, 0x00468C, 0x00A0A0, 0x0000A0, 0x007800, 0xB40000, 0x00F0F0,
        0x8C8C8C, 0x006EDC, 0x00C8C8, 0x0000F0, 0x00F000, 0xF00000, 0xA000A0,
    };
    if (code < 0 || code >= int(kColours.size())) return 0xC8C8C8;
    return kColours[std::size_t(code)];
}

ColourRef TableBodyColour(int32_t code) {
    const int64_t index = int64_t(code) - kTablePaletteFirstCode;
    if (index >= 0 && index < int64_t(kTablePaletteColours.size()))
        return kTablePaletteColours[std::size_t(index)];
    return BodyColourTable(code);
}

void ResolveBodyColours(LoadedSimulation& loaded) {
    const ConfigurationFields& f = loaded.fields;
    const int32_t bodies =
        std::clamp(f.bodyCount, 0, std::min(kMaxTableBodies, int32_t(f.bodyColourCode.size()) - 1));
    loaded.bodyColour.assign(BodySlotsFor(bodies), 0);
    for (int32_t k = 1; k <= bodies; ++k)
        loaded.bodyColour[std::size_t(k)] =
            std::size_t(k) <= f.bodyColours.size() ? f.bodyColours[std::size_t(k - 1)]
            : f.dataFormat == DataFormat::Table    ? TableBodyColour(f.bodyColourCode[std::size_t(k)])
                                                   : BodyColourTable(f.bodyColourCode[std::size_t(k)]);
}

namespace {

constexpr const char* kTooManyBodies = "Too many Planets !";

/// Reads `count` integers into slots 1.. of `slots`, which hold them. The
/// list fails at its first value that is not a number: the slots before it
/// keep what was read, the rest what they held, and no later value is taken
/// for a body's.
bool ReadBodyList(ConfigScanner& in, std::vector<int32_t>& slots, int32_t count) {
    for (int32_t k = 1; k <= count; ++k)
        if (!in.ReadInt(slots[std::size_t(k)])) return false;
    return true;
}

/// Reads one field's value, which follows the next "=".
ConfigResult ReadField(ConfigField field, ConfigScanner& in, ConfigurationFields& s, Host& host) {
    in.SkipToEquals();
    switch (field) {
        case ConfigField::DataFile:
            in.ReadWord(s.dataPath);  // outcome not tested: a missing name keeps the old one
            break;
        case ConfigField::LineCount:
            if (!in.ReadInt(s.lineCount)) return ConfigResult::BadLineCount;
            break;
        case ConfigField::BodyCount:
            if (!in.ReadInt(s.bodyCount) || s.bodyCount < 0) return ConfigResult::BadBodyCount;
            if (s.bodyCount > kMaxTableBodies) {
                host.messageBox(kTooManyBodies);
                return ConfigResult::BadBodyCount;
            }
            s.sizeBodyLists(s.bodyCount);
            break;
        case ConfigField::BodySizes:
            if (!ReadBodyList(in, s.bodySize, s.bodyCount)) return ConfigResult::BadBodySizes;
            break;
        case ConfigField::ColourCodes:
            if (!ReadBodyList(in, s.bodyColourCode, s.bodyCount)) return ConfigResult::BadColourCodes;
            break;
        case ConfigField::Box:
            for (double& v : s.box)
                if (!in.ReadReal(v)) return ConfigResult::BadBox;
            // A box that cannot be mapped would give a picture of nothing.
            if (const std::string why = WorldBoxProblem(s.box); !why.empty()) {
                host.messageBox(
                    Format("The box %s %s %s %s cannot be shown: %s", FormatRealText(s.box[0], 17).c_str(),
                           FormatRealText(s.box[1], 17).c_str(), FormatRealText(s.box[2], 17).c_str(),
                           FormatRealText(s.box[3], 17).c_str(), why.c_str()));
                return ConfigResult::BadBox;
            }
            break;
        case ConfigField::FrameDelay:
            if (!in.ReadInt(s.frameDelayMs)) return ConfigResult::BadDelayOrStep;
            break;
        case ConfigField::Step:
            if (!in.ReadInt(s.step)) return ConfigResult::BadDelayOrStep;
            if (s.step < 1 || s.step > s.lineCount) s.step = 1;
            break;
        case ConfigField::TrailLength:
            if (!in.ReadInt(s.pointsPerOrbit)) return ConfigResult::BadTrailLength;
            break;
        case ConfigField::StartRow:
            if (!in.ReadInt(s.startRow)) return ConfigResult::BadStartRow;
            if (s.startRow >= s.lineCount || s.startRow < 0) s.startRow = 0;
            break;
        case ConfigField::SunSize:
            if (!in.ReadInt(s.sunSize)) return ConfigResult::BadSwitch;
            break;
        case ConfigField::DrawAxes:
            if (!in.ReadInt(s.drawAxes)) return ConfigResult::BadSwitch;
            break;
        case ConfigField::DrawPlanets:
            if (!in.ReadInt(s.drawPlanets)) return ConfigResult::BadSwitch;
            break;
        case ConfigField::DrawOrbits:
            if (!in.ReadInt(s.drawOrbits)) return ConfigResult::BadSwitch;
            break;
    }
    return ConfigResult::Ok;
}

/// Says nothing: what the fields read after a count above the classic
/// limit hear, since their messages count only for a table configuration.
class SilentHost : public Host {
public:
    Answer messageBox(const std::string&, Buttons, Icon) override { return Answer::Ok; }
    void setBusyCursor(bool) override {}
    void note(const std::string&) override {}
};

/// Reads the fields in file order, stopping at the first that fails. A body
/// count above the classic limit but within a table's is read on, quietly,
/// since only the optional lines can tell a table configuration; `refused`
/// then keeps the fields as they stood after the count.
ConfigResult ReadFields(ConfigScanner& in, ConfigurationFields& s, Host& host,
                        std::optional<ConfigurationFields>& refused) {
    SilentHost silent;
    for (const ConfigField field : kConfigFields) {
        const ConfigResult result = ReadField(field, in, s, refused ? silent : host);
        if (result != ConfigResult::Ok) return result;
        if (field == ConfigField::BodyCount && s.bodyCount > kMaxBodies) refused = s;
    }
    return ConfigResult::Ok;
}

std::string Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\f\v");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\f\v");
    return std::string(text.substr(first, last - first + 1));
}

std::string LowerCase(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

/// A mass: a decimal number of 0 or more.
std::optional<double> ReadMass(std::string_view text) {
    const std::optional<double> mass = ParseFiniteText(text, {.grammar = RealGrammar::Decimal});
    return mass && *mass >= 0 ? mass : std::nullopt;
}

}  // namespace

void ReadMassesLine(const std::string& value, ConfigurationFields& s) {
    s.bodyMasses.clear();
    std::istringstream words(value);
    for (std::string word; words >> word;) {
        const std::optional<double> mass = ReadMass(word);
        if (!mass) {
            s.bodyMasses.clear();
            s.massProblem = "masses: '" + ShownText(word) + "' is not a mass (a number of 0 or more)";
            return;
        }
        s.bodyMasses.push_back(*mass);
    }
}

void ReadSunMassLine(const std::string& value, ConfigurationFields& s) {
    const std::optional<double> mass = ReadMass(Trimmed(value));
    if (mass)
        s.sunMass = *mass;
    else
        s.massProblem = "sun mass: '" + ShownText(Trimmed(value)) + "' is not a mass (a number of 0 or more)";
}

namespace {

/// Takes the optional lines after the fields (names, units, title),
/// recognised by the text before the "=" (case and surrounding blanks do not
/// matter). Other lines are ignored.
void ReadOptionalLines(ConfigScanner& in, ConfigurationFields& s) {
    std::string line;
    in.ReadLine(line);  // what follows the last field on its line
    while (in.ReadLine(line)) {
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = LowerCase(Trimmed(std::string_view(line).substr(0, equals)));
        const std::string value = Trimmed(std::string_view(line).substr(equals + 1));
        if (key == kNamesKey) {
            s.bodyNames.clear();
            std::istringstream words(value);
            for (std::string word; words >> word;) s.bodyNames.push_back(ShownText(word));
        } else if (key == kTimeUnitKey) {
            s.timeUnit = ShownText(value);
        } else if (key == kLengthUnitKey) {
            s.lengthUnit = ShownText(value);
        } else if (key == kColoursKey) {
            // The colours up to the first word that is none.
            s.bodyColours.clear();
            std::istringstream words(value);
            for (std::string word; words >> word;) {
                const std::optional<ColourRef> colour = ParseColour(word);
                if (!colour) break;
                s.bodyColours.push_back(*colour);
            }
        } else if (key == kShownBodiesKey) {
            std::string problem;
            s.shownBodies = ParseBodyList(value, problem).value_or(std::vector<int32_t>{});
        } else if (key == kTitleKey) {
            s.plotTitle = ShownText(value);
        } else if (key == kDataFormatKey) {
            s.dataFormat = LowerCase(value) == kTableFormatValue ? DataFormat::Table : DataFormat::Stream;
        } else if (key == kPlaneKey) {
            if (const std::optional<ViewPlane> plane = ParseViewPlane(LowerCase(value))) s.plane = *plane;
        } else if (key == kColumnsKey) {
            ParseTableColumns(LowerCase(value), s.columns);
        } else if (key == kEqualAspectKey) {
            s.equalAspect = value == "1";
        } else if (key == kStyleKey) {
            if (const auto style = ViewStyleNamed(LowerCase(value))) s.style = style;
        } else if (key == kTrailModeKey) {
            if (const auto mode = TrailModeNamed(LowerCase(value))) s.trailMode = mode;
        } else if (key == kMassesKey) {
            ReadMassesLine(value, s);
        } else if (key == kGmKey) {
            // Anything but a number above 0 leaves it unsaid.
            const std::optional<double> gm = ReadMass(value);
            s.gm = gm && *gm > 0 ? gm : std::nullopt;
        } else if (key == kSunMassKey) {
            ReadSunMassLine(value, s);
        }
    }
}

}  // namespace

ConfigResult ReadConfigurationFrom(std::FILE* file, ConfigurationFields& fields, Host& host) {
    ConfigScanner in(file);
    fields = ConfigurationFields{};
    std::optional<ConfigurationFields> refused;
    const ConfigResult result = ReadFields(in, fields, host, refused);
    if (result == ConfigResult::Ok) ReadOptionalLines(in, fields);
    // More bodies than a classic configuration may have are refused, as
    // at the count, unless the file reads whole as a table configuration.
    if (refused && (result != ConfigResult::Ok || fields.dataFormat != DataFormat::Table)) {
        fields = std::move(*refused);
        host.messageBox(kTooManyBodies);
        return ConfigResult::BadBodyCount;
    }
    return result;
}

ConfigResult ReadConfiguration(ConfigurationFields& fields, Host& host, const std::string& path) {
    std::FILE* file = OpenRegularFileStream(path);
    if (!file) {
        host.messageBox(Format("Config File %s is not found", path.c_str()));
        return ConfigResult::NotFound;
    }
    const ConfigResult result = ReadConfigurationFrom(file, fields, host);
    std::fclose(file);
    return result;
}

std::string SimulationTitle(int bodyCount) { return Format("%d planet simulation", bodyCount); }
