// Query forms people who keep Jet databases write: TOP with ties, quantified
// comparisons, saved derived tables, SELECT INTO, updates and deletes over
// joins, @@IDENTITY and crosstabs with their columns listed.
#include <gtest/gtest.h>

#include <filesystem>

#include "jetsql_fixture.h"

namespace albumcore::store::jetsql::testing {
namespace {

class SelectFormsTest : public ::testing::Test {
 protected:
  int32_t Status(const std::string& jet) {
    return StatusOf([&] { db.Query(jet); });
  }
  // The first column of each row, joined by commas.
  std::string Firsts(const std::string& jet, const Params& params = {}) {
    std::string out;
    for (const auto& row : db.Query(jet, params)) out += (out.empty() ? "" : ",") + row.at(0);
    return out;
  }
  CatalogueDb db;
};

TEST_F(SelectFormsTest, TopKeepsRowsTiedWithTheLast) {
  // Item types in order: 2 2 2 3 9.
  EXPECT_EQ(Firsts("SELECT TOP 1 ItemType FROM AlbumItems ORDER BY ItemType"), "2,2,2");
  EXPECT_EQ(Firsts("SELECT TOP 2 ItemID FROM AlbumItems ORDER BY ItemType DESC, ItemID"), "3,4");
  EXPECT_EQ(db.Query("SELECT TOP 2 ItemID FROM AlbumItems").size(), 2u);  // no ORDER BY: no ties
  // Sorted by a field not shown, by position, by a grouped count.
  EXPECT_EQ(Firsts("SELECT TOP 1 Name FROM AlbumItems ORDER BY Size DESC"), "STRASSE");
  EXPECT_EQ(db.Query("SELECT TOP 1 ItemType, Count(*) AS n FROM AlbumItems GROUP BY ItemType ORDER BY 2 DESC"),
            (Rows{{"2", "3"}}));
  // DISTINCT ranks the distinct rows.
  EXPECT_EQ(Firsts("SELECT DISTINCT TOP 2 ItemType FROM AlbumItems ORDER BY ItemType"), "2,3");
  // The sort keeps the column's collation: folded text, not binary order.
  EXPECT_EQ(Firsts("SELECT TOP 1 Name FROM AlbumItems ORDER BY Name"), "beach");
}

TEST_F(SelectFormsTest, TopPercentRoundsUpAndKeepsTies) {
  EXPECT_EQ(Firsts("SELECT TOP 40 PERCENT ItemType FROM AlbumItems ORDER BY ItemType"), "2,2,2");
  EXPECT_EQ(Firsts("SELECT TOP 21 PERCENT Size FROM AlbumItems ORDER BY Size"), "0,100");
  EXPECT_EQ(db.Query("SELECT TOP 50 PERCENT ItemID FROM AlbumItems").size(), 3u);
  // Inside a subquery too.
  EXPECT_EQ(Firsts("SELECT TOP 1 ItemID FROM AlbumItems WHERE ItemID IN (SELECT TOP 1 ItemID FROM AlbumItems "
                   "ORDER BY ItemType) ORDER BY ItemID DESC"),
            "5");
}

TEST_F(SelectFormsTest, QuantifiedComparisons) {
  EXPECT_EQ(Firsts("SELECT ItemID FROM AlbumItems WHERE Size >= ALL (SELECT Size FROM AlbumItems WHERE ItemType = 2)"),
            "5");
  EXPECT_EQ(Firsts("SELECT ItemID FROM AlbumItems WHERE Rating > ANY (SELECT Rating FROM AlbumItems WHERE ItemType = 3) "
                   "ORDER BY ItemID"),
            "1,3,5");
  EXPECT_EQ(Firsts("SELECT ItemID FROM AlbumItems WHERE Rating < SOME (SELECT Rating FROM AlbumItems) ORDER BY ItemID"),
            "1,4,5");
  // Over no rows ALL holds and ANY does not.
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Size > ALL (SELECT Size FROM AlbumItems WHERE ItemID > 9)")
                .size(),
            5u);
  EXPECT_TRUE(db.Query("SELECT ItemID FROM AlbumItems WHERE Size > ANY (SELECT Size FROM AlbumItems WHERE ItemID > 9)")
                  .empty());
  // Ratings are 3, Null, 5, 1, 2: a Null decides nothing, but leaves an undecided answer Null.
  EXPECT_EQ(db.Query("SELECT 1 > ALL (SELECT Rating FROM AlbumItems), 10 > ALL (SELECT Rating FROM AlbumItems), "
                     "10 > ANY (SELECT Rating FROM AlbumItems), 0 > ANY (SELECT Rating FROM AlbumItems)"),
            (Rows{{"0", "NULL", "-1", "NULL"}}));
  // Names compare ignoring case, here as everywhere.
  EXPECT_EQ(Firsts("SELECT KeywordID FROM Keywords WHERE KeywordName = ANY (SELECT \"SEA\")"), "1");
  EXPECT_EQ(Status("SELECT 1 > ALL (SELECT ItemID, Name FROM AlbumItems)"), com::JetError(3306));
}

TEST_F(SelectFormsTest, SavedDerivedTable) {
  EXPECT_EQ(Firsts("SELECT q.n FROM [SELECT ItemID AS n FROM AlbumItems WHERE ItemType = 2]. AS q ORDER BY q.n"),
            "1,2,5");
  // Parameters inside count where they stand in the whole text.
  auto t = db.Translate("SELECT q.ItemID, [a] FROM [SELECT ItemID FROM AlbumItems WHERE Size > b]. AS q");
  ASSERT_EQ(t->parameters.size(), 2u);
  EXPECT_EQ(t->parameters[0].name, "a");
  EXPECT_EQ(t->parameters[1].name, "b");
  EXPECT_EQ(Firsts("SELECT q.ItemID FROM [SELECT ItemID FROM AlbumItems WHERE Size > b]. AS q ORDER BY q.ItemID",
                   {{"b", int64_t{250}}}),
            "4,5");
  try {
    db.Translate("SELECT * FROM [SELECT FROM AlbumItems]. AS q");
    FAIL();
  } catch (const com::ComError& e) {
    EXPECT_EQ(e.hr(), com::JetError(3075));
    EXPECT_NE(std::string(e.what()).find("position 22"), std::string::npos) << e.what();
  }
}

TEST_F(SelectFormsTest, SelectIntoMakesATypedTable) {
  EXPECT_EQ(db.Exec("SELECT ItemID, Name, DateCreated, Hidden, Size * 2 AS Twice, Note INTO Picked FROM AlbumItems "
                    "WHERE ItemType = [t]",
                    {{"t", int64_t{2}}}),
            3);
  auto t = db.Translate("SELECT * FROM Picked");
  std::vector<JetType> types;
  for (const auto& c : t->columns) types.push_back(c.type);
  EXPECT_EQ(types, (std::vector<JetType>{JetType::Long, JetType::Text, JetType::Date, JetType::YesNo, JetType::Long,
                                         JetType::Memo}));
  // A name still compares ignoring case; a memo that looks like a number stays text.
  EXPECT_EQ(db.Query("SELECT Twice FROM Picked WHERE Name = \"BEACH\""), (Rows{{"400"}}));
  db.Exec("UPDATE Picked SET Note = \"00123\" WHERE ItemID = 1");
  EXPECT_EQ(db.Scalar("SELECT Note FROM Picked WHERE ItemID = 1"), "00123");
  EXPECT_EQ(StatusOf([&] { db.Exec("SELECT ItemID INTO Picked FROM AlbumItems"); }), com::JetError(3010));
  EXPECT_EQ(StatusOf([&] { db.Exec("SELECT ItemID, ItemID INTO Twice FROM AlbumItems"); }), com::JetError(3191));
  EXPECT_EQ(Status("SELECT * FROM AlbumItems WHERE ItemID IN (SELECT ItemID INTO X FROM AlbumItems)"),
            com::JetError(3141));
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO SearchResults SELECT ItemID INTO X FROM AlbumItems"); }),
            com::JetError(3141));

