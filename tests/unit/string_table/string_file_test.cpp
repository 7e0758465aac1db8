// Parsing one string file: entries kept, faults reported with their line.
#include <gtest/gtest.h>

#include "components/string_table/string_file.h"

namespace albumcore::components {
namespace {

std::string Joined(const StringFileContents& c) {
  std::string s;
  for (const auto& [ref, text] : c.entries) s += ref + "=" + text + ";";
  return s;
}

TEST(StringFile, ReadsSectionsAndKeepsBlanksAndMarkup) {
  const StringFileContents c = ParseStringFile("a.xml",
                                               "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                               "<strings>\n"
                                               "  <section name=\"Core\">\n"
                                               "    <string key=\"CommaSpace\">, </string>\n"
                                               "    <string key=\"Blank\"> </string>\n"
                                               "    <string key=\"Size.Small\">%u &lt;b&gt; caf\xc3\xa9</string>\n"
                                               "    <string key=\"Empty\"/>\n"
                                               "  </section>\n"
                                               "  <!-- a comment -->\n"
                                               "  <section name=\"Other\"><string key=\"Core\">x</string></section>\n"
                                               "</strings>\n");
  EXPECT_TRUE(c.problems.empty()) << c.problems.front();
  EXPECT_EQ(Joined(c), "Core.CommaSpace=, ;Core.Blank= ;Core.Size.Small=%u <b> caf\xc3\xa9;Core.Empty=;Other.Core=x;");
}

TEST(StringFile, SkipsEntriesThatBreakARuleAndTellsTheirLine) {
  const StringFileContents c = ParseStringFile("/r/b.xml",
                                               "<strings>\n"
                                               "<section name=\"Core\">\n"
                                               "<string key=\"A\">1</string>\n"
                                               "<string>no key</string>\n"
                                               "<string key=\"A\">again</string>\n"
                                               "<text key=\"B\">wrong element</text>\n"
                                               "</section>\n"
                                               "<section name=\"Bad.Name\"><string key=\"C\">3</string></section>\n"
                                               "<section><string key=\"D\">4</string></section>\n"
                                               "<section name=\"Tail\"><string key=\"E\">5</string></section>\n"
                                               "</strings>\n");
  EXPECT_EQ(Joined(c), "Core.A=1;Tail.E=5;");
  ASSERT_EQ(c.problems.size(), 5u);
  EXPECT_EQ(c.problems[0], "/r/b.xml:4: <string> skipped: has no key");
  EXPECT_EQ(c.problems[1], "/r/b.xml:5: \"Core.A\" defined again; the first text is kept");
  EXPECT_EQ(c.problems[2].rfind("/r/b.xml:6: <text> skipped", 0), 0u) << c.problems[2];
  EXPECT_EQ(c.problems[3], "/r/b.xml:8: <section> skipped: section name \"Bad.Name\" holds a point");
  EXPECT_EQ(c.problems[4], "/r/b.xml:9: <section> skipped: has no section name");

  const StringFileContents longKey =
      ParseStringFile("c.xml", "<strings><section name=\"S\"><string key=\"" + std::string(256, 'k') +
                                   "\">x</string><string key=\"" + std::string(255, 'k') + "\">y</string></section></strings>");
  ASSERT_EQ(longKey.entries.size(), 1u);
  EXPECT_EQ(longKey.entries[0].second, "y");
  ASSERT_EQ(longKey.problems.size(), 1u);
}

TEST(StringFile, ABrokenFileKeepsWhatEndedBeforeTheFault) {
  // Broken inside the third entry's text: the first two stay.
  const StringFileContents inText = ParseStringFile("d.xml",
                                                    "<strings>\n"
                                                    " <section name=\"S\">\n"
                                                    "  <string key=\"One\">1</string>\n"
                                                    "  <string key=\"Two\"/>\n"
                                                    "  <string key=\"Three\">3 < more</string>\n"
                                                    "  <string key=\"Four\">4</string>\n"
                                                    " </section>\n"
                                                    "</strings>\n");
  EXPECT_EQ(Joined(inText), "S.One=1;S.Two=;");
  ASSERT_FALSE(inText.problems.empty());
  EXPECT_EQ(inText.problems.front().rfind("d.xml:5: not well-formed XML", 0), 0u) << inText.problems.front();

  // Broken off after a complete entry: every entry stays.
  const StringFileContents cutOff =
      ParseStringFile("e.xml", "<strings>\n<section name=\"S\">\n<string key=\"One\">1</string>\n<string key=\"Two\">2</string>\n</sect");
  EXPECT_EQ(Joined(cutOff), "S.One=1;S.Two=2;");
  EXPECT_EQ(cutOff.problems.size(), 1u);

  // Broken off inside an entry's text: that entry goes, as its text may be cut.
  const StringFileContents inLast = ParseStringFile("f.xml", "<strings><section name=\"S\"><string key=\"One\">1</string><string key=\"Two\">tw");
  EXPECT_EQ(Joined(inLast), "S.One=1;");
  EXPECT_EQ(inLast.problems.size(), 2u);

  for (const char* text : {"", "not xml at all", "<other/>", "<strings", "\xff\xfe<\x00"}) {
    const StringFileContents c = ParseStringFile("g.xml", text);
    EXPECT_TRUE(c.entries.empty()) << text;
    EXPECT_EQ(c.problems.size(), 1u) << text;
  }
}

}  // namespace
}  // namespace albumcore::components
