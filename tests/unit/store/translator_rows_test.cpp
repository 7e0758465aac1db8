// Jet statements run on a real catalogue, checked by the rows they return.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "jetsql_fixture.h"

namespace albumcore::store::jetsql::testing {
namespace {

class RowsTest : public ::testing::Test {
 protected:
  CatalogueDb db;
};

TEST_F(RowsTest, ConcatenationBindsLooserThanArithmetic) {
  EXPECT_EQ(db.Scalar("SELECT \"a\" & 1 + 2"), "a3");
  EXPECT_EQ(db.Scalar("SELECT -2 ^ 2"), "-4");       // ^ binds tighter than negation
  EXPECT_EQ(db.Scalar("SELECT 2 ^ -1"), "0.5");
  EXPECT_EQ(db.Scalar("SELECT - &HFFFF - -#1899-12-29 06:00#"), "-0.25");  // no "--" comment in the SQL
  EXPECT_EQ(db.Scalar("SELECT 7 \\ 2 * 3"), "1");    // * before \ : 7 \ 6
  EXPECT_EQ(db.Scalar("SELECT 7 MOD 4 + 1"), "4");   // Mod before +: (7 Mod 4) + 1
}

TEST_F(RowsTest, NullInConcatenationAndAddition) {
  EXPECT_EQ(db.Scalar("SELECT \"x\" & Null & \"y\""), "xy");
  EXPECT_EQ(db.Scalar("SELECT Null + \"y\""), "NULL");
  EXPECT_EQ(db.Scalar("SELECT Rating & \"-\" FROM AlbumItems WHERE ItemID = 2"), "-");
  EXPECT_EQ(db.Scalar("SELECT Rating & Note FROM AlbumItems WHERE ItemID = 2"), "sand");
  EXPECT_EQ(db.Scalar("SELECT Rating & Note FROM AlbumItems WHERE ItemID = 3"), "5");
  // Both Null stays Null, as Jet's & does.
  EXPECT_EQ(db.Scalar("SELECT Null & Rating FROM AlbumItems WHERE ItemID = 2"), "NULL");
}

TEST_F(RowsTest, PlusConcatenatesOnlyText) {
  EXPECT_EQ(db.Scalar("SELECT \"1\" + 2"), "3");
  EXPECT_EQ(db.Scalar("SELECT Name + \"!\" FROM AlbumItems WHERE ItemID = 2"), "beach!");
  EXPECT_EQ(db.Scalar("SELECT Rating + Size FROM AlbumItems WHERE ItemID = 4"), "301");
  // A parameter's type is known only when the row runs.
  EXPECT_EQ(db.Scalar("SELECT [p] + [q]", {{"p", std::string("a")}, {"q", std::string("b")}}), "ab");
  EXPECT_EQ(db.Scalar("SELECT [p] + [q]", {{"p", int64_t{2}}, {"q", std::string("3")}}), "5");
}

TEST_F(RowsTest, ComparisonsInValueContextAreMinusOne) {
  EXPECT_EQ(db.Query("SELECT (1 = 1) AS t, (1 = 2) AS f, 3 > 2 AS g"), (Rows{{"-1", "0", "-1"}}));
  EXPECT_EQ(db.Scalar("SELECT 5 And 3"), "1");
  EXPECT_EQ(db.Query("SELECT Yes, No, On, Off, True, False"), (Rows{{"-1", "0", "-1", "0", "-1", "0"}}));
  EXPECT_EQ(db.Scalar("SELECT False Imp Null"), "-1");
  EXPECT_EQ(db.Scalar("SELECT IIf(Null = 1, \"y\", \"n\")"), "n");
}

TEST_F(RowsTest, YesNoColumnsCompareWithJetTruth) {
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Hidden = Yes"), (Rows{{"2"}}));
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Not Hidden AND ItemType = 2 ORDER BY ItemID"),
            (Rows{{"1"}, {"5"}}));
  EXPECT_EQ(db.Exec("UPDATE UPnPShares SET Internal = true WHERE Internal = false"), 0);
}

TEST_F(RowsTest, DivisionOperators) {
  EXPECT_EQ(db.Scalar("SELECT 2.5 \\ 1"), "2");   // operands round half to even
  EXPECT_EQ(db.Scalar("SELECT 3.5 \\ 1"), "4");
  EXPECT_EQ(db.Scalar("SELECT -7 \\ 2"), "-3");
  EXPECT_EQ(db.Scalar("SELECT -7 Mod 3"), "-1");
  EXPECT_EQ(StatusOf([&] { db.Scalar("SELECT 1 \\ 0"); }), com::JetError(11));
}

TEST_F(RowsTest, DateLiteralsAndParts) {
  EXPECT_EQ(db.Scalar("SELECT #3/1/2024#"), "45352");
  EXPECT_EQ(db.Scalar("SELECT #2024-03-01 13:45:00#"), db.Scalar("SELECT #3/1/2024 1:45:00 PM#"));
  EXPECT_EQ(db.Query("SELECT Year(#3/1/2024#), Month(#3/1/2024#), Day(#3/1/2024#), Weekday(#3/1/2024#)"),
            (Rows{{"2024", "3", "1", "6"}}));
  EXPECT_EQ(db.Query("SELECT DatePart(\"q\", #8/15/2023#), DatePart(\"y\", #2/1/2024#), DatePart(\"ww\", #1/7/2024#),"
                     " DatePart(\"h\", #2024-03-01 13:45:10#), DatePart(\"n\", #2024-03-01 13:45:10#),"
                     " DatePart(\"s\", #2024-03-01 13:45:10#)"),
            (Rows{{"3", "32", "2", "13", "45", "10"}}));
  // Before 1899-12-30 the fraction still counts forward from midnight.
  EXPECT_EQ(db.Query("SELECT Day(DateCreated), Hour(DateCreated) FROM AlbumItems WHERE ItemID = 4"),
            (Rows{{"29", "6"}}));
  EXPECT_EQ(db.Scalar("SELECT DateAdd(\"m\", 1, #1/31/2024#)"), db.Scalar("SELECT #2/29/2024#"));
  EXPECT_EQ(db.Scalar("SELECT DateDiff(\"d\", #1899-12-29 23:00#, #1899-12-30 01:00#)"), "1");
  EXPECT_EQ(db.Scalar("SELECT Format(#3/1/2024 13:45#, \"yyyy-mm-dd hh:nn\")"), "2024-03-01 13:45");
  EXPECT_EQ(db.Scalar("SELECT \"d: \" & #3/1/2024#"), "d: 3/1/2024");
}

TEST_F(RowsTest, DatePartGroupingOfTheDateEnumerator) {
  EXPECT_EQ(db.Query("SELECT DISTINCT DatePart(\"yyyy\",[DateCreated]) AS ItemYear FROM AlbumItems WHERE "
                     "AlbumItems.ItemType IN (2,3) ORDER BY DatePart(\"yyyy\",[DateCreated]) DESC;"),
            (Rows{{"2024"}, {"2023"}, {"1899"}}));
  EXPECT_EQ(db.Query("SELECT DISTINCT DatePart(\"m\",[DateCreated]) AS ItemMonth FROM AlbumItems WHERE "
                     "AlbumItems.ItemType IN (2,3) AND DatePart(\"yyyy\",[DateCreated])=2024 ORDER BY "
                     "DatePart(\"m\",[DateCreated]) DESC;"),
            (Rows{{"3"}, {"1"}}));
}

TEST_F(RowsTest, LikeWildcards) {
  auto ids = [&](const std::string& where) {
    Rows rows = db.Query("SELECT ItemID FROM AlbumItems WHERE " + where + " ORDER BY ItemID");
    std::string out;
    for (const auto& r : rows) out += r[0];
    return out;
  };
  EXPECT_EQ(ids("Name LIKE \"*[!e-h]\""), "134");  // last letter not e..h, either case
  EXPECT_EQ(ids("ItemDataMoniker LIKE \"*b_.jpg\""), "");     // _ is literal, not any character
  EXPECT_EQ(ids("ItemDataMoniker LIKE \"*b%_*\""), "2");
  EXPECT_EQ(ids("ItemDataMoniker LIKE \"file::/home/*\""), "1245");  // LIKE ignores case
  EXPECT_EQ(ids("Name NOT LIKE \"*e*\""), "134");  // é is not e
  // Unicode case: É and é, and a name typed in capitals.
  EXPECT_EQ(ids("Name LIKE \"élan*\""), "14");
  EXPECT_EQ(ids("Name LIKE \"ÉLAN VITAL\""), "4");
  EXPECT_EQ(ids("Name LIKE \"strasse\""), "5");
}

TEST_F(RowsTest, LikePrefixRangeStaysCorrectAtEdges) {
  db.Raw("INSERT INTO AlbumItems (ItemID, ItemType, Name, ItemDataMoniker) VALUES "
         "(10, 1, 'ab" "\xEF\xBF\xBF" "z', 'x'), (11, 1, 'ab" "\xF0\x90\x80\x80" "', 'x'), (12, 1, 'AB{', 'x'),"
         " (13, 1, 'ac', 'x'), (14, 1, 'Ab', 'x')");
  auto ids = [&](const std::string& pattern) {
    std::string out;
    for (const auto& r : db.Query("SELECT ItemID FROM AlbumItems WHERE Name LIKE " + pattern + " ORDER BY ItemID"))
      out += r[0] + ",";
    return out;
  };
  EXPECT_EQ(ids("\"ab" "\xEF\xBF\xBF" "*\""), "10,");  // prefix ending in U+FFFF
  EXPECT_EQ(ids("\"ab*\""), "10,11,12,14,");
  EXPECT_EQ(ids("\"ab{*\""), "12,");
}

TEST_F(RowsTest, LikePrefixUsesTheIndex) {
  const std::string plan = db.Plan("SELECT ItemID FROM AlbumItems WHERE Name LIKE \"abc*\"");
  EXPECT_NE(plan.find("INDEX AlbumItems_Name (Name>"), std::string::npos) << plan;
  // The moniker column compares exactly; the range spans the prefix's case variants.
  const std::string monikers =
      db.Plan("SELECT AlbumItems.ItemID FROM AlbumItems WHERE AlbumItems.ItemDataMoniker LIKE \"file::/home/ana/*\"");
  EXPECT_NE(monikers.find("INDEX AlbumItems_Moniker (ItemDataMoniker>"), std::string::npos) << monikers;
}

TEST_F(RowsTest, NameColumnsCompareIgnoringCase) {
  EXPECT_EQ(db.Query("SELECT KeywordID FROM Keywords WHERE KeywordName = \"ärger\""), (Rows{{"2"}}));
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Name = \"ÉLAN\""), (Rows{{"1"}}));
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Name IN (\"HOLIDAYS\", \"x\")"), (Rows{{"3"}}));
  // Monikers compare exactly.
  EXPECT_TRUE(db.Query("SELECT ItemID FROM AlbumItems WHERE ItemDataMoniker = \"FILE::/home/ana/Pictures/a.jpg\"").empty());
  EXPECT_EQ(db.Query("SELECT KeywordName FROM Keywords ORDER BY KeywordName"),
            (Rows{{"dog"}, {"Sea"}, {"Ärger"}}));  // folded text in code-point order
  EXPECT_EQ(StatusOf([&] { db.Exec("INSERT INTO Keywords ( KeywordName ) SELECT \"SEA\""); }), com::JetError(3022));
}

