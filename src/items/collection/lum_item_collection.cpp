#include "items/collection/lum_item_collection.h"

#include <cstdio>

#include "items/collection/item_classes.h"
#include "items/collection/item_statements.h"
#include "items/item/item_types.h"
#include "items/monikers/album_monikers.h"
#include "items/monikers/file_monikers.h"
#include "items/monikers/moniker_splitter.h"
#include "items/monikers/thumbnail_monikers.h"
#include "store/dao/stored_call.h"
#include "thumbnails/lum_thumbnail_generator.h"
#include "typelib/kiv_library.h"

namespace albumcore::items {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;
namespace cols = item_columns;

namespace {

void LogFailure(const char* what, int32_t id, HRESULT hr) {
  std::fprintf(stderr, "item collection: %s of item %d failed: %s\n", what, id, com::DescribeHresult(hr).c_str());
}

// The thumbnail generator answers E_NOTIMPL until it has an engine, and
// says so itself.
void LogGeneratorFailure(const char* what, int32_t id, HRESULT hr) {
  if (com::Failed(hr) && hr != com::E_NOTIMPL) LogFailure(what, id, hr);
}

}  // namespace

// Passes on every event of the items (and albums) the collection made;
// a destroyed item is also told to the albums.
class LumItemCollection::Relay final : public typelib::AlbumCoreEventsRelay {
 public:
  Relay(com::ComPtr<typelib::AlbumCoreEventsPoint> core, com::ComPtr<typelib::AlbumSpecificEventsPoint> specific)
      : AlbumCoreEventsRelay(std::move(core)), specific_(std::move(specific)) {}
  HRESULT OnItemDestroyed(int32_t lItemID) override {
    const HRESULT hr = AlbumCoreEventsRelay::OnItemDestroyed(lItemID);
    specific_->Fire([&](typelib::IKivAlbumSpecificEvents& s) { return s.ItemDestroyed(lItemID); });
    return hr;
  }

 private:
  com::ComPtr<typelib::AlbumSpecificEventsPoint> specific_;
};

LumItemCollection::LumItemCollection(std::string registryPath, ItemServices services)
    : registryPath_(std::move(registryPath)),
      services_(services),
      specificEvents_(com::MakeObject<typelib::AlbumSpecificEventsPoint>()) {
  AddConnectionPoint(specificEvents_);
  relay_ = com::MakeObject<Relay>(com::ComPtr<typelib::AlbumCoreEventsPoint>(&coreEvents()), specificEvents_);
}

LumItemCollection::~LumItemCollection() { DropCache(); }

store::dao::Database& LumItemCollection::db() const {
  if (!db_) throw com::ComError(com::E_FAIL, "the item collection is not connected");
  return *db_;
}

ItemStatements& LumItemCollection::statements() {
  if (!statements_) statements_ = std::make_unique<ItemStatements>(db());
  return *statements_;
}

void LumItemCollection::Forget(int32_t id) noexcept {
  auto it = items_.find(id);
  if (it == items_.end()) return;
  it->second.relay.reset();
  it->second.item->Disconnect();
  items_.erase(it);
}

void LumItemCollection::DropCache() noexcept {
  for (auto& [id, cached] : albums_) {
    cached.relay.reset();
    cached.album->Disconnect();
  }
  albums_.clear();
  for (auto& [id, cached] : items_) {
    cached.relay.reset();
    cached.item->Disconnect();
  }
  items_.clear();
}

HRESULT LumItemCollection::Connect(com::IUnknown* pConnection, com::IUnknown* pLibUserFields,
                                   com::IUnknown* pLibKeywords, com::IUnknown* pLib) {
  return com::CallGuard([&]() -> HRESULT {
    auto database = com::QueryInterface<store::dao::Database>(pConnection);
    if (!database) return com::E_POINTER;
    ItemClasses::Of(registryPath_);
    DropCache();
    statements_.reset();
    db_ = std::move(database);
    libUserFields_ = com::ComPtr<com::IUnknown>(pLibUserFields);
    libKeywords_ = com::ComPtr<com::IUnknown>(pLibKeywords);
    library_ = com::ComPtr<com::IUnknown>(pLib);
    mruAlbumId_.reset();
    if (!generator_) generator_ = com::MakeObject<thumbnails::LumThumbnailGenerator>();
    generator_->AttachCollection(this);
    generator_->PutLibrary(pLib);
    return com::S_OK;
  });
}

HRESULT LumItemCollection::Disconnect() {
  return com::CallGuard([&] {
    DropCache();
    statements_.reset();
    if (generator_) generator_->AttachCollection(nullptr);
    libUserFields_.reset();
    libKeywords_.reset();
    library_.reset();
    db_.reset();
  });
}

com::ComPtr<LumItem> LumItemCollection::Instantiate(int32_t id) {
  if (auto it = items_.find(id); it != items_.end()) return it->second.item;
  auto rows = ItemStatements::Open(*statements().typeOf, id);
  if (rows->IsEOF()) return {};
  const int32_t type = rows->GetValue(0).ToI4();
  rows->Close();
  com::ComPtr<LumItem> item = MakeItemObject(ItemClasses::Of(registryPath_).ClassOf(type), services_);
  com::ThrowIfFailed(item->Connect(db_.get(), id, libUserFields_.get(), libKeywords_.get(),
                                   static_cast<typelib::IKivThumbnailGenerator*>(generator_.get())));
  items_.emplace(id, Cached{item, RelayFrom(static_cast<typelib::IKivItem*>(item.get()))});
  return item;
}

HRESULT LumItemCollection::InstantiateItem(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) {
  return com::CallGuard([&]() -> HRESULT {
    if (!db_ || !libUserFields_ || !libKeywords_) return com::E_FAIL;
    auto& out = com::CheckOut(ppItem);
    if (lItemID < 0) return com::E_INVALIDARG;
    com::ComPtr<LumItem> item = Instantiate(lItemID);
    if (!item) return com::S_FALSE;
    out = com::ComPtr<com::IUnknown>(static_cast<typelib::IKivItem*>(item.get()));
    return com::S_OK;
  });
}

std::optional<int32_t> LumItemCollection::FindByMoniker(const std::string& moniker) {
  auto rows = ItemStatements::Open(*statements().byMoniker, moniker);
  if (rows->IsEOF()) return std::nullopt;
  return rows->Fields(cols::kItemId).Value().ToI4();
}

HRESULT LumItemCollection::FindItemByMoniker(const com::Bstr& bstrMoniker, int32_t* plItemID) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t& id = com::CheckOut(plItemID);
    id = -1;
    db();
    const std::optional<int32_t> found = FindByMoniker(bstrMoniker.str());
    if (!found) return com::S_FALSE;
    id = *found;
    return com::S_OK;
  });
}

