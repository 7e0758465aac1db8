// Changing a table that SQLite cannot change in place: a new table under a
// temporary name, the rows copied by column name, the old table dropped,
// the new one renamed into its place, its indexes and triggers created
// again, a foreign-key check, all in one transaction, as SQLite documents
// for general schema changes. A failure at any point rolls back and leaves
// the file as it was.
//
// Outside a transaction, foreign keys are switched off while the tables
// change (so dropping the old table cascades nothing) and back on after.
// Inside the caller's transaction that switch is impossible; there the
// rebuild works as a savepoint and refuses (3219) a table that other tables
// refer to by foreign key, since dropping it would cascade to their rows.
//
// Raises ComError with the Jet status of the first failure: the RowRule's
// (3163, 3421), 3201 when copied rows break a foreign key of the table,
// 3218 when an open recordset still reads the table, the mapped SQLite
// error otherwise. Statements cached by the session are forgotten.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/dao/session.h"
#include "store/dao/table_sql.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::dao {

// A condition no row of the new table may meet (SQL over its columns).
struct RowRule {
  std::string condition;
  uint16_t jetError;
  std::string message;
};

struct TableRebuild {
  std::string table;  // the existing table, as the file names it
  // The new table: `definition` with the columns in `changedColumns`
  // (by position) redefined and `addedColumns` after its last column.
  TableSql definition;
  std::map<size_t, std::string> changedColumns;
  std::vector<TableSql::Column> addedColumns;
  // CREATE INDEX and CREATE TRIGGER statements run once the new table has
  // its name: everything of the old table that is to stay.
  std::vector<std::string> dependents;
  std::vector<RowRule> rules;
};

void RebuildTable(Session& session, const TableRebuild& rebuild);

// The CREATE TABLE statement of `table` (any case); empty when there is none.
std::string TableSqlOf(sqlite3* db, const std::string& table);

// The CREATE statements of the indexes (not those SQLite makes for keys)
// and triggers of `table`, in creation order.
struct SchemaEntry {
  std::string type;  // "index" or "trigger"
  std::string name;
  std::string sql;
};
std::vector<SchemaEntry> DependentsOf(sqlite3* db, const std::string& table);

// ALTER TABLE ... ALTER COLUMN: the column gets the new type (and NOT NULL
// when asked), keeps its other constraints, and the table keeps every
// column, index and trigger. Nothing runs when the column already has that
// definition. Text that would not fit the new size is 3163, values the new
// type cannot hold 3421; both leave the table untouched.
void ChangeColumn(Session& session, const jetsql::ColumnChange& change);

}  // namespace albumcore::store::dao
