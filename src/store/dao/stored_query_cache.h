// Stored queries as last read from the file, with their translations.
//
// QueryDefs(name) is called for every stored-query call, and the same few
// queries are called again and again; reading one by name costs about as
// much as running it, and looking whether the file changed costs a
// transaction. So an entry is handed out as it was read, with the
// ChangeProbe reading of that moment, and the caller confirms it inside the
// transaction it runs in (Session::ConfirmStoredQuery): while the reading
// there is unchanged, nothing can have changed the query; otherwise it is
// read again in that same transaction, and only a different text (or
// schema) makes a new entry.
#pragma once

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
  int64_t schema = -1;           // schema version the text was read under
  ChangeProbe::Reading checked;  // when the text was last found current
  // What tells, after a commit of this connection, that the text is still
  // current: no other connection committed since (PRAGMA data_version),
  // and no stored query was written in this process (StoredQueryEdits).
  std::optional<int64_t> othersVersion;
  uint64_t edits = 0;
  // Set by the first user that translates the text; holds for as long as
  // the entry does (a new schema makes a new entry).
  std::shared_ptr<const jetsql::Translation> translation;
};

class StoredQueryCache {
 public:
  explicit StoredQueryCache(size_t capacity = 256) : capacity_(capacity) {}

  // The entry of `name` (ASCII letters in any case, as the table's NOCASE
  // key compares); nullptr when none is cached.
  std::shared_ptr<StoredQuery> Find(std::string_view name) const;
  // Makes `query` the entry of `name`.
  void Keep(std::string_view name, std::shared_ptr<StoredQuery> query);
  void Forget(std::string_view name);
  void Clear() noexcept { entries_.clear(); }

 private:
  size_t capacity_;
  std::unordered_map<std::string, std::shared_ptr<StoredQuery>> entries_;  // folded name -> query
};

}  // namespace albumcore::store::dao
