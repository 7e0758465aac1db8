// What the layout does with rows: the relation, the triggers, the keys and
// defaults, and the stored queries' contracts, on a copy of the built
// template. The queries run in the SQLite form of SqliteFormOf().
#include <gtest/gtest.h>

#include "catalogue_fixture.h"

namespace albumcore::store::schema::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Strings = std::vector<std::string>;

class Catalogue : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::copy_file(BuiltTemplate(), file_);
    db_ = std::make_unique<Db>(file_);
  }

  Db& db() { return *db_; }

  std::string AddItem(int type, const std::string& name) {
    db().Exec("INSERT INTO AlbumItems (ItemType, ItemDataMoniker, Name) VALUES (" + std::to_string(type) +
              ", 'file::/m/" + name + "', '" + name + "')");
    return std::to_string(sqlite3_last_insert_rowid(db().get()));
  }

  std::string AddAlbum(const std::string& name, const std::string& parent = {}, int itemType = 9) {
    const std::string id = AddItem(itemType, name);
    db().Exec("INSERT INTO Albums (AlbumID) VALUES (" + id + ")");
    if (!parent.empty()) db().RunStored("AddItemToAlbum", {{"album_id", parent}, {"item_id", id}});
    return id;
  }

  long long Count(const std::string& table, const std::string& where) {
    return db().Int("SELECT count(*) FROM " + table + " WHERE " + where);
  }

  TempDir dir_;
  fs::path file_ = dir_.path() / "library.db";
  std::unique_ptr<Db> db_;
};

// Tables with an ItemID column, other than AlbumItems itself.
Strings DependentTables(Db& db) {
  Strings tables;
  for (const auto& table : db.Tables())
    for (const auto& c : db.Columns(table))
      if (c.name == "ItemID" && table != "AlbumItems") tables.push_back(table);
  return tables;
}

// Adds a row for `item` to every table with an ItemID column, filling other
// required columns with an ID that no item has.
void AddDependentRows(Db& db, const std::string& item) {
  for (const auto& table : DependentTables(db)) {
    std::string columns = "ItemID", values = item;
    for (const auto& c : db.Columns(table))
      if (c.notNull && c.defaultValue.empty() && c.name != "ItemID") {
        columns += ", " + c.name;
        values += ", 1000";
      }
    db.Exec("INSERT INTO " + table + " (" + columns + ") VALUES (" + values + ")");
  }
}

TEST_F(Catalogue, DestroyItemRemovesTheItemAndEveryRowThatDependsOnIt) {
  const std::string gone = AddItem(0, "a.jpg"), kept = AddItem(0, "b.jpg");
  AddDependentRows(db(), gone);
  AddDependentRows(db(), kept);
  db().RunStored("DestroyItem", {{"item_id", gone}});
  EXPECT_EQ(Count("AlbumItems", "ItemID = " + gone), 0);
  for (const auto& table : DependentTables(db())) {
    EXPECT_EQ(Count(table, "ItemID = " + gone), 0) << table;
    EXPECT_GE(Count(table, "ItemID = " + kept), 1) << table;
  }
}

TEST_F(Catalogue, DestroyingAnAlbumsItemRemovesItsAlbumRowsAndMemberships) {
  const std::string album = AddAlbum("Trip"), member = AddItem(0, "a.jpg");
  db().RunStored("AddItemToAlbum", {{"album_id", album}, {"item_id", member}});
  db().RunStored("AddDeviceItem", {{"item_id", member}, {"album_id", album}});
  db().RunStored("ShowUserField", {{"album_id", album}, {"varFieldID", "3"}});
  db().RunStored("AddSpecialAlbum", {{"album_type", "2"}, {"album_id", album}});
  db().RunStored("DestroyItem", {{"item_id", album}});
  for (const char* table : {"Albums", "AlbumContents", "DeviceItems", "VisibleUserFields", "SpecialAlbums"})
    EXPECT_EQ(Count(table, "AlbumID = " + album), 0) << table;
  EXPECT_EQ(Count("AlbumItems", "ItemID = " + member), 1);  // members are not destroyed with the album
}

TEST_F(Catalogue, Rel1IsTheCascadingForeignKeyFromDeviceItemsToAlbumItems) {
  EXPECT_EQ(db().Rows("SELECT \"table\", \"from\", \"to\", on_delete FROM pragma_foreign_key_list('DeviceItems')"),
            (Rows{{"AlbumItems", "ItemID", "ItemID", "CASCADE"}}));
  const std::string album = AddAlbum("Phone"), item = AddItem(2, "a.mp3");
  db().RunStored("AddDeviceItem", {{"item_id", item}, {"album_id", album}});
  db().Exec("DELETE FROM AlbumItems WHERE ItemID = " + item);
  EXPECT_EQ(Count("DeviceItems", "ItemID = " + item), 0);
  EXPECT_FALSE(db().TryExec("INSERT INTO DeviceItems (ItemID, AlbumID) VALUES (999, " + album + ")").empty());
}

