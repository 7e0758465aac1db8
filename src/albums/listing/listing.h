// Album item listings: the Jet SQL an album lists its items with, and the
// reading of such a statement into the parallel arrays of a listing.
//
// Every album class has two statements over "AlbumItems AS SearchDomain":
// one selecting only ItemID (the membership, Count, IsInAlbum, the
// short listing) and one selecting the columns of the full listing. A
// class differs only by its selection (ListingKind); the filter and sort
// pieces are the same for all and are appended in that order.
//
// The builders only compose text. The filter is a client's list of item
// types inserted between "SearchDomain.ItemType IN (" and ")"; text that
// is not a comma-separated list of integers (blanks allowed) is refused
// with the engine's syntax error (JetError(3075)) before any statement
// exists, so a client cannot change what the statement means. An empty or
// null filter adds nothing.
//
// The readers run a statement through the adapter and fill the arrays:
// the rows are counted first, every array is allocated once at that size
// and the rows are read in one forward pass, fields by column name. The
// count is a Count(*) over the statement without its sort (moving to the
// last row would run the statement and its sort twice); text that cannot
// be counted so is counted by moving to its last row. Should the file
// change between count and pass, the arrays hold the rows of the pass. A
// database Null reads as "" in text arrays and as 0 in the others; a value
// that is not a 32-bit integer reads as 0 in the integer arrays (an item
// without a PhotoItem row lists rotation 0). No rows: every output stays
// VT_EMPTY. Engine failures are raised as their ComError; the outputs are
// set only when the whole listing was read.
//
// Size: a listing holds what the file holds, about 150 bytes a row plus
// its text (a million items are some hundreds of MiB in memory). Such a
// result does not fit in one D-Bus message (128 MiB at most); sending it
// over the bus is the stub's concern, not this reader's.
//
// Main loop only (the database session is).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "com/text.h"
#include "com/variant.h"
#include "store/dao/database.h"
#include "typelib/kiv_album_enums.h"
#include "typelib/kiv_library.h"

namespace albumcore::albums::listing {

using typelib::enumNaxSortField;
using typelib::enumNaxSortOrder;
using enum typelib::enumNaxSortField;
using enum typelib::enumNaxSortOrder;

// The selection an album class lists with.
enum class ListingKind {
  PlainAlbum,    // members of the album; the full listing leaves hidden items out
  DeviceAlbum,   // as PlainAlbum
  SpecialAlbum,  // members of the album, hidden ones included (bin, root, MRU, device sub-albums, ...)
  Shoebox,       // every item of the catalogue
  AllFiles,      // every item whose type is outside 8 to 16
  AllAlbums,     // every album (type 9) but the special ones and those whose only parent is the MRU album
  SearchResults, // every item of the SearchResults table
};

// " ORDER BY SearchDomain.<column>" for a sort field of the table; empty for
// NAX_SORT_NONE and any value outside the table.
std::string_view SortText(uint32_t sortField);

// Appends the sort text and, after one, " ASC" (sortOrder 0) or " DESC".
void AppendSort(std::string& sql, uint32_t sortField, uint32_t sortOrder);

// Appends " AND" (hasWhere) or " WHERE", then
// " SearchDomain.ItemType IN (<filter>)"; nothing for an empty filter.
// JetError(3075) for a filter that is not a list of integers.
void AppendFilter(std::string& sql, const com::Bstr& filter, bool hasWhere);

// The ID-only statement and the full statement of an album of `kind`.
// albumId is used by the album kinds, mruAlbumId (the recently-used
// album's ID) by AllAlbums only.
std::string BuildItemIdQuery(ListingKind kind, int32_t albumId, int32_t mruAlbumId, const com::Bstr& filter,
                             uint32_t sortField, uint32_t sortOrder);
std::string BuildListingQuery(ListingKind kind, int32_t albumId, int32_t mruAlbumId, const com::Bstr& filter,
                              uint32_t sortField, uint32_t sortOrder);

// The ID-only selection narrowed to one item: a row when `itemId` is listed.
std::string BuildMemberTest(ListingKind kind, int32_t albumId, int32_t mruAlbumId, int32_t itemId);

// The ID-only statement with the short listing's columns inserted before
// its first " from" (any case); the text unchanged when it has none.
std::string ShortListingQuery(std::string_view itemIdQuery);

// The full listing of `sql` (a statement selecting ItemID first and the
// listing columns by name). `readOnly` may be null; then the ReadOnly
// column is not read. E_POINTER for a null `arrays`.
void ReadListing(store::dao::Database& db, std::string_view sql, typelib::ItemListingArrays* arrays,
                 com::Variant* readOnly);

// The short listing: ShortListingQuery(itemIdQuery), read into the IDs,
// names, types and the two dates. E_POINTER for a null output.
void ReadShortListing(store::dao::Database& db, std::string_view itemIdQuery, com::Variant* id, com::Variant* name,
                      com::Variant* type, com::Variant* dateCreated, com::Variant* dateModified);

}  // namespace albumcore::albums::listing
