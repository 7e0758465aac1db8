// The item collection's album side: making albums (an album is an item of
// type 9 with an Albums row), finding the special albums, instantiating
// album objects by class and keeping them.
#include <cstdio>
#include <optional>

#include "albums/album/device_albums.h"
#include "albums/album/lum_album.h"
#include "albums/album/virtual_albums.h"
#include "com/oadate.h"
#include "items/collection/lum_item_collection.h"
#include "items/item/item_types.h"
#include "items/monikers/album_monikers.h"
#include "sqltext/sql_literal.h"
#include "store/dao/stored_call.h"
#include "typelib/kiv_album.h"

namespace albumcore::items {

using com::HRESULT;
using typelib::IKivAlbumCoreEvents;

namespace {

constexpr std::string_view kMruSectionCover = "skin::AlbumImages\\AlbumCover.png";

bool IsVirtualAlbum(int32_t id) { return id <= typelib::kShoeboxAlbumId && id >= typelib::kAllAlbumsAlbumId; }

com::ComPtr<com::IUnknown> AsUnknown(const com::ComPtr<albums::AlbumBase>& album) {
  return com::ComPtr<com::IUnknown>(static_cast<typelib::IKivAlbum*>(album.get()));
}

}  // namespace

com::ComPtr<albums::AlbumBase> LumItemCollection::Album(int32_t albumID, int32_t albumType) {
  if (auto it = albums_.find(albumID); it != albums_.end()) return it->second.album;
  com::ComPtr<albums::AlbumBase> album;
  auto special = store::dao::OpenStored(db(), "GetSpecialAlbumType", {{"album_id", albumID}});
  const int32_t type = special->IsEOF() ? albums::SAT_UNKNOWN : special->GetValue(0).ToI4();
  special.reset();
  const albums::AlbumClass* albumClass = albums::SpecialAlbumClass(type);
  // A type no class serves (a damaged or newer catalogue): the album is
  // still an album, served, emptied and destroyed as a plain one.
  if (albumClass == nullptr && type != albums::SAT_UNKNOWN)
    std::fprintf(stderr, "item collection: album %d has the special type %d, which no class serves; it is served as "
                 "a plain album\n", albumID, type);
  if (albumClass != nullptr) {
    if (type == albums::SAT_CLIPBOARD)
      album = com::MakeObject<albums::LumClipboard>(*albumClass, services_.strings);
    else
      album = com::MakeObject<albums::LumSpecialAlbum>(*albumClass, services_.strings);
  } else if (!store::dao::OpenStored(db(), "IsMRUSection", {{"item_id", albumID}})->IsEOF()) {
    album = com::MakeObject<albums::LumSpecialAlbum>(albums::MruSectionClass(), services_.strings);
  } else {
    auto row = db().OpenRecordset("SELECT AlbumType FROM Albums WHERE AlbumID = " + std::to_string(albumID));
    if (row->IsEOF()) return {};
    if (albumType == -1) albumType = row->GetValue(0).isNull() ? 0 : row->GetValue(0).ToI4();
    if (albumType == albums::CAT_DEVICE)
      album = com::MakeObject<albums::LumDeviceAlbum>(services_.strings);
    else if (albumType >= albums::CAT_DEVICE_PHOTOS && albumType <= albums::CAT_DEVICE_SYNCH)
      album = com::MakeObject<albums::LumDeviceSubAlbum>(services_.strings);
    else
      album = com::MakeObject<albums::LumAlbum>(services_.strings, albumType);
  }
  com::ThrowIfFailed(album->Connect(db_.get(), albumID, static_cast<typelib::IKivItemCollection*>(this),
                                    libUserFields_.get()));
  albums_.emplace(albumID, CachedAlbum{album, RelayFrom(static_cast<typelib::IKivAlbum*>(album.get()))});
  return album;
}

com::ComPtr<albums::AlbumBase> LumItemCollection::VirtualAlbum(int32_t albumID) {
  if (auto it = albums_.find(albumID); it != albums_.end()) return it->second.album;
  com::ComPtr<albums::AlbumBase> album = albums::MakeVirtualAlbum(albumID, services_.strings);
  if (!album) throw com::ComError(com::E_INVALIDARG, "album " + std::to_string(albumID) + " is not a virtual album");
  com::ThrowIfFailed(album->Connect(db_.get(), albumID, static_cast<typelib::IKivItemCollection*>(this),
                                    libUserFields_.get()));
  albums_.emplace(albumID, CachedAlbum{album, RelayFrom(static_cast<typelib::IKivAlbum*>(album.get()))});
  return album;
}

HRESULT LumItemCollection::GetVirtualAlbum(int32_t albumID, com::ComPtr<com::IUnknown>* out) {
  return com::CallGuard([&]() -> HRESULT {
    auto& result = com::CheckOut(out);
    result.reset();
    if (!connected()) return com::E_FAIL;
    result = AsUnknown(VirtualAlbum(albumID));
    return com::S_OK;
  });
}

HRESULT LumItemCollection::InstantiateAlbumCustom(int32_t lAlbumID, int32_t lAlbumType,
                                                  com::ComPtr<com::IUnknown>* ppAlbum) {
  return com::CallGuard([&]() -> HRESULT {
    auto& out = com::CheckOut(ppAlbum);
    out.reset();
    if (!connected()) return com::E_FAIL;
    if (lAlbumID < 0 && !IsVirtualAlbum(lAlbumID)) return com::E_INVALIDARG;
    com::ComPtr<albums::AlbumBase> album = IsVirtualAlbum(lAlbumID) ? VirtualAlbum(lAlbumID) : Album(lAlbumID, lAlbumType);
    if (!album) return com::S_FALSE;
    out = AsUnknown(album);
    return com::S_OK;
  });
}

HRESULT LumItemCollection::InstantiateAlbum(int32_t lAlbumID, com::ComPtr<com::IUnknown>* ppAlbum) {
  return InstantiateAlbumCustom(lAlbumID, -1, ppAlbum);
}

int32_t LumItemCollection::NewAlbum(const com::Bstr& cover, const com::Bstr& name, int32_t parent,
                                    int32_t albumType, bool quiet) {
  const com::Bstr moniker(monikers::NewAlbumDataMoniker());
  const com::Variant now = com::Variant::Date(com::NowUtcOaDate());
  int32_t id = -1;
  if (parent == typelib::kNoAlbumId) {
    com::ThrowIfFailed(CreateItem(kAlbumItemType, moniker, cover, now, now, name, 0, 0, com::Bstr(""), &id));
  } else {
    com::ComPtr<albums::AlbumBase> album = Album(parent, -1);
    if (!album) throw com::ComError(com::E_INVALIDARG, "album " + std::to_string(parent) + " does not exist");
    com::ThrowIfFailed(album->Add(kAlbumItemType, moniker, cover, now, now, name, 0, 0, com::Bstr(""), &id));
  }
  // Writing the item turned notifications on again; a quiet album's row
  // is written with them off.
  std::optional<events::NotificationSwitch::OffWhile> off;
  if (quiet) off.emplace(notify_);
  com::ThrowIfFailed(CreateAlbumForItemCustom(id, albumType));
  return id;
}

HRESULT LumItemCollection::CreateAlbumCustom(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName,
                                             int32_t lParentAlbum, int32_t lAlbumType, int32_t* plAlbumID) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected()) return com::E_FAIL;
    int32_t& out = com::CheckOut(plAlbumID);
    if (IsVirtualAlbum(lParentAlbum)) com::ThrowIfFailed(GetSpecialAlbumID(albums::SAT_ROOT, &lParentAlbum));
    const int32_t id = NewAlbum(bstrCoverMoniker, bstrName, lParentAlbum, lAlbumType, /*quiet=*/false);
    out = id;
    FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnAlbumCreated(id); });
    return com::S_OK;
  });
}

