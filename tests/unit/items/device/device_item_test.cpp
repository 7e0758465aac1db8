// The device item over a copy of the template catalogue whose DeviceItems
// rows are written with plain SQL before the adapter opens the file.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "items/device/lum_device_item.h"
#include "store/dao/engine.h"
#include "store/jetsql/connection.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::items {
namespace {

using com::Bstr;
using com::Variant;
namespace jeterr = store::jetsql::jeterr;

constexpr double kMay1 = 45413.75;  // 2024-05-01 18:00
constexpr double kJune2 = 45445.5;  // 2024-06-02 12:00

// What a getter answers; its status must be S_OK.
template <class T>
T Get(LumDeviceItem& item, com::HRESULT (LumDeviceItem::*getter)(T*)) {
  T value{};
  EXPECT_EQ((item.*getter)(&value), com::S_OK);
  return value;
}

class DeviceItemTest : public ::testing::Test {
 protected:
  // Rows 1 and 2 place items 1 and 2 in device album 3; row 2 holds binary
  // and Null where text and a date belong.
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("albumcore-deviceitem-" + std::to_string(getpid()) + "-" +
                                                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    const std::filesystem::path file = dir_ / "catalogue.db";
    std::filesystem::copy_file(ALBUMCORE_TEMPLATE_DB, file);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
    store::jetsql::ConfigureConnection(raw);
    const std::string sql =
        "INSERT INTO AlbumItems (ItemID, ItemType, Name) VALUES (1, 0, 'song'), (2, 0, 'clip'), (3, 9, 'player');"
        "INSERT INTO DeviceItems (ID, ItemID, AlbumID, TranscodedPath, BackupPath, SyncDate) VALUES"
        " (1, 1, 3, '/media/player/song.m4a', '/backup/song.flac', " + std::to_string(kMay1) + "),"
        " (2, 2, 3, X'00FF', NULL, NULL);";
    EXPECT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(raw);
    sqlite3_close(raw);
    db_ = com::MakeObject<store::dao::DBEngine>()->OpenDatabase(file.string());
  }
  void TearDown() override {
    db_->Close();
    std::filesystem::remove_all(dir_);
  }

  com::ComPtr<LumDeviceItem> Connected(int32_t id) {
    auto item = com::MakeObject<LumDeviceItem>();
    EXPECT_EQ(item->Connect(db_.get(), id), com::S_OK);
    return item;
  }

  std::filesystem::path dir_;
  com::ComPtr<store::dao::Database> db_;
};

TEST_F(DeviceItemTest, ConnectReadsTheRowOnce) {
  auto item = Connected(1);
  EXPECT_EQ(item->Connect(db_.get(), 2), com::S_OK);  // already connected: row 2 is not read
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_ID), 1);
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_ItemID), 1);
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_AlbumID), 3);
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_TranscodedPath), "/media/player/song.m4a");
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_BackupPath), "/backup/song.flac");
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_SyncDate), Variant::Date(kMay1));

  auto odd = Connected(2);
  EXPECT_EQ(Get(*odd, &LumDeviceItem::get_TranscodedPath), "");
  EXPECT_EQ(Get(*odd, &LumDeviceItem::get_BackupPath), "");
  EXPECT_TRUE(Get(*odd, &LumDeviceItem::get_SyncDate).isNull());

  // A missing row leaves the object unconnected, free to connect again.
  auto missing = com::MakeObject<LumDeviceItem>();
  EXPECT_EQ(missing->Connect(db_.get(), 99), com::JetError(jeterr::kNoCurrentRecord));
  EXPECT_EQ(missing->put_BackupPath(Bstr("/b")), com::E_FAIL);
  EXPECT_EQ(missing->Connect(db_.get(), 2), com::S_OK);
  EXPECT_EQ(Get(*missing, &LumDeviceItem::get_ID), 2);
}

TEST_F(DeviceItemTest, PutsWriteTheRowUntilDisconnected) {
  auto item = Connected(2);
  EXPECT_EQ(item->put_TranscodedPath(Bstr("/media/player/clip.mp4")), com::S_OK);
  EXPECT_EQ(item->put_SyncDate(Variant::Date(kJune2)), com::S_OK);
  EXPECT_EQ(item->put_BackupPath(Bstr::Null()), com::E_POINTER);
  auto fresh = Connected(2);
  EXPECT_EQ(Get(*fresh, &LumDeviceItem::get_TranscodedPath), "/media/player/clip.mp4");
  EXPECT_EQ(Get(*fresh, &LumDeviceItem::get_SyncDate), Variant::Date(kJune2));
  EXPECT_EQ(Get(*Connected(1), &LumDeviceItem::get_TranscodedPath), "/media/player/song.m4a");

  // A date given as text is cached as the date the row holds.
  EXPECT_EQ(item->put_SyncDate(Variant("5/1/2024 18:00")), com::S_OK);
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_SyncDate), Variant::Date(kMay1));

  EXPECT_EQ(item->Disconnect(), com::S_OK);
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_ID), -1);
  EXPECT_EQ(item->put_TranscodedPath(Bstr("/x")), com::E_FAIL);
  EXPECT_EQ(item->put_BackupPath(Bstr("/x")), com::E_FAIL);
  EXPECT_EQ(item->put_SyncDate(Variant::Date(kJune2)), com::E_FAIL);
  EXPECT_EQ(db_->OpenRecordset("SELECT SyncDate FROM DeviceItems WHERE ID = 2")->GetValue(0), Variant::Date(kMay1));
}

TEST_F(DeviceItemTest, RefusedWritesLeaveTheOldValueReadable) {
  auto item = Connected(1);
  EXPECT_EQ(item->put_SyncDate(Variant("not a date")), com::JetError(jeterr::kConversion));
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_SyncDate), Variant::Date(kMay1));

  db_->Execute("DELETE FROM DeviceItems WHERE ID = 1");
  EXPECT_EQ(item->put_TranscodedPath(Bstr("/other.m4a")), com::JetError(jeterr::kNoCurrentRecord));
  EXPECT_EQ(Get(*item, &LumDeviceItem::get_TranscodedPath), "/media/player/song.m4a");

  auto other = Connected(2);
  db_->Close();
  EXPECT_TRUE(com::Failed(other->put_BackupPath(Bstr("/backup/clip.mkv"))));
  EXPECT_EQ(Get(*other, &LumDeviceItem::get_BackupPath), "");
}

}  // namespace
}  // namespace albumcore::items
