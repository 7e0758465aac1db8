// The stored queries through the Jet SQL translator, on the built template
// with the engine layer's real connection setup (JETNOCASE, Jet functions).
#include <gtest/gtest.h>

#include "catalogue_fixture.h"
#include "com/error.h"
#include "store/jetsql/connection.h"
#include "store/jetsql/sqlite_catalog.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::schema::test {
namespace {

class Translated : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(BuiltTemplate(), file_);
    ASSERT_EQ(sqlite3_open(file_.c_str(), &db_), SQLITE_OK);
    jetsql::ConfigureConnection(db_);
    catalog_ = std::make_unique<jetsql::SqliteSchemaCatalog>(db_, "MSysQueries");
  }
  void TearDown() override {
    catalog_.reset();
    sqlite3_close_v2(db_);
  }

  TempDir dir_;
  fs::path file_ = dir_.path() / "library.db";
  sqlite3* db_ = nullptr;
  std::unique_ptr<jetsql::SqliteSchemaCatalog> catalog_;
};

TEST_F(Translated, EveryStoredQueryTranslatesWithTheParametersItsCallersBind) {
  std::vector<std::pair<std::string, std::string>> queries;
  sqlite3_stmt* rows = nullptr;
  sqlite3_prepare_v2(db_, "SELECT Name, SQL FROM MSysQueries ORDER BY Name", -1, &rows, nullptr);
  while (sqlite3_step(rows) == SQLITE_ROW)
    queries.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(rows, 0)),
                         reinterpret_cast<const char*>(sqlite3_column_text(rows, 1)));
  sqlite3_finalize(rows);
  ASSERT_EQ(queries.size(), 70u);

  for (const auto& [name, jet] : queries) {
    try {
      const auto t = jetsql::TranslateStatement(jet, *catalog_);
      std::vector<std::string> parameters;
      for (const auto& p : t.parameters) parameters.push_back(p.name);
      EXPECT_EQ(parameters, BracketedNames(jet)) << name;
      EXPECT_EQ(t.returnsRows(), jet.rfind("SELECT", 0) == 0) << name;
      sqlite3_stmt* stmt = nullptr;
      EXPECT_EQ(sqlite3_prepare_v2(db_, t.sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
          << name << ": " << sqlite3_errmsg(db_) << "\n  in: " << t.sql;
      sqlite3_finalize(stmt);
    } catch (const com::ComError& e) {
      ADD_FAILURE() << name << ": " << e.what() << "\n  in: " << jet;
    }
  }
}

TEST_F(Translated, NameColumnsFoldUnicodeCaseWithTheRealCollation) {
  ASSERT_EQ(sqlite3_exec(db_, "INSERT INTO Keywords (KeywordName) VALUES ('été')", nullptr, nullptr, nullptr),
            SQLITE_OK);
  const auto t = jetsql::TranslateStatement("SELECT Keywords.KeywordID FROM Keywords WHERE Keywords.KeywordName = "
                                            "[varKeywordName];",
                                            *catalog_);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db_, t.sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << t.sql;
  sqlite3_bind_text(stmt, 1, "ÉTÉ", -1, SQLITE_STATIC);
  EXPECT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  sqlite3_finalize(stmt);
}

}  // namespace
}  // namespace albumcore::store::schema::test
