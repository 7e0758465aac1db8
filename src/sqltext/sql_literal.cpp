#include "sqltext/sql_literal.h"

namespace albumcore::sqltext {

namespace {

constexpr std::string_view kQuoteOutside = "\" & chr(34) & \"";
constexpr std::string_view kBarOutside = "\" & chr(124) & \"";

// Appends the replacement of a character both functions escape; false for others.
bool AppendLiteralEscape(std::string& out, char c) {
  if (c == '"') {
    out += kQuoteOutside;
  } else if (c == '|') {
    out += kBarOutside;
  } else {
    return false;
  }
  return true;
}

}  // namespace

std::string QuoteSqlString(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (char c : text) {
    if (!AppendLiteralEscape(out, c)) out += c;
  }
  out += '"';
  return out;
}

std::string EscapeLikeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (AppendLiteralEscape(out, c)) continue;
    switch (c) {
      case '[': out += "[[]"; break;
      case '%': out += "[%]"; break;
      case '*': out += "[*]"; break;
      case '_': out += "[_]"; break;
      default: out += c;
    }
  }
  return out;
}

}  // namespace albumcore::sqltext
