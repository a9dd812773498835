#pragma once

/// The program's version: the build's project version, the one place it is
/// set.
inline constexpr const char* kVersion = ORBIVEX_VERSION;
