// IKivAlbum: a named collection of catalogue items (albums are items of
// type 9 too, so albums nest). The object keeps its member IDs, writes
// membership rows, fires its changes on IKivAlbumCoreEvents and lists its
// items as parallel arrays. IKivItemEnumerator walks the IDs an album's
// enumerations return.
//
// Statuses: S_OK; S_FALSE for a no that is not an error (not eligible,
// already there, nothing found); E_FAIL when not connected; E_POINTER for a
// bad pointer; E_INVALIDARG for a bad argument; CO_E_NOT_SUPPORTED where a
// class refuses an operation.
#pragma once

#include <cstdint>

#include "com/unknown.h"
#include "com/variant.h"
#include "typelib/kiv_library.h"

namespace albumcore::typelib {

using com::HRESULT;

// Album IDs with a meaning of their own: the four virtual albums, and "no
// album".
inline constexpr int32_t kShoeboxAlbumId = -1;
inline constexpr int32_t kSearchResultsAlbumId = -2;
inline constexpr int32_t kAllFilesAlbumId = -3;
inline constexpr int32_t kAllAlbumsAlbumId = -4;
inline constexpr int32_t kNoAlbumId = -5;

class IKivItemEnumerator : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivItemEnumerator";
  // S_FALSE once every ID was handed out.
  virtual HRESULT NextItem(int32_t* plItemID) = 0;
};

class IKivAlbum : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivAlbum";

  virtual HRESULT get_Count(int32_t* pVal) = 0;
  virtual HRESULT get_Item(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) = 0;
  virtual HRESULT Add(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                      const com::Variant& varDateCreated, const com::Variant& varDateModified,
                      const com::Bstr& bstrName, int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                      int32_t* pid) = 0;
  virtual HRESULT AddEx(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                        const com::Variant& varDateCreated, const com::Variant& varDateModified,
                        const com::Bstr& bstrName, int32_t bigSize, int32_t size, const com::Bstr& bstrSoundMoniker,
                        com::IUnknown* pUnk, int32_t* pid) = 0;
  virtual HRESULT AddByItemID(int32_t lItemID) = 0;
  virtual HRESULT Remove(int32_t lItemID) = 0;
  virtual HRESULT Destroy(int32_t lItemID) = 0;
  virtual HRESULT Connect(com::IUnknown* pConnection, int32_t lAlbumID, com::IUnknown* pItemCollection,
                          com::IUnknown* pLibUserFields) = 0;
  virtual HRESULT Disconnect() = 0;
  virtual HRESULT get_ID(int32_t* pVal) = 0;
  virtual HRESULT get_CoverMoniker(com::Bstr* pVal) = 0;
  virtual HRESULT put_CoverMoniker(const com::Bstr& newVal) = 0;
  virtual HRESULT get_IconPath(com::Bstr* pVal) = 0;
  virtual HRESULT get_Name(com::Bstr* pVal) = 0;
  virtual HRESULT put_Name(const com::Bstr& newVal) = 0;
  virtual HRESULT get_UserFields(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT CanRename(int32_t* pVal) = 0;
  virtual HRESULT PopulateFromSearchResults() = 0;
  virtual HRESULT FindItemByMoniker(const com::Bstr& bstrMoniker, int32_t* plItemID) = 0;
  virtual HRESULT get_CustomSort(com::Variant* pVal) = 0;
  virtual HRESULT put_CustomSort(const com::Variant& newVal) = 0;
  virtual HRESULT StartEnumerateParentAlbums(com::ComPtr<com::IUnknown>* pEnumerator) = 0;
  virtual HRESULT StartEnumerateChildAlbums(com::ComPtr<com::IUnknown>* pEnumerator) = 0;
  virtual HRESULT StartEnumerateChildItems(com::ComPtr<com::IUnknown>* pEnumerator) = 0;
  virtual HRESULT get_AlbumMoniker(com::Bstr* pVal) = 0;
  virtual HRESULT put_AlbumMoniker(const com::Bstr& newVal) = 0;
  virtual HRESULT IsSpecialAlbum(int32_t* plType, int32_t* pbConfirm) = 0;
  virtual HRESULT CanAddItem(int32_t lType, int32_t* pbConfirm) = 0;
  virtual HRESULT GetAlbumItemType(int32_t lAlbumID, int32_t* plType) = 0;
  virtual HRESULT IsEligibleToAddItemToAlbum(int32_t lItemID) = 0;
  virtual HRESULT IsEligibleToPopulateFromSearchResults() = 0;
  virtual HRESULT EmptyAlbumRecursively(int32_t bDestroyItems) = 0;
  virtual HRESULT IsInAlbum(int32_t lItemID) = 0;
  virtual HRESULT GenerateUniqueAlbumName(int32_t bAcceptAsIs, com::Bstr* pbstrName) = 0;
  virtual HRESULT GetAlbumItems(const com::Bstr& bstrFilter, uint32_t dwSortField, uint32_t dwSortOrder,
                                com::Variant* pvarID, com::Variant* pvarName, com::Variant* pvarType,
                                com::Variant* pvarDateCreated, com::Variant* pvarDateModified) = 0;
  virtual HRESULT IsInAlbumTree(int32_t lItemID) = 0;
  virtual HRESULT ClearRecordset() = 0;
  virtual HRESULT FindItemByName(const com::Bstr& Name, int32_t* plItemID) = 0;
  virtual HRESULT AddByItemIDFast(int32_t lItemID) = 0;
  virtual HRESULT Add2(int32_t ItemType, const com::Bstr& bstrMoniker, int32_t* pid) = 0;
  virtual HRESULT GetAlbumItems2(const com::Bstr& bstrFilter, uint32_t dwSortField, uint32_t dwSortOrder,
                                 ItemListingArrays* pItems) = 0;
  virtual HRESULT get_Type(int32_t* pVal) = 0;
  virtual HRESULT get_AlbumIcon(com::Bstr* pVal) = 0;
  virtual HRESULT put_AlbumIcon(const com::Bstr& newVal) = 0;
  virtual HRESULT GetAlbumItems3(const com::Bstr& bstrFilter, uint32_t dwSortField, uint32_t dwSortOrder,
                                 ItemListingArrays* pItems, com::Variant* pvarReadOnly) = 0;
};

}  // namespace albumcore::typelib
