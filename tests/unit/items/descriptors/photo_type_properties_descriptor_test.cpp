// The photo property table row by row, and what lies outside it.
#include <gtest/gtest.h>

#include "items/descriptors/photo_type_properties_descriptor.h"

namespace albumcore::items {
namespace {

using namespace typelib;

struct Row {
  const char* field;
  int32_t type;
  int32_t unit;
};

TEST(PhotoTypeProperties, AnswersEveryRowButCountsOnlyTheFirstFour) {
  const Row rows[] = {{"cx", SPT_INTEGER, SUT_PIXELS},  {"cy", SPT_INTEGER, SUT_PIXELS},
                      {"BitDepth", SPT_INTEGER, SUT_BITS}, {"dpi", SPT_INTEGER, SUT_DPI},
                      {"Test-Enum", SPT_ENUM, SUT_NONE},   {"dpi", SPT_DURATION, SUT_NONE},
                      {"dpi", SPT_DURATION, SUT_NONE},     {"dpi", SPT_BOOLEAN, SUT_DPI}};
  auto descriptor = com::MakeObject<LumPhotoTypePropertiesDescriptor>();
  int32_t count = 0;
  ASSERT_EQ(descriptor->GetPropertiesCount(&count), com::S_OK);
  EXPECT_EQ(count, 4);
  for (int32_t index = 0; index < 8; ++index) {
    com::Bstr table, field;
    int32_t unit = -1, type = -1;
    ASSERT_EQ(descriptor->GetPropertyInfo(index, &table, &field, &unit, &type), com::S_OK) << index;
    EXPECT_EQ(table, "PhotoItem") << index;
    EXPECT_EQ(field, rows[index].field) << index;
    EXPECT_EQ(type, rows[index].type) << index;
    EXPECT_EQ(unit, rows[index].unit) << index;
  }
}

TEST(PhotoTypeProperties, RefusesIndexesOutsideTheTableAndNullOutPointers) {
  auto descriptor = com::MakeObject<LumPhotoTypePropertiesDescriptor>();
  com::Bstr table, field;
  int32_t unit = 0, type = 0;
  EXPECT_EQ(descriptor->GetPropertyInfo(8, &table, &field, &unit, &type), com::E_INVALIDARG);
  EXPECT_EQ(descriptor->GetPropertyInfo(-1, &table, &field, &unit, &type), com::E_INVALIDARG);
  EXPECT_TRUE(field.isNull());  // nothing written on refusal
  EXPECT_EQ(descriptor->GetPropertyInfo(0, &table, &field, &unit, nullptr), com::E_POINTER);
  EXPECT_EQ(descriptor->GetPropertiesCount(nullptr), com::E_POINTER);
}

TEST(PhotoTypeProperties, OnlyTheEnumerationRowHasChoices) {
  auto descriptor = com::MakeObject<LumPhotoTypePropertiesDescriptor>();
  com::Variant values, names;
  ASSERT_EQ(descriptor->GetEnumInfo(4, &values, &names), com::S_OK);
  ASSERT_EQ(values.vt(), com::VT_ARRAY | com::VT_I4);
  ASSERT_EQ(names.vt(), com::VT_ARRAY | com::VT_BSTR);
  EXPECT_EQ(values.array().elements<int32_t>(), (std::vector<int32_t>{7, 5, 3}));
  EXPECT_EQ(names.array().elements<com::Bstr>(), (std::vector<com::Bstr>{"Choice 1", "Choice 2", "Choice 3"}));

  com::Variant otherValues, otherNames;
  EXPECT_EQ(descriptor->GetEnumInfo(3, &otherValues, &otherNames), com::E_INVALIDARG);
  EXPECT_TRUE(otherValues.isEmpty());
  EXPECT_EQ(descriptor->GetEnumInfo(4, &otherValues, nullptr), com::E_POINTER);
}

}  // namespace
}  // namespace albumcore::items
