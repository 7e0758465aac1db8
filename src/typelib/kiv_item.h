// IKivItem: one catalogue item (a media file, a project, a playlist or an
// album): its record, its keywords and user fields, its thumbnail. Reads
// answer from the object's copy of the row; every put writes the row first,
// then changes the copy, then announces the change (unless a batch update is
// open). IKivPhotoItem adds the photo columns of the PhotoItem table.
//
// Statuses common to every slot: E_POINTER for a null out-pointer; E_FAIL
// for a put on an object that is not connected; the engine's status when a
// write fails (the copy then stays as it was and nothing is announced).
#pragma once

#include <cstdint>

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

class IKivItem : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivItem";

  // pConnection: the library's database; pLibUserFields, pLibKeywords: the
  // library-wide collections; pThumbnailCache: the library's thumbnail
  // generator. S_OK at once when already connected.
  virtual HRESULT Connect(com::IUnknown* pConnection, int32_t lItemID, com::IUnknown* pLibUserFields,
                          com::IUnknown* pLibKeywords, com::IUnknown* pThumbnailCache) = 0;
  virtual HRESULT Disconnect() = 0;
  virtual HRESULT get_ID(int32_t* pVal) = 0;
  virtual HRESULT get_Type(int32_t* pVal) = 0;
  virtual HRESULT put_Type(int32_t newVal) = 0;
  virtual HRESULT get_Moniker(com::Bstr* pVal) = 0;
  virtual HRESULT put_Moniker(const com::Bstr& newVal) = 0;
  virtual HRESULT get_ThumbnailMoniker(com::Bstr* pVal) = 0;
  virtual HRESULT put_ThumbnailMoniker(const com::Bstr& newVal) = 0;
  virtual HRESULT get_DateCreated(com::Variant* pVal) = 0;
  virtual HRESULT put_DateCreated(const com::Variant& newVal) = 0;
  virtual HRESULT get_DateModified(com::Variant* pVal) = 0;
  virtual HRESULT put_DateModified(const com::Variant& newVal) = 0;
  virtual HRESULT get_Name(com::Bstr* pVal) = 0;
  virtual HRESULT put_Name(const com::Bstr& newVal) = 0;
  virtual HRESULT get_Note(com::Bstr* pVal) = 0;
  virtual HRESULT put_Note(const com::Bstr& newVal) = 0;
  virtual HRESULT get_SoundMoniker(com::Bstr* pVal) = 0;
  virtual HRESULT put_SoundMoniker(const com::Bstr& newVal) = 0;
  virtual HRESULT get_ReadOnly(int32_t* pVal) = 0;
  virtual HRESULT put_ReadOnly(int32_t newVal) = 0;
  virtual HRESULT get_Protected(int32_t* pVal) = 0;
  virtual HRESULT put_Protected(int32_t newVal) = 0;
  virtual HRESULT get_Hidden(int32_t* pVal) = 0;
  virtual HRESULT put_Hidden(int32_t newVal) = 0;
  virtual HRESULT get_Playable(int32_t* pVal) = 0;
  virtual HRESULT put_Playable(int32_t newVal) = 0;
  virtual HRESULT get_DataXML(com::Variant* pVal) = 0;
  virtual HRESULT put_DataXML(const com::Variant& newVal) = 0;
  // The item's own collections, made on first call (IKivUserFields,
  // IKivKeywords).
  virtual HRESULT get_UserFields(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT get_Keywords(com::ComPtr<com::IUnknown>* pVal) = 0;
  virtual HRESULT BeginBatchUpdate() = 0;
  // Ends the batch (not counted) and announces OnItemChanged once.
  virtual HRESULT EndBatchUpdate() = 0;
  // *plConfirm: nonzero for an album, or an item with an album of its own.
  virtual HRESULT IsAlbum(int32_t* plConfirm) = 0;
  // Reads the file's properties into the record (class-specific).
  virtual HRESULT FillFromMoniker(int32_t bInternalCall) = 0;
  virtual HRESULT FillFromMonikerEx(int32_t bInternalCall, com::IUnknown* pUnk) = 0;
  virtual HRESULT Compare(com::IUnknown* pItem, int32_t Type, int32_t filed, int32_t* pbIsLess) = 0;
  // Changes the copy only, and tells clients to reload the thumbnail.
  virtual HRESULT UpdateThumbnailMoniker(const com::Bstr& Moniker) = 0;
  virtual HRESULT GetPropertyString(com::Bstr* pbstrProperties) = 0;
  virtual HRESULT GetAttributesString(com::Bstr* pbstrAttributes) = 0;
  virtual HRESULT RefreshThumbnailMoniker(const com::Bstr& Moniker) = 0;
  virtual HRESULT GetFileSize(int32_t* pBigSize, int32_t* pSize) = 0;
  virtual HRESULT PutFileSize(int32_t lBigSize, int32_t lSize) = 0;
  virtual HRESULT get_FileUniqueID(com::Bstr* pVal) = 0;
  virtual HRESULT put_FileUniqueID(const com::Bstr& newVal) = 0;
  virtual HRESULT get_IsArchived(int32_t* pVal) = 0;
  virtual HRESULT put_IsArchived(int32_t newVal) = 0;
  virtual HRESULT get_Rating(int32_t* pVal) = 0;
  virtual HRESULT put_Rating(int32_t newVal) = 0;
};

class IKivPhotoItem : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivPhotoItem";

  virtual HRESULT get_PhotoWidth(int32_t* pVal) = 0;
  virtual HRESULT put_PhotoWidth(int32_t newVal) = 0;
  virtual HRESULT get_PhotoHeight(int32_t* pVal) = 0;
  virtual HRESULT put_PhotoHeight(int32_t newVal) = 0;
  virtual HRESULT get_PhotoBitDepth(int32_t* pVal) = 0;
  virtual HRESULT put_PhotoBitDepth(int32_t newVal) = 0;
  virtual HRESULT get_PhotoColorSpace(int32_t* pVal) = 0;
  virtual HRESULT put_PhotoColorSpace(int32_t newVal) = 0;
  virtual HRESULT get_PhotoDPI(int32_t* pVal) = 0;
  virtual HRESULT put_PhotoDPI(int32_t newVal) = 0;
  virtual HRESULT get_PhotoRotation(int32_t* pVal) = 0;
  // Announces OnItemRotated with the new value minus the old.
  virtual HRESULT put_PhotoRotation(int32_t newVal) = 0;
  // pThumb: an image that can give its file-information record.
  virtual HRESULT FillFromThumbnail(com::IUnknown* pThumb) = 0;
  virtual HRESULT get_PhotoAuthor(com::Bstr* pVal) = 0;
  virtual HRESULT put_PhotoAuthor(const com::Bstr& newVal) = 0;
  virtual HRESULT get_PhotoGenre(com::Bstr* pVal) = 0;
  virtual HRESULT put_PhotoGenre(const com::Bstr& newVal) = 0;
  virtual HRESULT get_PhotoPlace(com::Bstr* pVal) = 0;
  virtual HRESULT put_PhotoPlace(const com::Bstr& newVal) = 0;
  virtual HRESULT get_PhotoEvent(com::Bstr* pVal) = 0;
  virtual HRESULT put_PhotoEvent(const com::Bstr& newVal) = 0;
};

}  // namespace albumcore::typelib
