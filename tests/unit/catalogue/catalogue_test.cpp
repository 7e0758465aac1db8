// The library's database session and the upgrade of older catalogues, on
// real files built from the layout scripts (the frozen older layouts too).
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "store/catalogue/catalogue_session.h"
#include "store/catalogue/schema_upgrade.h"
#include "store/dao/querydef.h"
#include "store/dao/recordset.h"
#include "store/dao/relation.h"
#include "store/schema/catalogue_builder.h"

namespace albumcore::store::catalogue {
namespace {

namespace fs = std::filesystem;
using com::Variant;
using Lines = std::vector<std::string>;

constexpr const char* kV1 = "old_layouts/v1.sql";
constexpr const char* kFirstTemplate = "old_layouts/v9_first_template.sql";

// Rows of `sql` on `db`, each row's values joined by "|".
Lines Rows(sqlite3* db, const std::string& sql) {
  Lines rows;
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql;
    return rows;
  }
  while (sqlite3_step(stmt) == SQLITE_ROW) {
    std::string row;
    for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
      const auto* text = sqlite3_column_text(stmt, c);
      row += (c ? "|" : "") + std::string(text != nullptr ? reinterpret_cast<const char*>(text) : "NULL");
    }
    rows.push_back(std::move(row));
  }
  sqlite3_finalize(stmt);
  return rows;
}

std::string Literal(const std::string& text) { return "'" + text + "'"; }

// The layout of a file as the code relies on it, one fact a line: each
// column's type, collation, nullability, default and key position; each
// index's columns, collations and uniqueness; foreign keys; the exact text
// of indexes and triggers; stored queries; registered relations.
Lines LayoutOf(sqlite3* db) {
  Lines out;
  for (const auto& table : Rows(db, "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT GLOB 'sqlite_*' "
                                    "ORDER BY name")) {
    for (const auto& column : Rows(db, "SELECT name, type, \"notnull\", dflt_value, pk, hidden FROM pragma_table_xinfo(" +
                                           Literal(table) + ")")) {
      const std::string name = column.substr(0, column.find('|'));
      const char* collation = nullptr;
      int autoIncrement = 0;
      sqlite3_table_column_metadata(db, "main", table.c_str(), name.c_str(), nullptr, &collation, nullptr, nullptr,
                                    &autoIncrement);
      out.push_back("column " + table + "." + column + "|" + (collation ? collation : "?") + "|" +
                    std::to_string(autoIncrement));
    }
    for (const auto& index : Rows(db, "SELECT name, \"unique\", origin, partial FROM pragma_index_list(" +
                                          Literal(table) + ") ORDER BY name")) {
      const std::string name = index.substr(0, index.find('|'));
      std::string columns;
      for (const auto& c : Rows(db, "SELECT name, \"desc\", coll FROM pragma_index_xinfo(" + Literal(name) +
                                        ") WHERE key = 1 ORDER BY seqno"))
        columns += " (" + c + ")";
      out.push_back("index " + table + ": " + index + columns);
    }
    for (const auto& key : Rows(db, "SELECT * FROM pragma_foreign_key_list(" + Literal(table) + ")"))
      out.push_back("foreign key " + table + ": " + key);
  }
  for (const auto& row : Rows(db, "SELECT type, name, tbl_name, sql FROM sqlite_schema "
                                  "WHERE type IN ('index', 'trigger', 'view') AND sql IS NOT NULL ORDER BY name"))
    out.push_back(row);
  for (const auto& row : Rows(db, "SELECT Name, SQL FROM MSysQueries ORDER BY Name")) out.push_back("query " + row);
  for (const auto& row : Rows(db, "SELECT * FROM MSysRelationships ORDER BY Name")) out.push_back("relation " + row);
  return out;
}

class UpgradeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("albumcore-upgrade-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    session_.reset();
    fs::remove_all(dir_);
  }

  std::string BuildFile(const std::vector<std::string>& scripts) {
    std::vector<schema::LayoutScript> layout;
    for (const auto& s : scripts) layout.push_back(schema::ReadLayoutScript(fs::path(ALBUMCORE_SCHEMA_DIR) / s));
    const fs::path path = dir_ / ("catalogue" + std::to_string(files_++) + ".db");
    schema::BuildCatalogue(layout, path);
    return path.string();
  }
  std::string Current() { return BuildFile({"catalogue.sql", "stored_queries.sql"}); }
  static std::unique_ptr<CatalogueSession> OpenSession(const std::string& path) {
    std::unique_ptr<CatalogueSession> session;
    EXPECT_EQ(CatalogueSession::Open(path, "Admin", "", &session), com::S_OK);
    return session;
  }
  std::unique_ptr<CatalogueSession> Build(const std::vector<std::string>& scripts) {
    return OpenSession(BuildFile(scripts));
  }
  // A file of the given layout, opened as session_; returns its database.
  dao::Database& Open(const std::vector<std::string>& scripts) {
    session_.reset();
    session_ = Build(scripts);
    return db();
  }
  dao::Database& OpenTemplate() { return Open({"catalogue.sql", "stored_queries.sql"}); }
  dao::Database& db() { return session_->database(); }
  sqlite3* raw() { return db().session()->db(); }

  // Both upgrades, as a library open runs them.
  static UpgradeReport UpgradeAll(dao::Database& db) {
    UpgradeReport report = ConnectTimeUpgrade(db);
    UpgradeReport more = OpenTimeUpgrade(db);
    report.done.insert(report.done.end(), more.done.begin(), more.done.end());
    report.failed.insert(report.failed.end(), more.failed.begin(), more.failed.end());
    return report;
  }
  static Lines Failures(const UpgradeReport& report) {
    Lines out;
    for (const auto& f : report.failed) out.push_back(f.step + ": " + f.detail);
    return out;
  }

  Lines TemplateLayout() {
    auto session = Build({"catalogue.sql", "stored_queries.sql"});
    return LayoutOf(session->database().session()->db());
  }

  void Run(const std::string& query, const std::vector<std::pair<std::string, Variant>>& params) {
    auto q = db().QueryDefs(query);
    for (const auto& [name, value] : params) q->Parameters(name).SetValue(value);
    q->Execute();
  }
  static int64_t Count(dao::Database& db, const std::string& jet) {
    return db.OpenRecordset(jet)->Fields(0).Value().ToI4();
  }
  static Lines LayoutOfFile(const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    Lines layout = LayoutOf(db);
    sqlite3_close(db);
    return layout;
  }
  std::string Scalar(const std::string& sql) {
    const Lines rows = Rows(raw(), sql);
    return rows.empty() ? "" : rows[0];
  }

  fs::path dir_;
  int files_ = 0;
  std::unique_ptr<CatalogueSession> session_;
};

TEST_F(UpgradeTest, OlderLayoutsReachTheTemplateLayoutAndASecondUpgradeChangesNothing) {
  const Lines expected = TemplateLayout();
  EXPECT_EQ(UpgradeAll(OpenTemplate()).done, Lines{}) << "the template itself needs nothing";
  for (const char* old : {kV1, kFirstTemplate}) {
    Open({old});
    const UpgradeReport first = UpgradeAll(db());
    EXPECT_EQ(Failures(first), Lines{}) << old;
    EXPECT_FALSE(first.done.empty()) << old;
    EXPECT_EQ(LayoutOf(raw()), expected) << old;

    const Lines schema = Rows(raw(), "SELECT type, name, sql FROM sqlite_schema ORDER BY name");
    const UpgradeReport second = UpgradeAll(db());
    EXPECT_TRUE(second.ok()) << old;
    EXPECT_EQ(second.done, Lines{}) << old;
    EXPECT_EQ(Rows(raw(), "SELECT type, name, sql FROM sqlite_schema ORDER BY name"), schema) << old;
  }
}

