// The stored-query catalogue of the template: names and parameters in the
// order callers bind them.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "catalogue_fixture.h"

namespace albumcore::store::schema::test {
namespace {

struct Expected {
  std::string name;
  std::vector<std::string> parameters;
};

std::vector<Expected> ExpectedQueries() {
  std::vector<Expected> queries = {
      {"GetItemRecord", {"item_id"}}, {"GetPhotoItemRecord", {"item_id"}}, {"GetDeviceItemRecord", {"item_id"}},
      {"GetAlbumRecord", {"album_id"}}, {"GetSpecialAlbumRecord", {"album_id"}}, {"GetSpecialAlbum", {"album_type"}},
      {"AddSpecialAlbum", {"album_type", "album_id"}}, {"GetSpecialAlbumType", {"album_id"}},
      {"GetItemAlbumType", {"album_id"}}, {"IsAlbum", {"item_id"}},
      {"IsAlbumNameUnique", {"album_id", "varFieldName"}},
      {"IsMRUSection", {"item_id"}},  // its callers bind item_id only
      {"EnumerateParentAlbums", {"item_id"}}, {"EnumerateChildAlbums", {"album_id"}},
      {"EnumerateChildItems", {"album_id"}}, {"HasParents", {"item_id", "album_id"}},
      {"HasOtherParents", {"item_id", "album_id", "album_id2"}}, {"AddItemToAlbum", {"album_id", "item_id"}},
      {"RemoveItemFromAlbum", {"album_id", "item_id"}}, {"DestroyAlbum", {"album_id"}}, {"DestroyItem", {"item_id"}},
      {"SetItemThumbnailMoniker", {"varThumbMoniker", "item_id"}}, {"PopulateFromSearchResults", {"album_id"}},
      {"AddItemToSearchResults", {"item_id"}}, {"RemoveItemFromSearchResults", {"item_id"}},
      {"ClearSearchResults", {}}, {"FirstAdded", {"album_id"}}, {"AddItemToMRU", {"item_id", "varDateModified"}},
      {"AddDeviceItem", {"item_id", "album_id"}}, {"RemoveDeviceItem", {"album_id", "item_id"}},
      {"AssignKeyword", {"item_id", "varKeywordID"}}, {"RemoveKeyword", {"item_id", "varKeywordID"}},
      {"EnumItemKeywords", {"item_id"}}, {"FindKeyword", {"varKeywordName"}}, {"IsKeywordAssigned", {"varKeywordID"}},
      {"EnumKeywordsInLibrary", {}}, {"CreateUserField", {"varFieldName", "varFieldType"}},
      {"DestroyUserField", {"varFieldID"}}, {"GetUserFieldRecord", {"varFieldID"}}, {"EnumUserFieldsInLibrary", {}},
      {"EnumUserFieldsInAlbum", {"album_id"}}, {"EnumUserFieldsInShoebox", {}},
      {"ShowUserField", {"album_id", "varFieldID"}}, {"HideUserField", {"album_id", "varFieldID"}},
      {"CreateSecretWord", {"varGUID", "varName", "varExpiry", "varTemplateId", "varPassword"}},
      {"DeleteSecretWord", {"varGUID"}},
  };
  for (const std::string type : {"Text", "Number", "Date", "YesNo", "OnOff", "Memo"}) {
    queries.push_back({"EnumItemUserFields" + type, {"item_id"}});
    queries.push_back({"AssignUserField" + type, {"item_id", "varFieldID"}});
    queries.push_back({"RemoveUserField" + type, {"item_id", "varFieldID"}});
    queries.push_back({"SetFieldValue" + type, {"varFieldValue", "item_id", "varFieldID"}});
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
    EXPECT_EQ(it->second.find(';'), it->second.size() - 1) << q.name << " is not exactly one statement";
  }
  std::set<std::string> storedNames;
  for (const auto& [name, sql] : texts) storedNames.insert(name);
  EXPECT_EQ(storedNames, expectedNames);
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

TEST(StoredQueries, AreFoundByNameIgnoringCase) {
  Db db(BuiltTemplate());
  EXPECT_EQ(db.Column("SELECT Name FROM MSysQueries WHERE Name = 'getitemRECORD'"),
            std::vector<std::string>{"GetItemRecord"});
  EXPECT_FALSE(db.TryExec("INSERT INTO MSysQueries (Name, SQL) VALUES ('DESTROYITEM', 'x')").empty());
}

}  // namespace
}  // namespace albumcore::store::schema::test
