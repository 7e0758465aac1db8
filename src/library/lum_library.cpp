#include "library/lum_library.h"

#include <cstdio>

#include "events/relay.h"
#include "store/catalogue/schema_upgrade.h"
#include "typelib/album_core_liveness.h"

namespace albumcore::library {

using com::HRESULT;

LumLibrary::LumLibrary(LibraryContext context) : context_(std::move(context)) {}

LumLibrary::~LumLibrary() { Disconnect(); }

items::LumItemCollection& LumLibrary::items() const {
  if (!items_) throw com::ComError(com::E_FAIL, "the library is not connected");
  return *items_;
}

store::dao::Database& LumLibrary::db() const {
  if (!session_) throw com::ComError(com::E_FAIL, "the library is not connected");
  return session_->database();
}

HRESULT LumLibrary::Connect() {
  return com::CallGuard([&]() -> HRESULT {
    if (session_) return com::S_OK;
    std::unique_ptr<store::catalogue::CatalogueSession> session;
    const HRESULT opened = store::catalogue::CatalogueSession::Open(moniker_, uid_, pwd_, &session, context_.limits);
    if (com::Failed(opened)) return opened;
    store::dao::Database& database = session->database();

    auto userFields = com::MakeObject<tagging::LumUserFieldsLibrary>();
    com::ThrowIfFailed(userFields->Connect(&database, -1, nullptr));
    auto keywords = com::MakeObject<tagging::keywords::LumKeywordsLibrary>();
    com::ThrowIfFailed(keywords->Connect(&database, -1, nullptr));
    auto items = com::MakeObject<items::LumItemCollection>(context_.registryPath, context_.services);
    com::ThrowIfFailed(items->Connect(&database, userFields.get(), keywords.get(),
                                      static_cast<typelib::IKivLibrary*>(this)));
    // The connect-time step reports and logs its own failures; the library
    // serves what the file has.
    store::catalogue::ConnectTimeUpgrade(database);

    userFieldsRelay_ = events::RelayCoreEvents(userFields.get(), *this);
    keywordsRelay_ = events::RelayCoreEvents(keywords.get(), *this);
    itemsRelay_ = events::RelayCoreEvents(items.get(), *this);
    session_ = std::move(session);
    userFields_ = std::move(userFields);
    keywords_ = std::move(keywords);
    items_ = std::move(items);
    return com::S_OK;
  });
}

HRESULT LumLibrary::DisconnectShared() noexcept {
  itemsRelay_.reset();
  if (items_) items_->Disconnect();
  items_.reset();
  userFieldsRelay_.reset();
  if (userFields_) userFields_->Disconnect();
  userFields_.reset();
  keywordsRelay_.reset();
  if (keywords_) keywords_->Disconnect();
  keywords_.reset();
  return com::S_OK;
}

HRESULT LumLibrary::Disconnect() {
  DisconnectShared();
  if (!session_) return com::S_OK;
  std::function<void()> compaction = session_->Release();
  session_.reset();
  if (!compaction) return com::S_OK;
  if (context_.runLong)
    context_.runLong(std::move(compaction));
  else
    compaction();
  return com::S_OK;
}

HRESULT LumLibrary::Unconnected() const noexcept { return com::E_FAIL; }

// Identity.

namespace {

HRESULT GetText(const com::Bstr& field, com::Bstr* out) {
  if (out == nullptr) return com::E_POINTER;
  *out = field;
  return com::S_OK;
}

}  // namespace

HRESULT LumLibrary::get_LibMoniker(com::Bstr* pVal) { return GetText(moniker_, pVal); }
HRESULT LumLibrary::put_LibMoniker(const com::Bstr& newVal) {
  moniker_ = newVal;
  return com::S_OK;
}
HRESULT LumLibrary::get_Uid(com::Bstr* pVal) { return GetText(uid_, pVal); }
HRESULT LumLibrary::put_Uid(const com::Bstr& newVal) {
  uid_ = newVal;
  return com::S_OK;
}
HRESULT LumLibrary::get_Pwd(com::Bstr* pVal) { return GetText(pwd_, pVal); }
HRESULT LumLibrary::put_Pwd(const com::Bstr& newVal) {
  pwd_ = newVal;
  return com::S_OK;
}

// The shared objects.

HRESULT LumLibrary::get_UserFields(com::ComPtr<com::IUnknown>* pVal) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(pVal);
    if (!userFields_) return com::E_FAIL;
    out = com::ComPtr<com::IUnknown>(static_cast<typelib::IKivUserFields*>(userFields_.get()));
    return com::S_OK;
  });
}

