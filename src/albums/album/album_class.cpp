#include "albums/album/album_class.h"

#include <array>

#include "items/item/item_types.h"

namespace albumcore::albums {

bool AlbumClass::CanAdd(int32_t itemType) const {
  switch (takes) {
    case TakesItems::Any: return true;
    case TakesItems::NotAlbums: return itemType != items::kAlbumItemType;
    case TakesItems::AlbumsOnly: return itemType == items::kAlbumItemType;
    case TakesItems::None: return false;
  }
  return false;
}

namespace {

constexpr std::string_view kSpecialCover = "skin::AlbumImages\\Bin.png";

constexpr AlbumClass kPlain{"LumAlbum", "root:Collections.ico", true, {}, {}, TakesItems::Any, true, true};

// By special type, SAT_BIN to SAT_DEVICES.
constexpr std::array<AlbumClass, 7> kSpecial{{
    {"LumBin", "root:Bin.ico", false, "stringRef:Core.Bin", kSpecialCover, TakesItems::NotAlbums, false, false},
    {"LumRoot", "root:Root.ico", false, "stringRef:Core.Root", kSpecialCover, TakesItems::AlbumsOnly, false, false},
    {"LumArchive", "root:Archive.ico", false, "stringRef:Core.BurnList", kSpecialCover, TakesItems::Any, false, false},
    {"LumMRU", "root:Mru.ico", false, "stringRef:Core.MRU", kSpecialCover, TakesItems::None, false, false},
    {"LumClipboard", "root:Bin.ico", false, "stringRef:Core.Clipboard", kSpecialCover, TakesItems::Any, false, false},
    {"LumRecentlyImported", "root:Bin.ico", false, "stringRef:Core.RecentImport", kSpecialCover, TakesItems::Any,
     false, false},
    {"LumDevices", "root:MyDevices.ico", false, "stringRef:Core.Devices", kSpecialCover, TakesItems::None, false,
     false},
}};

}  // namespace

constexpr AlbumClass kMruSection{"LumMRUSection", "root:Collections.ico", true, {}, {}, TakesItems::None, false, false};

const AlbumClass& PlainAlbumClass() { return kPlain; }
const AlbumClass& MruSectionClass() { return kMruSection; }

const AlbumClass* SpecialAlbumClass(int32_t specialType) {
  if (specialType < 0 || static_cast<size_t>(specialType) >= kSpecial.size()) return nullptr;
  return &kSpecial[static_cast<size_t>(specialType)];
}

}  // namespace albumcore::albums
