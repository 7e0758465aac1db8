#include "albums/album/virtual_albums.h"

#include <cstdio>

#include "store/dao/stored_call.h"
#include "typelib/kiv_album.h"
#include "typelib/kiv_album_core_events.h"
#include "typelib/kiv_item.h"

namespace albumcore::albums {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;

namespace {

const AlbumClass& ClassOf(int32_t albumId) {
  const AlbumClass* albumClass = VirtualAlbumClass(albumId);
  if (albumClass == nullptr) throw com::ComError(com::E_INVALIDARG, "not a virtual album ID");
  return *albumClass;
}

}  // namespace

// Hears the collection's creations for its album, without holding it.
class LumVirtualAlbum::CreationSink final : public typelib::AlbumCoreEventsSink {
 public:
  explicit CreationSink(LumVirtualAlbum* album) : album_(album) {}
  void Detach() noexcept { album_ = nullptr; }
  HRESULT OnItemCreated(int32_t lItemID) override {
    if (album_ && album_->FollowsItemCreation()) album_->OnCreated(lItemID);
    return com::S_OK;
  }
  HRESULT OnAlbumCreated(int32_t lAlbumID) override {
    if (album_ && album_->FollowsAlbumCreation()) album_->OnCreated(lAlbumID);
    return com::S_OK;
  }

 private:
  LumVirtualAlbum* album_;
};

LumVirtualAlbum::LumVirtualAlbum(int32_t albumId, const components::StringTable* strings, listing::ListingKind kind)
    : AlbumBase(ClassOf(albumId), strings, CAT_NORMAL), kind_(kind) {}

LumVirtualAlbum::~LumVirtualAlbum() { StopListening(); }

void LumVirtualAlbum::StopListening() noexcept {
  core_.reset();
  if (sink_) sink_->Detach();
  sink_.reset();
}

HRESULT LumVirtualAlbum::Connect(com::IUnknown* pConnection, int32_t lAlbumID, com::IUnknown* pItemCollection,
                                 com::IUnknown* pLibUserFields) {
  if (connected()) return com::S_OK;
  const HRESULT hr = AlbumBase::Connect(pConnection, lAlbumID, pItemCollection, pLibUserFields);
  if (hr != com::S_OK || !(FollowsItemCreation() || FollowsAlbumCreation())) return hr;
  return com::CallGuard([&] {
    sink_ = com::MakeObject<CreationSink>(this);
    core_ = events::Subscription(pItemCollection, IKivAlbumCoreEvents::kInterfaceName, sink_.get());
  });
}

HRESULT LumVirtualAlbum::Disconnect() {
  StopListening();
  return AlbumBase::Disconnect();
}

int32_t LumVirtualAlbum::MruIdForListing() { return kind_ == listing::ListingKind::AllAlbums ? MruAlbumId() : -1; }

std::string LumVirtualAlbum::BuildItemIdQuery(const com::Bstr& filter, uint32_t sortField, uint32_t sortOrder) {
  return listing::BuildItemIdQuery(kind_, id(), MruIdForListing(), filter, sortField, sortOrder);
}

std::string LumVirtualAlbum::BuildListingQuery(const com::Bstr& filter, uint32_t sortField, uint32_t sortOrder) {
  return listing::BuildListingQuery(kind_, id(), MruIdForListing(), filter, sortField, sortOrder);
}

com::ComPtr<store::dao::Recordset> LumVirtualAlbum::OpenAlbumRecord() {
  return store::dao::OpenStored(db(), "GetSpecialAlbumRecord", {{"album_id", id()}});
}

bool LumVirtualAlbum::Lists(int32_t itemID) {
  return !db().OpenRecordset(listing::BuildMemberTest(kind_, id(), MruIdForListing(), itemID))->IsEOF();
}

void LumVirtualAlbum::OnCreated(int32_t id) {
  if (members().Contains(id)) return;
  try {
    if (Lists(id)) members().Insert(id);
  } catch (const com::ComError& e) {
    std::fprintf(stderr, "album %d: cannot tell whether new item %d belongs: %s\n", this->id(), id, e.what());
  }
}

// Shoebox.

LumShoebox::LumShoebox(const components::StringTable* strings)
    : LumVirtualAlbum(typelib::kShoeboxAlbumId, strings, listing::ListingKind::Shoebox) {}

HRESULT LumShoebox::Add(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                        const com::Variant& varDateCreated, const com::Variant& varDateModified,
                        const com::Bstr& bstrName, int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                        int32_t* pid) {
  if (!connected()) return com::E_FAIL;
  if (varDateCreated.vt() != com::VT_DATE || varDateModified.vt() != com::VT_DATE) return com::E_INVALIDARG;
  return items().CreateItem(ItemType, bstrMoniker, bstrThumbMoniker, varDateCreated, varDateModified, bstrName, bigSize,
                            size, bstrSoundMoniker, pid);
}

HRESULT LumShoebox::AddEx(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                          const com::Variant& varDateCreated, const com::Variant& varDateModified,
                          const com::Bstr& bstrName, int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                          com::IUnknown* pUnk, int32_t* pid) {
  if (!connected()) return com::E_FAIL;
  if (varDateCreated.vt() != com::VT_DATE || varDateModified.vt() != com::VT_DATE) return com::E_INVALIDARG;
  return items().CreateItemEx(ItemType, bstrMoniker, bstrThumbMoniker, varDateCreated, varDateModified, bstrName,
                              bigSize, size, bstrSoundMoniker, pUnk, pid);
}

HRESULT LumShoebox::Remove(int32_t lItemID) {
  if (!connected() || lItemID < 0) return com::E_FAIL;
  const HRESULT hr = items().DestroyItem(lItemID);
  if (com::Failed(hr)) {
    std::fprintf(stderr, "shoebox: destroying item %d failed: %s\n", lItemID, com::DescribeHresult(hr).c_str());
    return com::S_OK;
  }
  members().Erase(lItemID);
  return com::S_OK;
}

// Search results.

LumSearchResults::LumSearchResults(const components::StringTable* strings)
    : LumVirtualAlbum(typelib::kSearchResultsAlbumId, strings, listing::ListingKind::SearchResults) {}

void LumSearchResults::InsertMembership(int32_t itemID) {
  store::dao::ExecuteStored(db(), "AddItemToSearchResults", {{"item_id", itemID}});
  members().Insert(itemID);
}

void LumSearchResults::DeleteMembership(int32_t itemID) {
  store::dao::ExecuteStored(db(), "RemoveItemFromSearchResults", {{"item_id", itemID}});
  members().Erase(itemID);
}

HRESULT LumSearchResults::Remove(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected() || !members().Contains(lItemID)) return com::E_FAIL;
    DeleteMembership(lItemID);
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemRemoved(id(), lItemID); });
    return com::S_OK;
  });
}

