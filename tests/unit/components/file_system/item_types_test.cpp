#include <gtest/gtest.h>

#include <algorithm>

#include "components/file_system/file_system_component.h"
#include "components/file_system/item_types.h"

namespace albumcore::file_system {
namespace {

TEST(ItemTypes, EachKindOfMediaGetsItsType) {
  struct Case {
    const char* extension;
    int32_t type;
  } cases[] = {
      {"jpg", kItemPhoto},   {"heic", kItemPhoto}, {"avif", kItemPhoto},     {"cr3", kItemPhoto},
      {"nef", kItemPhoto},   {"dng", kItemPhoto},  {"raf", kItemPhoto},      {"mp3", kItemAudio},
      {"flac", kItemAudio},  {"opus", kItemAudio}, {"m4a", kItemAudio},      {"wma", kItemAudio},
      {"mp4", kItemVideo},   {"mkv", kItemVideo},  {"webm", kItemVideo},     {"mov", kItemVideo},
      {"mpg", kItemVideo},   {"m2ts", kItemVideo}, {"ts", kItemRecordedTv},  {"m3u", kItemPlaylist},
      {"pls", kItemPlaylist}, {"xspf", kItemPlaylist}, {"wpl", kItemPlaylist}, {"asx", kItemPlaylist},
      {"ifo", kItemDiscInformation}, {"vob", kItemDiscVideoObject},
  };
  for (const Case& c : cases) EXPECT_EQ(ItemTypeOfExtension(c.extension), c.type) << c.extension;
  EXPECT_EQ(kItemPlaylist, 22);
}

TEST(ItemTypes, MatchIgnoresCaseAndALeadingDot) {
  EXPECT_EQ(ItemTypeOfExtension("JPG"), kItemPhoto);
  EXPECT_EQ(ItemTypeOfExtension(".Jpeg"), kItemPhoto);
  EXPECT_EQ(ItemTypeOfExtension("DVR-MS"), kItemRecordedTv);
  EXPECT_EQ(ItemTypeOfExtension("M3U8"), kItemPlaylist);
}

TEST(ItemTypes, UnknownOrEmptyExtensionsHaveNoType) {
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
  for (const char* expected : {"JPG", "JPEG", "PNG", "GIF", "TIF", "TIFF", "WEBP", "HEIC", "AVIF", "BMP", "CR2", "NEF"}) {
    EXPECT_NE(std::find(images.begin(), images.end(), expected), images.end()) << expected;
  }
  for (const std::string& extension : images) {
    EXPECT_EQ(ItemTypeOfExtension(extension), kItemPhoto) << extension;
    EXPECT_TRUE(std::none_of(extension.begin(), extension.end(), ::islower)) << extension;
  }
  EXPECT_EQ(std::find(images.begin(), images.end(), "MP4"), images.end());
}

}  // namespace
}  // namespace albumcore::file_system
