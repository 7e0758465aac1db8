#include "tagging/keywords/lum_keywords_library.h"

#include <cstdio>

#include "tagging/keywords/id_arrays.h"
#include "tagging/keywords/keyword_names.h"
#include "tagging/keywords/keyword_statements.h"

namespace albumcore::tagging::keywords {

using com::HRESULT;
using store::dao::dbOpenSnapshot;
using Sink = typelib::IKivAlbumCoreEvents;

namespace {

// DestroyMultiple's events stand for several keywords at once.
constexpr int32_t kSeveralKeywords = -1;

}  // namespace

store::dao::Database& LumKeywordsLibrary::Db() const {
  if (!db_) throw com::ComError(com::E_POINTER, "the keyword collection is not connected");
  return *db_;
}

HRESULT LumKeywordsLibrary::Connect(com::IUnknown* pConnection, int32_t, com::IUnknown*) {
  return com::CallGuard([&] {
    db_ = com::QueryInterface<store::dao::Database>(pConnection);
    DropCache();
  });
}

HRESULT LumKeywordsLibrary::Disconnect() {
  return com::CallGuard([&] {
    db_.reset();
    DropCache();
  });
}

HRESULT LumKeywordsLibrary::_NewEnum(com::ComPtr<com::IUnknown>* ppUnk) {
  return com::CallGuard([&] {
    com::CheckOut(ppUnk);
    return com::E_NOTIMPL;
  });
}

void LumKeywordsLibrary::LoadCache() {
  if (loaded_) return;
  cache_.clear();
  positionOf_.clear();
  auto rs = Db().QueryDefs("EnumKeywordsInLibrary")->OpenRecordset(dbOpenSnapshot);
  for (; !rs->IsEOF(); rs->MoveNext()) {
    const int32_t id = rs->GetValue(0).ToI4();
    positionOf_.try_emplace(id, cache_.size());  // the first row of an ID answers for it
    cache_.push_back({id, TextOf(rs->GetValue(1))});
  }
  loaded_ = true;
}

HRESULT LumKeywordsLibrary::ResetKeywordsCache() {
  return com::CallGuard([&] {
    DropCache();
    LoadCache();
  });
}

HRESULT LumKeywordsLibrary::Count(int32_t* plCount) {
  return com::CallGuard([&] {
    int32_t& count = com::CheckOut(plCount);
    LoadCache();
    count = static_cast<int32_t>(cache_.size());
  });
}

HRESULT LumKeywordsLibrary::EnumKeywordIDs(int32_t lIndex, int32_t* plKeywordID) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t& id = com::CheckOut(plKeywordID);
    LoadCache();
    if (lIndex < 0 || static_cast<size_t>(lIndex) >= cache_.size()) return com::E_INVALIDARG;
    id = cache_[static_cast<size_t>(lIndex)].id;
    return com::S_OK;
  });
}

HRESULT LumKeywordsLibrary::KeywordName(int32_t lKeywordID, com::Bstr* pbstrName) {
  return com::CallGuard([&]() -> HRESULT {
    com::Bstr& name = com::CheckOut(pbstrName);
    LoadCache();
    auto it = positionOf_.find(lKeywordID);
    if (it == positionOf_.end()) return com::E_INVALIDARG;
    name = cache_[it->second].name;
    return com::S_OK;
  });
}

HRESULT LumKeywordsLibrary::GetAllKeywords(com::Variant* pIDs, com::Variant* pNames) {
  return com::CallGuard([&] {
    com::Variant& ids = com::CheckOut(pIDs);
    com::Variant& names = com::CheckOut(pNames);
    DropCache();
    LoadCache();
    if (cache_.empty()) return;  // both left as they were
    std::vector<int32_t> idColumn(cache_.size());
    std::vector<com::Bstr> nameColumn(cache_.size());
    for (size_t i = 0; i < cache_.size(); ++i) {
      idColumn[i] = cache_[i].id;
      nameColumn[i] = cache_[i].name;
    }
    ids = IdColumn(std::move(idColumn));
    names = NameColumn(std::move(nameColumn));
  });
}

HRESULT LumKeywordsLibrary::IsInCollection(int32_t lKeywordID) {
  return com::CallGuard([&] {
    LoadCache();
    return positionOf_.count(lKeywordID) != 0 ? com::S_OK : com::S_FALSE;
  });
}

HRESULT LumKeywordsLibrary::Add(int32_t) { return com::CO_E_NOT_SUPPORTED; }
HRESULT LumKeywordsLibrary::Remove(int32_t) { return com::CO_E_NOT_SUPPORTED; }

