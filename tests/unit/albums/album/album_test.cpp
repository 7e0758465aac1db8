// Albums over a real catalogue, grouped by rule, with the exact events each
// operation sends to a client subscribed to the item collection.
#include <gtest/gtest.h>

#include "albums_fixture.h"

namespace albumcore::items::testing {
namespace {

TEST_F(Albums, SpecialAlbumsAreMadeOnceAndQuietly) {
  int32_t again = -1;
  ASSERT_EQ(collection_->GetSpecialAlbumID(albums::SAT_ROOT, &again), com::S_OK);
  EXPECT_EQ(again, root_);
  EXPECT_EQ(events_->Take(), Strings{});
  auto root = Album(root_);
  com::Bstr name;
  root->get_Name(&name);
  EXPECT_EQ(name, "Albums");  // from the string table
  int32_t takes = -1;
  root->CanAddItem(0, &takes);
  EXPECT_EQ(takes, 0);  // the root holds albums only
  EXPECT_EQ(root->put_Name(com::Bstr("x")), com::CO_E_NOT_SUPPORTED);
}

TEST_F(Albums, CreatingAnAlbumAnnouncesItTwiceAndMakesItAMemberOfItsParent) {
  const int32_t trip = NewAlbum("Trip", typelib::kShoeboxAlbumId);  // a virtual parent: the root
  EXPECT_EQ(events_->Take(), (Strings{"OnItemCreated(" + N(trip) + ")", "OnItemAdded(" + N(root_) + ", " + N(trip) + ")",
                                      "OnAlbumCreated(" + N(trip) + ")", "OnAlbumCreated(" + N(trip) + ")"}));
  EXPECT_EQ(Album(root_)->IsInAlbum(trip), com::S_OK);
  com::Bstr name, cover;
  Album(trip)->get_Name(&name);
  Album(trip)->get_CoverMoniker(&cover);
  EXPECT_EQ(name, "Trip");
  EXPECT_EQ(cover, "skin::cover.png");
  EXPECT_EQ(Album(trip), Album(trip));  // cached
}

TEST_F(Albums, MembershipIsWrittenOnceAndAnnounced) {
  const int32_t album = NewAlbum("A", root_);
  const int32_t photo = NewItem("a.jpg");
  auto a = Album(album);
  events_->Take();
  EXPECT_EQ(a->AddByItemID(photo), com::S_OK);
  EXPECT_EQ(a->AddByItemID(photo), com::S_OK);  // already there: nothing
  EXPECT_EQ(a->AddByItemID(album), com::S_FALSE);
  EXPECT_EQ(a->AddByItemIDFast(album), com::S_FALSE);
  EXPECT_EQ(Count(*a), 1);
  EXPECT_EQ(a->Remove(photo), com::S_OK);
  EXPECT_EQ(a->Remove(photo), com::E_FAIL);
  EXPECT_EQ(events_->Take(),
            (Strings{"OnItemAdded(" + N(album) + ", " + N(photo) + ")", "OnItemRemoved(" + N(album) + ", " + N(photo) + ")"}));
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(photo)), "VT_I4 1");  // unlinked, not gone

  // Add with a moniker already recorded: S_FALSE, the existing item becomes a member.
  int32_t id = -1;
  const com::Variant date = com::Variant::Date(45000.0);
  EXPECT_EQ(a->Add(0, com::Bstr("file::/p/a.jpg"), com::Bstr(""), date, date, com::Bstr("a"), 0, 0, com::Bstr(""), &id),
            com::S_FALSE);
  EXPECT_EQ(id, photo);
  EXPECT_EQ(a->IsInAlbum(photo), com::S_OK);

  // Items of types 10 to 13 go when removed.
  const int32_t old = NewItem("old.dat", 11);
  ASSERT_EQ(a->AddByItemID(old), com::S_OK);
  EXPECT_EQ(a->Remove(old), com::S_OK);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(old)), "VT_I4 0");
}

