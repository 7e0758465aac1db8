// The item collection over a real catalogue and real files: creation with
// the identity check (files really moved and really copied), the events of
// creation and destruction, instantiation and lookups.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include "items/collection/lum_item_collection.h"
#include "items_fixture.h"
#include "recording_engine.h"
#include "thumbnails/lum_thumbnail_generator.h"
#include "typelib/kiv_album_specific_events.h"

namespace albumcore::items::testing {
namespace {

class SpecificSink final : public com::ComObject, public typelib::IKivAlbumSpecificEvents {
 public:
  com::HRESULT ItemDestroyed(int32_t id) override {
    heard.push_back(id);
    return com::S_OK;
  }
  std::vector<int32_t> heard;
};

class Collection : public ItemsTest {
 protected:
  void SetUp() override {
    ItemsTest::SetUp();
    collection_ = com::MakeObject<LumItemCollection>(hive(), services());
    ASSERT_EQ(collection_->Connect(db_.get(), userFields_.get(), keywords_.get(), nullptr), com::S_OK);
    events_ = Listen(collection_.get());
  }
  void TearDown() override {
    subscriptions_.clear();
    collection_->Disconnect();
    ItemsTest::TearDown();
  }

  com::HRESULT Create(const std::string& moniker, int32_t& id, int32_t type = 0, const std::string& name = "n") {
    const com::Variant date = com::Variant::Date(45000.5);
    return collection_->CreateItem(type, com::Bstr(moniker), com::Bstr(""), date, date, com::Bstr(name), 0, 10,
                                   com::Bstr(""), &id);
  }
  com::ComPtr<LumItem> Item(int32_t id) {
    com::ComPtr<com::IUnknown> object;
    EXPECT_EQ(collection_->InstantiateItem(id, &object), com::S_OK);
    return com::ComPtr<LumItem>(dynamic_cast<LumItem*>(object.get()));
  }
  std::string MonikerOf(int32_t id) {
    return Scalar("SELECT ItemDataMoniker FROM AlbumItems WHERE ItemID = " + std::to_string(id));
  }

