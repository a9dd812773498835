#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/orbital_elements.h"

/// Everything the command line asks for, checked and with the defaults that
/// do not depend on the orbits filled in. The box and the trail length, when
/// not given, are found while integrating.
struct GeneratorOptions {
    /// Initial states in the order given; a `--planet` body's mass is 0
    /// unless given.
    std::vector<BodyState> bodies;
    bool mutual = false;
    /// The sun's gravitational parameter; 0 for no sun.
    double sunMass = 1.0;
    /// Without --dt, the smaller of 0.001 and the step that follows every
    /// body's closest approach (PericentreStep); without --every as well,
    /// the steps per row then grow so that rows stay about 0.01 apart.
    double dt = 0.001;
    int32_t rows = 2000;
    int32_t every = 10;
    /// Write the files even when the energy drifts by more than a millionth.
    bool allowDrift = false;
    /// One radius (pixels) and one colour code per body.
    std::vector<int32_t> sizes;
    std::vector<int32_t> colours;
    /// xmin, ymin, xmax, ymax when given.
    std::optional<std::array<double, 4>> box;
    int32_t delayMs = 20;
    int32_t step = 1;
    std::optional<int32_t> trail;
    int32_t sunSize = 6;
    /// Optional configuration lines: one name per body, units, title.
    std::vector<std::string> names;
    std::string timeUnit;
    std::string lengthUnit;
    std::string title;
    /// The configuration file to write, ending in ".ovx".
    std::string outputPath;
};

/// What a command line asks for: a run with options, the help, the version,
/// or nothing because of the error in `error` (one line, no program name).
struct ParsedCommandLine {
    enum class Kind { Run, Help, Version, Error };
    Kind kind = Kind::Error;
    GeneratorOptions options;
    std::string error;
};

/// Parses the arguments after the program name.
ParsedCommandLine ParseGeneratorOptions(const std::vector<std::string>& args);

/// The text `--help` prints.
std::string GeneratorUsage();

/// The colour code body `index` (0-based) gets by default: distinct codes
/// that read well on the plot's light grey fill, repeating after ten.
int32_t DefaultColourCode(std::size_t index);
