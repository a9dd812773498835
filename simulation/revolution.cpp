#include "simulation/revolution.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "simulation/trajectory_table.h"

void Revolution::Add(int32_t row, double x, double y) {
    if (closedAt_ >= 0) return;
    if (first_ >= 0)
        turned_ += std::atan2(lastX_ * y - lastY_ * x, lastX_ * x + lastY_ * y);
    else
        first_ = row;
    lastX_ = x, lastY_ = y;
    if (std::abs(turned_) >= 2.0 * std::numbers::pi) closedAt_ = row;
}

int32_t SlowestRevolution(std::span<const Revolution> revolutions, RevolutionOf of) {
    int32_t slowest = -1;
    for (const Revolution& revolution : revolutions) {
        if (!revolution.closed() && of == RevolutionOf::EveryBody) return -1;
        slowest = std::max(slowest, revolution.rows());
    }
    return slowest;
}

int32_t RowsOfSlowestRevolution(const TrajectoryTable& table, int32_t rows, int32_t bodies) {
    std::vector<Revolution> revolutions(std::size_t(std::max(bodies, 0)));
    for (int32_t b = 1; b <= bodies; ++b) {
        Revolution& revolution = revolutions[std::size_t(b - 1)];
        const double* p = table.track(b, 0);
        for (int32_t r = 0; r < rows && !revolution.closed(); ++r, p += 2) {
            const double x = p[0], y = p[1];
            if (!std::isfinite(x) || !std::isfinite(y) || (x == 0.0 && y == 0.0)) continue;
            revolution.Add(r, x, y);
        }
    }
    return SlowestRevolution(revolutions, RevolutionOf::BodiesGoingRound);
}
