#include "jetsql_fixture.h"

#include <stdexcept>

#include "store/jetsql/connection.h"
#include "store/jetsql/jet_error.h"
#include "store/jetsql/jet_values.h"

namespace albumcore::store::jetsql::testing {

namespace {

void Must(sqlite3* db, const std::string& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string message = err ? err : "?";
    sqlite3_free(err);
    throw std::runtime_error(message + " in " + sql);
  }
}

}  // namespace

void CreateCatalogueSchema(sqlite3* db) {
  // Collations are declared as the catalogue declares them: identity text
  // (monikers, paths, GUIDs, request IDs) BINARY, other text JETNOCASE.
  Must(db, R"sql(
    CREATE TABLE AlbumItems (ItemID INTEGER PRIMARY KEY AUTOINCREMENT, ItemType INTEGER,
      ItemDataMoniker TEXT(255) COLLATE BINARY, ItemThumbMoniker TEXT(255) COLLATE BINARY,
      DateCreated DATETIME DOUBLE, DateModified DATETIME DOUBLE, Name TEXT(255) COLLATE JETNOCASE,
      Filename TEXT(255) COLLATE JETNOCASE, Note LONGTEXT COLLATE JETNOCASE, Size INTEGER, BigSize INTEGER,
      SoundMoniker TEXT(255) COLLATE BINARY, ReadOnly YESNO INTEGER NOT NULL DEFAULT 0,
      Protected YESNO INTEGER NOT NULL DEFAULT 0, Hidden YESNO INTEGER NOT NULL DEFAULT 0, Rating INTEGER,
      FileUniqueID TEXT(50) COLLATE BINARY);
    CREATE INDEX AlbumItems_Name ON AlbumItems(Name);
    CREATE INDEX AlbumItems_Moniker ON AlbumItems(ItemDataMoniker);
    CREATE INDEX AlbumItems_ItemType ON AlbumItems(ItemType);
    CREATE TABLE Albums (AlbumID INTEGER PRIMARY KEY, CustomSort INTEGER, AlbumIcon LONGTEXT COLLATE JETNOCASE,
      AlbumType INTEGER DEFAULT 0);
    CREATE TABLE AlbumContents (AlbumID INTEGER NOT NULL, ItemID INTEGER NOT NULL, PRIMARY KEY (AlbumID, ItemID));
    CREATE TABLE Keywords (KeywordID INTEGER PRIMARY KEY AUTOINCREMENT,
      KeywordName TEXT(255) COLLATE JETNOCASE UNIQUE);
    CREATE TABLE AssignedKeywords (ItemID INTEGER NOT NULL, KeywordID INTEGER NOT NULL);
    CREATE TABLE PhotoItem (ItemID INTEGER PRIMARY KEY, cx INTEGER, cy INTEGER, Rotation INTEGER);
    CREATE TABLE SearchResults (ItemID INTEGER);
    CREATE TABLE SpecialAlbums (AlbumID INTEGER, Type INTEGER);
    CREATE TABLE SmartViews (SmartViewID INTEGER PRIMARY KEY AUTOINCREMENT, Name TEXT(255) COLLATE JETNOCASE,
      RequestID LONGTEXT COLLATE BINARY, ReadOnly YESNO INTEGER NOT NULL DEFAULT 0,
      Hidden YESNO INTEGER NOT NULL DEFAULT 0, CategoryID INTEGER);
    CREATE TABLE DeviceItems (ID INTEGER PRIMARY KEY AUTOINCREMENT,
      ItemID INTEGER NOT NULL REFERENCES AlbumItems(ItemID) ON DELETE CASCADE, AlbumID INTEGER NOT NULL,
      TranscodedPath LONGTEXT COLLATE BINARY, BackupPath LONGTEXT COLLATE BINARY, SyncDate DATETIME DOUBLE);
    CREATE TABLE AssignedFieldsMemo (ItemID INTEGER NOT NULL, FieldID INTEGER NOT NULL,
      FieldValue LONGTEXT COLLATE JETNOCASE);
    CREATE TABLE MRUSoundMonikers (SoundMoniker TEXT(255) COLLATE BINARY);
    CREATE TABLE UPnPShares (ShareID INTEGER PRIMARY KEY AUTOINCREMENT, RequestID LONGTEXT COLLATE BINARY,
      Restricted YESNO INTEGER NOT NULL DEFAULT 0, Internal YESNO INTEGER NOT NULL DEFAULT 0);
    CREATE TABLE UPnPDevices (DeviceID INTEGER PRIMARY KEY AUTOINCREMENT, UDN TEXT(255) COLLATE BINARY,
      MAC TEXT(50) COLLATE JETNOCASE);
    CREATE TABLE StoredQueries (Name TEXT(64) PRIMARY KEY COLLATE NOCASE, SQL LONGTEXT COLLATE BINARY);
    CREATE TABLE SecretWords (SecretWordID INTEGER PRIMARY KEY AUTOINCREMENT, wordGUID TEXT(50) COLLATE BINARY,
      Name TEXT(255) COLLATE JETNOCASE, Expiry TEXT(50) COLLATE JETNOCASE, TemplateID INTEGER,
      SwPassword TEXT(255) COLLATE BINARY);
    CREATE TABLE SecretWordAssociations (ID INTEGER PRIMARY KEY AUTOINCREMENT, SecretWordID INTEGER,
      RequestID LONGTEXT COLLATE BINARY, AlbumID INTEGER);
  )sql");
}

