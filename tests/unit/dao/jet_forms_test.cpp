// Jet SQL forms that need the adapter: crosstabs whose columns are read
// first, @@IDENTITY across recordsets and statements, SELECT INTO and index
// options run as one unit.
#include <gtest/gtest.h>

#include "dao_fixture.h"

namespace albumcore::store::dao::testing {
namespace {

using com::Variant;

class JetFormsTest : public DaoTest {
 protected:
  std::vector<std::string> FieldNames(Recordset& rs) {
    std::vector<std::string> names;
    for (int i = 0; i < rs.FieldCount(); ++i) names.push_back(rs.Fields(i).Name());
    return names;
  }
  // Each row's values, Null as "-", joined by commas; rows by semicolons.
  std::string Rows(Recordset& rs) {
    std::string out;
    for (; !rs.IsEOF(); rs.MoveNext()) {
      for (int i = 0; i < rs.FieldCount(); ++i) {
        const Variant v = rs.GetValue(i);
        out += (i ? "," : "") + (v.isNull() ? std::string("-") : v.ToString());
      }
      out += ";";
    }
    return out;
  }
};

TEST_F(JetFormsTest, CrosstabColumnsAreThePivotValues) {
  RawExec(path_, "INSERT INTO AlbumItems (ItemType, Name, Rating, DateCreated) VALUES (1, 'a', 1, NULL), "
                 "(1, 'A', 2, NULL), (1, 'b', 3, NULL), (2, 'b', 4, NULL), (2, NULL, 5, 45352)");
  auto rs = db_->OpenRecordset("TRANSFORM Sum(Rating) SELECT ItemType FROM AlbumItems GROUP BY ItemType PIVOT Name");
  // Names compare ignoring case, so a and A make one column; Null is "<>".
  EXPECT_EQ(FieldNames(*rs), (std::vector<std::string>{"ItemType", "<>", "a", "b"}));
  EXPECT_EQ(Rows(*rs), "1,-,3,3;2,5,-,4;");
  rs->MoveFirst();  // runs again with the same columns
  EXPECT_EQ(rs->Fields("a").Value(), Variant(3));

  // The values are read with the query's parameters.
  db_->CreateQueryDef("RatingsOfType", "TRANSFORM Count(*) SELECT ItemType FROM AlbumItems WHERE ItemType = [t] "
                                       "GROUP BY ItemType PIVOT Rating");
  auto qd = db_->QueryDefs("RatingsOfType");
  qd->Parameters("t").SetValue(2);
  auto counted = qd->OpenRecordset();
  EXPECT_EQ(FieldNames(*counted), (std::vector<std::string>{"ItemType", "4", "5"}));
  EXPECT_EQ(Rows(*counted), "2,1,1;");
  auto dated = db_->OpenRecordset("TRANSFORM Count(*) SELECT ItemType FROM AlbumItems WHERE DateCreated Is Not Null "
                                  "GROUP BY ItemType PIVOT DateCreated");
  EXPECT_EQ(FieldNames(*dated), (std::vector<std::string>{"ItemType", "3/1/2024"}));
  auto none = db_->OpenRecordset("TRANSFORM Count(*) SELECT ItemType FROM AlbumItems WHERE ItemType = 9 "
                                 "GROUP BY ItemType PIVOT Name");
  EXPECT_EQ(none->FieldCount(), 1);
  EXPECT_TRUE(none->IsEOF());
  EXPECT_EQ(StatusOf([&] { db_->Execute("TRANSFORM Count(*) SELECT ItemType FROM AlbumItems GROUP BY ItemType PIVOT Name"); }),
            Jet(3065));
}

TEST_F(JetFormsTest, CrosstabWithTooManyColumns) {
  RawExec(path_, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 300) "
                 "INSERT INTO AlbumItems (ItemType, Name) SELECT 1, 'name' || i FROM n");
  EXPECT_EQ(StatusOf([&] { db_->OpenRecordset("TRANSFORM Count(*) SELECT ItemType FROM AlbumItems GROUP BY ItemType "
                                              "PIVOT Name"); }),
            Jet(3190));
}

TEST_F(JetFormsTest, TopKeepsRowsTiedOnTheLastPlace) {
  for (const char* name : {"b", "a", "c", "a"}) AddItem(name);
  EXPECT_EQ(Rows(*db_->OpenRecordset("SELECT TOP 1 ItemID, Name FROM AlbumItems ORDER BY Name")), "2,a;4,a;");
}

TEST_F(JetFormsTest, IdentityIsTheLastCounterInserted) {
  auto identity = [&] { return db_->OpenRecordset("SELECT @@IDENTITY")->Fields(0).Value(); };
  EXPECT_EQ(identity(), Variant(0));
  const int id = AddItem("first");  // through a recordset
  EXPECT_EQ(identity(), Variant(id));
  db_->Execute("INSERT INTO AlbumContents (AlbumID, ItemID) VALUES (1, " + std::to_string(id) + ")");
  EXPECT_EQ(identity(), Variant(id));
  db_->Execute("INSERT INTO AlbumItems (Name) VALUES (\"second\")");
  EXPECT_EQ(identity(), Variant(id + 1));
  // Each connection has its own.
  auto other = engine_->OpenDatabase(path_);
  EXPECT_EQ(other->OpenRecordset("SELECT @@IDENTITY")->Fields(0).Value(), Variant(0));
}

TEST_F(JetFormsTest, SelectIntoIsOneUnit) {
  AddItem("a", 1, "12");
  AddItem("b", 2, "abc");
  EXPECT_EQ(db_->Execute("SELECT ItemID, Name, DateCreated, Hidden INTO Copy FROM AlbumItems"), 2);
  EXPECT_EQ(db_->RecordsAffected(), 2);
  auto fields = db_->TableDefs("Copy")->Fields();
  EXPECT_EQ(fields.Item("ItemID")->Type(), dbLong);
  EXPECT_EQ(fields.Item("Name")->Type(), dbText);
  EXPECT_EQ(fields.Item("DateCreated")->Type(), dbDate);
  EXPECT_EQ(fields.Item("Hidden")->Type(), dbBoolean);
  // A row that fails leaves no table behind.
  EXPECT_EQ(StatusOf([&] { db_->Execute("SELECT CLng(Note) AS n INTO Bad FROM AlbumItems"); }), Jet(3464));
  EXPECT_EQ(StatusOf([&] { db_->TableDefs("Bad"); }), Jet(3265));
  EXPECT_EQ(StatusOf([&] { db_->Execute("SELECT Name INTO Copy FROM AlbumItems"); }), Jet(3010));
}

TEST_F(JetFormsTest, IndexOptionsAndCountersMadeByStatements) {
  db_->Execute("CREATE TABLE Tags (Tag TEXT(20), Weight LONG)");
  for (const char* tag : {"b", "a", "c"}) db_->Execute(std::string("INSERT INTO Tags (Tag) VALUES (\"") + tag + "\")");
  db_->Execute("CREATE INDEX PrimaryKey ON Tags (Tag) WITH PRIMARY");
  // A table recordset goes in the order of the primary key it now has.
  auto rs = db_->OpenRecordset("Tags", dbOpenTable);
  EXPECT_EQ(Rows(*rs), "a,-;b,-;c,-;");
  rs->AddNew();
  rs->Fields("Weight").SetValue(1);
  EXPECT_EQ(StatusOf([&] { rs->Update(); }), Jet(3058));
  rs->CancelUpdate();
  rs->Close();
  // A table rebuilt for ALTER COLUMN keeps its primary index and its guard.
  db_->Execute("ALTER TABLE Tags ALTER COLUMN Weight DOUBLE");
  EXPECT_EQ(Rows(*db_->OpenRecordset("Tags", dbOpenTable)), "a,-;b,-;c,-;");
  EXPECT_EQ(StatusOf([&] { db_->Execute("INSERT INTO Tags (Weight) VALUES (2)"); }), Jet(3058));

  // An index that cannot be made is not half made.
  db_->Execute("INSERT INTO Tags (Tag) VALUES (\"d\")");
  EXPECT_EQ(StatusOf([&] { db_->Execute("CREATE INDEX ixWeight ON Tags (Weight) WITH DISALLOW NULL"); }), Jet(3058));
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM sqlite_schema WHERE name LIKE '%ixWeight%'"), "0");

  // A counter's seed holds for recordsets too.
  db_->Execute("CREATE TABLE Seeded (ID COUNTER(1000, 1), Label TEXT)");
  auto seeded = db_->OpenRecordset("Seeded", dbOpenTable);
  seeded->AddNew();
  seeded->Fields("Label").SetValue("x");
  seeded->Update();
  EXPECT_EQ(seeded->Fields("ID").Value(), Variant(1000));
}

}  // namespace
}  // namespace albumcore::store::dao::testing
