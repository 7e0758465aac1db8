#include "albums/album/album_base.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "albums/album/item_enumerator.h"
#include "albums/listing/listing.h"
#include "items/item/item_types.h"
#include "sqltext/sql_literal.h"
#include "store/dao/stored_call.h"
#include "tagging/user_fields/user_fields_album.h"
#include "typelib/kiv_album_specific_events.h"
#include "typelib/kiv_item.h"

namespace albumcore::albums {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;

namespace {

// Item types an album's Remove destroys rather than unlinks.
bool DestroyedOnRemove(int32_t type) { return type >= 10 && type <= 13; }

constexpr int32_t kMusicItemType = 3;

}  // namespace

// Hears the item collection's IKivAlbumSpecificEvents for its album,
// without holding it.
class AlbumBase::SpecificSink final : public com::ComObject, public typelib::IKivAlbumSpecificEvents {
 public:
  explicit SpecificSink(AlbumBase* album) : album_(album) {}
  void Detach() noexcept { album_ = nullptr; }
  HRESULT ItemDestroyed(int32_t lItemID) override {
    return com::CallGuard([&] {
      if (album_) album_->OnItemDestroyed(lItemID);
    });
  }

 private:
  AlbumBase* album_;
};

AlbumBase::AlbumBase(const AlbumClass& albumClass, const components::StringTable* strings, int32_t customType)
    : class_(&albumClass), strings_(strings), customType_(customType) {}

AlbumBase::~AlbumBase() { Disconnect(); }

store::dao::Database& AlbumBase::db() const {
  if (!db_) throw com::ComError(com::E_FAIL, "the album is not connected");
  return *db_;
}

typelib::IKivItemCollection& AlbumBase::items() const {
  if (!items_) throw com::ComError(com::E_FAIL, "the album is not connected");
  return *items_;
}

HRESULT AlbumBase::RequireWritable(AlbumProperty property) const {
  // A class that refuses the write says so even for a virtual album.
  if (!items_) return com::E_FAIL;
  if (!class_->AcceptsPut(property)) return com::CO_E_NOT_SUPPORTED;
  return albumId_ < 0 ? com::E_FAIL : com::S_OK;
}

int32_t AlbumBase::MruAlbumId() {
  int32_t id = -1;
  if (items().GetSpecialAlbumID(SAT_MRU, &id) == com::S_OK) return id;
  return -1;
}

com::ComPtr<typelib::IKivItem> AlbumBase::InstantiateItem(int32_t itemID) {
  com::ComPtr<com::IUnknown> object;
  if (items().InstantiateItem(itemID, &object) != com::S_OK) return {};
  return com::QueryInterface<typelib::IKivItem>(object);
}

// Connecting.

HRESULT AlbumBase::Connect(com::IUnknown* pConnection, int32_t lAlbumID, com::IUnknown* pItemCollection,
                           com::IUnknown* pLibUserFields) {
  return com::CallGuard([&]() -> HRESULT {
    if (items_) return com::S_OK;
    auto database = com::QueryInterface<store::dao::Database>(pConnection);
    auto collection = com::QueryInterface<typelib::IKivItemCollection>(pItemCollection);
    if (!database || !collection) return com::E_POINTER;
    if (lAlbumID == typelib::kNoAlbumId) return com::E_INVALIDARG;
    db_ = std::move(database);
    items_ = std::move(collection);
    albumId_ = lAlbumID;
    libUserFields_ = com::ComPtr<com::IUnknown>(pLibUserFields);
    sink_ = com::MakeObject<SpecificSink>(this);
    specific_ = events::Subscription(pItemCollection, typelib::IKivAlbumSpecificEvents::kInterfaceName, sink_.get());
    LoadAlbumProperties();
    LoadMembership();
    return com::S_OK;
  });
}

HRESULT AlbumBase::Disconnect() {
  specific_.reset();
  if (sink_) sink_->Detach();
  sink_.reset();
  name_ = com::Bstr();
  cover_ = com::Bstr();
  icon_ = com::Bstr();
  members_.Clear();
  if (userFields_) userFields_->Disconnect();
  userFields_.reset();
  libUserFields_.reset();
  items_.reset();
  db_.reset();
  return com::S_OK;
}

void AlbumBase::Reclassify(const AlbumClass& albumClass, int32_t customType) {
  class_ = &albumClass;
  customType_ = customType;
}

void AlbumBase::LoadAlbumProperties() {
  if (!class_->nameKey.empty()) {
    name_ = com::Bstr(strings_ ? strings_->Resolve(class_->nameKey) : std::string(class_->nameKey));
    cover_ = com::Bstr(class_->cover);
    return;
  }
  if (albumId_ < 0) return;
  com::ComPtr<typelib::IKivItem> item = InstantiateItem(albumId_);
  if (!item) return;
  item->get_Name(&name_);
  item->get_ThumbnailMoniker(&cover_);
}

com::ComPtr<store::dao::Recordset> AlbumBase::OpenAlbumRecord() {
  return store::dao::OpenStored(db(), "GetAlbumRecord", {{"album_id", albumId_}});
}

std::vector<int32_t> AlbumBase::ReadMemberIds() {
  std::vector<int32_t> ids;
  auto rows = db().OpenRecordset(BuildItemIdQuery(com::Bstr(), listing::NAX_SORT_NONE, listing::NAX_SORT_ASCENDING),
                                 store::dao::dbOpenSnapshot);
  for (; !rows->IsEOF(); rows->MoveNext()) ids.push_back(rows->GetValue(0).ToI4());
  return ids;
}

void AlbumBase::LoadMembership() { members_.Assign(ReadMemberIds()); }

std::string AlbumBase::BuildItemIdQuery(const com::Bstr& filter, uint32_t sortField, uint32_t sortOrder) {
  return listing::BuildItemIdQuery(listing::ListingKind::PlainAlbum, albumId_, -1, filter, sortField, sortOrder);
}

std::string AlbumBase::BuildListingQuery(const com::Bstr& filter, uint32_t sortField, uint32_t sortOrder) {
  const auto kind = class_->hidesHiddenItems ? listing::ListingKind::PlainAlbum : listing::ListingKind::SpecialAlbum;
  return listing::BuildListingQuery(kind, albumId_, -1, filter, sortField, sortOrder);
}

// Membership.

void AlbumBase::InsertMembership(int32_t itemID) {
  store::dao::ExecuteStored(db(), "AddItemToAlbum", {{"album_id", albumId_}, {"item_id", itemID}});
  members_.Insert(itemID);
}

void AlbumBase::DeleteMembership(int32_t itemID) {
  store::dao::ExecuteStored(db(), "RemoveItemFromAlbum", {{"album_id", albumId_}, {"item_id", itemID}});
  members_.Erase(itemID);
}

void AlbumBase::OnItemDestroyed(int32_t itemID) {
  if (!members_.Erase(itemID)) return;
  FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemRemoved(albumId_, itemID); });
}