TEST_F(RowsTest, ParametersBoundByName) {
  auto t = db.Translate("SELECT Name FROM AlbumItems WHERE ItemID = [item_id] OR ItemID = [Item ID.x] OR ItemID = [ITEM_ID]");
  ASSERT_EQ(t->parameters.size(), 2u);
  EXPECT_EQ(t->parameters[1].name, "Item ID.x");
  EXPECT_EQ(t->ParameterNumber("Item_ID"), 1);
  EXPECT_EQ(db.Query("SELECT Name FROM AlbumItems WHERE ItemID = [item_id] OR ItemID = [Item ID.x] ORDER BY ItemID",
                     {{"item_id", int64_t{2}}, {"Item ID.x", int64_t{3}}}),
            (Rows{{"beach"}, {"Holidays"}}));
  // Listed and numbered as written, although FROM is emitted first.
  auto ordered = db.Translate("SELECT [z] & '?1' FROM AlbumItems INNER JOIN PhotoItem ON AlbumItems.ItemID = "
                              "PhotoItem.ItemID AND PhotoItem.Rotation = [b] WHERE Name <> \"?2\"");
  ASSERT_EQ(ordered->parameters.size(), 2u);
  EXPECT_EQ(ordered->parameters[0].number, 1);
  EXPECT_EQ(ordered->parameters[1].number, 2);
  EXPECT_EQ(db.Query("SELECT [z] & '?1' FROM AlbumItems INNER JOIN PhotoItem ON AlbumItems.ItemID = PhotoItem.ItemID "
                     "AND PhotoItem.Rotation = [b] WHERE Name <> \"?2\"",
                     {{"z", std::string("x")}, {"b", int64_t{90}}}),
            (Rows{{"x?1"}}));
  // An unknown table qualifier makes a parameter too.
  EXPECT_EQ(db.Translate("SELECT ItemID FROM AlbumItems WHERE Foo.Bar = 1")->parameters.at(0).name, "Foo.Bar");
  EXPECT_EQ(StatusOf([&] { db.Query("SELECT * FROM AlbumItems WHERE ItemID = [item_id]"); }), com::JetError(3061));
}

