#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "dao_fixture.h"
#include "store/dao/querydef.h"
#include "store/schema/catalogue_builder.h"

namespace albumcore::store::dao::testing {
namespace {

constexpr int kItems = 32768;
constexpr uint32_t kPageSize = 4096;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WritePage(const std::string& path, uint32_t pgno, char fill) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(pgno - 1) * kPageSize);
  const std::string bytes(kPageSize, fill);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const TableRepair* Find(const RepairReport& report, const std::string& table) {
  for (const auto& t : report.tables)
    if (t.table == table) return &t;
  return nullptr;
}

// A real catalogue (the shipped layout and stored queries) holding 32,768
// items, every 97th with a value long enough to need overflow pages, their
// album memberships, keywords and photo details.
class RepairTest : public DaoTest {
 protected:
  void SetUp() override {
    DaoTest::SetUp();
    db_.reset();
    catalogue_ = PathOf("library.cat");
    schema::BuildCatalogue({schema::ReadLayoutScript(std::string(ALBUMCORE_SCHEMA_DIR) + "/catalogue.sql"),
                            schema::ReadLayoutScript(std::string(ALBUMCORE_SCHEMA_DIR) + "/stored_queries.sql")},
                           catalogue_);
    RawExec(catalogue_, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                            std::to_string(kItems) + ") "
                            "INSERT INTO AlbumItems (ItemID, ItemType, ItemDataMoniker, Name, Note, DateCreated, Size, "
                            "Hidden, Rating, DataXML, FileUniqueID) "
                            "SELECT i, i % 3, 'file::/photos/' || i || '.jpg', 'item ' || i, printf('%0200d', i), "
                            "45000.5 + i, i * 3, -(i % 2), i % 6, CASE WHEN i % 97 = 0 THEN hex(zeroblob(3000)) END, "
                            "'uid-' || i FROM n;"
                            "INSERT INTO AlbumContents (AlbumID, ItemID) SELECT ItemID % 50 + 1, ItemID FROM AlbumItems;"
                            "INSERT INTO Keywords (KeywordName) SELECT 'keyword ' || ItemID FROM AlbumItems WHERE ItemID <= 100;"
                            "INSERT INTO AssignedKeywords (ItemID, KeywordID) SELECT ItemID, ItemID % 100 + 1 FROM AlbumItems "
                            "WHERE ItemID % 3 = 0;"
                            "INSERT INTO PhotoItem (ItemID, cx, cy) SELECT ItemID, 640, 480 FROM AlbumItems WHERE ItemType = 0;");
    layout_ = Layout(catalogue_);
    for (const char* table : {"AlbumItems", "AlbumContents", "AssignedKeywords", "PhotoItem", "MSysQueries"})
      rows_[table] = std::stoi(RawScalar(catalogue_, std::string("SELECT count(*) FROM ") + table));
  }

  static std::string Layout(const std::string& path) {
    return RawScalar(path, "SELECT group_concat(type || ' ' || name || ': ' || coalesce(sql, ''), char(10)) FROM "
                           "(SELECT * FROM sqlite_schema ORDER BY name)");
  }

  uint32_t RootOf(const std::string& table) {
    return static_cast<uint32_t>(std::stoul(RawScalar(catalogue_, "SELECT rootpage FROM sqlite_schema WHERE name = '" + table + "'")));
  }

