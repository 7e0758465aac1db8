// IKivDeviceAlbum: the device side of a device sub-album (photos, music,
// videos, ringtones, files or synchronised items of one device). Each
// member of such an album has a DeviceItems row saying where its copy on
// the device and its backup lie; this interface reads those rows and hands
// out their IKivDeviceItem objects. The same object also answers IKivAlbum.
//
// Statuses: S_OK; E_POINTER for a null out-pointer; E_FAIL when the album
// is not connected, or when no row places the asked item in this album;
// the engine's status when a read fails (3021 for a row ID with no row).
#pragma once

#include <cstdint>

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

class IKivDeviceAlbum : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivDeviceAlbum";

  // Every DeviceItems row of this album as five parallel arrays, element i
  // of each from row i: the row IDs and catalogue item IDs (VT_ARRAY|VT_I4),
  // the transcoded and backup paths (VT_ARRAY|VT_BSTR, empty text for a
  // path not set) and the synchronisation dates (VT_ARRAY|VT_VARIANT, each
  // a VT_DATE, or VT_NULL when never synchronised). An album without rows
  // leaves all five VT_EMPTY.
  virtual HRESULT GetAllItemsData(com::Variant* pDeviceItemIDs, com::Variant* pItemIDs,
                                  com::Variant* pTranscodedPaths, com::Variant* pBackupPaths,
                                  com::Variant* pSyncDates) = 0;
  // The IKivDeviceItem of the row whose ID is lID.
  virtual HRESULT get_DeviceItem(int32_t lID, com::ComPtr<com::IUnknown>* ppItem) = 0;
  // The IKivDeviceItem placing catalogue item lItemID in this album.
  virtual HRESULT get_DeviceItemByItemID(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) = 0;
};

}  // namespace albumcore::typelib
