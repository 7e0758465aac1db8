#include "items/item/item_types.h"

#include <array>
#include <utility>

namespace albumcore::items {

std::string_view ItemTypeLabel(int32_t type) noexcept {
  static constexpr std::array<std::pair<int32_t, std::string_view>, 13> kLabels = {{
      {1, "stringRef:Core.KXProject"},
      {4, "stringRef:Core.MediaProduction"},
      {7, "stringRef:Core.KX5SlideShow"},
      {kAlbumItemType, "stringRef:Core.Collection"},
      {17, "stringRef:Core.DVDProject"},
      {18, "stringRef:Core.ForgeProject"},
      {19, "stringRef:Core.LabelProject"},
      {kPlaylistItemType, "stringRef:Core.Playlist"},
      {23, "stringRef:Core.Slideshow"},
      {24, "stringRef:Core.Ifo"},
      {25, "stringRef:Core.Vob"},
      {26, "stringRef:Core.SoundEditorProject"},
      {27, "stringRef:Core.MusicDiskProject"},
  }};
  for (const auto& [number, label] : kLabels)
    if (number == type) return label;
  return {};
}

}  // namespace albumcore::items
