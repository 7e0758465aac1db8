// Feeds arbitrary text to the Jet SQL translator and runs what it emits on
// an in-memory catalogue. Any crash or sanitizer report is a finding, and so
// is emitted SQL that SQLite cannot parse: the emitter must produce valid
// SQLite syntax whenever it accepts a statement.
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "com/error.h"
#include "store/jetsql/connection.h"
#include "store/jetsql/sqlite_catalog.h"
#include "store/jetsql/translator.h"

using namespace albumcore::store::jetsql;

namespace {

sqlite3* OpenCatalogue() {
  sqlite3* db = nullptr;
  sqlite3_open(":memory:", &db);
  ConfigureConnection(db);
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, 1 << 20);
  sqlite3_exec(db, R"sql(
    CREATE TABLE AlbumItems (ItemID INTEGER PRIMARY KEY AUTOINCREMENT, ItemType INTEGER, ItemDataMoniker TEXT(255),
      DateCreated DATETIME DOUBLE, Name TEXT(255) COLLATE JETNOCASE, Note LONGTEXT, Size INTEGER,
      Hidden YESNO INTEGER NOT NULL DEFAULT 0, Rating INTEGER);
    CREATE INDEX AlbumItems_Name ON AlbumItems(Name);
    CREATE TABLE AlbumContents (AlbumID INTEGER NOT NULL, ItemID INTEGER NOT NULL, PRIMARY KEY (AlbumID, ItemID));
    CREATE TABLE Keywords (KeywordID INTEGER PRIMARY KEY AUTOINCREMENT, KeywordName TEXT(255) COLLATE JETNOCASE UNIQUE);
    CREATE TABLE PhotoItem (ItemID INTEGER PRIMARY KEY, cx INTEGER, Rotation INTEGER);
    INSERT INTO AlbumItems VALUES (1, 2, 'file::/a.jpg', 45352.5, 'Élan', 'n', 10, 0, 3),
      (2, 9, 'album::2', -1.25, 'beach', NULL, NULL, -1, NULL), (3, 3, 'file::/b%_.mp3', 0, 'STRASSE', 'x', 5, 0, 1);
    INSERT INTO AlbumContents VALUES (2, 1), (2, 3);
    INSERT INTO Keywords (KeywordName) VALUES ('Sea'), ('dog');
    INSERT INTO PhotoItem VALUES (1, 640, 90);
  )sql", nullptr, nullptr, nullptr);
  return db;
}

int StopLongRuns(void* counter) { return ++*static_cast<int*>(counter) > 2000; }

bool Acceptable(const char* message) {
  // Limits SQLite enforces on its own and misuse it reports (an aggregate in
  // WHERE) are fine. Malformed SQL, or names and functions the translator
  // resolved but SQLite cannot find, are not.
  static const char* const kFindings[] = {
      "syntax error",  "unrecognized token", "incomplete input",       "no such column",   "no such table",
      "no such function", "wrong number of arguments", "ambiguous column", "does not match any column",
      "do not have the same number", "no such collation"};
  for (const char* finding : kFindings)
    if (std::strstr(message, finding) != nullptr) return false;
  return true;
}

// Prepares and steps one statement; false when it failed (the rest of the
// translation would then fail for that reason). Emitted SQL that SQLite
// cannot prepare for a reason of the emitter's making aborts.
bool RunStatement(sqlite3* db, const Translation& t, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
  if (rc != SQLITE_OK) {
    const char* message = sqlite3_errmsg(db);
    if (!Acceptable(message)) {
      std::fprintf(stderr, "emitted SQL does not parse: %s\n%s\n", message, sql.c_str());
      std::abort();
    }
    return false;
  }
  const int count = sqlite3_bind_parameter_count(stmt);
  for (int n = 1; n <= count; ++n) {
    const size_t i = static_cast<size_t>(n - 1);
    sqlite3_bind_int(stmt, n, static_cast<int>(i < t.parameters.size() ? t.parameters[i].position % 5 : i));
  }
  int steps = 0;
  sqlite3_progress_handler(db, 1000, StopLongRuns, &steps);
  int step = SQLITE_ROW;
  for (int rows = 0; rows < 100 && (step = sqlite3_step(stmt)) == SQLITE_ROW; ++rows) {
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) sqlite3_column_text(stmt, c);
  }
  sqlite3_progress_handler(db, 0, nullptr, nullptr);
  sqlite3_finalize(stmt);
  return step == SQLITE_DONE || step == SQLITE_ROW;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static sqlite3* db = OpenCatalogue();
  static SqliteSchemaCatalog catalog(db);
  if (size > 4096) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Translation t;
  try {
    t = TranslateStatement(text, catalog);
  } catch (const albumcore::com::ComError&) {
    return 0;
  }
  if (t.sql.find('\0') != std::string::npos) std::abort();
  for (size_t i = 0; i < t.parameters.size(); ++i)
    if (t.parameters[i].number != static_cast<int>(i) + 1) std::abort();
  if (!t.attachments.empty()) return 0;
  // Everything the translation runs, in order; a crosstab with two columns.
  std::vector<std::string> statements = t.before;
  if (!t.sql.empty()) statements.push_back(t.sql);
  if (t.pivot) {
    statements.push_back(t.pivot->valuesSql);
    try {
      statements.push_back(PivotStatement(t, {"a", "b"}));
    } catch (const albumcore::com::ComError&) {
    }
  }
  statements.insert(statements.end(), t.after.begin(), t.after.end());
  sqlite3_exec(db, "SAVEPOINT fuzz", nullptr, nullptr, nullptr);
  for (const auto& sql : statements) {
    if (!RunStatement(db, t, sql)) break;
  }
  sqlite3_exec(db, "ROLLBACK TO fuzz; RELEASE fuzz", nullptr, nullptr, nullptr);
  return 0;
}
