// Defining, describing and destroying fields through the library collection.
#include "user_fields_fixture.h"

namespace albumcore::tagging::testing {
namespace {

using namespace typelib;

TEST_F(UserFieldsTest, FieldsAreDefinedOnceByNameIgnoringCaseAsTheStoreFoldsIt) {
  const int32_t place = Define("Place", NAX_FIELD_TEXT);
  const int32_t street = Define("ΟΔΟΣ Ärger", NAX_FIELD_MEMO);
  const int32_t weight = Define("Weight", NAX_FIELD_INTEGER);

  int32_t count = 0, id = 0;
  ASSERT_EQ(library_->Count(&count), com::S_OK);
  std::vector<int32_t> ids(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) EXPECT_EQ(library_->EnumFieldIDs(i, &ids[static_cast<size_t>(i)]), com::S_OK);
  EXPECT_EQ(ids, (std::vector<int32_t>{place, street, weight}));
  EXPECT_EQ(library_->EnumFieldIDs(3, &id), com::E_INVALIDARG);

  com::Bstr name;
  int32_t type = -1;
  EXPECT_EQ(library_->FieldName(street, &name), com::S_OK);
  EXPECT_EQ(name, "ΟΔΟΣ Ärger");
  EXPECT_EQ(library_->FieldType(weight, &type), com::S_OK);
  EXPECT_EQ(type, NAX_FIELD_INTEGER);
  EXPECT_EQ(library_->IsPresent(weight + 1), com::S_FALSE);
  EXPECT_EQ(library_->FieldType(weight + 1, &type), com::E_INVALIDARG);

  // Found and refused whatever the case, final sigma and umlaut included.
  EXPECT_EQ(library_->GetFieldIDFromName("οδος äRGER", &id), com::S_OK);
  EXPECT_EQ(id, street);
  EXPECT_EQ(library_->Create("PLACE", NAX_FIELD_DATE), com::S_FALSE);
  EXPECT_EQ(library_->Create("οδοσ ärger", NAX_FIELD_TEXT), com::S_FALSE);
  EXPECT_TRUE(libraryEvents_->Take().empty());
  EXPECT_EQ(Scalar("SELECT Count(*) FROM UserFields"), "VT_I4 3");
  EXPECT_EQ(library_->GetFieldIDFromName("Places", &id), com::S_FALSE);
  EXPECT_EQ(id, -1);

  EXPECT_EQ(library_->GetFieldIDFromName(com::Bstr::Null(), &id), com::E_POINTER);
  EXPECT_EQ(library_->GetFieldIDFromName("Place", nullptr), com::E_POINTER);
}

TEST_F(UserFieldsTest, DescriptionsAreStoredAnnouncedAndReadBack) {
  const int32_t place = Define("Place", NAX_FIELD_TEXT);
  com::Bstr description("x");
  ASSERT_EQ(library_->get_Description(place, &description), com::S_OK);
  EXPECT_EQ(description, "");

  EXPECT_EQ(library_->put_Description(place, "Where it was \"taken\""), com::S_OK);
  EXPECT_EQ(libraryEvents_->Take(), Strings{"OnUserFieldChanged(" + std::to_string(place) + ")"});
  EXPECT_EQ(library_->get_Description(place, &description), com::S_OK);
  EXPECT_EQ(description, "Where it was \"taken\"");
  EXPECT_EQ(Scalar("SELECT Description FROM UserFields"), "VT_BSTR \"Where it was \"taken\"\"");

  // No such field: the engine finds no row to edit; nothing is announced.
  const HRESULT missing = library_->put_Description(place + 7, "none");
  EXPECT_TRUE(com::IsJetError(missing)) << com::DescribeHresult(missing);
  EXPECT_EQ(library_->put_Description(place, com::Bstr::Null()), com::E_POINTER);
  EXPECT_EQ(library_->get_Description(place + 7, &description), com::E_INVALIDARG);
  EXPECT_TRUE(libraryEvents_->Take().empty());
}

TEST_F(UserFieldsTest, DestroyAnnouncesBeforeAndAfterAndTakesValuesAndVisibilityAlong) {
  const int32_t place = Define("Place", NAX_FIELD_TEXT);
  const int32_t weight = Define("Weight", NAX_FIELD_INTEGER);
  const int32_t item = NewItem();
  ASSERT_EQ(ItemFields(item)->Add(place, "Rome"), com::S_OK);
  ASSERT_EQ(AlbumFields(item)->MakeVisible(place), com::S_OK);
  ASSERT_EQ(library_->Destroy(place), com::S_OK);
  const std::string id = std::to_string(place);
  EXPECT_EQ(libraryEvents_->Take(), (Strings{"OnPreDestroyUserField(" + id + ")", "OnUserFieldDestroyed(" + id + ")"}));
  int32_t count = 0, first = 0;
  ASSERT_EQ(library_->Count(&count), com::S_OK);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(library_->EnumFieldIDs(0, &first), com::S_OK);
  EXPECT_EQ(first, weight);
  EXPECT_EQ(library_->IsPresent(place), com::S_FALSE);
  EXPECT_EQ(Scalar("SELECT Count(*) FROM AssignedFieldsText"), "VT_I4 0");
  EXPECT_EQ(Scalar("SELECT Count(*) FROM VisibleUserFields"), "VT_I4 0");

  EXPECT_EQ(library_->Destroy(-1), com::E_FAIL);
  EXPECT_TRUE(libraryEvents_->Take().empty());
}

// The slots each class does not offer, and the enumerator no class offers.
TEST_F(UserFieldsTest, EachClassRefusesTheOperationsOfTheOthers) {
  using Call = std::function<HRESULT(IKivUserFields&)>;
  com::Variant value;
  com::Bstr text;
  int32_t number = 0;
  com::ComPtr<com::IUnknown> unknown;
  const struct {
    const char* name;
    Call call;
    HRESULT library, item, album;
  } kSlots[] = {
      {"_NewEnum", [&](auto& f) { return f._NewEnum(&unknown); }, com::E_NOTIMPL, com::E_NOTIMPL, com::E_NOTIMPL},
      {"EnumFieldIDs", [&](auto& f) { return f.EnumFieldIDs(0, &number); }, com::E_INVALIDARG,
       com::CO_E_NOT_SUPPORTED, com::E_INVALIDARG},
      {"Value get", [&](auto& f) { return f.get_Value(0, &value); }, com::CO_E_NOT_SUPPORTED,
       com::TYPE_E_ELEMENTNOTFOUND, com::CO_E_NOT_SUPPORTED},
      {"Value put", [&](auto& f) { return f.put_Value(0, value); }, com::CO_E_NOT_SUPPORTED,
       com::TYPE_E_ELEMENTNOTFOUND, com::CO_E_NOT_SUPPORTED},
      {"Add", [&](auto& f) { return f.Add(-1, value); }, com::CO_E_NOT_SUPPORTED, com::E_FAIL,
       com::CO_E_NOT_SUPPORTED},
      {"Remove", [&](auto& f) { return f.Remove(0); }, com::CO_E_NOT_SUPPORTED, com::S_FALSE,
       com::CO_E_NOT_SUPPORTED},
      {"Create", [&](auto& f) { return f.Create(com::Bstr::Null(), 0); }, com::E_POINTER, com::CO_E_NOT_SUPPORTED,
       com::CO_E_NOT_SUPPORTED},
      {"Destroy", [&](auto& f) { return f.Destroy(-1); }, com::E_FAIL, com::CO_E_NOT_SUPPORTED,
       com::CO_E_NOT_SUPPORTED},
      {"Description get", [&](auto& f) { return f.get_Description(0, &text); }, com::E_INVALIDARG,
       com::CO_E_NOT_SUPPORTED, com::CO_E_NOT_SUPPORTED},
      {"Description put", [&](auto& f) { return f.put_Description(0, com::Bstr::Null()); }, com::E_POINTER,
       com::CO_E_NOT_SUPPORTED, com::CO_E_NOT_SUPPORTED},
      {"GetFieldIDFromName", [&](auto& f) { return f.GetFieldIDFromName("none", &number); }, com::S_FALSE,
       com::CO_E_NOT_SUPPORTED, com::S_FALSE},
      {"MakeVisible", [&](auto& f) { return f.MakeVisible(value); }, com::CO_E_NOT_SUPPORTED,
       com::CO_E_NOT_SUPPORTED, com::S_OK},
      {"MakeHidden", [&](auto& f) { return f.MakeHidden(value); }, com::CO_E_NOT_SUPPORTED,
       com::CO_E_NOT_SUPPORTED, com::S_OK},
  };
  const int32_t item = NewItem();
  auto itemFields = ItemFields(item);
  auto albumFields = AlbumFields(item);
  for (const auto& slot : kSlots) {
    EXPECT_EQ(slot.call(*library_), slot.library) << "library " << slot.name;
    EXPECT_EQ(slot.call(*itemFields), slot.item) << "item " << slot.name;
    EXPECT_EQ(slot.call(*albumFields), slot.album) << "album " << slot.name;
  }
  EXPECT_TRUE(libraryEvents_->Take().empty());

  // Unusable before Connect; forwarding needs the library collection.
  auto unconnected = com::MakeObject<LumUserFieldsItem>();
  EXPECT_EQ(unconnected->Count(&number), com::E_POINTER);
  EXPECT_EQ(unconnected->FieldName(0, &text), com::E_FAIL);
  auto lonely = com::MakeObject<LumUserFieldsAlbum>();
  ASSERT_EQ(lonely->Connect(db_.get(), item, nullptr), com::S_OK);
  EXPECT_EQ(lonely->FieldType(0, &number), com::E_FAIL);
  EXPECT_EQ(lonely->GetFieldIDFromName("none", &number), com::E_FAIL);
  EXPECT_EQ(lonely->Connect(db_.get(), item, db_.get()), com::E_INVALIDARG);
  EXPECT_EQ(com::MakeObject<LumUserFieldsLibrary>()->Count(&number), com::E_POINTER);
}

}  // namespace
}  // namespace albumcore::tagging::testing