HRESULT LumKeywordsLibrary::Create(const com::Bstr& bstrName, int32_t* plKeywordID) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t& id = com::CheckOut(plKeywordID);
    id = -1;
    const std::string_view name = CutKeywordName(bstrName.str());
    store::dao::Database& db = Db();
    const std::string named = KeywordsNamedSql(name);
    // Names are unique ignoring case: an existing one is the answer.
    for (auto rs = db.OpenRecordset(named, dbOpenSnapshot); !rs->IsEOF(); rs->MoveNext()) {
      if (SameKeywordName(TextOf(rs->GetValue(1)).str(), name)) {
        id = rs->GetValue(0).ToI4();
        return com::S_FALSE;
      }
    }
    db.Execute(InsertKeywordSql(name));
    DropCache();
    auto rs = db.OpenRecordset(named, dbOpenSnapshot);
    for (; !rs->IsEOF(); rs->MoveNext()) {
      if (TextOf(rs->GetValue(1)).str() == name) {
        id = rs->GetValue(0).ToI4();
        break;
      }
    }
    if (id == -1) {
      std::fprintf(stderr, "keywords: the keyword just created is not found by its name; Create answers E_FAIL\n");
      return com::E_FAIL;
    }
    const int32_t created = id;
    FireCoreEvent([&](Sink& s) { return s.OnKeywordCreated(created); });
    return com::S_OK;
  });
}

void LumKeywordsLibrary::DestroyOne(int32_t keywordId) {
  if (notify_.on()) FireCoreEvent([&](Sink& s) { return s.OnPreDestroyKeyword(keywordId); });
  store::dao::Database& db = Db();
  {
    // Both rows go or neither: a keyword never loses its assignments alone.
    store::dao::Transaction transaction(db);
    db.Execute(DeleteAssignmentsOfKeywordSql(keywordId));
    db.Execute(DeleteKeywordSql(keywordId));
    transaction.Commit();
  }
  DropCache();
  if (notify_.on()) FireCoreEvent([&](Sink& s) { return s.OnKeywordDestroyed(keywordId); });
}

HRESULT LumKeywordsLibrary::Destroy(int32_t lKeywordID) {
  return com::CallGuard([&] { DestroyOne(lKeywordID); });
}

HRESULT LumKeywordsLibrary::DestroyMultiple(const com::Variant& KeywordsIDs) {
  return com::CallGuard([&] {
    if (KeywordsIDs.isEmpty()) return;
    const std::vector<int32_t> ids = ReadIdArray(KeywordsIDs);
    store::dao::Database& db = Db();
    {
      events::NotificationSwitch::OffWhile quiet(notify_);
      FireCoreEvent([&](Sink& s) { return s.OnPreDestroyKeyword(kSeveralKeywords); });
      // One transaction for all: a failure part-way destroys none of them.
      store::dao::Transaction transaction(db);
      try {
        for (int32_t id : ids) DestroyOne(id);
      } catch (...) {
        DropCache();  // read again whatever the rollback left
        throw;
      }
      transaction.Commit();
    }
    FireCoreEvent([&](Sink& s) { return s.OnKeywordDestroyed(kSeveralKeywords); });
  });
}

HRESULT LumKeywordsLibrary::Rename(int32_t lKeywordID, const com::Bstr& bstrNewName) {
  return com::CallGuard([&]() -> HRESULT {
    const std::string_view name = CutKeywordName(bstrNewName.str());
    store::dao::Database& db = Db();
    for (auto rs = db.OpenRecordset(KeywordNamesNamedSql(name), dbOpenSnapshot); !rs->IsEOF(); rs->MoveNext()) {
      if (TextOf(rs->GetValue(0)).str() == name) return com::S_FALSE;  // that exact name exists
    }
    db.Execute(RenameKeywordSql(lKeywordID, name));
    DropCache();
    FireCoreEvent([&](Sink& s) { return s.OnKeywordRenamed(lKeywordID); });
    return com::S_OK;
  });
}

HRESULT LumKeywordsLibrary::IsAssigned(int32_t lKeywordID) {
  return com::CallGuard([&]() -> HRESULT {
    if (lKeywordID < 0) return com::E_INVALIDARG;
    auto query = Db().QueryDefs("IsKeywordAssigned");
    query->Parameters("varKeywordID").SetValue(com::Variant(lKeywordID));
    auto rs = query->OpenRecordset(dbOpenSnapshot);
    const bool assigned = !rs->IsEOF() && rs->GetValue(0).ToI4() > 0;
    return assigned ? com::S_OK : com::S_FALSE;
  });
}

HRESULT LumKeywordsLibrary::FindKeyword(const com::Bstr& bstrName, int32_t* plKeywordID) {
  return com::CallGuard([&]() -> HRESULT {
    int32_t& id = com::CheckOut(plKeywordID);
    id = -1;
    auto query = Db().QueryDefs("FindKeyword");
    query->Parameters("varKeywordName").SetValue(com::Variant(bstrName.str()));
    auto rs = query->OpenRecordset();
    if (rs->IsEOF()) return com::S_FALSE;
    id = rs->GetValue(0).ToI4();
    return com::S_OK;
  });
}

