#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "configuration_keys.h"
#include "data_hand_over.h"
#include "reference_frame.h"
#include "table_layout.h"
#include "trajectory_table.h"

#include "base/colour.h"

/// Per-body arrays have one slot more than the most bodies a simulation may
/// have, so that body k uses slot k.
inline constexpr int kBodySlots = kMaxBodies + 1;

/// Which rows a body's trail shows: the rows from the current one on
/// (Ahead), the rows before it (Behind), or both.
enum class TrailMode { Ahead, Behind, Both };

/// How the view is drawn: the classic look (pixels, as ever) or the
/// publication look (smooth lines, round ticks, proportional type).
enum class ViewStyle { Classic, Publication };

/// The publication look's choices; the classic look ignores them.
struct PublicationLook {
    /// Trail width in pixels of the view.
    double lineWidth = 1.5;
    /// A light grid at the ticks.
    bool grid = false;
    /// Text size in pixels of the view; 0 chooses it from the view's size.
    double fontSize = 0;
    /// The time stamp "t = ..." in a corner of the box.
    bool clock = true;
};

/// How the data file is read: the classic stream of numbers (the time and
/// x, y of every body, line breaks meaning nothing), or a plain table of
/// lines whose layout is found from the file itself.
enum class DataFormat { Stream, Table };

/// Everything a configuration file sets, the two file paths, the loaded
/// trajectory, the current row and the two animation requests. One instance
/// lives as long as the window; readers, commands and drawing routines share
/// it and use its fields directly.
struct SimulationState {
    std::string configPath;
    std::string dataPath;

    int32_t lineCount = 0;
    int32_t bodyCount = 0;
    int32_t columnCount = 0;
    std::unique_ptr<TrajectoryTable> rows;
    /// The frame the positions are shown in, the positions in it (null in
    /// the inertial frame, where the data's own are shown), made from the
    /// table whose version framedFrom holds, and the sun's place in it, x and
    /// y of row r at [2r] and [2r + 1] (empty when the sun stays at the
    /// origin); rows from framedUpTo on are not made yet. Everything drawn
    /// reads shownRows(), which falls back on the data's own positions once
    /// the table they were made from is replaced or has rows they lack.
    ReferenceFrame frame;
    std::unique_ptr<TrajectoryTable> framedRows;
    uint64_t framedFrom = 0;
    int32_t framedUpTo = 0;
    std::vector<double> framedSun;
    bool framed() const {
        return framedRows && rows && rows->version() == framedFrom &&
               framedRows->rowCount() == rows->rowCount() && framedUpTo >= usableRows();
    }
    const TrajectoryTable* shownRows() const { return framed() ? framedRows.get() : rows.get(); }
    /// Where the sun stands at `row` in the frame shown.
    std::array<double, 2> sunAt(int32_t row) const {
        if (!framed() || row < 0 || std::size_t(2 * int64_t(row) + 1) >= framedSun.size()) return {0, 0};
        return {framedSun[std::size_t(2 * row)], framedSun[std::size_t(2 * row + 1)]};
    }
    /// Whether the sun moves in the frame shown.
    bool sunMoves() const { return framed() && !framedSun.empty(); }

    std::array<int32_t, kBodySlots> bodySize{};
    std::array<int32_t, kBodySlots> bodyColourCode{};
    std::array<ColourRef, kBodySlots> bodyColour{};

    /// xmin, ymin, xmax, ymax as last read from a configuration file.
    std::array<double, 4> configBox{-3.0, -3.0, 3.0, 3.0};

    int32_t frameDelayMs = 0;
    int32_t step = 1;
    int32_t pointsPerOrbit = 0;
    int32_t startRow = 0;
    int32_t sunSize = 0;
    int32_t drawAxes = 0;
    int32_t drawPlanets = 1;
    int32_t drawOrbits = 1;

    /// How trails are drawn and the playback runs; the defaults draw and
    /// play exactly as without these choices.
    TrailMode trailMode = TrailMode::Ahead;
    /// Non-zero: trail points fade toward the plot's fill colour with their
    /// distance in rows from the body.
    int32_t fadeTrails = 0;
    /// Non-zero: the playback starts again at the start row at the end of the data.
    int32_t loopPlayback = 0;
    /// Which way the ticks move: 1 forward (toward the last row), -1 back
    /// toward row 0. Every start but Play Backwards sets it forward, so a
    /// playback runs as it always has unless that command was used.
    int32_t direction = 1;
    /// The look of every picture of the view; Classic draws exactly as without it.
    ViewStyle style = ViewStyle::Classic;
    PublicationLook look;

    /// Optional lines after the configuration's fields: each body's name (body k is
    /// bodyNames[k - 1]; fewer names than bodies leave the rest unnamed),
    /// the units of time and length, and the plot's title. Empty when the
    /// configuration does not give them.
    std::vector<std::string> bodyNames;
    std::string timeUnit;
    std::string lengthUnit;
    std::string plotTitle;
    /// The bodies' masses (body k's is bodyMasses[k - 1]) and the sun's,
    /// when the configuration gives them; massProblem says what was wrong
    /// with a masses line that could not be read (bodyMasses is then empty).
    std::vector<double> bodyMasses;
    double sunMass = 1;
    std::string massProblem;

    int32_t position = 0;
    int32_t dataLoaded = 0;
    /// True while a data file is being read with the window's events running;
    /// dataLoaded is 0 meanwhile, so nothing reads the table, and commands
    /// are refused.
    bool loading = false;
    int32_t startRequested = 0;
    int32_t stopRequested = 0;

    double squareBoxSize = 2.0;
    int32_t squareBoxInUse = 0;
    int32_t fullWindowToggle = 1;
    /// Set while the data file is followed as another program writes it: a
    /// load then takes the complete rows the file holds without asking,
    /// and rows appended later are added as they come.
    int32_t followData = 0;
    /// Where the rows in the table end in the data file, as the last load or
    /// the following left it.
    DataHandOver handOver;

    /// How the data file is read. With Table, `tableLayout` is what the last
    /// read found in the file and `plane` chooses the coordinates shown when
    /// the table gives three per body; a line count below 0 then takes every
    /// complete row the file holds.
    DataFormat dataFormat = DataFormat::Stream;
    TableLayout tableLayout;
    TablePlane plane = TablePlane::XY;
    /// Set by a configuration's "equal aspect = 1" line.
    bool configEqualAspect = false;

    /// Bodies that may be drawn or indexed: 1 to this number. Never more than
    /// the arrays hold or the table's columns, whatever `bodyCount` says.
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

private:
    struct TimeStepMemo {
        uint64_t version = 0;
        int32_t rows = -1;
        std::optional<double> step;
    };
    mutable TimeStepMemo timeStepMemo_;
};
