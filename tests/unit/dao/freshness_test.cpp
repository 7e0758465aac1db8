// What the adapter keeps between calls (stored queries, their translations,
// what it learned about prepared statements) must never hide a change.
#include <gtest/gtest.h>

#include <cstdlib>

#include "dao_fixture.h"

namespace albumcore::store::dao::testing {
namespace {

using com::Variant;

class FreshnessTest : public DaoTest {
 protected:
  // Opens GetItemRecord for `id` the way a caller does on every use.
  com::ComPtr<Recordset> GetItem(int id) {
    auto qd = db_->QueryDefs("GetItemRecord");
    qd->Parameters("item_id").SetValue(id);
    return qd->OpenRecordset();
  }
};

// Runs SQLite SQL in a process of its own: the sqlite3 shell, a program
// that shares nothing with this one but the file.
int RunInAnotherProcess(const std::string& path, const std::string& sql) {
  return std::system(("sqlite3 '" + path + "' \"" + sql + "\"").c_str());
}

TEST_F(FreshnessTest, StoredQueryRedefinedByAnotherProcessBetweenTwoCallsIsSeen) {
  const int id = AddItem("Dune", 4);
  // The read-write session reads the WAL index; a read-only one, which
  // cannot, asks the file in a transaction: both must see every change.
  auto readOnly = engine_->OpenDatabase(path_, Access::ReadOnly);
  for (auto* db : {db_.get(), readOnly.get()}) {
    SCOPED_TRACE(db == db_.get() ? "read-write" : "read-only");
    auto call = [&] {
      auto qd = db->QueryDefs("GetItemRecord");
      qd->Parameters("item_id").SetValue(id);
      return qd->OpenRecordset();
    };
    RawExec(path_, "UPDATE MSysQueries SET SQL = 'SELECT * FROM AlbumItems WHERE ItemID = [item_id]' "
                   "WHERE Name = 'GetItemRecord'");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(call()->FieldCount(), 9);

    ASSERT_EQ(RunInAnotherProcess(path_, "UPDATE MSysQueries SET SQL = 'SELECT Name, ItemType * 2 AS T FROM "
                                         "AlbumItems WHERE ItemID = [item_id]' WHERE Name = 'GetItemRecord'"),
              0);
    auto rs = call();
    ASSERT_EQ(rs->FieldCount(), 2);
    EXPECT_EQ(rs->Fields("T").Value(), Variant(8));
  }
  RawExec(path_, "DELETE FROM MSysQueries WHERE Name = 'GetItemRecord'");
  EXPECT_EQ(StatusOf([&] { db_->QueryDefs("GetItemRecord"); }), Jet(3265));
}

TEST_F(FreshnessTest, OwnCommitsKeepTheQueryButAnotherProcessAfterThemIsSeen) {
  const int id = AddItem("Dune", 4);
  EXPECT_EQ(GetItem(id)->FieldCount(), 9);
  // A commit of this connection changes the file, not the query.
  db_->Execute("UPDATE AlbumItems SET ItemType = 5 WHERE ItemID = " + std::to_string(id));
  EXPECT_EQ(GetItem(id)->FieldCount(), 9);
  ASSERT_EQ(RunInAnotherProcess(path_, "UPDATE MSysQueries SET SQL = 'SELECT ItemType * 3 AS T FROM "
                                       "AlbumItems WHERE ItemID = [item_id]' WHERE Name = 'GetItemRecord'"),
            0);
  db_->Execute("UPDATE AlbumItems SET ItemType = 6 WHERE ItemID = " + std::to_string(id));
  EXPECT_EQ(GetItem(id)->Fields("T").Value(), Variant(18));
}

TEST_F(FreshnessTest, StoredQueryWrittenThroughThisConnectionIsSeenAtOnce) {
  const int id = AddItem("Dune", 4);
  EXPECT_EQ(GetItem(id)->FieldCount(), 9);
  db_->QueryDefs("GetItemRecord")->SetSQL("SELECT ItemType * 10 AS T FROM AlbumItems WHERE ItemID = [item_id]");
  EXPECT_EQ(GetItem(id)->Fields("T").Value(), Variant(40));

  db_->QueryDefs().Delete("GetItemRecord");
  db_->CreateQueryDef("GetItemRecord", "SELECT ItemType * 100 AS T FROM AlbumItems WHERE ItemID = [item_id]");
  EXPECT_EQ(GetItem(id)->Fields("T").Value(), Variant(400));
}

TEST_F(FreshnessTest, RolledBackDefinitionsAreGone) {
  {
    Transaction outer(*db_);
    db_->CreateQueryDef("Outer", "SELECT Name FROM AlbumItems");
    EXPECT_EQ(db_->QueryDefs("Outer")->SQL(), "SELECT Name FROM AlbumItems");
    {
      Transaction inner(*db_);
      db_->QueryDefs("Outer")->SetSQL("SELECT ItemID FROM AlbumItems");
      EXPECT_EQ(db_->QueryDefs("Outer")->SQL(), "SELECT ItemID FROM AlbumItems");
    }  // rolls back to the savepoint
    EXPECT_EQ(db_->QueryDefs("Outer")->SQL(), "SELECT Name FROM AlbumItems");
  }
  EXPECT_EQ(StatusOf([&] { db_->QueryDefs("Outer"); }), Jet(3265));
}

TEST_F(FreshnessTest, OwnSchemaChangesReachReopenedRecordsets) {
  const int id = AddItem("Dune", 4);
  EXPECT_EQ(db_->OpenRecordset("SELECT * FROM AlbumItems")->FieldCount(), 9);
  EXPECT_EQ(GetItem(id)->FieldCount(), 9);

  db_->Execute("ALTER TABLE AlbumItems ADD COLUMN Extra TEXT(20)");
  auto rs = db_->OpenRecordset("SELECT * FROM AlbumItems");
  ASSERT_EQ(rs->FieldCount(), 10);
  EXPECT_TRUE(rs->Fields("Extra").Value().isNull());
  rs->Edit();
  rs->Fields("Extra").SetValue(Variant("more"));
  rs->Update();
  EXPECT_EQ(GetItem(id)->Fields("Extra").Value(), Variant("more"));

  // A column added through the table's definition is seen the same way.
  auto table = db_->TableDefs("AlbumItems");
  table->Fields().Append(table->CreateField("Later", 4));
  EXPECT_EQ(db_->OpenRecordset("SELECT * FROM AlbumItems")->FieldCount(), 11);
}

}  // namespace
}  // namespace albumcore::store::dao::testing