HRESULT LumLibrary::get_Keywords(com::ComPtr<com::IUnknown>* pVal) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(pVal);
    if (!keywords_) return com::E_FAIL;
    out = com::ComPtr<com::IUnknown>(static_cast<typelib::IKivKeywords*>(keywords_.get()));
    return com::S_OK;
  });
}

HRESULT LumLibrary::GetItemCollection(com::ComPtr<com::IUnknown>* ppCollection) {
  return com::CallGuard([&] {
    auto& out = com::CheckOut(ppCollection);
    out = com::ComPtr<com::IUnknown>(static_cast<typelib::IKivItemCollection*>(&items()));
  });
}

HRESULT LumLibrary::get_Database(com::ComPtr<com::IUnknown>* pVal) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(pVal);
    out = com::ComPtr<com::IUnknown>(&db());
    return com::S_OK;
  });
}

HRESULT LumLibrary::GetThumbnailGenerator(com::ComPtr<com::IUnknown>* pGenerator) {
  return com::CallGuard([&] {
    com::CheckOut(pGenerator);
    items().GetThumbnailGenerator(pGenerator);
    return com::S_OK;
  });
}

HRESULT LumLibrary::GenerateThumbnail(int32_t lID) {
  if (items_) {
    const HRESULT hr = items_->GenerateThumbnail(lID);
    if (com::Failed(hr))
      std::fprintf(stderr, "library: the thumbnail of item %d was not asked for: %s\n", lID,
                   com::DescribeHresult(hr).c_str());
  }
  return com::S_OK;
}

// Liveness.

void LumLibrary::ProbeAlive(std::function<void(HRESULT)> done) {
  typelib::ProbeSinksAlive(coreEvents().Sinks(), std::move(done));
}

HRESULT LumLibrary::IsAlive() {
  HRESULT answer = com::S_OK;
  ProbeAlive([&answer](HRESULT hr) { answer = hr; });
  return answer;
}

// Delegated to the item collection.

HRESULT LumLibrary::get_Shoebox(com::ComPtr<com::IUnknown>* pVal) {
  if (pVal == nullptr) return com::E_POINTER;
  return items_ ? items_->get_Shoebox(pVal) : Unconnected();
}
HRESULT LumLibrary::get_SearchResults(com::ComPtr<com::IUnknown>* pVal) {
  if (pVal == nullptr) return com::E_POINTER;
  return items_ ? items_->get_SearchResults(pVal) : Unconnected();
}
HRESULT LumLibrary::get_AllAlbumsAlbum(com::ComPtr<com::IUnknown>* pVal) {
  if (pVal == nullptr) return com::E_POINTER;
  return items_ ? items_->get_AllAlbums(pVal) : Unconnected();
}
HRESULT LumLibrary::GetSpecialAlbumID(int32_t lType, int32_t* plAlbumID) {
  if (plAlbumID == nullptr) return com::E_POINTER;
  return items_ ? items_->GetSpecialAlbumID(lType, plAlbumID) : Unconnected();
}
HRESULT LumLibrary::GetMRUSection(const com::Bstr& bstrSectionName, int32_t* plAlbumID) {
  return items_ ? items_->GetMRUSection(bstrSectionName, plAlbumID) : Unconnected();
}
HRESULT LumLibrary::CreateAlbum(const com::Bstr& cover, const com::Bstr& name, int32_t parent, int32_t* id) {
  return items_ ? items_->CreateAlbum(cover, name, parent, id) : Unconnected();
}
HRESULT LumLibrary::FindAlbumFromMoniker(const com::Bstr& moniker, int32_t* id) {
  return items_ ? items_->FindAlbumFromMoniker(moniker, id) : Unconnected();
}
HRESULT LumLibrary::CreateAlbumForItem(int32_t lItemID) {
  return items_ ? items_->CreateAlbumForItem(lItemID) : Unconnected();
}
HRESULT LumLibrary::DeleteAlbumForItem(int32_t lItemID) {
  return items_ ? items_->DeleteAlbumForItem(lItemID) : Unconnected();
}
HRESULT LumLibrary::CreateAlbumCustom(const com::Bstr& cover, const com::Bstr& name, int32_t parent, int32_t type,
                                      int32_t* id) {
  return items_ ? items_->CreateAlbumCustom(cover, name, parent, type, id) : Unconnected();
}
HRESULT LumLibrary::CreateAlbumUnique(const com::Bstr& cover, const com::Bstr& name, int32_t parent, int32_t type,
                                      const com::Bstr& uniqueID, int32_t* id) {
  return items_ ? items_->CreateAlbumUnique(cover, name, parent, type, uniqueID, id) : Unconnected();
}

