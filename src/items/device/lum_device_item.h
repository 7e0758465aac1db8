// LumDeviceItem: the object over one DeviceItems row, the placement of a
// catalogue item in a device album.
//
// Connect reads the row through the stored query "GetDeviceItemRecord" and
// keeps a copy of it; every get answers from the copy. A put runs the query
// again, edits the one column and updates the row, then takes the value as
// the row now holds it (a date given as text reads back as a date), so the
// copy always matches the file. A refused write leaves the copy as it was.
// Text columns holding anything but text (Null, binary) read as empty.
// No events are sent.
//
// Connect takes everything or nothing: a connection that offers no database
// is E_POINTER and a row that cannot be read gives the engine's status
// (3021, no current record, for an ID with no row); the object then stays
// unconnected. Statuses otherwise as IKivDeviceItem says. Main loop only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/dao/database.h"
#include "typelib/kiv_device_item.h"

namespace albumcore::items {

class LumDeviceItem final : public com::ComObject, public typelib::IKivDeviceItem {
 public:
  static constexpr std::string_view kClassName = "LumDeviceItem";

  LumDeviceItem() = default;

  com::HRESULT Connect(com::IUnknown* pConnection, int32_t lItemID) override;
  com::HRESULT Disconnect() override;
  com::HRESULT get_ID(int32_t* pVal) override;
  com::HRESULT get_ItemID(int32_t* pVal) override;
  com::HRESULT get_AlbumID(int32_t* pVal) override;
  com::HRESULT get_TranscodedPath(com::Bstr* pVal) override;
  com::HRESULT put_TranscodedPath(const com::Bstr& newVal) override;
  com::HRESULT get_BackupPath(com::Bstr* pVal) override;
  com::HRESULT put_BackupPath(const com::Bstr& newVal) override;
  com::HRESULT get_SyncDate(com::Variant* pVal) override;
  com::HRESULT put_SyncDate(const com::Variant& newVal) override;

 private:
  // The copy of the row; every ID is -1 while not connected.
  struct Record {
    int32_t id = -1;
    int32_t itemID = -1;
    int32_t albumID = -1;
    std::string transcodedPath;
    std::string backupPath;
    com::Variant syncDate;
  };

  static Record Load(store::dao::Database& db, int32_t id);
  // Writes `value` into `column` of the row and answers what the row holds
  // there afterwards.
  com::Variant Write(std::string_view column, const com::Variant& value);
  com::HRESULT PutPath(std::string_view column, const com::Bstr& path, std::string Record::*cached);

  com::ComPtr<store::dao::Database> db_;
  Record record_;
};

}  // namespace albumcore::items