HRESULT LumItemCollection::InsertRecord(int32_t type, std::string moniker, const com::Bstr& thumbMoniker,
                                        const com::Variant& dateCreated, const com::Variant& dateModified,
                                        const com::Bstr& name, int32_t bigSize, int32_t size,
                                        const com::Bstr& soundMoniker, const std::string& fileUniqueId, int32_t& id) {
  auto rows = ItemStatements::Open(*statements().byMoniker, moniker);
  if (!rows->IsEOF()) {
    if (type != kAlbumItemType) {
      id = rows->Fields(cols::kItemId).Value().ToI4();
      rows.reset();
      com::ComPtr<LumItem> item = Instantiate(id);
      // A file changed since it was recorded is read again by the library.
      auto library = com::QueryInterface<typelib::IKivLibrary>(library_);
      if (item && library && !(item->record().dateModified == dateModified)) {
        const HRESULT updated = library->UpdateItem(com::Bstr(moniker));
        if (com::Failed(updated)) LogFailure("updating", id, updated);
      }
      return com::S_FALSE;
    }
    // An album record always gets a moniker of its own.
    moniker = monikers::NewAlbumDataMoniker();
  }
  rows->AddNew();
  rows->Fields(cols::kType).SetValue(type);
  rows->Fields(cols::kDataMoniker).SetValue(moniker);
  rows->Fields(cols::kThumbMoniker).SetValue(thumbMoniker.str());
  rows->Fields(cols::kSize).SetValue(size);
  rows->Fields(cols::kBigSize).SetValue(bigSize);
  rows->Fields(cols::kDateCreated).SetValue(dateCreated);
  rows->Fields(cols::kDateModified).SetValue(dateModified);
  rows->Fields(cols::kName).SetValue(name.str());
  rows->Fields(cols::kSoundMoniker).SetValue(soundMoniker.str());
  rows->Fields(cols::kFileUniqueId).SetValue(fileUniqueId);
  rows->Update();
  // ItemID is the row's key: the rowid the recordset just wrote.
  id = static_cast<int32_t>(rows->LastModified());
  return com::S_OK;
}

