#include "items/device/lum_device_item.h"

#include "store/dao/querydef.h"
#include "store/dao/recordset.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::items {

using com::HRESULT;
using store::dao::Recordset;
namespace jetsql = store::jetsql;

namespace {

constexpr std::string_view kRecordQuery = "GetDeviceItemRecord";

// The row whose ID is `id`, current in an updatable recordset; 3021 when
// there is none.
com::ComPtr<Recordset> OpenRow(store::dao::Database& db, int32_t id) {
  com::ComPtr<store::dao::QueryDef> query = db.QueryDefs(kRecordQuery);
  query->Parameters("item_id").SetValue(com::Variant(id));
  com::ComPtr<Recordset> row = query->OpenRecordset();
  if (row->IsEOF()) jetsql::ThrowJet(jetsql::jeterr::kNoCurrentRecord, "no device item " + std::to_string(id));
  return row;
}

// A text column's value as text: anything but text reads as empty.
std::string TextOf(const com::Variant& value) {
  return value.vt() == com::VT_BSTR ? value.bstr().str() : std::string();
}

}  // namespace

LumDeviceItem::Record LumDeviceItem::Load(store::dao::Database& db, int32_t id) {
  com::ComPtr<Recordset> row = OpenRow(db, id);
  Record record;
  record.id = id;
  record.itemID = row->Fields("ItemID").Value().ToI4();
  record.albumID = row->Fields("AlbumID").Value().ToI4();
  record.transcodedPath = TextOf(row->Fields("TranscodedPath").Value());
  record.backupPath = TextOf(row->Fields("BackupPath").Value());
  record.syncDate = row->Fields("SyncDate").Value();
  return record;
}

com::Variant LumDeviceItem::Write(std::string_view column, const com::Variant& value) {
  if (!db_ || record_.id < 0) throw com::ComError(com::E_FAIL, "the device item is not connected");
  com::ComPtr<Recordset> row = OpenRow(*db_, record_.id);
  row->Edit();
  store::dao::Field field = row->Fields(column);
  field.SetValue(value);
  row->Update();
  return field.Value();
}

HRESULT LumDeviceItem::PutPath(std::string_view column, const com::Bstr& path, std::string Record::*cached) {
  return com::CallGuard([&] {
    if (path.isNull()) throw com::ComError(com::E_POINTER, "a null path");
    record_.*cached = TextOf(Write(column, com::Variant(path)));
  });
}

HRESULT LumDeviceItem::Connect(com::IUnknown* pConnection, int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (db_) return com::S_OK;
    auto db = com::QueryInterface<store::dao::Database>(pConnection);
    if (!db) return com::E_POINTER;
    record_ = Load(*db, lItemID);
    db_ = std::move(db);
    return com::S_OK;
  });
}

HRESULT LumDeviceItem::Disconnect() {
  return com::CallGuard([&] {
    db_.reset();
    record_ = Record();
  });
}

HRESULT LumDeviceItem::get_ID(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.id; });
}

HRESULT LumDeviceItem::get_ItemID(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.itemID; });
}

HRESULT LumDeviceItem::get_AlbumID(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.albumID; });
}

HRESULT LumDeviceItem::get_TranscodedPath(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = com::Bstr(record_.transcodedPath); });
}

HRESULT LumDeviceItem::put_TranscodedPath(const com::Bstr& newVal) {
  return PutPath("TranscodedPath", newVal, &Record::transcodedPath);
}

HRESULT LumDeviceItem::get_BackupPath(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = com::Bstr(record_.backupPath); });
}

HRESULT LumDeviceItem::put_BackupPath(const com::Bstr& newVal) {
  return PutPath("BackupPath", newVal, &Record::backupPath);
}

HRESULT LumDeviceItem::get_SyncDate(com::Variant* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = record_.syncDate; });
}

HRESULT LumDeviceItem::put_SyncDate(const com::Variant& newVal) {
  return com::CallGuard([&] { record_.syncDate = Write("SyncDate", newVal); });
}

}  // namespace albumcore::items