HRESULT LumSearchResults::CanRename(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = members().empty() ? 0 : 1; });
}

// All files.

LumAllFiles::LumAllFiles(const components::StringTable* strings)
    : LumVirtualAlbum(typelib::kAllFilesAlbumId, strings, listing::ListingKind::AllFiles) {}

HRESULT LumAllFiles::Remove(int32_t lItemID) {
  if (!connected() || lItemID < 0) return com::E_FAIL;
  return items().DestroyItem(lItemID);
}

// All albums.

LumAllAlbumsAlbum::LumAllAlbumsAlbum(const components::StringTable* strings)
    : LumVirtualAlbum(typelib::kAllAlbumsAlbumId, strings, listing::ListingKind::AllAlbums) {}

HRESULT LumAllAlbumsAlbum::Remove(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected() || !members().Contains(lItemID)) return com::E_FAIL;
    com::ComPtr<com::IUnknown> object;
    com::ThrowIfFailed(items().InstantiateItem(lItemID, &object));
    auto item = com::QueryInterface<typelib::IKivItem>(object);
    int32_t isAlbum = 0;
    if (item) com::ThrowIfFailed(item->IsAlbum(&isAlbum));
    if (isAlbum != 0) return Destroy(lItemID);
    return com::S_OK;
  });
}

com::ComPtr<AlbumBase> MakeVirtualAlbum(int32_t albumId, const components::StringTable* strings) {
  switch (albumId) {
    case typelib::kShoeboxAlbumId: return com::MakeObject<LumShoebox>(strings);
    case typelib::kSearchResultsAlbumId: return com::MakeObject<LumSearchResults>(strings);
    case typelib::kAllFilesAlbumId: return com::MakeObject<LumAllFiles>(strings);
    case typelib::kAllAlbumsAlbumId: return com::MakeObject<LumAllAlbumsAlbum>(strings);
    default: return {};
  }
}

}  // namespace albumcore::albums
