// Jet's types through the adapter on a copy of the real template catalogue:
// parameters converted to what they are assigned to or compared with,
// results typed by their expressions, and the catalogue's lookups still
// served by their indexes.
#include <gtest/gtest.h>

#include <filesystem>
#include <initializer_list>
#include <utility>

#include "dao_fixture.h"
#include "store/dao/database.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::store::dao::testing {
namespace {

using com::Variant;
namespace fs = std::filesystem;

class TemplateTest : public DaoTest {
 protected:
  using Values = std::initializer_list<std::pair<const char*, Variant>>;

  void SetUp() override {
    DaoTest::SetUp();
    db_->Close();
    path_ = PathOf("library.db");
    fs::copy_file(ALBUMCORE_TEMPLATE_DB, path_);
    db_ = engine_->OpenDatabase(path_);
    auto items = db_->OpenRecordset("AlbumItems", dbOpenTable);
    items->AddNew();
    items->Fields("Name").SetValue("Beach");
    items->Fields("DateCreated").SetValue(Variant::Date(45352.5));
    items->Update();
    item_ = items->Fields("ItemID").Value().i4();
  }

  com::ComPtr<QueryDef> Bound(const std::string& query, Values values) {
    auto qd = db_->QueryDefs(query);
    for (const auto& [name, value] : values) qd->Parameters(name).SetValue(value);
    return qd;
  }
  void Run(const std::string& query, Values values) { Bound(query, values)->Execute(); }
  // The value of user field 1 of type `type` of the item, as the adapter reads it.
  Variant FieldValue(const std::string& type) {
    auto rs = Bound("EnumItemUserFields" + type, {{"item_id", Variant(item_)}})->OpenRecordset();
    return rs->IsEOF() ? Variant() : rs->Fields("FieldValue").Value();
  }
  std::string Plan(const std::string& jet) {
    const auto t = db_->session()->Translate(jet);
    sqlite3_stmt* s = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_->session()->db(), ("EXPLAIN QUERY PLAN " + t->sql).c_str(), -1, &s, nullptr),
              SQLITE_OK);
    std::string plan;
    while (sqlite3_step(s) == SQLITE_ROW) plan += std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 3))) + "\n";
    sqlite3_finalize(s);
    return plan;
  }

  int item_ = 0;
};

TEST_F(TemplateTest, UserFieldValuesTakeTheTypeOfTheirField) {
  for (const char* type : {"Text", "Number", "Date", "YesNo", "OnOff", "Memo"})
    Run(std::string("AssignUserField") + type, {{"item_id", Variant(item_)}, {"varFieldID", Variant(1)}});
  auto set = [&](const std::string& type, const Variant& value) {
    Run("SetFieldValue" + type, {{"varFieldValue", value}, {"item_id", Variant(item_)}, {"varFieldID", Variant(1)}});
  };
  set("Date", Variant("3/1/2024"));
  EXPECT_EQ(FieldValue("Date"), Variant::Date(45352.0));
  set("YesNo", Variant(1));
  EXPECT_EQ(FieldValue("YesNo"), Variant::Bool(true));
  EXPECT_EQ(RawScalar(path_, "SELECT FieldValue FROM AssignedFieldsYesNo"), "-1");
  set("OnOff", Variant("False"));
  EXPECT_EQ(FieldValue("OnOff"), Variant::Bool(false));
  set("Number", Variant("42"));
  EXPECT_EQ(FieldValue("Number"), Variant(42));
  set("Text", Variant(7));
  EXPECT_EQ(FieldValue("Text"), Variant("7"));
  set("Memo", Variant(std::string(300, 'm')));
  EXPECT_EQ(FieldValue("Memo"), Variant(std::string(300, 'm')));

  // What has no form of the field's type fails as Jet fails, and changes nothing.
  EXPECT_EQ(StatusOf([&] { set("Number", Variant("abc")); }), Jet(3421));
  EXPECT_EQ(StatusOf([&] { set("Date", Variant("the first of March")); }), Jet(3421));
  EXPECT_EQ(StatusOf([&] { set("Text", Variant(std::string(300, 't'))); }), Jet(3163));
  EXPECT_EQ(FieldValue("Number"), Variant(42));
  EXPECT_EQ(FieldValue("Text"), Variant("7"));
  set("Text", Variant(std::string(255, 't')));
  EXPECT_EQ(FieldValue("Text").bstr().str().size(), 255u);

  // A query of the caller's own, its parameters found in the statement.
  db_->CreateQueryDef("SetLater", "UPDATE AssignedFieldsDate SET FieldValue = DateAdd(\"d\", 1, [when]) WHERE ItemID = "
                                  "[item] AND FieldValue < [when]");
  Run("SetLater", {{"when", Variant("3/2/2024")}, {"item", Variant(std::to_string(item_))}});
  EXPECT_EQ(FieldValue("Date"), Variant::Date(45354.0));
}

