#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "configuration_fields.h"
#include "data_hand_over.h"
#include "depth_table.h"
#include "table_layout.h"
#include "trajectory_table.h"
#include "velocity_table.h"

#include "base/colour.h"

/// Where a loaded simulation came from.
enum class SourceKind {
    /// A configuration with its classic data file: shown exactly as ever.
    ClassicConfiguration,
    /// A configuration whose data file is a plain table ("data format = table").
    TableConfiguration,
    /// A plain table opened directly, its configuration inferred from it.
    PlainTable,
};

/// What one load produced: the files, the configuration's fields, the table
/// read and where its reading ended. A load builds a fresh one and swaps it
/// in whole when it succeeds, so a failed or cancelled load leaves the one
/// shown untouched. The settings dialogs edit the fields in place.
struct LoadedSimulation {
    SourceKind kind = SourceKind::ClassicConfiguration;
    std::string configPath;
    ConfigurationFields fields;
    /// The data file as an absolute path, made when it was read: whatever
    /// folder is current later, no output may replace it.
    std::string dataFile;
    /// The colours of the bodies' colour codes (ResolveBodyColours), body k
    /// in slot k.
    std::vector<ColourRef> bodyColour = std::vector<ColourRef>(kBodySlots);

    int32_t columnCount = 0;
    std::unique_ptr<TrajectoryTable> rows;
    /// With a plain table of three coordinates a body: each body's
    /// coordinate off the plane shown, row for row with `rows` (which it
    /// follows through appends, growth and bodies left out); null for any
    /// other data.
    std::unique_ptr<DepthTable> depth;
    /// With a plain table whose header names velocity columns: each body's
    /// velocity, row for row with `rows` as `depth` is; null for any other
    /// data.
    std::unique_ptr<VelocityTable> velocity;
    /// Non-zero once the table holds the data read. Zero while a large read
    /// fills it, so that nothing reads a table being filled.
    int32_t dataLoaded = 0;
    /// With a plain table: the layout the last read found in the file.
    TableLayout tableLayout;
    /// Where the rows in the table end in the data file, as the last load or
    /// the following left it.
    DataHandOver handOver;
    /// With some bodies left out (KeepBodies): the fields as loaded, of
    /// every body, for a save; null when every body is shown.
    std::shared_ptr<const ConfigurationFields> everyBody;

    /// Sizes the per-body lists of the fields and the colours for `bodies`
    /// bodies; new slots are 0.
    void sizeBodyLists(int32_t bodies) {
        fields.sizeBodyLists(bodies);
        bodyColour.resize(BodySlotsFor(bodies));
    }

    /// Bodies that may be drawn or indexed: 1 to this number. Never more than
    /// the per-body lists hold or the table's columns, whatever `bodyCount`
    /// says.
    int32_t usableBodies() const;
    /// Rows that may be read: 0 to this number - 1, below both `lineCount`
    /// and the table's own rows. 0 without a table.
    int32_t usableRows() const;
    /// Rows the playback runs through: `lineCount`, but never more than the
    /// table holds, so that a count raised after the data was read does not
    /// play on through rows that were never loaded.
    int32_t rowsInData() const;
    /// The time step of the rows in use when they are evenly spaced in time
    /// (RegularTimeStep); none otherwise or without a table. Found once for
    /// each table version and count of rows in use, then kept.
    std::optional<double> regularTimeStep() const;
    /// The plane the bodies are shown on: the one chosen for a table with
    /// three coordinates a body; xy for any other data, which has two.
    ViewPlane planeShown() const;

private:
    struct TimeStepMemo {
        uint64_t version = 0;
        int32_t rows = -1;
        std::optional<double> step;
    };
    mutable TimeStepMemo timeStepMemo_;
};
