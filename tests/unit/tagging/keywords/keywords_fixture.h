// A copy of the template catalogue, the library keyword collection
// connected to it and a sink recording what the collection fires.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "events/subscription.h"
#include "recording_sink.h"
#include "store/dao/engine.h"
#include "tagging/keywords/lum_keywords_library.h"

namespace albumcore::tagging::keywords::test {

using Strings = std::vector<std::string>;
using com::Variant;

inline Variant Ids(std::vector<int32_t> ids) {
  return Variant(com::SafeArray::FromVector(com::VT_I4, std::move(ids)));
}
inline std::vector<int32_t> IdsOf(const Variant& v) { return v.array().elements<int32_t>(); }
inline Strings NamesOf(const Variant& v) {
  Strings names;
  for (const auto& n : v.array().elements<com::Bstr>()) names.push_back(n.str());
  return names;
}

class KeywordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("albumcore-keywords-" + std::to_string(getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(ALBUMCORE_TEMPLATE_DB, dir_ / "catalogue.db");
    db_ = com::MakeObject<store::dao::DBEngine>()->OpenDatabase((dir_ / "catalogue.db").string());
    library_ = com::MakeObject<LumKeywordsLibrary>();
    ASSERT_EQ(library_->Connect(db_.get(), 0, nullptr), com::S_OK);
    sink_ = com::MakeObject<testing::RecordingSink>();
    subscription_ = events::Subscription(library_.get(), typelib::IKivAlbumCoreEvents::kInterfaceName, sink_.get());
  }
  void TearDown() override {
    subscription_.reset();
    library_->Disconnect();
    db_.reset();
    std::filesystem::remove_all(dir_);
  }

  int32_t AddItem(int32_t type = 0) {
    db_->Execute("INSERT INTO AlbumItems ( ItemType ) VALUES (" + std::to_string(type) + ")");
    return Scalar("SELECT Max(ItemID) FROM AlbumItems").i4();
  }
  int32_t MustCreate(const std::string& name) {
    int32_t id = -1;
    EXPECT_EQ(library_->Create(name, &id), com::S_OK) << name;
    return id;
  }
  Variant Scalar(const std::string& jet) { return db_->OpenRecordset(jet)->GetValue(0); }
  // "item:keyword" for every assignment, in key order.
  Strings Assignments() {
    Strings rows;
    auto rs = db_->OpenRecordset("SELECT ItemID, KeywordID FROM AssignedKeywords ORDER BY ItemID, KeywordID");
    for (; !rs->IsEOF(); rs->MoveNext())
      rows.push_back(std::to_string(rs->GetValue(0).i4()) + ":" + std::to_string(rs->GetValue(1).i4()));
    return rows;
  }

  std::filesystem::path dir_;
  com::ComPtr<store::dao::Database> db_;
  com::ComPtr<LumKeywordsLibrary> library_;
  com::ComPtr<testing::RecordingSink> sink_;
  events::Subscription subscription_;
};

}  // namespace albumcore::tagging::keywords::test
