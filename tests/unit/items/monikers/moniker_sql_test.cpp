// Monikers in SQL text, run on a copy of the template catalogue: the engine
// must find exactly the moniker written, whatever it holds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "com/error.h"
#include "com/text.h"
#include "items/monikers/moniker_protocols.h"
#include "items/monikers/moniker_sql.h"
#include "store/dao/engine.h"

namespace albumcore::items::monikers {
namespace {

class MonikerSqlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("albumcore-moniker-sql-" + std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(ALBUMCORE_TEMPLATE_DB, dir_ / "catalogue.db");
    db_ = com::MakeObject<store::dao::DBEngine>()->OpenDatabase((dir_ / "catalogue.db").string());
    firstId_ = db_->OpenRecordset("SELECT Max(ItemID) FROM AlbumItems")->GetValue(0);
  }
  void TearDown() override {
    db_.reset();
    std::filesystem::remove_all(dir_);
  }

  int32_t Insert(const std::string& valueSql) {
    db_->Execute("INSERT INTO AlbumItems ( ItemDataMoniker ) VALUES (" + valueSql + ")");
    return db_->OpenRecordset("SELECT Max(ItemID) FROM AlbumItems")->GetValue(0).i4();
  }
  // The IDs of the rows this test added that hold `moniker`.
  std::vector<int32_t> Find(const std::string& moniker) {
    const int32_t after = firstId_.vt() == com::VT_NULL ? -2147483647 : firstId_.i4();
    auto rs = db_->OpenRecordset("SELECT ItemID FROM AlbumItems WHERE ItemID > " + std::to_string(after) + " AND " +
                                 MonikerEqualsCondition("ItemDataMoniker", moniker) + " ORDER BY ItemID");
    std::vector<int32_t> ids;
    for (; !rs->IsEOF(); rs->MoveNext()) ids.push_back(rs->GetValue(0).i4());
    return ids;
  }

  std::filesystem::path dir_;
  com::ComPtr<store::dao::Database> db_;
  com::Variant firstId_;
};

TEST_F(MonikerSqlTest, FindsExactlyTheMonikerWrittenWhateverItHolds) {
  const std::vector<std::string> monikers = {
      "file::/a/B.jpg", "file::/a/b.jpg", "file::/a/say \"hi\"|x.jpg", "iTunes:1|\"|\"", "file::/ä/Ωmega's.jpg",
      "file::/a/b.jpg ",
  };
  std::vector<int32_t> ids;
  for (const auto& m : monikers) ids.push_back(Insert(MonikerSqlText(m)));
  for (size_t i = 0; i < monikers.size(); ++i) {
    EXPECT_EQ(Find(monikers[i]), std::vector<int32_t>{ids[i]}) << monikers[i];
    auto rs = db_->OpenRecordset("SELECT ItemDataMoniker FROM AlbumItems WHERE ItemID = " + std::to_string(ids[i]));
    EXPECT_EQ(rs->GetValue(0).bstr(), monikers[i]) << "stored verbatim";
  }
  EXPECT_TRUE(Find("FILE::/a/b.jpg").empty());
}

TEST_F(MonikerSqlTest, AnEmptyMonikerFindsEmptyAndMissingOnes) {
  const int32_t missing = Insert("Null");
  const int32_t empty = Insert(MonikerSqlText(""));
  Insert(MonikerSqlText("file::/x.jpg"));
  EXPECT_EQ(Find(""), (std::vector<int32_t>{missing, empty}));
  // The same rule in memory: a null string is an empty moniker.
  EXPECT_TRUE(SameMoniker(com::Bstr(), com::Bstr("")));
  EXPECT_FALSE(SameMoniker(com::Bstr(), com::Bstr("a")));
  EXPECT_FALSE(SameMoniker("file::/a/B.jpg", "file::/a/b.jpg"));
}

TEST_F(MonikerSqlTest, RefusesAColumnNameThatWouldLeaveItsBrackets) {
  for (const char* bad : {"", "a]b", "[x"}) {
    try {
      MonikerEqualsCondition(bad, "m");
      ADD_FAILURE() << bad;
    } catch (const com::ComError& e) {
      EXPECT_EQ(e.hr(), com::E_INVALIDARG);
    }
  }
}

}  // namespace
}  // namespace albumcore::items::monikers
