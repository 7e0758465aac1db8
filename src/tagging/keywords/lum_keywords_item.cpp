#include "tagging/keywords/lum_keywords_item.h"

#include <algorithm>

namespace albumcore::tagging::keywords {

using com::HRESULT;
using store::dao::dbOpenSnapshot;
using Sink = typelib::IKivAlbumCoreEvents;

store::dao::Database& LumKeywordsItem::Db() const {
  if (!db_) throw com::ComError(com::E_POINTER, "the item keyword collection is not connected");
  return *db_;
}

HRESULT LumKeywordsItem::Connect(com::IUnknown* pConnection, int32_t lID, com::IUnknown* pKeywordsEvents) {
  return com::CallGuard([&] {
    db_ = com::QueryInterface<store::dao::Database>(pConnection);
    itemId_ = lID;
    library_ = com::QueryInterface<typelib::IKivKeywords>(pKeywordsEvents);
    loaded_ = false;
  });
}

HRESULT LumKeywordsItem::Disconnect() {
  return com::CallGuard([&] {
    library_.reset();
    db_.reset();
    loaded_ = false;
  });
}

HRESULT LumKeywordsItem::_NewEnum(com::ComPtr<com::IUnknown>* ppUnk) {
  return com::CallGuard([&] {
    com::CheckOut(ppUnk);
    return com::E_NOTIMPL;
  });
}

void LumKeywordsItem::LoadCache() {
  if (loaded_) return;
  cache_.clear();
  auto query = Db().QueryDefs("EnumItemKeywords");
  query->Parameters("item_id").SetValue(com::Variant(itemId_));
  for (auto rs = query->OpenRecordset(dbOpenSnapshot); !rs->IsEOF(); rs->MoveNext()) {
    cache_.push_back(rs->GetValue(0).ToI4());
  }
  loaded_ = true;
}

bool LumKeywordsItem::Holds(int32_t keywordId) {
  LoadCache();
  return std::find(cache_.begin(), cache_.end(), keywordId) != cache_.end();
}

HRESULT LumKeywordsItem::Count(int32_t* plCount) {
  return com::CallGuard([&] {
    int32_t& count = com::CheckOut(plCount);
    LoadCache();
    count = static_cast<int32_t>(cache_.size());
  });
}

HRESULT LumKeywordsItem::EnumKeywordIDs(int32_t lIndex, int32_t* plKeywordID) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t& id = com::CheckOut(plKeywordID);
    LoadCache();
    if (lIndex < 0 || static_cast<size_t>(lIndex) >= cache_.size()) return com::E_INVALIDARG;
    id = cache_[static_cast<size_t>(lIndex)];
    return com::S_OK;
  });
}

HRESULT LumKeywordsItem::KeywordName(int32_t lKeywordID, com::Bstr* pbstrName) {
  return com::CallGuard([&]() -> HRESULT {
    com::CheckOut(pbstrName);
    if (!library_) return com::E_UNEXPECTED;
    return library_->KeywordName(lKeywordID, pbstrName);
  });
}

HRESULT LumKeywordsItem::IsInCollection(int32_t lKeywordID) {
  return com::CallGuard([&] { return Holds(lKeywordID) ? com::S_OK : com::S_FALSE; });
}

void LumKeywordsItem::RunAssignmentQuery(const char* name, int32_t keywordId) {
  auto query = Db().QueryDefs(name);
  query->Parameters("item_id").SetValue(com::Variant(itemId_));
  query->Parameters("varKeywordID").SetValue(com::Variant(keywordId));
  query->Execute();
  loaded_ = false;
}

HRESULT LumKeywordsItem::Add(int32_t lKeywordID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lKeywordID < 0) return com::E_FAIL;
    if (Holds(lKeywordID)) return com::S_FALSE;
    RunAssignmentQuery("AssignKeyword", lKeywordID);
    FireCoreEvent([&](Sink& s) { return s.OnKeywordAdded(itemId_, lKeywordID); });
    return com::S_OK;
  });
}

HRESULT LumKeywordsItem::Remove(int32_t lKeywordID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lKeywordID < 0) return com::E_FAIL;
    // Not checked against the cache: another object may have assigned it.
    RunAssignmentQuery("RemoveKeyword", lKeywordID);
    FireCoreEvent([&](Sink& s) { return s.OnKeywordRemoved(itemId_, lKeywordID); });
    return com::S_OK;
  });
}

// Library-wide operations: a success code, or "not offered", per slot.
HRESULT LumKeywordsItem::ResetKeywordsCache() { return com::S_KEYWORD_ALREADY; }
HRESULT LumKeywordsItem::GetAllKeywords(com::Variant*, com::Variant*) { return com::S_KEYWORD_ALREADY; }
HRESULT LumKeywordsItem::Create(const com::Bstr&, int32_t*) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumKeywordsItem::Destroy(int32_t) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumKeywordsItem::DestroyMultiple(const com::Variant&) { return com::S_KEYWORD_ALREADY; }
HRESULT LumKeywordsItem::Rename(int32_t, const com::Bstr&) { return com::S_KEYWORD_ALREADY; }
HRESULT LumKeywordsItem::IsAssigned(int32_t) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumKeywordsItem::FindKeyword(const com::Bstr&, int32_t*) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumKeywordsItem::Bind(const com::Variant&, const com::Variant&) { return com::S_KEYWORD_ALREADY; }
HRESULT LumKeywordsItem::UnBind(const com::Variant&, const com::Variant&) { return com::S_KEYWORD_ALREADY; }
HRESULT LumKeywordsItem::GetBindingInfo(const com::Variant&, com::Variant*, com::Variant*) {
  return com::S_KEYWORD_ALREADY;
}
HRESULT LumKeywordsItem::AreAssigned(const com::Variant&) { return com::S_KEYWORD_ALREADY; }
HRESULT LumKeywordsItem::GetAllAssignedKeywords(const com::Bstr&, com::Variant*, com::Variant*) {
  return com::S_KEYWORD_ALREADY;
}

}  // namespace albumcore::tagging::keywords
