// Item and album collections following the library collection's events.
#include "user_fields_fixture.h"

namespace albumcore::tagging::testing {
namespace {

using namespace typelib;

TEST_F(UserFieldsTest, AnItemHearsThatAFieldItHasWasDestroyed) {
  const int32_t place = Define("Place", NAX_FIELD_TEXT);
  const int32_t weight = Define("Weight", NAX_FIELD_INTEGER);
  const int32_t item = NewItem();
  auto fields = ItemFields(item);
  auto bare = ItemFields(NewItem());
  auto events = Listen(fields.get());
  auto bareEvents = Listen(bare.get());
  ASSERT_EQ(fields->Add(place, "Rome"), com::S_OK);
  ASSERT_EQ(fields->Add(weight, 3), com::S_OK);
  events->Take();

  ASSERT_EQ(library_->Destroy(place), com::S_OK);
  EXPECT_EQ(events->Take(), Strings{"OnUserFieldRemoved(" + std::to_string(item) + ", " + std::to_string(place) + ")"});
  EXPECT_TRUE(bareEvents->Take().empty());
  EXPECT_EQ(fields->IsPresent(place), com::S_FALSE);
  int32_t count = 0;
  EXPECT_EQ(fields->Count(&count), com::S_OK);
  EXPECT_EQ(count, 1);

  // Disconnected or released, it hears nothing more.
  ASSERT_EQ(fields->Disconnect(), com::S_OK);
  bare.reset();
  ASSERT_EQ(library_->Destroy(weight), com::S_OK);
  EXPECT_TRUE(events->Take().empty());
  EXPECT_EQ(library_->coreEvents().size(), 1u);  // the fixture's sink alone
}

TEST_F(UserFieldsTest, AnAlbumDropsAFieldAboutToBeDestroyed) {
  const int32_t place = Define("Place", NAX_FIELD_TEXT);
  const int32_t weight = Define("Weight", NAX_FIELD_INTEGER);
  const int32_t album = NewItem();
  auto fields = AlbumFields(album);
  auto events = Listen(fields.get());
  ASSERT_EQ(fields->MakeVisible(place), com::S_OK);  // the set is read again on next use
  events->Take();

  ASSERT_EQ(library_->Destroy(weight), com::S_OK);  // not shown: no change
  EXPECT_TRUE(events->Take().empty());
  ASSERT_EQ(library_->Destroy(place), com::S_OK);
  EXPECT_EQ(events->Take(), Strings{"OnAlbumUserFieldsChanged(" + std::to_string(album) + ")"});
  EXPECT_EQ(fields->IsPresent(place), com::S_FALSE);
}

TEST_F(UserFieldsTest, SpecialAlbumsShowANewFieldAtOnce) {
  Define("Place", NAX_FIELD_TEXT);
  std::vector<com::ComPtr<LumUserFieldsAlbum>> albums;
  std::vector<com::ComPtr<RecordingSink>> events;
  for (int32_t album : {-4, -3, -2, -1, NewItem()}) {
    albums.push_back(AlbumFields(album));
    events.push_back(Listen(albums.back().get()));
    int32_t count = 0;
    ASSERT_EQ(albums.back()->Count(&count), com::S_OK);
  }
  const int32_t weight = Define("Weight", NAX_FIELD_INTEGER);
  for (int32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(events[i]->Take(), Strings{"OnAlbumUserFieldsChanged(" + std::to_string(i - 4) + ")"});
    EXPECT_EQ(albums[i]->IsPresent(weight), com::S_OK);
  }
  EXPECT_TRUE(events[4]->Take().empty());
  EXPECT_EQ(albums[4]->IsPresent(weight), com::S_FALSE);
}

}  // namespace
}  // namespace albumcore::tagging::testing
