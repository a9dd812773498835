#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct RunAt;
class PlotBox;
class DrawingSurface;

/// The trails of the first run drafted while a drag turns the view. The
/// rows drawn are chosen once, in space: rows are left out while each of
/// them lies within a tolerance of the line from the last row kept to the
/// next row. No turn makes a distance longer on the screen, so the same
/// choice holds for every turn of the drag, and each picture projects
/// only those rows.
class TrailDrafts {
public:
    /// Draws rows [first, last) of every body's trail as one-pixel lines
    /// (DraftPolyline) for the view's turn, broken where a position is not
    /// known, choosing the rows again when the trail, the positions or the
    /// tolerance changed.
    void Draw(const RunAt& run, const PlotBox& plot, DrawingSurface& surface, int64_t first, int64_t last);

    /// Body `body`'s rows chosen for rows [first, last), within `tolerance`
    /// in the data's units, as Draw chooses them; a row not known is
    /// always kept.
    static std::vector<int64_t> ChooseRows(const RunAt& run, int body, int64_t first, int64_t last,
                                           double tolerance);

private:
    struct Key {
        const void* table = nullptr;
        uint64_t version = 0;
        const void* depth = nullptr;
        int64_t first = 0, last = 0;
        int bodies = 0;
        double tolerance = 0;
        bool operator==(const Key&) const = default;
    };
    Key key_;
    /// x, y and z of each body's chosen rows, body after body; a row not
    /// known has not-a-number x.
    std::vector<double> points_;
    std::vector<std::size_t> starts_;  ///< where each body's points start, and their end
};
