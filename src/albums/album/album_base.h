// AlbumBase: the album object every album class shares (IKivAlbum). A
// class differs only by its row in the class table (album_class.h) and the
// hooks it overrides.
//
// State: the album ID, its custom type, the cached name, cover and custom
// icon, the session, the item collection (not connected without one), the
// library's user fields, the album's own user fields (made on first use),
// and the membership (membership.h): the member IDs, with the item objects
// asked for. It is read at Connect (the ID-only listing, unsorted) and kept
// current by every membership write, Destroy and ItemDestroyed; Count,
// IsInAlbum and Item never read the file.
//
// Events: OnItemAdded, OnItemRemoved, OnAlbumRemoved, OnAlbumNameChanged,
// OnAlbumCoverMonikerChanged, OnAlbumCustomSortChanged, each after its
// write; the item collection relays them. The album hears the collection's
// ItemDestroyed and drops that member, firing OnItemRemoved.
//
// Statuses as IKivAlbum says; engine failures come back as their status.
// Main loop only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "albums/album/album_class.h"
#include "albums/album/membership.h"
#include "components/string_table/string_table.h"
#include "events/event_source.h"
#include "events/subscription.h"
#include "store/dao/database.h"
#include "typelib/kiv_album.h"
#include "typelib/kiv_item.h"
#include "typelib/kiv_item_collection.h"
#include "typelib/kiv_user_fields.h"

namespace albumcore::albums {

class AlbumBase : public com::ComObject, public typelib::IKivAlbum, public events::AlbumCoreEventsSource {
 public:
  AlbumBase(const AlbumClass& albumClass, const components::StringTable* strings, int32_t customType = CAT_NORMAL);
  ~AlbumBase() override;

  com::HRESULT get_Count(int32_t* pVal) override;
  com::HRESULT get_Item(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) override;
  com::HRESULT Add(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                   const com::Variant& varDateCreated, const com::Variant& varDateModified, const com::Bstr& bstrName,
                   int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker, int32_t* pid) override;
  com::HRESULT AddEx(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                     const com::Variant& varDateCreated, const com::Variant& varDateModified,
                     const com::Bstr& bstrName, int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                     com::IUnknown* pUnk, int32_t* pid) override;
  com::HRESULT AddByItemID(int32_t lItemID) override;
  com::HRESULT Remove(int32_t lItemID) override;
  com::HRESULT Destroy(int32_t lItemID) override;
  com::HRESULT Connect(com::IUnknown* pConnection, int32_t lAlbumID, com::IUnknown* pItemCollection,
                       com::IUnknown* pLibUserFields) override;
  com::HRESULT Disconnect() override;
  com::HRESULT get_ID(int32_t* pVal) override;
  com::HRESULT get_CoverMoniker(com::Bstr* pVal) override;
  com::HRESULT put_CoverMoniker(const com::Bstr& newVal) override;
  com::HRESULT get_IconPath(com::Bstr* pVal) override;
  com::HRESULT get_Name(com::Bstr* pVal) override;
  com::HRESULT put_Name(const com::Bstr& newVal) override;
  com::HRESULT get_UserFields(com::ComPtr<com::IUnknown>* pVal) override;
  com::HRESULT CanRename(int32_t* pVal) override;
  com::HRESULT PopulateFromSearchResults() override;
  com::HRESULT FindItemByMoniker(const com::Bstr& bstrMoniker, int32_t* plItemID) override;
  com::HRESULT get_CustomSort(com::Variant* pVal) override;
  com::HRESULT put_CustomSort(const com::Variant& newVal) override;
  com::HRESULT StartEnumerateParentAlbums(com::ComPtr<com::IUnknown>* pEnumerator) override;
  com::HRESULT StartEnumerateChildAlbums(com::ComPtr<com::IUnknown>* pEnumerator) override;
  com::HRESULT StartEnumerateChildItems(com::ComPtr<com::IUnknown>* pEnumerator) override;
  com::HRESULT get_AlbumMoniker(com::Bstr* pVal) override;
  com::HRESULT put_AlbumMoniker(const com::Bstr& newVal) override;
  com::HRESULT IsSpecialAlbum(int32_t* plType, int32_t* pbConfirm) override;
  com::HRESULT CanAddItem(int32_t lType, int32_t* pbConfirm) override;
  com::HRESULT GetAlbumItemType(int32_t lAlbumID, int32_t* plType) override;
  com::HRESULT IsEligibleToAddItemToAlbum(int32_t lItemID) override;
  com::HRESULT IsEligibleToPopulateFromSearchResults() override;
  com::HRESULT EmptyAlbumRecursively(int32_t bDestroyItems) override;
  com::HRESULT IsInAlbum(int32_t lItemID) override;
  com::HRESULT GenerateUniqueAlbumName(int32_t bAcceptAsIs, com::Bstr* pbstrName) override;
  com::HRESULT GetAlbumItems(const com::Bstr& bstrFilter, uint32_t dwSortField, uint32_t dwSortOrder,
                             com::Variant* pvarID, com::Variant* pvarName, com::Variant* pvarType,
                             com::Variant* pvarDateCreated, com::Variant* pvarDateModified) override;
  com::HRESULT IsInAlbumTree(int32_t lItemID) override;
  com::HRESULT ClearRecordset() override;
  com::HRESULT FindItemByName(const com::Bstr& Name, int32_t* plItemID) override;
  com::HRESULT AddByItemIDFast(int32_t lItemID) override;
  com::HRESULT Add2(int32_t ItemType, const com::Bstr& bstrMoniker, int32_t* pid) override;
  com::HRESULT GetAlbumItems2(const com::Bstr& bstrFilter, uint32_t dwSortField, uint32_t dwSortOrder,
                              typelib::ItemListingArrays* pItems) override;
  com::HRESULT get_Type(int32_t* pVal) override;
  com::HRESULT get_AlbumIcon(com::Bstr* pVal) override;
  com::HRESULT put_AlbumIcon(const com::Bstr& newVal) override;
  com::HRESULT GetAlbumItems3(const com::Bstr& bstrFilter, uint32_t dwSortField, uint32_t dwSortOrder,
                              typelib::ItemListingArrays* pItems, com::Variant* pvarReadOnly) override;

