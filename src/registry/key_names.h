// Names of keys and values: comparison, validation and key paths.
//
// Key and value names compare ignoring case with Unicode case folding, as
// registry names always have, and keep the case they were created with.
// A key path is a backslash-separated list of key names below
// HKEY_LOCAL_MACHINE; leading, trailing and repeated backslashes are ignored
// and the empty path names the root.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace albumcore::registry {

// Longest key name, in UTF-16 code units.
inline constexpr size_t kMaxKeyNameUnits = 255;
// Longest value name, in UTF-16 code units.
inline constexpr size_t kMaxValueNameUnits = 16383;

// Case-folded form of a name; two names are the same when their folds are equal.
std::string FoldName(std::string_view name);
bool SameName(std::string_view a, std::string_view b);

// The key names of a path, in order; empty for the root.
std::vector<std::string_view> SplitKeyPath(std::string_view path);

bool IsValidUtf8(std::string_view text);
// True when the text holds a character below U+0020 or DEL, which the quoted
// forms of the file cannot carry.
bool HasControlCharacter(std::string_view text);

// A key name: non-empty, valid UTF-8, no backslash, no control character,
// at most kMaxKeyNameUnits long.
bool IsValidKeyName(std::string_view name);
// A value name ("" is the default value): valid UTF-8, no control character,
// at most kMaxValueNameUnits long.
bool IsValidValueName(std::string_view name);

}  // namespace albumcore::registry
