// The builder's failure behaviour: loud, precise, and leaving the target alone.
#include <gtest/gtest.h>

#include <fstream>

#include "catalogue_fixture.h"

namespace albumcore::store::schema::test {
namespace {

void Write(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

std::string BuildError(const std::vector<LayoutScript>& scripts, const fs::path& target) {
  try {
    BuildCatalogue(scripts, target);
  } catch (const schema::BuildError& e) {
    return e.what();
  }
  return {};
}

TEST(CatalogueBuilder, AFailingStatementIsReportedWithScriptLineAndTextAndChangesNothing) {
  TempDir dir;
  const fs::path target = dir.path() / "t.db";
  Write(target, "previous contents");
  const std::vector<LayoutScript> scripts = {
      {"first.sql", "CREATE TABLE A (x INTEGER);\n"},
      {"second.sql", "-- comment\nCREATE TABLE B (y INTEGER);\n\nCREATE INDEX B_z ON B (z);\nCREATE TABLE C (w);\n"}};
  const std::string error = BuildError(scripts, target);
  EXPECT_NE(error.find("second.sql:4"), std::string::npos) << error;
  EXPECT_NE(error.find("no such column: z"), std::string::npos) << error;
  EXPECT_NE(error.find("CREATE INDEX B_z ON B (z);"), std::string::npos) << error;

  std::ifstream in(target);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "previous contents");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);  // no temporaries
}

TEST(CatalogueBuilder, RefusesRowsThatThePlaceholderCollationWouldHaveToOrder) {
  TempDir dir;
  const std::string error = BuildError(
      {{"names.sql", "CREATE TABLE K (n TEXT COLLATE JETNOCASE);\nCREATE INDEX K_n ON K (n);\n"
                     "INSERT INTO K VALUES ('b'), ('A');\n"}},
      dir.path() / "t.db");
  EXPECT_NE(error.find("JETNOCASE"), std::string::npos) << error;
  EXPECT_FALSE(fs::exists(dir.path() / "t.db"));
}

}  // namespace
}  // namespace albumcore::store::schema::test
