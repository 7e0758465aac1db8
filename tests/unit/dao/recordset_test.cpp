#include <gtest/gtest.h>

#include "dao_fixture.h"

namespace albumcore::store::dao::testing {
namespace {

using com::Variant;

class RecordsetTest : public DaoTest {};

TEST_F(RecordsetTest, ValuesComeBackTypedByColumn) {
  RawExec(path_,
          "INSERT INTO AlbumItems (ItemID, ItemType, ItemDataMoniker, Name, DateCreated, Hidden, Note, Rating, Thumb) "
          "VALUES (7, 3, 'file::/a.jpg', 'Beach', 45000.5, -1, '00123', 4, x'0102')");
  auto rs = db_->OpenRecordset("SELECT * FROM AlbumItems");
  ASSERT_FALSE(rs->IsEOF());
  EXPECT_EQ(rs->Fields("ItemID").Value(), Variant(7));
  EXPECT_EQ(rs->Fields("itemtype").Value().vt(), com::VT_I4);
  EXPECT_EQ(rs->Fields("DateCreated").Value(), Variant::Date(45000.5));
  EXPECT_EQ(rs->Fields("Hidden").Value(), Variant::Bool(true));
  EXPECT_EQ(rs->Fields("Note").Value(), Variant("00123"));  // memo keeps its text
  EXPECT_EQ(rs->Fields("Rating").Value(), Variant::I2(4));
  const Variant thumb = rs->Fields("Thumb").Value();
  ASSERT_TRUE(thumb.isArray());
  EXPECT_EQ(thumb.array().elements<uint8_t>(), (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(rs->Fields(3).Name(), "Name");

  RawExec(path_, "UPDATE AlbumItems SET Name = NULL");
  rs->Requery();
  EXPECT_TRUE(rs->Fields("Name").Value().isNull());
  EXPECT_EQ(StatusOf([&] { rs->Fields("NoSuchField"); }), Jet(3265));

  // Expressions come back as the translator types them.
  auto calc = db_->OpenRecordset("SELECT Count(*) AS N, 2.5 * 2 AS X, DateCreated + 1 AS D, Hidden = 0 AS F FROM AlbumItems");
  EXPECT_EQ(calc->Fields("N").Value(), Variant(1));
  EXPECT_EQ(calc->Fields("X").Value(), Variant(5.0));
  EXPECT_EQ(calc->Fields("D").Value(), Variant::Date(45001.5));
  EXPECT_EQ(calc->Fields("F").Value(), Variant::Bool(false));
}

TEST_F(RecordsetTest, MovesAndCounts) {
  for (int i = 0; i < 5; ++i) AddItem("item" + std::to_string(i));
  auto rs = db_->OpenRecordset("SELECT ItemID, Name FROM AlbumItems ORDER BY ItemID");
  EXPECT_EQ(rs->RecordCount(), 1);  // rows reached so far
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 5);
  EXPECT_EQ(rs->Fields("Name").Value(), Variant("item4"));
  rs->MoveFirst();
  std::vector<std::string> names;
  while (!rs->IsEOF()) {
    names.push_back(rs->Fields("Name").Value().bstr().str());
    rs->MoveNext();
  }
  EXPECT_EQ(names, (std::vector<std::string>{"item0", "item1", "item2", "item3", "item4"}));
  EXPECT_EQ(StatusOf([&] { rs->Fields("Name").Value(); }), Jet(3021));
  EXPECT_EQ(StatusOf([&] { rs->MoveNext(); }), Jet(3021));
  rs->MovePrevious();
  EXPECT_EQ(rs->Fields("Name").Value(), Variant("item4"));
  rs->MoveFirst();
  rs->MovePrevious();
  EXPECT_TRUE(rs->IsBOF());
  EXPECT_EQ(StatusOf([&] { rs->Fields(0).Value(); }), Jet(3021));

  auto empty = db_->OpenRecordset("SELECT * FROM AlbumItems WHERE ItemType = 99");
  EXPECT_TRUE(empty->IsEOF());
  EXPECT_TRUE(empty->IsBOF());
  empty->MoveLast();
  EXPECT_EQ(empty->RecordCount(), 0);
  EXPECT_EQ(StatusOf([&] { empty->MoveNext(); }), Jet(3021));
}

TEST_F(RecordsetTest, AddNewGivesTheKeyAndEditDeleteChangeRows) {
  auto rs = db_->OpenRecordset("AlbumItems", dbOpenTable);
  EXPECT_TRUE(rs->IsEOF());
  rs->AddNew();
  const Variant early = rs->Fields("ItemID").Value();  // read before Update, as Jet assigns it
  rs->Fields("Name").SetValue("First");
  rs->Fields("ItemType").SetValue(Variant("5"));  // text converts to the column's type
  rs->Fields("DateCreated").SetValue(Variant::Date(45123.25));
  rs->Update();
  EXPECT_EQ(rs->Fields("ItemID").Value(), early);
  EXPECT_EQ(rs->LastModified(), early.i4());
  EXPECT_EQ(rs->Fields("Hidden").Value(), Variant::Bool(false));  // column default
  EXPECT_EQ(rs->Fields("ItemType").Value(), Variant(5));

  rs->AddNew();
  rs->Fields("Name").SetValue("Second");
  rs->Update();
  const int second = rs->Fields("ItemID").Value().i4();
  EXPECT_EQ(second, early.i4() + 1);

  EXPECT_EQ(StatusOf([&] { rs->AddNew(); rs->Fields("ItemType").SetValue("abc"); }), Jet(3421));
  EXPECT_EQ(StatusOf([&] { rs->Fields("ItemDataMoniker").SetValue(std::string(256, 'x')); }), Jet(3163));
  rs->CancelUpdate();

  auto dyn = db_->OpenRecordset("SELECT * FROM AlbumItems WHERE Name = 'Second'");
  dyn->Edit();
  dyn->Fields("Note").SetValue("changed");
  dyn->Update();
  EXPECT_EQ(dyn->Fields("Note").Value(), Variant("changed"));
  EXPECT_EQ(RawScalar(path_, "SELECT Note FROM AlbumItems WHERE ItemID = " + std::to_string(second)), "changed");

  dyn->Delete();
  EXPECT_EQ(StatusOf([&] { dyn->Fields("Note").Value(); }), Jet(3167));
  dyn->MoveNext();
  EXPECT_TRUE(dyn->IsEOF());
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM AlbumItems"), "1");

  EXPECT_EQ(StatusOf([&] { dyn->Fields("Note").SetValue("x"); }), Jet(3020));
}

TEST_F(RecordsetTest, DeleteWhileWalkingVisitsEveryRowOnce) {
  for (int i = 0; i < 6; ++i) AddItem("n" + std::to_string(i), i % 2);
  auto rs = db_->OpenRecordset("SELECT * FROM AlbumItems ORDER BY ItemID");
  int visited = 0;
  while (!rs->IsEOF()) {
    ++visited;
    if (rs->Fields("ItemType").Value().i4() == 1) rs->Delete();
    rs->MoveNext();
  }
  EXPECT_EQ(visited, 6);
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(Name) FROM AlbumItems"), "n0,n2,n4");
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 3);
}

TEST_F(RecordsetTest, ConstraintFailuresKeepTheSessionUsable) {
  AddItem("a");
  auto contents = db_->OpenRecordset("AlbumContents", dbOpenTable);
  contents->AddNew();
  contents->Fields("AlbumID").SetValue(1);
  contents->Fields("ItemID").SetValue(1);
  contents->Update();
  contents->AddNew();
  contents->Fields("AlbumID").SetValue(1);
  contents->Fields("ItemID").SetValue(1);
  EXPECT_EQ(StatusOf([&] { contents->Update(); }), Jet(3022));
  EXPECT_EQ(contents->EditMode(), dbEditAdd);  // still editing, as after any failed Update
  contents->Fields("ItemID").SetValue(2);
  contents->Update();

  auto items = db_->OpenRecordset("AlbumItems", dbOpenTable);
  items->AddNew();
  items->Fields("Hidden").SetValue(Variant::Null());
  EXPECT_EQ(StatusOf([&] { items->Update(); }), Jet(3314));
  items->CancelUpdate();
  EXPECT_EQ(db_->Execute("UPDATE AlbumItems SET Name = 'b'"), 1);
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM AlbumContents"), "2");
}

TEST_F(RecordsetTest, JoinsAggregatesAndExpressionsAreReadOnly) {
  const int id = AddItem("x");
  RawExec(path_, "INSERT INTO AlbumContents (AlbumID, ItemID) VALUES (1, " + std::to_string(id) + ")");
  for (const char* sql : {"SELECT AlbumItems.Name, AlbumContents.AlbumID FROM AlbumContents INNER JOIN AlbumItems "
                          "ON AlbumContents.ItemID = AlbumItems.ItemID",
                          "SELECT ItemType FROM AlbumItems GROUP BY ItemType", "SELECT DISTINCT Name FROM AlbumItems",
                          "SELECT Name, Len(Name) AS L FROM AlbumItems"}) {
    auto rs = db_->OpenRecordset(sql);
    ASSERT_FALSE(rs->IsEOF()) << sql;
    EXPECT_FALSE(rs->Updatable()) << sql;
    EXPECT_EQ(StatusOf([&] { rs->Edit(); }), Jet(3027)) << sql;
    EXPECT_EQ(StatusOf([&] { rs->AddNew(); }), Jet(3027)) << sql;
    EXPECT_EQ(StatusOf([&] { rs->Delete(); }), Jet(3027)) << sql;
  }
  EXPECT_FALSE(db_->OpenRecordset("SELECT * FROM AlbumItems", dbOpenSnapshot)->Updatable());
}

TEST_F(RecordsetTest, UpdatableWhenEveryColumnShowsOneTable) {
  AddItem("b");
  AddItem("a");
  auto rs = db_->OpenRecordset("SELECT TOP 5 S.Name AS Title, S.ItemID FROM AlbumItems AS S WHERE S.ItemType = 1 "
                               "ORDER BY S.Name");
  ASSERT_TRUE(rs->Updatable());
  EXPECT_EQ(rs->Fields("Title").Value(), Variant("a"));
  rs->Edit();
  rs->Fields("Title").SetValue("c");
  rs->Update();
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(Name) FROM (SELECT Name FROM AlbumItems ORDER BY ItemID)"), "b,c");
  rs->FindFirst("Name = 'B'");
  ASSERT_FALSE(rs->NoMatch());
  EXPECT_EQ(rs->Fields("Title").Value(), Variant("b"));
  rs->Close();  // ends its read, so that the view made below is seen

  // A view has no rowid to find its rows by: it opens, read-only.
  RawExec(path_, "CREATE VIEW Named AS SELECT ItemID, Name FROM AlbumItems");
  auto view = db_->OpenRecordset("SELECT * FROM Named ORDER BY Name");
  EXPECT_FALSE(view->Updatable());
  EXPECT_EQ(view->Fields("Name").Value(), Variant("b"));
  view->Close();
  // A table-type recordset lists rows in key order.
  RawExec(path_, "INSERT INTO AlbumContents (AlbumID, ItemID) VALUES (2, 1), (1, 2)");
  auto contents = db_->OpenRecordset("AlbumContents", dbOpenTable);
  EXPECT_EQ(contents->Fields("AlbumID").Value(), Variant(1));
  EXPECT_TRUE(contents->Updatable());
}

TEST_F(RecordsetTest, FindFirstAndRequery) {
  for (const char* n : {"Alpha", "Beta", "Gamma"}) AddItem(n);
  auto rs = db_->OpenRecordset("SELECT * FROM AlbumItems ORDER BY Name DESC");
  rs->FindFirst("Name = 'beta'");  // Jet compares names ignoring case
  ASSERT_FALSE(rs->NoMatch());
  EXPECT_EQ(rs->Fields("Name").Value(), Variant("Beta"));
  rs->MoveNext();
  EXPECT_EQ(rs->Fields("Name").Value(), Variant("Alpha"));
  rs->FindFirst("Name = 'Delta'");
  EXPECT_TRUE(rs->NoMatch());
  EXPECT_EQ(rs->Fields("Name").Value(), Variant("Alpha"));  // a miss leaves the position

  AddItem("Zeta");
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 3);
  rs->Requery();
  rs->MoveLast();
  EXPECT_EQ(rs->RecordCount(), 4);
  rs->MoveFirst();
  EXPECT_EQ(rs->Fields("Name").Value(), Variant("Zeta"));
}

}  // namespace
}  // namespace albumcore::store::dao::testing
