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

// By reserved ID, -1 (shoebox) to -4 (all albums).
constexpr std::array<AlbumClass, 4> kVirtual{{
    {"LumShoebox", "root:Collections.ico", true, "stringRef:Core.Shoebox", "skin::AlbumImages\\Shoebox.png",
     TakesItems::Any, false, false},
    {"LumSearchResults", "root:SearchResults.ico", false, "stringRef:Core.SearchResults", kSpecialCover,
     TakesItems::None, false, false},
    {"LumAllFiles", "root:AllMedia.ico", false, "stringRef:Core.AllMedia", kSpecialCover, TakesItems::NotAlbums, false,
     false},
    {"LumAllAlbumsAlbum", "root:AllCollections.ico", false, "stringRef:Core.AllCollection", kSpecialCover,
     TakesItems::None, false, false},
}};

}  // namespace

constexpr AlbumClass kMruSection{"LumMRUSection", "root:Collections.ico", true, {}, {}, TakesItems::None, false, false};

const AlbumClass& PlainAlbumClass() { return kPlain; }
const AlbumClass& MruSectionClass() { return kMruSection; }

const AlbumClass* SpecialAlbumClass(int32_t specialType) {
  if (specialType < 0 || static_cast<size_t>(specialType) >= kSpecial.size()) return nullptr;
  return &kSpecial[static_cast<size_t>(specialType)];
}

const AlbumClass* VirtualAlbumClass(int32_t albumId) {
  if (albumId > -1 || albumId < -static_cast<int32_t>(kVirtual.size())) return nullptr;
  return &kVirtual[static_cast<size_t>(-albumId - 1)];
}

}  // namespace albumcore::albums
