// IKivItemCollection: the one door through which a library's items are
// created, found, instantiated and destroyed. It keeps the item objects it
// made by ID, picks each item's class by its type, refuses a second record
// for a file it already knows, and announces creation and destruction on
// IKivAlbumCoreEvents (IKivAlbumSpecificEvents tells albums of each
// destroyed item). Its album side (albums, special albums, MRU sections)
// lives beside the item side on the same interface.
//
// Statuses: E_POINTER for a null pointer argument; E_FAIL when not
// connected; E_INVALIDARG for a bad argument; S_FALSE where an existing
// record answers instead of a new one.
#pragma once

#include <cstdint>

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

class IKivItemCollection : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivItemCollection";

  // Items.
  virtual HRESULT Connect(com::IUnknown* pConnection, com::IUnknown* pLibUserFields, com::IUnknown* pLibKeywords,
                          com::IUnknown* pLib) = 0;
  virtual HRESULT Disconnect() = 0;
  // S_FALSE and no object for an ID without a record.
  virtual HRESULT InstantiateItem(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) = 0;
  // Dates: VT_DATE variants. S_OK for a new record, S_FALSE (and *pid) for
  // the item that already records the file.
  virtual HRESULT CreateItem(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                             const com::Variant& varDateCreated, const com::Variant& varDateModified,
                             const com::Bstr& bstrName, int32_t bigSize, int32_t size,
                             const com::Bstr& bstrSoundMoniker, int32_t* pid) = 0;
  virtual HRESULT CreateItemEx(int32_t ItemType, const com::Bstr& bstrMoniker, const com::Bstr& bstrThumbMoniker,
                               const com::Variant& varDateCreated, const com::Variant& varDateModified,
                               const com::Bstr& bstrName, int32_t bigSize, int32_t size,
                               const com::Bstr& bstrSoundMoniker, com::IUnknown* pUnk, int32_t* pid) = 0;
  virtual HRESULT DestroyItem(int32_t lItemID) = 0;
  // S_FALSE and -1 when no item has that moniker (compared exactly).
  virtual HRESULT FindItemByMoniker(const com::Bstr& bstrMoniker, int32_t* plItemID) = 0;
  virtual HRESULT GenerateThumbnail(int32_t lID) = 0;
  virtual HRESULT ItemHasParents(int32_t lItemID, int32_t* bConfirm) = 0;
  virtual HRESULT CreateItem2(int32_t ItemType, const com::Bstr& bstrMoniker, int32_t* pid) = 0;
  virtual HRESULT GetLibrary(com::ComPtr<com::IUnknown>* ppLibrary) = 0;
  virtual HRESULT GetThumbnailGenerator(com::ComPtr<com::IUnknown>* pGenerator) = 0;
  // Non-zero: on. Gates the events fired "with notifications on".
  virtual HRESULT SetNotify(int32_t bNotify) = 0;

  // Albums.
  virtual HRESULT CreateAlbum(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName, int32_t lParentAlbum,
                              int32_t* plAlbumID) = 0;
  virtual HRESULT CreateAlbumCustom(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName,
                                    int32_t lParentAlbum, int32_t lAlbumType, int32_t* plAlbumID) = 0;
  virtual HRESULT CreateAlbumUnique(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName,
                                    int32_t lParentAlbum, int32_t lAlbumType, const com::Bstr& bstrUniqueID,
                                    int32_t* plAlbumID) = 0;
  virtual HRESULT CreateAlbumForItem(int32_t lItemID) = 0;
  virtual HRESULT CreateAlbumForItemCustom(int32_t lItemID, int32_t lAlbumType) = 0;
  virtual HRESULT DeleteAlbumForItem(int32_t lItemID) = 0;
  virtual HRESULT DestroyAlbum(int32_t lItemID) = 0;
  virtual HRESULT InstantiateAlbum(int32_t lAlbumID, com::ComPtr<com::IUnknown>* ppAlbum) = 0;
  virtual HRESULT InstantiateAlbumCustom(int32_t lAlbumID, int32_t lAlbumType, com::ComPtr<com::IUnknown>* ppAlbum) = 0;
  virtual HRESULT FindAlbumFromMoniker(const com::Bstr& bstrAlbumMoniker, int32_t* plAlbumID) = 0;
  virtual HRESULT GetSpecialAlbumID(int32_t lType, int32_t* plAlbumID) = 0;
  virtual HRESULT GetMRUSection(const com::Bstr& bstrSectionName, int32_t* plAlbumID) = 0;
  virtual HRESULT get_Shoebox(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT get_SearchResults(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT get_AllFiles(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT get_AllAlbums(com::ComPtr<com::IUnknown>* pVal) = 0;
};

}  // namespace albumcore::typelib
