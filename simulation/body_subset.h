#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "configuration_fields.h"

struct LoadedSimulation;

/// Keeps only the bodies `shown` (numbers as the data has them, ascending)
/// of `loaded`: a table of their positions alone, and their radii, colours,
/// names and masses, numbered 1 up in that order; the fields as loaded are
/// kept for a save (FieldsOfEveryBody), and `fields.shownBodies` lists the
/// data's numbers. A simulation already cut to some bodies is cut from
/// those. Returns why the bodies cannot be kept ("no body 9: the data has
/// 8"), having changed nothing; empty when they were.
std::string KeepBodies(LoadedSimulation& loaded, const std::vector<int32_t>& shown);

/// The name a body without one gets when a later body is named (names
/// stand in order, one word each): "body3".
std::string StandInName(int32_t body);

/// The fields a save writes for `loaded`: with bodies left out, those of
/// every body in the data (the shown ones' as edited since) and the line
/// naming the bodies shown; else the fields as they are.
ConfigurationFields FieldsOfEveryBody(const LoadedSimulation& loaded);
