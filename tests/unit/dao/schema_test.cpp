#include <gtest/gtest.h>

#include "dao_fixture.h"

namespace albumcore::store::dao::testing {
namespace {

using com::Variant;

class SchemaTest : public DaoTest {};

TEST_F(SchemaTest, CreateTableAndAddFields) {
  auto names = db_->TableDefs().Names();
  EXPECT_EQ(names, (std::vector<std::string>{"AlbumContents", "AlbumItems"}));  // no system tables

  auto td = db_->CreateTableDef("DeviceItems");
  const auto add = [&](const char* name, int type, int size, bool required, bool zeroLength = false) {
    auto f = td->CreateField(name, type, size);
    if (std::string(name) == "ID") f->SetAttributes(dbAutoIncrField);
    f->SetRequired(required);
    f->SetAllowZeroLength(zeroLength);
    td->Fields().Append(f);
  };
  add("ID", dbLong, 0, true);
  add("ItemID", dbLong, 0, true);
  add("BackupPath", dbMemo, 0, false, true);
  add("Label", dbText, 10, false);
  add("SyncDate", dbDate, 0, false);
  EXPECT_EQ(StatusOf([&] { td->Fields().Append(td->CreateField("itemid", dbLong)); }), Jet(3191));
  db_->TableDefs().Append(td);
  EXPECT_EQ(StatusOf([&] { db_->TableDefs().Append(db_->CreateTableDef("DeviceItems")); }), Jet(3010));

  auto rs = db_->OpenRecordset("DeviceItems", dbOpenTable);
  rs->AddNew();
  rs->Fields("ItemID").SetValue(5);
  rs->Fields("BackupPath").SetValue("");
  rs->Update();
  EXPECT_EQ(rs->Fields("ID").Value(), Variant(1));
  rs->AddNew();
  rs->Fields("ItemID").SetValue(6);
  rs->Fields("Label").SetValue("");
  EXPECT_EQ(StatusOf([&] { rs->Update(); }), Jet(3315));
  rs->Fields("Label").SetValue(Variant::Null());
  rs->Update();
  rs->AddNew();
  EXPECT_EQ(StatusOf([&] { rs->Update(); }), Jet(3314));  // ItemID is required
  rs->CancelUpdate();

  // A field appended to an existing table adds the column.
  auto albums = db_->TableDefs("albumitems");
  auto type = albums->CreateField("AlbumType", dbLong);
  type->SetDefaultValue(Variant(0));
  albums->Fields().Append(type);
  EXPECT_EQ(StatusOf([&] { albums->Fields().Append(albums->CreateField("AlbumType", dbLong)); }), Jet(3191));
  EXPECT_EQ(db_->TableDefs("AlbumItems")->Fields().Item("AlbumType")->Type(), dbLong);
  auto fields = db_->TableDefs("DeviceItems")->Fields();
  EXPECT_EQ(fields.Count(), 5);  // read back from the file
  EXPECT_TRUE(fields.Item("ItemID")->Required());
  EXPECT_TRUE(fields.Item("BackupPath")->AllowZeroLength());
  EXPECT_FALSE(fields.Item("Label")->AllowZeroLength());
  EXPECT_EQ(fields.Item("Label")->Size(), 10);
  EXPECT_EQ(fields.Item("ID")->Attributes() & dbAutoIncrField, dbAutoIncrField);
  EXPECT_EQ(StatusOf([&] { db_->TableDefs("Nope"); }), Jet(3265));

  // ALTER COLUMN reports no changed rows (table_rebuild_test.cpp has the rest).
  EXPECT_EQ(db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN ItemDataMoniker TEXT(255);"), 0);
}

TEST_F(SchemaTest, RelationCascadesDeletes) {
  RawExec(path_, "CREATE TABLE DeviceItems (ID INTEGER PRIMARY KEY AUTOINCREMENT, ItemID INTEGER NOT NULL)");
  auto make = [&] {
    auto rel = db_->CreateRelation("Rel1", "AlbumItems", "DeviceItems", dbRelationDeleteCascade);
    auto f = rel->CreateField("ItemID");
    f->SetForeignName("ItemID");
    rel->Fields().Append(f);
    return rel;
  };
  db_->Relations().Append(make());
  EXPECT_EQ(StatusOf([&] { db_->Relations().Append(make()); }), Jet(3012));
  EXPECT_EQ(db_->Relations("rel1")->ForeignTable(), "DeviceItems");

  const int a = AddItem("a");
  const int b = AddItem("b");
  db_->Execute("INSERT INTO DeviceItems (ItemID) VALUES (" + std::to_string(a) + ")");
  db_->Execute("INSERT INTO DeviceItems (ItemID) VALUES (" + std::to_string(b) + ")");
  EXPECT_EQ(StatusOf([&] { db_->Execute("INSERT INTO DeviceItems (ItemID) VALUES (999)"); }), Jet(3201));
  db_->Execute("DELETE * FROM AlbumItems WHERE ItemID = " + std::to_string(a));
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(ItemID) FROM DeviceItems"), std::to_string(b));

  // A foreign key written in the table's definition counts as the relation.
  RawExec(path_, "CREATE TABLE Notes (NoteID INTEGER PRIMARY KEY, ItemID INTEGER REFERENCES AlbumItems (ItemID))");
  auto declared = db_->CreateRelation("RelNotes", "AlbumItems", "Notes");
  auto f = declared->CreateField("ItemID");
  f->SetForeignName("ItemID");
  declared->Fields().Append(f);
  EXPECT_EQ(StatusOf([&] { db_->Relations().Append(declared); }), Jet(3012));
}

}  // namespace
}  // namespace albumcore::store::dao::testing
