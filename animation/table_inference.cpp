#include "animation/table_inference.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <numbers>

#include "simulation/configuration_reader.h"
#include "simulation/loaded_simulation.h"

std::array<double, 4> DataBox(const TrajectoryTable& table, int32_t rows, int32_t bodies) {
    constexpr double kHuge = std::numeric_limits<double>::infinity();
    double xmin = kHuge, ymin = kHuge, xmax = -kHuge, ymax = -kHuge;
    for (int32_t b = 1; b <= bodies; ++b) {
        const double* p = table.track(b, 0);
        for (int32_t r = 0; r < rows; ++r, p += 2) {
            if (!std::isfinite(p[0]) || !std::isfinite(p[1])) continue;
            xmin = std::min(xmin, p[0]), xmax = std::max(xmax, p[0]);
            ymin = std::min(ymin, p[1]), ymax = std::max(ymax, p[1]);
        }
    }
    if (xmin > xmax) return {-1.0, -1.0, 1.0, 1.0};
    const double width = xmax - xmin, height = ymax - ymin;
    // A range that overflows stays as it is: the plot shows such a box as asked.
    auto widen = [](double& lo, double& hi, double extent) {
        const double centre = lo;
        lo = centre - extent / 2, hi = centre + extent / 2;
    };
    if (width == 0.0) widen(xmin, xmax, height > 0.0 ? height : 2.0);
    if (height == 0.0) widen(ymin, ymax, width > 0.0 ? width : 2.0);
    return {xmin, ymin, xmax, ymax};
}

int32_t RowsOfSlowestRevolution(const TrajectoryTable& table, int32_t rows, int32_t bodies) {
    constexpr double kCircle = 2.0 * std::numbers::pi;
    int32_t slowest = -1;
    for (int32_t b = 1; b <= bodies; ++b) {
        const double* p = table.track(b, 0);
        double turned = 0.0, lastX = 0.0, lastY = 0.0;
        int32_t first = -1;
        for (int32_t r = 0; r < rows; ++r, p += 2) {
            const double x = p[0], y = p[1];
            if (!std::isfinite(x) || !std::isfinite(y) || (x == 0.0 && y == 0.0)) continue;
            if (first >= 0) turned += std::atan2(lastX * y - lastY * x, lastX * x + lastY * y);
            if (first < 0) first = r;
            lastX = x, lastY = y;
            if (std::abs(turned) >= kCircle) {
                slowest = std::max(slowest, r - first + 1);
                break;
            }
        }
    }
    return slowest;
}

void InferTableConfiguration(LoadedSimulation& s) {
    const int32_t bodies = s.usableBodies();
    const int32_t rows = s.usableRows();
    for (int32_t k = 1; k < kBodySlots; ++k) {
        s.fields.bodySize[std::size_t(k)] = k <= bodies ? 3 : 0;
        s.fields.bodyColourCode[std::size_t(k)] =
            k <= bodies ? kTablePalette[std::size_t(k - 1) % kTablePalette.size()] : 0;
    }
    ResolveBodyColours(s);
    s.fields.box = s.rows ? DataBox(*s.rows, rows, bodies) : std::array<double, 4>{-1.0, -1.0, 1.0, 1.0};
    const int32_t revolution = s.rows ? RowsOfSlowestRevolution(*s.rows, rows, bodies) : -1;
    s.fields.pointsPerOrbit = revolution > 0 ? std::clamp(revolution, 1, std::max(1, rows - 2))
                                             : std::clamp(kTrailWithoutRevolution, 1, std::max(1, rows / 2));
    s.fields.frameDelayMs = 20;
    s.fields.step = 1;
    s.fields.startRow = 0;
    s.fields.sunSize = 6;
    s.fields.drawAxes = 1;
    s.fields.drawPlanets = 1;
    s.fields.drawOrbits = 1;
    s.fields.bodyNames = s.tableLayout.names;
    s.fields.timeUnit = s.tableLayout.timeUnit;
    s.fields.lengthUnit = s.tableLayout.lengthUnit;
    s.fields.plotTitle = std::filesystem::path(s.fields.dataPath).filename().string();
}
