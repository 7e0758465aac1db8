#include "dao_fixture.h"

#include <unistd.h>

#include <stdexcept>

#include "store/jetsql/connection.h"

namespace albumcore::store::dao::testing {

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE AlbumItems (
  ItemID INTEGER PRIMARY KEY AUTOINCREMENT,
  ItemType INTEGER,
  ItemDataMoniker TEXT(255),
  Name TEXT(255) COLLATE JETNOCASE,
  DateCreated DATETIME DOUBLE,
  Hidden YESNO INTEGER NOT NULL DEFAULT 0,
  Note LONGTEXT,
  Rating SHORT INTEGER,
  Thumb LONGBINARY BLOB);
CREATE TABLE AlbumContents (
  AlbumID INTEGER NOT NULL,
  ItemID INTEGER NOT NULL,
  SortOrder INTEGER,
  PRIMARY KEY (AlbumID, ItemID));
CREATE TABLE MSysQueries (Name TEXT PRIMARY KEY COLLATE NOCASE, SQL TEXT NOT NULL);
INSERT INTO MSysQueries VALUES
  ('GetItemRecord', 'SELECT * FROM AlbumItems WHERE ItemID = [item_id];'),
  ('FindItems', 'SELECT ItemID FROM AlbumItems WHERE ItemType = [item_type] AND Name = [item_name];'),
  ('AddToAlbum', 'INSERT INTO AlbumContents (AlbumID, ItemID) VALUES ([album_id], [item_id]);'),
  ('SetItemName', 'UPDATE AlbumItems SET Name = [new_name] WHERE ItemID = [item_id];');
)sql";

struct Raw {
  explicit Raw(const std::string& path) {
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("open " + path);
    jetsql::ConfigureConnection(db);
    sqlite3_busy_timeout(db, 5000);
  }
  ~Raw() { sqlite3_close(db); }
  sqlite3* db = nullptr;
};

}  // namespace

void RawExec(const std::string& path, const std::string& sql) {
  Raw raw(path);
  char* error = nullptr;
  if (sqlite3_exec(raw.db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error != nullptr ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error(message + " in " + sql);
  }
}

std::string RawScalar(const std::string& path, const std::string& sql) {
  Raw raw(path);
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(raw.db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
    throw std::runtime_error(std::string(sqlite3_errmsg(raw.db)) + " in " + sql);
  std::string out = "NULL";
  if (sqlite3_step(s) == SQLITE_ROW && sqlite3_column_type(s, 0) != SQLITE_NULL)
    out = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
  sqlite3_finalize(s);
  return out;
}

void CreateCatalogue(const std::string& path) { RawExec(path, kSchema); }

void DaoTest::SetUp() {
  char pattern[] = "/tmp/dao_test_XXXXXX";
  const char* made = ::mkdtemp(pattern);
  ASSERT_NE(made, nullptr);
  dir_ = made;
  path_ = PathOf("catalogue.db");
  CreateCatalogue(path_);
  engine_ = com::MakeObject<DBEngine>();
  db_ = engine_->OpenDatabase(path_);
}

void DaoTest::TearDown() {
  db_.reset();
  engine_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

int DaoTest::AddItem(const std::string& name, int type, const char* note) {
  auto rs = db_->OpenRecordset("AlbumItems", dbOpenTable);
  rs->AddNew();
  rs->Fields("ItemType").SetValue(type);
  rs->Fields("Name").SetValue(name);
  if (note != nullptr) rs->Fields("Note").SetValue(note);
  rs->Update();
  return rs->Fields("ItemID").Value().i4();
}

}  // namespace albumcore::store::dao::testing