// Membership ends with the item's last device row in the album, not its first.
TEST_F(Catalogue, DeviceItemMembershipEndsWithTheLastDeviceRow) {
  const std::string album = AddAlbum("Music on phone"), item = AddItem(2, "a.mp3");
  db().RunStored("AddItemToAlbum", {{"album_id", album}, {"item_id", item}});  // already a member: no error
  for (int i = 0; i < 2; ++i) db().RunStored("AddDeviceItem", {{"item_id", item}, {"album_id", album}});
  db().Exec("DELETE FROM DeviceItems WHERE ID = 1");
  EXPECT_EQ(Count("AlbumContents", "AlbumID = " + album), 1);
  db().RunStored("RemoveDeviceItem", {{"album_id", album}, {"item_id", item}});
  EXPECT_EQ(Count("AlbumContents", "AlbumID = " + album), 0);
}

TEST_F(Catalogue, NewRowsGetTheDefaultsCallersRelyOn) {
  const std::string album = AddAlbum("Trip");
  EXPECT_EQ(db().Column("SELECT AlbumType FROM Albums WHERE AlbumID = " + album), Strings{"0"});
  EXPECT_EQ(db().Rows("SELECT Size, BigSize, Rating, ReadOnly, Hidden, BackedUp FROM AlbumItems WHERE ItemID = " + album),
            (Rows{{"0", "0", "0", "0", "0", "0"}}));

  const std::string item = AddItem(2, "a.mp3");
  for (int i = 0; i < 3; ++i) db().RunStored("AddDeviceItem", {{"item_id", item}, {"album_id", album}});
  EXPECT_EQ(db().Column("SELECT ID FROM DeviceItems ORDER BY ID"), (Strings{"1", "2", "3"}));
  EXPECT_EQ(db().RunStored("GetDeviceItemRecord", {{"item_id", "2"}}),
            (Rows{{"2", item, album, "NULL", "NULL", "NULL"}}));
  db().Exec("DELETE FROM DeviceItems WHERE ID = 3");
  db().RunStored("AddDeviceItem", {{"item_id", item}, {"album_id", album}});
  EXPECT_EQ(db().Column("SELECT max(ID) FROM DeviceItems"), Strings{"4"});  // IDs are never reused
}

TEST_F(Catalogue, AddingARowThatExistsChangesNothing) {
  const std::string album = AddAlbum("Trip"), item = AddItem(0, "a.jpg");
  for (int i = 0; i < 2; ++i) {
    db().RunStored("AddItemToAlbum", {{"album_id", album}, {"item_id", item}});
    db().RunStored("AssignKeyword", {{"item_id", item}, {"varKeywordID", "4"}});
    db().RunStored("AddItemToSearchResults", {{"item_id", item}});
    db().RunStored("ShowUserField", {{"album_id", album}, {"varFieldID", "2"}});
    db().RunStored("AssignUserFieldText", {{"item_id", item}, {"varFieldID", "2"}});
    db().RunStored("AddItemToMRU", {{"item_id", item}, {"varDateModified", std::to_string(45000 + i)}});
  }
  for (const char* table :
       {"AlbumContents", "AssignedKeywords", "SearchResults", "VisibleUserFields", "AssignedFieldsText", "MRUList"})
    EXPECT_EQ(db().Int(std::string("SELECT count(*) FROM ") + table), 1) << table;
  EXPECT_EQ(db().Column("SELECT LastUsed FROM MRUList"), Strings{"45000.0"});
}

TEST_F(Catalogue, FirstAddedListsASectionsLeastRecentlyUsedItemFirst) {
  const std::string section = AddAlbum("Recent photos");
  const std::string used30 = AddItem(0, "a.jpg"), used10 = AddItem(0, "b.jpg"), neverUsed = AddItem(0, "c.jpg");
  for (const auto& item : {used30, used10, neverUsed})
    db().RunStored("AddItemToAlbum", {{"album_id", section}, {"item_id", item}});
  db().RunStored("AddItemToMRU", {{"item_id", used30}, {"varDateModified", "30"}});
  db().RunStored("AddItemToMRU", {{"item_id", used10}, {"varDateModified", "10"}});
  EXPECT_EQ(db().RunStored("FirstAdded", {{"album_id", section}}), (Rows{{neverUsed}, {used10}, {used30}}));
}

