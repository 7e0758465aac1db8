// The fields an album shows: empty, single and array arguments, and the one
// event per change.
#include "user_fields_fixture.h"

namespace albumcore::tagging::testing {
namespace {

using namespace typelib;
using com::SafeArray;
using com::Variant;

Variant IdArray(std::vector<int32_t> ids, int32_t lower = 0) {
  return Variant(SafeArray::FromVector(com::VT_I4, std::move(ids), lower));
}

class AlbumFieldsTest : public UserFieldsTest {
 protected:
  void SetUp() override {
    UserFieldsTest::SetUp();
    for (const char* name : {"Place", "Weight", "Taken"}) ids_.push_back(Define(name, NAX_FIELD_TEXT));
    album_ = NewItem();
    fields_ = AlbumFields(album_);
    events_ = Listen(fields_.get());
    changed_ = Strings{"OnAlbumUserFieldsChanged(" + std::to_string(album_) + ")"};
  }
  std::vector<int32_t> Visible(LumUserFieldsAlbum& fields) {
    int32_t count = 0;
    EXPECT_EQ(fields.Count(&count), com::S_OK);
    std::vector<int32_t> ids(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) EXPECT_EQ(fields.EnumFieldIDs(i, &ids[static_cast<size_t>(i)]), com::S_OK);
    return ids;
  }

  std::vector<int32_t> ids_;
  int32_t album_ = 0;
  com::ComPtr<LumUserFieldsAlbum> fields_;
  com::ComPtr<RecordingSink> events_;
  Strings changed_;
};

TEST_F(AlbumFieldsTest, FieldsAreShownAndHiddenWithOneEventPerChange) {
  const auto [place, weight, taken] = std::tie(ids_[0], ids_[1], ids_[2]);
  EXPECT_EQ(fields_->MakeVisible(Variant()), com::S_OK);
  EXPECT_TRUE(events_->Take().empty());

  ASSERT_EQ(fields_->MakeVisible(weight), com::S_OK);
  EXPECT_EQ(events_->Take(), changed_);
  EXPECT_EQ(fields_->IsPresent(weight), com::S_OK);

  // Already shown and negative: nothing changes, nothing is said.
  ASSERT_EQ(fields_->MakeVisible(IdArray({-1, weight})), com::S_OK);
  EXPECT_TRUE(events_->Take().empty());

  // Several at once, a repeat among them, from a lower bound of 5.
  ASSERT_EQ(fields_->MakeVisible(IdArray({taken, place, taken}, 5)), com::S_OK);
  EXPECT_EQ(events_->Take(), changed_);
  EXPECT_EQ(Visible(*fields_), (std::vector<int32_t>{place, weight, taken}));
  EXPECT_EQ(Visible(*AlbumFields(album_)), (std::vector<int32_t>{place, weight, taken}));

  ASSERT_EQ(fields_->MakeHidden(IdArray({place, taken, -3})), com::S_OK);
  EXPECT_EQ(events_->Take(), changed_);
  EXPECT_EQ(Visible(*fields_), std::vector<int32_t>{weight});
  ASSERT_EQ(fields_->MakeHidden(place), com::S_OK);
  EXPECT_TRUE(events_->Take().empty());
  EXPECT_EQ(Visible(*AlbumFields(album_)), std::vector<int32_t>{weight});
  int32_t id = 0;
  EXPECT_EQ(fields_->EnumFieldIDs(1, &id), com::E_INVALIDARG);
}

TEST_F(AlbumFieldsTest, ArgumentsOfAnotherShapeAndUndefinedFieldsChangeNothing) {
  SafeArray square(com::VT_I4, {{2, 0}, {2, 0}});
  const Variant refused[] = {Variant(-1), Variant("1"), Variant(1.0), Variant::Null(),
                             Variant(SafeArray::FromVector(com::VT_BSTR, std::vector<com::Bstr>{"1"})),
                             Variant(square)};
  for (const Variant& fields : refused) {
    EXPECT_EQ(fields_->MakeVisible(fields), com::E_INVALIDARG) << fields.Describe();
    EXPECT_EQ(fields_->MakeHidden(fields), com::E_INVALIDARG) << fields.Describe();
  }
  // Fields the library does not define: the listing could never show them.
  ASSERT_EQ(fields_->MakeVisible(IdArray({ids_[2] + 100, ids_[2] + 101})), com::S_OK);
  EXPECT_TRUE(events_->Take().empty());
  EXPECT_EQ(Scalar("SELECT Count(*) FROM VisibleUserFields"), "VT_I4 0");
}

TEST_F(AlbumFieldsTest, SpecialAlbumsShowEveryField) {
  for (int32_t special = -4; special <= -1; ++special)
    EXPECT_EQ(Visible(*AlbumFields(special)), ids_) << special;
  com::Bstr name;
  EXPECT_EQ(AlbumFields(-1)->FieldName(ids_[1], &name), com::S_OK);  // forwarded to the library
  EXPECT_EQ(name, "Weight");
}

}  // namespace
}  // namespace albumcore::tagging::testing
