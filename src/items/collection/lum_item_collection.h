// LumItemCollection: the one door through which a library's items are
// created, found, instantiated and destroyed.
//
// Cache: every item object it hands out stays in the cache, keyed by ID,
// until DestroyItem or Disconnect; the collection relays the events of each
// (subscribed once, when the object enters the cache) on its own
// IKivAlbumCoreEvents point, and for OnItemDestroyed also fires
// IKivAlbumSpecificEvents::ItemDestroyed, which albums hear.
//
// Creation (CreateItem, CreateItemEx, CreateItem2) first asks whether the
// file is already recorded (identity_check.cpp): a file met again under
// the same moniker answers S_FALSE and its item; a file that moved updates
// its old item's moniker and answers S_FALSE; a copy of a recorded file is
// a new item. Then the record is written, the item instantiated, its
// thumbnail asked for, and OnItemCreated fired. A failing write leaves no
// object and fires nothing.
//
// The notification switch gates OnAlbumDestroyed (and the albums' "with
// notifications on" events); CreateItem and CreateItemEx leave it on.
//
// pLib of Connect (the library, IKivLibrary) may be null; with it,
// CreateItem of a recorded file whose date changed asks the library to
// read it again (UpdateItem).
//
// Albums (album_operations.cpp): the collection makes, finds, instantiates
// (cached, relayed like items) and destroys them; DestroyItem of an album
// empties it first (a playlist destroys its entries). The virtual albums
// (shoebox, search results, all files, all albums) are made on first
// request and kept like the others; device albums and GetMRUSection answer
// E_NOTIMPL until their classes exist.
//
// Statuses: E_POINTER for a null pointer; E_FAIL when not connected;
// E_INVALIDARG for a negative ID or dates that are not VT_DATE. Main loop
// only.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "albums/album/album_base.h"
#include "events/event_source.h"
#include "events/notification_switch.h"
#include "events/subscription.h"
#include "items/item/item_services.h"
#include "items/item/lum_item.h"
#include "store/dao/database.h"
#include "store/dao/querydef.h"
#include "thumbnails/lum_thumbnail_generator.h"
#include "typelib/kiv_album_specific_events.h"
#include "typelib/kiv_item_collection.h"
#include "typelib/kiv_thumbnail_generator.h"