TEST_F(Catalogue, AlbumTreeQueriesAnswerAsTheAlbumCodeExpects) {
  const std::string root = AddAlbum("Root"), mru = AddAlbum("MRU");
  db().RunStored("AddSpecialAlbum", {{"album_type", "1"}, {"album_id", root}});
  db().RunStored("AddSpecialAlbum", {{"album_type", "3"}, {"album_id", mru}});
  EXPECT_EQ(db().RunStored("GetSpecialAlbum", {{"album_type", "3"}}), Rows{{mru}});
  EXPECT_EQ(db().RunStored("GetSpecialAlbumType", {{"album_id", root}}), Rows{{"1"}});

  const std::string trip = AddAlbum("Trip", root), section = AddAlbum("Recent", mru);
  const std::string playlist = AddAlbum("Songs", root, 22), photo = AddItem(0, "a.jpg");
  for (const auto& album : {trip, mru}) db().RunStored("AddItemToAlbum", {{"album_id", album}, {"item_id", photo}});

  EXPECT_EQ(db().RunStored("EnumerateChildAlbums", {{"album_id", root}}), Rows{{trip}});
  EXPECT_EQ(db().RunStored("EnumerateChildItems", {{"album_id", root}}), Rows{{playlist}});
  EXPECT_EQ(db().RunStored("EnumerateParentAlbums", {{"item_id", photo}}).size(), 2u);
  EXPECT_EQ(db().RunStored("GetItemAlbumType", {{"album_id", playlist}}), Rows{{"22"}});
  EXPECT_EQ(db().RunStored("IsAlbum", {{"item_id", photo}}), Rows{});
  EXPECT_EQ(db().RunStored("IsMRUSection", {{"item_id", section}}).size(), 1u);
  EXPECT_EQ(db().RunStored("IsMRUSection", {{"item_id", trip}}).size(), 0u);

  // Membership in the MRU album does not count as a parent.
  EXPECT_EQ(db().RunStored("HasParents", {{"item_id", photo}, {"album_id", mru}}), Rows{{trip}});
  EXPECT_EQ(db().RunStored("HasOtherParents", {{"item_id", photo}, {"album_id", trip}, {"album_id2", mru}}), Rows{});

  // Names are unique among the children of an album, ignoring case.
  EXPECT_EQ(db().RunStored("IsAlbumNameUnique", {{"album_id", root}, {"varFieldName", "TRIP"}}).size(), 1u);
  EXPECT_EQ(db().RunStored("IsAlbumNameUnique", {{"album_id", mru}, {"varFieldName", "Trip"}}).size(), 0u);

  db().RunStored("AddItemToSearchResults", {{"item_id", photo}});
  db().RunStored("AddItemToSearchResults", {{"item_id", trip}});
  db().RunStored("PopulateFromSearchResults", {{"album_id", trip}});  // never into itself
  EXPECT_EQ(db().Column("SELECT ItemID FROM AlbumContents WHERE AlbumID = " + trip), Strings{photo});
  db().RunStored("ClearSearchResults");
  EXPECT_EQ(db().Int("SELECT count(*) FROM SearchResults"), 0);
}

TEST_F(Catalogue, KeywordQueriesGiveTheColumnsTheKeywordCodeReads) {
  db().Exec("INSERT INTO Keywords (KeywordName) VALUES ('beach'), ('Alps')");
  const std::string item = AddItem(0, "a.jpg"), other = AddItem(0, "b.jpg");
  for (const auto& i : {item, other}) db().RunStored("AssignKeyword", {{"item_id", i}, {"varKeywordID", "1"}});
  db().RunStored("AssignKeyword", {{"item_id", item}, {"varKeywordID", "2"}});
  EXPECT_EQ(db().RunStored("FindKeyword", {{"varKeywordName", "BEACH"}}), Rows{{"1"}});
  EXPECT_EQ(db().RunStored("IsKeywordAssigned", {{"varKeywordID", "1"}}), Rows{{"2"}});
  EXPECT_EQ(db().RunStored("EnumKeywordsInLibrary"), (Rows{{"2", "Alps"}, {"1", "beach"}}));
  EXPECT_EQ(db().RunStored("EnumItemKeywords", {{"item_id", item}}), (Rows{{"2"}, {"1"}}));
  db().RunStored("RemoveKeyword", {{"item_id", item}, {"varKeywordID", "1"}});
  EXPECT_EQ(db().RunStored("IsKeywordAssigned", {{"varKeywordID", "1"}}), Rows{{"1"}});
}