TEST_F(RowsTest, DeclaredParameters) {
  auto t = db.Translate("PARAMETERS [varName] Text(255), [n] Long; SELECT ItemID FROM AlbumItems WHERE Name = [varName]");
  ASSERT_EQ(t->parameters.size(), 2u);
  EXPECT_EQ(t->parameters[0].declaredType, JetType::Text);
  EXPECT_EQ(t->parameters[1].declaredType, JetType::Long);
  EXPECT_EQ(db.Query("PARAMETERS [a] Text(10), [b] Text(10); SELECT [a] + [b]",
                     {{"a", std::string("x")}, {"b", std::string("y")}}),
            (Rows{{"xy"}}));
}

TEST_F(RowsTest, StoredQueriesOfTheCatalogue) {
  EXPECT_EQ(db.Exec("INSERT INTO AssignedFieldsMemo ( ItemID, FieldID ) SELECT [item_id], [varFieldID];",
                    {{"item_id", int64_t{1}}, {"varFieldID", int64_t{7}}}),
            1);
  EXPECT_EQ(db.Exec("UPDATE AssignedFieldsMemo SET FieldValue = [varFieldValue] WHERE ItemID = [item_id] AND FieldID = [varFieldID];",
                    {{"varFieldValue", std::string("")}, {"item_id", int64_t{1}}, {"varFieldID", int64_t{7}}}),
            1);
  EXPECT_EQ(db.Query("SELECT * FROM AssignedFieldsMemo WHERE ItemID = [item_id];", {{"item_id", int64_t{1}}}),
            (Rows{{"1", "7", ""}}));
  EXPECT_EQ(db.Exec("DELETE * FROM AssignedFieldsMemo WHERE ItemID = [item_id] AND FieldID = [varFieldID];",
                    {{"item_id", int64_t{1}}, {"varFieldID", int64_t{7}}}),
            1);
}