HRESULT AlbumBase::get_Count(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = static_cast<int32_t>(members_.size()); });
}

HRESULT AlbumBase::IsInAlbum(int32_t lItemID) { return members_.Contains(lItemID) ? com::S_OK : com::S_FALSE; }

HRESULT AlbumBase::get_Item(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(ppItem);
    if (!items_ || !members_.Contains(lItemID)) return com::E_FAIL;
    com::ComPtr<com::IUnknown>& kept = members_.Object(lItemID);
    if (!kept) {
      com::ComPtr<com::IUnknown> object;
      com::ThrowIfFailed(items().InstantiateItem(lItemID, &object));
      kept = object;
    }
    out = kept;
    return com::S_OK;
  });
}

HRESULT AlbumBase::AddByItemIDFast(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lItemID == albumId_) return com::S_FALSE;
    InsertMembership(lItemID);
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemAdded(albumId_, lItemID); });
    return com::S_OK;
  });
}

HRESULT AlbumBase::AddByItemID(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lItemID < 0) return com::E_INVALIDARG;
    if (members_.Contains(lItemID)) return com::S_OK;
    com::ComPtr<typelib::IKivItem> item = InstantiateItem(lItemID);
    if (!item) return com::S_FALSE;
    int32_t type = -1;
    item->get_Type(&type);
    if (!class_->CanAdd(type) || lItemID == albumId_) return com::S_FALSE;
    InsertMembership(lItemID);
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemAdded(albumId_, lItemID); });
    return com::S_OK;
  });
}

