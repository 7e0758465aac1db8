// What the server derives from monikers: file names and paths, item names,
// album monikers, thumbnail folders and the protocol tests.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "com/guid.h"
#include "com/text.h"
#include "items/monikers/album_monikers.h"
#include "items/monikers/file_monikers.h"
#include "items/monikers/thumbnail_monikers.h"

namespace albumcore::items::monikers {
namespace {

TEST(FileMonikersTest, FileMonikersGiveNamesAndPathsTheFileFunctionsAccept) {
  const auto dir = std::filesystem::temp_directory_path() / ("albumcore-monikers-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const auto file = dir / "Strand Ωmega.v2.jpg";
  std::ofstream(file) << "x";
  const std::string moniker = FileMoniker(file.string());

  EXPECT_EQ(FileNameOf(moniker), "Strand Ωmega.v2.jpg");
  EXPECT_EQ(FileSystemPathOf(moniker), file.string());
  EXPECT_TRUE(std::filesystem::exists(FileSystemPathOf(moniker)));
  std::filesystem::remove_all(dir);
  EXPECT_FALSE(std::filesystem::exists(FileSystemPathOf(moniker)));

  // Any protocol turns into a file moniker of the same path.
  EXPECT_EQ(FileMonikerOf("temp::/tmp/x.jpg"), "file::/tmp/x.jpg");
  EXPECT_EQ(FileMonikerOf("/tmp/x.jpg"), "file::/tmp/x.jpg");
  // A moniker that names no file has no file name.
  EXPECT_EQ(FileNameOf("file::/home/ana/"), "");
  EXPECT_EQ(FileNameOf(""), "");
}

TEST(FileMonikersTest, MusicLibraryMonikersTakeTheirNameAfterTheFirstBar) {
  EXPECT_EQ(ItemNameFromMoniker("iTunes:4F2A|Blue in Green"), "Blue in Green");
  EXPECT_EQ(ItemNameFromMoniker("iTunes::C:\\Music\\x.mp3|So What|live"), "So What|live");
  // Without a usable text after "|" the file name with extension stays.
  EXPECT_EQ(ItemNameFromMoniker("iTunes::/music/take.five.mp3"), "take.five.mp3");
  EXPECT_EQ(ItemNameFromMoniker("iTunes:/music/a.mp3|"), "a.mp3|");
  // Other protocols (the comparison is case-sensitive) never use the bar.
  EXPECT_EQ(ItemNameFromMoniker("file::/music/a|b.mp3"), "a|b.mp3");
  EXPECT_EQ(ItemNameFromMoniker("itunes:/music/a.mp3|Name"), "a.mp3|Name");
  EXPECT_TRUE(IsMusicLibraryMoniker("iTunes::x"));
  EXPECT_TRUE(IsMusicLibraryMoniker("iTunes:x"));
  EXPECT_FALSE(IsMusicLibraryMoniker("iTunesX::x"));

  // The limit counts UTF-16 units: a character above U+FFFF counts two.
  const std::string dog = "\xF0\x9F\x90\xB6";
  std::string fits = "a";
  for (int i = 0; i < 129; ++i) fits += dog;  // 259 units
  std::string tooLong = fits + "b";           // 260 units
  ASSERT_EQ(com::Utf16Length(fits), kMusicLibraryNameLimit - 1);
  EXPECT_EQ(ItemNameFromMoniker("iTunes:x.mp3|" + fits), fits);
  EXPECT_EQ(ItemNameFromMoniker("iTunes:x.mp3|" + tooLong), "x.mp3|" + tooLong);
}

TEST(AlbumMonikersTest, AnAlbumWhoseMonikerIsTakenGetsAFreshGuidEachTime) {
  const std::regex shape(R"(album::AlbumItems\\(\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})\.album)");
  std::set<std::string> stored = {"album::AlbumItems\\Holiday.album"};
  auto taken = [&](std::string_view m) { return stored.count(std::string(m)) > 0; };

  EXPECT_EQ(ChooseAlbumDataMoniker("album::AlbumItems\\New.album", taken), "album::AlbumItems\\New.album");
  for (int album = 0; album < 2; ++album) {
    const std::string chosen = ChooseAlbumDataMoniker("album::AlbumItems\\Holiday.album", taken);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(chosen, match, shape)) << chosen;
    EXPECT_EQ(match[1].length(), 38);
    EXPECT_TRUE(com::Guid::Parse(match[1].str()).has_value());
    EXPECT_TRUE(stored.insert(chosen).second) << "each album gets its own moniker";
  }
  EXPECT_EQ(AlbumDataMoniker(kShoeboxAlbumStem), "album::AlbumItems\\Shoebox.album");
  EXPECT_EQ(AlbumDataMoniker(kAllCollectionsAlbumStem), "album::AlbumItems\\AllCollections.album");
}

TEST(ThumbnailMonikersTest, TheThumbnailFolderEndsInExactlyOneSeparator) {
  EXPECT_EQ(ThumbnailFolderOf("/home/ana/Pictures/library.db"), "/home/ana/Pictures/");
  EXPECT_EQ(ThumbnailFolderOf("/home/ana//library.db"), "/home/ana/");
  EXPECT_EQ(ThumbnailFolderOf("/library.db"), "/");
  EXPECT_EQ(ThumbnailFolderOf("C:\\Users\\ana\\library.db"), "C:\\Users\\ana/");
  EXPECT_EQ(ThumbnailFolderOf("C:\\library.db"), "C:\\");
  // The library path is a plain path: "::" in a folder name is no protocol.
  EXPECT_EQ(ThumbnailFolderOf("/home/ana/a::b/library.db"), "/home/ana/a::b/");
  // No folder, no thumbnail folder (never the root of the file system).
  EXPECT_EQ(ThumbnailFolderOf("library.db"), "");
  EXPECT_EQ(ThumbnailFolderOf(""), "");
}

TEST(ThumbnailMonikersTest, PlaceholdersAreFilledOnceNewestFormFirst) {
  const std::string folder = "/home/ana/";
  EXPECT_EQ(FillThumbnailFolder("file::%Pixnary7%i0000042.jpg", folder), "file::/home/ana/i0000042.jpg");
  EXPECT_EQ(FillThumbnailFolder("file::%PixnaryX%a.jpg", folder), "file::/home/ana/a.jpg");
  // The first "%Pixnary7%" wins over an earlier "%PixnaryX%"; later ones stay.
  EXPECT_EQ(FillThumbnailFolder("%PixnaryX%%Pixnary7%%Pixnary7%", folder), "%PixnaryX%/home/ana/%Pixnary7%");
  EXPECT_EQ(FillThumbnailFolder("file::%pixnary7%a.jpg", folder), "file::%pixnary7%a.jpg");
  EXPECT_EQ(FillThumbnailFolder("", folder), "");
}

TEST(ThumbnailMonikersTest, ProtocolTestsMatchExactlyOrBySubstringAsEachRuleSays) {
  // "temp::" anywhere keeps a thumbnail from being final.
  EXPECT_TRUE(IsTemporaryThumbnailMoniker("temp::x.jpg"));
  EXPECT_TRUE(IsTemporaryThumbnailMoniker("file::/cache/temp::x.jpg"));
  EXPECT_FALSE(IsTemporaryThumbnailMoniker("Temp::x.jpg"));
  EXPECT_FALSE(IsTemporaryThumbnailMoniker("temp:x.jpg"));

  EXPECT_TRUE(HasTempProtocol("temp::x.jpg"));
  EXPECT_FALSE(HasTempProtocol("mytemp::x.jpg"));
  EXPECT_FALSE(HasTempProtocol("file::/temp/x.jpg"));

  EXPECT_TRUE(IsTemporaryThumbnailSource("temp::x.jpg"));
  EXPECT_TRUE(IsTemporaryThumbnailSource("mytempfile::x.jpg"));
  EXPECT_FALSE(IsTemporaryThumbnailSource("skintemp::x.jpg"));
  EXPECT_FALSE(IsTemporaryThumbnailSource("tempdupitemhack::x.jpg"));
  EXPECT_FALSE(IsTemporaryThumbnailSource("file::/temp::x.jpg"));

  EXPECT_TRUE(IsThumbnailStoreMoniker("storage::/home/ana/lib.thumbs|i0000042.jpg"));
  EXPECT_FALSE(IsThumbnailStoreMoniker("Storage::x"));
  EXPECT_FALSE(IsThumbnailStoreMoniker("storages::x"));
  const auto parts = SplitStoreMoniker("storage::/a/lib.thumbs|i1.jpg|x");
  EXPECT_EQ(parts.store, "storage::/a/lib.thumbs");
  EXPECT_EQ(parts.entry, "|i1.jpg|x");
  EXPECT_EQ(SplitStoreMoniker("storage::/a").entry, "");

  EXPECT_TRUE(HasGuidFileName("file::OrvGUID:{12}.jpg"));
  EXPECT_TRUE(HasGuidFileName("OrvGUID:{12}"));
  EXPECT_FALSE(HasGuidFileName("file::/x/OrvGUIDabc.jpg"));
  EXPECT_FALSE(HasGuidFileName("file::/OrvGUID:x/a.jpg"));
}

}  // namespace
}  // namespace albumcore::items::monikers
