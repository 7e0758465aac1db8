// GUIDs in registry form: braces, upper-case hexadecimal, 38 characters,
// "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}".
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace albumcore::com {

struct Guid {
  std::array<uint8_t, 16> bytes{};  // in text order

  // A new random (version 4) GUID.
  static Guid Create();
  // Accepts the registry form, with or without braces, any letter case.
  static std::optional<Guid> Parse(std::string_view text);

  std::string ToString() const;  // registry form
  friend bool operator==(const Guid&, const Guid&) = default;
};

}  // namespace albumcore::com
