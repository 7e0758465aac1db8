#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>

#include "dao_fixture.h"
#include "store/schema/catalogue_builder.h"

namespace albumcore::store::dao::testing {
namespace {

using com::Variant;

class ConfinementTest : public DaoTest {
 protected:
  std::string StoredQueries() { return RawScalar(path_, "SELECT group_concat(Name || '=' || SQL, ';') FROM MSysQueries"); }

  com::ComPtr<Database> OpenWith(const SqlLimits& limits) {
    db_->Close();
    engine_->SetLimits(limits);
    return engine_->OpenDatabase(path_);
  }

  // A catalogue file (carrying the catalogue's application id unless told
  // otherwise) with one item.
  std::string MakeCatalogue(const std::string& name, bool catalogueId = true) {
    const std::string path = PathOf(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    CreateCatalogue(path);
    RawExec(path, "INSERT INTO AlbumItems (ItemID, Name) VALUES (77, 'elsewhere')");
    if (catalogueId) RawExec(path, "PRAGMA application_id = " + std::to_string(schema::kCatalogueApplicationId));
    return path;
  }

  void FillItems(int count) {
    RawExec(path_, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " + std::to_string(count) +
                       ") INSERT INTO AlbumItems (ItemID, ItemType, Name) SELECT i, 1, 'item' || i FROM n");
  }
};

TEST_F(ConfinementTest, SystemTablesAreReadOnlyToEveryKindOfStatement) {
  AddItem("counted");
  const std::string queries = StoredQueries();
  const std::string counters = RawScalar(path_, "SELECT group_concat(name || seq) FROM sqlite_sequence");
  for (const char* jet : {
           "INSERT INTO MSysQueries (Name, SQL) VALUES ('Evil', 'DELETE * FROM AlbumItems')",
           "INSERT INTO MSysQueries (Name, SQL) SELECT Name & '2', SQL FROM MSysQueries",
           "UPDATE MSysQueries SET SQL = 'DELETE * FROM AlbumItems' WHERE Name = 'GetItemRecord'",
           "DELETE * FROM MSysQueries",
           "DROP TABLE MSysQueries",
           "ALTER TABLE MSysQueries ADD COLUMN Extra TEXT(10)",
           "ALTER TABLE MSysQueries DROP COLUMN SQL",
           "ALTER TABLE MSysQueries ALTER COLUMN SQL TEXT(10)",
           "CREATE INDEX MSysQueries_SQL ON MSysQueries (SQL)",
           "CREATE TABLE MSysOwn (A LONG)",
           "SELECT * INTO MSysOwn FROM AlbumItems",
           "UPDATE sqlite_sequence SET seq = 0",
           "DELETE * FROM sqlite_sequence",
           "INSERT INTO sqlite_sequence (name, seq) VALUES ('AlbumItems', 0)",
       }) {
    EXPECT_EQ(StatusOf([&] { db_->Execute(jet); }), Jet(3027)) << jet;
  }
  // A stored query runs as SQL text too, whoever stored it.
  db_->CreateQueryDef("Wipe", "DELETE * FROM MSysQueries");
  EXPECT_EQ(StatusOf([&] { db_->QueryDefs("Wipe")->Execute(); }), Jet(3027));
  db_->QueryDefs().Delete("Wipe");

  // Recordsets over a system table read it but write nothing.
  for (int type : {dbOpenTable, dbOpenDynaset}) {
    auto rs = db_->OpenRecordset(type == dbOpenTable ? "MSysQueries" : "SELECT * FROM MSysQueries", type);
    EXPECT_FALSE(rs->IsEOF());
    EXPECT_EQ(StatusOf([&] {
                rs->Edit();
                rs->Fields("SQL").SetValue("SELECT 1");
                rs->Update();
              }),
              Jet(3027));
    EXPECT_EQ(StatusOf([&] {
                rs->AddNew();
                rs->Fields("Name").SetValue("Evil");
                rs->Fields("SQL").SetValue("SELECT 1");
                rs->Update();
              }),
              Jet(3027));
    rs->MoveFirst();
    EXPECT_EQ(StatusOf([&] { rs->Delete(); }), Jet(3027));
  }
  EXPECT_EQ(StoredQueries(), queries);
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(name || seq) FROM sqlite_sequence"), counters);
}

// SQLite keeps sqlite_sequence for statements that may not name it. (The
// adapter's own writes to MSysQueries run in the query and freshness tests.)
TEST_F(ConfinementTest, CountersStillWrite) {
  db_->Execute("INSERT INTO AlbumItems (Name) VALUES ('a')");
  db_->Execute("INSERT INTO AlbumItems (Name) VALUES ('b')");
  db_->Execute("DELETE * FROM AlbumItems");
  db_->Execute("INSERT INTO AlbumItems (Name) VALUES ('c')");
  EXPECT_EQ(RawScalar(path_, "SELECT ItemID FROM AlbumItems"), "3");  // no AutoNumber given twice
  db_->Execute("CREATE TABLE Scratch (ID COUNTER, Label TEXT(10))");
  db_->Execute("INSERT INTO Scratch (Label) VALUES ('x')");
  db_->Execute("DROP TABLE Scratch");
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM sqlite_sequence WHERE name = 'Scratch'"), "0");
}

TEST_F(ConfinementTest, RunawayStatementsAreStoppedAndTheConnectionStaysUsable) {
  FillItems(2000);
  auto db = OpenWith({.statementBudget = std::chrono::milliseconds(200), .externalFiles = {}});
  const std::string crossJoin = "SELECT a.ItemID FROM AlbumItems AS a, AlbumItems AS b, AlbumItems AS c";

  const auto started = std::chrono::steady_clock::now();
  try {
    db->OpenRecordset("SELECT Count(*) FROM AlbumItems AS a, AlbumItems AS b, AlbumItems AS c")->Fields(0).Value();
    ADD_FAILURE() << "the cross join ran to its end";
  } catch (const com::ComError& e) {
    EXPECT_EQ(e.hr(), Jet(3234));
    EXPECT_NE(e.detail().find("200 ms"), std::string::npos) << e.detail();
  }
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));