template <class Create>
HRESULT AlbumBase::AddWith(Create&& create, int32_t* pid) {
  return com::CallGuard([&]() -> HRESULT {
    if (!items_) return com::E_FAIL;
    int32_t id = -1;
    const HRESULT created = create(&id);
    if (com::Failed(created)) return created;
    const HRESULT added = created == com::S_OK ? AddByItemIDFast(id) : AddByItemID(id);
    if (com::Failed(added)) return added;
    if (pid) *pid = id;
    ClearRecordset();
    return created;
  });
}

HRESULT AlbumBase::Add(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                       const com::Variant& varDateCreated, const com::Variant& varDateModified,
                       const com::Bstr& bstrName, int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                       int32_t* pid) {
  if (varDateCreated.vt() != com::VT_DATE || varDateModified.vt() != com::VT_DATE) return items_ ? com::E_INVALIDARG : com::E_FAIL;
  return AddWith(
      [&](int32_t* id) {
        return items().CreateItem(ItemType, bstrMoniker, bstrThumbMoniker, varDateCreated, varDateModified, bstrName,
                                  bigSize, size, bstrSoundMoniker, id);
      },
      pid);
}

HRESULT AlbumBase::AddEx(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                         const com::Variant& varDateCreated, const com::Variant& varDateModified,
                         const com::Bstr& bstrName, int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                         com::IUnknown* pUnk, int32_t* pid) {
  if (varDateCreated.vt() != com::VT_DATE || varDateModified.vt() != com::VT_DATE) return items_ ? com::E_INVALIDARG : com::E_FAIL;
  return AddWith(
      [&](int32_t* id) {
        return items().CreateItemEx(ItemType, bstrMoniker, bstrThumbMoniker, varDateCreated, varDateModified,
                                    bstrName, bigSize, size, bstrSoundMoniker, pUnk, id);
      },
      pid);
}

HRESULT AlbumBase::Add2(int32_t ItemType, const com::Bstr& bstrMoniker, int32_t* pid) {
  return AddWith([&](int32_t* id) { return items().CreateItem2(ItemType, bstrMoniker, id); }, pid);
}

bool AlbumBase::HasOtherParents(int32_t itemID) {
  auto rows = store::dao::OpenStored(db(), "HasOtherParents",
                                     {{"item_id", itemID}, {"album_id", albumId_}, {"album_id2", MruAlbumId()}});
  return !rows->IsEOF();
}

HRESULT AlbumBase::Remove(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lItemID < 0 || !members_.Contains(lItemID)) return com::E_FAIL;
    com::ComPtr<typelib::IKivItem> item = InstantiateItem(lItemID);
    int32_t type = -1, isAlbum = 0;
    com::Bstr moniker;
    if (item) {
      item->get_Type(&type);
      if (DestroyedOnRemove(type)) return Destroy(lItemID);
      item->IsAlbum(&isAlbum);
      item->get_Moniker(&moniker);
    }
    const bool fromMusicLibrary = moniker.str().find("iTunes::") != std::string::npos;
    if (type == kMusicItemType || isAlbum == 0 || HasOtherParents(lItemID) || fromMusicLibrary) {
      DeleteMembership(lItemID);
      FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemRemoved(albumId_, lItemID); });
      if (isAlbum != 0) FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnAlbumRemoved(albumId_, lItemID); });
      return com::S_OK;
    }
    // The last link to an album: removing it destroys the album.
    return Destroy(lItemID);
  });
}

