#pragma once
#include <cstdio>
#include <string>

#include "base/colour.h"

struct ConfigurationFields;
struct LoadedSimulation;
class Host;

/// How a configuration read ended. The values are the codes that messages
/// print ("Error -4 in Config File ..."): the failing field's code, -1 when
/// the file cannot be opened.
enum class ConfigResult : int {
    Ok = 0,
    NotFound = -1,
    BadLineCount = -2,
    BadBodyCount = -3,
    BadBodySizes = -4,
    BadColourCodes = -5,
    BadBox = -6,
    BadDelayOrStep = -8,
    BadTrailLength = -9,
    BadStartRow = -10,
    BadSwitch = -11,
};

/// The code a message prints for `result`.
inline int CodeOf(ConfigResult result) { return static_cast<int>(result); }

/// The colour of body colour code `code`: codes 0 to 13 name fixed colours,
/// any other code gives light grey.
ColourRef BodyColourTable(int code);

/// Resolves `bodyColour` from the fields' colour codes for bodies 1 to
/// `bodyCount` (BodyColourTable; TableBodyColour for a table's data);
/// every other slot becomes 0.
void ResolveBodyColours(LoadedSimulation& loaded);

/// Reads a configuration file into `fields`, which start afresh: the fields
/// of ConfigField in their order, each after the next "=", and then the
/// optional lines. A read that fails leaves the fields read before the
/// failing one; the caller keeps them only when the read succeeds.
/// A body-size or colour-code list stops at its first value that is not a
/// number, and the read fails there. In the optional lines after the fields
/// (names, units, title) control characters other than the tab read as the
/// replacement character U+FFFD.
ConfigResult ReadConfiguration(ConfigurationFields& fields, Host& host, const std::string& path);

/// The same on an open stream (the caller closes it), for readers that feed
/// the file from memory.
ConfigResult ReadConfigurationFrom(std::FILE* file, ConfigurationFields& fields, Host& host);

/// Reads the masses of a "masses = ..." line, given apart by blanks, into
/// `fields`; at a word that is no mass (a number of 0 or more), none, and
/// `massProblem` says why.
void ReadMassesLine(const std::string& value, ConfigurationFields& fields);
/// Reads the sun's mass of a "sun mass = ..." line, or says in
/// `massProblem` why it is none.
void ReadSunMassLine(const std::string& value, ConfigurationFields& fields);

/// The title a plot shows for a configuration of `bodyCount` bodies.
std::string SimulationTitle(int bodyCount);
