// LumThumbnailGenerator: one per item collection. Asks the thumbnail engine
// for images of items, keeps the requests under way, stores images clients
// hand in as entries of the library's thumbnail store, deletes such
// entries, and announces every image through
// _IKivThumbnailGeneratorEvents::ThumbnailReady.
//
// State:
//   - the load table: one pending load per item ID (the engine's request
//     number and the request as submitted); a second load of an ID that is
//     in either table answers S_OK and submits nothing;
//   - the save table: one pending save per item ID (request number, image,
//     entry, the moniker the item gets, the entry it had before);
//   - the request flags sent with each load (1025 while a load with
//     override is submitted);
//   - the thumbnail folder, which replaces the placeholder in thumbnail
//     monikers before they are used.
//
// Loads: a source whose protocol contains "temp" (and neither "skin" nor
// "dupitemhack") is read through its path as a "file::" moniker. The mode is
// kLoadModeOther for items whose type is not 0, 3 or -2, kLoadModePhoto for
// those and whenever the item cannot be asked. A load ends in ThumbnailReady
// with the item's ID and the moniker as submitted; a failed load announces
// the engine's fallback image.
//
// Saves: the item's file properties are read again (FillFromMoniker(1))
// unless its type is 10, 11, 12, 13 or 16; the entry is the one the item's
// thumbnail moniker already names, or i<ID>.jpg in the library's store
// (ChooseEntryName). Once the engine has written it, the previous entry is
// deleted when the two differ, the item's thumbnail moniker is set to the
// new entry through the collection (IItemThumbnailMonikerSetter) and the
// image is announced with that moniker. Without a collection the item is
// not read: the entry gets the default name and is only announced. A failed
// save announces the fallback image under "skin::UnknownThumbnail.png".
// Synchronous and asynchronous saves end alike; a new save of an ID
// replaces the one pending.
//
// Impersonation: Linux has no impersonation tokens, so requests carry none
// and the engine reads every source with the server's own rights.
//
// Without an engine (SetEngine) LoadThumbnail, LoadThumbnailWithOverride,
// SaveThumbnail and DeleteThumbnail of a "storage" moniker answer E_NOTIMPL,
// enter nothing and say why on stderr once per generator. Other statuses:
// E_POINTER for a null pointer argument; E_FAIL when the engine refuses a
// request; E_INVALIDARG for a save of an ID without an item; the engine's
// status when a synchronous save fails. Main loop only; the engine calls
// back on it too.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "events/event_source.h"
#include "thumbnails/thumbnail_engine.h"
#include "typelib/kiv_item_collection.h"
#include "typelib/kiv_thumbnail_generator.h"

namespace albumcore::thumbnails {

// Offered by the item collection: sets the thumbnail moniker of an item by
// ID, writes it, updates the cached item and announces the change. Without
// it a saved entry is announced but not recorded with the item.
class IItemThumbnailMonikerSetter : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IItemThumbnailMonikerSetter";
  virtual com::HRESULT SetItemThumbnailMoniker(int32_t lItemID, const com::Bstr& moniker) = 0;
};

