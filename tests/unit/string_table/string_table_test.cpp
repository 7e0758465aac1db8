// The string table over real files: where files are found, what a bad file
// or name does, and how references resolve, found or not.
#include <gtest/gtest.h>

#include <filesystem>

#include "components/string_table/string_table.h"
#include "temp_dir.h"

namespace albumcore::components {
namespace {

using testing::TempDir;
using testing::WriteText;

std::string File(std::initializer_list<std::pair<const char*, const char*>> entries, const char* section = "Core") {
  std::string text = std::string("<strings>\n<section name=\"") + section + "\">\n";
  for (const auto& [key, value] : entries) text += std::string("<string key=\"") + key + "\">" + value + "</string>\n";
  return text + "</section>\n</strings>\n";
}

class StringTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir.path() + "/1033");
    table.Initialise(dir.path(), "1033");
  }
  void Write(const std::string& name, const std::string& text) { WriteText(dir.path() + "/1033/" + name, text); }

  TempDir dir;
  StringTable table;
};

TEST_F(StringTableTest, ResolvesReferencesAndLeavesOtherTextAlone) {
  Write("A.xml", File({{"Shoebox", "Shoebox"}, {"Modified", "Modified:"}}));
  ASSERT_EQ(table.LoadFile("A.xml"), com::S_OK);
  EXPECT_EQ(table.Resolve("stringRef:Core.Shoebox"), "Shoebox");
  EXPECT_EQ(table.Resolve("stringRef:Core.Modified"), "Modified:");
  EXPECT_EQ(table.Resolve("My holiday"), "My holiday");
  EXPECT_EQ(table.Resolve(""), "");
  // The prefix is compared exactly, as monikers are.
  EXPECT_EQ(table.Resolve("StringRef:Core.Shoebox"), "StringRef:Core.Shoebox");
  EXPECT_EQ(table.size(), 2u);
}

TEST_F(StringTableTest, AMissingKeyReadsAsTheKeyAndIsReportedOnce) {
  Write("A.xml", File({{"Bin", "Bin"}}));
  ASSERT_EQ(table.LoadFile("A.xml"), com::S_OK);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(table.Resolve("stringRef:Core.RecordedTVShow"), "RecordedTVShow");
  EXPECT_EQ(table.Resolve("stringRef:Core.RecordedTVShow"), "RecordedTVShow");
  EXPECT_EQ(table.Resolve("stringRef:FileMediaTypes.FileMediaType-99"), "FileMediaType-99");
  EXPECT_EQ(table.Resolve("stringRef:NoSection"), "NoSection");
  EXPECT_EQ(table.Resolve("stringRef:"), "");
  EXPECT_EQ(table.Resolve("stringRef:Core."), "Core.");
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(log.find("Core.RecordedTVShow"), log.rfind("Core.RecordedTVShow")) << log;
  EXPECT_NE(log.find("FileMediaType-99"), std::string::npos);

  // A client asking for ever new keys does not grow the memory of misses.
  ::testing::internal::CaptureStderr();
  for (size_t i = 0; i < kMaxReportedMissingKeys + 10; ++i) table.Resolve("stringRef:Flood.K" + std::to_string(i));
  const std::string flood = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(flood.find("further missing keys go unreported"), std::string::npos);
  EXPECT_EQ(flood.find("Flood.K" + std::to_string(kMaxReportedMissingKeys + 5) + "\""), std::string::npos);
}

TEST_F(StringTableTest, FindsFilesIgnoringCaseAndLaterFilesWin) {
  Write("AlbumCoreStrings.xml", File({{"Bin", "Bin"}, {"Root", "Albums"}}));
  Write("Extra.xml", File({{"Root", "All my albums"}}));
  EXPECT_EQ(table.LoadFile("AlbumCoreStrings.XML"), com::S_OK);
  EXPECT_EQ(table.LoadFile("extra.XML"), com::S_OK);
  EXPECT_EQ(table.Resolve("stringRef:Core.Bin"), "Bin");
  EXPECT_EQ(table.Resolve("stringRef:Core.Root"), "All my albums");
}

TEST_F(StringTableTest, BadNamesMissingOrHugeFilesFailAndChangeNothing) {
  Write("A.xml", File({{"Bin", "Bin"}}));
  ASSERT_EQ(table.LoadFile("A.xml"), com::S_OK);
  WriteText(dir.path() + "/secret.xml", File({{"Bin", "leaked"}}));
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(table.LoadFile("Missing.xml"), com::E_FAIL);
  EXPECT_EQ(table.LoadFile("../secret.xml"), com::E_INVALIDARG);
  EXPECT_EQ(table.LoadFile(".."), com::E_INVALIDARG);
  EXPECT_EQ(table.LoadFile(""), com::E_INVALIDARG);
  Write("Huge.xml", File({{"Bin", std::string(kMaxStringFileBytes, 'x').c_str()}}));
  EXPECT_EQ(table.LoadFile("Huge.xml"), com::E_FAIL);
  std::filesystem::create_directories(dir.path() + "/1033/Folder.xml");
  EXPECT_EQ(table.LoadFile("Folder.xml"), com::E_FAIL);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find(dir.path() + "/1033/Missing.xml not loaded: no such file"), std::string::npos) << log;
  EXPECT_NE(log.find("larger than"), std::string::npos) << log;
  EXPECT_EQ(table.Resolve("stringRef:Core.Bin"), "Bin");

  StringTable escaping;
  escaping.Initialise(dir.path() + "/1033", "..");
  EXPECT_EQ(escaping.LoadFile("secret.xml"), com::E_INVALIDARG);
  StringTable unset;
  EXPECT_EQ(unset.LoadFile("A.xml"), com::E_INVALIDARG);
  EXPECT_EQ(unset.Resolve("stringRef:Core.Bin"), "Bin");
}

TEST_F(StringTableTest, AMalformedFileIsReportedWithPathAndLineAndTheRestResolves) {
  Write("Good.xml", File({{"Bin", "Bin"}}));
  Write("Broken.xml", "<strings>\n<section name=\"Types\">\n<string key=\"Photo\">Photo</string>\n"
                      "<string key=\"Video\">Video</strin>\n</section>\n</strings>\n");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(table.LoadFile("Broken.xml"), com::S_FALSE);
  const std::string log = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find(dir.path() + "/1033/Broken.xml:4: not well-formed XML"), std::string::npos) << log;
  EXPECT_EQ(table.LoadFile("Good.xml"), com::S_OK);
  EXPECT_EQ(table.Resolve("stringRef:Types.Photo"), "Photo");
  EXPECT_EQ(table.Resolve("stringRef:Core.Bin"), "Bin");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(table.Resolve("stringRef:Types.Video"), "Video");  // the key, as the entry was dropped
  ::testing::internal::GetCapturedStderr();
  EXPECT_FALSE(table.Has("Types.Video"));
}

}  // namespace
}  // namespace albumcore::components
