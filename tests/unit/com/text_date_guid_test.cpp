#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <ctime>

#include "com/guid.h"
#include "com/oadate.h"
#include "com/text.h"

namespace albumcore::com {
namespace {

const char kEmoji[] = "\xF0\x9F\x98\x80";  // U+1F600, a surrogate pair in UTF-16

TEST(Text, Utf16Length) {
  EXPECT_EQ(Utf16Length("\xC3\xA9"), 1u);      // é
  EXPECT_EQ(Utf16Length(kEmoji), 2u);
  EXPECT_EQ(Bstr(std::string("a") + kEmoji).utf16Length(), 3u);
  // Invalid bytes count one unit each.
  EXPECT_EQ(Utf16Length("\xFF"), 1u);
  EXPECT_EQ(Utf16Length("\xC3"), 1u);                  // cut sequence
  EXPECT_EQ(Utf16Length("\xF0\x9F\x98" "A"), 4u);      // cut emoji, then a letter
  EXPECT_EQ(Utf16Length("\xF4\x90\x80\x80"), 4u);      // beyond U+10FFFF
}

TEST(Text, TruncateNeverSplitsACharacter) {
  const std::string s = std::string("a") + kEmoji + "\xC3\xA9" + "b";  // 1 + 2 + 1 + 1 units
  EXPECT_EQ(TruncateUtf16(s, 2), "a");  // half a pair does not fit
  EXPECT_EQ(TruncateUtf16(s, 3), std::string("a") + kEmoji);
  EXPECT_EQ(TruncateUtf16(s, 4), std::string("a") + kEmoji + "\xC3\xA9");
  EXPECT_EQ(TruncateUtf16(s, 99), s);
}

TEST(Text, Utf16RoundTrip) {
  const std::string s = std::string("A\xC3\xA9\xE4\xB8\xAD") + kEmoji;
  const std::u16string u = ToUtf16(s);
  EXPECT_EQ(u, (std::u16string{u'A', 0x00E9, 0x4E2D, 0xD83D, 0xDE00}));
  EXPECT_EQ(ToUtf8(u), s);
  EXPECT_EQ(u.size(), Utf16Length(s));

  // Lone surrogates, at either end or before a non-surrogate, become U+FFFD.
  EXPECT_EQ(ToUtf8(std::u16string{0xD83D}), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(std::u16string{0xD83D, u'x', 0xDE00}), "\xEF\xBF\xBDx\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf16(ToUtf8(std::u16string{0xD800, 0xD800, 0xDC00})),
            (std::u16string{0xFFFD, 0xD800, 0xDC00}));

  // Invalid UTF-8 yields replacement characters, never stray surrogates.
  EXPECT_EQ(ToUtf16("\xFF" "a"), (std::u16string{0xFFFD, u'a'}));
  EXPECT_EQ(ToUtf16("\xF4\x90\x80\x80"), std::u16string(4, 0xFFFD));
  EXPECT_EQ(ToUtf16("\xED\xA0\x80"), std::u16string(3, 0xFFFD));
}

DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
  return DateTime{y, mo, d, h, mi, s, ms};
}

TEST(OaDate, KnownDates) {
  struct Case {
    double date;
    DateTime t;
  };
  const Case cases[] = {
      {0.0, At(1899, 12, 30)},
      {-1.0, At(1899, 12, 29)},
      {-1.25, At(1899, 12, 29, 6)},
      {45351.0, At(2024, 2, 29)},
      {-657434.0, At(100, 1, 1)},
      {2958465.0 + 86399.0 / 86400.0, At(9999, 12, 31, 23, 59, 59)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.date);
    auto t = FromOaDate(c.date);
    ASSERT_TRUE(t);
    EXPECT_EQ(*t, c.t);
    auto back = ToOaDate(c.t);
    ASSERT_TRUE(back);
    EXPECT_DOUBLE_EQ(*back, c.date);
  }
  // -0.5 and 0.5 are the same moment.
  EXPECT_EQ(FromOaDate(-0.5), At(1899, 12, 30, 12));

  const DateTime precise = At(2024, 2, 29, 13, 45, 30, 123);
  EXPECT_EQ(FromOaDate(*ToOaDate(precise)), precise);
  const DateTime preciseOld = At(1850, 7, 1, 23, 59, 59, 999);
  EXPECT_EQ(FromOaDate(*ToOaDate(preciseOld)), preciseOld);

  EXPECT_EQ(FormatOaDate(45351.0), "2024-02-29");
  EXPECT_EQ(FormatOaDate(-1.25), "1899-12-29 06:00:00");
}

TEST(OaDate, InvalidFieldsAndRange) {
  for (const DateTime& bad : {At(2023, 2, 29), At(1900, 2, 29), At(2024, 4, 31), At(2024, 1, 0), At(2024, 1, 1, 24),
                              At(2024, 1, 1, 0, 60), At(2024, 1, 1, 0, 0, 0, 1000), At(99, 12, 31), At(10000, 1, 1)}) {
    EXPECT_FALSE(ToOaDate(bad)) << bad.year << "-" << bad.month << "-" << bad.day;
  }
  EXPECT_TRUE(ToOaDate(At(2000, 2, 29)));

  EXPECT_FALSE(FromOaDate(std::nan("")));
  EXPECT_FALSE(FromOaDate(-657435.0));  // 0099-12-31
  EXPECT_FALSE(FromOaDate(2958466.0));  // 10000-01-01
}

TEST(OaDate, MillisecondRoundingCarriesIntoTheNextDay) {
  const double almost = 1e-10;  // far below half a millisecond
  EXPECT_EQ(FromOaDate(2.0 - almost), At(1900, 1, 1));
  // Before the epoch the time of day still runs forward: just before the end
  // of 1899-12-29 (-1.99999...) rounds to 1899-12-30, of 1899-12-30 to -31.
  EXPECT_EQ(FromOaDate(-2.0 + almost), At(1899, 12, 30));
  EXPECT_EQ(FromOaDate(-1.0 + almost), At(1899, 12, 31));
  // The last representable moment cannot carry past 9999-12-31.
  auto last = FromOaDate(2958466.0 - almost);
  if (last) {
    EXPECT_EQ(last->year, 9999);
  }
}

TEST(OaDate, NowIsUtc) {
  const double expected = static_cast<double>(std::time(nullptr)) / 86400.0 + 25569.0;
  EXPECT_NEAR(NowUtcOaDate(), expected, 5.0 / 86400.0);
}

TEST(Guid, CreateFormatAndParse) {
  const Guid g = Guid::Create();
  const std::string s = g.ToString();
  ASSERT_EQ(s.size(), 38u);
  EXPECT_EQ(s[15], '4');  // version 4
  EXPECT_NE(std::string("89AB").find(s[20]), std::string::npos);
  for (char c : s) EXPECT_FALSE(std::islower(static_cast<unsigned char>(c))) << s;
  EXPECT_EQ(Guid::Parse(s), g);

  const std::string known = "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}";
  auto parsed = Guid::Parse("5efbb572-1cbd-47da-8bba-5bab9cadd108");
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->ToString(), known);
  EXPECT_EQ(Guid::Parse(known), parsed);

  for (const char* bad : {"", "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108", "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD10}",
                          "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD1080}", "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD10G}",
                          "(5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108)", "5EFBB5721-CBD-47DA-8BBA-5BAB9CADD108"}) {
    EXPECT_FALSE(Guid::Parse(bad)) << bad;
  }
}

}  // namespace
}  // namespace albumcore::com
