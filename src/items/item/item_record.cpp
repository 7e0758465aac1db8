#include "items/item/item_record.h"

#include "com/oadate.h"

namespace albumcore::items {

namespace {

using namespace item_columns;

com::Variant Column(store::dao::Recordset& rows, std::string_view name) {
  const int index = rows.FindField(name);
  return index < 0 ? com::Variant::Null() : rows.GetValue(index);
}

std::string Text(const com::Variant& value) { return value.vt() == com::VT_BSTR ? value.bstr().str() : std::string(); }

int32_t Whole(const com::Variant& value) { return value.isNull() || value.isEmpty() ? 0 : value.ToI4(); }

bool Flag(const com::Variant& value) { return !value.isNull() && !value.isEmpty() && value.ToBool(); }

}  // namespace

com::Variant StoredDate(const com::Variant& value) {
  if (value.vt() == com::VT_DATE && com::FromOaDate(value.date())) return value;
  return com::Variant::Null();
}

void ReadItemRecord(store::dao::Recordset& rows, ItemRecord& record) {
  record.type = Whole(Column(rows, kType));
  record.dataMoniker = Text(Column(rows, kDataMoniker));
  record.thumbMoniker = Text(Column(rows, kThumbMoniker));
  record.soundMoniker = Text(Column(rows, kSoundMoniker));
  record.dateCreated = StoredDate(Column(rows, kDateCreated));
  record.dateModified = StoredDate(Column(rows, kDateModified));
  record.size = Whole(Column(rows, kSize));
  record.bigSize = Whole(Column(rows, kBigSize));
  record.readOnly = Flag(Column(rows, kReadOnly));
  record.isProtected = Flag(Column(rows, kProtected));
  record.hidden = Flag(Column(rows, kHidden));
  record.playable = Flag(Column(rows, kPlayable));
  record.archived = Flag(Column(rows, kArchived));
  record.backedUp = Flag(Column(rows, kBackedUp));  // null where the column is missing
  record.rating = Whole(Column(rows, kRating));
  record.dataXml = Column(rows, kDataXml);
  record.fileUniqueId = Text(Column(rows, kFileUniqueId));
  record.note = Text(Column(rows, kNote));
  record.name = Text(Column(rows, kName));
}

}  // namespace albumcore::items
