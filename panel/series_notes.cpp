#include "panel/series_notes.h"

#include <cmath>

#include "base/format.h"
#include "simulation/trajectory_table.h"
#include "simulation/velocity_table.h"

std::string VelocityNote(const SeriesSource& s, const std::vector<std::string>& labels) {
    if (!s.velocity || !s.table) return {};
    std::vector<std::string> given;
    const int bodies = s.table->bodyColumns();
    for (int body = 1; body <= bodies; ++body)
        if (s.velocity->given(body))
            given.push_back(std::size_t(body) <= labels.size() ? labels[std::size_t(body - 1)]
                                                               : std::to_string(body));
    if (given.empty()) return {};
    if (int(given.size()) == bodies) return "velocities from the table's velocity columns";
    std::string list;
    for (std::size_t k = 0; k < given.size(); ++k) list += (k ? ", " : "") + given[k];
    return "velocities of " + list +
           " from the table's velocity columns, the others' from differences of rows";
}

namespace {

/// A power of ten as "1e-6".
std::string PowerText(double value) { return Format("1e%ld", std::lround(std::log10(value))); }

}  // namespace

std::string ToleranceText(QuantityKind kind) {
    switch (InfoOf(kind).tolerance) {
        case QuantityTolerance::OfValue:
            return PowerText(kBodyTolerance) + " of its value";
        case QuantityTolerance::Angle:
            return PowerText(kBodyTolerance) + " rad";
        case QuantityTolerance::System:
            return PowerText(kSystemTolerance);
        case QuantityTolerance::Absolute:
        case QuantityTolerance::None:
            break;
    }
    return PowerText(kBodyTolerance);
}

std::string RemedyText(const SeriesSampling& sampling) {
    std::string remedy;
    if (std::isfinite(sampling.rowsAnOrbit))
        remedy = Format("about %.0f rows an orbit would do", sampling.rowsAnOrbit);
    else if (std::isfinite(sampling.shorter))
        remedy = Format("steps %.2g times shorter would do", sampling.shorter);
    return remedy.empty() ? "a table's velocity columns (vx, vy) would do"
                          : remedy + ", or a table's velocity columns (vx, vy)";
}

std::string SamplingNote(const std::string& text, QuantityKind kind, const SeriesSampling& sampling,
                         const std::string& shown) {
    if (sampling.unsure == 0) return {};
    std::string note =
        Format("%s: %d of %d values %s: ", text.c_str(), sampling.unsure, sampling.values, shown.c_str());
    const int32_t told = sampling.unsure - sampling.unchecked;
    if (told > 0) {
        note += Format("the rows are too far apart for velocities from their differences (error above %s)",
                       ToleranceText(kind).c_str());
        if (sampling.unchecked > 0) note += Format(", and %d cannot be checked", sampling.unchecked);
    } else {
        note += "too few rows about them, or gaps near, to check their velocities' differences";
    }
    return note + "; " + RemedyText(sampling);
}
