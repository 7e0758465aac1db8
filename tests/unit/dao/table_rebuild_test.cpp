// Changing tables SQLite cannot change in place: the CREATE TABLE pieces the
// rebuild works from, and ALTER COLUMN through the adapter on a real file.
#include <gtest/gtest.h>

#include "dao_fixture.h"
#include "store/dao/database.h"
#include "store/dao/table_sql.h"

namespace albumcore::store::dao::testing {
namespace {

using com::Variant;

TEST(TableSql, SplitsComparesAndRewritesADefinition) {
  const std::string sql =
      "CREATE TABLE \"Assigned\" (\n"
      "  ItemID  INTEGER NOT NULL,  -- the item\n"
      "  [Field ID] INTEGER CONSTRAINT must NOT NULL REFERENCES Fields (ID) ON DELETE SET NULL NOT DEFERRABLE,\n"
      "  Value   TEXT(255) COLLATE JETNOCASE DEFAULT 'a,b' CHECK (Value <> ''),\n"
      "  PRIMARY KEY (ItemID, [Field ID]) ON CONFLICT IGNORE\n"
      ")";
  auto table = ParseCreateTable(sql);
  ASSERT_TRUE(table);
  EXPECT_EQ(table->name, "Assigned");
  ASSERT_EQ(table->columns.size(), 3u);
  EXPECT_EQ(table->columns[1].name, "Field ID");
  EXPECT_EQ(table->columns[1].constraints,
            (std::vector<std::string>{"CONSTRAINT must NOT NULL",
                                      "REFERENCES Fields (ID) ON DELETE SET NULL NOT DEFERRABLE"}));
  EXPECT_EQ(table->columns[2].type, "TEXT(255)");
  EXPECT_EQ(table->columns[2].constraints,
            (std::vector<std::string>{"COLLATE JETNOCASE", "DEFAULT 'a,b'", "CHECK (Value <> '')"}));
  EXPECT_EQ(table->constraints, (std::vector<std::string>{"PRIMARY KEY ( ITEMID , FIELD ID ) ON CONFLICT IGNORE"}));

  // Quoting, case, spacing and comments do not count; sizes, collations,
  // literals and conflict clauses do.
  auto same = ParseCreateTable(
      "create table Assigned (itemid integer not null, \"Field ID\" INTEGER CONSTRAINT must NOT NULL REFERENCES "
      "Fields(ID) ON DELETE SET NULL NOT DEFERRABLE, value text(255) collate jetnocase default 'a,b' check (value <> ''), "
      "Later LONGTEXT, primary key (ItemID, [Field ID]) on conflict ignore)");
  ASSERT_TRUE(same);
  EXPECT_TRUE(table->IsPrefixOf(*same));   // Later is the file's own column
  EXPECT_FALSE(same->IsPrefixOf(*table));  // ... which the other lacks
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"TEXT(255)", "TEXT(50)"}, {"COLLATE JETNOCASE", "COLLATE BINARY"},
           {"DEFAULT 'a,b'", "DEFAULT 'A,B'"}, {"ON CONFLICT IGNORE", ""}}) {
    std::string changed = sql;
    changed.replace(changed.find(from), from.size(), to);
    EXPECT_FALSE(table->IsPrefixOf(*ParseCreateTable(changed))) << to;
  }

  // Rewriting keeps comments, swaps the name, replaces and adds columns.
  EXPECT_EQ(table->Rewrite("Assigned__new", {{2, "Value LONGTEXT"}}, {"Extra INTEGER"}),
            "CREATE TABLE \"Assigned__new\" (\n"
            "  ItemID  INTEGER NOT NULL,  -- the item\n"
            "  [Field ID] INTEGER CONSTRAINT must NOT NULL REFERENCES Fields (ID) ON DELETE SET NULL NOT DEFERRABLE,\n"
            "  Value LONGTEXT, Extra INTEGER,\n"
            "  PRIMARY KEY (ItemID, [Field ID]) ON CONFLICT IGNORE\n"
            ")");

  EXPECT_FALSE(ParseCreateTable("CREATE TABLE t AS SELECT 1"));
  EXPECT_FALSE(ParseCreateTable("CREATE TABLE t (a TEXT DEFAULT 'unterminated)"));
  EXPECT_FALSE(ParseCreateTable("CREATE INDEX i ON t (a)"));
}

class AlterColumnTest : public DaoTest {
 protected:
  void SetUp() override {
    DaoTest::SetUp();
    RawExec(path_,
            "CREATE INDEX AlbumItems_Moniker ON AlbumItems (ItemDataMoniker);"
            "CREATE TABLE Log (ItemID INTEGER);"
            "CREATE TRIGGER AlbumItems_Logged AFTER DELETE ON AlbumItems BEGIN INSERT INTO Log VALUES (OLD.ItemID); END;");
  }
  std::string TableSql(const std::string& table) {
    return RawScalar(path_, "SELECT sql FROM sqlite_schema WHERE name = '" + table + "'");
  }
};

