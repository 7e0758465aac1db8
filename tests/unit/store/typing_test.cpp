// What a translation tells its caller besides the SQL: the type each
// parameter is converted to, the Jet type of each result column, and
// whether (and how) rows can be written back.
#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include "jetsql_fixture.h"

namespace albumcore::store::jetsql::testing {
namespace {

struct Typed {
  JetType type;
  int64_t size;
  bool criterion;
  bool operator==(const Typed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Typed& t) {
  return os << JetTypeName(t.type) << "(" << t.size << ")" << (t.criterion ? " criterion" : "");
}

class TypingTest : public ::testing::Test {
 protected:
  // The binding type of each parameter, by name.
  std::map<std::string, Typed> Parameters(const std::string& jet) {
    std::map<std::string, Typed> out;
    for (const auto& p : db.Translate(jet)->parameters) out[p.name] = Typed{p.type, p.size, p.criterion};
    return out;
  }
  std::vector<JetType> ColumnTypes(const std::string& jet) {
    std::vector<JetType> out;
    for (const auto& c : db.Translate(jet)->columns) out.push_back(c.type);
    return out;
  }

  CatalogueDb db;
};

TEST_F(TypingTest, ParametersTakeTheTypeOfWhatTheyMeet) {
  using M = std::map<std::string, Typed>;
  EXPECT_EQ(Parameters("UPDATE AlbumItems SET Name = [n], DateCreated = [d], Note = [m] WHERE ItemID = [id]"),
            (M{{"n", {JetType::Text, 255, false}},
               {"d", {JetType::Date, 0, false}},
               {"m", {JetType::Memo, 0, false}},
               {"id", {JetType::Counter, 0, true}}}));
  EXPECT_EQ(Parameters("INSERT INTO AlbumItems ( ItemType, Hidden, FileUniqueID ) SELECT [t], [h], [u]"),
            (M{{"t", {JetType::Long, 0, false}}, {"h", {JetType::YesNo, 0, false}}, {"u", {JetType::Text, 50, false}}}));
  EXPECT_EQ(Parameters("INSERT INTO Albums (AlbumID, AlbumIcon) VALUES ([a], [b])"),
            (M{{"a", {JetType::Long, 0, false}}, {"b", {JetType::Memo, 0, false}}}));
  // Compared values take the other side's type, whichever side the parameter is on.
  EXPECT_EQ(Parameters("SELECT ItemID FROM AlbumItems WHERE [d] < DateCreated AND Name BETWEEN [lo] AND [hi] AND "
                       "Rating IN ([r], 3) AND Note LIKE [pattern] AND Size > [s] + 1"),
            (M{{"d", {JetType::Date, 0, true}},
               {"lo", {JetType::Text, 0, true}},
               {"hi", {JetType::Text, 0, true}},
               {"r", {JetType::Long, 0, true}},
               {"pattern", {JetType::Memo, 0, true}},
               {"s", {JetType::Unknown, 0, false}}}));
  EXPECT_EQ(Parameters("SELECT ItemID FROM AlbumItems WHERE ItemID IN (SELECT AlbumID FROM Albums) AND [x] IN "
                       "(SELECT Hidden FROM AlbumItems) GROUP BY ItemID HAVING Count(*) > [n]"),
            (M{{"x", {JetType::YesNo, 0, true}}, {"n", {JetType::Long, 0, true}}}));
  // Assigned to a small integer field, a value must fit it; compared, it need not.
  db.Exec("CREATE TABLE Small (B BYTE, S SHORT)");
  EXPECT_EQ(Parameters("UPDATE Small SET S = [v] WHERE B = [x]"),
            (M{{"v", {JetType::Integer, 0, false}}, {"x", {JetType::Long, 0, true}}}));
  // A declaration wins; otherwise the first use does.
  EXPECT_EQ(Parameters("PARAMETERS [v] Text(10); UPDATE AlbumItems SET Rating = [v] WHERE Name = [w] OR Rating = [w]"),
            (M{{"v", {JetType::Text, 10, false}}, {"w", {JetType::Text, 0, true}}}));
}

TEST_F(TypingTest, ResultColumnsAreTypedByTheirExpressions) {
  using T = std::vector<JetType>;
  EXPECT_EQ(ColumnTypes("SELECT Now(), Date(), DateAdd(\"d\", 1, DateCreated), CDate(\"3/1/2024\"), #1/2/2024#, "
                        "DateCreated + 1, IIf(Hidden, DateCreated, #1/1/2000#), IIf(Hidden, Null, Now()) FROM AlbumItems"),
            T(8, JetType::Date));
  EXPECT_EQ(ColumnTypes("SELECT IsNull(Note), Rating > 2, Not Hidden, Hidden And ReadOnly, Name Like \"a*\", "
                        "CBool(1) FROM AlbumItems"),
            T(6, JetType::YesNo));
  EXPECT_EQ(ColumnTypes("SELECT Min(DateCreated), Max(Hidden), Sum(Hidden), Count(*), Avg(Rating), Min(Name) "
                        "FROM AlbumItems"),
            (T{JetType::Date, JetType::YesNo, JetType::Long, JetType::Long, JetType::Double, JetType::Memo}));
  // Columns keep their declared type, through derived tables too.
  EXPECT_EQ(ColumnTypes("SELECT q.DateCreated, q.Name, q.Rating FROM (SELECT DateCreated, Name, Rating FROM "
                        "AlbumItems) AS q"),
            (T{JetType::Date, JetType::Text, JetType::Long}));
  EXPECT_EQ(db.Translate("SELECT Name FROM AlbumItems")->columns.at(0).size, 255);
}

TEST_F(TypingTest, ChoicesTakeTheTypeOfTheirValues) {
  using T = std::vector<JetType>;
  EXPECT_EQ(ColumnTypes("SELECT Switch(Hidden, DateCreated, Rating > 2, Null), Choose(Rating, #1/1/2024#, Now()), "
                        "TimeValue(DateCreated) FROM AlbumItems"),
            T(3, JetType::Date));
  EXPECT_EQ(ColumnTypes("SELECT Switch(Hidden, Name, True, Rating), Choose(1, 2, \"b\") FROM AlbumItems"),
            T(2, JetType::Unknown));
}

TEST_F(TypingTest, UpdatableStatementsCarryTheirTableAndKeyedForm) {
  for (const char* jet : {"SELECT * FROM AlbumItems WHERE ItemID = 2",
                          "SELECT TOP 1 S.Name AS Title, S.ItemID FROM AlbumItems AS S WHERE S.Name LIKE \"b*\" ORDER BY S.Name",
                          "SELECT DISTINCTROW AlbumItems.* FROM AlbumItems WHERE ItemID = 2 ORDER BY Name"}) {
    const auto t = db.Translate(jet);
    ASSERT_TRUE(t->updatable()) << jet;
    EXPECT_EQ(t->baseTable, "AlbumItems") << jet;
    for (const auto& c : t->columns) EXPECT_FALSE(c.origin.empty()) << jet << ": " << c.name;
    // The keyed form runs and returns the rowid before the columns.
    sqlite3_stmt* s = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db.db(), t->keyedSql.c_str(), -1, &s, nullptr), SQLITE_OK) << t->keyedSql;
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW) << jet;
    EXPECT_EQ(sqlite3_column_int64(s, 0), 2);
    EXPECT_EQ(sqlite3_column_count(s), static_cast<int>(t->columns.size()) + 1);
    sqlite3_finalize(s);
  }
  EXPECT_EQ(db.Translate("SELECT Name AS Title FROM AlbumItems")->columns.at(0).origin, "Name");
  for (const char* jet :
       {"SELECT AlbumItems.Name FROM AlbumItems INNER JOIN Albums ON AlbumItems.ItemID = Albums.AlbumID",
        "SELECT DISTINCT Name FROM AlbumItems", "SELECT ItemType FROM AlbumItems GROUP BY ItemType",
        "SELECT Name FROM AlbumItems UNION SELECT Name FROM AlbumItems", "SELECT Count(*) FROM AlbumItems",
        "SELECT Name, Len(Name) FROM AlbumItems", "SELECT * FROM (SELECT * FROM AlbumItems)", "SELECT 1",
        "SELECT * FROM AlbumItems, Albums"}) {
    const auto t = db.Translate(jet);
    EXPECT_FALSE(t->updatable()) << jet;
    EXPECT_TRUE(t->baseTable.empty()) << jet;
    for (const auto& c : t->columns) EXPECT_TRUE(c.origin.empty()) << jet << ": " << c.name;
  }
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
