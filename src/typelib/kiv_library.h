// IKivLibrary: what a client holds for one open catalogue. It owns the
// catalogue's database session and the three shared objects every other
// object reaches the catalogue through (the item collection and the
// library-wide keyword and user-field collections), passes on their events
// on its own IKivAlbumCoreEvents point, and delegates most operations to
// the item collection. Clients get libraries from the factory only.
//
// Statuses: E_POINTER for a bad out-pointer; E_FAIL for an operation that
// needs the session while the library is not connected; the engine's status
// for a failing statement.
#pragma once

#include <cstdint>

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

// The parallel arrays of an item listing, one element per item.
struct ItemListingArrays {
  com::Variant id, name, type, moniker, dateCreated, dateModified, size, bigSize, thumbMoniker, rotation,
      soundMoniker, notes, rating;
};

class IKivLibrary : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivLibrary";

  virtual HRESULT get_Shoebox(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT get_SearchResults(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT get_AllAlbumsAlbum(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT Connect() = 0;
  virtual HRESULT Disconnect() = 0;
  virtual HRESULT get_LibMoniker(com::Bstr* pVal) = 0;
  virtual HRESULT put_LibMoniker(const com::Bstr& newVal) = 0;
  virtual HRESULT get_Uid(com::Bstr* pVal) = 0;
  virtual HRESULT put_Uid(const com::Bstr& newVal) = 0;
  virtual HRESULT get_Pwd(com::Bstr* pVal) = 0;
  virtual HRESULT put_Pwd(const com::Bstr& newVal) = 0;
  virtual HRESULT get_UserFields(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT get_Keywords(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT RepairDatabase(const com::Bstr& bstrName) = 0;
  virtual HRESULT CompactDatabase(const com::Bstr& bstrSource, const com::Bstr& bstrTarget) = 0;
  virtual HRESULT get_OpenDatabaseVersion(int32_t* pVal) = 0;
  virtual HRESULT CopyDataFromOldDatabase(const com::Bstr& bstrSource, const com::Bstr& bstrTarget,
                                          const com::Bstr& bstrDATSource, const com::Bstr& bstrDATTarget) = 0;
  virtual HRESULT GetSpecialAlbumID(int32_t lType, int32_t* plAlbumID) = 0;
  virtual HRESULT CreateObjectTypeDescriptor(int32_t TypeID, com::ComPtr<com::IUnknown>* ppDescriptor) = 0;
  virtual HRESULT CreateGenericTypeDescriptor(com::ComPtr<com::IUnknown>* ppDescriptor) = 0;
  virtual HRESULT GenerateThumbnail(int32_t lID) = 0;
  virtual HRESULT GetDateEnumerator(com::ComPtr<com::IUnknown>* ppEnumerator) = 0;
  virtual HRESULT UpdateItem(const com::Bstr& bstrMoniker) = 0;
  virtual HRESULT SetMRULength(int32_t lLength) = 0;
  virtual HRESULT AddToMRU(const com::Bstr& bstrAlbumName, const com::Bstr& bstrMoniker) = 0;
  virtual HRESULT GetMRUSection(const com::Bstr& bstrSectionName, int32_t* plAlbumID) = 0;
  virtual HRESULT GetMruSoundMonikerStrings(com::Variant* pSoundMonikerStrings) = 0;
  virtual HRESULT AddMruSoundMonikerString(const com::Bstr& SoundMonikerString) = 0;
  virtual HRESULT InitObject(const com::Bstr& bstrInitParam, const com::Bstr& bstrGUID) = 0;
  virtual HRESULT CopyToClipboard(const com::Variant& varClipboardItems) = 0;
  virtual HRESULT PasteFromClipboard(int32_t lParentAlbum) = 0;
  virtual HRESULT GetItem(int32_t lItemID, com::ComPtr<com::IUnknown>* ppItem) = 0;
  virtual HRESULT GetAlbum(int32_t lAlbumID, com::ComPtr<com::IUnknown>* ppAlbum) = 0;
  virtual HRESULT CreateAlbum(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName, int32_t lParentAlbum,
                              int32_t* plAlbumID) = 0;
  virtual HRESULT FindAlbumFromMoniker(const com::Bstr& bstrAlbumMoniker, int32_t* plAlbumID) = 0;
  virtual HRESULT CreateAlbumForItem(int32_t lItemID) = 0;
  virtual HRESULT DeleteAlbumForItem(int32_t lItemID) = 0;
  virtual HRESULT CreateAlbumFromSearchResults(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName,
                                               int32_t lParentAlbum, int32_t* plAlbumID) = 0;
  virtual HRESULT CreateAlbumCorePlugin(const com::Bstr& bstrRequestID, com::ComPtr<com::IUnknown>* ppPlugin) = 0;
  virtual HRESULT GetNodes(const com::Bstr& bstrRequestID, com::Variant* pvarID, com::Variant* pvarName,
                           com::Variant* pvarHasNodes) = 0;
  virtual HRESULT GetNodeName(const com::Bstr& bstrRequestID, com::Bstr* pbstrName) = 0;
  virtual HRESULT GetNodeNamePath(const com::Bstr& bstrRequestID, com::Bstr* pbstrName) = 0;
  virtual HRESULT GetNodeItems(const com::Bstr& bstrRequestID, const com::Bstr& bstrFilter, uint32_t dwSortField,
                               uint32_t dwSortOrder, ItemListingArrays* pItems) = 0;
  virtual HRESULT IsNodesItem(const com::Bstr& bstrRequestID, int32_t lItemID, int32_t* pbIsNodesItem) = 0;
  virtual HRESULT IsEmptyView(const com::Bstr& bstrSQL, int32_t* pbIsEmptyView) = 0;
  virtual HRESULT GetSQLItems(const com::Bstr& bstrSQL, const com::Bstr& bstrFilter, ItemListingArrays* pItems) = 0;
  virtual HRESULT GetSmartViewIcon(const com::Bstr& bstrRequestID, com::Bstr* pbstrIconPath) = 0;
  virtual HRESULT GetSmartViewThumbnail(const com::Bstr& bstrRequestID, com::Bstr* pbstrThumbnailPath) = 0;
  // S_OK while a client answers; E_FAIL when every subscribed client is gone.
  virtual HRESULT IsAlive() = 0;
  // The first column of every row of bstrSQL, as a VT_ARRAY|VT_VARIANT.
  virtual HRESULT EnumerateFieldValues(const com::Bstr& bstrSQL, com::Variant* pValues) = 0;
  virtual HRESULT get_Database(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT MergeDatabase(const com::Bstr& bstrMerge, const com::Bstr& bstrThumbnails) = 0;
  virtual HRESULT DoFilesOfTypeExist(int32_t lType, int32_t* pbExist) = 0;
  virtual HRESULT GetNodeItemsSQL(const com::Bstr& bstrRequestID, const com::Bstr& bstrFilter, uint32_t dwSortField,
                                  uint32_t dwSortOrder, int32_t bAllFields, com::Bstr* pbstrSQL) = 0;
  virtual HRESULT DeleteFilesStartedWith(const com::Bstr& bstrDirMoniker) = 0;
  virtual HRESULT RenameFilesStartedWith(const com::Bstr& bstrOldDirMoniker, const com::Bstr& bstrNewDirMoniker) = 0;
  virtual HRESULT GetParentID(const com::Bstr& bstrRequestID, com::Bstr* pbstrParentRequestID) = 0;
  virtual HRESULT GetSQLItemsCustom(const com::Bstr& bstrSQL, com::Variant* pvarItems) = 0;
  virtual HRESULT CreateAlbumCustom(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName,
                                    int32_t lParentAlbum, int32_t lAlbumType, int32_t* plAlbumID) = 0;
  virtual HRESULT CreateAlbumUnique(const com::Bstr& bstrCoverMoniker, const com::Bstr& bstrName,
                                    int32_t lParentAlbum, int32_t lAlbumType, const com::Bstr& bstrUniqueID,
                                    int32_t* plAlbumID) = 0;
  virtual HRESULT GetUniqueAlbum(const com::Bstr& bstrUniqueID, com::ComPtr<com::IUnknown>* ppAlbum) = 0;
  virtual HRESULT GetNodeItems2(const com::Bstr& bstrRequestID, const com::Bstr& bstrFilter, uint32_t dwSortField,
                                uint32_t dwSortOrder, ItemListingArrays* pItems, com::Variant* pvarReadOnly) = 0;
  virtual HRESULT GetSQLItems2(const com::Bstr& bstrSQL, const com::Bstr& bstrFilter, ItemListingArrays* pItems,
                               com::Variant* pvarReadOnly) = 0;
  // The number of items of the listed types (all but 8 to 16 when empty)
  // and the 64-bit total of their sizes, low half in *pSize.
  virtual HRESULT GetTotalInfo(const com::Bstr& bstrItemTypeList, int32_t* pCount, int32_t* pBigSize,
                               int32_t* pSize) = 0;
  virtual HRESULT GetReadOnly(const com::Bstr& bstrRequestID, com::Variant* pvarReadOnly) = 0;
  virtual HRESULT GetThumbnailGenerator(com::ComPtr<com::IUnknown>* pGenerator) = 0;
};

}  // namespace albumcore::typelib
