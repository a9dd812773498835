#include "configuration_reader.h"

#include <array>

#include "config_scanner.h"
#include "file_access.h"
#include "host.h"
#include "plot/plot_box.h"
#include "simulation_state.h"

ColourRef BodyColourTable(int code) {
    static constexpr std::array<ColourRef, 14> kColours = {
        0x000000, 0x00468C, 0x00A0A0, 0x0000A0, 0x007800, 0xB40000, 0x00F0F0,
        0x8C8C8C, 0x006EDC, 0x00C8C8, 0x0000F0, 0x00F000, 0xF00000, 0xA000A0,
    };
    if (code < 0 || code >= int(kColours.size())) return 0xC8C8C8;
    return kColours[std::size_t(code)];
}

void ResolveBodyColours(SimulationState& state) {
    state.bodyColour.fill(0);
    for (int k = 1; k <= state.bodyCount && k <= kMaxBodies; ++k)
        state.bodyColour[k] = BodyColourTable(state.bodyColourCode[k]);
}

namespace {

/// Reads `count` integers into slots 1.. of `slots`; the list succeeds when
/// its last read does, as a run of "%d" reads would.
bool ReadBodyList(ConfigScanner& in, std::array<int32_t, kBodySlots>& slots, int32_t count) {
    bool ok = true;
    for (int32_t k = 1; k <= count; ++k) {
        ok = in.ReadInt(slots[std::size_t(k)]);
        if (!ok) return false;
    }
    return ok;
}

int ReadFields(ConfigScanner& in, SimulationState& s, PlotBox& plot, Host& host) {
    in.SkipToEquals();
    in.ReadWord(s.dataPath);  // outcome not tested: a missing name keeps the old one

    in.SkipToEquals();
    if (!in.ReadInt(s.lineCount)) return -2;

    in.SkipToEquals();
    if (!in.ReadInt(s.bodyCount) || s.bodyCount < 0) return -3;
    if (s.bodyCount > kMaxBodies) {
        host.messageBox("Too many Planets !");
        return -3;
    }

    in.SkipToEquals();
    if (!ReadBodyList(in, s.bodySize, s.bodyCount)) return -4;
    in.SkipToEquals();
    if (!ReadBodyList(in, s.bodyColourCode, s.bodyCount)) return -5;
    ResolveBodyColours(s);

    in.SkipToEquals();
    for (double& v : s.configBox)
        if (!in.ReadReal(v)) return -6;

    in.SkipToEquals();
    if (!in.ReadInt(s.frameDelayMs)) return -8;
    in.SkipToEquals();
    if (!in.ReadInt(s.step)) return -8;
    if (s.step < 1 || s.step > s.lineCount) s.step = 1;

    in.SkipToEquals();
    if (!in.ReadInt(s.pointsPerOrbit)) return -9;
    in.SkipToEquals();
    if (!in.ReadInt(s.startRow)) return -10;
    if (s.startRow >= s.lineCount || s.startRow < 0) s.startRow = 0;

    for (int32_t* field : {&s.sunSize, &s.drawAxes, &s.drawPlanets, &s.drawOrbits}) {
        in.SkipToEquals();
        if (!in.ReadInt(*field)) return -11;
    }

    plot.title = Format("%d planet simulation", s.bodyCount);
    plot.SetBox(s.configBox[0], s.configBox[1], s.configBox[2], s.configBox[3]);
    return 0;
}

}  // namespace

int ReadConfigurationFrom(std::FILE* file, SimulationState& state, PlotBox& plot, Host& host) {
    ConfigScanner in(file);
    return ReadFields(in, state, plot, host);
}

int ReadConfiguration(SimulationState& state, PlotBox& plot, Host& host, const std::string& path) {
    std::FILE* file = OpenRegularFileStream(path);
    if (!file) {
        host.messageBox(Format("Config File %s is not found", path.c_str()));
        return -1;
    }
    const int code = ReadConfigurationFrom(file, state, plot, host);
    std::fclose(file);
    return code;
}
