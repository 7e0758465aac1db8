// Looking at translated SQLite text and prepared statements to decide how a
// recordset can identify its rows.
#pragma once

#include <sqlite3.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace albumcore::store::dao {

// False when the statement groups, removes duplicates or combines queries
// (GROUP BY, DISTINCT, UNION, INTERSECT, EXCEPT outside literals and quoted
// names): such rows stand for no single table row.
bool MayBeUpdatable(std::string_view sql);

// The statement with the rowid put before its first result column
// ("SELECT rowid, ..."); nullopt when it is not a plain SELECT. The rowid
// only resolves when the FROM clause names one table, so preparing the
// result fails for joins.
std::optional<std::string> WithRowid(std::string_view sql);

// For a statement prepared from WithRowid(): the table of the main file all
// result columns come from; empty when some column is an expression or comes
// from another table or file.
std::string SingleBaseTable(sqlite3_stmt* stmt);

// WithRowid() of recordset texts that MayBeUpdatable(), remembered:
// recordsets open the same few texts again and again. Forgets everything
// when it has grown to `capacity` texts.
class UpdatableForms {
 public:
  explicit UpdatableForms(size_t capacity = 256) : capacity_(capacity) {}
  // The WithRowid() form of `sql`; null when the text is not updatable that
  // way. Valid until the next call.
  const std::string* Of(std::string_view sql);

 private:
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
  };
  size_t capacity_;
  std::unordered_map<std::string, std::optional<std::string>, TextHash, std::equal_to<>> forms_;
};

}  // namespace albumcore::store::dao
