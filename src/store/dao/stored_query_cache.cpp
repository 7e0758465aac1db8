#include "store/dao/stored_query_cache.h"

#include "store/jetsql/ascii.h"

namespace albumcore::store::dao {

namespace {

// The table's key compares as SQLite's NOCASE: ASCII letters only.
std::string FoldAscii(std::string_view name) { return jetsql::Upper(name); }

}  // namespace

std::shared_ptr<StoredQuery> StoredQueryCache::Find(std::string_view name) const {
  auto it = entries_.find(FoldAscii(name));
  return it == entries_.end() ? nullptr : it->second;
}

void StoredQueryCache::Keep(std::string_view name, std::shared_ptr<StoredQuery> query) {
  std::string key = FoldAscii(name);
  if (entries_.size() >= capacity_ && entries_.find(key) == entries_.end()) entries_.clear();
  entries_.insert_or_assign(std::move(key), std::move(query));
}

void StoredQueryCache::Forget(std::string_view name) { entries_.erase(FoldAscii(name)); }

}  // namespace albumcore::store::dao
