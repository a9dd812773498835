#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include "tools/generator_options.h"

/// Exit statuses of orbivex-gen.
inline constexpr int kExitOk = 0;
inline constexpr int kExitWriteFailed = 1;
inline constexpr int kExitBadInput = 2;
inline constexpr int kExitEnergyDrift = 3;

/// Integrates the bodies `options` gives and writes the configuration and
/// data files. Reports to `out` what was written, to `err` warnings and the
/// one line of a failure. Returns the exit status: kExitWriteFailed when a
/// file cannot be written, kExitBadInput when the orbits cannot be computed
/// (a value stops being finite), kExitEnergyDrift when the energy drifts by
/// more than a millionth of its size and `options.allowDrift` is not set;
/// on failure the folder is left as it was.
int Generate(const GeneratorOptions& options, std::ostream& out, std::ostream& err);

/// The whole program on the arguments after its name: help, version, or
/// parse and Generate. A bad command line gives one line on `err` and
/// kExitBadInput, and nothing is written.
int RunGenerator(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
