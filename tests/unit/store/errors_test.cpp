// Failures carry Jet statuses, and hostile text is an error, never a crash.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include "jetsql_fixture.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::store::jetsql::testing {
namespace {

class ErrorsTest : public ::testing::Test {
 protected:
  int32_t TranslateStatus(const std::string& sql) {
    return StatusOf([&] { db.Translate(sql); });
  }
  CatalogueDb db;
};

TEST_F(ErrorsTest, SyntaxAndNameErrors) {
  EXPECT_EQ(TranslateStatus("SELECT ItemID FROM AlbumItems WHERE ItemID = = 1"), com::JetError(3075));
  EXPECT_EQ(TranslateStatus("SELECT \"unterminated FROM AlbumItems"), com::JetError(3075));
  EXPECT_EQ(TranslateStatus("SELECT #13/45/2024#"), com::JetError(3075));
  EXPECT_EQ(TranslateStatus("SELECT * FROM"), com::JetError(3131));
  EXPECT_EQ(TranslateStatus("SELECT * FROM NoSuchTable"), com::JetError(3078));
  EXPECT_EQ(TranslateStatus("SELECT * FROM AlbumItems, albumitems"), com::JetError(3131));
  EXPECT_EQ(TranslateStatus("SELECT * FROM AlbumItems, AlbumItems AS b WHERE b.ItemID = AlbumItems.ItemID"), 0);
  EXPECT_EQ(TranslateStatus("SELECT AlbumItems.NoSuchColumn FROM AlbumItems"), com::JetError(3265));
  EXPECT_EQ(TranslateStatus("SELECT ItemID FROM AlbumItems, PhotoItem"), com::JetError(3079));
  EXPECT_EQ(TranslateStatus("SELECT NoSuchFunction(1)"), com::JetError(3085));
  EXPECT_EQ(TranslateStatus("SELECT Left(\"a\")"), com::JetError(3075));
  EXPECT_EQ(TranslateStatus("INSERT INTO Albums (Nope) VALUES (1)"), com::JetError(3127));
  EXPECT_EQ(TranslateStatus("INSERT INTO Albums (AlbumID) VALUES (1, 2)"), com::JetError(3346));
  EXPECT_EQ(TranslateStatus("DELETE FROM AlbumItems, Albums"), com::JetError(3128));
  EXPECT_EQ(TranslateStatus("SELECT 1 FROM AlbumItems garbage garbage"), com::JetError(3142));
  EXPECT_EQ(TranslateStatus("EXPLAIN SELECT 1"), com::JetError(3129));
}

TEST_F(ErrorsTest, DetailNamesThePosition) {
  try {
    db.Translate("SELECT ItemID FROM AlbumItems WHERE ItemID = = 1");
    FAIL();
  } catch (const com::ComError& e) {
    EXPECT_NE(std::string(e.what()).find("position 45"), std::string::npos) << e.what();
  }
}

TEST_F(ErrorsTest, ConstraintFailuresMapToJetNumbers) {
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO AlbumContents (AlbumID, ItemID) VALUES (3, 1)"); }), com::JetError(3022));
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO AlbumContents (AlbumID, ItemID) VALUES (3, Null)"); }), com::JetError(3314));
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO DeviceItems (ItemID, AlbumID) VALUES (99, 3)"); }), com::JetError(3201));
  EXPECT_EQ(MapSqliteError(SQLITE_BUSY, "database is locked"), com::JetError(3260));
  EXPECT_EQ(MapSqliteError(SQLITE_CORRUPT, "malformed"), com::JetError(3049));
  EXPECT_EQ(MapSqliteError(SQLITE_ERROR, "no such table: x"), com::JetError(3078));
  EXPECT_EQ(MapSqliteError(SQLITE_CONSTRAINT_FOREIGNKEY, "FOREIGN KEY constraint failed", FailingOperation::Delete),
            com::JetError(3200));
}

TEST_F(ErrorsTest, DoubleQuotedNamesNeverBecomeStrings) {
  // With the fallback off, a double-quoted identifier that is no column fails.
  char* err = nullptr;
  EXPECT_NE(sqlite3_exec(db.db(), "SELECT \"NoSuchColumn\" FROM AlbumItems", nullptr, nullptr, &err), SQLITE_OK);
  sqlite3_free(err);
}

TEST_F(ErrorsTest, HostileInputIsAnErrorNotACrash) {
  const std::string deepParens = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_EQ(TranslateStatus("SELECT " + deepParens), com::JetError(3075));
  std::string longChain = "SELECT 1";
  for (int i = 0; i < 5000; ++i) longChain += " + 1";
  EXPECT_EQ(TranslateStatus(longChain), com::JetError(3075));
  std::string deepNot = "SELECT ";
  for (int i = 0; i < 5000; ++i) deepNot += "NOT ";
  EXPECT_EQ(TranslateStatus(deepNot + "1"), com::JetError(3075));
  std::string deepSelect;
  for (int i = 0; i < 500; ++i) deepSelect += "SELECT * FROM (";
  EXPECT_NE(TranslateStatus(deepSelect + "SELECT 1"), 0);
  EXPECT_NE(TranslateStatus(std::string("SELECT 1\0 OR 1", 14)), 0);
  EXPECT_EQ(TranslateStatus(""), com::JetError(3129));
  // Text that repeats itself when emitted is bounded, not exponential.
  std::string aliases = "SELECT 1 AS a0";
  for (int i = 1; i < 64; ++i) aliases += ", a" + std::to_string(i - 1) + " + a" + std::to_string(i - 1) + " AS a" + std::to_string(i);
  EXPECT_EQ(TranslateStatus(aliases), com::JetError(3075));
  std::string quantified = "1";
  for (int i = 0; i < 60; ++i) quantified = "(" + quantified + " > ALL (SELECT 1))";
  EXPECT_EQ(TranslateStatus("SELECT " + quantified), com::JetError(3075));
  std::string crosstab = "TRANSFORM Count(\"" + std::string(70000, 'x') + "\") SELECT 1 GROUP BY 1 PIVOT 1 IN (1)";
  EXPECT_EQ(TranslateStatus(crosstab), com::JetError(3075));
  std::string percents = "SELECT 1";
  for (int i = 0; i < 60; ++i) percents = "SELECT TOP 50 PERCENT * FROM (" + percents + ")";
  EXPECT_EQ(TranslateStatus(percents), com::JetError(3075));
  EXPECT_EQ(TranslateStatus("SELECT 99999999999999999999999999999 * 1e308 * 10"), 0);
  EXPECT_EQ(TranslateStatus("SELECT 1e999"), com::JetError(3075));
  // A NUL inside a literal reaches SQLite intact instead of cutting the statement.
  EXPECT_EQ(db.Scalar(std::string("SELECT Len(\"a\0b\")", 17)), "3");
  EXPECT_EQ(db.Scalar(std::string(500000, ' ') + "SELECT \"" + std::string(200000, 'x') + "\" = \"x\""), "0");
}

TEST_F(ErrorsTest, TextThatIsNotUtf8IsRefusedBeforeParsing) {
  for (const std::string bad : {"SELECT [a\xFF\xFE]", "SELECT \"caf\xC3\"", "SELECT \"\xC0\xAF\"" /* overlong */,
                                "SELECT \"\xED\xA0\x80\"" /* surrogate */, "SELECT \"\xF4\x90\x80\x80\"" /* past U+10FFFF */,
                                "SELECT 1 -- \xE2\x82"})
    EXPECT_EQ(TranslateStatus(bad), com::JetError(3001)) << bad;
  EXPECT_EQ(db.Scalar("SELECT \"caf\xC3\xA9 \xF0\x9F\x98\x80\""), "caf\xC3\xA9 \xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
