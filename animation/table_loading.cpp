#include "animation/table_loading.h"

#include <filesystem>

#include "animation/simulation_loading.h"
#include "animation/simulation_state.h"
#include "base/format.h"
#include "plot/plot_box.h"
#include "simulation/data_reader.h"
#include "simulation/file_access.h"
#include "simulation/host.h"
#include "simulation/table_inference.h"

bool IsTableFile(const std::string& path) { return KindOfFile(path) == FileKind::Table; }

FileKind KindOfFile(const std::string& path) {
    bool whole = false;
    const std::string head = ReadFileHead(path, kTableHeadBytes, whole);
    const std::string_view complete =
        whole ? std::string_view(head) : std::string_view(head).substr(0, head.rfind('\n') + 1);
    // A head without a line end, as of one endless number, goes to the
    // table reader, which says what is wrong with it.
    if (LooksLikeTable(complete.empty() && !whole ? std::string_view(head) : complete))
        return FileKind::Table;
    const std::string name = std::filesystem::path(path).extension().string();
    const bool namedOvx =
        name.size() == 4 && (name[1] | 0x20) == 'o' && (name[2] | 0x20) == 'v' && (name[3] | 0x20) == 'x';
    const bool text = head.find('\0') == std::string::npos;
    if ((namedOvx && std::filesystem::is_regular_file(path)) || (text && head.find('=') != std::string::npos))
        return FileKind::Configuration;
    return FileKind::Other;
}

int LoadTable(SimulationState& s, PlotBox& plot, Host& host, const std::string& path, TablePlane plane) {
    LoadedSimulation fresh;
    fresh.kind = SourceKind::PlainTable;
    fresh.configPath = path;
    fresh.fields.dataPath = path;
    fresh.fields.dataFormat = DataFormat::Table;
    fresh.fields.plane = plane;
    fresh.fields.columns = s.view.columns;
    fresh.fields.lineCount = -1;
    // Commands wait for the end of the read, whatever its size.
    ReadControl control = ReadControlOf(s);
    const bool loading = s.playback.loading;
    s.playback.loading = true;
    control.loading = nullptr;
    const DataResult result = ReadData(fresh, host, control);
    s.playback.loading = loading;
    if (result != DataResult::Ok) return 0;
    InferTableConfiguration(fresh);
    ShowLoaded(s, plot, host, std::move(fresh));
    return 1;
}

int LoadFile(SimulationState& s, PlotBox& plot, Host& host, const std::string& path) {
    // A file that is neither a table nor a configuration is read as a table
    // all the same, so that its refusal says what stands where a number was
    // expected, by line and column; only a file that is not there (or not a
    // file) goes to the configuration reader's message.
    std::error_code error;
    // A FIFO or a device is there, but holds no file to read.
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status) &&
        !std::filesystem::is_directory(status)) {
        host.messageBox(
            Format("%s is not a regular file: a table or a configuration is read from a file", path.c_str()));
        return 0;
    }
    const FileKind kind = KindOfFile(path);
    if (kind == FileKind::Table || (kind == FileKind::Other && std::filesystem::is_regular_file(path, error)))
        return LoadTable(s, plot, host, path, s.view.plane);
    return LoadSimulation(s, plot, host, path);
}

void HintAtTable(Host& host, const std::string& path) {
    if (!IsTableFile(path)) return;
    const std::string name = std::filesystem::path(path).filename().string();
    host.note(
        Format("%s holds numbers, not a configuration: open it with File > Open Data\u2026 or `orbivex %s`",
               name.c_str(), name.c_str()));
}