HRESULT LumItemCollection::Create(int32_t type, const com::Bstr& moniker, const com::Bstr& thumbMoniker,
                                  const com::Variant& dateCreated, const com::Variant& dateModified,
                                  const com::Bstr& name, int32_t bigSize, int32_t size,
                                  const com::Bstr& soundMoniker, com::IUnknown* fillFrom, bool fill, int32_t* pid) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected()) return com::E_FAIL;
    int32_t& id = com::CheckOut(pid);
    if (dateCreated.vt() != com::VT_DATE || dateModified.vt() != com::VT_DATE) return com::E_INVALIDARG;
    id = -1;
    const Identity identity = CheckIdentity(moniker.str());
    if (!identity.makeNew) {
      id = identity.existingId;
      return com::S_FALSE;
    }
    // The record, the item's own rows and its thumbnail moniker are one
    // commit: one write to the log instead of one per statement.
    store::dao::Transaction transaction(db());
    const HRESULT hr = InsertRecord(type, moniker.str(), thumbMoniker, dateCreated, dateModified, name, bigSize, size,
                                    soundMoniker, identity.fileUniqueId, id);
    if (hr != com::S_OK) {
      transaction.Commit();
      return hr;
    }
    try {
      events::NotificationSwitch::OffWhile quiet(notify_);
      com::ComPtr<LumItem> item = Instantiate(id);
      if (!item) throw com::ComError(com::E_FAIL, "the new item " + std::to_string(id) + " has no record");
      if (fill) {
        const HRESULT filled = item->FillFromMonikerEx(1, fillFrom);
        if (com::Failed(filled) && filled != com::CO_E_NOT_SUPPORTED) LogFailure("filling", id, filled);
      }
      const com::Bstr thumbnail = thumbMoniker.empty() ? com::Bstr(item->record().dataMoniker) : thumbMoniker;
      const HRESULT thumbnailSet = item->put_ThumbnailMoniker(thumbnail);
      if (com::Failed(thumbnailSet)) LogFailure("setting the thumbnail moniker", id, thumbnailSet);
      transaction.Commit();
    } catch (...) {
      // Rolled back: no object may stand for the record that is gone.
      Forget(id);
      throw;
    }
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemCreated(id); });
    return com::S_OK;
  });
}

HRESULT LumItemCollection::CreateItem(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                                      const com::Variant& varDateCreated, const com::Variant& varDateModified,
                                      const com::Bstr& bstrName, int32_t bigSize, int32_t size,
                                      const com::Bstr& bstrSoundMoniker, int32_t* pid) {
  return Create(ItemType, bstrMoniker, bstrThumbMoniker, varDateCreated, varDateModified, bstrName, bigSize, size,
                bstrSoundMoniker, nullptr, false, pid);
}

HRESULT LumItemCollection::CreateItemEx(int32_t ItemType, const com::Bstr& bstrMoniker,
                                        const com::Bstr& bstrThumbMoniker, const com::Variant& varDateCreated,
                                        const com::Variant& varDateModified, const com::Bstr& bstrName,
                                        int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                                        com::IUnknown* pUnk, int32_t* pid) {
  return Create(ItemType, bstrMoniker, bstrThumbMoniker, varDateCreated, varDateModified, bstrName, bigSize, size,
                bstrSoundMoniker, pUnk, true, pid);
}

HRESULT LumItemCollection::CreateItem2(int32_t ItemType, const com::Bstr& bstrMoniker, int32_t* pid) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected()) return com::E_FAIL;
    int32_t& id = com::CheckOut(pid);
    id = -1;
    const Identity identity = CheckIdentity(bstrMoniker.str());
    if (!identity.makeNew) {
      id = identity.existingId;
      return com::S_FALSE;
    }
    const com::Variant noDate = com::Variant::Null();
    const HRESULT hr = InsertRecord(ItemType, bstrMoniker.str(), bstrMoniker, noDate, noDate,
                                    com::Bstr(monikers::ItemNameFromMoniker(bstrMoniker.str())), 0, 0, com::Bstr(""),
                                    identity.fileUniqueId, id);
    if (hr != com::S_OK) return hr;
    com::ComPtr<LumItem> item = Instantiate(id);
    if (!item) throw com::ComError(com::E_FAIL, "the new item " + std::to_string(id) + " has no record");
    const HRESULT thumbnailSet = item->put_ThumbnailMoniker(com::Bstr(item->record().dataMoniker));
    if (com::Failed(thumbnailSet)) LogFailure("setting the thumbnail moniker", id, thumbnailSet);
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemCreated(id); });
    return com::S_OK;
  });
}

void LumItemCollection::FireItemDestroyed(int32_t id) { relay_->OnItemDestroyed(id); }

events::Subscription LumItemCollection::RelayFrom(com::IUnknown* source) {
  return events::Subscription(source, IKivAlbumCoreEvents::kInterfaceName, relay_.get());
}

