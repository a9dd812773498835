// Derives the series of Kepler orbits the input chooses, sampled as it
// says, with positions that are not finite where it says, and checks what
// the series promise: no number where a row it takes is not finite; no
// gap, and no mark of a value not to be trusted, where the rows it takes
// are finite and close enough for the motion (the orbit turning at most a
// hundredth of a radian a row at its pericentre, which leaves the
// differences' error far below every tolerance) but not so close that the
// rows' rounding tells in the checks; with velocity columns,
// no mark at all; and every row's value and ratio the same to the bit
// whichever rows are asked for.
//
// Input: byte 0 holds the flags (bit 0: in space, with depths; bit 1: with
// velocity columns; bit 2: two bodies; bit 3: uneven steps); byte 1 the
// eccentricity, byte 2 the rows an orbit (2 to 100,000, on a log scale),
// byte 3 the rows (16 to 526), bytes 4 and 5 the powers of ten of the
// length and the time units (-40 to 40 each, within mu's range), byte 6 the
// phase, byte 7 the first row asked for; then pairs of bytes, each a row
// and what to make not finite there (a body's coordinate, or its velocity).

#include <bit>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>
#include <vector>

#include "simulation/depth_table.h"
#include "simulation/derived_series.h"
#include "simulation/orbit_elements.h"
#include "simulation/series_trust.h"
#include "simulation/trajectory_table.h"
#include "simulation/velocity_table.h"

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

/// The position and velocity at time t on the ellipse of a = 1 and `e`
/// about mu = 1 in the plane, its pericentre at angle 1 radian from x.
void OnEllipse(double e, double t, double* p, double* v) {
    const double m = std::remainder(t, 2 * kPi);
    double big = m + 0.85 * e * (m < 0 ? -1 : 1);
    for (int i = 0; i < 100; ++i) {
        const double step = (big - e * std::sin(big) - m) / (1 - e * std::cos(big));
        big -= step;
        if (std::fabs(step) < 1e-16) break;
    }
    const double b = std::sqrt(1 - e * e), rate = 1 / (1 - e * std::cos(big));
    const double x = std::cos(big) - e, y = b * std::sin(big), vx = -std::sin(big) * rate,
                 vy = b * std::cos(big) * rate;
    const double c = std::cos(1.0), s = std::sin(1.0);
    p[0] = c * x - s * y, p[1] = s * x + c * y, v[0] = c * vx - s * vy, v[1] = s * vx + c * vy;
}

/// The orbits and their rows as the input gives them.
struct Orbits {
    bool space = false, velocities = false;
    int bodies = 1;
    double e = 0, perOrbit = 0, length = 1, time = 1;
    int32_t rows = 0, first = 0;
    std::unique_ptr<TrajectoryTable> table;
    std::unique_ptr<DepthTable> depth;
    std::unique_ptr<VelocityTable> velocity;
    /// Whether row r of body k (from 1) is finite, its position and its velocity.
    std::vector<bool> placed, moving;

    bool at(const std::vector<bool>& rows, int32_t r, int body) const {
        return rows[std::size_t(r) * std::size_t(bodies) + std::size_t(body - 1)];
    }
};

