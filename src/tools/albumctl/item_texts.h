// How albumctl shows an item's type and file, shared by the item and album
// commands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace albumcore::tools {

inline constexpr const char* kFileProtocol = "file::";
// Albums are items of this type.
inline constexpr int32_t kAlbumItemType = 9;

std::string TypeName(int32_t type);
// The type a person names ("photo", "album", or a number); none for a word
// albumctl does not know.
std::optional<int32_t> TypeNamed(const std::string& word);
// A moniker as a person reads it: the path of a file, anything else as it is.
std::string ShownMoniker(const std::string& moniker);

}  // namespace albumcore::tools
