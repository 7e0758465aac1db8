#include "store/jetsql/sqlite_catalog.h"

#include <sqlite3.h>

#include "store/jetsql/jet_error.h"
#include "store/jetsql/jet_text.h"

namespace albumcore::store::jetsql {

namespace {

class Statement {
 public:
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) ThrowSqliteError(db, sqlite3_errcode(db));
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  sqlite3_stmt* get() const { return stmt_; }

 private:
  sqlite3_stmt* stmt_ = nullptr;
};

std::string ColumnText(sqlite3_stmt* s, int i) {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
  return p != nullptr ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(s, i))) : std::string();
}

}  // namespace

SqliteSchemaCatalog::SqliteSchemaCatalog(sqlite3* db, std::string storedQueryTable)
    : db_(db), storedQueryTable_(std::move(storedQueryTable)) {}

std::shared_ptr<const TableInfo> SqliteSchemaCatalog::ReadTable(sqlite3* db, const char* schema, std::string_view name) {
  std::string canonical;
  bool view = false;
  // The first pass finds names equal ignoring ASCII case; NOCASE folds ASCII
  // only, so the second looks at every name for other letters' case.
  for (const char* match : {" AND name = ?1 COLLATE NOCASE", ""}) {
    const std::string sql = std::string("SELECT name, type = 'view' FROM \"") + schema +
                            "\".sqlite_schema WHERE type IN ('table','view')" + match;
    Statement find(db, sql.c_str());
    if (*match != '\0') sqlite3_bind_text(find.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
    while (canonical.empty() && sqlite3_step(find.get()) == SQLITE_ROW) {
      std::string candidate = ColumnText(find.get(), 0);
      if (SameName(candidate, name)) {
        canonical = std::move(candidate);
        view = sqlite3_column_int(find.get(), 1) != 0;
      }
    }
    if (!canonical.empty()) break;
  }
  if (canonical.empty()) return nullptr;
  auto table = std::make_shared<TableInfo>();
  table->name = canonical;
  table->view = view;
  Statement info(db, "SELECT name, type, \"notnull\", pk FROM pragma_table_info(?1, ?2)");
  sqlite3_bind_text(info.get(), 1, canonical.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(info.get(), 2, schema, -1, SQLITE_TRANSIENT);
  while (sqlite3_step(info.get()) == SQLITE_ROW) {
    ColumnInfo c;
    c.name = ColumnText(info.get(), 0);
    c.declaredType = ColumnText(info.get(), 1);
    c.notNull = sqlite3_column_int(info.get(), 2) != 0;
    c.primaryKey = sqlite3_column_int(info.get(), 3) != 0;
    const char* declared = nullptr;
    const char* collation = nullptr;
    int notNull = 0, pk = 0, autoinc = 0;
    if (sqlite3_table_column_metadata(db, schema, canonical.c_str(), c.name.c_str(), &declared, &collation, &notNull,
                                      &pk, &autoinc) == SQLITE_OK &&
        collation != nullptr) {
      c.collation = collation;
    } else {
      c.collation = "BINARY";
    }
    for (auto& ch : c.collation) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    c.type = JetTypeFromDeclared(c.declaredType, autoinc != 0, &c.size);
    c.textAffinity = HasTextAffinity(c.declaredType);
    table->columns.push_back(std::move(c));
  }
  ReadKeys(db, schema, *table);
  return table;
}

void SqliteSchemaCatalog::ReadKeys(sqlite3* db, const char* schema, TableInfo& table) {
  std::vector<std::string> declared;
  for (const auto& c : table.columns)
    if (c.primaryKey) declared.push_back(c.name);
  if (!declared.empty()) table.uniqueKeys.push_back(std::move(declared));
  // The guard of an index made WITH PRIMARY names it.
  std::string primaryIndex;
  {
    const std::string sql =
        std::string("SELECT name FROM \"") + schema + "\".sqlite_schema WHERE type = 'trigger' AND tbl_name = ?1";
    Statement triggers(db, sql.c_str());
    sqlite3_bind_text(triggers.get(), 1, table.name.c_str(), -1, SQLITE_TRANSIENT);
    constexpr std::string_view kSuffix = "_ins";
    while (sqlite3_step(triggers.get()) == SQLITE_ROW) {
      const std::string name = ColumnText(triggers.get(), 0);
      if (name.size() > kPrimaryIndexGuardPrefix.size() + kSuffix.size() && name.starts_with(kPrimaryIndexGuardPrefix) &&
          name.ends_with(kSuffix))
        primaryIndex = name.substr(kPrimaryIndexGuardPrefix.size(),
                                   name.size() - kPrimaryIndexGuardPrefix.size() - kSuffix.size());
    }
  }
  const bool hasPrimaryKey = !table.uniqueKeys.empty();
  Statement indexes(db, "SELECT name FROM pragma_index_list(?1, ?2) WHERE \"unique\"");
  sqlite3_bind_text(indexes.get(), 1, table.name.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(indexes.get(), 2, schema, -1, SQLITE_TRANSIENT);
  while (sqlite3_step(indexes.get()) == SQLITE_ROW) {
    const std::string index = ColumnText(indexes.get(), 0);
    Statement info(db, "SELECT name FROM pragma_index_info(?1, ?2) ORDER BY seqno");
    sqlite3_bind_text(info.get(), 1, index.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(info.get(), 2, schema, -1, SQLITE_TRANSIENT);
    std::vector<std::string> key;
    bool expression = false;
    while (sqlite3_step(info.get()) == SQLITE_ROW) {
      expression = expression || sqlite3_column_type(info.get(), 0) == SQLITE_NULL;
      key.push_back(ColumnText(info.get(), 0));
    }
    if (expression || key.empty()) continue;
    if (!hasPrimaryKey && index == primaryIndex) {
      for (auto& c : table.columns)
        for (const auto& k : key)
          if (c.name == k) c.primaryKey = true;
    }
    table.uniqueKeys.push_back(std::move(key));
  }
}

int64_t SqliteSchemaCatalog::SchemaVersion() {
  Statement s(db_, "PRAGMA main.schema_version");
  if (sqlite3_step(s.get()) != SQLITE_ROW) ThrowSqliteError(db_, sqlite3_errcode(db_));
  return sqlite3_column_int64(s.get(), 0);
}

void SqliteSchemaCatalog::Revalidate() {
  const int64_t v = SchemaVersion();
  if (v != version_) {
    tables_.clear();
    version_ = v;
  }
}

std::shared_ptr<const TableInfo> SqliteSchemaCatalog::FindTable(std::string_view name, std::string_view externalFile) {
  if (!externalFile.empty()) {
    sqlite3* ext = nullptr;
    const std::string path = gate_ ? gate_(std::string(externalFile)) : std::string(externalFile);
    const int rc = sqlite3_open_v2(path.c_str(), &ext, SQLITE_OPEN_READONLY, nullptr);
    struct Closer {
      sqlite3* db;
      ~Closer() { sqlite3_close(db); }
    } closer{ext};
    if (rc != SQLITE_OK) ThrowJet(jeterr::kFileNotFound, "Could not find file '" + path + "'");
    try {
      return ReadTable(ext, "main", name);
    } catch (const com::ComError&) {
      ThrowJet(jeterr::kBadFormat, "Unrecognized database format '" + path + "'");
    }
  }
  Revalidate();
  const std::string key = FoldText(name);
  if (auto it = tables_.find(key); it != tables_.end()) return it->second;
  auto table = ReadTable(db_, "main", name);
  tables_.emplace(key, table);
  return table;
}

std::optional<std::string> SqliteSchemaCatalog::StoredQueryText(std::string_view name) {
  if (storedQueryTable_.empty()) return std::nullopt;
  if (!ReadTable(db_, "main", storedQueryTable_)) return std::nullopt;
  std::string quoted;
  for (char c : storedQueryTable_) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  const std::string sql = "SELECT SQL FROM \"" + quoted + "\" WHERE Name = ?1 COLLATE NOCASE";
  Statement s(db_, sql.c_str());
  sqlite3_bind_text(s.get(), 1, name.data(), static_cast<int>(name.size()), SQLITE_TRANSIENT);
  while (sqlite3_step(s.get()) == SQLITE_ROW) return ColumnText(s.get(), 0);
  return std::nullopt;
}

}  // namespace albumcore::store::jetsql