void InsertSampleRows(sqlite3* db) {
  // Dates: 2024-03-01 13:45 = 45352.572916666664, 2023-07-15 = 45122,
  // 2022-12-31 23:59:59, 1899-12-29 06:00 = -1.25, 2024-01-01 = 45292.
  Must(db, R"sql(
    INSERT INTO AlbumItems (ItemID, ItemType, ItemDataMoniker, DateCreated, Name, Note, Rating, Hidden, Size) VALUES
      (1, 2, 'file::/home/ana/Pictures/a.jpg', 45352.572916666664, 'Élan', NULL, 3, 0, 100),
      (2, 2, 'file::/home/ana/Pictures/b%_.jpg', 45122.0, 'beach', 'sand', NULL, -1, 200),
      (3, 9, 'album::3', 44926.999988425923, 'Holidays', NULL, 5, 0, 0),
      (4, 3, 'file::/home/ana/Music/c.mp3', -1.25, 'élan vital', 'say "hi"', 1, 0, 300),
      (5, 2, 'file::/HOME/ana/x.jpg', 45292.0, 'STRASSE', NULL, 2, 0, 400);
    INSERT INTO Albums (AlbumID, CustomSort) VALUES (3, 0);
    INSERT INTO AlbumContents VALUES (3, 1), (3, 2), (3, 4);
    INSERT INTO Keywords (KeywordID, KeywordName) VALUES (1, 'Sea'), (2, 'Ärger'), (3, 'dog');
    INSERT INTO AssignedKeywords VALUES (1, 1), (2, 1), (2, 3), (4, 2);
    INSERT INTO PhotoItem VALUES (1, 640, 480, 90), (2, 800, 600, 0);
    INSERT INTO SpecialAlbums VALUES (3, 1);
    INSERT INTO SmartViews (Name, RequestID, CategoryID) VALUES ('Ringtones', 'SQL:SELECT 1', 0),
      ('Mine', 'Album:3', 6);
    INSERT INTO DeviceItems (ItemID, AlbumID) VALUES (1, 3), (2, 3);
  )sql");
}

CatalogueDb::CatalogueDb(const std::string& path, bool withSamples, bool createSchema) {
  if (sqlite3_open(path.c_str(), &db_) != SQLITE_OK) throw std::runtime_error("cannot open " + path);
  ConfigureConnection(db_);
  if (createSchema) CreateCatalogueSchema(db_);
  if (withSamples) InsertSampleRows(db_);
  catalog_ = std::make_unique<SqliteSchemaCatalog>(db_, "StoredQueries");
  translator_ = std::make_unique<Translator>(*catalog_);
}

CatalogueDb::~CatalogueDb() {
  translator_.reset();
  catalog_.reset();
  sqlite3_close(db_);
}

void CatalogueDb::Raw(const std::string& sql) { Must(db_, sql); }

Rows CatalogueDb::RawQuery(const std::string& sql) {
  Translation t;
  t.sql = sql;
  return RunMain(t, {}, nullptr);
}

