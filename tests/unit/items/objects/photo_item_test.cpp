// The photo item: its PhotoItem row, and filling both records from a real
// file's information or from an image's.
#include <gtest/gtest.h>

#include "../../components/file_system/test_images.h"
#include "items/photo/image_information.h"
#include "items/photo/lum_photo_item.h"
#include "items_fixture.h"

namespace albumcore::items::testing {
namespace {

class PhotoItem : public ItemsTest {
 protected:
  std::string Columns(int32_t id) {
    auto rows = db_->OpenRecordset("SELECT cx, cy, BitDepth, dpi, Rotation FROM PhotoItem WHERE ItemID = " +
                                   std::to_string(id));
    if (rows->IsEOF()) return "no row";
    std::string text;
    for (int i = 0; i < 5; ++i) text += (i ? " " : "") + rows->GetValue(i).ToString();
    return text;
  }
};

TEST_F(PhotoItem, AMissingPhotoRowIsAddedOnConnect) {
  const int32_t id = InsertItem(0, "file::/p/a.jpg");
  EXPECT_EQ(Columns(id), "no row");
  Connected(id);
  EXPECT_EQ(Columns(id), "0 0 0 0 0");
}

TEST_F(PhotoItem, FillingFromAnImageWritesPictureSizeAndDates) {
  const std::string path = file("beach.jpg");
  ASSERT_TRUE(file_system::testing::WriteImage(path, {.width = 120, .height = 80, .dpi = 300}));
  const int32_t id = InsertItem(0, "file::" + path);
  auto item = Connected(id);
  ASSERT_EQ(item->put_PhotoRotation(90), com::S_OK);
  auto events = Listen(item.get());
  ASSERT_EQ(item->FillFromMoniker(1), com::S_OK);
  EXPECT_EQ(events->Take(), Strings{"OnItemChanged(" + std::to_string(id) + ")"});
  EXPECT_EQ(Columns(id), "120 80 24 300 0");  // rotation back to 0
  int32_t big = -1, size = -1;
  item->GetFileSize(&big, &size);
  EXPECT_EQ(size, static_cast<int32_t>(std::filesystem::file_size(path)));
  com::Variant modified;
  item->get_DateModified(&modified);
  EXPECT_EQ(modified.vt(), com::VT_DATE);
}

TEST_F(PhotoItem, FillingFromAFileThatIsNoImageWritesSizeAndDatesOnly) {
  const std::string moniker = WriteFile("notes.txt", 1500);
  const int32_t id = InsertItem(0, moniker);
  auto item = Connected(id);
  ASSERT_EQ(item->put_PhotoWidth(7), com::S_OK);
  ASSERT_EQ(item->FillFromMoniker(1), com::S_OK);
  EXPECT_EQ(Columns(id), "7 0 0 0 0");
  EXPECT_EQ(Scalar("SELECT Size FROM AlbumItems WHERE ItemID = " + std::to_string(id)), "VT_I4 1500");
}

TEST_F(PhotoItem, FillingLeavesAlbumsAloneAndFailsForMissingFiles) {
  auto album = Connected(InsertItem(9, "album::AlbumItems\\x.album"));
  auto events = Listen(album.get());
  EXPECT_EQ(album->FillFromMoniker(1), com::S_OK);
  EXPECT_EQ(album->FillFromThumbnail(nullptr), com::S_OK);
  EXPECT_EQ(events->Take(), Strings{});
  auto gone = Connected(InsertItem(0, "file::" + file("gone.jpg")));
  EXPECT_EQ(gone->FillFromMoniker(1), com::E_FAIL);
  EXPECT_EQ(gone->FillFromThumbnail(nullptr), com::E_FAIL);
}

// An image of the thumbnail engine, as far as filling needs one.
class Picture final : public com::ComObject, public IImageFileInformation {
 public:
  com::HRESULT GetFileInformation(file_system::FileInformationRecord* record) override {
    record->width = 40;
    record->height = 30;
    record->bitDepth = 8;
    record->isImage = 1;
    record->sizeLow = 999;
    return com::S_OK;
  }
};

TEST_F(PhotoItem, FillingFromAThumbnailImage) {
  // The extension says nothing; the record says it is an image.
  const int32_t id = InsertItem(0, "file::/p/scan.raw0");
  auto item = Connected(id);
  auto picture = com::MakeObject<Picture>();
  ASSERT_EQ(item->FillFromThumbnail(picture.get()), com::S_OK);
  EXPECT_EQ(Columns(id), "40 30 8 0 0");
  EXPECT_EQ(Scalar("SELECT Size FROM AlbumItems WHERE ItemID = " + std::to_string(id)), "VT_I4 999");
}

}  // namespace
}  // namespace albumcore::items::testing
