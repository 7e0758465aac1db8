// The hive file: the registry editor's export format, read and written.
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Orvane\Crestkit9\Album]
//   "DBName"="Album.dat"
//   "Count"=dword:0000000a
//   @="default value"
//   "Note"=hex(1):61,00,0a,00,62,00
//
// Strings are quoted with \\ and \" escapes; a string holding a control
// character (newline, tab, NUL, ...) is written as hex(1): UTF-16LE bytes
// without a terminating null. Other value types (hex:, hex(2):, hex(7):, ...)
// are kept as the text they had. Lines starting with ';' are comments and
// stay above the section or value they precede. Only HKEY_LOCAL_MACHINE keys
// are accepted; deletion entries ([-key], "name"=-) are refused, and so is
// anything past the registry's limits (limits.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "registry/hive.h"

namespace albumcore::registry {

inline constexpr std::string_view kRegFileHeader = "Windows Registry Editor Version 5.00";

// Parses a whole file. An empty text is an empty hive. On a line that is not
// fully understood, returns false and sets `error` to
// "<sourceName>:<line>: <what is wrong>"; `hive` is then unspecified.
bool ParseRegFile(std::string_view text, std::string_view sourceName, Hive& hive, std::string& error);

// The text of the hive: every key below the root gets a section, in tree
// order (a key, then its subkeys in their order), so that parsing the text
// gives back the same hive.
std::string FormatRegFile(const Hive& hive);
// The same, or nullopt as soon as the text grows past `maxBytes` (a deep
// path of long names repeats them in every section header below it, so a
// small hive can format to a large file).
std::optional<std::string> FormatRegFile(const Hive& hive, size_t maxBytes);

}  // namespace albumcore::registry