  const auto path = std::filesystem::temp_directory_path() / ("jetsql_into_" + std::to_string(::getpid()) + ".cat");
  std::filesystem::remove(path);
  { CatalogueDb target(path.string(), false); }
  EXPECT_EQ(db.Exec("SELECT KeywordID, KeywordName INTO Words IN \"" + path.string() + "\" FROM Keywords"), 3);
  {
    CatalogueDb target(path.string(), false, false);
    EXPECT_EQ(target.Query("SELECT KeywordName FROM Words WHERE KeywordName = \"ärger\""), (Rows{{"Ärger"}}));
  }
  std::filesystem::remove(path);
}

TEST_F(SelectFormsTest, UpdateOverJoins) {
  EXPECT_EQ(db.Exec("UPDATE AlbumItems INNER JOIN PhotoItem ON AlbumItems.ItemID = PhotoItem.ItemID SET "
                    "AlbumItems.Rating = PhotoItem.Rotation WHERE PhotoItem.cx > 700"),
            1);
  EXPECT_EQ(db.Scalar("SELECT Rating FROM AlbumItems WHERE ItemID = 2"), "0");
  // A LEFT JOIN changes every row of its left side; values come before writes.
  EXPECT_EQ(db.Exec("UPDATE AlbumItems LEFT JOIN PhotoItem ON AlbumItems.ItemID = PhotoItem.ItemID SET "
                    "Note = \"w\" & cx, Size = Rating, Rating = Size"),
            5);
  EXPECT_EQ(db.Query("SELECT ItemID, Note, Size, Rating FROM AlbumItems WHERE ItemID IN (1, 3) ORDER BY ItemID"),
            (Rows{{"1", "w640", "3", "100"}, {"3", "w", "5", "0"}}));
  // Through an alias and a nested join, with a parameter.
  EXPECT_EQ(db.Exec("UPDATE (AlbumItems AS i INNER JOIN AlbumContents AS c ON i.ItemID = c.ItemID) INNER JOIN Albums "
                    "ON c.AlbumID = Albums.AlbumID SET i.Hidden = True WHERE Albums.AlbumID = [a]",
                    {{"a", int64_t{3}}}),
            3);
  EXPECT_EQ(db.Scalar("SELECT Count(*) FROM AlbumItems WHERE Hidden"), "3");
  auto status = [&](const std::string& jet) { return StatusOf([&] { db.Exec(jet); }); };
  const std::string join = "UPDATE AlbumItems INNER JOIN PhotoItem ON AlbumItems.ItemID = PhotoItem.ItemID SET ";
  EXPECT_EQ(status(join + "AlbumItems.Size = 1, PhotoItem.cx = 1"), com::JetError(3251));
  EXPECT_EQ(status(join + "ItemID = 1"), com::JetError(3079));
  EXPECT_EQ(status(join + "Nope = 1"), com::JetError(3265));
}

