// The item types the server itself tells apart, and the display label of
// those that name a project or a collection. An item's type is a 32-bit
// number stored with it; other numbers pass through untouched.
#pragma once

#include <cstdint>
#include <string_view>

namespace albumcore::items {

inline constexpr int32_t kPhotoItemType = 0;
inline constexpr int32_t kAlbumItemType = 9;
// A type whose thumbnail is not asked for again while a request is under way.
inline constexpr int32_t kNoRepeatThumbnailType = 15;
inline constexpr int32_t kPlaylistItemType = 22;

// Whether a thumbnail made again keeps the item's thumbnail moniker as its
// source instead of the data moniker.
constexpr bool KeepsThumbnailSource(int32_t type) { return type == -2 || type == -3; }

// "stringRef:Core...." for the project and collection types; empty for the
// others (photos and other media have none).
std::string_view ItemTypeLabel(int32_t type) noexcept;

}  // namespace albumcore::items