HRESULT AlbumBase::Destroy(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lItemID < 0 || !items_) return com::E_FAIL;
    const HRESULT hr = items().DestroyItem(lItemID);
    if (com::Failed(hr))
      std::fprintf(stderr, "album %d: destroying item %d failed: %s\n", albumId_, lItemID,
                   com::DescribeHresult(hr).c_str());
    members_.Erase(lItemID);
    return com::S_OK;
  });
}

// Properties.

HRESULT AlbumBase::get_ID(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = albumId_; });
}
HRESULT AlbumBase::get_Type(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = customType_; });
}
HRESULT AlbumBase::get_CoverMoniker(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = cover_.isNull() ? com::Bstr("") : cover_; });
}
HRESULT AlbumBase::get_Name(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = name_; });
}
HRESULT AlbumBase::get_IconPath(com::Bstr* pVal) {
  return com::CallGuard([&] {
    com::CheckOut(pVal) = class_->customIcon && !icon_.empty() ? icon_ : com::Bstr(class_->iconDefault);
  });
}
HRESULT AlbumBase::get_AlbumIcon(com::Bstr* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = icon_; });
}
HRESULT AlbumBase::CanRename(int32_t* pVal) {
  return com::CallGuard([&] { com::CheckOut(pVal) = class_->OffersRename() ? 1 : 0; });
}
HRESULT AlbumBase::CanAddItem(int32_t lType, int32_t* pbConfirm) {
  return com::CallGuard([&] { com::CheckOut(pbConfirm) = class_->CanAdd(lType) ? 1 : 0; });
}

HRESULT AlbumBase::put_Name(const com::Bstr& newVal) {
  return com::CallGuard([&]() -> HRESULT {
    if (const HRESULT hr = RequireWritable(AlbumProperty::Name); hr != com::S_OK) return hr;
    com::ComPtr<typelib::IKivItem> item = InstantiateItem(albumId_);
    if (!item) return com::E_FAIL;
    com::ThrowIfFailed(item->put_Name(newVal));
    name_ = newVal;
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnAlbumNameChanged(albumId_, newVal); });
    return com::S_OK;
  });
}

HRESULT AlbumBase::put_CoverMoniker(const com::Bstr& newVal) {
  return com::CallGuard([&]() -> HRESULT {
    if (const HRESULT hr = RequireWritable(AlbumProperty::CoverMoniker); hr != com::S_OK) return hr;
    com::ComPtr<typelib::IKivItem> item = InstantiateItem(albumId_);
    if (!item) return com::E_FAIL;
    com::ThrowIfFailed(item->put_ThumbnailMoniker(newVal));
    cover_ = newVal;
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnAlbumCoverMonikerChanged(albumId_, newVal); });
    return com::S_OK;
  });
}

HRESULT AlbumBase::get_AlbumMoniker(com::Bstr* pVal) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(pVal);
    if (albumId_ == -1) return com::S_OK;
    com::ComPtr<typelib::IKivItem> item = InstantiateItem(albumId_);
    return item ? item->get_Moniker(&out) : com::E_FAIL;
  });
}

HRESULT AlbumBase::put_AlbumMoniker(const com::Bstr& newVal) {
  return com::CallGuard([&]() -> HRESULT {
    if (const HRESULT hr = RequireWritable(AlbumProperty::AlbumMoniker); hr != com::S_OK) return hr;
    com::ComPtr<typelib::IKivItem> item = InstantiateItem(albumId_);
    return item ? item->put_Moniker(newVal) : com::E_FAIL;
  });
}