TEST_F(SelectFormsTest, DeleteOverJoins) {
  EXPECT_EQ(db.Exec("DELETE DISTINCTROW AlbumItems.* FROM AlbumItems LEFT JOIN PhotoItem ON AlbumItems.ItemID = "
                    "PhotoItem.ItemID WHERE PhotoItem.ItemID Is Null"),
            3);
  EXPECT_EQ(Firsts("SELECT ItemID FROM AlbumItems ORDER BY ItemID"), "1,2");
  EXPECT_EQ(db.Exec("DELETE PhotoItem.* FROM AlbumItems INNER JOIN PhotoItem ON AlbumItems.ItemID = PhotoItem.ItemID "
                    "WHERE AlbumItems.Name = \"BEACH\""),
            1);
  EXPECT_EQ(Firsts("SELECT ItemID FROM PhotoItem"), "1");
  EXPECT_EQ(StatusOf([&] { db.Exec("DELETE FROM AlbumItems INNER JOIN PhotoItem ON AlbumItems.ItemID = PhotoItem.ItemID"); }),
            com::JetError(3128));
}

TEST(IdentityTest, LastCounterValueOfTheConnection) {
  CatalogueDb db(":memory:", false);
  EXPECT_EQ(db.Scalar("SELECT @@IDENTITY"), "0");
  db.Exec("INSERT INTO Keywords (KeywordName) VALUES (\"a\")");
  db.Exec("INSERT INTO Keywords (KeywordName) VALUES (\"b\")");
  EXPECT_EQ(db.Scalar("SELECT @@identity"), "2");
  // Tables without a counter leave it alone.
  db.Exec("INSERT INTO AssignedKeywords VALUES (7, 1)");
  EXPECT_EQ(db.Scalar("SELECT @@IDENTITY"), "2");
  db.Exec("INSERT INTO AlbumItems (ItemID, Name) VALUES (40, \"x\")");
  EXPECT_EQ(db.Scalar("SELECT @@IDENTITY + 1"), "41");
  EXPECT_EQ(db.Exec("INSERT INTO SmartViews (Name) SELECT KeywordName FROM Keywords"), 2);
  EXPECT_EQ(db.Scalar("SELECT @@IDENTITY"), "2");
  EXPECT_EQ(db.Translate("SELECT @@IDENTITY")->columns.at(0).type, JetType::Long);
  EXPECT_EQ(StatusOf([&] { db.Translate("SELECT @@ROWCOUNT"); }), com::JetError(3075));
  // Another connection has its own.
  CatalogueDb other(":memory:", false);
  EXPECT_EQ(other.Scalar("SELECT @@IDENTITY"), "0");
}

