// The splitter over every path style and every flag combination the server
// composes with, its protocol rules, and input meant to break it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "items/monikers/moniker_splitter.h"

namespace albumcore::items::monikers {
namespace {

// Flag combinations in the order of the Compose columns below.
constexpr uint32_t kFlags[] = {47, 46, 44, 43, 40, 8, 6, 4, 3, 32, 1};

struct ComposeCase {
  std::string moniker;
  std::vector<std::string> composed;  // one per kFlags entry
};

const std::vector<ComposeCase> kComposeCases = {
    {"file::/home/ana/Pictures/a.jpg",
     {"file::/home/ana/Pictures/a.jpg", "/home/ana/Pictures/a.jpg", "/home/ana/Pictures/a.jpg", "file::a.jpg",
      "a.jpg", "a", "/home/ana/Pictures", "/home/ana/Pictures", "file::", "jpg", "file:"}},
    {"file::C:\\Users\\ana\\a.b.jpg",
     {"file::C:\\Users\\ana\\a.b.jpg", "C:\\Users\\ana\\a.b.jpg", "\\Users\\ana\\a.b.jpg", "file::C:a.b.jpg",
      "a.b.jpg", "a.b", "C:\\Users\\ana", "\\Users\\ana", "file::C:", "jpg", "file:"}},
    {"file::\\\\srv\\share\\music\\song.mp3",
     {"file::\\\\srv\\share\\music\\song.mp3", "\\\\srv\\share\\music\\song.mp3", "\\\\srv\\share\\music\\song.mp3",
      "file::song.mp3", "song.mp3", "song", "\\\\srv\\share\\music", "\\\\srv\\share\\music", "file::", "mp3",
      "file:"}},
    {"album::AlbumItems\\Shoebox.album",
     {"album::AlbumItems\\Shoebox.album", "AlbumItems\\Shoebox.album", "AlbumItems\\Shoebox.album",
      "album::Shoebox.album", "Shoebox.album", "Shoebox", "AlbumItems", "AlbumItems", "album::", "album", "album:"}},
    {"iTunes:1234|My Song",
     {"iTunes:1234|My Song", "1234|My Song", "1234|My Song", "iTunes:1234|My Song", "1234|My Song", "1234|My Song",
      "", "", "iTunes:", "", "iTunes:"}},
    {"iTunes::D:\\Music\\x.mp3|Song",
     {"iTunes::D:\\Music\\x.mp3|Song", "D:\\Music\\x.mp3|Song", "\\Music\\x.mp3|Song", "iTunes::D:x.mp3|Song",
      "x.mp3|Song", "x", "D:\\Music", "\\Music", "iTunes::D:", "mp3|Song", "iTunes:"}},
    {"/home/ana/.profile",
     {"/home/ana/.profile", "/home/ana/.profile", "/home/ana/.profile", ".profile", ".profile", ".profile",
      "/home/ana", "/home/ana", "", "", ""}},
    {"storage::/lib.db",
     {"storage::/lib.db", "/lib.db", "/lib.db", "storage::lib.db", "lib.db", "lib", "/", "/", "storage::", "db",
      "storage:"}},
    {"skin::AlbumImages/sub\\Bin.png",
     {"skin::AlbumImages/sub\\Bin.png", "AlbumImages/sub\\Bin.png", "AlbumImages/sub\\Bin.png", "skin::Bin.png",
      "Bin.png", "Bin", "AlbumImages/sub", "AlbumImages/sub", "skin::", "png", "skin:"}},
};

TEST(MonikerSplitterTest, ComposesEveryCombinationOverEveryPathStyle) {
  for (const auto& c : kComposeCases) {
    ASSERT_EQ(c.composed.size(), std::size(kFlags)) << c.moniker;
    MonikerSplitter splitter(c.moniker, kSplitAll);
    for (size_t i = 0; i < std::size(kFlags); ++i)
      EXPECT_EQ(splitter.Compose(kFlags[i]), c.composed[i]) << c.moniker << " composed with " << kFlags[i];
  }
}

TEST(MonikerSplitterTest, PartsFollowTheDocumentedStyles) {
  struct Parts {
    const char *text, *protocol, *root, *path, *name, *extension;
    bool network;
  };
  const Parts cases[] = {
      {"file::/home/ana/a.jpg", "file", "", "/home/ana/", "a", "jpg", false},
      {"C:\\x\\y.jpg", "", "C:", "\\x\\", "y", "jpg", false},
      {"C:y.jpg", "", "C:", "", "y", "jpg", false},
      {"\\\\srv\\share\\a.jpg", "", "", "\\\\srv\\share\\", "a", "jpg", true},
      {"file:://srv/share/a.jpg", "file", "", "//srv/share/", "a", "jpg", false},
      {"root:Collections.ico", "root", "", "", "Collections", "ico", false},
      {"stringRef:Types.Photo", "stringRef", "", "", "Types", "Photo", false},
      // Not protocols: a GUID name, a drive, a lower-case prefix, "::" after
      // a separator, an empty name before "::".
      {"OrvGUID:{0}.jpg", "", "", "", "OrvGUID:{0}", "jpg", false},
      {"itunes:x", "", "", "", "itunes:x", "", false},
      {"/home/ana/x::y.jpg", "", "", "/home/ana/", "x::y", "jpg", false},
      {"::x", "", "", "", "::x", "", false},
      {"a:b::c", "", "a:", "", "b::c", "", false},
      {"file::a.", "file", "", "", "a.", "", false},
      {"file::/dir.d/", "file", "", "/dir.d/", "", "", false},
  };
  for (const auto& c : cases) {
    MonikerSplitter s(c.text, kSplitAll);
    EXPECT_EQ(s.GetProtocol(), c.protocol) << c.text;
    EXPECT_EQ(s.GetRoot(), c.root) << c.text;
    EXPECT_EQ(s.GetPath(), c.path) << c.text;
    EXPECT_EQ(s.GetName(), c.name) << c.text;
    EXPECT_EQ(s.GetExtension(), c.extension) << c.text;
    EXPECT_EQ(s.IsNetworkPath(), c.network) << c.text;
    EXPECT_EQ(s.Compose(kSplitAll), c.text) << "every part gives the text back";
  }
}

TEST(MonikerSplitterTest, SplitFlagsChooseWhatIsHeld) {
  // Without the protocol bit the whole text is a path.
  MonikerSplitter plain("file::/a/b.jpg", kSplitPath);
  EXPECT_EQ(plain.GetProtocol(), "");
  EXPECT_EQ(plain.Compose(kSplitFolder), "file::/a");
  // Parts not asked for are not held; Split replaces everything.
  MonikerSplitter names("/a/b.jpg", kSplitFileName);
  EXPECT_EQ(names.Compose(kSplitAll), "b.jpg");
  names.Split("temp::/c/d.png", kSplitAll);
  EXPECT_EQ(names.GetProtocol(), "temp");
  EXPECT_EQ(names.Compose(kSplitFilePath), "/c/d.png");
  names.Split("/e.gif", kSplitAll);
  EXPECT_EQ(names.GetProtocol(), "");
  EXPECT_EQ(MonikerSplitter("file::/x.jpg", kSplitProtocol).Compose(kSplitAll), "file::");
}

TEST(MonikerSplitterTest, SetProtocolReplacesAddsOrRemovesIt) {
  MonikerSplitter s("temp::/tmp/a.jpg", kSplitAll);
  ASSERT_TRUE(s.SetProtocol("file"));
  EXPECT_EQ(s.Compose(kSplitAll), "file::/tmp/a.jpg");

  s.Split("/tmp/a.jpg", kSplitAll);
  ASSERT_TRUE(s.SetProtocol("file"));
  EXPECT_EQ(s.Compose(kSplitAll), "file::/tmp/a.jpg");

  // A one-colon form turns into "::" for a protocol that is not written so.
  s.Split("iTunes:x.mp3", kSplitAll);
  ASSERT_TRUE(s.SetProtocol("file"));
  EXPECT_EQ(s.Compose(kSplitAll), "file::x.mp3");
  ASSERT_TRUE(s.SetProtocol("root"));
  EXPECT_EQ(s.Compose(kSplitAll), "root::x.mp3");

  for (const char* bad : {"fi:le", "a/b", "a\\b", ":"}) {
    EXPECT_FALSE(s.SetProtocol(bad)) << bad;
    EXPECT_EQ(s.Compose(kSplitAll), "root::x.mp3");
  }
  ASSERT_TRUE(s.SetProtocol(""));
  EXPECT_EQ(s.Compose(kSplitAll), "x.mp3");
}

TEST(MonikerSplitterTest, HostileTextSplitsWithoutHarmAndComesBackWhole) {
  using namespace std::string_literals;
  const std::string big(100'000, 'a');
  const std::vector<std::string> texts = {
      "",
      ":",
      "::",
      std::string(1000, ':'),
      std::string(100'000, '\\'),
      std::string(100'000, '.'),
      std::string(100'000, ':') + "/x",
      "file::/" + big + ".jpg",
      "file::" + big + "::" + big,
      "\xFF\xFE::\xC0/\x80.\xE2\x82",  // invalid UTF-8 everywhere
      "file::/a\0b/c\0.j\0g"s,
      "\\\\",
      "\\\\\\",
      "C:",
      "Z:\\",
  };
  for (const auto& text : texts) {
    for (uint32_t flags : {uint32_t{kSplitAll}, uint32_t{kSplitPath}}) {
      MonikerSplitter s(text, flags);
      EXPECT_EQ(s.Compose(flags), text) << text.substr(0, 40);
      for (uint32_t f : kFlags) EXPECT_LE(s.Compose(f).size(), text.size() + 1) << text.substr(0, 40);
    }
  }
  MonikerSplitter longPath("file::/" + big + ".jpg", kSplitAll);
  EXPECT_EQ(longPath.Compose(kSplitFilePath), "/" + big + ".jpg");
  EXPECT_EQ(longPath.GetExtension(), "jpg");
  EXPECT_EQ(MonikerSplitter("\xFF\xFE::\xC0/\x80.\xE2\x82", kSplitAll).GetProtocol(), "\xFF\xFE");
}

}  // namespace
}  // namespace albumcore::items::monikers