// Files upgraded from the older layouts behave as the template does.
class UpgradedBehaviour : public UpgradeTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UpgradedBehaviour, ItemsDevicesAndMemoFieldsWorkAsInTheTemplate) {
  Open({GetParam()});
  ASSERT_TRUE(UpgradeAll(db()).ok());
  auto& d = db();
  d.Execute("INSERT INTO AlbumItems (ItemType, Name, ItemDataMoniker, Filename) VALUES (9, \"Phone\", \"album::1\", \"x\")");
  d.Execute("INSERT INTO Albums (AlbumID) VALUES (1)");
  d.Execute("INSERT INTO AlbumItems (ItemType, Name, ItemDataMoniker, Filename) VALUES (0, \"a\", \"file::/P/a.jpg\", "
            "\"a.jpg\")");

  // Identity text compares exactly, people's text ignoring case.
  EXPECT_EQ(Scalar("SELECT count(*) FROM AlbumItems WHERE ItemDataMoniker = 'file::/p/a.jpg'"), "0");
  auto found = d.OpenRecordset("SELECT ItemID FROM AlbumItems WHERE Filename = \"A.JPG\"");
  ASSERT_FALSE(found->IsEOF());
  EXPECT_EQ(found->Fields(0).Value(), Variant(2));
  found->Close();

  // FileUniqueID takes 255 characters, and not one more.
  auto item = d.QueryDefs("GetItemRecord");
  item->Parameters("item_id").SetValue(Variant(2));
  auto rs = item->OpenRecordset();
  rs->Edit();
  rs->Fields("FileUniqueID").SetValue(Variant(std::string(255, 'u')));
  rs->Update();
  rs->Edit();
  EXPECT_THROW(rs->Fields("FileUniqueID").SetValue(Variant(std::string(256, 'u'))), com::ComError);
  rs->CancelUpdate();
  rs->Close();

  // Device rows make and end the membership in the device album.
  Run("AddDeviceItem", {{"item_id", Variant(2)}, {"album_id", Variant(1)}});
  Run("AddDeviceItem", {{"item_id", Variant(2)}, {"album_id", Variant(1)}});
  EXPECT_EQ(Scalar("SELECT count(*) || ',' || max(ID) FROM DeviceItems"), "2,2");
  EXPECT_EQ(Scalar("SELECT count(*) FROM AlbumContents WHERE AlbumID = 1 AND ItemID = 2"), "1");
  Run("RemoveDeviceItem", {{"album_id", Variant(1)}, {"item_id", Variant(2)}});
  EXPECT_EQ(Scalar("SELECT count(*) FROM AlbumContents WHERE AlbumID = 1"), "0");
  Run("AddDeviceItem", {{"item_id", Variant(2)}, {"album_id", Variant(1)}});

  // One memo value per item and field, empty text allowed.
  Run("AssignUserFieldMemo", {{"item_id", Variant(2)}, {"varFieldID", Variant(7)}});
  Run("AssignUserFieldMemo", {{"item_id", Variant(2)}, {"varFieldID", Variant(7)}});
  Run("SetFieldValueMemo", {{"varFieldValue", Variant("")}, {"item_id", Variant(2)}, {"varFieldID", Variant(7)}});
  EXPECT_EQ(Scalar("SELECT count(*) || ':' || quote(max(FieldValue)) FROM AssignedFieldsMemo"), "1:''");

  // Destroying the item takes its device rows, membership and values along.
  Run("DestroyItem", {{"item_id", Variant(2)}});
  for (const char* table : {"DeviceItems", "AssignedFieldsMemo", "AlbumContents"})
    EXPECT_EQ(Scalar(std::string("SELECT count(*) FROM ") + table), "0") << table;
  EXPECT_EQ(Scalar("SELECT count(*) FROM AlbumItems"), "1");
}

INSTANTIATE_TEST_SUITE_P(Layouts, UpgradedBehaviour, ::testing::Values(kV1, kFirstTemplate),
                         [](const auto& test) { return std::string(test.param == kV1 ? "v1" : "FirstTemplate"); });