/// Reads the input; false when it is too short.
bool Read(const uint8_t* data, std::size_t size, Orbits& o) {
    if (size < 8) return false;
    o.space = data[0] & 1, o.velocities = data[0] & 2, o.bodies = data[0] & 4 ? 2 : 1;
    const bool uneven = data[0] & 8;
    o.e = 0.999 * data[1] / 255.0;
    o.perOrbit = std::pow(10.0, std::log10(2.0) + data[2] / 255.0 * (5 - std::log10(2.0)));
    o.rows = 16 + data[3] * 2;
    int lengthPower = data[4] % 81 - 40, timePower = data[5] % 81 - 40;
    // mu = L^3 / T^2 within 1e-200 to 1e200.
    while (3 * lengthPower - 2 * timePower > 200) --lengthPower;
    while (3 * lengthPower - 2 * timePower < -200) ++lengthPower;
    o.length = std::pow(10.0, lengthPower), o.time = std::pow(10.0, timePower);
    const double phase = data[6] / 255.0 * 2 * kPi;
    o.first = data[7] % o.rows;
    o.table = AllocateTable(o.rows, 1 + 2 * o.bodies);
    if (o.space) o.depth = AllocateDepth(o.rows, o.bodies);
    std::vector<double> velocities;
    const double step = 2 * kPi / o.perOrbit, inclination = 0.5;
    double t = 0;
    for (int32_t r = 0; r < o.rows; ++r) {
        o.table->set(r, 0, t * o.time);
        for (int k = 1; k <= o.bodies; ++k) {
            double p[2], v[2];
            OnEllipse(k == 1 ? o.e : 0.3, t + phase * k, p, v);
            // In space, the plane tilted about x by half a radian.
            const double tilt = o.space ? std::cos(inclination) : 1,
                         lift = o.space ? std::sin(inclination) : 0;
            o.table->set(r, 2 * k - 1, p[0] * o.length);
            o.table->set(r, 2 * k, p[1] * tilt * o.length);
            if (o.space) o.depth->writableTrack(k, r)[0] = p[1] * lift * o.length;
            const double speed = o.length / o.time;
            velocities.insert(velocities.end(), {v[0] * speed, v[1] * tilt * speed, v[1] * lift * speed});
        }
        t += uneven ? step * (0.9 + 0.2 * ((r * 7919) % 101) / 100.0) : step;
    }
    o.placed.assign(std::size_t(o.rows * o.bodies), true);
    o.moving = o.placed;
    for (std::size_t at = 8; at + 1 < size; at += 2) {
        const int32_t r = data[at] % o.rows;
        const int what = data[at + 1] % 8, body = 1 + (data[at + 1] >> 3) % o.bodies;
        const double bad = what % 3 == 0 ? kNaN : what % 3 == 1 ? INFINITY : -INFINITY;
        const std::size_t slot = std::size_t(r) * std::size_t(o.bodies) + std::size_t(body - 1);
        if (what < 6) {
            if (what < 3)
                o.table->set(r, 2 * body - 1, bad);
            else if (o.space)
                o.depth->writableTrack(body, r)[0] = bad;
            else
                o.table->set(r, 2 * body, bad);
            o.placed[slot] = false;
        } else {
            velocities[slot * 3] = bad;
            o.moving[slot] = false;
        }
    }
    if (o.velocities) {
        o.velocity = AllocateVelocityCapacity(o.rows, std::vector<bool>(std::size_t(o.bodies), true), o.rows);
        o.velocity->Store(0, velocities.data(), velocities.size());
    } else {
        o.moving.assign(o.moving.size(), true);
    }
    return true;
}

