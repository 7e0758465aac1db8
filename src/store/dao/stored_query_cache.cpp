#include "store/dao/stored_query_cache.h"

#include "store/dao/stored_queries.h"

namespace albumcore::store::dao {

namespace {

// SQLite's NOCASE: ASCII letters only.
std::string FoldAscii(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return key;
}

}  // namespace

std::shared_ptr<StoredQuery> StoredQueryCache::Find(sqlite3* db, std::string_view name,
                                                    const ChangeProbe::Reading& now) {
  if (readUnder_ != now) {
    entries_.clear();
    readUnder_ = now;
  }
  std::string key = FoldAscii(name);
  if (auto it = entries_.find(key); it != entries_.end()) return it->second;
  std::shared_ptr<StoredQuery> query;
  if (auto text = ReadStoredQuery(db, name)) query = std::make_shared<StoredQuery>(StoredQuery{std::move(*text), {}});
  if (entries_.size() >= capacity_) entries_.clear();
  entries_.emplace(std::move(key), query);
  return query;
}

void StoredQueryCache::Clear() noexcept {
  entries_.clear();
  readUnder_.reset();
}

}  // namespace albumcore::store::dao
