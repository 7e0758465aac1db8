#include "items/item/item_record.h"

#include "com/oadate.h"
#include "store/dao/stored_call.h"

namespace albumcore::items {

namespace {

using namespace item_columns;

bool Flag(const com::Variant& value) { return !value.isNull() && !value.isEmpty() && value.ToBool(); }

}  // namespace

com::Variant ColumnOf(store::dao::Recordset& rows, std::string_view name) {
  const int index = rows.FindField(name);
  return index < 0 ? com::Variant::Null() : rows.GetValue(index);
}

int32_t WholeOrZero(const com::Variant& value) { return value.isNull() || value.isEmpty() ? 0 : value.ToI4(); }

std::string TextOrEmpty(const com::Variant& value) {
  return value.vt() == com::VT_BSTR ? value.bstr().str() : std::string();
}

void WriteRow(store::dao::Database& db, std::string_view query, int32_t id,
              std::initializer_list<std::pair<std::string_view, com::Variant>> values) {
  auto rows = store::dao::OpenStored(db, query, {{"item_id", id}});
  if (rows->IsEOF()) throw com::ComError(com::E_FAIL, std::string(query) + " finds no row for " + std::to_string(id));
  rows->Edit();
  for (const auto& [column, value] : values) rows->Fields(column).SetValue(value);
  rows->Update();
}

com::Variant StoredDate(const com::Variant& value) {
  if (value.vt() == com::VT_DATE && com::FromOaDate(value.date())) return value;
  return com::Variant::Null();
}

void ReadItemRecord(store::dao::Recordset& rows, ItemRecord& record) {
  record.type = WholeOrZero(ColumnOf(rows, kType));
  record.dataMoniker = TextOrEmpty(ColumnOf(rows, kDataMoniker));
  record.thumbMoniker = TextOrEmpty(ColumnOf(rows, kThumbMoniker));
  record.soundMoniker = TextOrEmpty(ColumnOf(rows, kSoundMoniker));
  record.dateCreated = StoredDate(ColumnOf(rows, kDateCreated));
  record.dateModified = StoredDate(ColumnOf(rows, kDateModified));
  record.size = WholeOrZero(ColumnOf(rows, kSize));
  record.bigSize = WholeOrZero(ColumnOf(rows, kBigSize));
  record.readOnly = Flag(ColumnOf(rows, kReadOnly));
  record.isProtected = Flag(ColumnOf(rows, kProtected));
  record.hidden = Flag(ColumnOf(rows, kHidden));
  record.playable = Flag(ColumnOf(rows, kPlayable));
  record.archived = Flag(ColumnOf(rows, kArchived));
  record.backedUp = Flag(ColumnOf(rows, kBackedUp));  // null where the column is missing
  record.rating = WholeOrZero(ColumnOf(rows, kRating));
  record.dataXml = ColumnOf(rows, kDataXml);
  record.fileUniqueId = TextOrEmpty(ColumnOf(rows, kFileUniqueId));
  record.note = TextOrEmpty(ColumnOf(rows, kNote));
  record.name = TextOrEmpty(ColumnOf(rows, kName));
}

}  // namespace albumcore::items
