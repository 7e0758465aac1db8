// IKivKeywords: the keywords of a library, or of one item. The library-wide
// class answers what concerns every keyword; the per-item one answers for
// its item and returns S_KEYWORD_ALREADY or CO_E_NOT_SUPPORTED for the rest.
//
// ID arrays come in as variants holding a one-dimensional VT_I4 array;
// results go out as VT_ARRAY|VT_I4 and VT_ARRAY|VT_BSTR variants, one
// element per row.
#pragma once

#include <cstdint>

#include "com/unknown.h"
#include "com/variant.h"

namespace albumcore::typelib {

using com::HRESULT;

class IKivKeywords : public virtual com::IUnknown {
 public:
  static constexpr std::string_view kInterfaceName = "IKivKeywords";

  // pConnection: the library's open database; lID: the item (per-item
  // class); pKeywordsEvents: the library-wide collection (per-item class).
  virtual HRESULT Connect(com::IUnknown* pConnection, int32_t lID, com::IUnknown* pKeywordsEvents) = 0;
  virtual HRESULT Disconnect() = 0;
  virtual HRESULT _NewEnum(com::ComPtr<com::IUnknown>* ppUnk) = 0;
  virtual HRESULT ResetKeywordsCache() = 0;
  virtual HRESULT Count(int32_t* plCount) = 0;
  virtual HRESULT EnumKeywordIDs(int32_t lIndex, int32_t* plKeywordID) = 0;
  virtual HRESULT KeywordName(int32_t lKeywordID, com::Bstr* pbstrName) = 0;
  virtual HRESULT GetAllKeywords(com::Variant* pIDs, com::Variant* pNames) = 0;
  virtual HRESULT IsInCollection(int32_t lKeywordID) = 0;
  virtual HRESULT Add(int32_t lKeywordID) = 0;
  virtual HRESULT Remove(int32_t lKeywordID) = 0;
  virtual HRESULT Create(const com::Bstr& bstrName, int32_t* plKeywordID) = 0;
  virtual HRESULT Destroy(int32_t lKeywordID) = 0;
  virtual HRESULT DestroyMultiple(const com::Variant& KeywordsIDs) = 0;
  virtual HRESULT Rename(int32_t lKeywordID, const com::Bstr& bstrNewName) = 0;
  virtual HRESULT IsAssigned(int32_t lKeywordID) = 0;
  virtual HRESULT FindKeyword(const com::Bstr& bstrName, int32_t* plKeywordID) = 0;
  virtual HRESULT Bind(const com::Variant& ItemIDs, const com::Variant& KeywordsIDs) = 0;
  virtual HRESULT UnBind(const com::Variant& ItemIDs, const com::Variant& KeywordsIDs) = 0;
  virtual HRESULT GetBindingInfo(const com::Variant& ItemIDs, com::Variant* pBindedItemsIDs,
                                 com::Variant* pBindedKeywordsIDs) = 0;
  virtual HRESULT AreAssigned(const com::Variant& KeywordsIDs) = 0;
  // *pIDs on entry: the chosen keywords (VT_ARRAY|VT_I4), or anything else
  // for none.
  virtual HRESULT GetAllAssignedKeywords(const com::Bstr& bstrFilter, com::Variant* pIDs, com::Variant* pNames) = 0;
};

}  // namespace albumcore::typelib
