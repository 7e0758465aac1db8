#include "item_texts.h"

#include <array>
#include <charconv>
#include <utility>

#include "components/file_system/item_types.h"
#include "display_text.h"

namespace albumcore::tools {

namespace {

// The names albumctl shows and accepts, one per type.
constexpr std::array<std::pair<int32_t, const char*>, 8> kTypeNames{{
    {file_system::kItemPhoto, "photo"},
    {file_system::kItemAudio, "audio"},
    {file_system::kItemVideo, "video"},
    {kAlbumItemType, "album"},
    {file_system::kItemRecordedTv, "recorded TV"},
    {file_system::kItemPlaylist, "playlist"},
    {file_system::kItemDiscInformation, "video disc"},
    {file_system::kItemDiscVideoObject, "video disc"},
}};

}  // namespace

std::string TypeName(int32_t type) {
  for (const auto& [number, name] : kTypeNames)
    if (number == type) return name;
  return "type " + std::to_string(type);
}

std::optional<int32_t> TypeNamed(const std::string& word) {
  for (const auto& [number, name] : kTypeNames)
    if (word == name) return number;
  int32_t number = 0;
  const char* end = word.data() + word.size();
  auto [stop, ec] = std::from_chars(word.data(), end, number);
  if (ec == std::errc() && stop == end && number >= 0) return number;
  return std::nullopt;
}

std::string ShownMoniker(const std::string& moniker) {
  const std::string_view prefix = kFileProtocol;
  return DisplayText(moniker.rfind(prefix, 0) == 0 ? moniker.substr(prefix.size()) : moniker);
}

}  // namespace albumcore::tools