HRESULT AlbumBase::put_AlbumIcon(const com::Bstr& newVal) {
  return com::CallGuard([&]() -> HRESULT {
    if (newVal.isNull()) return com::E_POINTER;
    if (!items_ || albumId_ < -4) return com::E_FAIL;
    auto rows = db().OpenRecordset("SELECT * FROM Albums WHERE AlbumID = " + std::to_string(albumId_));
    if (rows->IsEOF()) return com::E_FAIL;
    rows->Edit();
    rows->Fields("AlbumIcon").SetValue(newVal.str());
    rows->Update();
    icon_ = newVal;
    return com::S_OK;
  });
}

HRESULT AlbumBase::get_UserFields(com::ComPtr<com::IUnknown>* pVal) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(pVal);
    if (!userFields_) {
      auto fields = com::MakeObject<tagging::LumUserFieldsAlbum>();
      com::ThrowIfFailed(fields->Connect(db_.get(), albumId_, libUserFields_.get()));
      userFields_ = std::move(fields);
    }
    out = userFields_;
    return com::S_OK;
  });
}

// Questions over the catalogue.

HRESULT AlbumBase::FindItemByMoniker(const com::Bstr& bstrMoniker, int32_t* plItemID) {
  return com::CallGuard([&] {
    int32_t& id = com::CheckOut(plItemID);
    id = -1;
    auto rows = db().OpenRecordset(
        "SELECT AlbumItems.ItemID FROM AlbumItems INNER JOIN AlbumContents ON AlbumItems.ItemID = "
        "AlbumContents.ItemID WHERE AlbumContents.AlbumID = " +
        std::to_string(albumId_) + " AND AlbumItems.ItemDataMoniker = " + sqltext::QuoteSqlString(bstrMoniker.str()));
    if (!rows->IsEOF()) id = rows->GetValue(0).ToI4();
  });
}

HRESULT AlbumBase::FindItemByName(const com::Bstr& Name, int32_t* plItemID) {
  return com::CallGuard([&] {
    int32_t& id = com::CheckOut(plItemID);
    id = -1;
    auto rows = db().OpenRecordset(
        "SELECT DISTINCT AlbumItems.ItemID FROM AlbumItems INNER JOIN AlbumContents ON AlbumItems.ItemID = "
        "AlbumContents.ItemID WHERE AlbumContents.AlbumID = " +
        std::to_string(albumId_) + " AND AlbumItems.Name = " + sqltext::QuoteSqlString(Name.str()));
    if (!rows->IsEOF()) id = rows->GetValue(0).ToI4();
  });
}

HRESULT AlbumBase::IsSpecialAlbum(int32_t* plType, int32_t* pbConfirm) {
  return com::CallGuard([&] {
    int32_t& type = com::CheckOut(plType);
    int32_t& confirm = com::CheckOut(pbConfirm);
    type = -1;
    auto rows = store::dao::OpenStored(db(), "GetSpecialAlbumType", {{"album_id", albumId_}});
    confirm = rows->IsEOF() ? 0 : 1;
    if (confirm) type = rows->GetValue(0).ToI4();
  });
}

HRESULT AlbumBase::GetAlbumItemType(int32_t lAlbumID, int32_t* plType) {
  return com::CallGuard([&]() -> HRESULT {
    if (!items_) return com::E_FAIL;
    int32_t& type = com::CheckOut(plType);
    type = -1;
    auto rows = store::dao::OpenStored(db(), "GetItemAlbumType", {{"album_id", lAlbumID}});
    if (!rows->IsEOF()) type = rows->GetValue(0).ToI4();
    return com::S_OK;
  });
}

