#include "store/dao/stored_queries.h"

#include <atomic>

#include <sqlite3.h>

#include "store/dao/errors.h"
#include "store/dao/one_shot_statement.h"
#include "store/dao/statement_cache.h"
#include "store/jetsql/sql_quoting.h"

namespace albumcore::store::dao {

namespace {

bool TableExists(sqlite3* db) {
  OneShotStatement s(db, "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
  s.Bind(1, kStoredQueryTable);
  return s.Step();
}

}  // namespace

std::optional<std::string> ReadStoredQuery(sqlite3* db, std::string_view name) {
  if (!TableExists(db)) return std::nullopt;
  OneShotStatement s(db, "SELECT SQL FROM " + jetsql::QuoteIdentifier(kStoredQueryTable) + " WHERE Name = ?1 COLLATE NOCASE");
  s.Bind(1, name);
  if (!s.Step()) return std::nullopt;
  return s.Text(0);
}

std::optional<std::string> ReadStoredQuery(StatementCache& statements, sqlite3* db, std::string_view name) {
  static const std::string kLookup =
      "SELECT SQL FROM " + jetsql::QuoteIdentifier(kStoredQueryTable) + " WHERE Name = ?1 COLLATE NOCASE";
  Statement lookup = statements.TryAcquire(kLookup);
  // No table, or a prepare that failed for another reason: the one-shot
  // path tells the two apart and raises what must be raised.
  if (!lookup) return ReadStoredQuery(db, name);
  sqlite3_stmt* s = lookup.get();
  sqlite3_bind_text(s, 1, name.data(), static_cast<int>(name.size()), SQLITE_STATIC);
  const int rc = sqlite3_step(s);
  if (rc == SQLITE_DONE) return std::nullopt;
  if (rc != SQLITE_ROW) {
    // A table gone since the statement was prepared, or a real failure:
    // again the one-shot path decides, and raises the engine's error.
    lookup.Release();
    return ReadStoredQuery(db, name);
  }
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
  return std::string(text != nullptr ? text : "", static_cast<size_t>(sqlite3_column_bytes(s, 0)));
}

namespace {
std::atomic<uint64_t> g_storedQueryEdits{0};
}  // namespace

uint64_t StoredQueryEdits() noexcept { return g_storedQueryEdits.load(std::memory_order_relaxed); }

void InsertStoredQuery(sqlite3* db, std::string_view name, std::string_view sql) {
  g_storedQueryEdits.fetch_add(1, std::memory_order_relaxed);
  if (!TableExists(db))
    OneShotStatement(db, "CREATE TABLE IF NOT EXISTS " + jetsql::QuoteIdentifier(kStoredQueryTable) +
                             " (Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT NOT NULL)")
        .Run();
  if (ReadStoredQuery(db, name)) ThrowJet(jeterr::kObjectExists, "Object '" + std::string(name) + "' already exists");
  OneShotStatement s(db, "INSERT INTO " + jetsql::QuoteIdentifier(kStoredQueryTable) + " (Name, SQL) VALUES (?1, ?2)");
  s.Bind(1, name);
  s.Bind(2, sql);
  s.Step();
}

void UpdateStoredQuery(sqlite3* db, std::string_view name, std::string_view sql) {
  g_storedQueryEdits.fetch_add(1, std::memory_order_relaxed);
  if (!ReadStoredQuery(db, name)) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
  OneShotStatement s(db, "UPDATE " + jetsql::QuoteIdentifier(kStoredQueryTable) + " SET SQL = ?2 WHERE Name = ?1 COLLATE NOCASE");
  s.Bind(1, name);
  s.Bind(2, sql);
  s.Step();
}

void DeleteStoredQuery(sqlite3* db, std::string_view name) {
  g_storedQueryEdits.fetch_add(1, std::memory_order_relaxed);
  if (!ReadStoredQuery(db, name)) ThrowJet(jeterr::kItemNotFound, "Item not found in this collection: " + std::string(name));
  OneShotStatement s(db, "DELETE FROM " + jetsql::QuoteIdentifier(kStoredQueryTable) + " WHERE Name = ?1 COLLATE NOCASE");
  s.Bind(1, name);
  s.Step();
}

std::vector<std::string> StoredQueryNames(sqlite3* db) {
  std::vector<std::string> names;
  if (!TableExists(db)) return names;
  OneShotStatement s(db, "SELECT Name FROM " + jetsql::QuoteIdentifier(kStoredQueryTable) + " ORDER BY Name");
  while (s.Step()) names.push_back(s.Text(0));
  return names;
}

}  // namespace albumcore::store::dao
