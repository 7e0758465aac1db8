#include "albums/album/device_albums.h"

#include <string>
#include <vector>

#include "items/device/lum_device_item.h"
#include "store/dao/stored_call.h"

namespace albumcore::albums {

using com::HRESULT;

namespace {

// The album's Albums row, or a failure naming the album when it has none.
com::ComPtr<store::dao::Recordset> AlbumRow(store::dao::Database& db, std::string_view columns, int32_t albumID) {
  auto row = db.OpenRecordset("SELECT " + std::string(columns) + " FROM Albums WHERE AlbumID = " +
                              std::to_string(albumID));
  if (row->IsEOF()) throw com::ComError(com::E_FAIL, "album " + std::to_string(albumID) + " has no album row");
  return row;
}

}  // namespace

// Device album.

LumDeviceAlbum::LumDeviceAlbum(const components::StringTable* strings)
    : AlbumBase(DeviceAlbumClass(), strings, CAT_DEVICE) {}

void LumDeviceAlbum::LoadAlbumProperties() {
  AlbumBase::LoadAlbumProperties();
  const com::Variant icon = AlbumRow(db(), "AlbumIcon", id())->GetValue(0);
  if (icon.vt() == com::VT_BSTR) SetIcon(icon.bstr());
}

// Device sub-album.

LumDeviceSubAlbum::LumDeviceSubAlbum(const components::StringTable* strings)
    : AlbumBase(DeviceSubAlbumClass(CAT_UNKNOWN), strings, CAT_UNKNOWN) {}

void LumDeviceSubAlbum::LoadAlbumProperties() {
  AlbumBase::LoadAlbumProperties();
  const com::Variant type = AlbumRow(db(), "AlbumType", id())->GetValue(0);
  const int32_t customType = type.isNull() ? CAT_NORMAL : type.ToI4();
  Reclassify(DeviceSubAlbumClass(customType), customType);
}

void LumDeviceSubAlbum::InsertMembership(int32_t itemID) {
  store::dao::ExecuteStored(db(), "AddDeviceItem", {{"album_id", id()}, {"item_id", itemID}});
  members().Insert(itemID);
}

void LumDeviceSubAlbum::DeleteMembership(int32_t itemID) {
  store::dao::ExecuteStored(db(), "RemoveDeviceItem", {{"album_id", id()}, {"item_id", itemID}});
  members().Erase(itemID);
}

HRESULT LumDeviceSubAlbum::GetAllItemsData(com::Variant* pDeviceItemIDs, com::Variant* pItemIDs,
                                           com::Variant* pTranscodedPaths, com::Variant* pBackupPaths,
                                           com::Variant* pSyncDates) {
  return com::CallGuard([&]() -> HRESULT {
    for (com::Variant* out : {pDeviceItemIDs, pItemIDs, pTranscodedPaths, pBackupPaths, pSyncDates})
      com::CheckOut(out) = com::Variant();
    if (!connected()) return com::E_FAIL;
    std::vector<int32_t> rowIDs, itemIDs;
    std::vector<com::Bstr> transcoded, backups;
    std::vector<com::Variant> dates;
    auto text = [](const com::Variant& v) { return v.vt() == com::VT_BSTR ? v.bstr() : com::Bstr(""); };
    auto rows = db().OpenRecordset("SELECT * FROM DeviceItems WHERE AlbumID = " + std::to_string(id()) +
                                   " ORDER BY ID");
    for (; !rows->IsEOF(); rows->MoveNext()) {
      rowIDs.push_back(rows->Fields("ID").Value().ToI4());
      itemIDs.push_back(rows->Fields("ItemID").Value().ToI4());
      transcoded.push_back(text(rows->Fields("TranscodedPath").Value()));
      backups.push_back(text(rows->Fields("BackupPath").Value()));
      const com::Variant date = rows->Fields("SyncDate").Value();
      dates.push_back(date.isNull() ? com::Variant::Null() : date.ChangeType(com::VT_DATE));
    }
    if (rowIDs.empty()) return com::S_OK;
    *pDeviceItemIDs = com::Variant(com::SafeArray::FromVector(com::VT_I4, std::move(rowIDs)));
    *pItemIDs = com::Variant(com::SafeArray::FromVector(com::VT_I4, std::move(itemIDs)));
    *pTranscodedPaths = com::Variant(com::SafeArray::FromVector(com::VT_BSTR, std::move(transcoded)));
    *pBackupPaths = com::Variant(com::SafeArray::FromVector(com::VT_BSTR, std::move(backups)));
    *pSyncDates = com::Variant(com::SafeArray::FromVector(com::VT_VARIANT, std::move(dates)));
    return com::S_OK;
  });
}

com::ComPtr<com::IUnknown> LumDeviceSubAlbum::DeviceItem(int32_t rowID) {
  auto item = com::MakeObject<items::LumDeviceItem>();
  com::ThrowIfFailed(item->Connect(&db(), rowID));
  return com::ComPtr<com::IUnknown>(static_cast<typelib::IKivDeviceItem*>(item.get()));
}

HRESULT LumDeviceSubAlbum::get_DeviceItem(int32_t lID, com::ComPtr<com::IUnknown>* ppItem) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(ppItem);
    out.reset();
    if (!connected()) return com::E_FAIL;
    out = DeviceItem(lID);
    return com::S_OK;
  });
}

HRESULT LumDeviceSubAlbum::get_DeviceItemByItemID(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(ppItem);
    out.reset();
    if (!connected()) return com::E_FAIL;
    auto row = db().OpenRecordset("SELECT ID FROM DeviceItems WHERE AlbumID = " + std::to_string(id()) +
                                  " AND ItemID = " + std::to_string(lItemID));
    if (row->IsEOF()) return com::E_FAIL;
    out = DeviceItem(row->GetValue(0).ToI4());
    return com::S_OK;
  });
}

}  // namespace albumcore::albums