TEST_F(SelectFormsTest, CrosstabWithListedColumns) {
  EXPECT_EQ(db.Query("TRANSFORM Count(*) SELECT ItemType FROM AlbumItems GROUP BY ItemType PIVOT Hidden IN (0, -1)"),
            (Rows{{"2", "2", "1"}, {"3", "1", "NULL"}, {"9", "1", "NULL"}}));
  auto t = db.Translate("TRANSFORM Sum(Size) AS Total SELECT ItemType FROM AlbumItems WHERE ItemType <> 9 "
                        "GROUP BY ItemType PIVOT Rating IN (1, 2, 3, Null)");
  std::vector<std::string> names;
  for (const auto& c : t->columns) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"ItemType", "1", "2", "3", "<>"}));
  EXPECT_EQ(db.Query("TRANSFORM Sum(Size) AS Total SELECT ItemType FROM AlbumItems WHERE ItemType <> 9 "
                     "GROUP BY ItemType PIVOT Rating IN (1, 2, 3, Null)"),
            (Rows{{"2", "NULL", "400", "100", "200"}, {"3", "300", "NULL", "NULL", "NULL"}}));
  // Text pivots compare as their column does; rows sort as the SELECT says.
  EXPECT_EQ(db.Query("TRANSFORM First(ItemID) SELECT ItemType FROM AlbumItems GROUP BY ItemType ORDER BY ItemType DESC "
                     "PIVOT Name IN (\"BEACH\", \"élan\")"),
            (Rows{{"9", "NULL", "NULL"}, {"3", "NULL", "NULL"}, {"2", "2", "1"}}));
  // Without IN the columns are read first: the translation says how.
  auto open = db.Translate("TRANSFORM Max(Size) SELECT ItemType FROM AlbumItems GROUP BY ItemType PIVOT Rating");
  ASSERT_TRUE(open->pivot.has_value());
  EXPECT_TRUE(open->sql.empty());
  EXPECT_EQ(db.RawQuery(open->pivot->valuesSql), (Rows{{"NULL", "<>"}, {"1", "1"}, {"2", "2"}, {"3", "3"}, {"5", "5"}}));
}

TEST_F(SelectFormsTest, CrosstabsJetRefuses) {
  EXPECT_EQ(Status("TRANSFORM Size SELECT ItemType FROM AlbumItems GROUP BY ItemType PIVOT Rating IN (1)"),
            com::JetError(3122));
  EXPECT_EQ(Status("TRANSFORM Count(*) SELECT ItemType FROM AlbumItems PIVOT Rating"), com::JetError(3143));
  EXPECT_EQ(Status("TRANSFORM Count(*) SELECT ItemType FROM AlbumItems GROUP BY ItemType PIVOT Rating IN (Size)"),
            com::JetError(3143));
  std::string many = "TRANSFORM Count(*) SELECT ItemType FROM AlbumItems GROUP BY ItemType PIVOT Rating IN (0";
  for (int i = 1; i < 300; ++i) many += ", " + std::to_string(i);
  EXPECT_EQ(Status(many + ")"), com::JetError(3190));
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
