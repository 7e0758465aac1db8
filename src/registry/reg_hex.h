// Binary value data of the export format: "hex(1):41,00,62,00" byte lists
// and the UTF-16LE text they carry for strings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace albumcore::registry {

// Parses "41,00, 62,00," (bytes of one or two hex digits separated by commas,
// spaces around them and one trailing comma allowed; the list may be empty).
// False on anything else.
bool ParseHexByteList(std::string_view list, std::vector<uint8_t>& out);

// UTF-16LE bytes of UTF-8 text, without a terminating null.
std::vector<uint8_t> EncodeUtf16Le(std::string_view utf8);

// UTF-8 text of UTF-16LE bytes; one terminating null (00,00) is dropped.
// Nullopt for an odd byte count or an unpaired surrogate, which UTF-8 text
// cannot carry.
std::optional<std::string> DecodeUtf16Le(const std::vector<uint8_t>& bytes);

// `prefix` followed by the bytes as "xx,xx,..." lines of at most 80
// characters, each continued with "\" and the next indented by two spaces,
// as the registry editor writes them.
std::string FormatHexLines(std::string prefix, const std::vector<uint8_t>& bytes);

}  // namespace albumcore::registry
