#include "store/jetsql/sql_quoting.h"
#include "store/dao/stored_queries.h"

#include <sqlite3.h>

#include "store/dao/errors.h"

namespace albumcore::store::dao {

namespace {

// A short-lived statement for the rare stored-query maintenance paths.
class OneShot {
 public:
  OneShot(sqlite3* db, const std::string& sql) : db_(db) {
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr);
    if (rc != SQLITE_OK) ThrowEngineError(db, rc);
  }
  ~OneShot() { sqlite3_finalize(stmt_); }
  OneShot(const OneShot&) = delete;
  OneShot& operator=(const OneShot&) = delete;
  void Text(int i, std::string_view t) {
    sqlite3_bind_text(stmt_, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
  }
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) ThrowEngineError(db_, rc);
    return false;
  }
  std::string Column(int i) const {
    const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return p != nullptr ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, i))) : std::string();
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

bool TableExists(sqlite3* db) {
  OneShot s(db, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
  s.Text(1, kStoredQueryTable);
  return s.Step();
}

}  // namespace


bool IsSystemTable(std::string_view name) {
  auto starts = [&](std::string_view p) {
    if (name.size() < p.size()) return false;
    for (size_t i = 0; i < p.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(name[i])) != p[i]) return false;
    return true;
  };
  return starts("sqlite_") || starts("msys");
}

std::optional<std::string> ReadStoredQuery(sqlite3* db, std::string_view name) {
  if (!TableExists(db)) return std::nullopt;
  OneShot s(db, "SELECT SQL FROM " + jetsql::QuoteIdentifier(kStoredQueryTable) + " WHERE Name = ?1 COLLATE NOCASE");
  s.Text(1, name);
  if (!s.Step()) return std::nullopt;
  return s.Column(0);
}

void InsertStoredQuery(sqlite3* db, std::string_view name, std::string_view sql) {
  if (!TableExists(db)) {
    char* error = nullptr;
    const std::string ddl = "CREATE TABLE IF NOT EXISTS " + jetsql::QuoteIdentifier(kStoredQueryTable) +
                            " (Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT NOT NULL)";
    const int rc = sqlite3_exec(db, ddl.c_str(), nullptr, nullptr, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK) ThrowEngineError(db, rc);
  }
  if (ReadStoredQuery(db, name)) ThrowJet(daoerr::kObjectExists, "Object '" + std::string(name) + "' already exists");
  OneShot s(db, "INSERT INTO " + jetsql::QuoteIdentifier(kStoredQueryTable) + " (Name, SQL) VALUES (?1, ?2)");
  s.Text(1, name);
  s.Text(2, sql);
  s.Step();
}

void UpdateStoredQuery(sqlite3* db, std::string_view name, std::string_view sql) {
  if (!ReadStoredQuery(db, name)) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
  OneShot s(db, "UPDATE " + jetsql::QuoteIdentifier(kStoredQueryTable) + " SET SQL = ?2 WHERE Name = ?1 COLLATE NOCASE");
  s.Text(1, name);
  s.Text(2, sql);
  s.Step();
}

void DeleteStoredQuery(sqlite3* db, std::string_view name) {
  if (!ReadStoredQuery(db, name)) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
  OneShot s(db, "DELETE FROM " + jetsql::QuoteIdentifier(kStoredQueryTable) + " WHERE Name = ?1 COLLATE NOCASE");
  s.Text(1, name);
  s.Step();
}

std::vector<std::string> StoredQueryNames(sqlite3* db) {
  std::vector<std::string> names;
  if (!TableExists(db)) return names;
  OneShot s(db, "SELECT Name FROM " + jetsql::QuoteIdentifier(kStoredQueryTable) + " ORDER BY Name");
  while (s.Step()) names.push_back(s.Column(0));
  return names;
}

}  // namespace albumcore::store::dao
