// What albumctl prints: never invalid UTF-8, and values typed for programs.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>

#include "display_text.h"
#include "param_values.h"
#include "store/jetsql/jet_text.h"

namespace albumcore::tools {
namespace {

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();)
    if (store::jetsql::DecodeUtf8(s, i) >= store::jetsql::kInvalidBase) return false;
  return true;
}

TEST(DisplayText, InvalidBytesAndControlsAreShownEscaped) {
  EXPECT_EQ(DisplayText("Café \xE2\x82\xAC \xF0\x9F\x93\xB7\tok"), "Café \xE2\x82\xAC \xF0\x9F\x93\xB7\tok");
  EXPECT_EQ(DisplayText("caf\xE9 \xC3"), "caf\\xE9 \\xC3");              // Latin-1, a cut-off sequence
  EXPECT_EQ(DisplayText("\xC0\xAF \xED\xA0\x80"), "\\xC0\\xAF \\xED\\xA0\\x80");  // overlong, surrogate
  EXPECT_EQ(DisplayText("two\nlines\r\x01\x7F"), "two\\nlines\\r\\x01\\x7F");
}

TEST(JsonString, IsAlwaysValidUtf8AndEscaped) {
  EXPECT_EQ(JsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
  const std::string replaced = JsonString("caf\xE9 \xFF\xFE ok \xE2\x82\xAC");
  EXPECT_EQ(replaced, "\"caf\xEF\xBF\xBD \xEF\xBF\xBD\xEF\xBF\xBD ok \xE2\x82\xAC\"");
  EXPECT_TRUE(IsValidUtf8(replaced));
}

TEST(ParseParam, UntypedAndTypedValues) {
  EXPECT_EQ(ParseParam("item_id=12").name, "item_id");
  const std::pair<const char*, com::Variant> cases[] = {
      {"item_id=12", com::Variant(12)},
      {"n=2147483648", com::Variant("2147483648")},  // past 32 bits: text
      {"name=a=b", com::Variant("a=b")},
      {"name:text=12", com::Variant("12")},
      {"size:NUMBER=-7", com::Variant(-7)},
      {"size:number=2.5", com::Variant(2.5)},
      {"taken:date=#2024-07-14 18:00#", com::Variant::Date(45487.75)},
      {"hidden:yesno=On", com::Variant::Bool(true)},
      {"hidden:yesno=0", com::Variant::Bool(false)},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseParam(text).value, value) << text;
  EXPECT_TRUE(ParseParam("note:null").value.isNull());
  // The type follows the last colon, and only a type does.
  EXPECT_EQ(ParseParam("Taken after::date=1/2/2024").name, "Taken after:");
  EXPECT_EQ(ParseParam("a:b=1").name, "a:b");

  for (const char* bad : {"=1", "name", "n:number=2x", "n:number=inf", "d:date=31/31/2024", "b:yesno=maybe",
                          "x:null=1", ":text=a", "n:number"}) {
    EXPECT_THROW(ParseParam(bad), CLI::ValidationError) << bad;
  }
}

}  // namespace
}  // namespace albumcore::tools
