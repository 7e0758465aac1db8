#include <gtest/gtest.h>

#include <algorithm>

#include "components/file_system/file_system_component.h"
#include "components/file_system/item_types.h"

namespace albumcore::file_system {
namespace {

TEST(ItemTypes, ExtensionsMapToTypesIgnoringCaseAndALeadingDot) {
  const std::pair<const char*, int32_t> cases[] = {
      {"cr3", kItemPhoto},   {".Jpeg", kItemPhoto},       {"FLAC", kItemAudio},         {"m2ts", kItemVideo},
      {"ts", kItemRecordedTv}, {"DVR-MS", kItemRecordedTv}, {"M3U8", kItemPlaylist},  {"ifo", kItemDiscInformation},
      {"vob", kItemDiscVideoObject},
  };
  for (const auto& [extension, type] : cases) EXPECT_EQ(ItemTypeOfExtension(extension), type) << extension;
  for (const char* extension : {"", ".", "txt", "jpgx", "jp", "averyveryverylongextension", "j\xC3\xA9g"}) {
    EXPECT_EQ(ItemTypeOfExtension(extension), std::nullopt) << extension;
  }
}

TEST(ItemTypes, ExtensionOfTakesTheLastComponentsSuffix) {
  EXPECT_EQ(ExtensionOf("/a/b.tar.JPG"), "JPG");
  EXPECT_EQ(ExtensionOf("/a.d/file"), "");
  EXPECT_EQ(ExtensionOf("/home/ana/.profile"), "");
  EXPECT_EQ(ExtensionOf("C:\\Pictures\\x.png"), "png");
  EXPECT_EQ(ExtensionOf("name."), "");
}

TEST(ItemTypes, ImageListIsThePhotoRowsInUpperCase) {
  const std::vector<std::string>& images = FileSystemComponent().ImageExtensions();
  EXPECT_NE(std::find(images.begin(), images.end(), "HEIC"), images.end());
  for (const std::string& extension : images) {
    EXPECT_EQ(ItemTypeOfExtension(extension), kItemPhoto) << extension;
    EXPECT_TRUE(std::none_of(extension.begin(), extension.end(), ::islower)) << extension;
  }
}

}  // namespace
}  // namespace albumcore::file_system
