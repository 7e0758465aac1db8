// A copy of the template catalogue with a connected library collection of
// user fields, items made with plain SQL, and recording sinks.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "events/subscription.h"
#include "recording_sink.h"
#include "store/dao/engine.h"
#include "tagging/user_fields/user_fields_album.h"
#include "tagging/user_fields/user_fields_item.h"
#include "tagging/user_fields/user_fields_library.h"

namespace albumcore::tagging::testing {

using Strings = std::vector<std::string>;
using albumcore::testing::RecordingSink;

class UserFieldsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("albumcore-userfields-" + std::to_string(getpid()) + "-" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    std::filesystem::copy_file(ALBUMCORE_TEMPLATE_DB, dir_ / "catalogue.db");
    db_ = com::MakeObject<store::dao::DBEngine>()->OpenDatabase((dir_ / "catalogue.db").string());
    library_ = com::MakeObject<LumUserFieldsLibrary>();
    ASSERT_EQ(library_->Connect(db_.get(), 0, nullptr), com::S_OK);
    libraryEvents_ = Listen(library_.get());
  }
  void TearDown() override {
    subscriptions_.clear();
    library_->Disconnect();
    db_->Close();
    std::filesystem::remove_all(dir_);
  }

  // A sink subscribed to `source` for the rest of the test.
  com::ComPtr<RecordingSink> Listen(com::IUnknown* source) {
    auto sink = com::MakeObject<RecordingSink>();
    subscriptions_.emplace_back(source, typelib::IKivAlbumCoreEvents::kInterfaceName, sink.get());
    return sink;
  }
  // Defines a field through the library, taking its event, and answers its ID.
  int32_t Define(const std::string& name, int32_t type) {
    EXPECT_EQ(library_->Create(com::Bstr(name), type), com::S_OK) << name;
    EXPECT_EQ(libraryEvents_->Take(), Strings{"OnUserFieldCreated(-1)"});
    int32_t id = -1;
    EXPECT_EQ(library_->GetFieldIDFromName(com::Bstr(name), &id), com::S_OK) << name;
    return id;
  }
  int32_t NewItem() {
    db_->Execute("INSERT INTO AlbumItems ( ItemType, Name ) VALUES (0, \"photo\")");
    return db_->OpenRecordset("SELECT Max(ItemID) FROM AlbumItems")->GetValue(0).ToI4();
  }
  template <typename Fields>
  com::ComPtr<Fields> Connected(int32_t id) {
    auto fields = com::MakeObject<Fields>();
    EXPECT_EQ(fields->Connect(db_.get(), id, library_.get()), com::S_OK);
    return fields;
  }
  com::ComPtr<LumUserFieldsItem> ItemFields(int32_t itemID) { return Connected<LumUserFieldsItem>(itemID); }
  com::ComPtr<LumUserFieldsAlbum> AlbumFields(int32_t albumID) { return Connected<LumUserFieldsAlbum>(albumID); }
  // The first column of the first row of Jet SQL `sql`, described.
  std::string Scalar(const std::string& sql) { return db_->OpenRecordset(sql)->GetValue(0).Describe(); }

  std::filesystem::path dir_;
  com::ComPtr<store::dao::Database> db_;
  com::ComPtr<LumUserFieldsLibrary> library_;
  com::ComPtr<RecordingSink> libraryEvents_;
  std::vector<events::Subscription> subscriptions_;
};

}  // namespace albumcore::tagging::testing
