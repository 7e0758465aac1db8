// The four virtual albums over a real catalogue: made once and kept, their
// fixed properties, their Add and Remove rules, and their counts following
// the collection's creations and destructions.
#include <gtest/gtest.h>

#include "albums/listing/listing.h"
#include "albums_fixture.h"

namespace albumcore::items::testing {
namespace {

class VirtualAlbums : public Albums {
 protected:
  com::ComPtr<IKivAlbum> Virtual(com::HRESULT (LumItemCollection::*getter)(com::ComPtr<com::IUnknown>*)) {
    com::ComPtr<com::IUnknown> object;
    EXPECT_EQ(((*collection_).*getter)(&object), com::S_OK);
    return com::QueryInterface<IKivAlbum>(object);
  }
  static std::string Text(com::HRESULT (IKivAlbum::*getter)(com::Bstr*), IKivAlbum& album) {
    com::Bstr text;
    EXPECT_EQ((album.*getter)(&text), com::S_OK);
    return text.str();
  }
  const com::Variant date_ = com::Variant::Date(45000.0);
};

TEST_F(VirtualAlbums, EachIsMadeOnceQuietlyAndKeptUnderItsReservedId) {
  struct Expected {
    com::HRESULT (LumItemCollection::*getter)(com::ComPtr<com::IUnknown>*);
    int32_t id;
    const char* name;
    const char* icon;
  };
  for (const Expected& e : {Expected{&LumItemCollection::get_Shoebox, -1, "Shoebox", "root:Collections.ico"},
                            Expected{&LumItemCollection::get_SearchResults, -2, "Search Results",
                                     "root:SearchResults.ico"},
                            Expected{&LumItemCollection::get_AllFiles, -3, "All Media", "root:AllMedia.ico"},
                            Expected{&LumItemCollection::get_AllAlbums, -4, "All Albums", "root:AllCollections.ico"}}) {
    SCOPED_TRACE(e.name);
    auto album = Virtual(e.getter);
    ASSERT_TRUE(album);
    EXPECT_EQ(album, Virtual(e.getter));
    EXPECT_EQ(album, Album(e.id));
    int32_t id = 0, rename = -1;
    album->get_ID(&id);
    EXPECT_EQ(id, e.id);
    EXPECT_EQ(Text(&IKivAlbum::get_Name, *album), e.name);
    EXPECT_EQ(Text(&IKivAlbum::get_IconPath, *album), e.icon);
    album->CanRename(&rename);
    EXPECT_EQ(rename, 0);
    EXPECT_EQ(album->put_Name(com::Bstr("x")), com::CO_E_NOT_SUPPORTED);
    EXPECT_EQ(album->put_CoverMoniker(com::Bstr("x")), com::CO_E_NOT_SUPPORTED);
    EXPECT_EQ(album->put_AlbumMoniker(com::Bstr("x")), com::CO_E_NOT_SUPPORTED);
    EXPECT_EQ(Text(&IKivAlbum::get_Name, *album), e.name);
  }
  EXPECT_EQ(events_->Take(), Strings{});
  EXPECT_EQ(Scalar("SELECT Count(*) FROM Albums WHERE AlbumID < 0"), "VT_I4 0");

  // Gone with the collection.
  auto shoebox = Virtual(&LumItemCollection::get_Shoebox);
  collection_->Disconnect();
  EXPECT_EQ(shoebox->Remove(1), com::E_FAIL);
  com::ComPtr<com::IUnknown> none;
  EXPECT_EQ(collection_->get_Shoebox(&none), com::E_FAIL);
}

TEST_F(VirtualAlbums, TheShoeboxHoldsEveryItemAddOnlyCreatesAndRemoveDestroys) {
  const int32_t before = NewItem("a.jpg");
  auto shoebox = Virtual(&LumItemCollection::get_Shoebox);
  const int32_t all = std::stoi(Scalar("SELECT Count(*) FROM AlbumItems").substr(6));
  EXPECT_EQ(Count(*shoebox), all);  // the special albums are items too
  EXPECT_EQ(shoebox->IsInAlbum(before), com::S_OK);
  events_->Take();

  int32_t added = -1;
  ASSERT_EQ(shoebox->Add(0, com::Bstr("file::/p/b.jpg"), com::Bstr(""), date_, date_, com::Bstr("b"), 0, 0,
                         com::Bstr(""), &added),
            com::S_OK);
  EXPECT_EQ(events_->Take(), Strings{"OnItemCreated(" + N(added) + ")"});  // no OnItemAdded
  EXPECT_EQ(Count(*shoebox), all + 1);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumContents WHERE ItemID = " + N(added)), "VT_I4 0");
  EXPECT_EQ(shoebox->Add(0, com::Bstr("file::/p/c.jpg"), com::Bstr(""), com::Variant(1), date_, com::Bstr("c"), 0, 0,
                         com::Bstr(""), &added),
            com::E_INVALIDARG);

  // A new item made anywhere counts; a destroyed one leaves.
  const int32_t elsewhere = NewItem("d.jpg");
  EXPECT_EQ(shoebox->IsInAlbum(elsewhere), com::S_OK);
  events_->Take();
  ASSERT_EQ(shoebox->Remove(before), com::S_OK);
  EXPECT_EQ(events_->Take(), (Strings{"OnItemDestroyed(" + N(before) + ")", "OnItemRemoved(-1, " + N(before) + ")"}));
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(before)), "VT_I4 0");
  EXPECT_EQ(Count(*shoebox), all + 1);
  EXPECT_EQ(shoebox->Remove(-7), com::E_FAIL);
}