HRESULT AlbumBase::Enumerate(std::string_view query, std::string_view parameter, com::ComPtr<com::IUnknown>* out) {
  return com::CallGuard([&]() -> HRESULT {
    auto& result = com::CheckOut(out);
    result.reset();
    auto rows = store::dao::OpenStored(db(), query, {{parameter, albumId_}});
    if (rows->IsEOF()) return com::S_FALSE;
    auto enumerator = com::MakeObject<LumItemEnumerator>();
    enumerator->SetRecordSet(*rows);
    result = com::ComPtr<com::IUnknown>(static_cast<typelib::IKivItemEnumerator*>(enumerator.get()));
    return com::S_OK;
  });
}

HRESULT AlbumBase::StartEnumerateParentAlbums(com::ComPtr<com::IUnknown>* e) {
  return Enumerate("EnumerateParentAlbums", "item_id", e);
}
HRESULT AlbumBase::StartEnumerateChildAlbums(com::ComPtr<com::IUnknown>* e) {
  return Enumerate("EnumerateChildAlbums", "album_id", e);
}
HRESULT AlbumBase::StartEnumerateChildItems(com::ComPtr<com::IUnknown>* e) {
  return Enumerate("EnumerateChildItems", "album_id", e);
}

void AlbumBase::CollectAlbumsBelow(int32_t albumID, std::vector<int32_t>& found) {
  // Depth first without recursion: a client's album tree may be deep.
  std::vector<int32_t> pending{albumID};
  while (!pending.empty()) {
    const int32_t x = pending.back();
    pending.pop_back();
    auto rows = db().OpenRecordset(
        "SELECT DISTINCT Albums.AlbumID FROM Albums, AlbumContents WHERE (AlbumContents.AlbumID = " +
        std::to_string(x) + ") AND (Albums.AlbumID = AlbumContents.ItemID)");
    std::vector<int32_t> children;
    for (; !rows->IsEOF(); rows->MoveNext()) children.push_back(rows->Fields("AlbumID").Value().ToI4());
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
      if (std::find(found.begin(), found.end(), *it) != found.end()) continue;
      found.push_back(*it);
      pending.push_back(*it);
    }
  }
}

HRESULT AlbumBase::IsEligibleToAddItemToAlbum(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lItemID == albumId_) return com::S_FALSE;
    int32_t special = -1, confirm = 0;
    com::ThrowIfFailed(IsSpecialAlbum(&special, &confirm));
    if (confirm) {
      if (special == SAT_BIN || special == SAT_MRU || special == SAT_RECENTLYIMPORTED) return com::S_OK;
      if (special != SAT_ROOT && special != SAT_ARCHIVE) return com::S_FALSE;
    }
    std::vector<int32_t> related;
    CollectAlbumsBelow(lItemID, related);
    auto parents = db().OpenRecordset("SELECT DISTINCT AlbumContents.AlbumID FROM AlbumContents WHERE "
                                      "AlbumContents.ItemID = " + std::to_string(lItemID));
    for (; !parents->IsEOF(); parents->MoveNext()) related.push_back(parents->GetValue(0).ToI4());
    return std::find(related.begin(), related.end(), albumId_) == related.end() ? com::S_OK : com::S_FALSE;
  });
}

HRESULT AlbumBase::IsEligibleToPopulateFromSearchResults() {
  return com::CallGuard([&]() -> HRESULT {
    auto rows = db().OpenRecordset(
        "SELECT DISTINCT SearchResults.ItemID FROM SearchResults, Albums WHERE SearchResults.ItemID = Albums.AlbumID");
    std::vector<int32_t> albums;
    for (; !rows->IsEOF(); rows->MoveNext()) albums.push_back(rows->Fields("ItemID").Value().ToI4());
    for (int32_t album : albums) {
      std::vector<int32_t> below;
      CollectAlbumsBelow(album, below);
      if (std::find(below.begin(), below.end(), albumId_) != below.end()) return com::S_FALSE;
    }
    return com::S_OK;
  });
}

HRESULT AlbumBase::PopulateFromSearchResults() {
  return com::CallGuard([&] {
    store::dao::ExecuteStored(db(), "PopulateFromSearchResults", {{"album_id", albumId_}});
    LoadMembership();
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnItemAdded(albumId_, -1); });
  });
}