TEST_F(AlterColumnTest, WideningChangesTheDeclaredSizeAndKeepsRowsIndexesTriggersAndTheCounter) {
  RawExec(path_, "CREATE TABLE Ids (ID INTEGER PRIMARY KEY AUTOINCREMENT, FileUniqueID TEXT(50) COLLATE BINARY)");
  db_->Execute("INSERT INTO Ids (FileUniqueID) VALUES (\"a\")");
  db_->Execute("INSERT INTO Ids (FileUniqueID) VALUES (\"b\")");
  db_->Execute("DELETE * FROM Ids WHERE ID = 2");
  auto write = [&](int length) {
    auto rs = db_->OpenRecordset("Ids", dbOpenTable);
    rs->AddNew();
    rs->Fields("FileUniqueID").SetValue(std::string(static_cast<size_t>(length), 'f'));
    rs->Update();
  };
  EXPECT_EQ(StatusOf([&] { write(51); }), Jet(3163));

  db_->Execute("ALTER TABLE Ids ALTER COLUMN FileUniqueID TEXT(255);");
  write(255);
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(ID || ':' || length(FileUniqueID)) FROM Ids"), "1:1,3:255");
  EXPECT_NE(TableSql("Ids").find("FileUniqueID TEXT(255) COLLATE BINARY"), std::string::npos);
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM Ids WHERE FileUniqueID = 'A'"), "0");  // still exact

  // Another table: its index and trigger survive, its rows keep their IDs.
  const int a = AddItem("a"), b = AddItem("b");
  EXPECT_EQ(StatusOf([&] { db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN ItemDataMoniker LONGTEXT NOT NULL;"); }),
            Jet(3314));  // the monikers are not set yet
  db_->Execute("UPDATE AlbumItems SET ItemDataMoniker = \"file::/\" & Name");
  db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN ItemDataMoniker LONGTEXT NOT NULL;");
  EXPECT_NE(TableSql("AlbumItems").find("ItemDataMoniker LONGTEXT NOT NULL"), std::string::npos);
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM sqlite_schema WHERE name IN ('AlbumItems_Moniker', 'AlbumItems_Logged')"),
            "2");
  db_->Execute("DELETE * FROM AlbumItems WHERE ItemID = " + std::to_string(a));
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(ItemID) FROM Log"), std::to_string(a));
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(ItemID) FROM AlbumItems"), std::to_string(b));
  db_->Execute("INSERT INTO AlbumItems (ItemDataMoniker, Name) VALUES (\"file::/c\", \"c\")");
  EXPECT_EQ(RawScalar(path_, "SELECT ItemID FROM AlbumItems WHERE Name = 'c'"), std::to_string(b + 1));
  EXPECT_EQ(RawScalar(path_, "PRAGMA integrity_check"), "ok");
}

TEST_F(AlterColumnTest, AChangeThatWouldLoseValuesFailsAndLeavesTheTableAsItWas) {
  AddItem("a long name");
  AddItem("short");
  const std::string before = TableSql("AlbumItems");
  EXPECT_EQ(StatusOf([&] { db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN Name TEXT(5)"); }), Jet(3163));
  EXPECT_EQ(StatusOf([&] { db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN Name LONG"); }), Jet(3421));
  EXPECT_EQ(StatusOf([&] { db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN Nope TEXT(5)"); }), Jet(3265));
  EXPECT_EQ(StatusOf([&] { db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN Name COUNTER"); }), Jet(3251));
  EXPECT_EQ(TableSql("AlbumItems"), before);
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(Name) FROM AlbumItems"), "a long name,short");

  // Values the new type holds are converted; an unchanged definition runs nothing.
  db_->Execute("UPDATE AlbumItems SET Note = \"12\"");
  db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN Note LONG");
  EXPECT_EQ(RawScalar(path_, "SELECT group_concat(typeof(Note)) FROM AlbumItems"), "integer,integer");
  const std::string altered = TableSql("AlbumItems");
  db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN Note LONG");
  EXPECT_EQ(TableSql("AlbumItems"), altered);
  EXPECT_EQ(db_->OpenRecordset("SELECT Note FROM AlbumItems")->Fields(0).Value(), Variant(12));
}

TEST_F(AlterColumnTest, InsideATransactionOnlyTablesNoForeignKeyNamesCanChange) {
  RawExec(path_, "CREATE TABLE Devices (ID INTEGER PRIMARY KEY, ItemID INTEGER REFERENCES AlbumItems (ItemID) ON DELETE CASCADE)");
  const int item = AddItem("kept");
  RawExec(path_, "INSERT INTO Devices (ItemID) VALUES (" + std::to_string(item) + ")");
  {
    Transaction transaction(*db_);
    // Dropping AlbumItems with foreign keys on would cascade to Devices.
    EXPECT_EQ(StatusOf([&] { db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN Name TEXT(100)"); }), Jet(3219));
    db_->Execute("ALTER TABLE AlbumContents ALTER COLUMN SortOrder DOUBLE");
  }  // rolled back
  EXPECT_EQ(RawScalar(path_, "SELECT type FROM pragma_table_info('AlbumContents') WHERE name = 'SortOrder'"), "INTEGER");
  db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN Name TEXT(100)");
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM Devices"), "1");
  // The adapter's connection has its foreign keys back on.
  EXPECT_EQ(StatusOf([&] { db_->Execute("INSERT INTO Devices (ItemID) VALUES (999)"); }), Jet(3201));
}

}  // namespace
}  // namespace albumcore::store::dao::testing
