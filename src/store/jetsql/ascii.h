// ASCII case helpers for Jet keywords, function names and format codes
// (names of things use SameName in schema.h, which folds Unicode).
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace albumcore::store::jetsql {

inline bool IEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

inline std::string Upper(std::string_view s) {
  std::string out(s);
  for (auto& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace albumcore::store::jetsql
