// String literals and LIKE escaping, checked by evaluating what they produce:
// with a strict reader of the Jet expression and with a real SQLite engine.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

#include "jet_string_expression.h"
#include "sqltext/sql_literal.h"

namespace albumcore::sqltext {
namespace {

using testing::EvaluateJetStringExpression;
using testing::ToSqliteExpression;

const std::vector<std::string>& HostileTexts() {
  static const std::vector<std::string> texts = {
      "",
      "plain",
      "a\"b",
      "\"\"\"",
      "pipe|and||more|",
      "\" & chr(34) & \"",           // our own escape, as user text
      "x\" OR 1=1 OR \"y",           // closing the literal early
      "it's 'single'",
      "[bracket] 50% *star* _under_ ?ques #hash",
      "back\\slash\\\\",
      "line\nbreak\ttab",
      "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80",  // été, 日本, an emoji
      std::string("nul\0inside", 10),
      std::string("\0", 1),
  };
  return texts;
}

bool HasNul(const std::string& s) { return s.find('\0') != std::string::npos; }

class Sqlite {
 public:
  Sqlite() { EXPECT_EQ(sqlite3_open(":memory:", &db_), SQLITE_OK); }
  ~Sqlite() { sqlite3_close(db_); }
  Sqlite(const Sqlite&) = delete;
  Sqlite& operator=(const Sqlite&) = delete;

  // The text of a one-value SELECT; parameters bound as text in order.
  std::string Select(const std::string& expression, const std::vector<std::string>& parameters = {}) {
    sqlite3_stmt* raw = nullptr;
    std::string sql = "SELECT " + expression;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.c_str(), -1, &raw, nullptr), SQLITE_OK) << sql << ": " << sqlite3_errmsg(db_);
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> stmt(raw, sqlite3_finalize);
    for (size_t i = 0; i < parameters.size(); ++i) {
      sqlite3_bind_text(raw, static_cast<int>(i + 1), parameters[i].data(), static_cast<int>(parameters[i].size()),
                        SQLITE_TRANSIENT);
    }
    EXPECT_EQ(sqlite3_step(raw), SQLITE_ROW) << sql;
    auto text = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
    return std::string(text ? text : "", static_cast<size_t>(sqlite3_column_bytes(raw, 0)));
  }

 private:
  sqlite3* db_ = nullptr;
};

TEST(QuoteSqlString, EvaluatesBackToTheOriginalText) {
  Sqlite db;
  for (const std::string& text : HostileTexts()) {
    std::string quoted = QuoteSqlString(text);
    EXPECT_EQ(EvaluateJetStringExpression(quoted), text) << quoted;
    if (HasNul(text)) continue;  // SQL text ends at a NUL for SQLite
    auto sqlite = ToSqliteExpression(quoted);
    ASSERT_TRUE(sqlite) << quoted;
    EXPECT_EQ(db.Select(*sqlite), text) << *sqlite;
  }
}

TEST(QuoteSqlString, ExactForm) {
  EXPECT_EQ(QuoteSqlString("a\"b"), "\"a\" & chr(34) & \"b\"");
  EXPECT_EQ(QuoteSqlString("|"), "\"\" & chr(124) & \"\"");
  EXPECT_EQ(QuoteSqlString(""), "\"\"");
}

TEST(EscapeLikeText, ReplacesExactlyTheTableCharacters) {
  EXPECT_EQ(EscapeLikeText("a\"b|c[d]%e*f_g?h#i\\"),
            "a\" & chr(34) & \"b\" & chr(124) & \"c[[]d][%]e[*]f[_]g?h#i\\");
}

// SQLite's GLOB reads "*", "?" and "[...]" as Jet's LIKE does (and takes
// "%" and "_" literally), so it shows what an escaped pattern matches.
TEST(EscapeLikeText, PatternMatchesTheTextItselfAndNotItsLookAlikes) {
  Sqlite db;
  auto matches = [&](const std::string& text, const std::string& userText) {
    auto pattern = EvaluateJetStringExpression("\"" + EscapeLikeText(userText) + "\"");
    EXPECT_TRUE(pattern) << EscapeLikeText(userText);
    return db.Select("?1 GLOB ?2", {text, pattern.value_or("")}) == "1";
  };
  for (const std::string& text : HostileTexts()) {
    if (HasNul(text) || text.find('#') != std::string::npos) continue;
    EXPECT_TRUE(matches(text, text)) << text;
  }
  EXPECT_FALSE(matches("aXb", "a*b"));
  EXPECT_FALSE(matches("b", "[ab]"));
  EXPECT_FALSE(matches("50 percent", "50%"));
  // Not in the table: "?" stays a wildcard for one character (and "#" for a digit).
  EXPECT_TRUE(matches("aXb", "a?b"));
}

}  // namespace
}  // namespace albumcore::sqltext
