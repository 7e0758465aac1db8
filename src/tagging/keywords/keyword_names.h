// Keyword names: how long they may be and when two are the same.
#pragma once

#include <cstddef>
#include <string_view>

namespace albumcore::tagging::keywords {

// Longer names are cut to this many UTF-16 units before anything else.
inline constexpr size_t kMaxKeywordNameUnits = 250;

std::string_view CutKeywordName(std::string_view name);

// Two names are one keyword when they are equal ignoring case, with the
// Unicode simple case folding the store compares Jet text with.
bool SameKeywordName(std::string_view a, std::string_view b);

}  // namespace albumcore::tagging::keywords
