// What the translator learns from a live schema, Jet DDL round trips, and the
// loadable extension on a connection that knows nothing else of ours.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <filesystem>

#include "jetsql_fixture.h"
#include "store/jetsql/connection.h"

namespace albumcore::store::jetsql::testing {
namespace {

TEST(SchemaCatalogTest, DeclaredTypesMapToJetTypes) {
  int64_t size = 0;
  EXPECT_EQ(JetTypeFromDeclared("TEXT(255)", false, &size), JetType::Text);
  EXPECT_EQ(size, 255);
  EXPECT_EQ(JetTypeFromDeclared("YESNO INTEGER NOT NULL", false), JetType::YesNo);
  EXPECT_EQ(JetTypeFromDeclared("LONGBINARY BLOB", false), JetType::Binary);
  EXPECT_EQ(JetTypeFromDeclared("SHORT INTEGER", false), JetType::Integer);
  EXPECT_EQ(JetTypeFromDeclared("", false), JetType::Unknown);
  EXPECT_TRUE(HasTextAffinity("LONGTEXT"));
  EXPECT_FALSE(HasTextAffinity("DATETIME DOUBLE"));
  EXPECT_FALSE(HasTextAffinity("POINT"));  // neither TEXT nor CHAR: not text affinity
}

TEST(SchemaCatalogTest, ReadsColumnsCollationsAndFollowsSchemaChanges) {
  CatalogueDb db;
  SqliteSchemaCatalog catalog(db.db());
  auto items = catalog.FindTable("albumitems");
  ASSERT_TRUE(items);
  const ColumnInfo* name = items->FindColumn("NAME");
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->collation, "JETNOCASE");
  EXPECT_EQ(items->FindColumn("ItemDataMoniker")->collation, "BINARY");
  EXPECT_EQ(items->FindColumn("ItemID")->type, JetType::Counter);
  db.Raw("CREATE TABLE \"Übersicht\" (x INTEGER)");
  EXPECT_NE(catalog.FindTable("üBERSICHT"), nullptr);  // case beyond ASCII
  const auto before = catalog.FindTable("Albums");
  EXPECT_EQ(before->FindColumn("Later"), nullptr);
  db.Raw("ALTER TABLE Albums ADD COLUMN Later DATETIME DOUBLE");
  EXPECT_EQ(catalog.FindTable("Albums")->FindColumn("Later")->type, JetType::Date);
}

TEST(SchemaCatalogTest, ExternalFilesThatAreNotCatalogues) {
  CatalogueDb db;
  const auto path = std::filesystem::temp_directory_path() / ("jetsql_notadb_" + std::to_string(::getpid()));
  {
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("this is not a database file, just some text that is long enough to have a header", f);
    std::fclose(f);
  }
  EXPECT_EQ(StatusOf([&] { db.Translate("SELECT * FROM AlbumItems IN \"" + path.string() + "\""); }), com::JetError(3343));
  std::filesystem::remove(path);
}

TEST(DdlTest, JetTypesSurviveTheRoundTrip) {
  CatalogueDb db;
  db.Exec("CREATE TABLE T (ID COUNTER, A TEXT(40) NOT NULL, B MEMO, C LONG, D SHORT, E BYTE, F DOUBLE, G SINGLE, "
          "H CURRENCY, I DATETIME, J YESNO, K LONGBINARY, L GUID, CONSTRAINT pk PRIMARY KEY (ID))");
  SqliteSchemaCatalog catalog(db.db());
  const auto t = catalog.FindTable("T");
  ASSERT_TRUE(t);
  const JetType expected[] = {JetType::Counter, JetType::Text,     JetType::Memo,   JetType::Long,
                              JetType::Integer, JetType::Byte,     JetType::Double, JetType::Single,
                              JetType::Currency, JetType::Date,    JetType::YesNo,  JetType::Binary,
                              JetType::Guid};
  ASSERT_EQ(t->columns.size(), std::size(expected));
  for (size_t i = 0; i < t->columns.size(); ++i) EXPECT_EQ(t->columns[i].type, expected[i]) << t->columns[i].name;
  db.Exec("CREATE UNIQUE INDEX ByA ON T (A DESC)");
  db.Exec("INSERT INTO T (A) VALUES (\"x\")");
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO T (A) VALUES (\"x\")"); }), com::JetError(3022));
  EXPECT_EQ(StatusOf([&] { db.Exec("CREATE TABLE U (A WIDGET)"); }), com::JetError(3290));
  db.Exec("DROP INDEX ByA ON T");
  db.Exec("ALTER TABLE T DROP COLUMN L");
  db.Exec("DROP TABLE T");
  EXPECT_EQ(StatusOf([&] { db.Exec("DROP TABLE T"); }), com::JetError(3078));
}

