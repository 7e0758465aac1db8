// LumKeywordsLibrary: the keywords of one library (IKivKeywords). Creates,
// finds, renames and destroys keywords, binds keywords to many items at once
// and answers questions over all assignments. The per-item operations (Add,
// Remove) answer CO_E_NOT_SUPPORTED.
//
// Owns: a reference to the library's database (Connect) and the keyword
// cache, the (KeywordID, KeywordName) pairs of "EnumKeywordsInLibrary" in
// its row order, loaded on first use; Create, Rename, Destroy,
// ResetKeywordsCache and GetAllKeywords drop it, Bind and UnBind leave it.
//
// Fires IKivAlbumCoreEvents on its own point after each write succeeded:
// OnKeywordCreated, OnKeywordRenamed, OnPreDestroyKeyword and
// OnKeywordDestroyed (-1 for several, once, from DestroyMultiple),
// OnKeywordsReBound (once per Bind or UnBind).
//
// Failures: engine errors are returned as their status; E_POINTER for a
// null out-pointer or when no database is connected; E_INVALIDARG for an
// ID argument that is no ID array (nothing changes then). Main thread only.
#pragma once

#include <unordered_map>
#include <utility>
#include <vector>

#include "events/event_source.h"
#include "events/notification_switch.h"
#include "store/dao/database.h"
#include "typelib/kiv_keywords.h"

namespace albumcore::tagging::keywords {

using com::HRESULT;

class LumKeywordsLibrary final : public com::ComObject,
                                 public typelib::IKivKeywords,
                                 public events::AlbumCoreEventsSource {
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
  struct Keyword {
    int32_t id;
    com::Bstr name;
  };

  store::dao::Database& Db() const;
  void LoadCache();
  void DropCache() noexcept { loaded_ = false; }
  // Deletes the keyword and its assignments (one transaction), firing the
  // pair of events while notify_ is set.
  void DestroyOne(int32_t keywordId);

  com::ComPtr<store::dao::Database> db_;
  std::vector<Keyword> cache_;
  std::unordered_map<int32_t, size_t> positionOf_;  // KeywordID -> index in cache_
  bool loaded_ = false;
  events::NotificationSwitch notify_;  // off while DestroyMultiple destroys one by one
};

}  // namespace albumcore::tagging::keywords
