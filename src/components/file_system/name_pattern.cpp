#include "components/file_system/name_pattern.h"

#include <cctype>

namespace albumcore::file_system {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string Normalised(std::string_view alternative) {
  std::string out;
  if (alternative.find_first_of("*?.") == std::string_view::npos) out = "*.";
  for (char c : alternative) out += Lower(c);
  return out;
}

// Wildcard match without recursion: on a mismatch, the last "*" takes one
// more character and matching resumes after it.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0;
  size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == Lower(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

NamePattern::NamePattern(std::string_view text) {
  while (!text.empty()) {
    const size_t end = text.find(';');
    std::string_view alternative = text.substr(0, end);
    if (!alternative.empty()) alternatives_.push_back(Normalised(alternative));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
}

bool NamePattern::Matches(std::string_view name) const {
  for (const std::string& alternative : alternatives_) {
    if (WildcardMatch(alternative, name)) return true;
  }
  return false;
}

}  // namespace albumcore::file_system
