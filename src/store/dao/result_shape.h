// What a recordset needs to know about a prepared statement's result: its
// columns with their Jet types, and the table of the main file its rows are
// written back to (empty: read-only).
//
// Working this out reads SQLite's column metadata and the table's
// description, which costs more than fetching a row by key, so a shape is
// kept with the prepared statement in the statement cache and reused by
// every recordset that leases the statement again. SQLite re-prepares a
// statement when the schema changed; a shape made before that is stale and
// Current() refuses it.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "store/jetsql/schema.h"
#include "store/jetsql/sqlite_catalog.h"

namespace albumcore::store::dao {

struct ResultShape {
  struct Column {
    std::string name;
    jetsql::JetType type = jetsql::JetType::Unknown;
    int64_t size = 0;
    std::string origin;  // column of the base table; empty for read-only recordsets
    bool counter = false;
  };

  // `rowidFirst`: the statement came from WithRowid(), so its column 0 is
  // the rowid; the shape is then updatable when every other column comes
  // from one table of the main file.
  static std::shared_ptr<const ResultShape> Of(sqlite3_stmt* stmt, bool rowidFirst,
                                               jetsql::SqliteSchemaCatalog& catalog);

  // False once SQLite has re-prepared the statement since the shape was made.
  bool Current(sqlite3_stmt* stmt) const;

  std::vector<Column> columns;
  // rowidFirst and every column from one table of the main file; a
  // statement without that is of no use for writing.
  bool oneTable = false;
  std::string baseTable;  // empty: read-only (also when oneTable but the table is not found)
  int first = 0;          // 1 when column 0 is the rowid
  int reprepares = 0;     // the statement's re-prepare count when it was made
};

}  // namespace albumcore::store::dao
