// The special albums with rules of their own beyond their class row: the
// clipboard's emptying, the recently-used album's sections, and a special
// type no class serves.
#include <gtest/gtest.h>

#include "albums_fixture.h"

namespace albumcore::items::testing {
namespace {

class ClipboardAndSections : public Albums {
 protected:
  void SetUp() override {
    Albums::SetUp();
    ASSERT_EQ(collection_->GetSpecialAlbumID(albums::SAT_CLIPBOARD, &clipboard_), com::S_OK);
    events_->Take();
  }
  bool Exists(int32_t id) { return Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(id)) == "VT_I4 1"; }
  int32_t Section(const std::string& name) {
    int32_t id = -1;
    EXPECT_EQ(collection_->GetMRUSection(com::Bstr(name), &id), com::S_OK);
    return id;
  }
  int32_t clipboard_ = -1;
};

TEST_F(ClipboardAndSections, EmptyingTheClipboardKeepsWhatBelongsElsewhere) {
  // Copied: an item, an album only the clipboard holds, and an album that
  // also sits under the root.
  const int32_t loose = NewItem("loose.jpg");
  const int32_t owned = NewAlbum("Owned", clipboard_);
  const int32_t shared = NewAlbum("Shared", root_);
  const int32_t inOwned = NewItem("in-owned.jpg"), inShared = NewItem("in-shared.jpg");
  auto clipboard = Album(clipboard_);
  ASSERT_EQ(clipboard->AddByItemID(loose), com::S_OK);
  ASSERT_EQ(clipboard->AddByItemID(shared), com::S_OK);
  ASSERT_EQ(Album(owned)->AddByItemID(inOwned), com::S_OK);
  ASSERT_EQ(Album(shared)->AddByItemID(inShared), com::S_OK);
  events_->Take();

  ASSERT_EQ(clipboard->EmptyAlbumRecursively(0), com::S_OK);
  EXPECT_EQ(Count(*clipboard), 0);
  // Items stay in the catalogue; the album the clipboard alone held is gone.
  EXPECT_TRUE(Exists(loose));
  EXPECT_TRUE(Exists(inOwned));
  EXPECT_FALSE(Exists(owned));
  // The shared album keeps its place under the root and its contents.
  EXPECT_TRUE(Exists(shared));
  EXPECT_EQ(Album(shared)->IsInAlbum(inShared), com::S_OK);
  EXPECT_EQ(Album(root_)->IsInAlbum(shared), com::S_OK);
  const Strings heard = events_->Take();
  auto heardOf = [&](const std::string& event) { return std::count(heard.begin(), heard.end(), event); };
  EXPECT_EQ(heardOf("OnItemRemoved(" + N(shared) + ", " + N(inShared) + ")"), 0);
  EXPECT_EQ(heardOf("OnItemRemoved(" + N(owned) + ", " + N(inOwned) + ")"), 1);
  EXPECT_EQ(heardOf("OnItemRemoved(" + N(clipboard_) + ", " + N(loose) + ")"), 1);
  EXPECT_EQ(heardOf("OnAlbumRemoved(" + N(clipboard_) + ", " + N(shared) + ")"), 1);
  EXPECT_EQ(heardOf("OnAlbumDestroyed(" + N(owned) + ")"), 1);

  // Destroying empties: the clipboard's items go from the catalogue too.
  ASSERT_EQ(clipboard->AddByItemID(loose), com::S_OK);
  ASSERT_EQ(clipboard->EmptyAlbumRecursively(1), com::S_OK);
  EXPECT_FALSE(Exists(loose));
}

TEST_F(ClipboardAndSections, RecentlyUsedSectionsAreFoundByNameOrMadeOnce) {
  const int32_t photos = Section("Photos");
  ASSERT_GE(photos, 0);
  // Made as any album is made, announced as any album is.
  EXPECT_EQ(events_->Take(), (Strings{"OnItemCreated(" + N(photos) + ")", "OnItemAdded(" + N(mru_) + ", " + N(photos) + ")",
                                      "OnAlbumCreated(" + N(photos) + ")", "OnAlbumCreated(" + N(photos) + ")"}));
  EXPECT_EQ(Section("Photos"), photos);
  EXPECT_EQ(events_->Take(), Strings{});
  // Names compare exactly, as the section's Name reads.
  const int32_t lower = Section("photos");
  EXPECT_NE(lower, photos);
  EXPECT_EQ(Count(*Album(mru_)), 2);

  // A section is filled only by the recently-used list: clients may neither
  // add to it nor rename it.
  auto section = Album(photos);
  int32_t yes = -1;
  EXPECT_EQ(section->CanAddItem(0, &yes), com::S_OK);
  EXPECT_EQ(yes, 0);
  EXPECT_EQ(section->CanRename(&yes), com::S_OK);
  EXPECT_EQ(yes, 0);
  EXPECT_EQ(section->put_Name(com::Bstr("Other")), com::CO_E_NOT_SUPPORTED);
  com::Bstr cover;
  EXPECT_EQ(section->get_CoverMoniker(&cover), com::S_OK);
  EXPECT_EQ(cover.str(), "skin::AlbumImages\\AlbumCover.png");

  int32_t id = 0;
  collection_->Disconnect();
  EXPECT_EQ(collection_->GetMRUSection(com::Bstr("Photos"), &id), com::E_FAIL);
}

TEST_F(ClipboardAndSections, ASpecialTypeNoClassServesIsServedAsAPlainAlbum) {
  const int32_t odd = NewAlbum("Odd", root_);
  const int32_t photo = NewItem("odd.jpg");
  db_->Execute("INSERT INTO SpecialAlbums ( AlbumID, Type ) VALUES (" + N(odd) + ", 42)");
  auto album = Album(odd);
  ASSERT_TRUE(album);
  EXPECT_EQ(album->AddByItemID(photo), com::S_OK);
  album.reset();
  EXPECT_EQ(collection_->DestroyAlbum(odd), com::S_OK);  // emptied first: the photo stays
  EXPECT_FALSE(Exists(odd));
  EXPECT_TRUE(Exists(photo));
}

}  // namespace
}  // namespace albumcore::items::testing