TEST_F(Catalogue, UserFieldQueriesKeepDefinitionsValuesAndVisibilityTogether) {
  db().RunStored("CreateUserField", {{"varFieldName", "Place"}, {"varFieldType", "0"}});
  db().RunStored("CreateUserField", {{"varFieldName", "Count"}, {"varFieldType", "1"}});
  db().Exec("UPDATE UserFields SET Description = 'where' WHERE FieldID = 1");
  EXPECT_EQ(db().RunStored("EnumUserFieldsInLibrary"), (Rows{{"1", "0", "Place", "where"}, {"2", "1", "Count", "NULL"}}));
  EXPECT_EQ(db().RunStored("EnumUserFieldsInShoebox"), (Rows{{"1"}, {"2"}}));

  const std::string album = AddAlbum("Trip"), item = AddItem(0, "a.jpg");
  db().RunStored("ShowUserField", {{"album_id", album}, {"varFieldID", "1"}});
  EXPECT_EQ(db().RunStored("EnumUserFieldsInAlbum", {{"album_id", album}}), Rows{{"1"}});
  for (const std::string type : {"Text", "Number", "Date", "YesNo", "OnOff", "Memo"}) {
    db().RunStored("AssignUserField" + type, {{"item_id", item}, {"varFieldID", "1"}});
    db().RunStored("SetFieldValue" + type, {{"varFieldValue", "7"}, {"item_id", item}, {"varFieldID", "1"}});
    const std::string stored = type == "Date" ? "7.0" : "7";  // a date column keeps a double
    EXPECT_EQ(db().RunStored("EnumItemUserFields" + type, {{"item_id", item}}), (Rows{{item, "1", stored}})) << type;
  }
  db().RunStored("RemoveUserFieldText", {{"item_id", item}, {"varFieldID", "1"}});
  EXPECT_EQ(db().RunStored("EnumItemUserFieldsText", {{"item_id", item}}), Rows{});

  db().RunStored("DestroyUserField", {{"varFieldID", "1"}});
  EXPECT_EQ(db().RunStored("EnumUserFieldsInAlbum", {{"album_id", album}}), Rows{});
  for (const char* type : {"Number", "Date", "YesNo", "OnOff", "Memo"})
    EXPECT_EQ(db().Int(std::string("SELECT count(*) FROM AssignedFields") + type), 0) << type;
}

TEST_F(Catalogue, DeleteSecretWordTakesItsAssociationsWithIt) {
  const Db::Params word = {{"varGUID", "{G1}"}, {"varName", "Family"}, {"varExpiry", "Never"},
                           {"varTemplateId", "3"}, {"varPassword", "pw"}};
  db().RunStored("CreateSecretWord", word);
  db().RunStored("CreateSecretWord", {{"varGUID", "{G2}"}, {"varName", "Work"}, {"varExpiry", "45000.5"},
                                      {"varTemplateId", "0"}, {"varPassword", ""}});
  EXPECT_EQ(db().Rows("SELECT * FROM SecretWords WHERE SecretWordID = 1"),
            (Rows{{"1", "{G1}", "Family", "Never", "3", "pw"}}));
  db().Exec("INSERT INTO SecretWordAssociations (SecretWordID, RequestID, AlbumID) VALUES (1, 'Album:5', 5), "
            "(2, 'Album:6', 6)");
  db().RunStored("DeleteSecretWord", {{"varGUID", "{G1}"}});
  EXPECT_EQ(db().Column("SELECT wordGUID FROM SecretWords"), Strings{"{G2}"});
  EXPECT_EQ(db().Column("SELECT RequestID FROM SecretWordAssociations"), Strings{"Album:6"});
}

TEST_F(Catalogue, CopyingAnOldCatalogueInKeepsOrphansAndReplacesVirtualAlbumRows) {
  TempDir oldDir;
  const fs::path oldFile = oldDir.path() / "old.db";
  fs::copy_file(BuiltV1(), oldFile);
  {
    Db old(oldFile);
    old.Exec("INSERT INTO AlbumItems (ItemType, Name) VALUES (0, 'a.jpg')");
    old.Exec("INSERT INTO AlbumContents (AlbumID, ItemID) VALUES (77, 1), (77, 999)");  // 999: an orphan
    old.Exec("UPDATE SpecialAlbumProperties SET CustomSort = x'01000000' WHERE AlbumID = -1");
  }
  db().Exec("ATTACH '" + oldFile.string() + "' AS old");
  for (const auto& table : db().Column("SELECT name FROM old.sqlite_master WHERE type = 'table' AND "
                                       "name NOT IN ('sqlite_sequence', 'MSysQueries', 'Misc')")) {
    std::string columns;
    for (const auto& c : db().Column("SELECT name FROM pragma_table_info('" + table + "', 'old')"))
      columns += (columns.empty() ? "" : ", ") + c;
    db().Exec("INSERT INTO main." + table + " (" + columns + ") SELECT " + columns + " FROM old." + table);
  }
  EXPECT_EQ(Count("AlbumContents", "AlbumID = 77"), 2);
  EXPECT_EQ(db().Column("SELECT hex(CustomSort) FROM SpecialAlbumProperties WHERE AlbumID = -1"),
            Strings{"01000000"});
  EXPECT_EQ(db().Int("SELECT count(*) FROM SpecialAlbumProperties"), 4);
}

}  // namespace
}  // namespace albumcore::store::schema::test
