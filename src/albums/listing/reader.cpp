// Reading a listing statement into parallel arrays: count, allocate once,
// one forward pass.
#include <string>
#include <utility>
#include <vector>

#include "albums/listing/listing.h"
#include "store/dao/recordset.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::albums::listing {

namespace {

namespace jeterr = store::jetsql::jeterr;
using com::Bstr;
using com::SafeArray;
using com::Variant;
using store::dao::Recordset;

int ColumnOf(Recordset& rows, std::string_view name) {
  const int index = rows.FindField(name);
  if (index < 0)
    store::jetsql::ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name) + ".");
  return index;
}

// A 32-bit integer; 0 for Null and for anything else.
int32_t WholeOrZero(const Variant& v) {
  switch (v.vt()) {
    case com::VT_I4: return v.i4();
    case com::VT_I2: return v.i2();
    case com::VT_UI1: return v.ui1();
    default: return 0;
  }
}

Bstr TextOrEmpty(const Variant& v) { return v.vt() == com::VT_BSTR ? v.bstr() : Bstr(std::string()); }

double DateOrZero(const Variant& v) {
  switch (v.vt()) {
    case com::VT_DATE: return v.date();
    case com::VT_R8: return v.r8();
    case com::VT_I4: return v.i4();
    default: return 0;
  }
}

com::VARIANT_BOOL FlagOf(const Variant& v) {
  switch (v.vt()) {
    case com::VT_BOOL: return v.boolVal() ? com::VARIANT_TRUE : com::VARIANT_FALSE;
    case com::VT_I4: case com::VT_I2: case com::VT_UI1: return WholeOrZero(v) ? com::VARIANT_TRUE : com::VARIANT_FALSE;
    default: return com::VARIANT_FALSE;
  }
}

// `sql` without the sort piece AppendSort ends it with. Leaving the sort
// out changes no row count, whatever the statement.
std::string_view WithoutSort(std::string_view sql) {
  for (std::string_view direction : {std::string_view(" ASC"), std::string_view(" DESC")}) {
    if (!sql.ends_with(direction)) continue;
    const std::string_view rest = sql.substr(0, sql.size() - direction.size());
    for (uint32_t field = NAX_SORT_NAME; field <= NAX_SORT_RATING; ++field)
      if (rest.ends_with(SortText(field))) return rest.substr(0, rest.size() - SortText(field).size());
  }
  return sql;
}

// The number of rows of `sql`, opened as `rows`. Moving `rows` to its last
// row would run the statement, sort included, a second time; a count over
// the statement without its sort costs a fraction of that. Text that does
// not read as a derived table (a trailing ";", a crosstab) is counted by
// moving to the last row.
size_t CountRows(store::dao::Database& db, std::string_view sql, Recordset& rows) {
  com::ComPtr<Recordset> counter;
  try {
    counter = db.OpenRecordset("SELECT Count(*) FROM (" + std::string(WithoutSort(sql)) + ")",
                               store::dao::dbOpenSnapshot);
  } catch (const com::ComError&) {
  }
  if (counter) return static_cast<size_t>(counter->GetValue(0).ToI4());
  if (rows.IsEOF()) return 0;
  rows.MoveLast();
  const auto n = static_cast<size_t>(rows.RecordCount());
  rows.MoveFirst();
  return n;
}

// One column's values, reserved at the counted size. The rows read may
// differ from the count when the file changed between the two runs; the
// arrays then hold the rows of the pass, all of the same length.
template <class T>
struct Column {
  int index = -1;
  std::vector<T> values;
  void Start(Recordset& rows, std::string_view name, size_t n) {
    index = name.empty() ? 0 : ColumnOf(rows, name);
    values.reserve(n);
  }
  Variant Into(uint16_t vt) { return Variant(SafeArray::FromVector(vt, std::move(values))); }
};

}  // namespace