TEST_F(TemplateTest, FieldsMadeTextByDdlIgnoreCase) {
  db_->Execute("CREATE TABLE Codes (ID COUNTER, Code LONG, Tag TEXT(10))");
  db_->Execute("INSERT INTO Codes (Code, Tag) VALUES (1, \"a\")");
  db_->Execute("ALTER TABLE Codes ALTER COLUMN Code TEXT(10)");
  db_->Execute("ALTER TABLE Codes ALTER COLUMN Tag TEXT(20)");
  db_->Execute("UPDATE Codes SET Code = \"x\" & Code");
  EXPECT_FALSE(db_->OpenRecordset("SELECT ID FROM Codes WHERE Code = \"X1\" AND Tag = \"A\"")->IsEOF());
  // An identity column widened stays exact.
  db_->Execute("ALTER TABLE AlbumItems ALTER COLUMN FileUniqueID TEXT(200)");
  db_->Execute("UPDATE AlbumItems SET FileUniqueID = \"id-a\"");
  EXPECT_TRUE(db_->OpenRecordset("SELECT ItemID FROM AlbumItems WHERE FileUniqueID = \"ID-A\"")->IsEOF());
}

TEST_F(TemplateTest, ComparedParametersMustHaveTheFormOfWhatTheyMeet) {
  auto record = [&](const Variant& id) {
    auto rs = Bound("GetItemRecord", {{"item_id", id}})->OpenRecordset();
    return rs->IsEOF() ? Variant() : rs->Fields("Name").Value();
  };
  EXPECT_EQ(record(Variant(std::to_string(item_))), Variant("Beach"));
  EXPECT_EQ(record(Variant(static_cast<double>(item_))), Variant("Beach"));
  EXPECT_EQ(StatusOf([&] { record(Variant("abc")); }), Jet(3464));
  EXPECT_EQ(StatusOf([&] { Run("DestroyItem", {{"item_id", Variant("first")}}); }), Jet(3464));

  db_->CreateQueryDef("Between", "SELECT ItemID FROM AlbumItems WHERE DateCreated BETWEEN [from] AND [to] AND "
                                 "Name = [who]");
  auto rs = Bound("Between", {{"from", Variant("3/1/2024")}, {"to", Variant("2024-03-02")}, {"who", Variant("BEACH")}})
                ->OpenRecordset();
  ASSERT_FALSE(rs->IsEOF());
  EXPECT_EQ(rs->Fields("ItemID").Value(), Variant(item_));
}

TEST_F(TemplateTest, ResultsComeBackAsJetTypesThem) {
  auto rs = db_->OpenRecordset(
      "SELECT Now() AS N, DateAdd(\"d\", 1, DateCreated) AS D, Min(DateCreated) AS M, IsNull(Note) AS B, "
      "Count(*) > 0 AS C, Sum(Hidden) AS S FROM AlbumItems");
  EXPECT_EQ(rs->Fields("N").Value().vt(), com::VT_DATE);
  EXPECT_EQ(rs->Fields("D").Value(), Variant::Date(45353.5));
  EXPECT_EQ(rs->Fields("M").Value(), Variant::Date(45352.5));
  EXPECT_EQ(rs->Fields("B").Value(), Variant::Bool(true));
  EXPECT_EQ(rs->Fields("C").Value(), Variant::Bool(true));
  EXPECT_EQ(rs->Fields("S").Value(), Variant(0));
  EXPECT_EQ(rs->Fields("D").Type(), jetsql::JetType::Date);
}

TEST_F(TemplateTest, CatalogueLookupsKeepTheirIndexes) {
  struct Lookup {
    const char* jet;
    const char* search;
  } lookups[] = {
      {"SELECT * FROM AlbumItems WHERE ItemID = [item_id];", "USING INTEGER PRIMARY KEY (rowid=?)"},
      {"SELECT Keywords.KeywordID FROM Keywords WHERE Keywords.KeywordName = [varKeywordName];",
       "INDEX Keywords_KeywordName (KeywordName=?)"},
      {"SELECT ItemID FROM AlbumItems WHERE ItemDataMoniker = [m]", "INDEX AlbumItems_ItemDataMoniker (ItemDataMoniker=?)"},
      {"SELECT ItemID FROM AlbumItems WHERE Name = [n]", "INDEX AlbumItems_Name (Name=?)"},
      {"SELECT ItemID FROM AlbumItems WHERE ItemType IN (2, 3)", "INDEX AlbumItems_ItemType (ItemType=?)"},
      {"SELECT AlbumItems.ItemID FROM AlbumContents INNER JOIN AlbumItems ON AlbumContents.ItemID = AlbumItems.ItemID "
       "WHERE AlbumContents.AlbumID = [album_id] AND AlbumItems.ItemType = 9 AND AlbumItems.Name = [varFieldName];",
       "SEARCH AlbumContents"},
      {"SELECT Keywords.KeywordID, Keywords.KeywordName FROM Keywords ORDER BY Keywords.KeywordName;",
       "INDEX Keywords_KeywordName"},
  };
  for (const auto& l : lookups) {
    const std::string plan = Plan(l.jet);
    EXPECT_NE(plan.find(l.search), std::string::npos) << l.jet << "\n" << plan;
    // No table read whole, no sort of its own.
    EXPECT_EQ(plan.find("TEMP B-TREE"), std::string::npos) << l.jet << "\n" << plan;
    for (size_t at = plan.find("SCAN"); at != std::string::npos; at = plan.find("SCAN", at + 1))
      EXPECT_NE(plan.substr(at, plan.find('\n', at) - at).find("INDEX"), std::string::npos) << l.jet << "\n" << plan;
  }
}

}  // namespace
}  // namespace albumcore::store::dao::testing
