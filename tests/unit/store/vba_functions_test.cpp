// Less common VBA expression functions: values, Nulls and argument errors.
#include <gtest/gtest.h>

#include "jetsql_fixture.h"

namespace albumcore::store::jetsql::testing {
namespace {

class VbaFunctionsTest : public ::testing::Test {
 protected:
  int32_t QueryStatus(const std::string& jet) {
    return StatusOf([&] { db.Query(jet); });
  }
  CatalogueDb db;
};

const int32_t kWrongArguments = com::JetError(3075);
const int32_t kInvalidCall = com::JetError(5);
const int32_t kInvalidNull = com::JetError(94);
const int32_t kMismatch = com::JetError(3464);

TEST_F(VbaFunctionsTest, SwitchTakesTheFirstTrueCondition) {
  EXPECT_EQ(db.Query("SELECT Switch(1 > 2, \"a\", 2 > 1, \"b\", True, \"c\"), Switch(False, 1, 0, 2), "
                     "Switch(Null, \"x\", True, \"y\"), Switch(True, Null, True, \"z\")"),
            (Rows{{"b", "NULL", "y", "NULL"}}));
  // A Null rating meets no condition.
  EXPECT_EQ(db.Query("SELECT Switch(Rating >= 3, \"high\", Rating >= 1, \"low\") FROM AlbumItems ORDER BY ItemID"),
            (Rows{{"high"}, {"NULL"}, {"high"}, {"low"}, {"low"}}));
  EXPECT_EQ(db.Scalar("SELECT Switch([a] > 1, [b], True, [c])", {{"a", int64_t{2}}, {"b", std::string("x")},
                                                                  {"c", std::string("y")}}),
            "x");
  EXPECT_EQ(QueryStatus("SELECT Switch(True)"), kWrongArguments);
}

TEST_F(VbaFunctionsTest, ChooseTruncatesItsIndex) {
  EXPECT_EQ(db.Query("SELECT Choose(2, \"a\", \"b\", \"c\"), Choose(2.9, \"a\", \"b\"), Choose(\"3\", \"a\", \"b\", \"c\"), "
                     "Choose(1, Null, \"b\")"),
            (Rows{{"b", "b", "c", "NULL"}}));
  // Out of range, below 1 after truncation, or Null: no value.
  EXPECT_EQ(db.Query("SELECT Choose(4, \"a\", \"b\", \"c\"), Choose(0.9, \"a\"), Choose(-1, \"a\"), Choose(True, \"a\"), "
                     "Choose(Null, \"a\")"),
            (Rows{{"NULL", "NULL", "NULL", "NULL", "NULL"}}));
  EXPECT_EQ(db.Query("SELECT Choose(ItemType - 1, \"photo\", \"music\") FROM AlbumItems ORDER BY ItemID"),
            (Rows{{"photo"}, {"photo"}, {"NULL"}, {"music"}, {"photo"}}));
  EXPECT_EQ(QueryStatus("SELECT Choose(\"x\", \"a\")"), kMismatch);
  EXPECT_EQ(QueryStatus("SELECT Choose(1)"), kWrongArguments);
}

TEST_F(VbaFunctionsTest, InStrRevSearchesFromTheEnd) {
  EXPECT_EQ(db.Query("SELECT InStrRev(\"abcabc\", \"bc\"), InStrRev(\"abcabc\", \"bc\", 4), InStrRev(\"abcabc\", \"bc\", 3), "
                     "InStrRev(\"abcabc\", \"BC\"), InStrRev(\"abcabc\", \"BC\", -1, 0), InStrRev(\"abcabc\", \"x\")"),
            (Rows{{"5", "2", "2", "5", "0", "0"}}));
  // An empty search text is found at the start; a start past the end finds nothing.
  EXPECT_EQ(db.Query("SELECT InStrRev(\"abc\", \"\"), InStrRev(\"abc\", \"\", 2), InStrRev(\"\", \"a\"), "
                     "InStrRev(\"abc\", \"c\", 4), InStrRev(\"abc\", \"abcd\")"),
            (Rows{{"3", "2", "0", "0", "0"}}));
  // Positions count UTF-16 units, as Len does.
  EXPECT_EQ(db.Scalar("SELECT InStrRev(\"a\xF0\x9F\x98\x80" "b\xF0\x9F\x98\x80\", \"b\")"), "4");
  EXPECT_EQ(db.Query("SELECT InStrRev(Null, \"a\"), InStrRev(\"a\", Null), InStrRev(\"a\", \"a\", 1, Null)"),
            (Rows{{"NULL", "NULL", "1"}}));
  EXPECT_EQ(QueryStatus("SELECT InStrRev(\"abc\", \"b\", 0)"), kInvalidCall);
  EXPECT_EQ(QueryStatus("SELECT InStrRev(\"abc\", \"b\", Null)"), kInvalidNull);
  EXPECT_EQ(QueryStatus("SELECT InStrRev(\"abc\")"), kWrongArguments);
}

TEST_F(VbaFunctionsTest, StrReverseKeepsCharactersWhole) {
  EXPECT_EQ(db.Query("SELECT StrReverse(\"abc\"), StrReverse(\"\"), StrReverse(123), StrReverse(Name) FROM AlbumItems "
                     "WHERE ItemID = 1"),
            (Rows{{"cba", "", "321", "nalÉ"}}));
  EXPECT_EQ(db.Scalar("SELECT StrReverse(\"é\xF0\x9F\x98\x80x\")"), "x\xF0\x9F\x98\x80\xC3\xA9");
  // Null is an error here, not Null.
  EXPECT_EQ(QueryStatus("SELECT StrReverse(Null)"), kInvalidNull);
  EXPECT_EQ(QueryStatus("SELECT StrReverse(\"a\", \"b\")"), kWrongArguments);
}

TEST_F(VbaFunctionsTest, MonthAndWeekdayNamesInEnglish) {
  EXPECT_EQ(db.Query("SELECT MonthName(1), MonthName(9, True), MonthName(12, False), MonthName(2.5), MonthName(\"3\"), "
                     "MonthName(5, Null)"),
            (Rows{{"January", "Sep", "December", "February", "March", "May"}}));
  // Weekdays count from the first day of the week: Sunday unless told.
  EXPECT_EQ(db.Query("SELECT WeekdayName(1), WeekdayName(7, True), WeekdayName(1, False, 2), WeekdayName(7, True, 2), "
                     "WeekdayName(1, False, 0), WeekdayName(3, -1, 7)"),
            (Rows{{"Sunday", "Sat", "Monday", "Sun", "Sunday", "Mon"}}));
  EXPECT_EQ(QueryStatus("SELECT MonthName(0)"), kInvalidCall);
  EXPECT_EQ(QueryStatus("SELECT MonthName(Null)"), kInvalidNull);
  EXPECT_EQ(QueryStatus("SELECT MonthName(\"x\")"), kMismatch);
  EXPECT_EQ(QueryStatus("SELECT WeekdayName(8)"), kInvalidCall);
  EXPECT_EQ(QueryStatus("SELECT WeekdayName(1, False, 8)"), kInvalidCall);
}

TEST_F(VbaFunctionsTest, TimeValueKeepsOnlyTheTime) {
  const std::string quarterTo2 = db.Scalar("SELECT #13:45#");
  EXPECT_EQ(db.Scalar("SELECT TimeValue(\"1:45 PM\")"), quarterTo2);
  // A stored date's time is read to the second, so it equals the literal.
  EXPECT_EQ(db.Scalar("SELECT TimeValue(DateCreated) FROM AlbumItems WHERE ItemID = 1"), quarterTo2);
  // Before 1899-12-30 the fraction still counts forward from midnight.
  EXPECT_EQ(db.Scalar("SELECT TimeValue(DateCreated) FROM AlbumItems WHERE ItemID = 4"), db.Scalar("SELECT #6:00#"));
  EXPECT_EQ(db.Query("SELECT TimeValue(\"3/1/2024\"), TimeValue(#3/1/2024 23:59:59#) = #23:59:59#, TimeValue(Null)"),
            (Rows{{"0", "-1", "NULL"}}));
  EXPECT_EQ(QueryStatus("SELECT TimeValue(\"soon\")"), kMismatch);
  EXPECT_EQ(QueryStatus("SELECT TimeValue()"), kWrongArguments);
}

TEST_F(VbaFunctionsTest, TrigonometryAndOctal) {
  EXPECT_EQ(db.Query("SELECT Atn(1) * 4, Cos(0), Sin(0), Tan(0), Round(Sin(Atn(1) * 2), 10), Cos(\"0\")"),
            (Rows{{"3.14159265358979", "1", "0", "0", "1", "1"}}));
  EXPECT_EQ(db.Query("SELECT Atn(Null), Cos(Null), Sin(Null), Tan(Null)"), (Rows{{"NULL", "NULL", "NULL", "NULL"}}));
  EXPECT_EQ(QueryStatus("SELECT Sin(\"x\")"), kMismatch);
  // Oct rounds half to even and writes a negative Long as its 32 bits, like Hex.
  EXPECT_EQ(db.Query("SELECT Oct(8), Oct(0), Oct(-1), Oct(8.5), Oct(9.5), Oct(\"&H10\"), Oct(Null)"),
            (Rows{{"10", "0", "37777777777", "10", "12", "20", "NULL"}}));
  EXPECT_EQ(QueryStatus("SELECT Oct(\"x\")"), kMismatch);
}

TEST_F(VbaFunctionsTest, PartitionPadsRangesToTheWidestBound) {
  // 0 to 100: three places each side, the width of 101.
  EXPECT_EQ(db.Query("SELECT Partition(15, 0, 100, 10), Partition(-1, 0, 100, 10), Partition(150, 0, 100, 10), "
                     "Partition(100, 0, 100, 10), Partition(0, 0, 100, 10)"),
            (Rows{{" 10: 19", "   : -1", "101:   ", "100:100", "  0:  9"}}));
  // The width is that of stop + 1 or of start - 1, whichever is wider.
  EXPECT_EQ(db.Query("SELECT Partition(20, 0, 98, 5), Partition(20, 0, 99, 1), Partition(120, 0, 99, 5), "
                     "Partition(-5, 0, 99, 5), Partition(2, 0, 5, 2)"),
            (Rows{{"20:24", " 20: 20", "100:   ", "   : -1", " 2: 3"}}));
  // The last range ends at stop.
  EXPECT_EQ(db.Query("SELECT Partition(1005, 100, 1010, 20), Partition(105, 100, 1010, 20), Partition(50, 100, 1010, 20), "
                     "Partition(7.5, 0, 10, 1)"),
            (Rows{{"1000:1010", " 100: 119", "    :  99", " 8: 8"}}));
  EXPECT_EQ(db.Query("SELECT Partition(Size, 0, 500, 250) AS Range, Count(*) FROM AlbumItems "
                     "GROUP BY Partition(Size, 0, 500, 250) ORDER BY Partition(Size, 0, 500, 250)"),
            (Rows{{"  0:249", "3"}, {"250:499", "2"}}));
  EXPECT_EQ(db.Query("SELECT Partition(Null, 0, 10, 1), Partition(5, Null, 10, 1), Partition(5, 0, 10, Null), "
                     "Partition(Rating, 0, 10, 1) FROM AlbumItems WHERE ItemID = 2"),
            (Rows{{"NULL", "NULL", "NULL", "NULL"}}));
  EXPECT_EQ(QueryStatus("SELECT Partition(5, -1, 10, 1)"), kInvalidCall);
  EXPECT_EQ(QueryStatus("SELECT Partition(5, 0, 10, 0)"), kInvalidCall);
  EXPECT_EQ(QueryStatus("SELECT Partition(\"x\", 0, 10, 1)"), kMismatch);
  EXPECT_EQ(QueryStatus("SELECT Partition(5, 0, 10)"), kWrongArguments);
}

TEST_F(VbaFunctionsTest, SpreadAggregatesIgnoreNulls) {
  // Ratings 3, 5, 1, 2 (and one Null): mean 2.75, squared deviations 8.75.
  EXPECT_EQ(db.Query("SELECT Var(Rating), VarP(Rating), StDev(Rating), StDevP(Rating) FROM AlbumItems"),
            (Rows{{"2.91666666666667", "2.1875", "1.70782512765993", "1.4790199457749"}}));
  // One value has no sample spread; no values have none at all.
  EXPECT_EQ(db.Query("SELECT Var(Rating), VarP(Rating), StDev(Rating), StDevP(Rating) FROM AlbumItems WHERE ItemID = 1"),
            (Rows{{"NULL", "0", "NULL", "0"}}));
  EXPECT_EQ(db.Query("SELECT ItemType, StDevP(Rating) FROM AlbumItems GROUP BY ItemType HAVING VarP(Rating) >= 0 "
                     "ORDER BY ItemType"),
            (Rows{{"2", "0.5"}, {"3", "0"}, {"9", "0"}}));
  EXPECT_EQ(db.Query("TRANSFORM VarP(Rating) SELECT ItemType FROM AlbumItems GROUP BY ItemType PIVOT Hidden IN (0, -1)"),
            (Rows{{"2", "0.25", "NULL"}, {"3", "0", "NULL"}, {"9", "0", "NULL"}}));
  EXPECT_EQ(QueryStatus("SELECT StDev(Name) FROM AlbumItems"), kMismatch);
}

}  // namespace
}  // namespace albumcore::store::jetsql::testing