TEST(LogicValuesTest, NullFollowsJetRules) {
  CatalogueDb db;
  EXPECT_EQ(db.Query("SELECT Null And False, Null And True, Null Or True, Null Or False"),
            (Rows{{"0", "NULL", "-1", "NULL"}}));
  EXPECT_EQ(db.Query("SELECT True Eqv True, True Eqv False, True Imp False, Null Imp True, 12 Xor 10"),
            (Rows{{"-1", "0", "0", "-1", "6"}}));
  // In a condition, Null is simply not true.
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Rating > 2 Or Rating Is Null ORDER BY ItemID"),
            (Rows{{"1"}, {"2"}, {"3"}}));
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Not (Rating > 2) ORDER BY ItemID"), (Rows{{"4"}, {"5"}}));
}

TEST(SubqueryTest, CorrelatedAndScalarSubqueries) {
  CatalogueDb db;
  EXPECT_EQ(db.Query("SELECT Name FROM AlbumItems AS i WHERE EXISTS (SELECT * FROM AssignedKeywords WHERE "
                     "AssignedKeywords.ItemID = i.ItemID AND KeywordID = 3)"),
            (Rows{{"beach"}}));
  EXPECT_EQ(db.Query("SELECT ItemID, (SELECT Count(*) FROM AssignedKeywords WHERE AssignedKeywords.ItemID = "
                     "AlbumItems.ItemID) AS n FROM AlbumItems WHERE ItemID IN (1, 2) ORDER BY 1"),
            (Rows{{"1", "1"}, {"2", "2"}}));
  EXPECT_EQ(db.Query("SELECT KeywordName FROM Keywords WHERE KeywordName BETWEEN \"A\" AND \"E\" ORDER BY 1"),
            (Rows{{"dog"}}));
}

TEST(ExtensionTest, ShellConnectionsGetTheCollationAndFunctions) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
  sqlite3_enable_load_extension(db, 1);
  char* err = nullptr;
  ASSERT_EQ(sqlite3_load_extension(db, JETSQL_EXTENSION_PATH, nullptr, &err), SQLITE_OK) << (err ? err : "");
  const char* sql =
      "CREATE TABLE k (n TEXT COLLATE JETNOCASE); CREATE INDEX kn ON k(n);"
      "INSERT INTO k VALUES ('Ärger'), ('dog');"
      "CREATE TABLE r AS SELECT (SELECT count(*) FROM k WHERE n = 'ÄRGER') AS a, ('abc' LIKE 'A[a-c]?') AS b,"
      " ('a_' LIKE 'a_') AS c, ('ab' LIKE 'a_') AS d, jet_datepart('yyyy', -1.25) AS e, jet_left('Élan', 1) AS f";
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
  sqlite3_stmt* s = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db, "SELECT a, b, c, d, e, f FROM r", -1, &s, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(s, 0), 1);
  EXPECT_EQ(sqlite3_column_int(s, 1), 1);
  EXPECT_EQ(sqlite3_column_int(s, 3), 0);
  EXPECT_EQ(sqlite3_column_int(s, 4), 1899);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(s, 5)), "É");
  sqlite3_finalize(s);
  sqlite3_free(err);
  sqlite3_close(db);
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
