// The albums of synchronised devices. A device album (CAT_DEVICE) stands for
// one device and holds its sub-albums; a device sub-album (photos, music,
// videos, ringtones, files or synchronised items of the device) holds the
// catalogue items placed on it.
//
// The device album is a plain album record that clients may give a new name
// (but not a new cover or moniker, and CanRename says 0), that takes no item
// through AddByItemID, shows its stored custom icon (Albums.AlbumIcon, read
// when it connects) and leaves hidden items out of its full listing.
//
// A device sub-album reads its album type from its Albums row when it
// connects; that type chooses its row of the class table (the item types it
// takes, its icon) and is what Type answers. Each member has a DeviceItems
// row, written with "AddDeviceItem" and removed with "RemoveDeviceItem"; the
// catalogue's triggers keep the member's AlbumContents row with it, so the
// sub-album counts and lists its members as any album does. It also answers
// IKivDeviceAlbum over those DeviceItems rows, handing out LumDeviceItem
// objects, one per call.
//
// Statuses as IKivAlbum and IKivDeviceAlbum say. Main loop only.
#pragma once

#include "albums/album/album_base.h"
#include "typelib/kiv_device_album.h"

namespace albumcore::albums {

class LumDeviceAlbum final : public AlbumBase {
 public:
  static constexpr std::string_view kClassName = "LumDeviceAlbum";
  explicit LumDeviceAlbum(const components::StringTable* strings);

 protected:
  void LoadAlbumProperties() override;
};

class LumDeviceSubAlbum final : public AlbumBase, public typelib::IKivDeviceAlbum {
 public:
  static constexpr std::string_view kClassName = "LumDeviceSubAlbum";
  explicit LumDeviceSubAlbum(const components::StringTable* strings);

  com::HRESULT GetAllItemsData(com::Variant* pDeviceItemIDs, com::Variant* pItemIDs, com::Variant* pTranscodedPaths,
                               com::Variant* pBackupPaths, com::Variant* pSyncDates) override;
  com::HRESULT get_DeviceItem(int32_t lID, com::ComPtr<com::IUnknown>* ppItem) override;
  com::HRESULT get_DeviceItemByItemID(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) override;

 protected:
  void LoadAlbumProperties() override;
  void InsertMembership(int32_t itemID) override;
  void DeleteMembership(int32_t itemID) override;

 private:
  // The device item of DeviceItems row `rowID`, connected.
  com::ComPtr<com::IUnknown> DeviceItem(int32_t rowID);
};

}  // namespace albumcore::albums
