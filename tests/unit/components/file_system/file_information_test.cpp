#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "components/file_system/drive_kind.h"
#include "components/file_system/file_information.h"
#include "components/file_system/file_status.h"
#include "components/file_system/image_header.h"
#include "temp_dir.h"
#include "as_other_user.h"
#include "test_images.h"

namespace albumcore::file_system {
namespace {

using albumcore::testing::TempDir;
using albumcore::testing::WriteText;
using testing::ImageSpec;
using testing::WriteImage;

// A record as the catalogue hands it over: zeroed, its size set.
FileInformationRecord EmptyRecord() {
  FileInformationRecord record;
  std::memset(&record, 0, sizeof record);
  record.recordSize = kFileInformationRecordSize;
  return record;
}

FileInformationRecord Fill(const std::string& path, com::HRESULT expected = com::S_OK) {
  FileInformationRecord record = EmptyRecord();
  EXPECT_EQ(FillFileInformation("file::" + path, &record), expected) << path;
  return record;
}

constexpr int32_t kPalette = -1;

struct FormatCase {
  const char* name;
  ImageSpec spec;
  int32_t bitDepth;
  int32_t colorSpace;
};

TEST(FileInformation, ImageHeadersOfEachFormat) {
  TempDir dir;
  const FormatCase cases[] = {
      {"rgb.jpg", {640, 480, 3, 300}, 24, kColorSpaceRgb},
      {"grey.jpg", {100, 80, 1, 72, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_B_W}, 8, kColorSpaceGrey},
      {"cmyk.jpg", {30, 20, 4, 200, VIPS_FORMAT_UCHAR, VIPS_INTERPRETATION_CMYK}, 32, kColorSpaceCmyk},
      {"rgba.png", {33, 17, 4, 96}, 32, kColorSpaceRgb},
      {"deep.png", {20, 10, 3, 72, VIPS_FORMAT_USHORT, VIPS_INTERPRETATION_RGB16}, 48, kColorSpaceRgb},
      {"rgb.tif", {70, 50, 3, 600}, 24, kColorSpaceRgb},
      {"float.tif", {9, 7, 1, 150, VIPS_FORMAT_FLOAT, VIPS_INTERPRETATION_B_W}, 32, kColorSpaceGrey},
      {"rgb.webp", {120, 90, 3, 0}, 24, kColorSpaceRgb},  // WebP keeps no resolution
      {"still.gif", {16, 12, 3, 0}, kPalette, kColorSpaceRgb},
      {"palette.png[palette]", {16, 12, 3, 72}, kPalette, kColorSpaceRgb},
  };
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    ASSERT_TRUE(WriteImage(dir.file(c.name), c.spec, &error)) << error;
    const std::string path = dir.file(std::string(c.name).substr(0, std::string(c.name).find('[')));
    const FileInformationRecord record = Fill(path);
    EXPECT_EQ(record.isImage, 1);
    EXPECT_EQ(record.width, c.spec.width);
    EXPECT_EQ(record.height, c.spec.height);
    EXPECT_EQ(record.colorSpace, c.colorSpace);
    if (c.bitDepth == kPalette) {  // the bits of the stored indices, not of the expanded colours
      EXPECT_GE(record.bitDepth, 1);
      EXPECT_LE(record.bitDepth, 8);
    } else {
      EXPECT_EQ(record.bitDepth, c.bitDepth);
    }
    EXPECT_NEAR(record.dpi, c.spec.dpi, 1);
  }
}

TEST(FileInformation, HeicAndAvifWhereLibvipsWritesThem) {
  TempDir dir;
  for (const char* name : {"a.heic", "a.avif"}) {
    if (!WriteImage(dir.file(name), {64, 48, 3, 72})) {
      std::printf("libvips here cannot write %s; not checked\n", name);
      continue;
    }
    const FileInformationRecord record = Fill(dir.file(name));
    EXPECT_EQ(record.isImage, 1) << name;
    EXPECT_EQ(record.width, 64) << name;
  }
}

TEST(FileInformation, TheHeaderIsEnoughNoPixelIsDecoded) {
  TempDir dir;
  ASSERT_TRUE(WriteImage(dir.file("big.jpg"), {2000, 1500, 3, 72}));
  // Keep the headers and a few hundred bytes of the scan: decoding would
  // fail; reading the header does not.
  ASSERT_EQ(::truncate(dir.file("big.jpg").c_str(), 1000), 0);
  const FileInformationRecord record = Fill(dir.file("big.jpg"));
  EXPECT_EQ(record.isImage, 1);
  EXPECT_EQ(record.width, 2000);
  EXPECT_EQ(record.height, 1500);
  EXPECT_EQ(record.sizeLow, 1000u);
}

size_t OpenDescriptors() {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}));
}

TEST(FileInformation, NothingStaysOpenAfterwards) {
  TempDir dir;
  ASSERT_TRUE(WriteImage(dir.file("a.jpg"), {32, 32, 3, 72}));
  for (int i = 0; i < 300; ++i) std::filesystem::create_hard_link(dir.file("a.jpg"), dir.file(std::to_string(i) + ".jpg"));
  Fill(dir.file("a.jpg"));  // libvips starts its threads
  const size_t before = OpenDescriptors();
  for (int i = 0; i < 300; ++i) ASSERT_EQ(Fill(dir.file(std::to_string(i) + ".jpg")).width, 32);
  EXPECT_LE(OpenDescriptors(), before + 2);
}