TEST_F(RowsTest, DeleteForms) {
  EXPECT_EQ(db.Exec("DELETE AlbumContents.* FROM AlbumContents WHERE AlbumContents.ItemID = 4"), 1);
  // Deleting through a join removes rows of the named table only.
  EXPECT_EQ(db.Exec("DELETE AssignedKeywords.* FROM AssignedKeywords INNER JOIN Keywords ON "
                    "AssignedKeywords.KeywordID = Keywords.KeywordID WHERE Keywords.KeywordName = \"SEA\""),
            2);
  EXPECT_EQ(db.Scalar("SELECT Count(*) FROM Keywords"), "3");
}

TEST_F(RowsTest, QuotesThroughChr) {
  db.Exec("INSERT INTO MRUSoundMonikers ( SoundMoniker ) SELECT \"a\" & chr(34) & \"b\" & chr(124) & \"'c\"");
  EXPECT_EQ(db.Scalar("SELECT SoundMoniker FROM MRUSoundMonikers"), "a\"b|'c");
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Note = \"say \" & chr(34) & \"hi\" & chr(34)"), (Rows{{"4"}}));
  EXPECT_EQ(db.Query("SELECT ItemID FROM AlbumItems WHERE Note LIKE \"*\" & chr(34) & \"hi*\""), (Rows{{"4"}}));
  EXPECT_EQ(db.Scalar("SELECT 'it''s' & \"\"\"q\"\"\""), "it's\"q\"");
}