HRESULT LumItemCollection::CreateAlbum(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName,
                                       int32_t lParentAlbum, int32_t* plAlbumID) {
  return CreateAlbumCustom(bstrCoverMoniker, bstrName, lParentAlbum, albums::CAT_NORMAL, plAlbumID);
}

HRESULT LumItemCollection::CreateAlbumUnique(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName,
                                             int32_t lParentAlbum, int32_t lAlbumType, const com::Bstr& bstrUniqueID,
                                             int32_t* plAlbumID) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected()) return com::E_FAIL;
    int32_t& out = com::CheckOut(plAlbumID);
    auto rows = db().OpenRecordset("SELECT ItemID FROM AlbumItems WHERE FileUniqueID = " +
                                   sqltext::QuoteSqlString(bstrUniqueID.str()));
    if (!rows->IsEOF()) {
      out = rows->GetValue(0).ToI4();
      return com::S_OK;
    }
    rows.reset();
    const HRESULT hr = CreateAlbumCustom(bstrCoverMoniker, bstrName, lParentAlbum, lAlbumType, &out);
    if (com::Failed(hr)) return hr;
    com::ComPtr<LumItem> item = Instantiate(out);
    if (item) com::ThrowIfFailed(item->put_FileUniqueID(bstrUniqueID));
    return hr;
  });
}