  // A move over many fast rows is one run.
  auto rs = db->OpenRecordset(crossJoin);
  EXPECT_FALSE(rs->IsEOF());
  EXPECT_EQ(StatusOf([&] { rs->MoveLast(); }), Jet(3234));
  EXPECT_EQ(db->OpenRecordset("SELECT Count(*) FROM AlbumItems")->Fields(0).Value(), Variant(2000));

  // A write stopped inside a transaction takes the transaction with it.
  db->BeginTrans();
  db->Execute("INSERT INTO AlbumItems (Name) VALUES ('inside')");
  EXPECT_EQ(StatusOf([&] {
              db->Execute("UPDATE AlbumItems SET Rating = (SELECT Count(*) FROM AlbumItems AS a, AlbumItems AS b "
                          "WHERE a.ItemID > AlbumItems.ItemID)");
            }),
            Jet(3234));
  EXPECT_EQ(StatusOf([&] { db->CommitTrans(); }), Jet(3219));
  db->BeginTrans();
  db->Execute("INSERT INTO AlbumItems (Name) VALUES ('after')");
  db->CommitTrans();
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(Name) FROM AlbumItems WHERE ItemID > 2000"), "after");
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM AlbumItems WHERE Rating IS NOT NULL"), "0");

  // Without a budget the same statements are not timed at all.
  auto unlimited = OpenWith({.statementBudget = std::chrono::milliseconds(0), .externalFiles = {}});
  EXPECT_EQ(unlimited->OpenRecordset("SELECT Count(*) FROM AlbumItems AS a, AlbumItems AS b")->Fields(0).Value(),
            Variant(2001 * 2001));
}

TEST_F(ConfinementTest, ExternalFilesOnlyInAllowedFoldersAndOnlyCatalogues) {
  const std::string allowed = PathOf("allowed");
  const std::string inside = MakeCatalogue("allowed/old.db");
  const std::string plain = MakeCatalogue("allowed/plain.db", false);
  const std::string outside = MakeCatalogue("outside/old.db");
  ASSERT_EQ(::symlink(outside.c_str(), PathOf("allowed/link.db").c_str()), 0);
  const auto countIn = [&](Database& db, const std::string& file) {
    return StatusOf([&] { db.OpenRecordset("SELECT Count(*) FROM AlbumItems IN \"" + file + "\"")->IsEOF(); });
  };

  // Offline: the user's own rights.
  EXPECT_EQ(countIn(*db_, plain), 0);
  EXPECT_EQ(countIn(*db_, outside), 0);

  auto confined = OpenWith({.statementBudget = kDefaultStatementBudget,
                            .externalFiles = {.confined = true, .folders = {allowed}, .openCatalogueFolders = false}});
  EXPECT_EQ(countIn(*confined, inside), 0);
  EXPECT_EQ(confined->Execute("INSERT INTO AlbumItems SELECT * FROM AlbumItems IN \"" + allowed + "/../allowed/old.db\""), 1);
  for (const std::string& refused :
       {plain, outside, PathOf("allowed/link.db"), allowed + "/../outside/old.db", PathOf("allowed/none.db"), allowed,
        PathOf("catalogue.db")}) {
    EXPECT_EQ(countIn(*confined, refused), Jet(3024)) << refused;
    EXPECT_EQ(StatusOf([&] { engine_->ReachableFile(refused); }), Jet(3024)) << refused;
  }
  EXPECT_EQ(engine_->ReachableFile(allowed + "/./old.db"), inside);

  // By default the folders of the open catalogues count as allowed.
  confined->Close();
  engine_->SetLimits({.statementBudget = kDefaultStatementBudget,
                      .externalFiles = {.confined = true, .folders = {}, .openCatalogueFolders = true}});
  auto open = engine_->OpenDatabase(inside);
  EXPECT_EQ(countIn(*open, MakeCatalogue("allowed/sibling.db")), 0);
  EXPECT_EQ(countIn(*open, outside), Jet(3024));
  open->Close();
  EXPECT_EQ(countIn(*engine_->OpenDatabase(outside), inside), Jet(3024));
}

TEST_F(ConfinementTest, TextThatIsNotUtf8IsRefused) {
  const std::string items = RawScalar(path_, "SELECT count(*) FROM AlbumItems");
  EXPECT_EQ(StatusOf([&] { db_->Execute("INSERT INTO AlbumItems (Name) VALUES ('caf\xC3')"); }), Jet(3001));
  EXPECT_EQ(StatusOf([&] { db_->OpenRecordset("SELECT * FROM AlbumItems WHERE Name = '\xC0\xAF'"); }), Jet(3001));
  auto rename = db_->QueryDefs("SetItemName");
  rename->Parameters("new_name").SetValue(Variant(std::string("bad \xED\xA0\x80 surrogate")));
  rename->Parameters("item_id").SetValue(1);
  EXPECT_EQ(StatusOf([&] { rename->Execute(); }), Jet(3001));
  rename->Parameters("new_name").SetValue(Variant(std::string("caf\xC3\xA9 \xF0\x9F\x98\x80")));
  EXPECT_EQ(rename->Execute(), 0);
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM AlbumItems"), items);
}

}  // namespace
}  // namespace albumcore::store::dao::testing
