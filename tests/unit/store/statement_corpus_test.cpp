// Every form of SQL the catalogue's callers send, with their placeholders
// filled in, translated and run on the catalogue schema.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "jetsql_fixture.h"

namespace albumcore::store::jetsql::testing {
namespace {

const char* const kStatements[] = {
    "SELECT * FROM AlbumItems WHERE ItemType <> 9;",
    "SELECT AlbumItems.ItemID,AlbumItems.Name FROM AlbumContents INNER JOIN AlbumItems ON "
    "AlbumContents.ItemID=AlbumItems.ItemID WHERE AlbumItems.ItemType=9 AND AlbumContents.AlbumID=3",
    "SELECT AlbumItems.ItemID FROM AlbumItems WHERE AlbumItems.ItemDataMoniker LIKE \"file::/home/ana/Pictures/[[]x[]]" 
    "[%][*][_]\" & chr(34) & \"\" & chr(124) & \"*\"",
    "SELECT SearchDomain.ItemID, SearchDomain.Size, SearchDomain.BigSize FROM AlbumItems AS SearchDomain WHERE "
    "SearchDomain.ItemType IN (2,3)",
    "SELECT SearchDomain.ItemID FROM AlbumItems AS SearchDomain WHERE  (SearchDomain.ItemType < 8 OR "
    "SearchDomain.ItemType > 16)",
    "DELETE * FROM MRUSoundMonikers WHERE MRUSoundMonikers.SoundMoniker = \"a\" & chr(34) & \"b\"",
    "INSERT INTO MRUSoundMonikers ( SoundMoniker ) SELECT \"x\"",
    "SELECT AlbumItems.ItemID FROM AlbumItems INNER JOIN AlbumContents ON AlbumItems.ItemID = AlbumContents.ItemID "
    "WHERE AlbumContents.AlbumID = 3 AND AlbumItems.ItemDataMoniker = \"file::/home/ana/Pictures/a.jpg\"",
    "SELECT DISTINCT AlbumItems.ItemID FROM AlbumItems INNER JOIN AlbumContents ON AlbumItems.ItemID = "
    "AlbumContents.ItemID WHERE AlbumContents.AlbumID = 3 AND AlbumItems.Name = \"beach\"",
    "SELECT DISTINCT Albums.AlbumID FROM Albums, AlbumContents WHERE (AlbumContents.AlbumID = 3) AND "
    "(Albums.AlbumID = AlbumContents.ItemID)",
    "SELECT DISTINCT SearchResults.ItemID FROM SearchResults, Albums WHERE SearchResults.ItemID = Albums.AlbumID",
    "SELECT SearchDomain.ItemID FROM AlbumItems AS SearchDomain,AlbumContents WHERE SearchDomain.ItemID = "
    "AlbumContents.ItemID AND AlbumContents.AlbumID = 42 AND SearchDomain.ItemType IN (0,2) ORDER BY SearchDomain.Name DESC",
    "SELECT SearchDomain.ItemID, SearchDomain.DateCreated, SearchDomain.DateModified, SearchDomain.ItemType, "
    "SearchDomain.Name, SearchDomain.ItemDataMoniker, SearchDomain.Size, SearchDomain.BigSize, "
    "SearchDomain.ItemThumbMoniker, SearchDomain.Note, SearchDomain.SoundMoniker, SearchDomain.Rating, "
    "SearchDomain.ReadOnly, PhotoItem.Rotation FROM (AlbumItems AS SearchDomain LEFT JOIN PhotoItem ON "
    "SearchDomain.ItemID = PhotoItem.ItemID) INNER JOIN AlbumContents ON SearchDomain.ItemID=AlbumContents.ItemID  "
    "WHERE AlbumContents.AlbumID = 3 AND SearchDomain.Hidden = No AND SearchDomain.ItemType IN (2) ORDER BY "
    "SearchDomain.DateCreated ASC",
    "SELECT SearchDomain.ItemID FROM AlbumItems AS SearchDomain WHERE SearchDomain.ItemID NOT IN (SELECT "
    "AlbumContents.ItemID FROM AlbumContents WHERE AlbumContents.ItemID NOT IN (SELECT AlbumContents.ItemID FROM "
    "AlbumContents WHERE AlbumContents.AlbumID<>7)) AND SearchDomain.ItemID NOT IN (SELECT SpecialAlbums.AlbumID FROM "
    "SpecialAlbums) AND SearchDomain.ItemType = 9",
    "SELECT Keywords.KeywordID, Keywords.KeywordName FROM Keywords WHERE Keywords.KeywordName = \"Dog\"",
    "INSERT INTO Keywords ( KeywordName ) SELECT \"Cat\"",
    "UPDATE Keywords SET Keywords.KeywordName = \"Cats\" WHERE Keywords.KeywordID = 3",
    "DELETE * FROM AssignedKeywords WHERE AssignedKeywords.KeywordID = 3",
    "INSERT INTO AssignedKeywords ( ItemID, KeywordID ) SELECT AlbumItems.ItemID, Keywords.KeywordID FROM AlbumItems, "
    "Keywords WHERE AlbumItems.ItemID IN (1,2) AND Keywords.KeywordID IN (1)",
    "DELETE * FROM AssignedKeywords WHERE AssignedKeywords.ItemID IN (1,2) AND AssignedKeywords.KeywordID IN (1)",
    "SELECT * FROM Keywords WHERE Keywords.KeywordID IN (SELECT DISTINCT AssignedKeywords.KeywordID FROM "
    "AssignedKeywords WHERE AssignedKeywords.ItemID IN (SELECT DISTINCT AssignedKeywords.ItemID FROM AssignedKeywords "
    "WHERE AssignedKeywords.ItemID IN (SELECT DISTINCT AlbumItems.ItemID FROM AlbumItems INNER JOIN AssignedKeywords ON "
    "AlbumItems.ItemID = AssignedKeywords.ItemID WHERE AlbumItems.ItemType IN (2,3) AND AssignedKeywords.KeywordID = 1) "
    "AND AssignedKeywords.KeywordID = 3) AND AssignedKeywords.KeywordID <> 1) ORDER BY Keywords.KeywordName;",
    "INSERT INTO SearchResults (ItemID) SELECT DISTINCT SearchDomain.ItemID FROM AlbumItems AS SearchDomain,AlbumContents "
    "WHERE SearchDomain.ItemID = AlbumContents.ItemID AND AlbumContents.AlbumID = 3 AND SearchDomain.Rating >= 1 AND "
    "SearchDomain.DateCreated < #3/1/2024#",
    "DELETE * FROM SearchResults WHERE SearchResults.ItemID NOT IN (SELECT DISTINCT SearchDomain.ItemID FROM "
    "AlbumItems AS SearchDomain,SearchResults WHERE SearchDomain.ItemID = SearchResults.ItemID AND "
    "SearchDomain.Name LIKE \"b?ach\")",
    "SELECT DISTINCT AlbumItems.ItemID FROM AlbumItems WHERE ( (AlbumItems.Name LIKE \"*ea*\") OR (AlbumItems.Note LIKE "
    "\"*ea*\") OR (AlbumItems.Filename LIKE \"*ea*\") OR (AlbumItems.ItemID IN (SELECT AssignedKeywords.ItemID FROM "
    "AssignedKeywords, Keywords WHERE (AssignedKeywords.KeywordID=Keywords.KeywordID) AND (Keywords.KeywordName LIKE "
    "\"*ea*\") ))) AND ( AlbumItems.ItemType IN (0,2,3,9) ) AND ( AlbumItems.ItemID NOT IN (SELECT "
    "SpecialAlbums.AlbumID FROM SpecialAlbums) )",
    "SELECT AlbumItems.* FROM AlbumItems WHERE (AlbumItems.ItemType<>9) AND (AlbumItems.ItemID IN (SELECT "
    "AlbumItems.ItemID FROM AlbumItems WHERE AlbumItems.Name LIKE \"*a*\"))",
    "DELETE * FROM SmartViews WHERE Name = \"Ringtones\";",
    "INSERT INTO SmartViews (Name, RequestID, ReadOnly, Hidden, CategoryID) SELECT \"n\", \"Album:1\", true, false, 0;",
    "SELECT * FROM SmartViews WHERE SmartViewID = \"1\";",
    "SELECT * FROM SmartViews WHERE SmartViews.CategoryID = 0 UNION SELECT * FROM SmartViews WHERE "
    "SmartViews.CategoryID = 3;",
    "INSERT INTO UPnPShares (RequestID, Restricted, Internal) SELECT \"Album:3\", false, true;",
    "DELETE * FROM AlbumItems WHERE ItemType IN (10, 11, 12, 13, 16);",
    "INSERT INTO SecretWords (wordGUID, Name, Expiry, TemplateID, SwPassword) SELECT \"{g1}\", \"Word\", \"Never\", 2, "
    "\"pw\";",
    "UPDATE SecretWords SET SecretWords.Name=\"W2\", SecretWords.Expiry=\"45000.5\", SecretWords.TemplateID=3, "
    "SecretWords.SwPassword=\"p\" WHERE SecretWords.wordGUID = \"{g1}\";",
    "INSERT INTO SecretWordAssociations (SecretWordID, RequestID, AlbumID) SELECT SecretWords.SecretWordID, "
    "\"Album:3\", 3 FROM SecretWords WHERE SecretWords.wordGUID=\"{g1}\";",
    "SELECT SecretWordAssociations.AlbumID FROM SecretWordAssociations WHERE SecretWordAssociations.RequestID=\"Album:3\" "
    "AND SecretWordAssociations.SecretWordID IN (SELECT SecretWords.SecretWordID FROM SecretWords WHERE "
    "SecretWords.wordGUID=\"{g1}\");",
    "SELECT * FROM SecretWords INNER JOIN SecretWordAssociations ON SecretWords.SecretWordID = "
    "SecretWordAssociations.SecretWordID WHERE SecretWords.wordGUID = \"{g1}\";",
    "DELETE * FROM SecretWordAssociations WHERE SecretWordAssociations.RequestID=\"Album:3\" AND "
    "SecretWordAssociations.SecretWordID IN (SELECT SecretWords.SecretWordID FROM SecretWords WHERE "
    "SecretWords.wordGUID=\"{g1}\");",
};

TEST(StatementCorpusTest, EveryCallerStatementRuns) {
  CatalogueDb db;
  for (const char* sql : kStatements) {
    EXPECT_NO_THROW(db.Query(sql)) << sql << "\n  -> " << db.Translate(sql)->sql;
  }
}

TEST(StatementCorpusTest, ResultsOfRepresentativeStatements) {
  CatalogueDb db;
  auto find = [](std::string_view start) {
    for (const char* sql : kStatements)
      if (std::string_view(sql).substr(0, start.size()) == start) return std::string(sql);
    throw std::runtime_error("no corpus statement starts with " + std::string(start));
  };
  // Narrowing the results keeps only matching items.
  db.Exec("INSERT INTO SearchResults (ItemID) SELECT DISTINCT SearchDomain.ItemID FROM AlbumItems AS SearchDomain");
  db.Exec(find("DELETE * FROM SearchResults WHERE SearchResults.ItemID NOT IN"));
  EXPECT_EQ(db.Query("SELECT ItemID FROM SearchResults"), (Rows{{"2"}}));
  // The generic search finds items by keyword names as well (item 1 via "Sea").
  EXPECT_EQ(db.Query(find("SELECT DISTINCT AlbumItems.ItemID FROM AlbumItems WHERE ( (AlbumItems.Name LIKE") +
                     " ORDER BY AlbumItems.ItemID"),
            (Rows{{"1"}, {"2"}}));
  // Keyword refinement: items carrying keywords 1 and 3 (item 2), then their other keywords.
  EXPECT_EQ(db.Query(find("SELECT * FROM Keywords WHERE Keywords.KeywordID IN")), (Rows{{"3", "dog"}}));
  // Secret words: the association join is read by the names RequestID and ID.
  db.Exec(find("INSERT INTO SecretWords"));
  db.Exec(find("INSERT INTO SecretWordAssociations"));
  const std::string join = find("SELECT * FROM SecretWords INNER JOIN");
  std::vector<std::string> names;
  for (const auto& c : db.Translate(join)->columns) names.push_back(c.name);
  EXPECT_EQ(names, (std::vector<std::string>{"SecretWords.SecretWordID", "wordGUID", "Name", "Expiry", "TemplateID",
                                             "SwPassword", "ID", "SecretWordAssociations.SecretWordID", "RequestID",
                                             "AlbumID"}));
  EXPECT_EQ(db.Query(join), (Rows{{"1", "{g1}", "Word", "Never", "2", "pw", "1", "1", "Album:3", "3"}}));
  // A placeholder left unreplaced is a parameter, as the engine would ask for it.
  const auto unfilled = db.Translate("DELETE * FROM SmartViews WHERE Name = varViewName;");
  ASSERT_EQ(unfilled->parameters.size(), 1u);
  EXPECT_EQ(unfilled->parameters[0].name, "varViewName");
  // The album tree walk.
  EXPECT_EQ(db.Query(find("SELECT AlbumItems.ItemID,AlbumItems.Name FROM AlbumContents")), Rows{});
  EXPECT_EQ(db.Query(find("SELECT SearchDomain.ItemID, SearchDomain.DateCreated")).size(), 1u);
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
