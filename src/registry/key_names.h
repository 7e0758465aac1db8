// Names of keys and values: comparison, validation and key paths.
//
// Key and value names compare ignoring case with Unicode case folding, as
// registry names always have, and keep the case they were created with.
// A key path is a backslash-separated list of key names below
// HKEY_LOCAL_MACHINE; leading, trailing and repeated backslashes are ignored
// and the empty path names the root.
//
// The checks look at the length of a name before anything else, so that a
// hostile megabyte-long name costs one pass over its bytes and no copy.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/limits.h"

namespace albumcore::registry {

// Case-folded form of a name; two names are the same when their folds are equal.
std::string FoldName(std::string_view name);
bool SameName(std::string_view a, std::string_view b);

// The key names of a path, in order; empty for the root. Nullopt for a path
// of more than kMaxKeyDepth names, which no key can have (found without
// collecting more than that many).
std::optional<std::vector<std::string_view>> SplitKeyPath(std::string_view path);

bool IsValidUtf8(std::string_view text);
// True when the text holds a character below U+0020 or DEL, which the quoted
// forms of the file cannot carry.
bool HasControlCharacter(std::string_view text);

// What is wrong with a key name (non-empty, at most kMaxKeyNameUnits long,
// valid UTF-8, no backslash, no control character); empty when nothing is.
std::string KeyNameProblem(std::string_view name);
// What is wrong with a value name ("" is the default value; at most
// kMaxValueNameUnits long, valid UTF-8, no control character); empty when
// nothing is.
std::string ValueNameProblem(std::string_view name);
inline bool IsValidKeyName(std::string_view name) { return KeyNameProblem(name).empty(); }
inline bool IsValidValueName(std::string_view name) { return ValueNameProblem(name).empty(); }

// True when a string value's data, two bytes per UTF-16 code unit as
// stored, is within kMaxValueDataBytes; text far too long is refused unread.
bool StringDataFits(std::string_view text);

}  // namespace albumcore::registry
