// Text ignores case except in identity (BINARY) columns; Text(n) refuses longer text.
#include <gtest/gtest.h>

#include "jetsql_fixture.h"

namespace albumcore::store::jetsql::testing {
namespace {

class TextCompareTest : public ::testing::Test {
 protected:
  // Item IDs of a condition, in ID order, as "1,4,".
  std::string Ids(const std::string& where) {
    std::string out;
    for (const auto& r : db.Query("SELECT ItemID FROM AlbumItems WHERE " + where + " ORDER BY ItemID")) out += r[0] + ",";
    return out;
  }

  CatalogueDb db;
};

TEST_F(TextCompareTest, TablesMadeByJetDdlIgnoreCaseEverywhere) {
  db.Exec("CREATE TABLE People (ID COUNTER, Name TEXT(20), Bio MEMO)");
  for (const char* row : {"(\"Smith\", \"b\")", "(\"smith\", \"B\")", "(\"SMITH\", \"a\")", "(\"Émile\", \"x\")",
                          "(\"ÉMILE\", \"X\")"})
    db.Exec(std::string("INSERT INTO People (Name, Bio) VALUES ") + row);
  EXPECT_EQ(db.Scalar("SELECT Count(*) FROM People WHERE Name = \"sMiTh\""), "3");
  EXPECT_EQ(db.Scalar("SELECT Count(*) FROM People WHERE Bio = \"x\""), "2");
  EXPECT_EQ(db.Scalar("SELECT Count(*) FROM People WHERE Name IN (\"émile\", \"nobody\")"), "2");
  EXPECT_EQ(db.Scalar("SELECT Count(*) FROM People WHERE Name BETWEEN \"S\" AND \"SMITH\""), "3");
  EXPECT_EQ(db.Query("SELECT DISTINCT Name FROM People ORDER BY Name").size(), 2u);
  EXPECT_EQ(db.Query("SELECT Count(*) FROM People GROUP BY Name ORDER BY Count(*) DESC"), (Rows{{"3"}, {"2"}}));
  EXPECT_EQ(db.Query("SELECT Name FROM People UNION SELECT Name FROM People").size(), 2u);
  // Sorting interleaves the cases: "a" before "B", though 'B' < 'a' in code points.
  EXPECT_EQ(db.Query("SELECT Bio FROM People WHERE ID <= 3 ORDER BY Bio, ID"), (Rows{{"a"}, {"b"}, {"B"}}));
  // The catalogue's own schema reads the declared collation back.
  auto table = SqliteSchemaCatalog(db.db()).FindTable("People");
  EXPECT_EQ(table->FindColumn("Bio")->collation, "JETNOCASE");
  EXPECT_EQ(table->FindColumn("ID")->collation, "BINARY");
}

TEST_F(TextCompareTest, ComputedTextIgnoresCase) {
  EXPECT_EQ(db.Query("SELECT \"abc\" = \"ABC\", \"a\" < \"B\", \"É\" = \"é\""), (Rows{{"-1", "-1", "-1"}}));
  EXPECT_EQ(Ids("Left(Name, 3) = \"ÉLA\""), "1,4,");
  EXPECT_EQ(Ids("Name & \"\" IN (\"BEACH\", \"x\")"), "2,");
  EXPECT_EQ(Ids("UCase(Name) = \"strasse\""), "5,");
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Note & \"\" = [p]", {{"p", std::string("SAND")}}),
            (Rows{{"2"}}));
  EXPECT_EQ(db.Query("SELECT Left(Name, 1) AS L, Count(*) FROM AlbumItems WHERE ItemID IN (1, 4) GROUP BY Left(Name, 1)")
                .size(),
            1u);
  EXPECT_EQ(db.Query("SELECT \"a\" UNION SELECT \"A\"").size(), 1u);
  EXPECT_EQ(db.Query("SELECT Mid(Name, 2) FROM AlbumItems WHERE ItemID IN (1, 2, 5) ORDER BY Mid(Name, 2)"),
            (Rows{{"each"}, {"lan"}, {"TRASSE"}}));
  EXPECT_EQ(db.Scalar("SELECT Max(Mid(Name, 2)) FROM AlbumItems WHERE ItemID IN (1, 2, 5)"), "TRASSE");
  // A query used as a table passes its columns' collation on.
  EXPECT_EQ(db.Query("SELECT q.L FROM (SELECT DISTINCT Left(Name, 1) AS L FROM AlbumItems) AS q WHERE q.L = \"B\""),
            (Rows{{"b"}}));
  EXPECT_EQ(Ids("Left(Name, 3) IN (SELECT LCase(Left(KeywordName, 1)) & \"tr\" FROM Keywords)"), "5,");
  EXPECT_EQ(db.Query("TRANSFORM Count(*) SELECT Hidden FROM AlbumItems GROUP BY Hidden PIVOT Left(Name, 1) IN "
                     "(\"é\", \"B\")"),
            (Rows{{"-1", "NULL", "1"}, {"0", "2", "NULL"}}));
}

