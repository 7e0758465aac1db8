// SchemaCatalog over a live SQLite connection.
//
// Table descriptions are read with pragma_table_info,
// sqlite3_table_column_metadata (for collations and auto-increment) and
// pragma_index_list (unique keys), and cached until PRAGMA schema_version
// changes. External database files are read through a short-lived read-only
// connection and not cached, after the gate (when one is set) said which
// path a statement may reach.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "store/jetsql/schema.h"

struct sqlite3;

namespace albumcore::store::jetsql {

class SqliteSchemaCatalog : public SchemaCatalog {
 public:
  // `db` must outlive the catalog. `storedQueryTable` names a table of
  // (Name, SQL) rows holding stored queries; empty for none.
  explicit SqliteSchemaCatalog(sqlite3* db, std::string storedQueryTable = {});

  std::shared_ptr<const TableInfo> FindTable(std::string_view name, std::string_view externalFile = {}) override;
  int64_t SchemaVersion() override;
  std::optional<std::string> StoredQueryText(std::string_view name) override;

  // Reads a table's description from any connection and schema ("main",
  // an attached alias); nullptr when there is no such table.
  static std::shared_ptr<const TableInfo> ReadTable(sqlite3* db, const char* schema, std::string_view name);

  // Maps the file an IN clause names to the path to open, or raises (3024)
  // for a file statements may not reach.
  using FileGate = std::function<std::string(const std::string& file)>;
  void SetExternalFileGate(FileGate gate) { gate_ = std::move(gate); }

 private:
  // The table's keys (uniqueKeys), and its primary key when an index made
  // WITH PRIMARY stands for one.
  static void ReadKeys(sqlite3* db, const char* schema, TableInfo& table);
  void Revalidate();

  sqlite3* db_;
  std::string storedQueryTable_;
  FileGate gate_;
  int64_t version_ = -1;
  std::map<std::string, std::shared_ptr<const TableInfo>> tables_;  // folded name -> table (null: absent)
};

}  // namespace albumcore::store::jetsql
