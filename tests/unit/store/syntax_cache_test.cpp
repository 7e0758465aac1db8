// Spellings the lexer and parser accept, statement shapes around tables, and
// the translation cache.
#include <gtest/gtest.h>

#include <cmath>

#include "jetsql_fixture.h"
#include "store/jetsql/lexer.h"

namespace albumcore::store::jetsql::testing {
namespace {

TEST(LexerTest, LiteralsAndNames) {
  const std::string text = "SELECT [Item Name].[a.b], 1.5E3, &HFF, &O17, &HFFFF, #1/2/2024 1:30 PM#, 'it''s', t!c, Mid$(";
  const auto tokens = Tokenize(text);
  ASSERT_GE(tokens.size(), 20u);
  EXPECT_EQ(tokens[1].kind, TokenKind::BracketName);
  EXPECT_EQ(tokens[1].text, "Item Name");
  EXPECT_EQ(tokens[3].text, "a.b");
  EXPECT_EQ(tokens[5].kind, TokenKind::Real);
  EXPECT_EQ(tokens[5].real, 1500.0);
  EXPECT_EQ(tokens[7].integer, 255);
  EXPECT_EQ(tokens[9].integer, 15);
  EXPECT_EQ(tokens[11].integer, -1);  // 16-bit &H literals are signed
  EXPECT_EQ(tokens[13].kind, TokenKind::Date);
  EXPECT_DOUBLE_EQ(tokens[13].real, 45293.0 + 13.5 / 24);
  EXPECT_EQ(tokens[15].text, "it's");
  EXPECT_EQ(tokens[18].text, ".");  // ! separates a table from its column
  EXPECT_EQ(tokens[21].text, "Mid$");
  EXPECT_EQ(tokens[13].pos, text.find('#'));
}

class ShapesTest : public ::testing::Test {
 protected:
  CatalogueDb db;
};

TEST_F(ShapesTest, AliasesInUpdateDeleteAndBangNames) {
  EXPECT_EQ(db.Exec("UPDATE AlbumItems AS i SET i.Rating = 4 WHERE i.ItemID = 2"), 1);
  EXPECT_EQ(db.Scalar("SELECT AlbumItems!Rating FROM AlbumItems WHERE ItemID = 2"), "4");
  EXPECT_EQ(db.Exec("DELETE i.* FROM AlbumContents AS i WHERE i.ItemID = 2"), 1);
  EXPECT_EQ(db.Exec("DELETE FROM AlbumContents c WHERE c.ItemID = 1"), 1);
  EXPECT_EQ(db.Scalar("SELECT Count(*) FROM AlbumContents"), "1");
  EXPECT_EQ(StatusOf([&] { db.Exec("UPDATE AlbumItems AS i SET AlbumItems.Rating = 1"); }), com::JetError(3265));
}

TEST_F(ShapesTest, UnionCoresKeepTheirOwnTop) {
  // Each core keeps its own TOP; the ORDER BY sorts the union.
  const Rows rows = db.Query("SELECT TOP 1 ItemID FROM AlbumItems WHERE ItemType = 2 UNION ALL SELECT TOP 2 ItemID FROM "
                             "AlbumItems WHERE ItemType IN (3, 9) ORDER BY 1 DESC");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (Row{"4"}));
  EXPECT_EQ(db.Query("(SELECT ItemID FROM AlbumItems WHERE ItemID < 3) UNION (SELECT ItemID FROM AlbumItems WHERE ItemID = 2)"
                     " ORDER BY ItemID DESC"),
            (Rows{{"2"}, {"1"}}));
  EXPECT_EQ(StatusOf([&] { db.Query("SELECT ItemID FROM AlbumItems UNION SELECT ItemID, Name FROM AlbumItems"); }),
            com::JetError(3307));
  EXPECT_EQ(StatusOf([&] { db.Query("SELECT ItemID FROM AlbumItems UNION SELECT ItemID FROM AlbumItems ORDER BY Len(Name)"); }),
            com::JetError(3075));
}

TEST_F(ShapesTest, StoredQueriesThatNameThemselvesFail) {
  db.Raw("INSERT INTO StoredQueries VALUES ('Loop', 'SELECT * FROM Loop'), ('Act', 'DELETE * FROM Albums')");
  EXPECT_EQ(StatusOf([&] { db.Query("SELECT * FROM Loop"); }), com::JetError(3075));
  EXPECT_EQ(StatusOf([&] { db.Query("SELECT * FROM Act"); }), com::JetError(3078));
}

TEST_F(ShapesTest, ClockFunctionsReadTheLocalClock) {
  const double now = std::stod(db.Scalar("SELECT Now()"));
  const double today = std::stod(db.Scalar("SELECT Date()"));
  EXPECT_GT(now, 45000.0);
  EXPECT_EQ(today, std::floor(now));
  EXPECT_EQ(db.Scalar("SELECT Year(Now()) >= 2024"), "-1");
}

TEST(TranslatorCacheTest, LeastRecentlyUsedEntriesLeave) {
  CatalogueDb db;
  SqliteSchemaCatalog catalog(db.db());
  Translator translator(catalog, 2);
  auto a = translator.Translate("SELECT 1");
  translator.Translate("SELECT 2");
  EXPECT_EQ(translator.Translate("SELECT 1").get(), a.get());  // hit; now most recent
  translator.Translate("SELECT 3");                            // evicts SELECT 2
  EXPECT_EQ(translator.cacheSize(), 2u);
  EXPECT_EQ(translator.Translate("SELECT 1").get(), a.get());
  const uint64_t misses = translator.cacheMisses();
  translator.Translate("SELECT 2");
  EXPECT_EQ(translator.cacheMisses(), misses + 1);
  // Schema statements are never cached: each run must see the schema of its time.
  translator.Translate("DROP TABLE Albums");
  translator.Translate("DROP TABLE Albums");
  EXPECT_EQ(translator.cacheSize(), 2u);
  // Failures are not cached either, and raise again.
  EXPECT_NE(StatusOf([&] { translator.Translate("SELECT * FROM Nowhere"); }), 0);
  EXPECT_NE(StatusOf([&] { translator.Translate("SELECT * FROM Nowhere"); }), 0);
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