HRESULT LumItemCollection::DestroyItem(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected()) return com::E_FAIL;
    if (lItemID < 0) return com::E_INVALIDARG;
    com::ComPtr<LumItem> item = Instantiate(lItemID);
    if (!item) return com::S_FALSE;  // nothing recorded, nothing announced
    int32_t isAlbum = 0;
    com::ThrowIfFailed(item->IsAlbum(&isAlbum));
    if (isAlbum != 0) {
      // Emptied first: a playlist destroys its entries, an album unlinks them.
      if (com::ComPtr<albums::AlbumBase> album = Album(lItemID, -1)) {
        album->EmptyAlbumRecursively(item->record().type != kAlbumItemType ? 1 : 0);
        if (auto it = albums_.find(lItemID); it != albums_.end()) {
          it->second.relay.reset();
          it->second.album->Disconnect();
          albums_.erase(it);
        }
      }
      store::dao::ExecuteStored(db(), "DestroyAlbum", {{"album_id", lItemID}});
    }
    std::string thumbnail;
    if (auto it = items_.find(lItemID); it != items_.end()) thumbnail = it->second.item->record().thumbMoniker;
    Forget(lItemID);
    store::dao::ExecuteStored(db(), "DestroyItem", {{"item_id", lItemID}});
    if (!thumbnail.empty() && generator_)
      LogGeneratorFailure("deleting the thumbnail", lItemID, generator_->DeleteThumbnail(com::Bstr(thumbnail)));
    if (notify_.on() && isAlbum != 0)
      FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnAlbumDestroyed(lItemID); });
    FireItemDestroyed(lItemID);
    return com::S_OK;
  });
}

HRESULT LumItemCollection::GenerateThumbnail(int32_t lID) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected() || !generator_) return com::E_FAIL;
    int32_t pending = 0;
    com::ThrowIfFailed(generator_->IsPending(lID, &pending));
    if (pending == 2) return com::S_OK;
    com::ComPtr<LumItem> item = Instantiate(lID);
    if (!item) return com::S_FALSE;
    const ItemRecord& record = item->record();
    if (record.type == kNoRepeatThumbnailType && pending > 0) return com::S_OK;
    if (monikers::HasGuidFileName(record.dataMoniker)) return com::S_OK;
    const bool keepSource = monikers::HasTempProtocol(record.thumbMoniker) || KeepsThumbnailSource(record.type);
    const com::Bstr source(keepSource ? record.thumbMoniker : record.dataMoniker);
    return pending == 1 ? item->RefreshThumbnailMoniker(source) : item->put_ThumbnailMoniker(source);
  });
}

HRESULT LumItemCollection::ItemHasParents(int32_t lItemID, int32_t* bConfirm) {
  return com::CallGuard([&] {
    int32_t& confirm = com::CheckOut(bConfirm);
    if (!mruAlbumId_) {
      // The recently-used album, whose membership does not count. Looked
      // up without making it: an album that does not exist has no members.
      auto rows = store::dao::OpenStored(db(), "GetSpecialAlbum", {{"album_type", 3}});
      if (rows->IsEOF()) {
        rows.reset();
        confirm = store::dao::OpenStored(db(), "HasParents", {{"item_id", lItemID}, {"album_id", -1}})->IsEOF() ? 0 : 1;
        return;
      }
      mruAlbumId_ = rows->GetValue(0).ToI4();
    }
    confirm =
        store::dao::OpenStored(db(), "HasParents", {{"item_id", lItemID}, {"album_id", *mruAlbumId_}})->IsEOF() ? 0 : 1;
  });
}

HRESULT LumItemCollection::GetLibrary(com::ComPtr<com::IUnknown>* ppLibrary) {
  return com::CallGuard([&] { com::CheckOut(ppLibrary) = library_; });
}

HRESULT LumItemCollection::GetThumbnailGenerator(com::ComPtr<com::IUnknown>* pGenerator) {
  return com::CallGuard([&] {
    com::CheckOut(pGenerator) =
        com::ComPtr<com::IUnknown>(static_cast<typelib::IKivThumbnailGenerator*>(generator_.get()));
  });
}

HRESULT LumItemCollection::SetNotify(int32_t bNotify) {
  notify_.Set(bNotify != 0);
  return com::S_OK;
}

HRESULT LumItemCollection::SetItemThumbnailMoniker(int32_t lItemID, const com::Bstr& moniker) {
  return com::CallGuard([&]() -> HRESULT {
    auto it = items_.find(lItemID);
    if (it == items_.end()) return com::S_OK;
    store::dao::ExecuteStored(db(), "SetItemThumbnailMoniker", {{"varThumbMoniker", moniker.str()}, {"item_id", lItemID}});
    it->second.item->UpdateThumbnailMoniker(moniker);
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemChanged(lItemID); });
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemThumbnailChanged(lItemID, moniker); });
    return com::S_OK;
  });
}

}  // namespace albumcore::items