TEST_F(RowsTest, JoinsUnionsDerivedTablesAndTop) {
  EXPECT_EQ(db.Query("SELECT SearchDomain.ItemID, SearchDomain.Name, PhotoItem.Rotation FROM (AlbumItems AS SearchDomain "
                     "LEFT JOIN PhotoItem ON SearchDomain.ItemID = PhotoItem.ItemID) INNER JOIN AlbumContents ON "
                     "SearchDomain.ItemID=AlbumContents.ItemID  WHERE AlbumContents.AlbumID = 3 AND SearchDomain.Hidden = No "
                     "ORDER BY SearchDomain.Name"),
            (Rows{{"1", "Élan", "90"}, {"4", "élan vital", "NULL"}}));
  EXPECT_EQ(db.Query("SELECT * FROM SmartViews WHERE SmartViews.CategoryID = 0 UNION SELECT * FROM SmartViews WHERE "
                     "SmartViews.CategoryID = 6 ORDER BY Name;")
                .size(),
            2u);
  EXPECT_EQ(db.Query("SELECT x.n FROM (SELECT ItemID AS n FROM AlbumItems WHERE ItemType = 2) AS x ORDER BY x.n DESC"),
            (Rows{{"5"}, {"2"}, {"1"}}));
  EXPECT_EQ(db.Query("SELECT DISTINCTROW ItemType FROM AlbumItems ORDER BY ItemType").size(), 5u);
  EXPECT_EQ(db.Query("SELECT * FROM (SELECT ItemID FROM AlbumItems WHERE ItemID < 3), PhotoItem WHERE Rotation = 0"),
            (Rows{{"1", "2", "800", "600", "0"}, {"2", "2", "800", "600", "0"}}));
  // Same column in two tables: named table.column, as Jet names them.
  EXPECT_EQ(db.Query("SELECT * FROM AlbumContents INNER JOIN PhotoItem ON AlbumContents.ItemID = PhotoItem.ItemID "
                     "WHERE PhotoItem.ItemID = 1"),
            (Rows{{"3", "1", "1", "640", "480", "90"}}));
}

TEST_F(RowsTest, InsertSelectMatchesColumnsByName) {
  EXPECT_EQ(db.Exec("INSERT INTO Albums SELECT AlbumItems.ItemID AS AlbumID, AlbumItems.Rating AS CustomSort FROM "
                    "AlbumItems WHERE ItemID = 4"),
            1);
  EXPECT_EQ(db.Query("SELECT AlbumID, CustomSort, AlbumType FROM Albums WHERE AlbumID = 4"), (Rows{{"4", "1", "0"}}));
  EXPECT_EQ(db.Exec("INSERT INTO SearchResults (ItemId) SELECT DISTINCT SearchDomain.ItemID FROM AlbumItems AS "
                    "SearchDomain WHERE SearchDomain.Name LIKE \"*an*\""),
            2);
}

