// The built template against the catalogue's contract: tables, columns and
// their order and types, collations, indexes, file header, content.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>

#include "catalogue_fixture.h"

namespace albumcore::store::schema::test {
namespace {

// Jet type of a column as the declared-type conventions of catalogue.sql give it.
std::string JetKind(const ColumnInfo& c) {
  if (c.autoIncrement) return "counter";
  const std::string& t = c.declaredType;
  if (t == "INTEGER") return "long";
  if (t == "DOUBLE") return "double";
  if (t == "DATETIME DOUBLE") return "date";
  if (t.rfind("YESNO INTEGER", 0) == 0) return "yesno";
  if (t == "LONGTEXT") return "memo";
  if (t == "LONGBINARY BLOB") return "binary";
  if (t.rfind("TEXT(", 0) == 0) return "text" + t.substr(4);
  return "unknown " + t;
}

std::string Describe(const std::vector<ColumnInfo>& columns) {
  std::string out;
  for (const auto& c : columns) out += (out.empty() ? "" : ", ") + c.name + " " + JetKind(c);
  return out;
}

TEST(CatalogueLayout, YesNoColumnsAreRequiredWithDefaultNoExceptFieldValues) {
  Db db(BuiltTemplate());
  for (const auto& table : db.Tables())
    for (const auto& c : db.Columns(table)) {
      if (JetKind(c) != "yesno") continue;
      // A yes/no user field assigned without a value reads back empty.
      const bool fieldValue = c.name == "FieldValue";
      EXPECT_EQ(c.notNull, !fieldValue) << table << "." << c.name;
      EXPECT_EQ(c.defaultValue, fieldValue ? "" : "0") << table << "." << c.name;
    }
}

TEST(CatalogueLayout, EveryTextColumnStatesItsCollationAndOnlyIdentityTextComparesExactly) {
  Db db(BuiltTemplate());
  std::set<std::string> exact, system;
  for (const auto& table : db.Tables()) {
    const std::string sql = db.Column("SELECT sql FROM sqlite_master WHERE name = '" + table + "'")[0];
    for (const auto& c : db.Columns(table)) {
      const std::string kind = JetKind(c);
      if (kind != "memo" && kind.rfind("text", 0) != 0) continue;
      if (table.rfind("MSys", 0) == 0) {
        if (c.collation != "BINARY") system.insert(table + "." + c.name + " " + c.collation);
        continue;
      }
      // Stated in the declaration, not SQLite's default.
      const size_t at = sql.find("\n  " + c.name + " ");
      ASSERT_NE(at, std::string::npos) << table << "." << c.name;
      const std::string definition = sql.substr(at, sql.find('\n', at + 1) - at);
      EXPECT_NE(definition.find("COLLATE " + c.collation), std::string::npos) << definition;
      if (c.collation == "BINARY") exact.insert(table + "." + c.name);
      else EXPECT_EQ(c.collation, "JETNOCASE") << table << "." << c.name;
    }
  }
  EXPECT_EQ(exact, (std::set<std::string>{
                       "AlbumItems.ItemDataMoniker", "AlbumItems.ItemThumbMoniker", "AlbumItems.SoundMoniker",
                       "AlbumItems.FileUniqueID", "DeviceItems.TranscodedPath", "DeviceItems.BackupPath",
                       "VideoStream.CodecGUID", "VideoEffect.UUID", "VideoEffect.ImagePreviewA",
                       "VideoEffect.ImagePreviewB", "Overlay.AlphaFile", "SmartViews.RequestID",
                       "SecretWords.wordGUID", "SecretWords.SwPassword", "SecretWordAssociations.RequestID",
                       "UPnPShares.RequestID", "UPnPDevices.UDN", "UPnPDevices.ManufacturerURL",
                       "AudioItem.MoreInfoURL", "AudioStream.MoreInfoURL", "MRUSoundMonikers.SoundMoniker"}));
  // Query and relation names: ASCII case folding, usable without the engine layer.
  EXPECT_EQ(system, (std::set<std::string>{"MSysQueries.Name NOCASE", "MSysRelationships.Name NOCASE"}));
}

// True when an index of `table` (an INTEGER PRIMARY KEY counts) starts with `columns`.
bool HasIndexStartingWith(Db& db, const std::string& table, const std::vector<std::string>& columns) {
  if (columns.size() == 1)
    for (const auto& c : db.Columns(table))
      if (c.name == columns[0] && c.primaryKey && c.declaredType == "INTEGER") return true;
  for (const auto& index : db.Column("SELECT name FROM pragma_index_list('" + table + "')")) {
    const auto indexed = db.Column("SELECT name FROM pragma_index_info('" + index + "') ORDER BY seqno");
    if (indexed.size() >= columns.size() && std::equal(columns.begin(), columns.end(), indexed.begin())) return true;
  }
  return false;
}

TEST(CatalogueLayout, IndexesServeTheLookupsOfTheStoredQueriesAndTheCode) {
  Db db(BuiltTemplate());
  const std::vector<std::pair<std::string, std::vector<std::string>>> lookups = {
      {"AlbumItems", {"ItemDataMoniker"}},   {"AlbumItems", {"FileUniqueID"}},
      {"AlbumItems", {"ItemType"}},          {"AlbumItems", {"Name"}},
      {"AlbumContents", {"AlbumID", "ItemID"}}, {"AlbumContents", {"ItemID"}},
      {"AssignedKeywords", {"ItemID", "KeywordID"}}, {"AssignedKeywords", {"KeywordID"}},
      {"Keywords", {"KeywordName"}},         {"SpecialAlbums", {"Type"}},
      {"SpecialAlbums", {"AlbumID"}},        {"DeviceItems", {"ItemID"}},
      {"DeviceItems", {"AlbumID", "ItemID"}}, {"VisibleUserFields", {"AlbumID", "FieldID"}},
      {"VisibleUserFields", {"FieldID"}},    {"MRUList", {"ItemID"}},
      {"SearchResults", {"ItemID"}},         {"SecretWords", {"wordGUID"}},
      {"SecretWordAssociations", {"SecretWordID"}}, {"AudioStream", {"ItemID"}},
      {"VideoStream", {"ItemID"}},           {"UPnPDeviceMapping", {"ShareID"}},
      {"UPnPDeviceMapping", {"DeviceID"}},   {"MSysQueries", {"Name"}},
  };
  for (const auto& [table, columns] : lookups)
    EXPECT_TRUE(HasIndexStartingWith(db, table, columns)) << table << " (" << columns[0] << ", ...)";
  for (const char* type : {"Text", "Number", "Date", "YesNo", "OnOff", "Memo"}) {
    const std::string table = std::string("AssignedFields") + type;
    EXPECT_TRUE(HasIndexStartingWith(db, table, {"ItemID", "FieldID"})) << table;
    EXPECT_TRUE(HasIndexStartingWith(db, table, {"FieldID"})) << table;
  }
  // The oldest entry is the first row in table order; an index could make a
  // scan return them sorted instead.
  EXPECT_TRUE(db.Column("SELECT name FROM pragma_index_list('MRUSearchStrings')").empty());
  EXPECT_TRUE(db.Column("SELECT name FROM pragma_index_list('MRUSoundMonikers')").empty());
}

TEST(CatalogueLayout, HeaderAndContentOfTheTemplate) {
  Db db(BuiltTemplate());
  EXPECT_EQ(db.Int("PRAGMA application_id"), kCatalogueApplicationId);
  EXPECT_EQ(db.Column("SELECT Version FROM Misc"), std::vector<std::string>{"9"});
  EXPECT_EQ(db.Int("PRAGMA user_version"), 9);
  EXPECT_EQ(db.Column("PRAGMA journal_mode"), std::vector<std::string>{"delete"});  // left to the session
  for (const auto& table : db.Tables()) {
    const long long rows = db.Int("SELECT count(*) FROM " + table);
    if (table == "Misc") EXPECT_EQ(rows, 1);
    else if (table == "MSysQueries") EXPECT_EQ(rows, 70);
    else if (table == "MSysRelationships") EXPECT_EQ(rows, 1);
    else if (table == "SpecialAlbumProperties")
      EXPECT_EQ(db.Column("SELECT AlbumID FROM SpecialAlbumProperties ORDER BY AlbumID DESC"),
                (std::vector<std::string>{"-1", "-2", "-3", "-4"}));
    else EXPECT_EQ(rows, 0) << table;
  }
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(CatalogueLayout, BuildingTwiceGivesTheSameBytes) {
  TempDir dir;
  BuildCatalogue(CurrentLayout(), dir.path() / "again.db");
  EXPECT_EQ(Bytes(dir.path() / "again.db"), Bytes(BuiltTemplate()));
}

TEST(OldLayoutV1, LacksTheLaterAdditionsAndKeepsTheLeadingColumns) {
  Db current(BuiltTemplate());
  Db old(BuiltV1());
  std::vector<std::string> expected = current.Tables();
  std::erase(expected, "DeviceItems");
  std::erase(expected, "AssignedFieldsMemo");
  std::erase(expected, "MSysRelationships");  // the engine layer creates it when a relation is added
  EXPECT_EQ(old.Tables(), expected);

  for (const auto& table : old.Tables()) {
    const auto oldColumns = Describe(old.Columns(table));
    std::string currentColumns = Describe(current.Columns(table));
    if (table == "AlbumItems") {
      EXPECT_NE(oldColumns.find("FileUniqueID text(50)"), std::string::npos);
      currentColumns.replace(currentColumns.find("FileUniqueID text(255)"), 22, "FileUniqueID text(50)");
    }
    if (table == "AudioItem") EXPECT_EQ(oldColumns + ", AlbumArtist text(255)", currentColumns);
    else if (table == "Albums") EXPECT_EQ(oldColumns + ", AlbumIcon memo, AlbumType long", currentColumns);
    else EXPECT_EQ(oldColumns, currentColumns) << table;
  }
  EXPECT_EQ(old.Int("SELECT count(*) FROM Misc"), 0);
  EXPECT_EQ(old.Int("PRAGMA user_version"), kVersionWithoutMiscRow);
  EXPECT_EQ(old.Int("PRAGMA application_id"), kCatalogueApplicationId);

  const auto currentQueries = current.Column("SELECT Name FROM MSysQueries ORDER BY Name");
  std::vector<std::string> expectedQueries;
  const std::set<std::string> later = {"GetDeviceItemRecord", "AddDeviceItem",       "RemoveDeviceItem",
                                       "EnumItemUserFieldsMemo", "AssignUserFieldMemo", "RemoveUserFieldMemo",
                                       "SetFieldValueMemo"};
  for (const auto& name : currentQueries)
    if (!later.contains(name)) expectedQueries.push_back(name);
  EXPECT_EQ(old.Column("SELECT Name FROM MSysQueries ORDER BY Name"), expectedQueries);
  // The queries both layouts have are the same text.
  const auto texts = [](Db& db) {
    std::map<std::string, std::string> byName;
    for (const auto& row : db.Rows("SELECT Name, SQL FROM MSysQueries")) byName[row[0]] = row[1];
    return byName;
  };
  const auto currentTexts = texts(current);
  for (const auto& [name, sql] : texts(old)) EXPECT_EQ(sql, currentTexts.at(name)) << name;
}

}  // namespace
}  // namespace albumcore::store::schema::test
