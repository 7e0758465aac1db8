// The item record: the object's copy of one AlbumItems row, and how it is
// read from a recordset over that table.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "com/variant.h"
#include "store/dao/database.h"
#include "store/dao/recordset.h"

namespace albumcore::items {

struct ItemRecord {
  int32_t id = -1;    // -1 when not connected
  int32_t type = -1;  // -1 until loaded
  std::string dataMoniker;
  std::string thumbMoniker;
  std::string soundMoniker;
  com::Variant dateCreated;   // VT_DATE, or VT_NULL for anything else stored
  com::Variant dateModified;  // the same
  int32_t size = 0;           // low 32 bits of the file size
  int32_t bigSize = 0;        // high 32 bits
  bool readOnly = false;
  bool isProtected = false;
  bool hidden = false;
  bool playable = false;
  bool archived = false;
  bool backedUp = false;
  int32_t rating = 0;
  com::Variant dataXml;  // as stored
  std::string fileUniqueId;
  std::string note;
  std::string name;
};

// Column names, written once for reading and writing alike.
namespace item_columns {
inline constexpr std::string_view kType = "ItemType";
inline constexpr std::string_view kDataMoniker = "ItemDataMoniker";
inline constexpr std::string_view kThumbMoniker = "ItemThumbMoniker";
inline constexpr std::string_view kSoundMoniker = "SoundMoniker";
inline constexpr std::string_view kDateCreated = "DateCreated";
inline constexpr std::string_view kDateModified = "DateModified";
inline constexpr std::string_view kSize = "Size";
inline constexpr std::string_view kBigSize = "BigSize";
inline constexpr std::string_view kReadOnly = "ReadOnly";
inline constexpr std::string_view kProtected = "Protected";
inline constexpr std::string_view kHidden = "Hidden";
inline constexpr std::string_view kPlayable = "Playable";
inline constexpr std::string_view kArchived = "Archived";
inline constexpr std::string_view kBackedUp = "BackedUp";
inline constexpr std::string_view kRating = "Rating";
inline constexpr std::string_view kDataXml = "DataXML";
inline constexpr std::string_view kFileUniqueId = "FileUniqueID";
inline constexpr std::string_view kNote = "Note";
inline constexpr std::string_view kName = "Name";
inline constexpr std::string_view kFilename = "Filename";
inline constexpr std::string_view kItemId = "ItemID";
}  // namespace item_columns

// Copies the current row of `rows` (a recordset over AlbumItems) into
// `record`, keeping record.id. Strings that are not text read as empty; a
// date that is no date reads as null; a table without BackedUp reads false.
void ReadItemRecord(store::dao::Recordset& rows, ItemRecord& record);

// Reading columns of a row as the records keep them: a column the table
// lacks reads as null, null numbers as 0, anything but text as "".
com::Variant ColumnOf(store::dao::Recordset& rows, std::string_view name);
int32_t WholeOrZero(const com::Variant& value);
std::string TextOrEmpty(const com::Variant& value);

// Writes `values` into the one row the stored query `query` opens for
// `id`, in one Edit/Update; E_FAIL (raised) when it opens none.
void WriteRow(store::dao::Database& db, std::string_view query, int32_t id,
              std::initializer_list<std::pair<std::string_view, com::Variant>> values);

// A stored date as the record keeps it: VT_DATE when it is a date the
// calendar can hold, VT_NULL otherwise.
com::Variant StoredDate(const com::Variant& value);

}  // namespace albumcore::items
