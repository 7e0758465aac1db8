// IKivDeviceItem: one placement of a catalogue item in a device album, a
// DeviceItems row: where the item's transcoded copy and its backup lie and
// when it was last synchronised. Device albums hand these objects out and
// add and remove the rows themselves.
//
// Reads answer from the object's copy of the row. Every put writes the row
// first and changes the copy only when the write succeeded; nothing is
// announced.
//
// Statuses common to every slot: E_POINTER for a null out-pointer or a null
// string; E_FAIL for a put on an object that is not connected; the engine's
// status when a write fails (the copy then stays as it was).
#pragma once

#include <cstdint>

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

class IKivDeviceItem : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivDeviceItem";

  // pConnection: the library's database; lItemID: the row's ID (not the
  // catalogue item's). S_OK at once when already connected.
  virtual HRESULT Connect(com::IUnknown* pConnection, int32_t lItemID) = 0;
  // Drops the database; ID reads -1 afterwards.
  virtual HRESULT Disconnect() = 0;
  virtual HRESULT get_ID(int32_t* pVal) = 0;
  // The catalogue item placed on the device.
  virtual HRESULT get_ItemID(int32_t* pVal) = 0;
  // The device album.
  virtual HRESULT get_AlbumID(int32_t* pVal) = 0;
  virtual HRESULT get_TranscodedPath(com::Bstr* pVal) = 0;
  virtual HRESULT put_TranscodedPath(const com::Bstr& newVal) = 0;
  virtual HRESULT get_BackupPath(com::Bstr* pVal) = 0;
  virtual HRESULT put_BackupPath(const com::Bstr& newVal) = 0;
  // A date variant; Null when the item was never synchronised.
  virtual HRESULT get_SyncDate(com::Variant* pVal) = 0;
  virtual HRESULT put_SyncDate(const com::Variant& newVal) = 0;
};

}  // namespace albumcore::typelib