TEST_F(UpgradeTest, RowsCountersAndTheUsersOwnObjectsSurvive) {
  auto& d = Open({kV1});
  for (const char* name : {"one", "two", "three"})
    d.Execute(std::string("INSERT INTO AlbumItems (ItemType, Name, ItemDataMoniker, FileUniqueID) VALUES (0, \"") + name +
              "\", \"file::/" + name + "\", \"" + std::string(50, name[0]) + "\")");
  d.Execute("DELETE * FROM AlbumItems WHERE Name = \"three\"");
  d.Execute("INSERT INTO Keywords (KeywordName) VALUES (\"Beach\")");
  d.Execute("INSERT INTO MRUSearchStrings (SearchString) VALUES (\"b\")");
  d.Execute("INSERT INTO MRUSearchStrings (SearchString) VALUES (\"a\")");
  d.Execute("ALTER TABLE AlbumItems ADD COLUMN Rank INTEGER");
  d.Execute("UPDATE AlbumItems SET Rank = 5 WHERE Name = \"two\"");
  d.Execute("CREATE INDEX AlbumItems_Rank ON AlbumItems (Rank)");
  d.session()->Exec("CREATE TRIGGER AlbumItems_Ranked AFTER UPDATE OF Rank ON AlbumItems BEGIN SELECT 1; END");

  ASSERT_TRUE(UpgradeAll(d).ok());
  EXPECT_EQ(Rows(raw(), "SELECT ItemID, Name, length(FileUniqueID), Rank FROM AlbumItems ORDER BY ItemID"),
            (Lines{"1|one|50|NULL", "2|two|50|5"}));
  EXPECT_EQ(Rows(raw(), "SELECT name FROM pragma_table_info('AlbumItems') ORDER BY cid DESC LIMIT 2"),
            (Lines{"Rank", "FileUniqueID"}));
  EXPECT_EQ(Rows(raw(), "SELECT name FROM sqlite_schema WHERE name IN ('AlbumItems_Rank', 'AlbumItems_Ranked') "
                        "ORDER BY name"),
            (Lines{"AlbumItems_Rank", "AlbumItems_Ranked"}));
  EXPECT_EQ(Rows(raw(), "SELECT SearchString FROM MRUSearchStrings"), (Lines{"b", "a"}));  // oldest first
  EXPECT_EQ(Scalar("SELECT KeywordName FROM Keywords"), "Beach");
  // The counter goes on where it was: the destroyed item's ID stays unused.
  d.Execute("INSERT INTO AlbumItems (ItemType, Name) VALUES (0, \"four\")");
  EXPECT_EQ(Scalar("SELECT ItemID FROM AlbumItems WHERE Name = 'four'"), "4");
  EXPECT_EQ(Scalar("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(UpgradeAll(d).done, Lines{});
}

TEST_F(UpgradeTest, FailedStepsAreReportedLeaveTheirTablesAndALaterUpgradeCompletesThem) {
  auto& d = Open({kV1});
  d.Execute("INSERT INTO AlbumItems (ItemType, Name) VALUES (0, \"busy\")");
  const std::string before = Scalar("SELECT sql FROM sqlite_schema WHERE name = 'AlbumItems'");
  // While a read is in progress SQLite drops no table and no index, so no
  // table can be rebuilt and no changed index replaced.
  auto reading = d.OpenRecordset("SELECT * FROM AlbumItems");
  ASSERT_FALSE(reading->IsEOF());

  ::testing::internal::CaptureStderr();
  const UpgradeReport report = UpgradeAll(d);
  const std::string log = ::testing::internal::GetCapturedStderr();
  ASSERT_FALSE(report.ok());
  for (const auto& failure : report.failed) {
    const bool drops = failure.step.rfind("table ", 0) == 0 || failure.step.rfind("indexes of table ", 0) == 0;
    EXPECT_TRUE(drops) << failure.step;
    EXPECT_EQ(failure.status, com::JetError(3218)) << failure.step;
    EXPECT_NE(log.find("\"" + failure.step + "\" failed"), std::string::npos) << log;
  }
  EXPECT_EQ(report.failed.front().step, "table AlbumItems");
  EXPECT_EQ(Scalar("SELECT sql FROM sqlite_schema WHERE name = 'AlbumItems'"), before);
  // The steps that drop nothing went on: new tables, triggers, queries.
  EXPECT_EQ(Scalar("SELECT count(*) FROM sqlite_schema WHERE name IN ('AssignedFieldsMemo', 'DeviceItems', "
                   "'DeviceItems_AddMembership')"),
            "3");
  EXPECT_EQ(Scalar("SELECT count(*) FROM MSysQueries WHERE Name = 'AddDeviceItem'"), "1");

  reading->Close();
  const UpgradeReport again = UpgradeAll(d);
  EXPECT_TRUE(again.ok());
  EXPECT_EQ(again.done.size(), report.failed.size());
  EXPECT_EQ(LayoutOf(raw()), TemplateLayout());
  EXPECT_EQ(Scalar("SELECT Name FROM AlbumItems"), "busy");
}

TEST_F(UpgradeTest, ATriggerStaysAsItWasWhileATableItNamesIsMissing) {
  auto& d = Open({kV1});
  // A user's index under the name of the memo table's declared index keeps
  // the memo table from being created.
  d.Execute("CREATE INDEX AssignedFieldsMemo_FieldID ON Keywords (KeywordID)");
  const std::string before = Scalar("SELECT sql FROM sqlite_schema WHERE name = 'AlbumItems_DeleteDependents'");
  const UpgradeReport report = OpenTimeUpgrade(d);
  Lines failed;
  for (const auto& f : report.failed) failed.push_back(f.step);
  EXPECT_EQ(failed, (Lines{"table AssignedFieldsMemo", "trigger AlbumItems_DeleteDependents",
                           "trigger UserFields_DeleteDependents"}));
  EXPECT_NE(report.failed.at(1).detail.find("no such table: main.AssignedFieldsMemo"), std::string::npos);
  EXPECT_EQ(Scalar("SELECT sql FROM sqlite_schema WHERE name = 'AlbumItems_DeleteDependents'"), before);
  d.Execute("INSERT INTO AlbumItems (ItemType, Name) VALUES (0, \"x\")");
  Run("DestroyItem", {{"item_id", Variant(1)}});
  EXPECT_EQ(Scalar("SELECT count(*) FROM AlbumItems"), "0");
}

// What the upgrade of earlier versions made: the device-item table and the
// memo table through table definitions (no key, paths ignoring case), and
// relation Rel1 as triggers.
void UpgradeTheEarlierWay(dao::Database& db) {
  auto memo = db.CreateTableDef("AssignedFieldsMemo");
  for (const char* name : {"ItemID", "FieldID"}) memo->Fields().Append(memo->CreateField(name, dao::dbLong));
  memo->Fields().Append(memo->CreateField("FieldValue", dao::dbMemo));
  db.TableDefs().Append(memo);
  auto devices = db.CreateTableDef("DeviceItems");
  auto id = devices->CreateField("ID", dao::dbLong);
  id->SetAttributes(dao::dbAutoIncrField);
  devices->Fields().Append(id);
  for (const char* name : {"ItemID", "AlbumID"}) devices->Fields().Append(devices->CreateField(name, dao::dbLong));
  for (const char* name : {"TranscodedPath", "BackupPath"}) devices->Fields().Append(devices->CreateField(name, dao::dbMemo));
  devices->Fields().Append(devices->CreateField("SyncDate", dao::dbDate));
  db.TableDefs().Append(devices);
  // A device row whose item is gone, from before the relation existed.
  db.Execute("INSERT INTO DeviceItems (ItemID, AlbumID) VALUES (99, 1)");
  auto relation = db.CreateRelation("Rel1", "AlbumItems", "DeviceItems", dao::dbRelationDeleteCascade);
  auto field = relation->CreateField("ItemID");
  field->SetForeignName("ItemID");
  relation->Fields().Append(field);
  db.Relations().Append(relation);
  db.Execute("INSERT INTO AssignedFieldsMemo (ItemID, FieldID, FieldValue) VALUES (1, 7, \"first\")");
  db.Execute("INSERT INTO AssignedFieldsMemo (ItemID, FieldID, FieldValue) VALUES (1, 7, \"second\")");
}

TEST_F(UpgradeTest, FilesOfTheEarlierUpgradeReachTheLayoutOnceTheirOrphansAreGone) {
  auto& d = Open({kV1});
  UpgradeTheEarlierWay(d);

  ::testing::internal::CaptureStderr();
  const UpgradeReport report = UpgradeAll(d);
  const std::string log = ::testing::internal::GetCapturedStderr();
  // The orphan breaks the foreign key DeviceItems is to have; the relation
  // keeps its triggers until the key is there.
  EXPECT_EQ(Failures(report),
            (Lines{"table DeviceItems: 1 rows of table 'DeviceItems' refer to rows that do not exist; its new "
                   "definition requires them.",
                   "relation Rel1: table DeviceItems does not carry the foreign key of relation Rel1 yet"}));
  EXPECT_EQ(report.failed[0].status, com::JetError(3201));
  EXPECT_NE(log.find("1 rows of AssignedFieldsMemo repeat a key"), std::string::npos) << log;
  EXPECT_EQ(Scalar("SELECT FieldValue FROM AssignedFieldsMemo"), "first");
  EXPECT_EQ(Scalar("SELECT count(*) FROM sqlite_schema WHERE name GLOB 'rel_Rel1*'"), "3");

  d.Execute("DELETE * FROM DeviceItems WHERE ItemID = 99");
  const UpgradeReport again = UpgradeAll(d);
  EXPECT_EQ(Failures(again), Lines{});
  EXPECT_EQ(again.done, (Lines{"table DeviceItems", "relation Rel1"}));
  EXPECT_EQ(LayoutOf(raw()), TemplateLayout());
}

TEST_F(UpgradeTest, ConnectTimeUpgradeAddsTheMemoFieldsOnly) {
  auto& d = Open({kV1});
  const UpgradeReport report = ConnectTimeUpgrade(d);
  EXPECT_EQ(report.done, (Lines{"table AssignedFieldsMemo", "stored query EnumItemUserFieldsMemo",
                                "stored query AssignUserFieldMemo", "stored query RemoveUserFieldMemo",
                                "stored query SetFieldValueMemo"}));
  EXPECT_EQ(ConnectTimeUpgrade(d).done, Lines{});
  EXPECT_EQ(Scalar("SELECT count(*) FROM sqlite_schema WHERE name = 'DeviceItems'"), "0");
}

// The session: opening, version, compaction on close.
class CatalogueTest : public UpgradeTest {};

TEST_F(CatalogueTest, VersionIsTheLayoutsOrOneWithoutAMiscRow) {
  int32_t version = 0;
  {
    auto session = OpenSession(BuildFile({kV1}));
    EXPECT_EQ(OpenDatabaseVersion(session->database(), &version), com::S_FALSE);
    EXPECT_EQ(version, 1);
    // The upgrade brings the layout, not a version number.
    EXPECT_TRUE(OpenTimeUpgrade(session->database()).ok());
    EXPECT_EQ(OpenDatabaseVersion(session->database(), &version), com::S_FALSE);
  }
  auto session = OpenSession(Current());
  EXPECT_EQ(OpenDatabaseVersion(session->database(), &version), com::S_OK);
  EXPECT_EQ(version, 9);
  EXPECT_EQ(OpenDatabaseVersion(session->database(), nullptr), com::E_POINTER);
  // The template's relation is known by name, with its cascading delete.
  EXPECT_EQ(session->database().Relations("Rel1")->Attributes(), 0x1000);
}

TEST_F(CatalogueTest, OpeningNeedsAnIdentityAndAFile) {
  const std::string path = Current();
  std::unique_ptr<CatalogueSession> session;
  EXPECT_EQ(CatalogueSession::Open(path, com::Bstr::Null(), "", &session), com::E_FAIL);
  EXPECT_EQ(CatalogueSession::Open(path, "Admin", com::Bstr::Null(), &session), com::E_FAIL);
  EXPECT_EQ(CatalogueSession::Open(com::Bstr::Null(), "Admin", "", &session), com::E_FAIL);
  EXPECT_FALSE(session);
  EXPECT_EQ(CatalogueSession::Open((dir_ / "missing.db").string(), "Admin", "", &session), com::JetError(3024));
  EXPECT_EQ(CatalogueSession::Open(path, "Admin", "", nullptr), com::E_POINTER);
  EXPECT_EQ(CatalogueSession::Open(path, "Admin", "", &session), com::S_OK);
  session->Close();
  EXPECT_THROW(session->database(), com::ComError);
}

TEST_F(CatalogueTest, CloseCompactsIntoTheSameFile) {
  const std::string path = Current();
  {
    auto session = OpenSession(path);
    auto& db = session->database();
    dao::Transaction trans(db);
    for (int i = 0; i < 2000; ++i) {
      db.Execute("INSERT INTO AlbumItems ( ItemType, Note ) SELECT 0, \"" + std::string(500, 'n') + "\";");
    }
    trans.Commit();
    db.Execute("DELETE * FROM AlbumItems WHERE ItemID > 10;");
  }  // closing compacts
  EXPECT_TRUE(fs::exists(path));
  EXPECT_FALSE(fs::exists(CatalogueSession::CompactionPath(path)));
  EXPECT_FALSE(fs::exists(path + "-wal"));
  EXPECT_LT(fs::file_size(path), 400u * 1024u);
  auto session = OpenSession(path);
  EXPECT_EQ(Count(session->database(), "SELECT Count(*) FROM AlbumItems"), 10);
}

TEST_F(CatalogueTest, FailedCompactionLeavesTheFileUntouched) {
  const std::string path = Current();
  {
    auto session = OpenSession(path);
    session->database().Execute("INSERT INTO AlbumItems ( ItemType, Name ) SELECT 0, \"kept\";");
  }
  const Lines before = LayoutOfFile(path);
  // Something that is not a file stands where the compacted copy would go.
  fs::create_directories(CatalogueSession::CompactionPath(path) + "/blocker");
  auto session = OpenSession(path);
  session->database().Execute("DELETE * FROM AlbumItems WHERE Name = \"nothing\";");
  ::testing::internal::CaptureStderr();
  session->Close();
  const std::string logged = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(logged.find("compacting " + path + " on close failed"), std::string::npos) << logged;  // not swallowed
  EXPECT_TRUE(fs::is_directory(CatalogueSession::CompactionPath(path) + "/blocker"));
  EXPECT_EQ(LayoutOfFile(path), before);
  session = OpenSession(path);
  EXPECT_EQ(Count(session->database(), "SELECT Count(*) FROM AlbumItems WHERE Name = \"kept\""), 1);
}

TEST_F(CatalogueTest, KillDuringCompactionLeavesAReadableCatalogue) {
  const std::string path = Current();
  {
    auto session = OpenSession(path);
    auto& db = session->database();
    dao::Transaction trans(db);
    for (int i = 0; i < 3000; ++i) {
      db.Execute("INSERT INTO AlbumItems ( ItemType, Note ) SELECT 0, \"" + std::string(300, 'k') + "\";");
    }
    trans.Commit();
  }
  // Kill a process that opens and closes (compacts) the catalogue over and
  // over, at moments spread over its work.
  for (int delayMs : {1, 3, 7, 12, 20, 35}) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (;;) {
        std::unique_ptr<CatalogueSession> s;
        CatalogueSession::Open(path, "Admin", "", &s);
        s.reset();
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    ASSERT_TRUE(fs::exists(path)) << "after " << delayMs << " ms";
    auto session = OpenSession(path);
    ASSERT_TRUE(session);
    EXPECT_EQ(Count(session->database(), "SELECT Count(*) FROM AlbumItems"), 3000) << "after " << delayMs << " ms";
  }
}

}  // namespace
}  // namespace albumcore::store::catalogue
