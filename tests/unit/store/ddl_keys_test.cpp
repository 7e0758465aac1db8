// Keys, defaults, counters and index options of Jet DDL, checked by what the
// tables then accept and refuse.
#include <gtest/gtest.h>

#include "jetsql_fixture.h"

namespace albumcore::store::jetsql::testing {
namespace {

class DdlKeysTest : public ::testing::Test {
 protected:
  int32_t ExecStatus(const std::string& jet) {
    return StatusOf([&] { db.Exec(jet); });
  }
  CatalogueDb db;
};

TEST_F(DdlKeysTest, ColumnConstraintsAndDefaults) {
  db.Exec("CREATE TABLE Parent (ID COUNTER CONSTRAINT pkParent PRIMARY KEY, Code TEXT(10) CONSTRAINT uqCode UNIQUE "
          "NOT NULL, Label TEXT DEFAULT \"none\", Flag YESNO DEFAULT Yes, Made DATETIME DEFAULT #1/2/2024#, "
          "Score DOUBLE DEFAULT -1.5, Plain LONG NULL)");
  db.Exec("INSERT INTO Parent (Code) VALUES (\"a\")");
  EXPECT_EQ(db.Query("SELECT ID, Label, Flag, Made, Score, Plain FROM Parent"),
            (Rows{{"1", "none", "-1", "45293", "-1.5", "NULL"}}));
  EXPECT_EQ(ExecStatus("INSERT INTO Parent (Code) VALUES (\"a\")"), com::JetError(3022));
  EXPECT_EQ(ExecStatus("INSERT INTO Parent (Label) VALUES (\"x\")"), com::JetError(3314));

  // Unnamed keys; REFERENCES without fields means the primary key.
  db.Exec("CREATE TABLE Child (A LONG PRIMARY KEY, B LONG UNIQUE REFERENCES Parent, C TEXT(10) NOT NULL)");
  db.Exec("INSERT INTO Child VALUES (1, 1, \"x\")");
  EXPECT_EQ(ExecStatus("INSERT INTO Child VALUES (2, 1, \"y\")"), com::JetError(3022));
  EXPECT_EQ(ExecStatus("INSERT INTO Child VALUES (3, 99, \"y\")"), com::JetError(3201));
  // SQLite would let a primary key field hold Null; Jet's refuses it.
  EXPECT_EQ(ExecStatus("INSERT INTO Child (B, C) VALUES (Null, \"z\")"), com::JetError(3314));
}

TEST_F(DdlKeysTest, TableConstraintsAndForeignKeys) {
  db.Exec("CREATE TABLE Parent (ID LONG, Code TEXT(10), CONSTRAINT pk PRIMARY KEY (ID), CONSTRAINT uq UNIQUE (Code))");
  db.Exec("CREATE TABLE Child (ChildID LONG, ParentID LONG, Code TEXT(10), CONSTRAINT pkChild PRIMARY KEY (ChildID), "
          "CONSTRAINT fkParent FOREIGN KEY (ParentID) REFERENCES Parent (ID) ON DELETE CASCADE, "
          "CONSTRAINT fkCode FOREIGN KEY NO INDEX (Code) REFERENCES Parent (Code) ON UPDATE CASCADE, "
          "CONSTRAINT nn NOT NULL (Code))");
  db.Raw("INSERT INTO Parent VALUES (1, 'a'), (2, 'b'); INSERT INTO Child VALUES (10, 1, 'a'), (11, 2, 'b')");
  EXPECT_EQ(ExecStatus("INSERT INTO Child VALUES (12, 3, \"a\")"), com::JetError(3201));
  EXPECT_EQ(ExecStatus("INSERT INTO Child (ChildID, ParentID) VALUES (13, 1)"), com::JetError(3314));
  EXPECT_EQ(db.Exec("UPDATE Parent SET Code = \"c\" WHERE ID = 2"), 1);
  EXPECT_EQ(db.Scalar("SELECT Code FROM Child WHERE ChildID = 11"), "c");
  EXPECT_EQ(db.Exec("DELETE FROM Parent WHERE ID = 1"), 1);
  EXPECT_EQ(db.Query("SELECT ChildID FROM Child"), (Rows{{"11"}}));
  // A table may reference itself.
  db.Exec("CREATE TABLE Tree (NodeID LONG PRIMARY KEY, ParentID LONG REFERENCES Tree)");
  db.Exec("INSERT INTO Tree VALUES (1, Null)");
  db.Exec("INSERT INTO Tree VALUES (2, 1)");
  EXPECT_EQ(ExecStatus("INSERT INTO Tree VALUES (3, 7)"), com::JetError(3201));
}

TEST_F(DdlKeysTest, DefinitionsJetRefuses) {
  EXPECT_EQ(ExecStatus("CREATE TABLE Albums (X LONG)"), com::JetError(3010));
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A LONG PRIMARY KEY, B LONG PRIMARY KEY)"), com::JetError(3283));
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A LONG, a TEXT)"), com::JetError(3191));
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A LONG, CONSTRAINT u UNIQUE (B))"), com::JetError(3265));
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A LONG REFERENCES Nowhere)"), com::JetError(3078));
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A LONG REFERENCES Albums (Nope))"), com::JetError(3265));
  // What a key references must be a key there.
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A LONG REFERENCES Albums (CustomSort))"), com::JetError(3173));
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A LONG, B LONG, CONSTRAINT f FOREIGN KEY (A, B) REFERENCES Albums (AlbumID))"),
            com::JetError(3289));
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A LONG, CONSTRAINT c CHECK (A > 1))"), com::JetError(3289));
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A LONG DEFAULT Nope)"), com::JetError(3290));
  EXPECT_EQ(ExecStatus("CREATE TABLE T (A COUNTER, B COUNTER)"), com::JetError(3251));
  // Nothing was made by the refused statements.
  EXPECT_EQ(ExecStatus("SELECT * FROM T"), com::JetError(3078));
}