class LumThumbnailGenerator final : public com::ComObject,
                                    public typelib::IKivThumbnailGenerator,
                                    public events::EventSource,
                                    public ThumbnailCompletion {
 public:
  static constexpr std::string_view kClassName = "LumThumbnailGenerator";
  // The flags of a load with override: the engine makes the thumbnail again.
  static constexpr uint32_t kOverrideFlags = 1025;

  LumThumbnailGenerator();
  ~LumThumbnailGenerator() override;

  com::HRESULT LoadThumbnail(int32_t lID, const com::Bstr& Moniker, int32_t cx, int32_t cy,
                             com::ComPtr<com::IUnknown>* ppImage) override;
  com::HRESULT SaveThumbnail(int32_t lID, com::IUnknown* pImage, int32_t bSync) override;
  // Deletes the store entry a "storage" moniker names; other monikers, and a
  // store moniker naming no entry, delete nothing. A failure of the engine
  // is logged; the answer is S_OK.
  com::HRESULT DeleteThumbnail(const com::Bstr& Moniker) override;
  // Keeps the library; the thumbnail folder comes from SetLibraryPath.
  com::HRESULT PutLibrary(com::IUnknown* pLib) override;
  // Withdraws the pending loads of the same source (after the rewriting
  // and placeholder filling of a load), whatever their item, then loads
  // with kOverrideFlags, so that the engine makes the thumbnail again
  // instead of answering from what it keeps. The flags are restored
  // afterwards, whatever the outcome.
  com::HRESULT LoadThumbnailWithOverride(int32_t lID, const com::Bstr& Moniker, int32_t cx, int32_t cy,
                                         com::ComPtr<com::IUnknown>* ppImage) override;
  com::HRESULT IsPending(int32_t lID, int32_t* lRet) override;
  com::HRESULT GetItemCountInQueue(int32_t* plItems) override;
  // Withdraws every request from the engine; the entries stay.
  com::HRESULT Pause() override;
  // Submits every entry again (a request still under way is withdrawn
  // first). An entry the engine refuses leaves its table and ends as a
  // failed load or save.
  com::HRESULT Resume() override;
  com::HRESULT CancelAll() override;

  // Installs the engine (null: none). Requests pending with a previous
  // engine are withdrawn and forgotten.
  void SetEngine(std::shared_ptr<ThumbnailEngine> engine);
  // The collection that owns the generator, through which items are read
  // (not held: the collection clears it with nullptr when it disconnects).
  void AttachCollection(typelib::IKivItemCollection* collection) noexcept { collection_ = collection; }
  // The catalogue file of the library, whose folder is the thumbnail
  // folder. The library calls it when it hands itself over with PutLibrary.
  void SetLibraryPath(std::string_view catalogueFile);
  const std::string& thumbnailFolder() const noexcept { return folder_; }
  typelib::ThumbnailGeneratorEventsPoint& thumbnailEvents() const noexcept { return *events_; }

  void OnLoadCompleted(RequestNumber number, com::HRESULT result, com::ComPtr<com::IUnknown> image) override;
  void OnSaveCompleted(RequestNumber number, com::HRESULT result) override;

 private:
  struct LoadEntry {
    RequestNumber number = 0;
    LoadRequest request;
  };
  struct SaveEntry {
    RequestNumber number = 0;
    SaveRequest request;
    std::string moniker;                // the item's new thumbnail moniker
    std::optional<StoreEntry> previous;  // the entry the item had
  };

  // True when an engine is installed; otherwise says so once.
  bool HasEngine();
  // The source a load of `moniker` reads.
  std::string SourceOf(std::string_view moniker) const;
  int32_t LoadModeOf(int32_t itemID) const;
  // Reads the file properties of the item again where its type wants it;
  // answers its thumbnail moniker (null without a collection).
  com::Bstr ReadItemForSave(int32_t itemID);
  SaveEntry PlanSave(int32_t itemID, com::IUnknown* image, const com::Bstr& previousMoniker);
  // After the engine wrote (or failed to write) a save.
  void FinishSave(int32_t itemID, const SaveEntry& save, com::HRESULT result);
  void FailLoad(int32_t itemID, const std::string& moniker);
  void DeleteEntry(const StoreEntry& entry);
  void WithdrawSave(int32_t itemID);
  void WithdrawAll();
  com::ComPtr<com::IUnknown> FallbackImage() const;
  void FireReady(int32_t itemID, const std::string& moniker, com::IUnknown* image);

  com::ComPtr<typelib::ThumbnailGeneratorEventsPoint> events_;
  std::shared_ptr<ThumbnailEngine> engine_;
  typelib::IKivItemCollection* collection_ = nullptr;
  com::ComPtr<com::IUnknown> library_;
  std::string folder_;
  uint32_t flags_ = 0;
  bool toldNoEngine_ = false;
  std::map<int32_t, LoadEntry> loads_;
  std::map<int32_t, SaveEntry> saves_;
};

}  // namespace albumcore::thumbnails
