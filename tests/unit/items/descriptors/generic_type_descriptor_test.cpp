// The media types over a hive written by the registration defaults and the
// string files of the build.
#include <gtest/gtest.h>

#include "items/descriptors/generic_type_descriptor.h"
#include "server/config/config_keys.h"
#include "server/config/registration_defaults.h"
#include "temp_dir.h"

namespace albumcore::items {
namespace {

using registry::RegistryStore;
using registry::RegStatus;

class GenericTypeDescriptor : public ::testing::Test {
 protected:
  void SetUp() override {
    strings.Initialise(ALBUMCORE_STRINGS_DIR, std::string(config::kDefaultLanguageId));
    ASSERT_EQ(strings.LoadFile(config::kMediaTypeStringFile), com::S_OK);
    ASSERT_EQ(config::WriteRegistrationDefaults(store, {"/a", "T.db", ALBUMCORE_STRINGS_DIR}), RegStatus::Ok);
  }

  com::ComPtr<LumGenericTypeDescriptor> Make() { return com::MakeObject<LumGenericTypeDescriptor>(hive, &strings); }

  // Every position as "type:name", through both methods.
  static std::vector<std::string> Listed(LumGenericTypeDescriptor& descriptor) {
    int32_t count = -1;
    EXPECT_EQ(descriptor.GetMediaTypesCount(&count), com::S_OK);
    std::vector<std::string> listed;
    for (int32_t index = 0; index < count; ++index) {
      int32_t type = -2;
      com::Bstr name;
      EXPECT_EQ(descriptor.GetMediaType(index, &type), com::S_OK);
      EXPECT_EQ(descriptor.GetMediaTypeName(index, &name), com::S_OK);
      listed.push_back(std::to_string(type) + ":" + name.str());
    }
    return listed;
  }

  testing::TempDir dir;
  std::string hive = dir.file("machine.reg");
  RegistryStore store{hive};
  components::StringTable strings;
};

TEST_F(GenericTypeDescriptor, ListsTheRegisteredTypesInDisplayOrderWithEnglishNames) {
  auto descriptor = Make();
  EXPECT_EQ(Listed(*descriptor),
            (std::vector<std::string>{"0:Photo", "2:Music", "3:Video", "9:Album", "1:Photo Project",
                                      "4:Media Production", "15:Video Scene", "17:Disc Project",
                                      "18:Media Creation Project", "19:Label Project", "20:Other Document",
                                      "22:Playlist", "23:Slide Show", "24:Disc Information File",
                                      "25:Disc Video Object", "26:Sound Editor Project", "27:Music Disc Project"}));

  // Past either end: type -1 and an empty name, not an error.
  int32_t type = 0;
  com::Bstr name("x");
  EXPECT_EQ(descriptor->GetMediaType(17, &type), com::S_OK);
  EXPECT_EQ(type, -1);
  EXPECT_EQ(descriptor->GetMediaTypeName(17, &name), com::S_OK);
  EXPECT_TRUE(name.empty());
  EXPECT_EQ(descriptor->GetMediaType(0, nullptr), com::E_POINTER);

  int32_t common = -1, propertyType = -1;
  com::Bstr field("x");
  EXPECT_EQ(descriptor->GetCommonPropertiesCount(&common), com::S_OK);
  EXPECT_EQ(common, 0);
  EXPECT_EQ(descriptor->GetCommonPropertyInfo(0, &field, &propertyType), com::S_OK);
  EXPECT_TRUE(field.empty());
  EXPECT_EQ(propertyType, 0);
}

TEST_F(GenericTypeDescriptor, WithoutTheOrderValueThereAreNoTypes) {
  ASSERT_EQ(store.DeleteValue(config::kFileMediaTypesKey, config::kUiOrderValue), RegStatus::Ok);
  auto descriptor = Make();
  EXPECT_TRUE(Listed(*descriptor).empty());
  int32_t type = 0;
  EXPECT_EQ(descriptor->GetMediaType(0, &type), com::S_OK);
  EXPECT_EQ(type, -1);
}

TEST_F(GenericTypeDescriptor, ReadsOnFirstUseSkippingWhatIsNoTypeAndNamingUnnamedTypesOther) {
  auto descriptor = Make();
  // Written after the object was made, before its first use.
  ASSERT_EQ(store.WriteString(config::kFileMediaTypesKey, config::kUiOrderValue, " 9,x,,2 ,99,0,3"), RegStatus::Ok);
  const std::string videoKey = std::string(config::kFileMediaTypesKey) + "\\3";
  ASSERT_EQ(store.DeleteValue(videoKey, config::kMediaTypeNameIdValue), RegStatus::Ok);
  ASSERT_EQ(store.WriteDword(std::string(config::kFileMediaTypesKey) + "\\0", config::kMediaTypeNameIdValue, 1),
            RegStatus::Ok);
  const std::vector<std::string> expected = {"9:Album", "2:Music", "99:Other", "0:Other", "3:Other"};
  EXPECT_EQ(Listed(*descriptor), expected);

  // Kept for the object's life.
  ASSERT_EQ(store.DeleteValue(config::kFileMediaTypesKey, config::kUiOrderValue), RegStatus::Ok);
  EXPECT_EQ(Listed(*descriptor), expected);
}

}  // namespace
}  // namespace albumcore::items
