// The item object over a real catalogue: what each put writes and
// announces, batches, failing writes, the record's reading rules and the
// texts an item shows.
#include <gtest/gtest.h>

#include "items/photo/lum_photo_item.h"
#include "items_fixture.h"
#include "typelib/kiv_keywords.h"

namespace albumcore::items::testing {
namespace {

using Item = ItemsTest;

TEST_F(Item, EachPutWritesTheRowAndFiresItsEvent) {
  const int32_t id = InsertItem(0, "file::/p/a.jpg");
  auto item = Connected(id);
  auto events = Listen(item.get());
  const std::string n = std::to_string(id);

  EXPECT_EQ(item->put_Name(com::Bstr("beach")), com::S_OK);
  EXPECT_EQ(item->put_Moniker(com::Bstr("file::/q/b.png")), com::S_OK);
  EXPECT_EQ(item->put_Rating(4), com::S_OK);
  EXPECT_EQ(item->put_Note(com::Bstr("n")), com::S_OK);
  EXPECT_EQ(item->put_Hidden(1), com::S_OK);  // flags fire nothing
  EXPECT_EQ(item->put_FileUniqueID(com::Bstr("id-1")), com::S_OK);
  EXPECT_EQ(item->PutBackedUp(true), com::S_OK);
  EXPECT_EQ(item->put_PhotoRotation(90), com::S_OK);
  EXPECT_EQ(item->put_PhotoRotation(270), com::S_OK);
  EXPECT_EQ(item->put_PhotoAuthor(com::Bstr("ana")), com::S_OK);  // photo texts fire nothing
  EXPECT_EQ(events->Take(), (Strings{"OnItemNameChanged(" + n + ", \"beach\")",
                                     "OnItemMonikerChanged(" + n + ", \"file::/q/b.png\")", "OnItemChanged(" + n + ")",
                                     "OnItemChanged(" + n + ")", "OnItemRotated(" + n + ", 90)",
                                     "OnItemRotated(" + n + ", 180)"}));

  const std::string where = " FROM AlbumItems WHERE ItemID = " + n;
  EXPECT_EQ(Scalar("SELECT Name" + where), "VT_BSTR \"beach\"");
  EXPECT_EQ(Scalar("SELECT Filename" + where), "VT_BSTR \"b.png\"");
  EXPECT_EQ(Scalar("SELECT Hidden" + where), "VT_BOOL True");
  EXPECT_EQ(Scalar("SELECT BackedUp" + where), "VT_BOOL True");
  EXPECT_EQ(Scalar("SELECT Author FROM PhotoItem WHERE ItemID = " + n), "VT_BSTR \"ana\"");

  // A new object reads back what the puts wrote.
  auto again = Connected(id);
  int32_t rating = 0, hidden = 0, rotation = 0;
  com::Bstr fileId;
  EXPECT_EQ(again->get_Rating(&rating), com::S_OK);
  EXPECT_EQ(again->get_Hidden(&hidden), com::S_OK);
  EXPECT_EQ(again->get_PhotoRotation(&rotation), com::S_OK);
  EXPECT_EQ(again->get_FileUniqueID(&fileId), com::S_OK);
  EXPECT_EQ((std::vector<int32_t>{rating, hidden, rotation}), (std::vector<int32_t>{4, 1, 270}));
  EXPECT_EQ(fileId, "id-1");
  EXPECT_TRUE(again->BackedUp());
}

TEST_F(Item, ABatchHoldsEveryEventBackAndEndsWithOneChange) {
  const int32_t id = InsertItem(0, "file::/p/a.jpg");
  auto item = Connected(id);
  auto events = Listen(item.get());
  EXPECT_EQ(item->BeginBatchUpdate(), com::S_OK);
  EXPECT_EQ(item->BeginBatchUpdate(), com::S_OK);  // not counted
  EXPECT_EQ(item->put_Name(com::Bstr("x")), com::S_OK);
  EXPECT_EQ(item->put_Rating(2), com::S_OK);
  EXPECT_EQ(item->put_PhotoWidth(10), com::S_OK);
  EXPECT_EQ(events->Take(), Strings{});
  EXPECT_EQ(item->EndBatchUpdate(), com::S_OK);
  EXPECT_EQ(events->Take(), Strings{"OnItemChanged(" + std::to_string(id) + ")"});
}

TEST_F(Item, AFailingWriteKeepsTheCopyAndFiresNothing) {
  const int32_t id = InsertItem(0, "file::/p/a.jpg", "old");
  auto item = Connected(id);
  auto events = Listen(item.get());
  // Name holds 255 characters at most: the engine refuses the row.
  EXPECT_TRUE(com::Failed(item->put_Name(com::Bstr(std::string(300, 'n')))));
  com::Bstr name;
  EXPECT_EQ(item->get_Name(&name), com::S_OK);
  EXPECT_EQ(name, "old");

  db_->Close();  // every later write fails
  EXPECT_TRUE(com::Failed(item->put_Rating(5)));
  EXPECT_TRUE(com::Failed(item->put_PhotoRotation(90)));
  EXPECT_TRUE(com::Failed(item->PutFileSize(1, 2)));
  int32_t rating = -1, rotation = -1, big = -1, size = -1;
  item->get_Rating(&rating);
  item->get_PhotoRotation(&rotation);
  item->GetFileSize(&big, &size);
  EXPECT_EQ((std::vector<int32_t>{rating, rotation, big, size}), (std::vector<int32_t>{0, 0, 0, 0}));
  EXPECT_EQ(events->Take(), Strings{});
}

TEST_F(Item, UnconnectedObjectsRefusePutsAndAnswerReads) {
  auto item = com::MakeObject<LumPhotoItem>(services());
  int32_t id = 0;
  EXPECT_EQ(item->get_ID(&id), com::S_OK);
  EXPECT_EQ(id, -1);
  EXPECT_EQ(item->put_Name(com::Bstr("x")), com::E_FAIL);
  EXPECT_EQ(item->put_PhotoDPI(72), com::E_FAIL);
  EXPECT_EQ(item->get_Name(nullptr), com::E_POINTER);
  EXPECT_EQ(item->Connect(nullptr, 1, nullptr, nullptr, nullptr), com::E_POINTER);
  // An ID without a row connects nothing.
  EXPECT_EQ(item->Connect(db_.get(), 999999, userFields_.get(), keywords_.get(), nullptr), com::E_FAIL);
  EXPECT_EQ(item->get_ID(&id), com::S_OK);
  EXPECT_EQ(id, -1);
}

TEST_F(Item, RecordReadingRules) {
  const int32_t id = InsertItem(0, "file::/p/a.jpg");
  // A number that is no date, and text in a date column, read as null.
  db_->Execute("UPDATE AlbumItems SET DateModified = 1e12, Note = Null, SoundMoniker = Null WHERE ItemID = " +
               std::to_string(id));
  auto item = Connected(id);
  com::Variant modified;
  com::Bstr note("x");
  EXPECT_EQ(item->get_DateModified(&modified), com::S_OK);
  EXPECT_TRUE(modified.isNull()) << modified.Describe();
  EXPECT_EQ(item->get_Note(&note), com::S_OK);
  EXPECT_EQ(note, "");

  EXPECT_EQ(item->PutFileSize(3, 7), com::S_OK);
  int32_t big = 0, size = 0;
  EXPECT_EQ(item->GetFileSize(&big, &size), com::S_OK);
  EXPECT_EQ(big, 3);
  EXPECT_EQ(size, 7);

  // A folder path has no file name: Filename stays as it was.
  EXPECT_EQ(item->put_Moniker(com::Bstr("file::/p/a.jpg")), com::S_OK);
  EXPECT_EQ(item->put_Moniker(com::Bstr("file::/p/folder/")), com::S_OK);
  EXPECT_EQ(Scalar("SELECT Filename FROM AlbumItems WHERE ItemID = " + std::to_string(id)), "VT_BSTR \"a.jpg\"");
}

TEST_F(Item, IsAlbumForAlbumsAndItemsWithAnAlbumRow) {
  const int32_t photo = InsertItem(0, "file::/p/a.jpg");
  const int32_t album = InsertItem(9, "album::AlbumItems\\x.album");
  const int32_t playlist = InsertItem(22, "file::/p/list.wpl");
  db_->Execute("INSERT INTO Albums ( AlbumID ) VALUES (" + std::to_string(playlist) + ")");
  std::vector<int32_t> answers;
  for (int32_t id : {photo, album, playlist}) {
    int32_t confirm = -1;
    EXPECT_EQ(Connected(id)->IsAlbum(&confirm), com::S_OK);
    answers.push_back(confirm);
  }
  EXPECT_EQ(answers, (std::vector<int32_t>{0, 1, 1}));
}

TEST_F(Item, OwnKeywordsAndUserFieldsPassTheirEventsOn) {
  const int32_t id = InsertItem(0, "file::/p/a.jpg");
  auto item = Connected(id);
  auto events = Listen(item.get());
  int32_t keyword = -1;
  ASSERT_EQ(keywords_->Create(com::Bstr("sea"), &keyword), com::S_OK);
  com::ComPtr<com::IUnknown> first, second;
  ASSERT_EQ(item->get_Keywords(&first), com::S_OK);
  ASSERT_EQ(item->get_Keywords(&second), com::S_OK);
  EXPECT_EQ(first, second);  // made once
  auto keywords = com::QueryInterface<typelib::IKivKeywords>(first);
  ASSERT_TRUE(keywords);
  EXPECT_EQ(keywords->Add(keyword), com::S_OK);
  EXPECT_EQ(events->Take(), Strings{"OnKeywordAdded(" + std::to_string(id) + ", " + std::to_string(keyword) + ")"});
}

TEST_F(Item, PropertyAndAttributeTexts) {
  const int32_t id = InsertItem(0, "file::/p/beach.jpg");
  auto item = Connected(id);
  ASSERT_EQ(item->PutFileSize(0, 1048576), com::S_OK);
  ASSERT_EQ(item->put_PhotoWidth(640), com::S_OK);
  ASSERT_EQ(item->put_PhotoHeight(480), com::S_OK);
  ASSERT_EQ(item->put_PhotoBitDepth(24), com::S_OK);
  com::Bstr text;
  ASSERT_EQ(item->GetPropertyString(&text), com::S_OK);
  EXPECT_EQ(text, "1024 KB   640 X 480   JPG   Modified: ");  // no date: the label stays
  ASSERT_EQ(item->GetAttributesString(&text), com::S_OK);
  EXPECT_EQ(text, "640 x 480 pixels, 24-bit colour");

  ASSERT_EQ(item->PutFileSize(0, 1073741824), com::S_OK);
  ASSERT_EQ(item->put_Type(9), com::S_OK);
  ASSERT_EQ(item->GetPropertyString(&text), com::S_OK);
  EXPECT_EQ(text, "1.00 GB   640 X 480   JPG   Album Modified: ");
  ASSERT_EQ(item->GetAttributesString(&text), com::S_OK);
  EXPECT_EQ(text, "Album");
}

}  // namespace
}  // namespace albumcore::items::testing
