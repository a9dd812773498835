#include "plot/dashed_line.h"

#include <cmath>
#include <numeric>

double ForEachDash(const ViewPoint* points, std::size_t count, const std::vector<double>& pattern,
                   double phase, const std::function<void(const ViewPoint*, std::size_t)>& piece) {
    if (count < 2) return phase;
    const double period = std::accumulate(pattern.begin(), pattern.end(), 0.0);
    if (pattern.empty() || !(period > 0) || !std::isfinite(period)) {
        piece(points, count);
        return phase;
    }
    phase = std::fmod(phase, period);
    if (!(phase >= 0)) phase = phase < 0 ? phase + period : 0;
    // Where in the pattern the line stands: the entry and how far into it.
    std::size_t entry = 0;
    double into = phase;
    while (into >= pattern[entry]) into -= pattern[entry], entry = (entry + 1) % pattern.size();
    std::vector<ViewPoint> dash;
    if (entry % 2 == 0) dash.push_back(points[0]);
    for (std::size_t i = 1; i < count; ++i) {
        const ViewPoint a = points[i - 1], b = points[i];
        const double length = std::hypot(b.x - a.x, b.y - a.y);
        if (!std::isfinite(length)) return phase;
        double at = 0;  // along this step
        while (length - at > pattern[entry] - into) {
            // The pattern's entry ends within the step.
            at += pattern[entry] - into;
            into = 0;
            const double share = at / length;
            const ViewPoint cut{a.x + (b.x - a.x) * share, a.y + (b.y - a.y) * share};
            if (entry % 2 == 0) {
                dash.push_back(cut);
                if (dash.size() >= 2) piece(dash.data(), dash.size());
                dash.clear();
            } else {
                dash.assign(1, cut);
            }
            entry = (entry + 1) % pattern.size();
        }
        into += length - at;
        if (entry % 2 == 0) dash.push_back(b);
        phase += length;
    }
    if (entry % 2 == 0 && dash.size() >= 2) piece(dash.data(), dash.size());
    return std::fmod(phase, period);
}
