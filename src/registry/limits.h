// What the registry holds at most: the limits of key names, key depth, value
// names and value data that registries have always had, and a bound on the
// whole hive file so that no client can grow it without end.
//
// Every write that would pass one of them is refused (InvalidArgument) before
// anything changes; a file that passes one is reported as Malformed and left
// as it is.
#pragma once

#include <cstddef>

namespace albumcore::registry {

// Longest key name, in UTF-16 code units.
inline constexpr size_t kMaxKeyNameUnits = 255;
// Deepest key below HKEY_LOCAL_MACHINE, in levels.
inline constexpr size_t kMaxKeyDepth = 512;
// Longest value name, in UTF-16 code units.
inline constexpr size_t kMaxValueNameUnits = 16383;
// Largest value data, in bytes as the registry stores it: two per UTF-16
// code unit of a string, four for a DWORD, the byte count of hex data.
// Configuration values are short; anything bigger belongs in a file.
inline constexpr size_t kMaxValueDataBytes = 64 * 1024;
// Largest hive file, some two hundred times what the server's own settings
// take. A write formats and rewrites the whole file, and a reader that finds
// it changed parses it whole, so this also bounds what one call costs.
inline constexpr size_t kMaxHiveFileBytes = 1024 * 1024;

}  // namespace albumcore::registry