/// Whether every row of body `body` (every body for 0) from `from` to
/// `to` (within the table) is finite in what the series take of it.
bool Finite(const Orbits& o, int body, int32_t from, int32_t to) {
    from = std::max(from, 0), to = std::min(to, o.rows - 1);
    for (int k = body ? body : 1; k <= (body ? body : o.bodies); ++k)
        for (int32_t r = from; r <= to; ++r)
            if (!o.at(o.placed, r, k) || !o.at(o.moving, r, k)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    Orbits o;
    if (!Read(data, size, o)) return 0;
    const double mu = o.length * o.length * o.length / (o.time * o.time);
    SeriesSource source;
    source.table = o.table.get(), source.rows = o.rows, source.gm = mu;
    source.masses.assign(std::size_t(o.bodies) + 1, 1e-15);
    source.masses[0] = 1;
    source.depth = o.depth.get();
    source.velocity = o.velocity.get();
    std::vector<Quantity> quantities;
    for (int k = 1; k <= o.bodies; ++k)
        for (const QuantityKind kind :
             {QuantityKind::Distance, QuantityKind::Speed, QuantityKind::SemiMajorAxis,
              QuantityKind::Eccentricity, QuantityKind::Pericentre, QuantityKind::Energy})
            quantities.push_back({kind, k});
    if (o.space) quantities.push_back({QuantityKind::Inclination, 1});
    quantities.push_back({QuantityKind::SystemEnergy});
    quantities.push_back({QuantityKind::SystemMomentum});

    const std::size_t n = quantities.size(), rows = std::size_t(o.rows);
    std::vector<std::vector<double>> values(n, std::vector<double>(rows)), ratios = values;
    std::vector<std::vector<double>> part(n, std::vector<double>(rows - std::size_t(o.first))),
        partRatios = part;
    std::vector<double*> outs, ratioOuts, partOuts, partRatioOuts;
    for (std::size_t k = 0; k < n; ++k) {
        outs.push_back(values[k].data()), ratioOuts.push_back(ratios[k].data());
        partOuts.push_back(part[k].data()), partRatioOuts.push_back(partRatios[k].data());
    }
    ComputeSeries(source, quantities, 0, o.rows, outs, ratioOuts);
    ComputeSeries(source, quantities, o.first, o.rows, partOuts, partRatioOuts);

    // The fastest the orbits turn a row, at their pericentres: a = 1 about mu = 1.
    const auto turn = [&](double e) {
        return 2 * kPi / o.perOrbit * (1 + e) * (1 + e) / std::pow(1 - e * e, 1.5);
    };
    // Past some 30,000 rows an orbit the rows' rounding, which the
    // differences magnify as the rows an orbit grow, nears a tenth of the
    // checks' tolerance, where an unconverged check is marked.
    const bool close = turn(o.bodies == 2 ? std::max(o.e, 0.3) : o.e) <= 0.01 && o.perOrbit <= 3e4;
    for (std::size_t k = 0; k < n; ++k) {
        const Quantity& q = quantities[k];
        const bool system = q.kind == QuantityKind::SystemEnergy || q.kind == QuantityKind::SystemMomentum;
        const int body = system ? 0 : q.body;
        for (int32_t r = 0; r < o.rows; ++r) {
            const double value = values[k][std::size_t(r)], ratio = ratios[k][std::size_t(r)];
            if (o.first <= r && (std::bit_cast<uint64_t>(part[k][std::size_t(r - o.first)]) !=
                                     std::bit_cast<uint64_t>(value) ||
                                 std::bit_cast<uint64_t>(partRatios[k][std::size_t(r - o.first)]) !=
                                     std::bit_cast<uint64_t>(ratio)))
                std::abort();  // a row's value depends on the rows asked for
            // The rows a value takes: its own for the distance and with the
            // table's velocities, the velocity's seven about it otherwise.
            const bool own = q.kind == QuantityKind::Distance || o.velocities;
            const int32_t reach = own ? 0 : int32_t(kVelocityRows / 2);
            const int32_t from = std::min(std::max(r - reach, 0), std::max(o.rows - 2 * reach - 1, 0));
            const bool distanceOnly = q.kind == QuantityKind::Distance;
            const bool takes =
                distanceOnly ? o.at(o.placed, r, q.body) : Finite(o, body, from, from + 2 * reach);
            if (!takes && !std::isnan(value)) std::abort();  // a number from rows not finite
            if (o.velocities && !std::isnan(value) && ratio != 0)
                std::abort();  // the table's velocities: exact
            // The rows a value and its check take, with its neighbours'
            // for the envelope, and for the system's changes their start's.
            const int32_t wide = int32_t(kCheckRows / 2) + 1;
            const bool checked = Finite(o, body, r - wide - 4, r + wide + 4) &&
                                 (!system || Finite(o, 0, 0, int32_t(kCheckRows) + 4));
            // The angles of a near circle and the system's changes of two
            // bodies (which may pass close) promise nothing here.
            const double e = q.body == 1 ? o.e : 0.3;
            // Nor do the system's changes at the table's ends past a thousand
            // rows an orbit: there the one-sided differences magnify the
            // rows' rounding most, and the envelope takes the next row's too.
            const int32_t ends = int32_t(kCheckRows / 2) + 1;
            const bool atEnd = r < ends || r >= o.rows - ends;
            const bool promised = !(q.kind == QuantityKind::Pericentre && e < 0.05) &&
                                  !(system && (o.bodies == 2 || (atEnd && o.perOrbit > 1e3)));
            if (close && checked && promised && (std::isnan(value) || Unsure(ratio))) std::abort();
        }
    }
    return 0;
}
