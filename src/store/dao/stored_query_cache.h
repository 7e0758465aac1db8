// Stored queries as last read from the file, with their translations.
//
// QueryDefs(name) reads a stored query on every call, and the same few
// queries are opened again and again; reading one by name costs about as
// much as running it. Entries are kept under the ChangeProbe reading they
// were read under, and all are dropped as soon as a reading differs: a
// query created, changed or deleted by this connection or another one,
// committed or rolled back, or a schema change, is read afresh.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/dao/change_probe.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::dao {

struct StoredQuery {
  std::string text;
  // Set by the first user that translates the text; holds for as long as
  // the entry does (the reading covers the schema too).
  std::shared_ptr<const jetsql::Translation> translation;
};

class StoredQueryCache {
 public:
  explicit StoredQueryCache(size_t capacity = 256) : capacity_(capacity) {}

  // The query `name` (ASCII letters in any case, as the table's NOCASE key
  // compares); nullptr when there is none.
  std::shared_ptr<StoredQuery> Find(sqlite3* db, std::string_view name, const ChangeProbe::Reading& now);
  void Clear() noexcept;

 private:
  size_t capacity_;
  std::optional<ChangeProbe::Reading> readUnder_;
  std::unordered_map<std::string, std::shared_ptr<StoredQuery>> entries_;  // folded name -> query (null: none)
};

}  // namespace albumcore::store::dao
