// LumKeywordsItem: the keywords of one item (IKivKeywords). Adds and removes
// the item's assignments and lists them; names come from the library
// collection given to Connect. Library-wide operations answer
// S_KEYWORD_ALREADY (a success) or CO_E_NOT_SUPPORTED, as the interface's
// table fixes for each.
//
// Owns: references to the library's database and to the library keyword
// collection (Connect), and the item's keyword cache, the KeywordIDs of
// "EnumItemKeywords" in its row order, loaded on first use and dropped only
// by this object's own Add and Remove.
//
// Fires OnKeywordAdded(ItemID, KeywordID) and OnKeywordRemoved(ItemID,
// KeywordID) on its own point after the write succeeded.
//
// Failures: engine errors are returned as their status; E_POINTER for a
// null out-pointer or when no database is connected; E_FAIL for a negative
// keyword ID given to Add or Remove; KeywordName answers E_UNEXPECTED
// without a library collection. Main thread only.
#pragma once

#include <vector>

#include "events/event_source.h"
#include "store/dao/database.h"
#include "typelib/kiv_keywords.h"

namespace albumcore::tagging::keywords {

using com::HRESULT;

class LumKeywordsItem final : public com::ComObject, public typelib::IKivKeywords, public events::AlbumCoreEventsSource {
 public:
  HRESULT Connect(com::IUnknown* pConnection, int32_t lID, com::IUnknown* pKeywordsEvents) override;
  HRESULT Disconnect() override;
  HRESULT _NewEnum(com::ComPtr<com::IUnknown>* ppUnk) override;
  HRESULT ResetKeywordsCache() override;
  HRESULT Count(int32_t* plCount) override;
  HRESULT EnumKeywordIDs(int32_t lIndex, int32_t* plKeywordID) override;
  HRESULT KeywordName(int32_t lKeywordID, com::Bstr* pbstrName) override;
  HRESULT GetAllKeywords(com::Variant* pIDs, com::Variant* pNames) override;
  HRESULT IsInCollection(int32_t lKeywordID) override;
  HRESULT Add(int32_t lKeywordID) override;
  HRESULT Remove(int32_t lKeywordID) override;
  HRESULT Create(const com::Bstr& bstrName, int32_t* plKeywordID) override;
  HRESULT Destroy(int32_t lKeywordID) override;
  HRESULT DestroyMultiple(const com::Variant& KeywordsIDs) override;
  HRESULT Rename(int32_t lKeywordID, const com::Bstr& bstrNewName) override;
  HRESULT IsAssigned(int32_t lKeywordID) override;
  HRESULT FindKeyword(const com::Bstr& bstrName, int32_t* plKeywordID) override;
  HRESULT Bind(const com::Variant& ItemIDs, const com::Variant& KeywordsIDs) override;
  HRESULT UnBind(const com::Variant& ItemIDs, const com::Variant& KeywordsIDs) override;
  HRESULT GetBindingInfo(const com::Variant& ItemIDs, com::Variant* pBindedItemsIDs,
                         com::Variant* pBindedKeywordsIDs) override;
  HRESULT AreAssigned(const com::Variant& KeywordsIDs) override;
  HRESULT GetAllAssignedKeywords(const com::Bstr& bstrFilter, com::Variant* pIDs, com::Variant* pNames) override;

 private:
  store::dao::Database& Db() const;
  void LoadCache();
  bool Holds(int32_t keywordId);
  // Runs the action query `name` on (item_id, varKeywordID).
  void RunAssignmentQuery(const char* name, int32_t keywordId);

  com::ComPtr<store::dao::Database> db_;
  com::ComPtr<typelib::IKivKeywords> library_;
  int32_t itemId_ = 0;
  std::vector<int32_t> cache_;
  bool loaded_ = false;
};

}  // namespace albumcore::tagging::keywords
