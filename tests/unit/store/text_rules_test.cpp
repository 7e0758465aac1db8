// The value rules behind the SQLite functions: LIKE patterns and their index
// ranges, case folding, dates and numbers.
#include <gtest/gtest.h>

#include "store/jetsql/jet_dates.h"
#include "store/jetsql/jet_text.h"
#include "store/jetsql/jet_values.h"

namespace albumcore::store::jetsql {
namespace {

TEST(LikePatternTest, WildcardsAndSets) {
  struct Case {
    const char* pattern;
    const char* text;
    bool match;
  } cases[] = {
      {"a*c", "abbbc", true},   {"a*c", "abbbd", false}, {"*", "", true},        {"?", "", false},
      {"a?c", "abc", true},     {"#x", "5x", true},      {"#x", "ax", false},    {"[a-c]z", "bz", true},
      {"[!a-c]z", "bz", false}, {"[!a-c]z", "dz", true}, {"[*]", "*", true},     {"[*]", "x", false},
      {"a%", "a%", true},       {"a%", "abc", false},    {"a_", "a_", true},     {"a_", "ab", false},
      {"a[]b", "ab", true},     {"[", "[", true},        {"*a*a*a*b", "aaaaaaaaaaaaaaaaaaaaaaaa", false},
      {"ÉCOLE", "école", true}, {"[é]", "É", true},      {"*ß", "STRAß", true},  {"[a-c][!x]", "Ab", true},
  };
  for (const auto& c : cases) EXPECT_EQ(LikePattern(c.pattern).Matches(c.text), c.match) << c.pattern << " ~ " << c.text;
}

TEST(LikePatternTest, RangeBoundsEveryMatch) {
  auto range = RangeForLike(LikePattern("Abc*"), RangeCollation::NoCase);
  ASSERT_TRUE(range);
  EXPECT_EQ(range->lower, "abc");
  EXPECT_EQ(range->upper, "abd");
  // The character after '@' is 'A', which folds: the bound skips to a stable one.
  range = RangeForLike(LikePattern("x@*"), RangeCollation::NoCase);
  ASSERT_TRUE(range && range->upper);
  EXPECT_EQ(CompareNoCase(FoldText(*range->upper), *range->upper), 0);
  EXPECT_GT(CompareNoCase(*range->upper, "x@zzz"), 0);
  // U+10FFFF cannot be incremented: the bound moves to the previous character.
  range = RangeForLike(LikePattern("b\xF4\x8F\xBF\xBF*"), RangeCollation::NoCase);
  ASSERT_TRUE(range);
  EXPECT_EQ(range->upper, "c");
  // Exact comparison: an ASCII letter spans both its cases; K and S (which
  // non-ASCII letters fold to) and other cased letters end the prefix.
  range = RangeForLike(LikePattern("::/ab*"), RangeCollation::Binary);
  ASSERT_TRUE(range);
  EXPECT_EQ(range->lower, "::/AB");
  EXPECT_EQ(range->upper, "::/ac");
  range = RangeForLike(LikePattern("file::/Pictures/*"), RangeCollation::Binary);
  ASSERT_TRUE(range);
  EXPECT_EQ(range->lower, "FILE::/PICTURE");
  EXPECT_EQ(range->upper, "file::/picturf");
  EXPECT_FALSE(RangeForLike(LikePattern("sea*"), RangeCollation::Binary));
  EXPECT_FALSE(RangeForLike(LikePattern("Élan*"), RangeCollation::Binary));
  EXPECT_FALSE(RangeForLike(LikePattern("*ab"), RangeCollation::NoCase));
}

TEST(CaseFoldingTest, CollationOrderAndEquality) {
  EXPECT_EQ(CompareNoCase("Élan", "éLAN"), 0);
  EXPECT_EQ(CompareNoCase("ΣΊΣΥΦΟΣ", "σίσυφοσ"), 0);
  EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
  // Invalid bytes compare as themselves and sort after characters.
  EXPECT_NE(CompareNoCase("a\xFF", "a\xFE"), 0);
  EXPECT_GT(CompareNoCase("a\xFF", "a\xF4\x8F\xBF\xBF"), 0);
  EXPECT_EQ(UpperCase("straße"), "STRASSE");
}

TEST(JetDatesTest, LiteralsInBothOrders) {
  EXPECT_EQ(ParseDateText("3/1/2024"), 45352.0);
  EXPECT_EQ(ParseDateText("2024-03-01"), 45352.0);
  EXPECT_EQ(ParseDateText("3/1/24"), 45352.0);
  EXPECT_EQ(ParseDateText("12:00"), 0.5);
  EXPECT_EQ(ParseDateText("1899-12-29 6:00"), -1.25);
  EXPECT_FALSE(ParseDateText("2/30/2024"));
  EXPECT_FALSE(ParseDateText("13:61"));
  EXPECT_FALSE(ParseDateText("1/2/3/4"));
}

TEST(JetDatesTest, PartsAddAndDiffAcrossTheEpoch) {
  EXPECT_EQ(DatePart("w", 45352.0), 6);                // Friday
  EXPECT_EQ(DatePart("w", 45352.0, 2), 5);             // weeks starting Monday
  EXPECT_EQ(DatePart("ww", *ParseDateText("12/31/2024")), 53);
  EXPECT_EQ(DatePart("ww", *ParseDateText("1/1/2021"), 2, 2), 53);  // belongs to 2020's last week
  EXPECT_EQ(DatePart("zz", 1.0), std::nullopt);
  EXPECT_EQ(DateAdd("d", 1, -1.25), 0.25);            // 1899-12-29 06:00 + 1 day
  EXPECT_EQ(DateAdd("yyyy", 1, *ParseDateText("2/29/2024")), ParseDateText("2/28/2025"));
  EXPECT_EQ(DateDiff("h", -1.25, 0.25), 24);
  EXPECT_EQ(DateDiff("ww", *ParseDateText("3/2/2024"), *ParseDateText("3/3/2024")), 1);  // Sat -> Sun
  EXPECT_EQ(DateSerial(24, 2, 30), ParseDateText("3/1/2024"));
  EXPECT_EQ(FormatDate(*ParseDateText("3/1/2024 13:05"), "dddd d mmm yy h:nn AM/PM"), "Friday 1 Mar 24 1:05 PM");
  EXPECT_EQ(GeneralDate(*ParseDateText("3/1/2024 13:05")), "3/1/2024 1:05:00 PM");
}

TEST(JetValuesTest, NumbersAsJetWritesAndReadsThem) {
  EXPECT_EQ(NumberText(1.0), "1");
  EXPECT_EQ(NumberText(0.1), "0.1");
  EXPECT_EQ(NumberText(1e20), "1E+20");
  EXPECT_EQ(ParseNumberText(" 12.5 "), 12.5);
  EXPECT_EQ(ParseNumberText("&HFF"), 255.0);
  EXPECT_EQ(ParseNumberText("&HFFFFFFFF"), -1.0);
  EXPECT_FALSE(ParseNumberText("12abc"));
  EXPECT_EQ(ValText("  1 2 3 abc"), 123.0);
  EXPECT_EQ(ValText("-1.5e2x"), -150.0);
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
  EXPECT_EQ(FormatNumber(0.256, "0.0%"), "25.6%");
  EXPECT_EQ(FormatNumber(-1234567.891, "Standard"), "-1,234,567.89");
}

}  // namespace
}  // namespace albumcore::store::jetsql