TEST_F(VirtualAlbums, AllFilesTakesFilesNotAlbumsAndAnnouncesWhatItAdds) {
  auto allFiles = Virtual(&LumItemCollection::get_AllFiles);
  const int32_t start = Count(*allFiles);
  const int32_t photo = NewItem("a.jpg");
  const int32_t album = NewAlbum("A", root_);
  EXPECT_EQ(allFiles->IsInAlbum(photo), com::S_OK);
  EXPECT_EQ(allFiles->IsInAlbum(album), com::S_FALSE);
  EXPECT_EQ(Count(*allFiles), start + 1);
  int32_t takes = -1;
  allFiles->CanAddItem(9, &takes);
  EXPECT_EQ(takes, 0);
  allFiles->CanAddItem(3, &takes);
  EXPECT_EQ(takes, 1);

  events_->Take();
  int32_t id = -1;
  ASSERT_EQ(allFiles->Add(3, com::Bstr("file::/p/v.mp4"), com::Bstr(""), date_, date_, com::Bstr("v"), 0, 0,
                          com::Bstr(""), &id),
            com::S_OK);
  EXPECT_EQ(events_->Take(), (Strings{"OnItemCreated(" + N(id) + ")", "OnItemAdded(-3, " + N(id) + ")"}));
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumContents WHERE ItemID = " + N(id)), "VT_I4 0");  // nothing written

  ASSERT_EQ(allFiles->Remove(photo), com::S_OK);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(photo)), "VT_I4 0");
  EXPECT_EQ(allFiles->IsInAlbum(photo), com::S_FALSE);
  EXPECT_EQ(allFiles->Remove(-1), com::E_FAIL);
}

TEST_F(VirtualAlbums, AllAlbumsHoldsTheClientsAlbumsAndRemoveDestroysThem) {
  auto allAlbums = Virtual(&LumItemCollection::get_AllAlbums);
  EXPECT_EQ(Count(*allAlbums), 0);  // the root and the recently-used album are special
  const int32_t trip = NewAlbum("Trip", root_);
  int32_t bin = -1;
  ASSERT_EQ(collection_->GetSpecialAlbumID(albums::SAT_BIN, &bin), com::S_OK);
  const int32_t photo = NewItem("a.jpg");
  EXPECT_EQ(Count(*allAlbums), 1);
  EXPECT_EQ(allAlbums->IsInAlbum(trip), com::S_OK);
  EXPECT_EQ(allAlbums->Remove(photo), com::E_FAIL);
  EXPECT_EQ(allAlbums->AddByItemID(trip), com::S_OK);   // already a member
  EXPECT_EQ(allAlbums->AddByItemID(photo), com::S_FALSE);  // takes nothing

  ASSERT_EQ(allAlbums->Remove(trip), com::S_OK);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM Albums WHERE AlbumID = " + N(trip)), "VT_I4 0");
  EXPECT_EQ(Count(*allAlbums), 0);
}

TEST_F(VirtualAlbums, SearchResultsListTheTableAndRemoveOnlyUnlinks) {
  const int32_t a = NewItem("a.jpg"), b = NewItem("b.jpg");
  db_->Execute("INSERT INTO SearchResults ( ItemID ) VALUES (" + N(a) + ")");
  db_->Execute("INSERT INTO SearchResults ( ItemID ) VALUES (" + N(b) + ")");
  auto results = Virtual(&LumItemCollection::get_SearchResults);
  EXPECT_EQ(Count(*results), 2);
  int32_t rename = -1;
  results->CanRename(&rename);
  EXPECT_EQ(rename, 1);
  EXPECT_EQ(results->AddByItemID(NewItem("c.jpg")), com::S_FALSE);

  typelib::ItemListingArrays listed;
  ASSERT_EQ(results->GetAlbumItems2(com::Bstr(), albums::listing::NAX_SORT_NAME, albums::listing::NAX_SORT_ASCENDING, &listed),
            com::S_OK);
  EXPECT_EQ(listed.id.array().elements<int32_t>(), (std::vector<int32_t>{a, b}));

  events_->Take();
  ASSERT_EQ(results->Remove(a), com::S_OK);
  ASSERT_EQ(results->Remove(b), com::S_OK);
  EXPECT_EQ(events_->Take(), (Strings{"OnItemRemoved(-2, " + N(a) + ")", "OnItemRemoved(-2, " + N(b) + ")"}));
  EXPECT_EQ(Scalar("SELECT Count(*) FROM SearchResults"), "VT_I4 0");
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(a)), "VT_I4 1");
  results->CanRename(&rename);
  EXPECT_EQ(rename, 0);
  EXPECT_EQ(results->Remove(a), com::E_FAIL);
}

TEST_F(VirtualAlbums, ACustomSortIsKeptInTheRowOfTheReservedId) {
  const int32_t a = NewItem("a.jpg"), b = NewItem("b.jpg");
  db_->Execute("INSERT INTO SearchResults ( ItemID ) VALUES (" + N(a) + ")");
  db_->Execute("INSERT INTO SearchResults ( ItemID ) VALUES (" + N(b) + ")");
  auto results = Virtual(&LumItemCollection::get_SearchResults);
  const com::Variant order(com::SafeArray::FromVector(com::VT_I4, std::vector<int32_t>{b, a}));
  ASSERT_EQ(results->put_CustomSort(order), com::S_OK);
  com::Variant read;
  ASSERT_EQ(results->get_CustomSort(&read), com::S_OK);
  EXPECT_EQ(read.array().elements<int32_t>(), (std::vector<int32_t>{b, a}));
  EXPECT_EQ(Scalar("SELECT Count(*) FROM SpecialAlbumProperties WHERE AlbumID = -2 AND CustomSort IS NOT NULL"),
            "VT_I4 1");
}

}  // namespace
}  // namespace albumcore::items::testing