namespace albumcore::items {

struct ItemStatements;

class LumItemCollection final : public com::ComObject,
                                public typelib::IKivItemCollection,
                                public thumbnails::IItemThumbnailMonikerSetter,
                                public events::AlbumCoreEventsSource {
 public:
  static constexpr std::string_view kClassName = "LumItemCollection";

  // `registryPath`: the machine hive, whose media-type table names the item
  // classes.
  LumItemCollection(std::string registryPath, ItemServices services);
  ~LumItemCollection() override;

  com::HRESULT Connect(com::IUnknown* pConnection, com::IUnknown* pLibUserFields, com::IUnknown* pLibKeywords,
                       com::IUnknown* pLib) override;
  com::HRESULT Disconnect() override;
  com::HRESULT InstantiateItem(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) override;
  com::HRESULT CreateItem(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                          const com::Variant& varDateCreated, const com::Variant& varDateModified,
                          const com::Bstr& bstrName, int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                          int32_t* pid) override;
  com::HRESULT CreateItemEx(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                            const com::Variant& varDateCreated, const com::Variant& varDateModified,
                            const com::Bstr& bstrName, int32_t bigSize, int32_t size,
                            const com::Bstr& bstrSoundMoniker, com::IUnknown* pUnk, int32_t* pid) override;
  com::HRESULT DestroyItem(int32_t lItemID) override;
  com::HRESULT FindItemByMoniker(const com::Bstr& bstrMoniker, int32_t* plItemID) override;
  com::HRESULT GenerateThumbnail(int32_t lID) override;
  com::HRESULT ItemHasParents(int32_t lItemID, int32_t* bConfirm) override;
  com::HRESULT CreateItem2(int32_t ItemType, const com::Bstr& bstrMoniker, int32_t* pid) override;
  com::HRESULT GetLibrary(com::ComPtr<com::IUnknown>* ppLibrary) override;
  com::HRESULT GetThumbnailGenerator(com::ComPtr<com::IUnknown>* pGenerator) override;
  com::HRESULT SetNotify(int32_t bNotify) override;

  com::HRESULT CreateAlbum(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName, int32_t lParentAlbum,
                           int32_t* plAlbumID) override;
  com::HRESULT CreateAlbumCustom(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName, int32_t lParentAlbum,
                                 int32_t lAlbumType, int32_t* plAlbumID) override;
  com::HRESULT CreateAlbumUnique(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName, int32_t lParentAlbum,
                                 int32_t lAlbumType, const com::Bstr& bstrUniqueID, int32_t* plAlbumID) override;
  com::HRESULT CreateAlbumForItem(int32_t lItemID) override;
  com::HRESULT CreateAlbumForItemCustom(int32_t lItemID, int32_t lAlbumType) override;
  com::HRESULT DeleteAlbumForItem(int32_t lItemID) override;
  com::HRESULT DestroyAlbum(int32_t lItemID) override;
  com::HRESULT InstantiateAlbum(int32_t lAlbumID, com::ComPtr<com::IUnknown>* ppAlbum) override;
  com::HRESULT InstantiateAlbumCustom(int32_t lAlbumID, int32_t lAlbumType, com::ComPtr<com::IUnknown>* ppAlbum) override;
  com::HRESULT FindAlbumFromMoniker(const com::Bstr& bstrAlbumMoniker, int32_t* plAlbumID) override;
  com::HRESULT GetSpecialAlbumID(int32_t lType, int32_t* plAlbumID) override;
  com::HRESULT GetMRUSection(const com::Bstr& bstrSectionName, int32_t* plAlbumID) override;
  com::HRESULT get_Shoebox(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT get_SearchResults(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT get_AllFiles(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT get_AllAlbums(com::ComPtr<com::IUnknown>* pVal) override;

  // For the server's other objects: sets the thumbnail moniker of a cached
  // item (nothing, S_OK, for one not cached), fires OnItemChanged, then
  // OnItemThumbnailChanged.
  com::HRESULT SetItemThumbnailMoniker(int32_t lItemID, const com::Bstr& moniker) override;
  bool notifying() const noexcept { return notify_.on(); }
  size_t cachedItemCount() const noexcept { return items_.size(); }

 private:
  class Relay;
  struct Cached {
    com::ComPtr<LumItem> item;
    events::Subscription relay;
  };
  struct CachedAlbum {
    com::ComPtr<albums::AlbumBase> album;
    events::Subscription relay;
  };
  // What the identity check answers: make a new record (with the file's
  // identifier, empty when it has none), or use the existing item `id`.
  struct Identity {
    bool makeNew = true;
    int32_t existingId = -1;
    std::string fileUniqueId;
  };

  bool connected() const noexcept { return static_cast<bool>(db_); }
  store::dao::Database& db() const;  // E_FAIL (raised) when not connected
  ItemStatements& statements();
  // The cached or new object of an item; null when the ID has no record.
  com::ComPtr<LumItem> Instantiate(int32_t id);
  Identity CheckIdentity(const std::string& moniker);
  std::optional<int32_t> FindByMoniker(const std::string& moniker);
  // Writes the record of CreateItem; S_FALSE and *id for a moniker already
  // recorded (not an album).
  com::HRESULT InsertRecord(int32_t type, std::string moniker, const com::Bstr& thumbMoniker,
                            const com::Variant& dateCreated, const com::Variant& dateModified,
                            const com::Bstr& name, int32_t bigSize, int32_t size, const com::Bstr& soundMoniker,
                            const std::string& fileUniqueId, int32_t& id);
  com::HRESULT Create(int32_t type, const com::Bstr& moniker, const com::Bstr& thumbMoniker,
                      const com::Variant& dateCreated, const com::Variant& dateModified, const com::Bstr& name,
                      int32_t bigSize, int32_t size, const com::Bstr& soundMoniker, com::IUnknown* fillFrom,
                      bool fill, int32_t* pid);
  void FireItemDestroyed(int32_t id);
  // Subscribes the collection's relay to an object it made.
  events::Subscription RelayFrom(com::IUnknown* source);
  // The album object of `albumID`, cached; null when it has no album row.
  com::ComPtr<albums::AlbumBase> Album(int32_t albumID, int32_t albumType);
  // The virtual album of a reserved ID (-1 to -4), made and connected on
  // first request and kept until the collection disconnects.
  com::ComPtr<albums::AlbumBase> VirtualAlbum(int32_t albumID);
  com::HRESULT GetVirtualAlbum(int32_t albumID, com::ComPtr<com::IUnknown>* out);
  // Writes a new album item under `parent` (kNoAlbumId: under none) and its
  // album row, announced unless `quiet`.
  int32_t NewAlbum(const com::Bstr& cover, const com::Bstr& name, int32_t parent, int32_t albumType, bool quiet);
  void DropCache() noexcept;
  // Lets go of the cached object of item `id`, if any.
  void Forget(int32_t id) noexcept;

  std::string registryPath_;
  ItemServices services_;
  com::ComPtr<typelib::AlbumSpecificEventsPoint> specificEvents_;
  com::ComPtr<Relay> relay_;
  com::ComPtr<store::dao::Database> db_;
  com::ComPtr<com::IUnknown> libUserFields_;
  com::ComPtr<com::IUnknown> libKeywords_;
  com::ComPtr<com::IUnknown> library_;
  com::ComPtr<thumbnails::LumThumbnailGenerator> generator_;
  std::unique_ptr<ItemStatements> statements_;
  events::NotificationSwitch notify_;
  std::unordered_map<int32_t, Cached> items_;
  std::unordered_map<int32_t, CachedAlbum> albums_;
  std::optional<int32_t> mruAlbumId_;
};

}  // namespace albumcore::items
