// The photo property table: what is counted, what lies outside it.
#include <gtest/gtest.h>

#include "items/descriptors/photo_type_properties_descriptor.h"

namespace albumcore::items {
namespace {

TEST(PhotoTypeProperties, CountsFourRowsAnswersEightAndRefusesTheRest) {
  auto descriptor = com::MakeObject<LumPhotoTypePropertiesDescriptor>();
  int32_t count = 0, unit = -1, type = -1;
  ASSERT_EQ(descriptor->GetPropertiesCount(&count), com::S_OK);
  EXPECT_EQ(count, 4);
  com::Bstr table, field;
  EXPECT_EQ(descriptor->GetPropertyInfo(7, &table, &field, &unit, &type), com::S_OK);  // past the count
  EXPECT_EQ(table, "PhotoItem");
  com::Bstr untouched;
  EXPECT_EQ(descriptor->GetPropertyInfo(8, &table, &untouched, &unit, &type), com::E_INVALIDARG);
  EXPECT_EQ(descriptor->GetPropertyInfo(-1, &table, &untouched, &unit, &type), com::E_INVALIDARG);
  EXPECT_TRUE(untouched.isNull());  // nothing written on refusal
  EXPECT_EQ(descriptor->GetPropertyInfo(0, &table, &field, &unit, nullptr), com::E_POINTER);
  EXPECT_EQ(descriptor->GetPropertiesCount(nullptr), com::E_POINTER);
}

TEST(PhotoTypeProperties, OnlyTheEnumerationRowHasChoices) {
  auto descriptor = com::MakeObject<LumPhotoTypePropertiesDescriptor>();
  com::Variant values, names;
  ASSERT_EQ(descriptor->GetEnumInfo(4, &values, &names), com::S_OK);
  EXPECT_EQ(values.array().elements<int32_t>(), (std::vector<int32_t>{7, 5, 3}));
  EXPECT_EQ(names.array().elements<com::Bstr>().size(), 3u);
  com::Variant otherValues, otherNames;
  EXPECT_EQ(descriptor->GetEnumInfo(3, &otherValues, &otherNames), com::E_INVALIDARG);
  EXPECT_TRUE(otherValues.isEmpty());
  EXPECT_EQ(descriptor->GetEnumInfo(4, &otherValues, nullptr), com::E_POINTER);
}

}  // namespace
}  // namespace albumcore::items
