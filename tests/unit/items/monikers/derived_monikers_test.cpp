// What the server derives from monikers: file names and paths, item names,
// album monikers, thumbnail folders and the protocol tests.
#include <gtest/gtest.h>

#include <functional>
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

TEST(FileMonikersTest, FileMonikersGiveNamesAndPaths) {
  const std::string moniker = FileMoniker("/tmp/d/Strand Ωmega.v2.jpg");
  EXPECT_EQ(FileNameOf(moniker), "Strand Ωmega.v2.jpg");
  EXPECT_EQ(FileSystemPathOf(moniker), "/tmp/d/Strand Ωmega.v2.jpg");
  // Any protocol turns into a file moniker of the same path.
  EXPECT_EQ(FileMonikerOf("temp::/tmp/x.jpg"), "file::/tmp/x.jpg");
  EXPECT_EQ(FileMonikerOf("/tmp/x.jpg"), "file::/tmp/x.jpg");
  EXPECT_EQ(FileNameOf("file::/home/ana/"), "");
  EXPECT_EQ(FileNameOf(""), "");
}

TEST(FileMonikersTest, MusicLibraryMonikersTakeTheirNameAfterTheFirstBar) {
  const std::pair<const char*, const char*> cases[] = {
      {"iTunes:4F2A|Blue in Green", "Blue in Green"},
      {"iTunes::C:\\Music\\x.mp3|So What|live", "So What|live"},
      // Without a usable text after "|" the file name with extension stays.
      {"iTunes::/music/take.five.mp3", "take.five.mp3"},
      {"iTunes:/music/a.mp3|", "a.mp3|"},
      // Other protocols (compared case-sensitively) never use the bar.
      {"file::/music/a|b.mp3", "a|b.mp3"},
      {"itunes:/music/a.mp3|Name", "a.mp3|Name"},
  };
  for (const auto& [moniker, name] : cases) EXPECT_EQ(ItemNameFromMoniker(moniker), name) << moniker;
  EXPECT_TRUE(IsMusicLibraryMoniker("iTunes:x"));
  EXPECT_FALSE(IsMusicLibraryMoniker("iTunesX::x"));

  // The limit counts UTF-16 units: a character above U+FFFF counts two.
  std::string fits = "a";
  for (int i = 0; i < 129; ++i) fits += "\xF0\x9F\x90\xB6";  // 259 units
  ASSERT_EQ(com::Utf16Length(fits), kMusicLibraryNameLimit - 1);
  EXPECT_EQ(ItemNameFromMoniker("iTunes:x.mp3|" + fits), fits);
  EXPECT_EQ(ItemNameFromMoniker("iTunes:x.mp3|" + fits + "b"), "x.mp3|" + fits + "b");
}

TEST(AlbumMonikersTest, AnAlbumWhoseMonikerIsTakenGetsAFreshGuidEachTime) {
  const std::regex shape(R"(album::AlbumItems\\(\{[0-9A-F-]{36}\})\.album)");
  std::set<std::string> stored = {"album::AlbumItems\\Holiday.album"};
  auto taken = [&](std::string_view m) { return stored.count(std::string(m)) > 0; };
  EXPECT_EQ(ChooseAlbumDataMoniker("album::AlbumItems\\New.album", taken), "album::AlbumItems\\New.album");
  for (int album = 0; album < 2; ++album) {
    const std::string chosen = ChooseAlbumDataMoniker("album::AlbumItems\\Holiday.album", taken);
    std::smatch match;
    ASSERT_TRUE(std::regex_match(chosen, match, shape)) << chosen;
    EXPECT_TRUE(com::Guid::Parse(match[1].str()).has_value());
    EXPECT_TRUE(stored.insert(chosen).second) << "each album gets its own moniker";
  }
}

TEST(ThumbnailMonikersTest, TheThumbnailFolderEndsInExactlyOneSeparator) {
  const std::pair<const char*, const char*> cases[] = {
      {"/home/ana/Pictures/library.db", "/home/ana/Pictures/"}, {"/home/ana//library.db", "/home/ana/"},
      {"/library.db", "/"}, {"C:\\Users\\ana\\library.db", "C:\\Users\\ana/"}, {"C:\\library.db", "C:\\"},
      {"/home/ana/a::b/library.db", "/home/ana/a::b/"},  // a plain path: "::" is no protocol
      {"library.db", ""}, {"", ""},                      // never the root of the file system
  };
  for (const auto& [library, folder] : cases) EXPECT_EQ(ThumbnailFolderOf(library), folder) << library;
}

TEST(ThumbnailMonikersTest, PlaceholdersAreFilledOnceNewestFormFirst) {
  const std::string folder = "/home/ana/";
  EXPECT_EQ(FillThumbnailFolder("file::%Pixnary7%i0000042.jpg", folder), "file::/home/ana/i0000042.jpg");
  EXPECT_EQ(FillThumbnailFolder("file::%PixnaryX%a.jpg", folder), "file::/home/ana/a.jpg");
  // The first "%Pixnary7%" wins over an earlier "%PixnaryX%"; later ones stay.
  EXPECT_EQ(FillThumbnailFolder("%PixnaryX%%Pixnary7%%Pixnary7%", folder), "%PixnaryX%/home/ana/%Pixnary7%");
  EXPECT_EQ(FillThumbnailFolder("file::%pixnary7%a.jpg", folder), "file::%pixnary7%a.jpg");
}

TEST(ThumbnailMonikersTest, ProtocolTestsMatchExactlyOrBySubstringAsEachRuleSays) {
  using Rule = std::function<bool(std::string_view)>;
  const struct {
    const char* name;
    Rule test;
    std::vector<const char*> yes, no;
  } rules[] = {
      {"temporary thumbnail", [](auto m) { return IsTemporaryThumbnailMoniker(m); },
       {"temp::x.jpg", "file::/cache/temp::x.jpg"}, {"Temp::x.jpg", "temp:x.jpg"}},
      {"temp protocol", [](auto m) { return HasTempProtocol(m); }, {"temp::x.jpg"},
       {"mytemp::x.jpg", "file::/temp/x.jpg"}},
      {"temporary source", [](auto m) { return IsTemporaryThumbnailSource(m); },
       {"temp::x.jpg", "mytempfile::x.jpg"}, {"skintemp::x.jpg", "tempdupitemhack::x.jpg", "file::/temp::x.jpg"}},
      {"store", [](auto m) { return IsThumbnailStoreMoniker(m); }, {"storage::/home/ana/lib.thumbs|i1.jpg"},
       {"Storage::x", "storages::x"}},
      {"GUID name", [](auto m) { return HasGuidFileName(m); }, {"file::OrvGUID:{12}.jpg", "OrvGUID:{12}"},
       {"file::/x/OrvGUIDabc.jpg", "file::/OrvGUID:x/a.jpg"}},
  };
  for (const auto& rule : rules) {
    for (const char* m : rule.yes) EXPECT_TRUE(rule.test(m)) << rule.name << ": " << m;
    for (const char* m : rule.no) EXPECT_FALSE(rule.test(m)) << rule.name << ": " << m;
  }
  const auto parts = SplitStoreMoniker("storage::/a/lib.thumbs|i1.jpg|x");
  EXPECT_EQ(parts.store, "storage::/a/lib.thumbs");
  EXPECT_EQ(parts.entry, "|i1.jpg|x");
  EXPECT_EQ(SplitStoreMoniker("storage::/a").entry, "");
}

}  // namespace
}  // namespace albumcore::items::monikers
