#include "user_fields_fixture.h"

#include <unistd.h>

namespace albumcore::tagging::testing {

namespace fs = std::filesystem;

void UserFieldsTest::SetUp() {
  dir_ = fs::temp_directory_path() / ("albumcore-userfields-" + std::to_string(getpid()) + "-" +
                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
  fs::remove_all(dir_);
  fs::create_directories(dir_);
  fs::copy_file(ALBUMCORE_TEMPLATE_DB, dir_ / "catalogue.db");
  db_ = com::MakeObject<store::dao::DBEngine>()->OpenDatabase((dir_ / "catalogue.db").string());
  library_ = com::MakeObject<LumUserFieldsLibrary>();
  ASSERT_EQ(library_->Connect(db_.get(), 0, nullptr), com::S_OK);
  libraryEvents_ = Listen(library_.get());
}

void UserFieldsTest::TearDown() {
  subscriptions_.clear();
  library_->Disconnect();
  db_->Close();
  fs::remove_all(dir_);
}

com::ComPtr<RecordingSink> UserFieldsTest::Listen(com::IUnknown* source) {
  auto sink = com::MakeObject<RecordingSink>();
  subscriptions_.emplace_back(source, typelib::IKivAlbumCoreEvents::kInterfaceName, sink.get());
  return sink;
}

int32_t UserFieldsTest::Define(const std::string& name, int32_t type) {
  EXPECT_EQ(library_->Create(com::Bstr(name), type), com::S_OK) << name;
  EXPECT_EQ(libraryEvents_->Take(), Strings{"OnUserFieldCreated(-1)"});
  int32_t id = -1;
  EXPECT_EQ(library_->GetFieldIDFromName(com::Bstr(name), &id), com::S_OK) << name;
  return id;
}

int32_t UserFieldsTest::NewItem() {
  db_->Execute("INSERT INTO AlbumItems ( ItemType, Name ) VALUES (0, \"photo\")");
  return db_->OpenRecordset("SELECT Max(ItemID) FROM AlbumItems")->GetValue(0).ToI4();
}

com::ComPtr<LumUserFieldsItem> UserFieldsTest::ItemFields(int32_t itemID) {
  auto fields = com::MakeObject<LumUserFieldsItem>();
  EXPECT_EQ(fields->Connect(db_.get(), itemID, library_.get()), com::S_OK);
  return fields;
}

com::ComPtr<LumUserFieldsAlbum> UserFieldsTest::AlbumFields(int32_t albumID) {
  auto fields = com::MakeObject<LumUserFieldsAlbum>();
  EXPECT_EQ(fields->Connect(db_.get(), albumID, library_.get()), com::S_OK);
  return fields;
}

std::string UserFieldsTest::Scalar(const std::string& sql) {
  return db_->OpenRecordset(sql)->GetValue(0).Describe();
}

}  // namespace albumcore::tagging::testing