Rows CatalogueDb::Run(const Translation& t, const Params& params, int* changes) {
  for (const auto& a : t.attachments) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db_, ("ATTACH DATABASE ?1 AS " + a.schema).c_str(), -1, &s, nullptr);
    sqlite3_bind_text(s, 1, a.file.c_str(), -1, SQLITE_TRANSIENT);
    const int rc = sqlite3_step(s);
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE) ThrowSqliteError(db_, rc);
  }
  struct Detach {
    sqlite3* db;
    const Translation& t;
    ~Detach() {
      for (const auto& a : t.attachments) sqlite3_exec(db, ("DETACH DATABASE " + a.schema).c_str(), nullptr, nullptr, nullptr);
    }
  } detach{db_, t};
  auto step = [&](const std::string& sql) {
    const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) ThrowSqliteError(db_, rc);
  };
  for (const auto& sql : t.before) step(sql);
  Rows rows = RunMain(t, params, changes);
  for (const auto& sql : t.after) step(sql);
  return rows;
}

Rows CatalogueDb::RunMain(const Translation& t, const Params& params, int* changes) {
  Rows rows;
  if (t.sql.empty()) return rows;
  sqlite3_stmt* s = nullptr;
  int rc = sqlite3_prepare_v2(db_, t.sql.c_str(), static_cast<int>(t.sql.size()), &s, nullptr);
  if (rc != SQLITE_OK) ThrowSqliteError(db_, rc);
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(s, sqlite3_finalize);
  for (size_t i = 0; i < t.parameters.size(); ++i) {
    const Param* value = nullptr;
    for (const auto& [name, v] : params)
      if (SameName(name, t.parameters[i].name)) value = &v;
    if (value == nullptr) ThrowJet(jeterr::kTooFewParameters, "Too few parameters. Expected " + std::to_string(t.parameters.size()));
    const int n = t.parameters[i].number;
    std::visit(
        [&](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, std::nullptr_t>) sqlite3_bind_null(s, n);
          else if constexpr (std::is_same_v<T, int64_t>) sqlite3_bind_int64(s, n, v);
          else if constexpr (std::is_same_v<T, double>) sqlite3_bind_double(s, n, v);
          else sqlite3_bind_text(s, n, v.c_str(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        },
        *value);
  }
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    Row row;
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
      switch (sqlite3_column_type(s, c)) {
        case SQLITE_NULL: row.push_back("NULL"); break;
        case SQLITE_INTEGER: row.push_back(std::to_string(sqlite3_column_int64(s, c))); break;
        case SQLITE_FLOAT: row.push_back(NumberText(sqlite3_column_double(s, c))); break;
        default:
          row.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(s, c)),
                           static_cast<size_t>(sqlite3_column_bytes(s, c)));
      }
    }
    rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE)
    ThrowSqliteError(db_, rc, t.kind == StatementKind::Delete ? FailingOperation::Delete : FailingOperation::Other);
  if (changes != nullptr) *changes = sqlite3_changes(db_);
  return rows;
}

Rows CatalogueDb::Query(std::string_view jet, const Params& params) { return Run(*Translate(jet), params, nullptr); }

int CatalogueDb::Exec(std::string_view jet, const Params& params) {
  int changes = 0;
  Run(*Translate(jet), params, &changes);
  return changes;
}

std::string CatalogueDb::Scalar(std::string_view jet, const Params& params) {
  const Rows rows = Query(jet, params);
  if (rows.size() != 1 || rows[0].size() != 1)
    throw std::runtime_error("expected one value from " + std::string(jet) + ", got " + std::to_string(rows.size()) + " rows");
  return rows[0][0];
}

std::string CatalogueDb::Plan(std::string_view jet) {
  const auto t = Translate(jet);
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db_, ("EXPLAIN QUERY PLAN " + t->sql).c_str(), -1, &s, nullptr) != SQLITE_OK)
    ThrowSqliteError(db_, sqlite3_errcode(db_));
  std::string plan;
  while (sqlite3_step(s) == SQLITE_ROW) plan += std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 3))) + "\n";
  sqlite3_finalize(s);
  return plan;
}

}  // namespace albumcore::store::jetsql::testing
