// The stored-query catalogue of the template: names, parameters in the order
// callers bind them, and kind.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "catalogue_fixture.h"

namespace albumcore::store::schema::test {
namespace {

enum class Kind { Rows, Action };

struct Expected {
  std::string name;
  Kind kind;
  std::vector<std::string> parameters;
};

std::vector<Expected> ExpectedQueries() {
  std::vector<Expected> queries = {
      {"GetItemRecord", Kind::Rows, {"item_id"}},
      {"GetPhotoItemRecord", Kind::Rows, {"item_id"}},
      {"GetDeviceItemRecord", Kind::Rows, {"item_id"}},
      {"GetAlbumRecord", Kind::Rows, {"album_id"}},
      {"GetSpecialAlbumRecord", Kind::Rows, {"album_id"}},
      {"GetSpecialAlbum", Kind::Rows, {"album_type"}},
      {"AddSpecialAlbum", Kind::Action, {"album_type", "album_id"}},
      {"GetSpecialAlbumType", Kind::Rows, {"album_id"}},
      {"GetItemAlbumType", Kind::Rows, {"album_id"}},
      {"IsAlbum", Kind::Rows, {"item_id"}},
      {"IsAlbumNameUnique", Kind::Rows, {"album_id", "varFieldName"}},
      {"IsMRUSection", Kind::Rows, {"item_id"}},  // its callers bind item_id only
      {"EnumerateParentAlbums", Kind::Rows, {"item_id"}},
      {"EnumerateChildAlbums", Kind::Rows, {"album_id"}},
      {"EnumerateChildItems", Kind::Rows, {"album_id"}},
      {"HasParents", Kind::Rows, {"item_id", "album_id"}},
      {"HasOtherParents", Kind::Rows, {"item_id", "album_id", "album_id2"}},
      {"AddItemToAlbum", Kind::Action, {"album_id", "item_id"}},
      {"RemoveItemFromAlbum", Kind::Action, {"album_id", "item_id"}},
      {"DestroyAlbum", Kind::Action, {"album_id"}},
      {"DestroyItem", Kind::Action, {"item_id"}},
      {"SetItemThumbnailMoniker", Kind::Action, {"varThumbMoniker", "item_id"}},
      {"PopulateFromSearchResults", Kind::Action, {"album_id"}},
      {"AddItemToSearchResults", Kind::Action, {"item_id"}},
      {"RemoveItemFromSearchResults", Kind::Action, {"item_id"}},
      {"ClearSearchResults", Kind::Action, {}},
      {"FirstAdded", Kind::Rows, {"album_id"}},
      {"AddItemToMRU", Kind::Action, {"item_id", "varDateModified"}},
      {"AddDeviceItem", Kind::Action, {"item_id", "album_id"}},
      {"RemoveDeviceItem", Kind::Action, {"album_id", "item_id"}},
      {"AssignKeyword", Kind::Action, {"item_id", "varKeywordID"}},
      {"RemoveKeyword", Kind::Action, {"item_id", "varKeywordID"}},
      {"EnumItemKeywords", Kind::Rows, {"item_id"}},
      {"FindKeyword", Kind::Rows, {"varKeywordName"}},
      {"IsKeywordAssigned", Kind::Rows, {"varKeywordID"}},
      {"EnumKeywordsInLibrary", Kind::Rows, {}},
      {"CreateUserField", Kind::Action, {"varFieldName", "varFieldType"}},
      {"DestroyUserField", Kind::Action, {"varFieldID"}},
      {"GetUserFieldRecord", Kind::Rows, {"varFieldID"}},
      {"EnumUserFieldsInLibrary", Kind::Rows, {}},
      {"EnumUserFieldsInAlbum", Kind::Rows, {"album_id"}},
      {"EnumUserFieldsInShoebox", Kind::Rows, {}},
      {"ShowUserField", Kind::Action, {"album_id", "varFieldID"}},
      {"HideUserField", Kind::Action, {"album_id", "varFieldID"}},
      {"CreateSecretWord", Kind::Action, {"varGUID", "varName", "varExpiry", "varTemplateId", "varPassword"}},
      {"DeleteSecretWord", Kind::Action, {"varGUID"}},
  };
  for (const std::string type : {"Text", "Number", "Date", "YesNo", "OnOff", "Memo"}) {
    queries.push_back({"EnumItemUserFields" + type, Kind::Rows, {"item_id"}});
    queries.push_back({"AssignUserField" + type, Kind::Action, {"item_id", "varFieldID"}});
    queries.push_back({"RemoveUserField" + type, Kind::Action, {"item_id", "varFieldID"}});
    queries.push_back({"SetFieldValue" + type, Kind::Action, {"varFieldValue", "item_id", "varFieldID"}});
  }
  return queries;
}

std::map<std::string, std::string> StoredTexts(Db& db) {
  std::map<std::string, std::string> texts;
  for (const auto& row : db.Rows("SELECT Name, SQL FROM MSysQueries")) texts[row[0]] = row[1];
  return texts;
}

TEST(StoredQueries, EachIsStoredOnceWithItsParametersInCallingOrder) {
  Db db(BuiltTemplate());
  const auto texts = StoredTexts(db);
  const auto expected = ExpectedQueries();
  std::set<std::string> expectedNames;
  for (const auto& q : expected) {
    expectedNames.insert(q.name);
    const auto it = texts.find(q.name);
    if (it == texts.end()) {
      ADD_FAILURE() << "missing " << q.name;
      continue;
    }
    EXPECT_EQ(BracketedNames(it->second), q.parameters) << q.name << ": " << it->second;
  }
  std::set<std::string> storedNames;
  for (const auto& [name, sql] : texts) storedNames.insert(name);
  EXPECT_EQ(storedNames, expectedNames);
  EXPECT_EQ(db.Int("SELECT count(*) FROM MSysQueries"), static_cast<long long>(expected.size()));
}

TEST(StoredQueries, ParameterNamesNeverNameAColumn) {
  // A bracketed name that is a column is read as that column, and the value
  // the caller binds under that name would be silently ignored.
  Db db(BuiltTemplate());
  std::set<std::string> columns;
  for (const auto& table : db.Tables())
    for (const auto& c : db.Columns(table)) columns.insert(db.Column("SELECT lower('" + c.name + "')")[0]);
  for (const auto& [name, sql] : StoredTexts(db))
    for (const auto& parameter : BracketedNames(sql))
      EXPECT_FALSE(columns.contains(db.Column("SELECT lower('" + parameter + "')")[0])) << name << ": " << parameter;
}

TEST(StoredQueries, EachIsOneStatementOfItsKind) {
  Db db(BuiltTemplate());
  const auto texts = StoredTexts(db);
  for (const auto& q : ExpectedQueries()) {
    const std::string& sql = texts.at(q.name);
    const std::string verb = sql.substr(0, sql.find(' '));
    if (q.kind == Kind::Rows) EXPECT_EQ(verb, "SELECT") << q.name;
    else EXPECT_TRUE(verb == "INSERT" || verb == "UPDATE" || verb == "DELETE") << q.name;
    EXPECT_EQ(sql.find(';'), sql.size() - 1) << q.name << " is not exactly one statement ending in ';'";
  }
}

TEST(StoredQueries, AreFoundByNameIgnoringCase) {
  Db db(BuiltTemplate());
  EXPECT_EQ(db.Column("SELECT Name FROM MSysQueries WHERE Name = 'getitemRECORD'"),
            std::vector<std::string>{"GetItemRecord"});
  EXPECT_FALSE(db.TryExec("INSERT INTO MSysQueries (Name, SQL) VALUES ('DESTROYITEM', 'x')").empty());
}

TEST(StoredQueries, EveryQueryNamesOnlyTablesAndColumnsOfTheLayout) {
  Db db(BuiltTemplate());
  for (const auto& [name, jet] : StoredTexts(db)) {
    sqlite3_stmt* stmt = nullptr;
    const std::string sql = SqliteFormOf(jet);
    EXPECT_EQ(sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &stmt, nullptr), SQLITE_OK)
        << name << ": " << sqlite3_errmsg(db.get()) << "\n  in: " << sql;
    sqlite3_finalize(stmt);
  }
}

}  // namespace
}  // namespace albumcore::store::schema::test
