#pragma once
#include <string>
#include <vector>

#include "simulation/derived_series.h"
#include "simulation/series_trust.h"

// What the notes beside the series say: where their velocities come from,
// and which values are not to be trusted, why and what would do. The
// panel, the export and the Python module say it in these words.

/// Where the velocities of `source` come from when the table gives some:
/// "velocities from the table's velocity columns" for every body, or for
/// the bodies `labels` names (one a body, from body 1) with the others'
/// from differences of the rows; empty when the table gives none.
std::string VelocityNote(const SeriesSource& source, const std::vector<std::string>& labels);

/// The tolerance of `kind` in words: "1e-06 of its value", "1e-06 rad".
std::string ToleranceText(QuantityKind kind);

/// What would give values to trust: "about 95 rows an orbit would do",
/// "steps 3.2 times shorter would do", and the velocity columns; empty when
/// nothing can tell.
std::string RemedyText(const SeriesSampling& sampling);

/// A line on the series `text` names when some of its values are not to be
/// trusted, saying that they are `shown` ("written as nan", "faded"), how
/// many, why and what would do; empty when all can be.
std::string SamplingNote(const std::string& text, QuantityKind kind, const SeriesSampling& sampling,
                         const std::string& shown);