void ReadListing(store::dao::Database& db, std::string_view sql, typelib::ItemListingArrays* arrays,
                 com::Variant* readOnly) {
  auto& out = com::CheckOut(arrays);
  auto rows = db.OpenRecordset(sql, store::dao::dbOpenSnapshot);
  const size_t n = CountRows(db, sql, *rows);
  if (n == 0) return;

  Column<int32_t> id, type, size, bigSize, rotation, rating;
  Column<Bstr> name, moniker, thumbMoniker, soundMoniker, notes;
  Column<double> dateCreated, dateModified;
  Column<int16_t> flags;
  id.Start(*rows, {}, n);  // the first column, whatever its name
  moniker.Start(*rows, "ItemDataMoniker", n);
  type.Start(*rows, "ItemType", n);
  name.Start(*rows, "Name", n);
  dateCreated.Start(*rows, "DateCreated", n);
  dateModified.Start(*rows, "DateModified", n);
  size.Start(*rows, "Size", n);
  bigSize.Start(*rows, "BigSize", n);
  thumbMoniker.Start(*rows, "ItemThumbMoniker", n);
  rotation.Start(*rows, "Rotation", n);
  notes.Start(*rows, "Note", n);
  soundMoniker.Start(*rows, "SoundMoniker", n);
  rating.Start(*rows, "Rating", n);
  if (readOnly) flags.Start(*rows, "ReadOnly", n);

  for (; !rows->IsEOF(); rows->MoveNext()) {
    id.values.push_back(WholeOrZero(rows->GetValue(id.index)));
    moniker.values.push_back(TextOrEmpty(rows->GetValue(moniker.index)));
    type.values.push_back(WholeOrZero(rows->GetValue(type.index)));
    name.values.push_back(TextOrEmpty(rows->GetValue(name.index)));
    dateCreated.values.push_back(DateOrZero(rows->GetValue(dateCreated.index)));
    dateModified.values.push_back(DateOrZero(rows->GetValue(dateModified.index)));
    size.values.push_back(WholeOrZero(rows->GetValue(size.index)));
    bigSize.values.push_back(WholeOrZero(rows->GetValue(bigSize.index)));
    thumbMoniker.values.push_back(TextOrEmpty(rows->GetValue(thumbMoniker.index)));
    rotation.values.push_back(WholeOrZero(rows->GetValue(rotation.index)));
    notes.values.push_back(TextOrEmpty(rows->GetValue(notes.index)));
    soundMoniker.values.push_back(TextOrEmpty(rows->GetValue(soundMoniker.index)));
    rating.values.push_back(WholeOrZero(rows->GetValue(rating.index)));
    if (readOnly) flags.values.push_back(FlagOf(rows->GetValue(flags.index)));
  }
  rows->Close();
  if (id.values.empty()) return;

  out.id = id.Into(com::VT_I4);
  out.name = name.Into(com::VT_BSTR);
  out.type = type.Into(com::VT_I4);
  out.moniker = moniker.Into(com::VT_BSTR);
  out.dateCreated = dateCreated.Into(com::VT_DATE);
  out.dateModified = dateModified.Into(com::VT_DATE);
  out.size = size.Into(com::VT_I4);
  out.bigSize = bigSize.Into(com::VT_I4);
  out.thumbMoniker = thumbMoniker.Into(com::VT_BSTR);
  out.rotation = rotation.Into(com::VT_I4);
  out.soundMoniker = soundMoniker.Into(com::VT_BSTR);
  out.notes = notes.Into(com::VT_BSTR);
  out.rating = rating.Into(com::VT_I4);
  if (readOnly) *readOnly = flags.Into(com::VT_BOOL);
}

void ReadShortListing(store::dao::Database& db, std::string_view itemIdQuery, com::Variant* id, com::Variant* name,
                      com::Variant* type, com::Variant* dateCreated, com::Variant* dateModified) {
  for (com::Variant* p : {id, name, type, dateCreated, dateModified}) com::CheckOut(p);
  const std::string sql = ShortListingQuery(itemIdQuery);
  auto rows = db.OpenRecordset(sql, store::dao::dbOpenSnapshot);
  const size_t n = CountRows(db, sql, *rows);
  if (n == 0) return;

  Column<int32_t> ids, types;
  Column<Bstr> names;
  Column<double> created, modified;
  ids.Start(*rows, {}, n);
  types.Start(*rows, "ItemType", n);
  names.Start(*rows, "Name", n);
  created.Start(*rows, "DateCreated", n);
  modified.Start(*rows, "DateModified", n);
  for (; !rows->IsEOF(); rows->MoveNext()) {
    ids.values.push_back(WholeOrZero(rows->GetValue(ids.index)));
    types.values.push_back(WholeOrZero(rows->GetValue(types.index)));
    names.values.push_back(TextOrEmpty(rows->GetValue(names.index)));
    created.values.push_back(DateOrZero(rows->GetValue(created.index)));
    modified.values.push_back(DateOrZero(rows->GetValue(modified.index)));
  }
  rows->Close();
  if (ids.values.empty()) return;

  *id = ids.Into(com::VT_I4);
  *name = names.Into(com::VT_BSTR);
  *type = types.Into(com::VT_I4);
  *dateCreated = created.Into(com::VT_DATE);
  *dateModified = modified.Into(com::VT_DATE);
}

}  // namespace albumcore::albums::listing
