// Labels whose placeholders come from string files: what a label needs is
// formatted, anything else is left as written and never reads past the
// arguments.
#include <gtest/gtest.h>

#include "components/string_table/label_format.h"

namespace albumcore::components {
namespace {

TEST(LabelFormat, FormatsTheConversionsLabelsUse) {
  EXPECT_EQ(FormatLabel("%d x %d pixels", {int64_t{640}, int64_t{480}}), "640 x 480 pixels");
  EXPECT_EQ(FormatLabel("%.2f GB", {1.5}), "1.50 GB");
  EXPECT_EQ(FormatLabel("%u KB", {int64_t{12}}), "12 KB");
  EXPECT_EQ(FormatLabel("%s   %d X %d   %s   ", {std::string_view("1 KB"), int64_t{1}, int64_t{2}, std::string_view("JPG")}),
            "1 KB   1 X 2   JPG   ");
  EXPECT_EQ(FormatLabel("100%% of %ld", {int64_t{3}}), "100% of 3");
  // Arguments convert to what the placeholder asks for.
  EXPECT_EQ(FormatLabel("%d and %.1f", {2.9, int64_t{4}}), "2 and 4.0");
}

TEST(LabelFormat, HostileFormatsCannotReachPastTheArguments) {
  EXPECT_EQ(FormatLabel("%d %d %s", {int64_t{1}}), "1 %d %s");
  EXPECT_EQ(FormatLabel("%n%p%x", {int64_t{1}}), "%n%p%x");
  EXPECT_EQ(FormatLabel("trailing %", {}), "trailing %");
  // A width of more than two digits is no placeholder a label needs.
  EXPECT_EQ(FormatLabel("%999999d", {int64_t{7}}), "%999999d");
  EXPECT_EQ(FormatLabel("%5d|", {int64_t{7}}), "    7|");
}

}  // namespace
}  // namespace albumcore::components