HRESULT LumLibrary::SetMRULength(int32_t lLength) {
  mruLength_ = lLength;
  return com::S_OK;
}

// Slots whose objects arrive later.

HRESULT LumLibrary::CopyDataFromOldDatabase(const com::Bstr&, const com::Bstr&, const com::Bstr&, const com::Bstr&) {
  return com::E_NOTIMPL;
}
HRESULT LumLibrary::MergeDatabase(const com::Bstr&, const com::Bstr&) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetDateEnumerator(com::ComPtr<com::IUnknown>*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::AddToMRU(const com::Bstr&, const com::Bstr&) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetMruSoundMonikerStrings(com::Variant*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::AddMruSoundMonikerString(const com::Bstr&) { return com::E_NOTIMPL; }
HRESULT LumLibrary::CopyToClipboard(const com::Variant&) { return com::E_NOTIMPL; }
HRESULT LumLibrary::PasteFromClipboard(int32_t) { return com::E_NOTIMPL; }
HRESULT LumLibrary::CreateAlbumFromSearchResults(const com::Bstr&, const com::Bstr&, int32_t, int32_t*) {
  return com::E_NOTIMPL;
}
HRESULT LumLibrary::CreateAlbumCorePlugin(const com::Bstr&, com::ComPtr<com::IUnknown>*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetNodes(const com::Bstr&, com::Variant*, com::Variant*, com::Variant*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetNodeName(const com::Bstr&, com::Bstr*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetNodeNamePath(const com::Bstr&, com::Bstr*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetNodeItems(const com::Bstr&, const com::Bstr&, uint32_t, uint32_t, typelib::ItemListingArrays*) {
  return com::E_NOTIMPL;
}
HRESULT LumLibrary::IsNodesItem(const com::Bstr&, int32_t, int32_t*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::IsEmptyView(const com::Bstr&, int32_t*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetSQLItems(const com::Bstr&, const com::Bstr&, typelib::ItemListingArrays*) {
  return com::E_NOTIMPL;
}
HRESULT LumLibrary::GetSmartViewIcon(const com::Bstr&, com::Bstr*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetSmartViewThumbnail(const com::Bstr&, com::Bstr*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetNodeItemsSQL(const com::Bstr&, const com::Bstr&, uint32_t, uint32_t, int32_t, com::Bstr*) {
  return com::E_NOTIMPL;
}
HRESULT LumLibrary::GetParentID(const com::Bstr&, com::Bstr*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetSQLItemsCustom(const com::Bstr&, com::Variant*) { return com::E_NOTIMPL; }
HRESULT LumLibrary::GetNodeItems2(const com::Bstr&, const com::Bstr&, uint32_t, uint32_t, typelib::ItemListingArrays*,
                                  com::Variant*) {
  return com::E_NOTIMPL;
}
HRESULT LumLibrary::GetSQLItems2(const com::Bstr&, const com::Bstr&, typelib::ItemListingArrays*, com::Variant*) {
  return com::E_NOTIMPL;
}
HRESULT LumLibrary::GetReadOnly(const com::Bstr&, com::Variant*) { return com::E_NOTIMPL; }

}  // namespace albumcore::library
