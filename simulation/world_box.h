#pragma once
#include <array>
#include <string>

/// Why the world box xmin, ymin, xmax, ymax cannot be shown; empty when it
/// can. Each end must be a finite number and each axis must have a width
/// that its numbers can tell apart (more than a millionth of a millionth of
/// their size). A box whose axis runs from its larger
/// end to its smaller (a mirrored picture) can be shown.
std::string WorldBoxProblem(const std::array<double, 4>& box);
