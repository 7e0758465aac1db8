// What makes one album class differ from another: its icon, its display
// name and cover when it is a special album, which item types it takes,
// which of its names clients may change, and how it lists its items. One
// row per class (per album type for the device sub-albums), declared once
// in album_class.cpp; the album object reads its row.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "typelib/kiv_album_enums.h"

namespace albumcore::albums {

// The album types of the interfaces (typelib), under the names the album
// classes use.
using typelib::CustomAlbumType;
using typelib::SpecialAlbumType;
using enum typelib::SpecialAlbumType;
using enum typelib::CustomAlbumType;

enum class TakesItems { Any, NotAlbums, AlbumsOnly, None, Listed };

// Which of Name, CoverMoniker and AlbumMoniker clients may put; the others
// are refused with CO_E_NOT_SUPPORTED. CanRename answers 1 only for All.
enum class ClientWrites { None, NameOnly, All };
enum class AlbumProperty { Name, CoverMoniker, AlbumMoniker };

struct AlbumClass {
  std::string_view name;          // "LumAlbum"
  std::string_view iconDefault;   // "root:Collections.ico"
  bool customIcon;                // a stored AlbumIcon replaces the default
  std::string_view nameKey;       // special albums: their display name; empty: from the album item
  std::string_view cover;         // special albums: their cover
  TakesItems takes;
  std::span<const int32_t> listed;  // TakesItems::Listed: the item types taken
  ClientWrites writes;
  bool hidesHiddenItems;          // the full listing leaves hidden items out
  bool CanAdd(int32_t itemType) const;
  bool AcceptsPut(AlbumProperty property) const {
    return writes == ClientWrites::All || (writes == ClientWrites::NameOnly && property == AlbumProperty::Name);
  }
  bool OffersRename() const { return writes == ClientWrites::All; }
};

const AlbumClass& PlainAlbumClass();
// A section of the recently-used album: an album record that only the
// recently-used list fills.
const AlbumClass& MruSectionClass();
// The class of a special album type; null for a type outside the table.
const AlbumClass* SpecialAlbumClass(int32_t specialType);
// A device album (CAT_DEVICE): the album of one device, parent of its
// sub-albums.
const AlbumClass& DeviceAlbumClass();
// A device sub-album by its stored album type, CAT_DEVICE_PHOTOS to
// CAT_DEVICE_SYNCH; any other type gives the row that takes nothing.
const AlbumClass& DeviceSubAlbumClass(int32_t customType);
// The class of a virtual album by its reserved ID (-1 to -4); null for any
// other ID.
const AlbumClass* VirtualAlbumClass(int32_t albumId);

}  // namespace albumcore::albums