TEST_F(TextCompareTest, IdentityColumnsCompareExactly) {
  db.Raw("INSERT INTO AlbumItems (ItemID, ItemType, ItemDataMoniker, Name) VALUES "
         "(6, 2, 'file::/home/ana/Pictures/A.JPG', 'file::/home/ana/pictures/a.jpg')");
  EXPECT_EQ(Ids("ItemDataMoniker = \"file::/home/ana/Pictures/a.jpg\""), "1,");
  EXPECT_EQ(Ids("ItemDataMoniker IN (\"FILE::/home/ana/Pictures/a.jpg\", \"x\")"), "");
  EXPECT_EQ(Ids("ItemDataMoniker BETWEEN \"file::/home/ana/Pictures/A\" AND \"file::/home/ana/Pictures/B\""), "6,");
  // Either side being an identity column makes the comparison exact.
  EXPECT_EQ(Ids("Name = ItemDataMoniker"), "");
  EXPECT_EQ(Ids("Name = \"FILE::/HOME/ANA/PICTURES/A.JPG\""), "6,");
  EXPECT_EQ(Ids("ItemDataMoniker IN (SELECT Name FROM AlbumItems)"), "");
  EXPECT_EQ(db.Query("SELECT DISTINCT Left(ItemDataMoniker, 30) FROM AlbumItems WHERE ItemID IN (1, 6)").size(), 1u)
      << "a function result is no identity column";
  EXPECT_EQ(db.Query("SELECT DISTINCT ItemDataMoniker FROM AlbumItems WHERE ItemID IN (1, 6)").size(), 2u);
  EXPECT_EQ(db.Scalar("SELECT Min(ItemDataMoniker) FROM AlbumItems WHERE ItemID IN (1, 6)"),
            "file::/home/ana/Pictures/A.JPG");
}

TEST_F(TextCompareTest, RangesAndSortsKeepTheirIndexesAndNumbersGetNoCollation) {
  // (The catalogue's own lookups are checked on the real layout in the adapter's tests.)
  auto plan = [&](const std::string& jet) { return db.Plan(jet); };
  EXPECT_NE(plan("SELECT ItemID FROM AlbumItems WHERE Name BETWEEN [a] AND [b]").find("INDEX AlbumItems_Name (Name>? AND Name<?)"),
            std::string::npos);
  const std::string ordered = plan("SELECT ItemID, Name FROM AlbumItems ORDER BY Name");
  EXPECT_NE(ordered.find("INDEX AlbumItems_Name"), std::string::npos) << ordered;
  EXPECT_EQ(ordered.find("TEMP B-TREE"), std::string::npos) << ordered;
  const auto numbers =
      db.Translate("SELECT ItemID FROM AlbumItems WHERE ItemID = [p] AND ItemType IN (1, [q]) AND DateCreated > "
                   "#1/1/2020# AND Hidden = No ORDER BY ItemType, DateCreated");
  EXPECT_EQ(numbers->sql.find("COLLATE"), std::string::npos) << numbers->sql;
}

TEST_F(TextCompareTest, TextFieldsRefuseLongerTextOnEveryWrite) {
  db.Exec("CREATE TABLE Tags (ID COUNTER, Tag TEXT(4), Notes MEMO, Wide TEXT(10))");
  db.Exec("INSERT INTO Tags (Tag, Notes) VALUES (\"abcd\", \"abcdef\")");
  // Counted in UTF-16 units: the emoji takes two.
  db.Exec("INSERT INTO Tags (Tag) VALUES (\"ab" "\xF0\x9F\x98\x80" "\")");
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO Tags (Tag) VALUES (\"abc" "\xF0\x9F\x98\x80" "\")"); }),
            com::JetError(3163));
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO Tags (Tag) VALUES (12345)"); }), com::JetError(3163));
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO Tags (Tag) SELECT Notes FROM Tags"); }), com::JetError(3163));
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO Tags (Tag) SELECT TOP 5 Notes & \"\" AS Tag FROM Tags ORDER BY ID"); }),
            com::JetError(3163));
  EXPECT_EQ(StatusOf([&] { db.Exec("UPDATE Tags SET Tag = Tag & \"x\""); }), com::JetError(3163));
  EXPECT_EQ(StatusOf([&] { db.Exec("UPDATE Tags SET Tag = Left([p], 5)", {{"p", std::string("abcdef")}}); }),
            com::JetError(3163));
  // A failed statement writes nothing, also not the rows before the long one.
  EXPECT_EQ(db.Query("SELECT Tag, Notes FROM Tags ORDER BY ID"),
            (Rows{{"abcd", "abcdef"}, {"ab" "\xF0\x9F\x98\x80", "NULL"}}));
  EXPECT_EQ(db.Exec("UPDATE Tags SET Notes = Notes & Tag & Tag, Wide = Tag"), 2);
  EXPECT_EQ(db.Exec("INSERT INTO Tags (Tag) SELECT Left(Notes, 4) FROM Tags"), 2);
  // Text that cannot be longer than the field is written without a check.
  EXPECT_EQ(db.Translate("INSERT INTO Tags (Wide, Notes) SELECT Tag, Notes FROM Tags")->sql.find("jet_fieldsize"),
            std::string::npos);
  EXPECT_EQ(db.Translate("UPDATE Tags SET Tag = \"abc\", Wide = Tag, Notes = [p]")->sql.find("jet_fieldsize"),
            std::string::npos);
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