HRESULT LumKeywordsLibrary::Bind(const com::Variant& ItemIDs, const com::Variant& KeywordsIDs) {
  return com::CallGuard([&] {
    if (ItemIDs.isEmpty() || KeywordsIDs.isEmpty()) return;
    const std::vector<int32_t> items = ReadIdArray(ItemIDs);
    const std::vector<int32_t> keywords = ReadIdArray(KeywordsIDs);
    // One statement; pairs already assigned are skipped by the key of
    // AssignedKeywords (ON CONFLICT IGNORE), as Jet skips key violations.
    Db().Execute(BindSql(items, keywords));
    FireCoreEvent([&](Sink& s) { return s.OnKeywordsReBound(); });
  });
}

HRESULT LumKeywordsLibrary::UnBind(const com::Variant& ItemIDs, const com::Variant& KeywordsIDs) {
  return com::CallGuard([&] {
    if (ItemIDs.isEmpty()) return;
    const std::vector<int32_t> items = ReadIdArray(ItemIDs);
    // Any array names the keywords to take off; anything else takes them all.
    const std::string sql = KeywordsIDs.isArray() ? UnBindSql(items, ReadIdArray(KeywordsIDs)) : UnBindAllSql(items);
    Db().Execute(sql);
    FireCoreEvent([&](Sink& s) { return s.OnKeywordsReBound(); });
  });
}

HRESULT LumKeywordsLibrary::GetBindingInfo(const com::Variant& ItemIDs, com::Variant* pBindedItemsIDs,
                                           com::Variant* pBindedKeywordsIDs) {
  return com::CallGuard([&] {
    com::Variant& itemsOut = com::CheckOut(pBindedItemsIDs);
    com::Variant& keywordsOut = com::CheckOut(pBindedKeywordsIDs);
    if (ItemIDs.isEmpty()) return;
    const std::vector<int32_t> items = ReadIdArray(ItemIDs);
    auto rs = Db().OpenRecordset(BindingInfoSql(items), dbOpenSnapshot);
    const int itemField = rs->FindField("ItemID"), keywordField = rs->FindField("KeywordID");
    std::vector<int32_t> itemColumn, keywordColumn;
    for (; !rs->IsEOF(); rs->MoveNext()) {
      itemColumn.push_back(rs->GetValue(itemField).ToI4());
      keywordColumn.push_back(rs->GetValue(keywordField).ToI4());
    }
    if (itemColumn.empty()) return;  // both left as they were
    itemsOut = IdColumn(std::move(itemColumn));
    keywordsOut = IdColumn(std::move(keywordColumn));
  });
}

HRESULT LumKeywordsLibrary::AreAssigned(const com::Variant& KeywordsIDs) {
  return com::CallGuard([&] {
    const std::vector<int32_t> keywords = ReadIdArray(KeywordsIDs);
    auto rs = Db().OpenRecordset(AssignmentsOfKeywordsSql(keywords), dbOpenSnapshot);
    return rs->IsEOF() ? com::S_FALSE : com::S_OK;
  });
}

HRESULT LumKeywordsLibrary::GetAllAssignedKeywords(const com::Bstr& bstrFilter, com::Variant* pIDs,
                                                   com::Variant* pNames) {
  return com::CallGuard([&]() -> HRESULT {
    com::Variant& ids = com::CheckOut(pIDs);
    com::Variant& names = com::CheckOut(pNames);
    std::vector<int32_t> chosen;
    if (ids.vt() == (com::VT_ARRAY | com::VT_I4) && ids.array().size() != 0) chosen = ReadIdArray(ids);
    store::dao::Database& db = Db();
    const std::string sql = CoAssignedKeywordsSql(bstrFilter.str(), chosen);
    if (!chosen.empty()) ids = com::Variant();
    // Rows are read in one pass; the columns grow as they come.
    auto rs = db.OpenRecordset(sql, dbOpenSnapshot);
    const int idField = rs->FindField("KeywordID"), nameField = rs->FindField("KeywordName");
    std::vector<int32_t> idColumn;
    std::vector<com::Bstr> nameColumn;
    for (; !rs->IsEOF(); rs->MoveNext()) {
      idColumn.push_back(rs->GetValue(idField).ToI4());
      nameColumn.push_back(TextOf(rs->GetValue(nameField)));
    }
    if (idColumn.empty()) return com::E_FAIL;
    ids = IdColumn(std::move(idColumn));
    names = NameColumn(std::move(nameColumn));
    return com::S_OK;
  });
}

}  // namespace albumcore::tagging::keywords