HRESULT AlbumBase::IsInAlbumTree(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (members_.Contains(lItemID)) return com::S_OK;
    // Breadth over the albums below, each asked once: no recursion on a
    // client's tree, and no loop on a cycle.
    std::vector<int32_t> below;
    CollectAlbumsBelow(albumId_, below);
    for (int32_t album : below) {
      auto rows = db().OpenRecordset("SELECT AlbumContents.ItemID FROM AlbumContents WHERE AlbumContents.AlbumID = " +
                                     std::to_string(album) + " AND AlbumContents.ItemID = " + std::to_string(lItemID));
      if (!rows->IsEOF()) return com::S_OK;
    }
    return com::S_FALSE;
  });
}

std::vector<int32_t> AlbumBase::Ids(std::string_view query, std::string_view parameter, int32_t id) {
  std::vector<int32_t> found;
  auto rows = store::dao::OpenStored(db(), query, {{parameter, id}});
  for (; !rows->IsEOF(); rows->MoveNext()) found.push_back(rows->GetValue(0).ToI4());
  return found;
}

void AlbumBase::EmptyChildAlbum(int32_t childID, int32_t bDestroyItems) {
  com::ComPtr<com::IUnknown> object;
  if (items().InstantiateAlbum(childID, &object) != com::S_OK) return;
  auto album = com::QueryInterface<typelib::IKivAlbum>(object);
  if (!album) return;
  if (const HRESULT hr = album->EmptyAlbumRecursively(bDestroyItems); com::Failed(hr))
    std::fprintf(stderr, "album %d: emptying album %d failed: %s\n", albumId_, childID,
                 com::DescribeHresult(hr).c_str());
}

void AlbumBase::EmptyChildItems(int32_t bDestroyItems) {
  for (int32_t item : Ids("EnumerateChildItems", "album_id", albumId_)) bDestroyItems ? Destroy(item) : Remove(item);
}

HRESULT AlbumBase::EmptyAlbumRecursively(int32_t bDestroyItems) {
  return com::CallGuard([&] {
    // Single steps that fail are skipped: the rest is emptied all the same.
    for (int32_t child : Ids("EnumerateChildAlbums", "album_id", albumId_)) {
      EmptyChildAlbum(child, bDestroyItems);
      Remove(child);
    }
    EmptyChildItems(bDestroyItems);
  });
}

HRESULT AlbumBase::GenerateUniqueAlbumName(int32_t bAcceptAsIs, com::Bstr* pbstrName) {
  return com::CallGuard([&] {
    com::Bstr& name = com::CheckOut(pbstrName);
    auto unique = [&](const std::string& candidate) {
      return store::dao::OpenStored(db(), "IsAlbumNameUnique", {{"album_id", albumId_}, {"varFieldName", candidate}})
          ->IsEOF();
    };
    const std::string base = name.str();
    if (bAcceptAsIs != 0 && unique(base)) return;
    // Each candidate taken is a child album of that name, so the search
    // ends within one more than the album's children.
    for (int64_t n = 1;; ++n) {
      const std::string candidate = base + " " + std::to_string(n);
      if (unique(candidate)) {
        name = com::Bstr(candidate);
        return;
      }
    }
  });
}

HRESULT AlbumBase::ClearRecordset() { return com::S_OK; }

// Custom sort.

