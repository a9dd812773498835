#include "simulation/body_subset.h"

#include <cstring>
#include <memory>

#include "base/format.h"
#include "simulation/configuration_reader.h"
#include "simulation/loaded_simulation.h"

std::string KeepBodies(LoadedSimulation& loaded, const std::vector<int32_t>& shown) {
    const int32_t bodies = loaded.usableBodies();
    if (shown.empty()) return "no body listed";
    for (const int32_t body : shown)
        if (body < 1 || body > bodies) return Format("no body %d: the data has %d", body, bodies);
    if (!loaded.rows) return "no data is loaded";
    const TrajectoryTable& all = *loaded.rows;
    const int32_t rows = all.rowCount(), kept = int32_t(shown.size());
    std::unique_ptr<TrajectoryTable> table = AllocateTable(rows, 1 + 2 * kept);
    if (!table) return "not enough memory for the bodies shown";
    double* times = table->writableTimes();
    for (int32_t r = 0; r < rows; ++r) times[r] = all.time(r);
    for (int32_t k = 1; k <= kept; ++k)
        std::memcpy(table->writableTrack(k, 0), all.track(shown[std::size_t(k - 1)], 0),
                    sizeof(double) * 2 * std::size_t(rows));
    table->Changed();
    // The depths of the bodies kept, when the data has them.
    std::unique_ptr<DepthTable> depth;
    if (loaded.depth) {
        depth = DepthOfBodies(*loaded.depth, shown);
        if (!depth) return "not enough memory for the bodies shown";
    }
    std::unique_ptr<VelocityTable> velocity;
    if (loaded.velocity) {
        velocity = loaded.velocity->OfBodies(shown);
        if (!velocity) return "not enough memory for the bodies shown";
    }

    ConfigurationFields& f = loaded.fields;
    const bool cutBefore = loaded.everyBody != nullptr;
    if (!cutBefore) loaded.everyBody = std::make_shared<const ConfigurationFields>(f);
    ConfigurationFields cut = f;
    cut.bodyCount = kept;
    cut.bodyNames.clear(), cut.bodyMasses.clear(), cut.bodyColours.clear();
    std::vector<int32_t> inData;
    for (int32_t k = 1; k <= kept; ++k) {
        const std::size_t from = std::size_t(shown[std::size_t(k - 1)]);
        if (from <= f.bodyNames.size()) cut.bodyNames.resize(std::size_t(k), f.bodyNames[from - 1]);
        if (from <= f.bodyMasses.size()) cut.bodyMasses.resize(std::size_t(k), f.bodyMasses[from - 1]);
        if (!f.bodyColours.empty())
            cut.bodyColours.push_back(from <= f.bodyColours.size() ? f.bodyColours[from - 1]
                                                                   : loaded.bodyColour[from]);
        inData.push_back(cutBefore ? f.shownBodies[from - 1] : int32_t(from));
    }
    // Slots past the bodies kept hold nothing, as a load leaves them.
    cut.bodySize.assign(BodySlotsFor(kept), 0), cut.bodyColourCode.assign(BodySlotsFor(kept), 0);
    for (int32_t k = 1; k <= kept; ++k) {
        cut.bodySize[std::size_t(k)] = f.bodySize[std::size_t(shown[std::size_t(k - 1)])];
        cut.bodyColourCode[std::size_t(k)] = f.bodyColourCode[std::size_t(shown[std::size_t(k - 1)])];
    }
    cut.shownBodies = std::move(inData);
    f = std::move(cut);
    FreeTable(loaded.rows);
    loaded.rows = std::move(table);
    loaded.depth = std::move(depth);
    loaded.velocity = std::move(velocity);
    ResolveBodyColours(loaded);
    return {};
}

std::string StandInName(int32_t body) { return Format("body%d", int(body)); }

ConfigurationFields FieldsOfEveryBody(const LoadedSimulation& loaded) {
    if (!loaded.everyBody) return loaded.fields;
    const ConfigurationFields& now = loaded.fields;
    const ConfigurationFields& all = *loaded.everyBody;
    ConfigurationFields f = now;
    f.bodyCount = all.bodyCount;
    f.bodySize = all.bodySize, f.bodyColourCode = all.bodyColourCode;
    f.bodyNames = all.bodyNames, f.bodyMasses = all.bodyMasses, f.bodyColours = all.bodyColours;
    if (!now.bodyColours.empty() && f.bodyColours.size() < std::size_t(all.bodyCount)) {
        // Colours given to shown bodies need a colour for each body before.
        for (int32_t k = int32_t(f.bodyColours.size()) + 1; k <= all.bodyCount; ++k)
            f.bodyColours.push_back(BodyColourTable(all.bodyColourCode[std::size_t(k)]));
    }
    for (std::size_t j = 0; j < now.shownBodies.size(); ++j) {
        const std::size_t k = std::size_t(now.shownBodies[j]);
        f.bodySize[k] = now.bodySize[j + 1], f.bodyColourCode[k] = now.bodyColourCode[j + 1];
        if (j < now.bodyNames.size()) {
            for (std::size_t n = f.bodyNames.size(); n < k; ++n)
                f.bodyNames.push_back(StandInName(int32_t(n + 1)));
            f.bodyNames[k - 1] = now.bodyNames[j];
        }
        if (j < now.bodyColours.size()) f.bodyColours[k - 1] = now.bodyColours[j];
        if (j < now.bodyMasses.size() && k <= f.bodyMasses.size()) f.bodyMasses[k - 1] = now.bodyMasses[j];
    }
    return f;
}