TEST_F(Albums, RemovingAnAlbumUnlinksItUnlessItWasItsLastParent) {
  const int32_t a = NewAlbum("A", root_);
  const int32_t b = NewAlbum("B", root_);
  const int32_t shared = NewAlbum("Shared", a);
  const int32_t only = NewAlbum("Only", a);
  ASSERT_EQ(Album(b)->AddByItemID(shared), com::S_OK);
  ASSERT_EQ(Album(mru_)->AddByItemIDFast(only), com::S_OK);  // the recently-used album is no parent
  events_->Take();
  EXPECT_EQ(Album(a)->Remove(shared), com::S_OK);
  EXPECT_EQ(events_->Take(), (Strings{"OnItemRemoved(" + N(a) + ", " + N(shared) + ")",
                                      "OnAlbumRemoved(" + N(a) + ", " + N(shared) + ")"}));
  EXPECT_EQ(Album(a)->Remove(only), com::S_OK);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(only)), "VT_I4 0");
  // Both albums that held it heard it go.
  const Strings heard = events_->Take();
  EXPECT_NE(std::find(heard.begin(), heard.end(), "OnItemDestroyed(" + N(only) + ")"), heard.end());
  EXPECT_NE(std::find(heard.begin(), heard.end(), "OnItemRemoved(" + N(mru_) + ", " + N(only) + ")"), heard.end());
}

TEST_F(Albums, ADestroyedItemLeavesEveryAlbumOnce) {
  const int32_t a = NewAlbum("A", root_), b = NewAlbum("B", root_);
  const int32_t photo = NewItem("a.jpg");
  ASSERT_EQ(Album(a)->AddByItemID(photo), com::S_OK);
  ASSERT_EQ(Album(b)->AddByItemID(photo), com::S_OK);
  events_->Take();
  ASSERT_EQ(collection_->DestroyItem(photo), com::S_OK);
  // The destruction first, then each album that held it.
  EXPECT_EQ(events_->Take(), (Strings{"OnItemDestroyed(" + N(photo) + ")", "OnItemRemoved(" + N(a) + ", " + N(photo) + ")",
                                      "OnItemRemoved(" + N(b) + ", " + N(photo) + ")"}));
  EXPECT_EQ(Count(*Album(a)), 0);
}

TEST_F(Albums, NoAlbumGoesInsideItself) {
  const int32_t outer = NewAlbum("Outer", root_);
  const int32_t inner = NewAlbum("Inner", outer);
  const int32_t innermost = NewAlbum("Innermost", inner);
  EXPECT_EQ(Album(innermost)->IsEligibleToAddItemToAlbum(outer), com::S_FALSE);  // outer is above it
  EXPECT_EQ(Album(inner)->IsEligibleToAddItemToAlbum(inner), com::S_FALSE);
  EXPECT_EQ(Album(outer)->IsEligibleToAddItemToAlbum(innermost), com::S_OK);
  EXPECT_EQ(Album(outer)->IsInAlbumTree(innermost), com::S_OK);
  EXPECT_EQ(Album(innermost)->IsInAlbumTree(outer), com::S_FALSE);
}

