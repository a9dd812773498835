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

namespace {

/// Whether LoadFile reads `path` as a table: a table by its content, or a
/// regular file that is no configuration either.
bool ReadsAsTable(const std::string& path) {
    std::error_code error;
    const FileKind kind = KindOfFile(path);
    return kind == FileKind::Table ||
           (kind == FileKind::Other && std::filesystem::is_regular_file(path, error));
}

}  // namespace

bool ReadTableInto(LoadedSimulation& fresh, Host& host, const std::string& path, ViewPlane plane,
                   TableColumns columns, ReadControl control) {
    fresh.kind = SourceKind::PlainTable;
    fresh.configPath = path;
    fresh.fields.dataPath = path;
    fresh.fields.dataFormat = DataFormat::Table;
    fresh.fields.plane = plane;
    fresh.fields.columns = columns;
    fresh.fields.lineCount = -1;
    // Commands wait for the end of the read, whatever its size.
    bool* const loading = control.loading;
    const bool was = loading && *loading;
    if (loading) *loading = true;
    control.loading = nullptr;
    const DataResult result = ReadData(fresh, host, control);
    if (loading) *loading = was;
    if (result != DataResult::Ok) return false;
    InferTableConfiguration(fresh);
    return true;
}

int LoadTable(SimulationState& s, PlotBox& plot, Host& host, const std::string& path, ViewPlane plane) {
    LoadedSimulation fresh;
    if (!ReadTableInto(fresh, host, path, plane, s.view.columns, ReadControlOf(s))) return 0;
    ShowLoaded(s, plot, host, std::move(fresh));
    return 1;
}

bool ReadFileInto(LoadedSimulation& fresh, Host& host, const std::string& path, const ViewChoices& view,
                  ReadControl control) {
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
        return false;
    }
    if (ReadsAsTable(path)) return ReadTableInto(fresh, host, path, view.plane, view.columns, control);
    return ReadSimulationInto(fresh, host, path, control);
}

int LoadFile(SimulationState& s, PlotBox& plot, Host& host, const std::string& path) {
    LoadedSimulation fresh;
    // A configuration's read drops a start asked for before it, as its
    // load always has; a table's keeps it until the table is shown.
    if (!ReadsAsTable(path)) s.playback.startRequested = 0;
    if (!ReadFileInto(fresh, host, path, s.view, ReadControlOf(s))) return 0;
    ShowLoaded(s, plot, host, std::move(fresh));
    return 1;
}

void HintAtTable(Host& host, const std::string& path) {
    if (!IsTableFile(path)) return;
    const std::string name = std::filesystem::path(path).filename().string();
    host.note(
        Format("%s holds numbers, not a configuration: open it with File > Open Data\u2026 or `orbivex %s`",
               name.c_str(), name.c_str()));
}
