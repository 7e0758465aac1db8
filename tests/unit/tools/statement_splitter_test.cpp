// Where statements end in a script or at a terminal.
#include "statement_splitter.h"

#include <gtest/gtest.h>

namespace albumcore::tools {
namespace {

std::vector<std::string> Texts(const std::vector<ScriptStatement>& statements) {
  std::vector<std::string> texts;
  for (const auto& s : statements) texts.push_back(s.text);
  return texts;
}

TEST(SplitScript, SemicolonsEndStatementsOutsideLiteralsAndNames) {
  const auto statements = SplitScript(
      "-- a comment line; not a statement\n"
      "INSERT INTO T (A)\n"
      "  VALUES (\"x;y\"\"z;\");  SELECT 'it''s;' AS [a;b]\n"
      "FROM T;\n"
      ";\n"
      "UPDATE T SET A = \"two\n"
      "-- lines\"");
  EXPECT_EQ(Texts(statements),
            (std::vector<std::string>{"INSERT INTO T (A)\n  VALUES (\"x;y\"\"z;\")", "SELECT 'it''s;' AS [a;b]\nFROM T",
                                      "UPDATE T SET A = \"two\n-- lines\""}));
  ASSERT_EQ(statements.size(), 3u);
  EXPECT_EQ(statements[0].line, 2);
  EXPECT_EQ(statements[1].line, 3);
  EXPECT_EQ(statements[2].line, 6);
}

TEST(SplitScript, WithoutAnySemicolonEveryLineIsAStatement) {
  const auto statements = SplitScript(
      "BEGIN TRANSACTION\r\n"
      "\n"
      "INSERT INTO T (A) VALUES (\"first\n"
      "second\")\n"
      "  -- skipped\n"
      "COMMIT\n");
  EXPECT_EQ(Texts(statements),
            (std::vector<std::string>{"BEGIN TRANSACTION", "INSERT INTO T (A) VALUES (\"first\nsecond\")", "COMMIT"}));
  EXPECT_EQ(statements.back().line, 6);
  EXPECT_TRUE(SplitScript("").empty());
  EXPECT_TRUE(SplitScript("\n  \n-- only a comment\n").empty());
}

TEST(StatementSplitter, AtATerminalAnEmptyLineEndsAStatementToo) {
  StatementSplitter splitter(StatementEnd::SemicolonOrEmptyLine);
  EXPECT_TRUE(splitter.AddLine("SELECT Name").empty());
  EXPECT_TRUE(splitter.pending());
  EXPECT_TRUE(splitter.AddLine("FROM T").empty());
  EXPECT_EQ(Texts(splitter.AddLine("")), std::vector<std::string>{"SELECT Name\nFROM T"});
  EXPECT_FALSE(splitter.pending());
  EXPECT_EQ(Texts(splitter.AddLine("SELECT 1; SELECT 2;")), (std::vector<std::string>{"SELECT 1", "SELECT 2"}));
  // An empty line inside a literal is part of it.
  EXPECT_TRUE(splitter.AddLine("SELECT \"a").empty());
  EXPECT_TRUE(splitter.AddLine("").empty());
  EXPECT_TRUE(splitter.AddLine("b\"").empty());
  const auto last = splitter.Finish();
  ASSERT_TRUE(last);
  EXPECT_EQ(last->text, "SELECT \"a\n\nb\"");
  EXPECT_EQ(last->line, 5);
  EXPECT_FALSE(splitter.Finish());
}

}  // namespace
}  // namespace albumcore::tools
