// The declaration the upgrade works from: the embedded scripts are the
// layout sources, and what they declare is exactly what the template holds.
#include <gtest/gtest.h>

#include <algorithm>

#include "catalogue_fixture.h"
#include "store/schema/declared_layout.h"

namespace albumcore::store::schema::test {
namespace {

TEST(DeclaredLayout, IsTheTemplatesSchemaAndQueriesAsTheBuildEmbeddedThem) {
  const auto embedded = CurrentLayoutScripts();
  const auto sources = CurrentLayout();
  ASSERT_EQ(embedded.size(), sources.size());
  for (size_t i = 0; i < sources.size(); ++i) EXPECT_TRUE(embedded[i].text == sources[i].text) << sources[i].name;

  const DeclaredLayout& layout = DeclaredLayout::Current();
  std::vector<std::string> declared;
  for (const auto* objects : {&layout.tables(), &layout.indexes(), &layout.triggers()})
    for (const auto& o : *objects) declared.push_back(o.name + "|" + o.table + "|" + o.sql);
  std::sort(declared.begin(), declared.end());
  Db db(BuiltTemplate());
  EXPECT_EQ(declared, db.Column("SELECT name || '|' || tbl_name || '|' || sql FROM sqlite_master "
                                "WHERE sql IS NOT NULL AND name NOT LIKE 'sqlite%' ORDER BY 1"));

  std::vector<std::string> queries;
  for (const auto& q : layout.queries()) queries.push_back(q.name + "|" + q.sql);
  std::sort(queries.begin(), queries.end());
  EXPECT_EQ(queries, db.Column("SELECT Name || '|' || SQL FROM MSysQueries ORDER BY 1"));

  const auto relations = layout.Rows("msysrelationships");
  ASSERT_EQ(relations.size(), 1u);
  EXPECT_EQ(relations[0].literals, (std::vector<std::string>{"'Rel1'", "'AlbumItems'", "'DeviceItems'", "'ItemID'",
                                                              "'ItemID'", "4096"}));
  EXPECT_EQ(relations[0].Text("ForeignTable"), "DeviceItems");
  EXPECT_TRUE(layout.Rows("AlbumItems").empty());
}

TEST(DeclaredLayout, ReportsTheStatementThatDoesNotRun) {
  try {
    const std::vector<LayoutScript> scripts = {{"broken.sql", "CREATE TABLE A (x INTEGER);\nCREATE TABLE B (y INTEGER REFERENCES);"}};
    DeclaredLayout broken(scripts);
    FAIL() << "a broken layout was accepted";
  } catch (const BuildError& e) {
    EXPECT_NE(std::string(e.what()).find("broken.sql:2"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace albumcore::store::schema::test