TEST(FileInformation, ContentDecidesWhatIsAnImage) {
  TempDir dir;
  ASSERT_TRUE(WriteImage(dir.file("photo.jpg"), {40, 30, 3, 72}));
  std::filesystem::rename(dir.file("photo.jpg"), dir.file("photo.mp3"));
  EXPECT_EQ(Fill(dir.file("photo.mp3")).isImage, 1);

  WriteText(dir.file("song.jpg"), std::string(5000, 'x'));
  WriteText(dir.file("table.csv"), "1,2,3\n4,5,6\n");  // libvips would read it as a 3x2 image
  WriteText(dir.file("broken.png"), "\x89PNG\r\n\x1a\n broken");
  WriteText(dir.file("empty.jpg"), "");
  for (const char* name : {"song.jpg", "table.csv", "broken.png", "empty.jpg"}) {
    const FileInformationRecord record = Fill(dir.file(name));
    EXPECT_EQ(record.isImage, 0) << name;
    EXPECT_EQ(record.width, 0) << name;
    EXPECT_EQ(record.bitDepth, 0) << name;
    EXPECT_EQ(record.modified.year >= 2024, true) << name;
  }
  EXPECT_EQ(Fill(dir.file("song.jpg")).sizeLow, 5000u);
}

TEST(FileInformation, SizesAndTimesComeFromTheFileSystem) {
  TempDir dir;
  // A sparse file past 4 GiB: the high word counts.
  const std::string big = dir.file("big.mkv");
  WriteText(big, "");
  ASSERT_EQ(::truncate(big.c_str(), (5LL << 30) + 7), 0);
  // 2021-03-04 05:06:07.890 UTC, a Thursday.
  const timespec times[2] = {{1614834367, 890000000}, {1614834367, 890000000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, big.c_str(), times, 0), 0);

  const FileInformationRecord record = Fill(big);
  EXPECT_EQ(record.sizeHigh, 1u);
  EXPECT_EQ(record.sizeLow, (1u << 30) + 7);
  const SystemTime m = record.modified;
  EXPECT_EQ((std::vector<int>{m.year, m.month, m.day, m.dayOfWeek, m.hour, m.minute, m.second, m.milliseconds}),
            (std::vector<int>{2021, 3, 4, 4, 5, 6, 7, 890}));
  EXPECT_GE(record.created.year, 2021);  // birth time, or the modification where none is kept
  EXPECT_EQ(record.isImage, 0);
  // Bytes nobody fills stay as the caller left them.
  const auto* bytes = reinterpret_cast<const unsigned char*>(&record);
  for (size_t i = 16; i < 172; ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST(FileInformation, TimesOutsideTheRecordsYearsAreZero) {
  const SystemTime before = SystemTimeOf(-12000000000LL, 0);  // 1589
  EXPECT_EQ(before.year, 0);
  EXPECT_EQ(before.month, 0);
  EXPECT_EQ(SystemTimeOf(0, 0).year, 1970);
  EXPECT_EQ(SystemTimeOf(0, 0).dayOfWeek, 4);
}

TEST(FileInformation, BadArgumentsAndUnreachableFiles) {
  TempDir dir;
  EXPECT_EQ(FillFileInformation("file::" + dir.file("x.jpg"), nullptr), com::E_POINTER);
  FileInformationRecord record = EmptyRecord();
  record.recordSize = 260;
  WriteText(dir.file("x.jpg"), "x");
  EXPECT_EQ(FillFileInformation("file::" + dir.file("x.jpg"), &record), com::E_INVALIDARG);
  EXPECT_EQ(record.sizeLow, 0u);  // untouched
  Fill("relative/x.jpg", com::E_INVALIDARG);
  Fill(dir.file("missing.jpg"), kFileNotFound);
  Fill(dir.file("x.jpg/below.jpg"), kPathNotFound);
  // A folder has times but no size.
  const FileInformationRecord folder = Fill(dir.path());
  EXPECT_GE(folder.modified.year, 2024);
  EXPECT_EQ(folder.sizeLow, 0u);
  // A FIFO must not hang the call.
  ASSERT_EQ(::mkfifo(dir.file("pipe.jpg").c_str(), 0600), 0);
  EXPECT_EQ(Fill(dir.file("pipe.jpg")).isImage, 0);
}

TEST(FileInformation, UnreadableFilesAreRefused) {
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  ASSERT_TRUE(WriteImage(dir.file("secret.jpg"), {10, 10, 3, 72}));
  ASSERT_EQ(::chmod(dir.file("secret.jpg").c_str(), 0), 0);
  const int result = testing::RunAsNobody([&] {
    FileInformationRecord record = EmptyRecord();
    return FillFileInformation("file::" + dir.file("secret.jpg"), &record) == com::E_ACCESSDENIED ? 0 : 1;
  });
  if (result == 77) GTEST_SKIP() << "cannot run as another user here";
  EXPECT_EQ(result, 0);
}

TEST(DriveKind, LocalPathsAndPathsNamingNoFileSystem) {
  TempDir dir;
  EXPECT_EQ(DriveKindOf(dir.path()), DriveKind::Local);
  EXPECT_EQ(DriveKindOf("file::" + dir.file("not/yet/there.jpg")), DriveKind::Local);  // its nearest parent
  EXPECT_EQ(DriveKindOf("relative/a.jpg"), DriveKind::NoRoot);
  EXPECT_EQ(DriveKindOf(""), DriveKind::NoRoot);
  EXPECT_EQ(DriveKindOf("/proc/self/status"), DriveKind::Local);
}

}  // namespace
}  // namespace albumcore::file_system
