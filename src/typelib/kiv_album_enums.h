// Enumerations of the album interfaces: the special and custom album types
// (IKivAlbum::IsSpecialAlbum and Type, IKivLibrary::GetSpecialAlbumID and
// CreateAlbumCustom), and the sort field and direction of the item listings
// (IKivAlbum::GetAlbumItems*, IKivLibrary::GetNodeItems*).
#pragma once

#include <cstdint>

namespace albumcore::typelib {

// tagDruSpecialAlbumType: the special album types of SpecialAlbums.Type.
enum SpecialAlbumType : int32_t {
  SAT_UNKNOWN = -1,
  SAT_BIN = 0,
  SAT_ROOT = 1,
  SAT_ARCHIVE = 2,
  SAT_MRU = 3,
  SAT_CLIPBOARD = 4,
  SAT_RECENTLYIMPORTED = 5,
  SAT_DEVICES = 6,
};

// tagDruCustomAlbumType: Albums.AlbumType.
enum CustomAlbumType : int32_t {
  CAT_UNKNOWN = -1,
  CAT_NORMAL = 0,
  CAT_DEVICE = 1,
  CAT_DEVICE_PHOTOS = 2,
  CAT_DEVICE_MUSIC = 3,
  CAT_DEVICE_VIDEOS = 4,
  CAT_DEVICE_RINGTONES = 5,
  CAT_DEVICE_FILES = 6,
  CAT_DEVICE_SYNCH = 7,
};

// enumNaxSortField: the one column a listing is sorted by. Values outside
// the table sort nothing, as NAX_SORT_NONE does.
enum enumNaxSortField : uint32_t {
  NAX_SORT_NONE = 0,
  NAX_SORT_NAME = 1,
  NAX_SORT_SIZE = 2,
  NAX_SORT_DATECREATED = 3,
  NAX_SORT_DATEMODIFIED = 4,
  NAX_SORT_TYPE = 5,
  NAX_SORT_FILENAME = 6,
  NAX_SORT_RATING = 7,
};

// enumNaxSortOrder: any value other than NAX_SORT_ASCENDING sorts
// descending.
enum enumNaxSortOrder : uint32_t {
  NAX_SORT_ASCENDING = 0,
  NAX_SORT_DESCENDING = 1,
};

}  // namespace albumcore::typelib
