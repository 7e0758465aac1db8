#include "com/guid.h"

#include <random>

namespace albumcore::com {

Guid Guid::Create() {
  static thread_local std::mt19937_64 engine = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(), device(), device(), device(), device()};
    return std::mt19937_64(seed);
  }();
  Guid g;
  for (size_t i = 0; i < 16; i += 8) {
    uint64_t r = engine();
    for (size_t k = 0; k < 8; ++k) g.bytes[i + k] = static_cast<uint8_t>(r >> (8 * k));
  }
  g.bytes[6] = static_cast<uint8_t>((g.bytes[6] & 0x0F) | 0x40);  // version 4
  g.bytes[8] = static_cast<uint8_t>((g.bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return g;
}

std::optional<Guid> Guid::Parse(std::string_view text) {
  if (text.size() == 38) {
    if (text.front() != '{' || text.back() != '}') return std::nullopt;
    text = text.substr(1, 36);
  }
  if (text.size() != 36) return std::nullopt;
  Guid g;
  size_t byte = 0;
  for (size_t i = 0; i < 36;) {
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (text[i] != '-') return std::nullopt;
      ++i;
      continue;
    }
    auto nibble = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      if (c >= 'A' && c <= 'F') return c - 'A' + 10;
      return -1;
    };
    int hi = nibble(text[i]);
    int lo = nibble(text[i + 1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    g.bytes[byte++] = static_cast<uint8_t>(hi * 16 + lo);
    i += 2;
  }
  return g;
}

std::string Guid::ToString() const {
  static const char kHex[] = "0123456789ABCDEF";
  std::string s = "{";
  for (size_t i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) s += '-';
    s += kHex[bytes[i] >> 4];
    s += kHex[bytes[i] & 0xF];
  }
  return s + "}";
}

}  // namespace albumcore::com