HRESULT LumItemCollection::CreateAlbumForItemCustom(int32_t lItemID, int32_t lAlbumType) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected()) return com::E_FAIL;
    if (!store::dao::OpenStored(db(), "IsAlbum", {{"item_id", lItemID}})->IsEOF()) return com::S_OK;
    db().Execute("INSERT INTO Albums ( AlbumID, AlbumType ) VALUES (" + std::to_string(lItemID) + ", " +
                 std::to_string(lAlbumType) + ")");
    if (notify_.on()) FireCoreEvent([&](IKivAlbumCoreEvents& s) { return s.OnAlbumCreated(lItemID); });
    return com::S_OK;
  });
}

HRESULT LumItemCollection::CreateAlbumForItem(int32_t lItemID) {
  return CreateAlbumForItemCustom(lItemID, albums::CAT_NORMAL);
}

HRESULT LumItemCollection::DeleteAlbumForItem(int32_t lItemID) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected()) return com::E_FAIL;
    com::ComPtr<LumItem> item = Instantiate(lItemID);
    if (!item || item->record().type == kAlbumItemType) return com::S_OK;
    db().Execute("DELETE * FROM Albums WHERE AlbumID = " + std::to_string(lItemID));
    return com::S_OK;
  });
}

HRESULT LumItemCollection::DestroyAlbum(int32_t lItemID) { return DestroyItem(lItemID); }

HRESULT LumItemCollection::FindAlbumFromMoniker(const com::Bstr& bstrAlbumMoniker, int32_t* plAlbumID) {
  return com::CallGuard([&] {
    int32_t& id = com::CheckOut(plAlbumID);
    db();
    id = FindByMoniker(bstrAlbumMoniker.str()).value_or(typelib::kNoAlbumId);
  });
}

HRESULT LumItemCollection::GetSpecialAlbumID(int32_t lType, int32_t* plAlbumID) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected()) return com::E_FAIL;
    int32_t& out = com::CheckOut(plAlbumID);
    const albums::AlbumClass* albumClass = albums::SpecialAlbumClass(lType);
    if (albumClass == nullptr) return com::E_INVALIDARG;
    if (auto rows = store::dao::OpenStored(db(), "GetSpecialAlbum", {{"album_type", lType}}); !rows->IsEOF()) {
      out = rows->GetValue(0).ToI4();
      return com::S_OK;
    }
    // A special album is made quietly: no OnAlbumCreated, and under no parent.
    const std::string name = services_.strings ? services_.strings->Resolve(albumClass->nameKey)
                                               : std::string(albumClass->nameKey);
    const int32_t id =
        NewAlbum(com::Bstr(albumClass->cover), com::Bstr(name), typelib::kNoAlbumId, albums::CAT_NORMAL, true);
    store::dao::ExecuteStored(db(), "AddSpecialAlbum", {{"album_type", lType}, {"album_id", id}});
    out = id;
    return com::S_OK;
  });
}

HRESULT LumItemCollection::GetMRUSection(const com::Bstr& bstrSectionName, int32_t* plAlbumID) {
  return com::CallGuard([&]() -> HRESULT {
    if (!connected()) return com::E_FAIL;
    int32_t& out = com::CheckOut(plAlbumID);
    int32_t mru = -1;
    com::ThrowIfFailed(GetSpecialAlbumID(albums::SAT_MRU, &mru));
    // A section is found by its name as the album reads it.
    auto sections = store::dao::OpenStored(db(), "EnumerateChildAlbums", {{"album_id", mru}});
    for (; !sections->IsEOF(); sections->MoveNext()) {
      const int32_t id = sections->GetValue(0).ToI4();
      com::Bstr name;
      if (com::ComPtr<albums::AlbumBase> section = Album(id, -1); section && section->get_Name(&name) == com::S_OK &&
                                                                  name.str() == bstrSectionName.str()) {
        out = id;
        return com::S_OK;
      }
    }
    sections.reset();
    return CreateAlbumCustom(com::Bstr(kMruSectionCover), bstrSectionName, mru, albums::CAT_NORMAL, &out);
  });
}

HRESULT LumItemCollection::get_Shoebox(com::ComPtr<com::IUnknown>* pVal) {
  return GetVirtualAlbum(typelib::kShoeboxAlbumId, pVal);
}
HRESULT LumItemCollection::get_SearchResults(com::ComPtr<com::IUnknown>* pVal) {
  return GetVirtualAlbum(typelib::kSearchResultsAlbumId, pVal);
}
HRESULT LumItemCollection::get_AllFiles(com::ComPtr<com::IUnknown>* pVal) {
  return GetVirtualAlbum(typelib::kAllFilesAlbumId, pVal);
}
HRESULT LumItemCollection::get_AllAlbums(com::ComPtr<com::IUnknown>* pVal) {
  return GetVirtualAlbum(typelib::kAllAlbumsAlbumId, pVal);
}

}  // namespace albumcore::items
