#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class DepthTable;
class TrajectoryTable;
struct LoadedSimulation;

/// A frame of reference the positions can be shown in. Inertial is the
/// data's own frame, the sun fixed at the origin. Centred puts body `body` at
/// the origin. Rotating turns with body `body` about the sun so that it
/// stays on the positive x axis, and with `scaled` divides every distance
/// by its distance, so that it sits at (1, 0). Barycentre puts the centre
/// of mass of the sun and the bodies at the origin.
struct ReferenceFrame {
    enum class Kind { Inertial, Centred, Rotating, Barycentre };
    Kind kind = Kind::Inertial;
    int body = 0;
    bool scaled = false;
    bool operator==(const ReferenceFrame&) const = default;
};

/// A frame read from its text, or why it cannot be had.
struct FrameChoice {
    std::optional<ReferenceFrame> frame;
    std::string error;
};

/// Reads "inertial", "centre:N", "rotate:N", "rotate:N,scaled" or
/// "barycentre" for a simulation of `bodies` bodies; the barycentre needs
/// the bodies' masses (`haveMasses`). N is a body's number, or its name in
/// `names` (body k's at k - 1) in any case; a name two bodies share is the
/// first's.
FrameChoice ParseFrame(std::string_view text, int bodies, bool haveMasses,
                       const std::vector<std::string>& names = {});

/// The body `text` gives, by its number or its name, or why none (naming
/// it as `shown`): the numbers 1 to `bodies`, the names of those bodies in
/// any case (the first body of a name shared).
std::optional<int> ReadBody(std::string_view text, int bodies, const std::vector<std::string>& names,
                            std::string_view shown, std::string& error);

/// The sun's mass and then each body's, as TransformRows weighs them; empty
/// when the configuration does not give a mass for every body.
std::vector<double> FrameMasses(const LoadedSimulation& loaded);

/// Why the barycentre cannot be had for `loaded`, or empty when it can.
std::string BarycentreProblem(const LoadedSimulation& loaded);

/// The frame's text, as ParseFrame reads it.
std::string FrameText(const ReferenceFrame& frame);

/// The sentence naming a frame: "the frame centred on body 3".
std::string FrameName(const ReferenceFrame& frame);

/// Positions a frame is made from, or made into: a table and, for data in
/// space, each body's coordinate off the xy plane; with the frame's sun.
struct FramedRows {
    const TrajectoryTable* rows = nullptr;
    const DepthTable* depth = nullptr;
    /// The rows in use, which a turning frame in space takes a body's
    /// motion from; below 0: all the table's.
    int32_t inUse = -1;
};
struct FramedRowsOut {
    TrajectoryTable* rows = nullptr;
    DepthTable* depth = nullptr;
    /// The sun's place in the frame, when wanted: row r's x and y at [2r]
    /// and [2r + 1], its z at sunZ[r].
    double* sun = nullptr;
    double* sunZ = nullptr;
};

/// Writes rows [first, last) of `from` into `to`, a table of the same shape,
/// in the frame: the times as they are, each row's positions by that row's
/// own frame (its centre, its turn, its scale): a turning frame turns about
/// z for planar data, about the body's orbit normal for data in space. `masses` holds the
/// sun's mass and then each body's (the barycentre only). Rows are shared
/// among threads; a row whose frame cannot be had (its centre body not a
/// number, a scaled frame's body at the sun) gets positions that are not
/// numbers, which draw nothing.
void TransformRows(const FramedRows& from, const FramedRowsOut& to, const ReferenceFrame& frame,
                   const std::vector<double>& masses, int32_t first, int32_t last);