TEST_F(RowsTest, ExternalDatabaseFiles) {
  const auto dir = std::filesystem::temp_directory_path() / ("jetsql_ext_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string source = (dir / "old.cat").string();
  const std::string target = (dir / "new.cat").string();
  std::filesystem::remove(source);
  std::filesystem::remove(target);
  {
    CatalogueDb old(source, true);
  }
  {
    CatalogueDb fresh(target, false);
    const std::string in = " IN \"" + source + "\";";
    EXPECT_EQ(fresh.Exec("INSERT INTO AlbumItems SELECT * FROM AlbumItems" + in), 5);
    EXPECT_EQ(fresh.Exec("INSERT INTO Albums SELECT Albums.AlbumID,Albums.CustomSort FROM Albums" + in), 1);
    EXPECT_EQ(fresh.Exec("INSERT INTO Keywords SELECT * FROM Keywords" + in), 3);
    EXPECT_EQ(fresh.Query("SELECT Name FROM AlbumItems WHERE ItemID = 4"), (Rows{{"élan vital"}}));
    EXPECT_EQ(fresh.Translate("SELECT * FROM Keywords IN \"" + source + "\"")->attachments.at(0).schema, "jet_ext1");
    EXPECT_EQ(StatusOf([&] { fresh.Query("SELECT * FROM AlbumItems IN \"" + (dir / "missing.cat").string() + "\""); }),
              com::JetError(3024));
  }
  // An external file as the target of an insert.
  EXPECT_EQ(db.Exec("INSERT INTO SearchResults IN \"" + target + "\" SELECT ItemID FROM AlbumItems WHERE ItemID < 3"), 2);
  EXPECT_EQ(CatalogueDb(target, false, false).Scalar("SELECT Count(*) FROM SearchResults"), "2");
  std::filesystem::remove_all(dir);
}

TEST_F(RowsTest, FunctionsOverRows) {
  EXPECT_EQ(db.Query("SELECT Len(Name), Left(Name, 2), Right(Name, 3), Mid(Name, 2, 2), UCase(Name), LCase(Name) "
                     "FROM AlbumItems WHERE ItemID = 1"),
            (Rows{{"4", "Él", "lan", "la", "ÉLAN", "élan"}}));
  EXPECT_EQ(db.Scalar("SELECT InStr(1, \"Hello\", \"L\", 0)"), "0");
  EXPECT_EQ(db.Query("SELECT Val(\" 12 3abc\"), Str(5), CStr(1.5), CLng(2.5), CLng(3.5), CInt(\"7\")"),
            (Rows{{"123", " 5", "1.5", "2", "4", "7"}}));
  EXPECT_EQ(db.Query("SELECT Trim(\"  a  \") & \"|\", Nz(Rating, 0), IsNull(Rating), IIf(Rating > 2, \"hi\", \"lo\") "
                     "FROM AlbumItems WHERE ItemID = 2"),
            (Rows{{"a|", "0", "-1", "lo"}}));
  EXPECT_EQ(db.Query("SELECT Int(-2.5), Fix(-2.5), Sgn(-3), Abs(-3), Asc(\"A\"), Chr(65) & Space(2) & String(3, \"z\")"),
            (Rows{{"-3", "-2", "-1", "3", "65", "A  zzz"}}));
  EXPECT_EQ(db.Query("SELECT StrComp(\"a\", \"A\"), StrComp(\"a\", \"A\", 0), Replace(\"aXbX\", \"X\", \"-\")"),
            (Rows{{"0", "1", "a-b-"}}));
  EXPECT_EQ(db.Query("SELECT Count(*), Sum(Size), Min(Name), Max(Rating), First(ItemID), Last(ItemID) FROM AlbumItems "
                     "WHERE ItemType = 2"),
            (Rows{{"3", "700", "beach", "3", "1", "5"}}));
  EXPECT_EQ(db.Query("SELECT ItemType, Count(*) AS n FROM AlbumItems GROUP BY ItemType HAVING Count(*) > 1"),
            (Rows{{"2", "3"}}));
  EXPECT_EQ(StatusOf([&] { db.Scalar("SELECT CLng(\"abc\")"); }), com::JetError(3464));
}

TEST_F(RowsTest, AlterColumnNamesTheChangeForTheAdapterAndRefusesKeys) {
  auto t = db.Translate("ALTER TABLE albumitems ALTER COLUMN fileuniqueid TEXT(255) NOT NULL;");
  EXPECT_TRUE(t->sql.empty());
  EXPECT_EQ(t->kind, StatementKind::AlterTable);
  ASSERT_TRUE(t->columnChange);
  EXPECT_EQ(t->columnChange->column, "FileUniqueID");
  EXPECT_TRUE(t->columnChange->notNull);
  EXPECT_EQ(StatusOf([&] { db.Exec("ALTER TABLE AlbumItems ALTER COLUMN NoSuchColumn TEXT(255)"); }), com::JetError(3265));
  EXPECT_EQ(StatusOf([&] { db.Exec("ALTER TABLE AlbumItems ALTER COLUMN FileUniqueID COUNTER"); }), com::JetError(3251));
  db.Exec("ALTER TABLE Albums ADD COLUMN Extra YESNO");
  EXPECT_EQ(db.Scalar("SELECT Extra FROM Albums"), "0");
  db.Exec("CREATE TABLE Fresh (ID COUNTER, Label TEXT(20) NOT NULL, Taken DATETIME, Flag BIT)");
  db.Exec("INSERT INTO Fresh (Label, Taken) VALUES (\"x\", #1/2/2024#)");
  EXPECT_EQ(db.Query("SELECT ID, Label, Year(Taken), Flag FROM Fresh"), (Rows{{"1", "x", "2024", "0"}}));
}

TEST_F(RowsTest, ResultColumnsCarryJetNamesAndTypes) {
  auto t = db.Translate("SELECT ItemID, Name AS [Item Name], DateAdd(\"d\", 1, DateCreated), Hidden, Note = \"x\", "
                        "Count(*) FROM AlbumItems GROUP BY ItemID, Name, DateCreated, Hidden, Note");
  ASSERT_EQ(t->columns.size(), 6u);
  EXPECT_EQ(t->columns[1].name, "Item Name");
  EXPECT_EQ(t->columns[2].name, "Expr1000");
  EXPECT_EQ(t->columns[2].type, JetType::Date);
  EXPECT_EQ(t->columns[5].name, "Expr1002");
  EXPECT_EQ(t->columns[5].type, JetType::Long);
  EXPECT_EQ(db.Query("SELECT Name AS [Item Name] FROM AlbumItems WHERE [Item Name] = \"BEACH\""), (Rows{{"beach"}}));
}

TEST_F(RowsTest, TranslationsAreCachedPerSchemaVersion) {
  const std::string q = "SELECT ItemID FROM AlbumItems WHERE ItemID = 1";
  auto a = db.Translate(q);
  auto b = db.Translate(q);
  EXPECT_EQ(a.get(), b.get());
  db.Raw("CREATE TABLE Later (x INTEGER)");
  auto c = db.Translate(q);
  EXPECT_NE(a.get(), c.get());
  // A new column changes what a name means: it was a parameter, now it is a column.
  EXPECT_EQ(db.Translate("SELECT Newcol FROM Albums")->parameters.size(), 1u);
  db.Raw("ALTER TABLE Albums ADD COLUMN Newcol INTEGER");
  EXPECT_EQ(db.Translate("SELECT Newcol FROM Albums")->parameters.size(), 0u);
}

TEST_F(RowsTest, StoredQueryUsedAsATable) {
  db.Raw("INSERT INTO StoredQueries VALUES ('Photos', 'SELECT ItemID, Name FROM AlbumItems WHERE ItemType = 2 AND Size > [min];')");
  EXPECT_EQ(db.Query("SELECT Photos.Name FROM Photos ORDER BY Photos.ItemID", {{"min", int64_t{150}}}),
            (Rows{{"beach"}, {"STRASSE"}}));
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