HRESULT AlbumBase::get_CustomSort(com::Variant* pVal) {
  return com::CallGuard([&]() -> HRESULT {
    com::Variant& out = com::CheckOut(pVal);
    out = com::Variant();
    auto rows = OpenAlbumRecord();
    if (rows->IsEOF()) return com::E_FAIL;
    const com::Variant stored = rows->Fields("CustomSort").Value();
    if (stored.vt() != (com::VT_ARRAY | com::VT_UI1) || stored.array().dimensions() != 1) return com::E_FAIL;
    const auto& bytes = stored.array().elements<uint8_t>();
    if (bytes.size() != 4 * members_.size()) return com::E_FAIL;
    std::vector<int32_t> ids(members_.size());
    for (size_t i = 0; i < ids.size(); ++i) {
      const uint32_t v = uint32_t{bytes[4 * i]} | uint32_t{bytes[4 * i + 1]} << 8 | uint32_t{bytes[4 * i + 2]} << 16 |
                         uint32_t{bytes[4 * i + 3]} << 24;
      ids[i] = static_cast<int32_t>(v);
    }
    out = com::Variant(com::SafeArray::FromVector(com::VT_I4, std::move(ids)));
    return com::S_OK;
  });
}

HRESULT AlbumBase::put_CustomSort(const com::Variant& newVal) {
  return com::CallGuard([&]() -> HRESULT {
    if (newVal.vt() != (com::VT_ARRAY | com::VT_I4) || newVal.array().dimensions() != 1) return com::E_INVALIDARG;
    const auto& ids = newVal.array().elements<int32_t>();
    if (ids.size() != members_.size()) return com::S_OK;
    std::vector<uint8_t> bytes(4 * ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
      const auto v = static_cast<uint32_t>(ids[i]);
      for (int b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<uint8_t>(v >> (8 * b));
    }
    auto rows = OpenAlbumRecord();
    if (rows->IsEOF()) return com::E_FAIL;
    const com::Variant stored = rows->Fields("CustomSort").Value();
    if (stored.vt() == (com::VT_ARRAY | com::VT_UI1) && stored.array().elements<uint8_t>() == bytes) return com::S_OK;
    rows->Edit();
    rows->Fields("CustomSort").SetValue(com::Variant(com::SafeArray::FromVector(com::VT_UI1, std::move(bytes))));
    rows->Update();
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnAlbumCustomSortChanged(&newVal, albumId_); });
    return com::S_OK;
  });
}

// Listings.

HRESULT AlbumBase::GetAlbumItems3(const com::Bstr& bstrFilter, uint32_t dwSortField, uint32_t dwSortOrder,
                                  typelib::ItemListingArrays* pItems, com::Variant* pvarReadOnly) {
  return com::CallGuard([&]() -> HRESULT {
    auto& arrays = com::CheckOut(pItems);
    arrays = {};
    if (pvarReadOnly) *pvarReadOnly = com::Variant();
    const std::string sql = BuildListingQuery(bstrFilter, dwSortField, dwSortOrder);
    if (!db_) return com::S_OK;
    listing::ReadListing(*db_, sql, &arrays, pvarReadOnly);
    return com::S_OK;
  });
}

HRESULT AlbumBase::GetAlbumItems2(const com::Bstr& bstrFilter, uint32_t dwSortField, uint32_t dwSortOrder,
                                  typelib::ItemListingArrays* pItems) {
  return GetAlbumItems3(bstrFilter, dwSortField, dwSortOrder, pItems, nullptr);
}

HRESULT AlbumBase::GetAlbumItems(const com::Bstr& bstrFilter, uint32_t dwSortField, uint32_t dwSortOrder,
                                 com::Variant* pvarID, com::Variant* pvarName, com::Variant* pvarType,
                                 com::Variant* pvarDateCreated, com::Variant* pvarDateModified) {
  return com::CallGuard([&]() -> HRESULT {
    for (com::Variant* out : {pvarID, pvarName, pvarType, pvarDateCreated, pvarDateModified}) com::CheckOut(out) = {};
    const std::string sql = BuildItemIdQuery(bstrFilter, dwSortField, dwSortOrder);
    if (!db_) return com::S_OK;
    listing::ReadShortListing(*db_, sql, pvarID, pvarName, pvarType, pvarDateCreated, pvarDateModified);
    return com::S_OK;
  });
}

}  // namespace albumcore::albums
