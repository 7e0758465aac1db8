#include "albums/album/album_class.h"

#include <algorithm>
#include <array>

#include "items/item/item_types.h"

namespace albumcore::albums {

bool AlbumClass::CanAdd(int32_t itemType) const {
  switch (takes) {
    case TakesItems::Any: return true;
    case TakesItems::NotAlbums: return itemType != items::kAlbumItemType;
    case TakesItems::AlbumsOnly: return itemType == items::kAlbumItemType;
    case TakesItems::None: return false;
    case TakesItems::Listed: return std::find(listed.begin(), listed.end(), itemType) != listed.end();
  }
  return false;
}

namespace {

constexpr std::string_view kSpecialCover = "skin::AlbumImages\\Bin.png";

constexpr AlbumClass kPlain{"LumAlbum", "root:Collections.ico", true, {}, {}, TakesItems::Any, {}, ClientWrites::All,
                            true};

constexpr AlbumClass kDevice{"LumDeviceAlbum", "root:Archive.ico", true, {}, {}, TakesItems::None, {},
                             ClientWrites::NameOnly, true};

// Item types a device sub-album takes, by its album type.
constexpr std::array<int32_t, 1> kDevicePhotos{0};
constexpr std::array<int32_t, 2> kDeviceMusic{2, 22};
constexpr std::array<int32_t, 1> kDeviceVideos{3};
constexpr std::array<int32_t, 2> kDeviceRingtones{2, 29};
constexpr std::array<int32_t, 11> kDeviceFiles{0, 1, 2, 3, 7, 20, 22, 24, 25, 28, 29};

// By album type, CAT_DEVICE_PHOTOS to CAT_DEVICE_SYNCH, then the row of any
// other type.
constexpr std::array<AlbumClass, 7> kDeviceSub{{
    {"LumDeviceSubAlbum", "root:PhotoSync.ico", false, {}, {}, TakesItems::Listed, kDevicePhotos, ClientWrites::None,
     false},
    {"LumDeviceSubAlbum", "root:MusicSync.ico", false, {}, {}, TakesItems::Listed, kDeviceMusic, ClientWrites::None,
     false},
    {"LumDeviceSubAlbum", "root:VideoSync.ico", false, {}, {}, TakesItems::Listed, kDeviceVideos, ClientWrites::None,
     false},
    {"LumDeviceSubAlbum", "root:RingtoneSync.ico", false, {}, {}, TakesItems::Listed, kDeviceRingtones,
     ClientWrites::None, false},
    {"LumDeviceSubAlbum", "root:FileSync.ico", false, {}, {}, TakesItems::Listed, kDeviceFiles, ClientWrites::None,
     false},
    {"LumDeviceSubAlbum", "root:DeviceSync.ico", false, {}, {}, TakesItems::Any, {}, ClientWrites::None, false},
    {"LumDeviceSubAlbum", "root:DeviceSync.ico", false, {}, {}, TakesItems::None, {}, ClientWrites::None, false},
}};

// By special type, SAT_BIN to SAT_DEVICES.
constexpr std::array<AlbumClass, 7> kSpecial{{
    {"LumBin", "root:Bin.ico", false, "stringRef:Core.Bin", kSpecialCover, TakesItems::NotAlbums, {},
     ClientWrites::None, false},
    {"LumRoot", "root:Root.ico", false, "stringRef:Core.Root", kSpecialCover, TakesItems::AlbumsOnly, {},
     ClientWrites::None, false},
    {"LumArchive", "root:Archive.ico", false, "stringRef:Core.BurnList", kSpecialCover, TakesItems::Any, {},
     ClientWrites::None, false},
    {"LumMRU", "root:Mru.ico", false, "stringRef:Core.MRU", kSpecialCover, TakesItems::None, {}, ClientWrites::None,
     false},
    {"LumClipboard", "root:Bin.ico", false, "stringRef:Core.Clipboard", kSpecialCover, TakesItems::Any, {},
     ClientWrites::None, false},
    {"LumRecentlyImported", "root:Bin.ico", false, "stringRef:Core.RecentImport", kSpecialCover, TakesItems::Any,
     {}, ClientWrites::None, false},
    {"LumDevices", "root:MyDevices.ico", false, "stringRef:Core.Devices", kSpecialCover, TakesItems::None, {},
     ClientWrites::None, false},
}};

// By reserved ID, -1 (shoebox) to -4 (all albums).
constexpr std::array<AlbumClass, 4> kVirtual{{
    {"LumShoebox", "root:Collections.ico", true, "stringRef:Core.Shoebox", "skin::AlbumImages\\Shoebox.png",
     TakesItems::Any, {}, ClientWrites::None, false},
    {"LumSearchResults", "root:SearchResults.ico", false, "stringRef:Core.SearchResults", kSpecialCover,
     TakesItems::None, {}, ClientWrites::None, false},
    {"LumAllFiles", "root:AllMedia.ico", false, "stringRef:Core.AllMedia", kSpecialCover, TakesItems::NotAlbums, {},
     ClientWrites::None, false},
    {"LumAllAlbumsAlbum", "root:AllCollections.ico", false, "stringRef:Core.AllCollection", kSpecialCover,
     TakesItems::None, {}, ClientWrites::None, false},
}};

}  // namespace

constexpr AlbumClass kMruSection{"LumMRUSection", "root:Collections.ico", true, {}, {}, TakesItems::None, {},
                                 ClientWrites::None, false};

const AlbumClass& PlainAlbumClass() { return kPlain; }
const AlbumClass& MruSectionClass() { return kMruSection; }
const AlbumClass& DeviceAlbumClass() { return kDevice; }

const AlbumClass& DeviceSubAlbumClass(int32_t customType) {
  if (customType < CAT_DEVICE_PHOTOS || customType > CAT_DEVICE_SYNCH) return kDeviceSub.back();
  return kDeviceSub[static_cast<size_t>(customType - CAT_DEVICE_PHOTOS)];
}

const AlbumClass* SpecialAlbumClass(int32_t specialType) {
  if (specialType < 0 || static_cast<size_t>(specialType) >= kSpecial.size()) return nullptr;
  return &kSpecial[static_cast<size_t>(specialType)];
}

const AlbumClass* VirtualAlbumClass(int32_t albumId) {
  if (albumId > -1 || albumId < -static_cast<int32_t>(kVirtual.size())) return nullptr;
  return &kVirtual[static_cast<size_t>(-albumId - 1)];
}

}  // namespace albumcore::albums
