#include <gtest/gtest.h>

#include <fstream>

#include "dao_fixture.h"

namespace albumcore::store::dao::testing {
namespace {

using com::Variant;

class QueryTest : public DaoTest {};

TEST_F(QueryTest, StoredQueryParametersBindByName) {
  const int id = AddItem("Sunset", 2);
  AddItem("Sunrise", 2);
  auto qd = db_->QueryDefs("finditems");  // names ignore case
  qd->Parameters("item_name").SetValue("SUNSET");
  qd->Parameters("[item_type]").SetValue(2);  // given out of order, brackets allowed
  auto rs = qd->OpenRecordset();
  ASSERT_FALSE(rs->IsEOF());
  EXPECT_EQ(rs->Fields("ItemID").Value(), Variant(id));
  rs->MoveNext();
  EXPECT_TRUE(rs->IsEOF());

  auto missing = db_->QueryDefs().Item("FindItems");
  missing->Parameters("item_type").SetValue(2);
  EXPECT_EQ(StatusOf([&] { missing->OpenRecordset(); }), Jet(3061));
  EXPECT_EQ(StatusOf([&] { missing->Parameters("nope"); }), Jet(3265));
  EXPECT_EQ(StatusOf([&] { db_->QueryDefs("NoSuchQuery"); }), Jet(3265));
  EXPECT_EQ(StatusOf([&] { db_->Execute("UPDATE AlbumItems SET Name = [x]"); }), Jet(3061));
}

TEST_F(QueryTest, ActionQueriesAndNewDefinitionsAreSeenAtOnce) {
  const int id = AddItem("Old");
  auto set = db_->QueryDefs("SetItemName");
  set->Parameters("new_name").SetValue("New");
  set->Parameters("item_id").SetValue(id);
  EXPECT_EQ(set->Execute(), 1);
  EXPECT_EQ(RawScalar(path_, "SELECT Name FROM AlbumItems"), "New");

  EXPECT_EQ(StatusOf([&] { db_->CreateQueryDef("SetItemName", "DELETE * FROM AlbumItems"); }), Jet(3012));
  db_->CreateQueryDef("CountItems", "SELECT Count(*) AS N FROM AlbumItems WHERE ItemType = [t]");
  auto count = db_->QueryDefs("CountItems");
  count->Parameters("t").SetValue(1);
  EXPECT_EQ(count->OpenRecordset()->Fields("N").Value(), Variant(1));

  // A stored query opens by name like a table; its parameters are then unset.
  EXPECT_EQ(StatusOf([&] { db_->OpenRecordset("GetItemRecord"); }), Jet(3061));
  db_->CreateQueryDef("AllItems", "SELECT Name FROM AlbumItems");
  EXPECT_EQ(db_->OpenRecordset("AllItems")->Fields("Name").Value(), Variant("New"));
}

TEST_F(QueryTest, ExecuteAcrossTwoFilesWithIn) {
  const std::string other = PathOf("old.db");
  CreateCatalogue(other);
  RawExec(other, "INSERT INTO AlbumItems (ItemID, ItemType, Name) VALUES (10, 1, 'a'), (11, 12, 'b'), (12, 1, 'c')");
  EXPECT_EQ(db_->Execute("INSERT INTO AlbumItems SELECT * FROM AlbumItems IN \"" + other + "\";"), 3);
  EXPECT_EQ(db_->Execute("DELETE * FROM AlbumItems WHERE ItemType IN (10, 11, 12, 13, 16);"), 1);
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(ItemID) FROM AlbumItems"), "10,12");
  // The file is detached again, even after a failure.
  EXPECT_NE(StatusOf([&] { db_->Execute("INSERT INTO AlbumItems SELECT * FROM AlbumItems IN \"" + other + "\";"); }),
            0);
  EXPECT_EQ(db_->Execute("INSERT INTO AlbumContents SELECT * FROM AlbumContents IN \"" + other + "\";"), 0);
  EXPECT_EQ(StatusOf([&] { db_->Execute("INSERT INTO AlbumItems SELECT * FROM AlbumItems IN \"" + PathOf("none.db") +
                                        "\";"); }),
            Jet(3024));
}

TEST_F(QueryTest, OpeningFailures) {
  EXPECT_EQ(StatusOf([&] { engine_->OpenDatabase(PathOf("missing.db")); }), Jet(3024));
  std::ofstream(PathOf("text.db")) << "this is not a database file, just some text that is long enough to fill a header";
  EXPECT_EQ(StatusOf([&] { engine_->OpenDatabase(PathOf("text.db")); }), Jet(3343));
  EXPECT_EQ(StatusOf([&] { db_->OpenRecordset("NoSuchTable", dbOpenTable); }), Jet(3011));
  db_->Close();
  EXPECT_EQ(StatusOf([&] { db_->Execute("DELETE * FROM AlbumItems"); }), Jet(3420));
}

}  // namespace
}  // namespace albumcore::store::dao::testing
