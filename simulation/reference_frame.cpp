#include "simulation/reference_frame.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "base/parallel_for.h"
#include "simulation/configuration_keys.h"
#include "simulation/depth_table.h"
#include "simulation/loaded_simulation.h"
#include "simulation/trajectory_table.h"

namespace {

/// A row's frame as a map of positions: p' = turn(p - origin) * scale.
struct RowFrame {
    double ox = 0, oy = 0, cos = 1, sin = 0, scale = 1, oz = 0;
};

/// Body k's coordinate off the xy plane at row r; 0 for planar data.
double ZOf(const DepthTable* depth, int k, int32_t r) { return depth ? depth->at(k, r) : 0.0; }

RowFrame FrameOfRow(const TrajectoryTable& t, const DepthTable* depth, const ReferenceFrame& f,
                    const std::vector<double>& masses, int32_t r) {
    RowFrame g;
    constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    switch (f.kind) {
        case ReferenceFrame::Kind::Inertial:
            break;
        case ReferenceFrame::Kind::Centred: {
            const double* p = t.track(f.body, r);
            g.ox = p[0], g.oy = p[1], g.oz = ZOf(depth, f.body, r);
            break;
        }
        case ReferenceFrame::Kind::Rotating: {
            const double* p = t.track(f.body, r);
            const double distance =
                depth ? std::hypot(p[0], p[1], depth->at(f.body, r)) : std::hypot(p[0], p[1]);
            if (!(distance > 0) || !std::isfinite(distance)) return {kNan, kNan, kNan, kNan, kNan, kNan};
            // Turned by minus the body's angle: the body lands on +x.
            g.cos = p[0] / distance, g.sin = -p[1] / distance;
            if (f.scaled) g.scale = 1 / distance;
            break;
        }
        case ReferenceFrame::Kind::Barycentre: {
            double total = masses.empty() ? 1 : masses[0], mx = 0, my = 0, mz = 0;
            for (int k = 1; k <= t.bodyColumns() && std::size_t(k) < masses.size(); ++k) {
                const double* p = t.track(k, r);
                total += masses[std::size_t(k)];
                mx += masses[std::size_t(k)] * p[0], my += masses[std::size_t(k)] * p[1];
                if (depth) mz += masses[std::size_t(k)] * depth->at(k, r);
            }
            g.ox = total != 0 ? mx / total : kNan, g.oy = total != 0 ? my / total : kNan;
            g.oz = total != 0 ? mz / total : kNan;
            break;
        }
    }
    return g;
}

void TransformPlane(const TrajectoryTable& from, TrajectoryTable& to, const std::vector<RowFrame>& frames,
                    int32_t first, int32_t last, double* sun) {
    for (int32_t r = first; r < last; ++r) to.writableTimes()[r] = from.time(r);
    const auto place = [](const RowFrame& g, double x, double y, double* out) {
        const double dx = x - g.ox, dy = y - g.oy;
        out[0] = (dx * g.cos - dy * g.sin) * g.scale;
        out[1] = (dx * g.sin + dy * g.cos) * g.scale;
    };
    for (int k = 1; k <= from.bodyColumns(); ++k) {
        const double* in = from.track(k, first);
        double* out = to.writableTrack(k, first);
        for (int32_t i = 0; i < last - first; ++i)
            place(frames[std::size_t(i)], in[2 * i], in[2 * i + 1], out + 2 * i);
    }
    if (sun)
        for (int32_t i = 0; i < last - first; ++i) place(frames[std::size_t(i)], 0, 0, sun + 2 * (first + i));
}

/// A turning frame's axes at row r for data in space: x toward the body,
/// z along its orbit's normal (its position crossed with its motion, the
/// motion the difference of the rows about r), y completing them; each
/// row of `m` one axis. Not numbers where the body has no direction or no
/// orbit there.
std::array<double, 9> TurningAxes(const TrajectoryTable& t, const DepthTable& depth, int body, int32_t r,
                                  int32_t rows) {
    const auto at = [&](int32_t row) {
        const double* p = t.track(body, row);
        return std::array<double, 3>{p[0], p[1], depth.at(body, row)};
    };
    const int32_t before = std::max(r - 1, 0), after = std::min(r + 1, rows - 1);
    const std::array<double, 3> p = at(r), a = at(before), b = at(after);
    const std::array<double, 3> v{b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const std::array<double, 3> h{p[1] * v[2] - p[2] * v[1], p[2] * v[0] - p[0] * v[2],
                                  p[0] * v[1] - p[1] * v[0]};
    const double pn = std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    const double hn = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
    if (!(pn > 0) || !(hn > 0) || !std::isfinite(pn) || !std::isfinite(hn)) {
        std::array<double, 9> none;
        none.fill(kNan);
        return none;
    }
    const std::array<double, 3> e1{p[0] / pn, p[1] / pn, p[2] / pn}, e3{h[0] / hn, h[1] / hn, h[2] / hn};
    return {e1[0],
            e1[1],
            e1[2],
            e3[1] * e1[2] - e3[2] * e1[1],
            e3[2] * e1[0] - e3[0] * e1[2],
            e3[0] * e1[1] - e3[1] * e1[0],
            e3[0],
            e3[1],
            e3[2]};
}

/// A turning frame for data in space: each row turned so that the body
/// lies on +x and its orbit in the xy plane, scaled as the frame asks.
void TransformTurningSpace(const FramedRows& from, const FramedRowsOut& to, const ReferenceFrame& f,
                           const std::vector<RowFrame>& frames, int32_t first, int32_t last) {
    const TrajectoryTable& t = *from.rows;
    for (int32_t r = first; r < last; ++r) to.rows->writableTimes()[r] = t.time(r);
    for (int32_t r = first; r < last; ++r) {
        const std::array<double, 9> m =
            TurningAxes(t, *from.depth, f.body, r, from.inUse >= 0 ? from.inUse : t.rowCount());
        const double scale = frames[std::size_t(r - first)].scale;
        for (int k = 1; k <= t.bodyColumns(); ++k) {
            const double* p = t.track(k, r);
            const double z = from.depth->at(k, r);
            double* out = to.rows->writableTrack(k, r);
            out[0] = (m[0] * p[0] + m[1] * p[1] + m[2] * z) * scale;
            out[1] = (m[3] * p[0] + m[4] * p[1] + m[5] * z) * scale;
            if (to.depth) *to.depth->writableTrack(k, r) = (m[6] * p[0] + m[7] * p[1] + m[8] * z) * scale;
        }
    }
}

void TransformBlock(const FramedRows& from, const FramedRowsOut& to, const ReferenceFrame& f,
                    const std::vector<double>& masses, int32_t first, int32_t last) {
    std::vector<RowFrame> frames(std::size_t(last - first));
    for (int32_t r = first; r < last; ++r)
        frames[std::size_t(r - first)] = FrameOfRow(*from.rows, from.depth, f, masses, r);
    if (f.kind == ReferenceFrame::Kind::Rotating && from.depth) {
        // In space a turning frame turns about the body's orbit normal.
        TransformTurningSpace(from, to, f, frames, first, last);
        return;
    }
    TransformPlane(*from.rows, *to.rows, frames, first, last, to.sun);
    // Off the plane, a frame moves and scales; it turns about z.
    if (from.depth && to.depth)
        for (int k = 1; k <= from.rows->bodyColumns(); ++k) {
            const double* in = from.depth->track(k, first);
            double* out = to.depth->writableTrack(k, first);
            for (int32_t i = 0; i < last - first; ++i) {
                const RowFrame& g = frames[std::size_t(i)];
                out[i] = (in[i] - g.oz) * g.scale;
            }
        }
    if (to.sunZ)
        for (int32_t i = 0; i < last - first; ++i) {
            const RowFrame& g = frames[std::size_t(i)];
            to.sunZ[first + i] = -g.oz * g.scale;
        }
}

bool SameLetters(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

std::optional<int> ReadBody(std::string_view text, int bodies, const std::vector<std::string>& names,
                            std::string_view shown, std::string& error) {
    int body = 0;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), body);
    if (problem == std::errc() && end == text.data() + text.size()) {
        if (body >= 1 && body <= bodies) return body;
        error = "no body " + std::string(shown) + ": the bodies are 1 to " + std::to_string(bodies);
        return std::nullopt;
    }
    const int named = std::min(int(names.size()), bodies);
    for (int k = 1; k <= named; ++k)
        if (SameLetters(text, names[std::size_t(k - 1)])) return k;
    error = "no body " + std::string(shown) + ": the bodies are 1 to " + std::to_string(bodies);
    if (named == 0) return std::nullopt;
    constexpr int kNamesListed = 8;
    error += " or their names (";
    for (int k = 1; k <= std::min(named, kNamesListed); ++k)
        error += (k > 1 ? ", " : "") + names[std::size_t(k - 1)];
    error += named > kNamesListed ? ", \u2026)" : ")";
    return std::nullopt;
}

FrameChoice ParseFrame(std::string_view text, int bodies, bool haveMasses,
                       const std::vector<std::string>& names) {
    ReferenceFrame f;
    if (text == "inertial") return {f, {}};
    if (text == "barycentre" || text == "barycenter") {
        if (!haveMasses)
            return {std::nullopt, std::string("the barycentre needs the bodies' masses: ") + kMassesAdvice};
        f.kind = ReferenceFrame::Kind::Barycentre;
        return {f, {}};
    }
    for (const auto& [prefix, kind] :
         {std::pair{std::string_view("centre:"), ReferenceFrame::Kind::Centred},
          std::pair{std::string_view("center:"), ReferenceFrame::Kind::Centred},
          std::pair{std::string_view("rotate:"), ReferenceFrame::Kind::Rotating}}) {
        if (text.substr(0, prefix.size()) != prefix) continue;
        std::string_view rest = text.substr(prefix.size());
        f.kind = kind;
        if (kind == ReferenceFrame::Kind::Rotating && rest.size() > 7 &&
            rest.substr(rest.size() - 7) == ",scaled") {
            f.scaled = true;
            rest.remove_suffix(7);
        }
        std::string error;
        const std::optional<int> body = ReadBody(rest, bodies, names, text.substr(prefix.size()), error);
        if (!body) return {std::nullopt, error};
        f.body = *body;
        return {f, {}};
    }
    return {std::nullopt,
            "'" + std::string(text) +
                "' is not a frame: inertial, centre:N, rotate:N, rotate:N,scaled or barycentre"};
}

std::vector<double> FrameMasses(const LoadedSimulation& s) {
    const int bodies = s.usableBodies();
    if (!s.fields.massProblem.empty() || int(s.fields.bodyMasses.size()) < bodies) return {};
    std::vector<double> masses{s.fields.sunMass};
    masses.insert(masses.end(), s.fields.bodyMasses.begin(), s.fields.bodyMasses.begin() + bodies);
    // Weights that add up to nothing (or overflow) place no centre.
    double total = 0;
    for (const double mass : masses) total += mass;
    if (!(total > 0) || !std::isfinite(total)) return {};
    return masses;
}

std::string BarycentreProblem(const LoadedSimulation& s) {
    if (!s.fields.massProblem.empty()) return s.fields.massProblem;
    if (int(s.fields.bodyMasses.size()) < s.usableBodies())
        return "the barycentre needs a mass for each of the " + std::to_string(s.usableBodies()) +
               " bodies: " + kMassesAdvice;
    if (FrameMasses(s).empty())
        return "the masses of the sun and the bodies add up to 0 (or more than a number can hold): the "
               "barycentre has no place";
    return {};
}

std::string FrameName(const ReferenceFrame& f) {
    switch (f.kind) {
        case ReferenceFrame::Kind::Inertial:
            return "the inertial frame";
        case ReferenceFrame::Kind::Centred:
            return "the frame centred on body " + std::to_string(f.body);
        case ReferenceFrame::Kind::Rotating:
            return "the frame turning with body " + std::to_string(f.body) + (f.scaled ? ", scaled" : "");
        case ReferenceFrame::Kind::Barycentre:
            return "the barycentre frame";
    }
    return {};
}

std::string FrameText(const ReferenceFrame& f) {
    switch (f.kind) {
        case ReferenceFrame::Kind::Inertial:
            return "inertial";
        case ReferenceFrame::Kind::Centred:
            return "centre:" + std::to_string(f.body);
        case ReferenceFrame::Kind::Rotating:
            return "rotate:" + std::to_string(f.body) + (f.scaled ? ",scaled" : "");
        case ReferenceFrame::Kind::Barycentre:
            return "barycentre";
    }
    return {};
}

void TransformRows(const FramedRows& from, const FramedRowsOut& to, const ReferenceFrame& frame,
                   const std::vector<double>& masses, int32_t first, int32_t last) {
    first = std::max(first, 0), last = std::min({last, from.rows->rowCount(), to.rows->rowCount()});
    if (first >= last || from.rows->columnCount() != to.rows->columnCount()) return;
    // Blocks of rows for as many threads as the machine has, none under a
    // few thousand rows, where starting a thread would cost more.
    constexpr int32_t kLeastRows = 4096;
    ParallelFor(first, last, WorkerCount(uint64_t(last - first), kLeastRows),
                [&](int64_t begin, int64_t end) {
                    TransformBlock(from, to, frame, masses, int32_t(begin), int32_t(end));
                });
}
