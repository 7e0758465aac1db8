// Enumerations of the album interfaces: the sort field and direction of
// the item listings (IKivAlbum::GetAlbumItems*, IKivLibrary::GetNodeItems*).
#pragma once

#include <cstdint>

namespace albumcore::typelib {

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
