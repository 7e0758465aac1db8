#include "registry/reg_hex.h"

#include "com/text.h"

namespace albumcore::registry {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

bool ParseHexByteList(std::string_view list, std::vector<uint8_t>& out) {
  out.clear();
  list = Trim(list);
  if (list.empty()) return true;
  if (list.back() == ',') list.remove_suffix(1);
  size_t start = 0;
  while (start <= list.size()) {
    size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) comma = list.size();
    std::string_view token = Trim(list.substr(start, comma - start));
    if (token.empty() || token.size() > 2) return false;
    int value = 0;
    for (char c : token) {
      int digit = HexDigit(c);
      if (digit < 0) return false;
      value = value * 16 + digit;
    }
    out.push_back(static_cast<uint8_t>(value));
    start = comma + 1;
  }
  return true;
}

std::vector<uint8_t> EncodeUtf16Le(std::string_view utf8) {
  std::u16string units = com::ToUtf16(utf8);
  std::vector<uint8_t> bytes;
  bytes.reserve(units.size() * 2);
  for (char16_t u : units) {
    bytes.push_back(static_cast<uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<uint8_t>(u >> 8));
  }
  return bytes;
}

std::optional<std::string> DecodeUtf16Le(const std::vector<uint8_t>& bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (size_t i = 0; i < bytes.size(); i += 2) units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
  if (!units.empty() && units.back() == u'\0') units.pop_back();
  for (size_t i = 0; i < units.size(); ++i) {
    char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      return std::nullopt;
    }
  }
  return com::ToUtf8(units);
}

std::string FormatHexLines(std::string prefix, const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  static constexpr size_t kMaxLine = 80;
  std::string out = std::move(prefix);
  size_t lineStart = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    bool last = i + 1 == bytes.size();
    // Room for "xx," and, unless this is the last byte, a continuation "\".
    if (out.size() - lineStart + 3 + (last ? 0 : 1) > kMaxLine) {
      out += "\\\n  ";
      lineStart = out.size() - 2;
    }
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0xF];
    if (!last) out += ',';
  }
  return out;
}

}  // namespace albumcore::registry