TEST_F(Albums, UniqueNamesAndCustomSort) {
  const int32_t parent = NewAlbum("P", root_);
  const int32_t trip = NewAlbum("Trip", parent);
  auto p = Album(parent);
  com::Bstr name("Holiday");
  ASSERT_EQ(p->GenerateUniqueAlbumName(1, &name), com::S_OK);
  EXPECT_EQ(name, "Holiday");
  ASSERT_EQ(p->GenerateUniqueAlbumName(0, &name), com::S_OK);
  EXPECT_EQ(name, "Holiday 1");
  name = com::Bstr("Trip");
  ASSERT_EQ(p->GenerateUniqueAlbumName(1, &name), com::S_OK);
  EXPECT_EQ(name, "Trip 1");

  const int32_t x = NewItem("x.jpg"), y = NewItem("y.jpg");
  p->AddByItemID(x);
  p->AddByItemID(y);
  events_->Take();
  com::Variant order;
  EXPECT_EQ(p->get_CustomSort(&order), com::E_FAIL);  // nothing stored
  EXPECT_EQ(p->put_CustomSort(com::Variant(com::SafeArray::FromVector(com::VT_I4, std::vector<int32_t>{y}))), com::S_OK);
  EXPECT_EQ(p->get_CustomSort(&order), com::E_FAIL);  // a short list is not stored
  const com::Variant both(com::SafeArray::FromVector(com::VT_I4, std::vector<int32_t>{y, trip, x}));
  events_->Take();
  ASSERT_EQ(p->put_CustomSort(both), com::S_OK);
  ASSERT_EQ(p->put_CustomSort(both), com::S_OK);  // the same bytes: no event
  EXPECT_EQ(events_->Take().size(), 1u);
  ASSERT_EQ(p->get_CustomSort(&order), com::S_OK);
  EXPECT_EQ(order.array().elements<int32_t>(), both.array().elements<int32_t>());
  EXPECT_EQ(p->put_CustomSort(com::Variant(7)), com::E_INVALIDARG);
}

TEST_F(Albums, LookupsAndConnectArguments) {
  const int32_t album = NewAlbum("A", root_);
  int32_t id = -1;
  const com::Variant date = com::Variant::Date(45000.0);
  const std::string odd = "file::/p/say \"hi\" | bye.jpg";
  auto a = Album(album);
  ASSERT_EQ(a->Add(0, com::Bstr(odd), com::Bstr(""), date, date, com::Bstr("odd"), 0, 0, com::Bstr(""), &id), com::S_OK);
  int32_t found = -1;
  EXPECT_EQ(a->FindItemByMoniker(com::Bstr(odd), &found), com::S_OK);
  EXPECT_EQ(found, id);
  EXPECT_EQ(a->FindItemByName(com::Bstr("ODD"), &found), com::S_OK);  // names ignore case
  EXPECT_EQ(found, id);
  int32_t fromMoniker = 0;
  com::Bstr moniker;
  a->get_AlbumMoniker(&moniker);
  EXPECT_EQ(collection_->FindAlbumFromMoniker(moniker, &fromMoniker), com::S_OK);
  EXPECT_EQ(fromMoniker, album);
  EXPECT_EQ(collection_->FindAlbumFromMoniker(com::Bstr("album::none"), &fromMoniker), com::S_OK);
  EXPECT_EQ(fromMoniker, typelib::kNoAlbumId);

  auto fresh = com::MakeObject<albums::LumAlbum>(&strings_, 0);
  EXPECT_EQ(fresh->Connect(db_.get(), typelib::kNoAlbumId, static_cast<typelib::IKivItemCollection*>(collection_.get()),
                           userFields_.get()),
            com::E_INVALIDARG);
  EXPECT_EQ(fresh->Remove(1), com::E_FAIL);
}

TEST_F(Albums, EmptyingRecursivelyAndDestroyingAnAlbum) {
  const int32_t top = NewAlbum("Top", root_);
  const int32_t child = NewAlbum("Child", top);
  const int32_t a = NewItem("a.jpg"), b = NewItem("b.jpg");
  Album(top)->AddByItemID(a);
  Album(child)->AddByItemID(b);
  ASSERT_EQ(Album(top)->EmptyAlbumRecursively(0), com::S_OK);
  EXPECT_EQ(Count(*Album(top)), 0);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID IN (" + N(a) + "," + N(b) + ")"), "VT_I4 2");
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(child)), "VT_I4 0");  // its only parent

  Album(top)->AddByItemID(a);
  events_->Take();
  ASSERT_EQ(collection_->DestroyAlbum(top), com::S_OK);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM Albums WHERE AlbumID = " + N(top)), "VT_I4 0");
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AlbumItems WHERE ItemID = " + N(a)), "VT_I4 1");
  const Strings heard = events_->Take();
  EXPECT_NE(std::find(heard.begin(), heard.end(), "OnAlbumDestroyed(" + N(top) + ")"), heard.end());
}

}  // namespace
}  // namespace albumcore::items::testing