  // The repaired file is whole: the same layout, the checks pass, every row
  // kept is the row that was written, and the adapter runs stored queries on it.
  void ExpectSoundCatalogue() {
    EXPECT_EQ(RawScalar(catalogue_, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(RawScalar(catalogue_, "SELECT count(*) FROM pragma_foreign_key_check"), "0");
    EXPECT_EQ(Layout(catalogue_), layout_);
    EXPECT_EQ(RawScalar(catalogue_, "PRAGMA application_id"), std::to_string(schema::kCatalogueApplicationId));
    EXPECT_EQ(RawScalar(catalogue_, "PRAGMA user_version"), "9");
    EXPECT_EQ(RawScalar(catalogue_, "SELECT count(*) FROM AlbumItems WHERE Note <> printf('%0200d', ItemID) OR "
                                    "Name <> 'item ' || ItemID OR DateCreated <> 45000.5 + ItemID OR "
                                    "(ItemID % 97 = 0 AND length(DataXML) <> 6000)"),
              "0");
    EXPECT_GE(std::stoi(RawScalar(catalogue_, "SELECT seq FROM sqlite_sequence WHERE name = 'AlbumItems'")), kItems);
    auto db = engine_->OpenDatabase(catalogue_);
    auto query = db->QueryDefs("GetItemRecord");
    query->Parameters("item_id").SetValue(97);
    auto rs = query->OpenRecordset();
    if (!rs->IsEOF()) {
      EXPECT_EQ(rs->Fields("Name").Value(), com::Variant("item 97"));
    }
  }

  std::string catalogue_;
  std::string layout_;
  std::map<std::string, int> rows_;
};

TEST_F(RepairTest, OverwrittenRootOfTheItemsTableLosesNoRow) {
  WritePage(catalogue_, RootOf("AlbumItems"), '\xA5');
  ASSERT_NE(RawScalar(catalogue_, "PRAGMA quick_check"), "ok");
  const std::string damaged = ReadAll(catalogue_);

  const RepairReport report = engine_->RepairDatabase(catalogue_);
  ASSERT_TRUE(report.damaged);
  const TableRepair* items = Find(report, "AlbumItems");
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(items->kept, kItems);
  EXPECT_EQ(items->lost, 0);
  EXPECT_EQ(report.unplacedRows, 0);
  EXPECT_TRUE(report.notRestored.empty());
  for (const auto& [table, count] : rows_) EXPECT_EQ(Find(report, table)->kept, count) << table;
  ExpectSoundCatalogue();
  EXPECT_EQ(RawScalar(catalogue_, "SELECT count(*) FROM AlbumItems"), std::to_string(kItems));

  // The damaged original stays beside it until the next repair replaces it.
  EXPECT_EQ(report.damagedCopy, catalogue_ + ".damaged");
  EXPECT_TRUE(ReadAll(report.damagedCopy) == damaged);
  WritePage(catalogue_, RootOf("AlbumContents"), '\0');
  const std::string again = ReadAll(catalogue_);
  EXPECT_EQ(Find(engine_->RepairDatabase(catalogue_), "AlbumContents")->kept, rows_["AlbumContents"]);
  EXPECT_TRUE(ReadAll(report.damagedCopy) == again);

  // An intact file is left as it is.
  EXPECT_FALSE(engine_->RepairDatabase(catalogue_).damaged);
  EXPECT_TRUE(ReadAll(report.damagedCopy) == again);
  EXPECT_EQ(StatusOf([&] { engine_->RepairDatabase(PathOf("none.db")); }), Jet(3024));
}

TEST_F(RepairTest, ZeroedPagesCostOnlyTheirOwnRowsAndTheLossIsReported) {
  // Rows on each table's leaf pages, and 200 pages to zero outside the schema.
  std::map<std::string, std::map<uint32_t, int>> leaves;
  std::vector<uint32_t> candidates;
  {
    const std::string pages = RawScalar(
        catalogue_, "SELECT group_concat(name || ' ' || pageno || ' ' || pagetype || ' ' || ncell, ',') FROM dbstat");
    std::istringstream list(pages);
    for (std::string entry; std::getline(list, entry, ',');) {
      std::istringstream fields(entry);
      std::string name, type;
      uint32_t pgno = 0;
      int cells = 0;
      fields >> name >> pgno >> type >> cells;
      if (type == "leaf") leaves[name][pgno] = cells;
      if (name != "sqlite_schema") candidates.push_back(pgno);
    }
  }
  std::mt19937 random(20240611);
  std::shuffle(candidates.begin(), candidates.end(), random);
  const std::set<uint32_t> zeroed(candidates.begin(), candidates.begin() + 200);
  for (const uint32_t pgno : zeroed) WritePage(catalogue_, pgno, '\0');

  const RepairReport report = engine_->RepairDatabase(catalogue_);
  ASSERT_TRUE(report.damaged);
  for (const auto& [table, count] : rows_) {
    int surviving = 0;
    for (const auto& [pgno, cells] : leaves[table]) surviving += zeroed.count(pgno) ? 0 : cells;
    const TableRepair* t = Find(report, table);
    ASSERT_NE(t, nullptr) << table;
    EXPECT_GE(t->kept, surviving * 99 / 100) << table;
    EXPECT_LE(t->kept, count) << table;
    // What is missing is reported where indexes name every row there was.
    if (table != "PhotoItem") {
      EXPECT_GE(t->kept + t->lost, count * 99 / 100) << table;
    }
  }
  EXPECT_LT(Find(report, "AlbumItems")->kept, kItems);
  // A memo whose overflow page was wiped is left empty; the rest of its row stays.
  EXPECT_EQ(std::to_string(Find(report, "AlbumItems")->incomplete),
            RawScalar(catalogue_, "SELECT count(*) FROM AlbumItems WHERE ItemID % 97 = 0 AND DataXML IS NULL"));
  ExpectSoundCatalogue();
}

// The schema text and pages of a damaged file are data from anywhere: a
// definition that is not the one CREATE statement it claims to be is not
// run, and pages of random bytes cost their own rows only.
TEST_F(DaoTest, HostileFileContentIsNeitherRunNorTrusted) {
  db_->Close();
  RawExec(path_, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                 "INSERT INTO AlbumItems (ItemID, Name, Note) SELECT i, 'item' || i, printf('%0300d', i) FROM n");
  const std::string planted = PathOf("planted.db");
  RawExec(path_, "PRAGMA writable_schema = ON;"
                 "INSERT INTO sqlite_schema VALUES ('view', 'v', 'v', 0, 'CREATE VIEW v AS SELECT 1; ATTACH DATABASE ''" +
                     planted + "'' AS p');"
                 "INSERT INTO sqlite_schema VALUES ('trigger', 't', 'AlbumItems', 0, 'DROP TABLE AlbumItems');");
  std::mt19937 random(7);
  const auto pages = std::filesystem::file_size(path_) / kPageSize;
  std::set<uint32_t> garbled;
  for (int i = 0; i < 30; ++i) {
    const auto pgno = static_cast<uint32_t>(3 + random() % (pages - 2));
    std::string bytes(kPageSize, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    std::fstream f(path_, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(pgno - 1) * kPageSize);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    garbled.insert(pgno);
  }

  const RepairReport report = engine_->RepairDatabase(path_);
  ASSERT_TRUE(report.damaged);
  EXPECT_EQ(report.notRestored.size(), 2u);
  EXPECT_FALSE(std::filesystem::exists(planted));
  EXPECT_EQ(RawScalar(path_, "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM sqlite_schema WHERE name IN ('v', 't')"), "0");
  const int kept = std::stoi(RawScalar(path_, "SELECT count(*) FROM AlbumItems"));
  EXPECT_GT(kept, 3000 - static_cast<int>(garbled.size()) * 13);  // about a dozen rows to a page
  EXPECT_EQ(RawScalar(path_, "SELECT count(*) FROM AlbumItems WHERE Note <> printf('%0300d', ItemID)"), "0");
}

}  // namespace
}  // namespace albumcore::store::dao::testing