TEST_F(DdlKeysTest, CounterSeedAndStep) {
  db.Exec("CREATE TABLE Seeded (ID COUNTER(100, 1), Label TEXT)");
  db.Exec("INSERT INTO Seeded (Label) VALUES (\"a\")");
  db.Exec("INSERT INTO Seeded (Label) VALUES (\"b\")");
  EXPECT_EQ(db.Query("SELECT ID FROM Seeded ORDER BY ID"), (Rows{{"100"}, {"101"}}));
  db.Exec("CREATE TABLE Other (Num AUTOINCREMENT(5), Label TEXT)");
  db.Exec("INSERT INTO Other (Label) VALUES (\"a\")");
  EXPECT_EQ(db.Scalar("SELECT Num FROM Other"), "5");
  // SQLite's counters count by one from at least 1.
  EXPECT_EQ(ExecStatus("CREATE TABLE Stepped (ID COUNTER(1, 5))"), com::JetError(3251));
  // A primary key beside the counter stays a unique key that refuses Null.
  db.Exec("CREATE TABLE Keyed (ID COUNTER, Code TEXT(5), CONSTRAINT pk PRIMARY KEY (Code))");
  db.Exec("INSERT INTO Keyed (Code) VALUES (\"x\")");
  EXPECT_EQ(ExecStatus("INSERT INTO Keyed (Code) VALUES (\"x\")"), com::JetError(3022));
  EXPECT_EQ(ExecStatus("INSERT INTO Keyed (Code) VALUES (Null)"), com::JetError(3314));
}

TEST_F(DdlKeysTest, IndexThatDisallowsNull) {
  // Item 2 has no rating: the index cannot be made, and nothing of it is.
  EXPECT_EQ(ExecStatus("CREATE INDEX ixRating ON AlbumItems (Rating) WITH DISALLOW NULL"), com::JetError(3058));
  db.Exec("UPDATE AlbumItems SET Rating = 0 WHERE Rating Is Null");
  db.Exec("CREATE INDEX ixRating ON AlbumItems (Rating) WITH DISALLOW NULL");
  EXPECT_EQ(ExecStatus("INSERT INTO AlbumItems (Name) VALUES (\"x\")"), com::JetError(3058));
  EXPECT_EQ(db.Exec("INSERT INTO AlbumItems (Name, Rating) VALUES (\"x\", 1)"), 1);  // duplicates are fine
  db.Exec("DROP INDEX ixRating ON AlbumItems");
  EXPECT_EQ(db.Exec("INSERT INTO AlbumItems (Name) VALUES (\"y\")"), 1);
}

TEST_F(DdlKeysTest, IndexThatIgnoresNull) {
  db.Exec("CREATE UNIQUE INDEX ixNote ON AlbumItems (Note) WITH IGNORE NULL");
  EXPECT_EQ(db.Exec("INSERT INTO AlbumItems (Name) VALUES (\"x\")"), 1);  // a third Null note
  EXPECT_EQ(ExecStatus("INSERT INTO AlbumItems (Name, Note) VALUES (\"y\", \"sand\")"), com::JetError(3022));
  // Rows with a Null are not in the index at all.
  EXPECT_NE(db.RawQuery("SELECT sql FROM sqlite_schema WHERE name = 'ixNote'").at(0).at(0).find(
                "WHERE \"Note\" IS NOT NULL"),
            std::string::npos);
}

TEST_F(DdlKeysTest, PrimaryIndexMadeLater) {
  EXPECT_EQ(ExecStatus("CREATE INDEX PrimaryKey ON AlbumItems (Name) WITH PRIMARY"), com::JetError(3283));
  db.Raw("INSERT INTO SearchResults VALUES (2), (1)");
  db.Exec("CREATE INDEX PrimaryKey ON SearchResults (ItemID) WITH PRIMARY");
  EXPECT_EQ(ExecStatus("INSERT INTO SearchResults VALUES (1)"), com::JetError(3022));
  EXPECT_EQ(ExecStatus("INSERT INTO SearchResults VALUES (Null)"), com::JetError(3058));
  // The schema now shows it as the table's primary key, which keys can reference.
  SqliteSchemaCatalog catalog(db.db());
  EXPECT_TRUE(catalog.FindTable("SearchResults")->columns.at(0).primaryKey);
  EXPECT_EQ(ExecStatus("CREATE INDEX Again ON SearchResults (ItemID) WITH PRIMARY"), com::JetError(3283));
  db.Exec("CREATE TABLE Picked (ItemID LONG REFERENCES SearchResults)");
  EXPECT_EQ(ExecStatus("INSERT INTO Picked VALUES (3)"), com::JetError(3201));
}

TEST_F(DdlKeysTest, AddedColumnsWithKeysAndDefaults) {
  db.Exec("ALTER TABLE Albums ADD COLUMN Code TEXT(10) CONSTRAINT uqAlbumCode UNIQUE");
  db.Exec("ALTER TABLE Albums ADD COLUMN Weight LONG DEFAULT 7");
  db.Exec("UPDATE Albums SET Code = \"a\"");
  EXPECT_EQ(db.Scalar("SELECT Weight FROM Albums"), "7");
  EXPECT_EQ(ExecStatus("INSERT INTO Albums (AlbumID, Code) VALUES (9, \"a\")"), com::JetError(3022));
  EXPECT_EQ(ExecStatus("ALTER TABLE Albums ADD COLUMN Key2 LONG PRIMARY KEY"), com::JetError(3251));
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
