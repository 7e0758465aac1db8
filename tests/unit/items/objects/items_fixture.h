// A copy of the template catalogue with the library-wide keyword and
// user-field collections connected, the build's string files, the
// file-system component, a machine hive with the registration defaults, and
// recording sinks.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "components/file_system/file_system_component.h"
#include "components/string_table/string_table.h"
#include "events/subscription.h"
#include "items/item/item_services.h"
#include "items/photo/lum_photo_item.h"
#include "recording_sink.h"
#include "registry/registry_store.h"
#include "server/config/config_keys.h"
#include "server/config/registration_defaults.h"
#include "store/dao/engine.h"
#include "tagging/keywords/lum_keywords_library.h"
#include "tagging/user_fields/user_fields_library.h"

namespace albumcore::items::testing {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;
using albumcore::testing::RecordingSink;

class ItemsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("albumcore-items-" + std::to_string(getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "files");
    fs::copy_file(ALBUMCORE_TEMPLATE_DB, dir_ / "catalogue.db");
    db_ = com::MakeObject<store::dao::DBEngine>()->OpenDatabase((dir_ / "catalogue.db").string());
    userFields_ = com::MakeObject<tagging::LumUserFieldsLibrary>();
    ASSERT_EQ(userFields_->Connect(db_.get(), 0, nullptr), com::S_OK);
    keywords_ = com::MakeObject<tagging::keywords::LumKeywordsLibrary>();
    ASSERT_EQ(keywords_->Connect(db_.get(), 0, nullptr), com::S_OK);
    strings_.Initialise(ALBUMCORE_STRINGS_DIR, std::string(config::kDefaultLanguageId));
    ASSERT_EQ(strings_.LoadFile("AlbumCoreStrings.xml"), com::S_OK);
    ASSERT_EQ(strings_.LoadFile("LumItemInfoStrings.xml"), com::S_OK);
    registry::RegistryStore store(hive());
    ASSERT_EQ(config::WriteRegistrationDefaults(store, {"/a", "T.db", ALBUMCORE_STRINGS_DIR}), registry::RegStatus::Ok);
  }
  void TearDown() override {
    subscriptions_.clear();
    keywords_->Disconnect();
    userFields_->Disconnect();
    db_->Close();
    fs::remove_all(dir_);
  }

  ItemServices services() const { return {&strings_, &files_}; }
  std::string hive() const { return (dir_ / "machine.reg").string(); }
  std::string file(const std::string& name) const { return (dir_ / "files" / name).string(); }
  // A file of `bytes` bytes under files/, and its moniker.
  std::string WriteFile(const std::string& name, size_t bytes = 10) {
    const std::string path = file(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    const std::string content(bytes, 'x');
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
    return "file::" + path;
  }

  com::ComPtr<RecordingSink> Listen(com::IUnknown* source) {
    auto sink = com::MakeObject<RecordingSink>();
    subscriptions_.emplace_back(source, typelib::IKivAlbumCoreEvents::kInterfaceName, sink.get());
    return sink;
  }
  // An AlbumItems row made with plain SQL; its ItemID.
  int32_t InsertItem(int32_t type, const std::string& moniker, const std::string& name = "photo") {
    db_->Execute("INSERT INTO AlbumItems ( ItemType, ItemDataMoniker, Name ) VALUES (" + std::to_string(type) +
                 ", \"" + moniker + "\", \"" + name + "\")");
    return db_->OpenRecordset("SELECT Max(ItemID) FROM AlbumItems")->GetValue(0).ToI4();
  }
  // A photo item connected to row `id` with the library-wide collections.
  com::ComPtr<LumPhotoItem> Connected(int32_t id) {
    auto item = com::MakeObject<LumPhotoItem>(services());
    EXPECT_EQ(item->Connect(db_.get(), id, userFields_.get(), keywords_.get(), nullptr), com::S_OK);
    return item;
  }
  // The first column of the first row of Jet SQL `sql`, described.
  std::string Scalar(const std::string& sql) { return db_->OpenRecordset(sql)->GetValue(0).Describe(); }

  fs::path dir_;
  com::ComPtr<store::dao::Database> db_;
  com::ComPtr<tagging::LumUserFieldsLibrary> userFields_;
  com::ComPtr<tagging::keywords::LumKeywordsLibrary> keywords_;
  components::StringTable strings_;
  file_system::FileSystemComponent files_;
  std::vector<events::Subscription> subscriptions_;
};

}  // namespace albumcore::items::testing
