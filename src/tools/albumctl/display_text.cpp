#include "display_text.h"

#include <cstdio>

#include "store/jetsql/jet_text.h"

namespace albumcore::tools {

namespace {

using store::jetsql::DecodeUtf8;
using store::jetsql::kInvalidBase;

std::string Hex(const char* format, unsigned value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

// Calls `character(c, bytes)` for each character of valid UTF-8 and
// `invalid(byte)` for each byte that is not.
template <class Character, class Invalid>
void ForEachCharacter(std::string_view text, Character&& character, Invalid&& invalid) {
  for (size_t i = 0; i < text.size();) {
    const size_t start = i;
    const char32_t c = DecodeUtf8(text, i);
    if (c >= kInvalidBase) invalid(static_cast<unsigned>(c - kInvalidBase));
    else character(c, text.substr(start, i - start));
  }
}

}  // namespace

std::string DisplayText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  ForEachCharacter(
      text,
      [&](char32_t c, std::string_view bytes) {
        if (c == '\n') out += "\\n";
        else if (c == '\r') out += "\\r";
        else if ((c < 0x20 && c != '\t') || c == 0x7F) out += Hex("\\x%02X", static_cast<unsigned>(c));
        else out += bytes;
      },
      [&](unsigned byte) { out += Hex("\\x%02X", byte); });
  return out;
}

std::string JsonString(std::string_view text) {
  std::string out = "\"";
  ForEachCharacter(
      text,
      [&](char32_t c, std::string_view bytes) {
        switch (c) {
          case '"': out += "\\\""; break;
          case '\\': out += "\\\\"; break;
          case '\n': out += "\\n"; break;
          case '\r': out += "\\r"; break;
          case '\t': out += "\\t"; break;
          default:
            if (c < 0x20) out += Hex("\\u%04x", static_cast<unsigned>(c));
            else out += bytes;
        }
      },
      [&](unsigned) { out += "\xEF\xBF\xBD"; });  // U+FFFD
  return out + "\"";
}

}  // namespace albumcore::tools