  int32_t id() const noexcept { return albumId_; }
  const AlbumClass& albumClass() const noexcept { return *class_; }
  // The collection tells its albums of each destroyed item.
  void OnItemDestroyed(int32_t itemID);

 protected:
  // Hooks, in the order the class table of the design lists them.
  virtual void InsertMembership(int32_t itemID);
  virtual void DeleteMembership(int32_t itemID);
  virtual std::string BuildItemIdQuery(const com::Bstr& filter, uint32_t sortField, uint32_t sortOrder);
  virtual std::string BuildListingQuery(const com::Bstr& filter, uint32_t sortField, uint32_t sortOrder);
  virtual void LoadAlbumProperties();
  // The album's Albums row, through which CustomSort is read and written.
  virtual com::ComPtr<store::dao::Recordset> OpenAlbumRecord();
  virtual void LoadMembership();

  store::dao::Database& db() const;
  typelib::IKivItemCollection& items() const;
  bool connected() const noexcept { return static_cast<bool>(items_); }
  // The membership, for classes whose membership lives elsewhere.
  Membership& members() noexcept { return members_; }
  void SetIcon(com::Bstr icon) { icon_ = std::move(icon); }
  // For a class whose row depends on its album type, known once the
  // album's row was read.
  void Reclassify(const AlbumClass& albumClass, int32_t customType);
  // The recently-used album, whose membership never makes an item a member
  // elsewhere; -1 while it does not exist.
  int32_t MruAlbumId();
  // Column 0 of the rows of a stored query with one ID parameter, such as
  // the child and parent lists.
  std::vector<int32_t> Ids(std::string_view query, std::string_view parameter, int32_t id);
  // The steps of EmptyAlbumRecursively: one child album emptied (a failure
  // is logged, the emptying goes on), then the child items removed or
  // destroyed.
  void EmptyChildAlbum(int32_t childID, int32_t bDestroyItems);
  void EmptyChildItems(int32_t bDestroyItems);

 private:
  class SpecificSink;
  template <class Create>
  com::HRESULT AddWith(Create&& create, int32_t* pid);
  com::HRESULT Enumerate(std::string_view query, std::string_view parameter, com::ComPtr<com::IUnknown>* out);
  com::ComPtr<typelib::IKivItem> InstantiateItem(int32_t itemID);
  bool HasOtherParents(int32_t itemID);
  // Every album below `albumID`, depth first.
  void CollectAlbumsBelow(int32_t albumID, std::vector<int32_t>& found);
  com::HRESULT RequireWritable(AlbumProperty property) const;
  // The IDs of the ID-only listing, unsorted: the membership orders them.
  std::vector<int32_t> ReadMemberIds();

  const AlbumClass* class_;
  const components::StringTable* strings_;
  int32_t albumId_ = -1;
  int32_t customType_;
  com::Bstr name_;
  com::Bstr cover_;
  com::Bstr icon_;
  com::ComPtr<store::dao::Database> db_;
  com::ComPtr<typelib::IKivItemCollection> items_;
  com::ComPtr<com::IUnknown> libUserFields_;
  com::ComPtr<typelib::IKivUserFields> userFields_;
  com::ComPtr<SpecificSink> sink_;
  events::Subscription specific_;
  Membership members_;
};

}  // namespace albumcore::albums
