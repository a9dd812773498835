#pragma once
#include <string>

/// The folder of the example simulations for the program whose executable
/// lies in `programFolder`: the one installed beside it
/// (`<bindir>/../share/orbivex/examples`) when it exists, otherwise the
/// source tree's examples/, for a program run from its build tree.
std::string ExamplesFolder(const std::string& programFolder);
