// What the current layout declares, as the upgrade of older catalogues
// needs it: every table, index and trigger with its CREATE text exactly as
// the layout scripts write it, every stored query with its text, and the
// rows the layout puts into a table.
//
// The scripts run into a private in-memory database (LayoutDatabase) and
// the declaration is read back from it, so SQLite itself splits and checks
// the statements; nothing here parses SQL.
//
// Current() builds the declaration of the embedded scripts once per process
// (thread-safe); it throws BuildError if they do not run, which a build whose
// template was made from the same scripts rules out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/schema/layout_scripts.h"

namespace albumcore::store::schema {

struct DeclaredObject {
  std::string name;
  std::string table;  // the table of an index or trigger; a table's own name
  std::string sql;    // the CREATE statement as declared
};

struct DeclaredQuery {
  std::string name;
  std::string sql;
};

// One row a layout script inserts: column names, the values as SQL
// literals (to write them elsewhere) and as text.
struct DeclaredRow {
  std::vector<std::string> columns;
  std::vector<std::string> literals;
  std::vector<std::string> texts;
  // The text of `column` (any case); empty when the row has no such column.
  std::string Text(std::string_view column) const;
};

class DeclaredLayout {
 public:
  explicit DeclaredLayout(const std::vector<LayoutScript>& scripts);
  static const DeclaredLayout& Current();

  // In declaration order.
  const std::vector<DeclaredObject>& tables() const { return tables_; }
  const std::vector<DeclaredObject>& indexes() const { return indexes_; }
  const std::vector<DeclaredObject>& triggers() const { return triggers_; }
  const std::vector<DeclaredQuery>& queries() const { return queries_; }

  // The rows the scripts put into `table` (any case), in insertion order.
  std::vector<DeclaredRow> Rows(std::string_view table) const;

 private:
  std::vector<DeclaredObject> tables_, indexes_, triggers_;
  std::vector<DeclaredQuery> queries_;
  std::vector<std::pair<std::string, std::vector<DeclaredRow>>> rows_;
};

// The table of the layout that holds the stored queries, as (Name, SQL).
inline constexpr const char* kStoredQueryTable = "MSysQueries";

}  // namespace albumcore::store::schema
