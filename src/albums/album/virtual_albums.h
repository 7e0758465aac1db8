// The virtual albums: albums without a record of their own, each under its
// reserved ID, made and kept by the item collection. Their members are
// whatever their listing selects, so no membership row is ever written for
// the shoebox, the all-files or the all-albums album; the search-results
// album keeps its members in the SearchResults table.
//
// The shoebox and the all-files album hear the collection's OnItemCreated,
// the all-albums album its OnAlbumCreated, and take the new ID into their
// membership when their listing selects it, so Count stays right
// without reading the file again; a destroyed item leaves them through
// ItemDestroyed like any album. They fire nothing for such an arrival: the
// collection has already announced it.
//
// Main loop only.
#pragma once

#include "albums/album/album_base.h"
#include "albums/listing/listing.h"

namespace albumcore::albums {

class LumVirtualAlbum : public AlbumBase {
 public:
  LumVirtualAlbum(int32_t albumId, const components::StringTable* strings, listing::ListingKind kind);
  ~LumVirtualAlbum() override;

  com::HRESULT Connect(com::IUnknown* pConnection, int32_t lAlbumID, com::IUnknown* pItemCollection,
                       com::IUnknown* pLibUserFields) override;
  com::HRESULT Disconnect() override;

 protected:
  std::string BuildItemIdQuery(const com::Bstr& filter, uint32_t sortField, uint32_t sortOrder) override;
  std::string BuildListingQuery(const com::Bstr& filter, uint32_t sortField, uint32_t sortOrder) override;
  // The row kept for the reserved ID.
  com::ComPtr<store::dao::Recordset> OpenAlbumRecord() override;
  // Whether the listing selects `itemID` now.
  bool Lists(int32_t itemID);
  // The IDs of a listing that is the whole catalogue need no row of their own.
  void InsertMembership(int32_t itemID) override { members().Insert(itemID); }
  void DeleteMembership(int32_t itemID) override { members().Erase(itemID); }
  // The collection events a class follows.
  virtual bool FollowsItemCreation() const { return false; }
  virtual bool FollowsAlbumCreation() const { return false; }

 private:
  class CreationSink;
  void OnCreated(int32_t id);
  void StopListening() noexcept;
  // The recently-used album's ID where the listing needs it, else -1.
  int32_t MruIdForListing();

  listing::ListingKind kind_;
  com::ComPtr<CreationSink> sink_;
  events::Subscription core_;
};

// Every item of the catalogue. Add only creates the item; Remove destroys it.
class LumShoebox final : public LumVirtualAlbum {
 public:
  explicit LumShoebox(const components::StringTable* strings);
  com::HRESULT Add(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                   const com::Variant& varDateCreated, const com::Variant& varDateModified, const com::Bstr& bstrName,
                   int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker, int32_t* pid) override;
  com::HRESULT AddEx(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                     const com::Variant& varDateCreated, const com::Variant& varDateModified,
                     const com::Bstr& bstrName, int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                     com::IUnknown* pUnk, int32_t* pid) override;
  com::HRESULT Remove(int32_t lItemID) override;

 protected:
  bool FollowsItemCreation() const override { return true; }
};

// The items a search left in the SearchResults table. The searches
// themselves are not served yet.
class LumSearchResults final : public LumVirtualAlbum {
 public:
  explicit LumSearchResults(const components::StringTable* strings);
  com::HRESULT Remove(int32_t lItemID) override;
  com::HRESULT CanRename(int32_t* pVal) override;

 protected:
  void InsertMembership(int32_t itemID) override;
  void DeleteMembership(int32_t itemID) override;
};

// Every item outside the album and project types 8 to 16. Remove destroys.
class LumAllFiles final : public LumVirtualAlbum {
 public:
  explicit LumAllFiles(const components::StringTable* strings);
  com::HRESULT Remove(int32_t lItemID) override;

 protected:
  bool FollowsItemCreation() const override { return true; }
};

// Every album a client made (not the special ones, not the recently-used
// sections). Remove destroys the album.
class LumAllAlbumsAlbum final : public LumVirtualAlbum {
 public:
  explicit LumAllAlbumsAlbum(const components::StringTable* strings);
  com::HRESULT Remove(int32_t lItemID) override;

 protected:
  bool FollowsAlbumCreation() const override { return true; }
};

// The object of a reserved virtual ID, not connected; null for other IDs.
com::ComPtr<AlbumBase> MakeVirtualAlbum(int32_t albumId, const components::StringTable* strings);

}  // namespace albumcore::albums