  com::ComPtr<LumItemCollection> collection_;
  com::ComPtr<RecordingSink> events_;
};

TEST_F(Collection, CreatingAFileAnnouncesOneItemAndFindsItAgain) {
  const std::string moniker = WriteFile("a.jpg");
  int32_t id = -1;
  ASSERT_EQ(Create(moniker, id), com::S_OK);
  EXPECT_EQ(events_->Take(), Strings{"OnItemCreated(" + std::to_string(id) + ")"});
  EXPECT_EQ(collection_->cachedItemCount(), 1u);
  EXPECT_TRUE(collection_->notifying());

  com::Bstr thumbnail, fileId;
  Item(id)->get_ThumbnailMoniker(&thumbnail);
  Item(id)->get_FileUniqueID(&fileId);
  EXPECT_EQ(thumbnail, moniker);  // no thumbnail moniker given: the file's
  EXPECT_FALSE(fileId.empty());

  // The same file again: the existing item, nothing announced.
  int32_t again = -1;
  EXPECT_EQ(Create(moniker, again), com::S_FALSE);
  EXPECT_EQ(again, id);
  EXPECT_EQ(events_->Take(), Strings{});

  int32_t found = -1;
  EXPECT_EQ(collection_->FindItemByMoniker(com::Bstr(moniker), &found), com::S_OK);
  EXPECT_EQ(found, id);
  std::string upper = moniker;
  upper.replace(upper.size() - 5, 5, "A.JPG");
  EXPECT_EQ(collection_->FindItemByMoniker(com::Bstr(upper), &found), com::S_FALSE);
  EXPECT_EQ(found, -1);
}

TEST_F(Collection, AMovedFileKeepsItsItemAndACopyBecomesANewOne) {
  const std::string original = WriteFile("a.jpg");
  int32_t id = -1;
  ASSERT_EQ(Create(original, id), com::S_OK);
  events_->Take();

  // Really moved: the item follows the file.
  std::filesystem::rename(file("a.jpg"), file("b.jpg"));
  int32_t moved = -1;
  EXPECT_EQ(Create("file::" + file("b.jpg"), moved), com::S_FALSE);
  EXPECT_EQ(moved, id);
  EXPECT_EQ(MonikerOf(id), "VT_BSTR \"file::" + file("b.jpg") + "\"");
  EXPECT_EQ(events_->Take(), Strings{"OnItemMonikerChanged(" + std::to_string(id) + ", \"file::" + file("b.jpg") + "\")"});

  // Really copied with its attributes: a new item with an identifier of its own.
  const std::string copy = file("c.jpg");
  std::filesystem::copy_file(file("b.jpg"), copy);
  char value[256];
  const ssize_t n = getxattr(file("b.jpg").c_str(), "user.albumcore.file-id", value, sizeof value);
  if (n <= 0) GTEST_SKIP() << "no user extended attributes here";
  ASSERT_EQ(setxattr(copy.c_str(), "user.albumcore.file-id", value, static_cast<size_t>(n), 0), 0);
  int32_t copied = -1;
  EXPECT_EQ(Create("file::" + copy, copied), com::S_OK);
  EXPECT_NE(copied, id);
  com::Bstr first, second;
  Item(id)->get_FileUniqueID(&first);
  Item(copied)->get_FileUniqueID(&second);
  EXPECT_NE(first, second);
  EXPECT_EQ(events_->Take(), Strings{"OnItemCreated(" + std::to_string(copied) + ")"});
}

TEST_F(Collection, AlbumRecordsAlwaysGetAMonikerOfTheirOwn) {
  int32_t first = -1, second = -1;
  ASSERT_EQ(Create("album::AlbumItems\\trip.album", first, 9), com::S_OK);
  ASSERT_EQ(Create("album::AlbumItems\\trip.album", second, 9), com::S_OK);
  EXPECT_NE(first, second);
  EXPECT_EQ(MonikerOf(first), "VT_BSTR \"album::AlbumItems\\trip.album\"");
  EXPECT_NE(MonikerOf(second), MonikerOf(first));
}

TEST_F(Collection, DestroyingAnnouncesTheItemAndTellsAlbums) {
  auto specific = com::MakeObject<SpecificSink>();
  subscriptions_.emplace_back(collection_.get(), typelib::IKivAlbumSpecificEvents::kInterfaceName, specific.get());
  int32_t photo = -1, album = -1, quiet = -1;
  ASSERT_EQ(Create(WriteFile("a.jpg"), photo), com::S_OK);
  ASSERT_EQ(Create("album::AlbumItems\\x.album", album, 9), com::S_OK);
  ASSERT_EQ(Create("album::AlbumItems\\y.album", quiet, 9), com::S_OK);
  events_->Take();
  const std::string p = std::to_string(photo), a = std::to_string(album), q = std::to_string(quiet);

  EXPECT_EQ(collection_->DestroyItem(photo), com::S_OK);
  EXPECT_EQ(collection_->DestroyItem(album), com::S_OK);
  ASSERT_EQ(collection_->SetNotify(0), com::S_OK);
  EXPECT_EQ(collection_->DestroyItem(quiet), com::S_OK);
  EXPECT_EQ(events_->Take(), (Strings{"OnItemDestroyed(" + p + ")", "OnAlbumDestroyed(" + a + ")",
                                      "OnItemDestroyed(" + a + ")", "OnItemDestroyed(" + q + ")"}));
  EXPECT_EQ(specific->heard, (std::vector<int32_t>{photo, album, quiet}));
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID IN (" + p + "," + a + "," + q + ")"), "VT_I4 0");
  EXPECT_EQ(collection_->cachedItemCount(), 0u);

  // Creating an item turns notifications on again, whatever they were.
  int32_t next = -1;
  ASSERT_EQ(Create(WriteFile("b.jpg"), next), com::S_OK);
  EXPECT_TRUE(collection_->notifying());
  EXPECT_EQ(collection_->DestroyItem(123456), com::S_FALSE);  // nothing there, nothing announced
}

TEST_F(Collection, ArgumentsAndConnectionAreChecked) {
  int32_t id = -1;
  const com::Variant text("2024-01-01");
  const com::Variant date = com::Variant::Date(45000.0);
  EXPECT_EQ(collection_->CreateItem(0, com::Bstr("file::/x"), com::Bstr(""), text, date, com::Bstr(""), 0, 0,
                                    com::Bstr(""), &id),
            com::E_INVALIDARG);
  EXPECT_EQ(collection_->CreateItem(0, com::Bstr("file::/x"), com::Bstr(""), date, date, com::Bstr(""), 0, 0,
                                    com::Bstr(""), nullptr),
            com::E_POINTER);
  com::ComPtr<com::IUnknown> object;
  EXPECT_EQ(collection_->InstantiateItem(-1, &object), com::E_INVALIDARG);
  EXPECT_EQ(collection_->InstantiateItem(424242, &object), com::S_FALSE);
  EXPECT_FALSE(object);

  // A record the engine refuses (a name past 255 characters) leaves nothing.
  EXPECT_TRUE(com::Failed(Create(WriteFile("long.jpg"), id, 0, std::string(300, 'n'))));
  EXPECT_EQ(events_->Take(), Strings{});
  EXPECT_EQ(collection_->cachedItemCount(), 0u);

  ASSERT_EQ(collection_->Disconnect(), com::S_OK);
  EXPECT_EQ(Create("file::/x", id), com::E_FAIL);
  EXPECT_EQ(collection_->InstantiateItem(1, &object), com::E_FAIL);
}

TEST_F(Collection, CreateItem2NamesTheItemFromItsMoniker) {
  int32_t id = -1;
  ASSERT_EQ(collection_->CreateItem2(0, com::Bstr(WriteFile("song.mp3")), &id), com::S_OK);
  com::Bstr name;
  Item(id)->get_Name(&name);
  EXPECT_EQ(name, "song.mp3");
  EXPECT_EQ(events_->Take(), Strings{"OnItemCreated(" + std::to_string(id) + ")"});
}

TEST_F(Collection, ItemHasParentsCountsAlbumsButNotTheRecentlyUsedOne) {
  int32_t item = -1, album = -1, mru = -1;
  ASSERT_EQ(Create(WriteFile("a.jpg"), item), com::S_OK);
  ASSERT_EQ(Create("album::AlbumItems\\a.album", album, 9), com::S_OK);
  ASSERT_EQ(Create("album::AlbumItems\\mru.album", mru, 9), com::S_OK);
  db_->Execute("INSERT INTO SpecialAlbums ( AlbumID, Type ) VALUES (" + std::to_string(mru) + ", 3)");
  db_->Execute("INSERT INTO AlbumContents ( AlbumID, ItemID ) VALUES (" + std::to_string(mru) + ", " +
               std::to_string(item) + ")");
  int32_t confirm = -1;
  EXPECT_EQ(collection_->ItemHasParents(item, &confirm), com::S_OK);
  EXPECT_EQ(confirm, 0);
  db_->Execute("INSERT INTO AlbumContents ( AlbumID, ItemID ) VALUES (" + std::to_string(album) + ", " +
               std::to_string(item) + ")");
  EXPECT_EQ(collection_->ItemHasParents(item, &confirm), com::S_OK);
  EXPECT_EQ(confirm, 1);
}

TEST_F(Collection, SettingAThumbnailByIdAnnouncesItTwice) {
  int32_t id = -1;
  ASSERT_EQ(Create(WriteFile("a.jpg"), id), com::S_OK);
  events_->Take();
  ASSERT_EQ(collection_->SetItemThumbnailMoniker(id, com::Bstr("storage::t\\i1.jpg")), com::S_OK);
  const std::string n = std::to_string(id);
  EXPECT_EQ(events_->Take(), (Strings{"OnRefreshThumbnail(\"storage::t\\i1.jpg\")", "OnItemChanged(" + n + ")",
                                      "OnItemThumbnailChanged(" + n + ", \"storage::t\\i1.jpg\")"}));
  EXPECT_EQ(Scalar("SELECT ItemThumbMoniker FROM AlbumItems WHERE ItemID = " + n), "VT_BSTR \"storage::t\\i1.jpg\"");
  // An item not in the cache is left alone.
  EXPECT_EQ(collection_->SetItemThumbnailMoniker(999, com::Bstr("x")), com::S_OK);
  EXPECT_EQ(events_->Take(), Strings{});
}

// Items ask the library's generator for their thumbnails; the engine here
// records the requests.
class CollectionThumbnails : public Collection {
 protected:
  void SetUp() override {
    Collection::SetUp();
    com::ComPtr<com::IUnknown> object;
    ASSERT_EQ(collection_->GetThumbnailGenerator(&object), com::S_OK);
    generator_ = com::ComPtr<thumbnails::LumThumbnailGenerator>(
        dynamic_cast<thumbnails::LumThumbnailGenerator*>(object.get()));
    ASSERT_TRUE(generator_);
    generator_->SetEngine(engine_);
  }
  std::string Requests() {
    std::string text;
    for (auto number : engine_->Live()) {
      const thumbnails::LoadRequest& r = (*engine_)[number].load;
      text += r.moniker + " " + std::to_string(r.cx) + "x" + std::to_string(r.cy) + " mode " +
              std::to_string(r.mode) + " flags " + std::to_string(r.flags) + ";";
    }
    return text;
  }
  std::shared_ptr<thumbnails::testing::RecordingEngine> engine_ =
      std::make_shared<thumbnails::testing::RecordingEngine>();
  com::ComPtr<thumbnails::LumThumbnailGenerator> generator_;
};

TEST_F(CollectionThumbnails, ANewItemAsksForItsThumbnailOnce) {
  const std::string moniker = WriteFile("a.jpg");
  int32_t id = -1;
  ASSERT_EQ(Create(moniker, id), com::S_OK);
  EXPECT_EQ(Requests(), moniker + " 384x384 mode 2 flags 0;");

  // A temporary thumbnail source is read as the file it names.
  const com::Variant date = com::Variant::Date(45000.5);
  int32_t other = -1;
  ASSERT_EQ(collection_->CreateItem(17, com::Bstr(WriteFile("p.dvd")), com::Bstr("temp::/tmp/t.jpg"), date, date,
                                    com::Bstr("p"), 0, 0, com::Bstr(""), &other),
            com::S_OK);
  EXPECT_EQ(Requests(), moniker + " 384x384 mode 2 flags 0;file::/tmp/t.jpg 384x384 mode 1 flags 0;");
  com::Bstr thumbnail;
  Item(other)->get_ThumbnailMoniker(&thumbnail);
  EXPECT_EQ(thumbnail, "temp::/tmp/t.jpg");
}

TEST_F(CollectionThumbnails, GeneratingWhileALoadIsPendingMakesItAgain) {
  const std::string moniker = WriteFile("a.jpg");
  int32_t id = -1;
  ASSERT_EQ(Create(moniker, id), com::S_OK);
  ASSERT_EQ(collection_->GenerateThumbnail(id), com::S_OK);
  EXPECT_EQ(Requests(), moniker + " 384x384 mode 2 flags 1025;");
}

TEST_F(CollectionThumbnails, DestroyingAnItemDeletesItsStoredThumbnail) {
  int32_t id = -1;
  ASSERT_EQ(Create(WriteFile("a.jpg"), id), com::S_OK);
  ASSERT_EQ(collection_->SetItemThumbnailMoniker(id, com::Bstr("storage::/lib/ItemThumbnails.dat|i0000001.jpg")),
            com::S_OK);
  ASSERT_EQ(collection_->DestroyItem(id), com::S_OK);
  ASSERT_EQ(engine_->deleted.size(), 1u);
  EXPECT_EQ(engine_->deleted[0].name, "i0000001.jpg");
}

}  // namespace
}  // namespace albumcore::items::testing
