// File-name patterns of the handler's enumeration.
//
// A pattern is a list of alternatives separated by ";": "*.kxsf;dat" lists
// the names ending in ".kxsf" or ".dat". An alternative with no wildcard and
// no dot is an extension ("dat" stands for "*.dat"); any other is a name
// pattern in which "*" matches any run of characters (dots included) and "?"
// one character; every other character stands for itself ("[" too). Names
// match ignoring ASCII case, as extensions do everywhere in the component.
// Matching is one loop with one backtrack point (the last "*"), so a pattern
// of many stars costs at most name length x pattern length steps.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace albumcore::file_system {

class NamePattern {
 public:
  // Empty alternatives are skipped; a pattern of none matches nothing.
  explicit NamePattern(std::string_view text);

  bool Matches(std::string_view name) const;

 private:
  std::vector<std::string> alternatives_;  // lower case, extensions spelled out
};

}  // namespace albumcore::file_system
