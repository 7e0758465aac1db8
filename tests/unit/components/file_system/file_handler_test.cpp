#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <vector>

#include "components/file_system/file_status.h"
#include "components/file_system/file_system_component.h"
#include "components/file_system/name_pattern.h"
#include "components/file_system/scratch_folder.h"
#include "temp_dir.h"

namespace albumcore::file_system {
namespace {

using albumcore::testing::ReadText;
using albumcore::testing::TempDir;
using albumcore::testing::WriteText;

const FileHandler& Handler() {
  static const FileSystemComponent component;
  return *component.HandlerFor("file::");
}

std::vector<std::string> EnumerateAll(const std::string& pattern, uint32_t flags) {
  std::unique_ptr<FileEnumerator> enumerator;
  EXPECT_TRUE(com::Succeeded(Handler().Enumerate(pattern, flags, enumerator)));
  std::vector<std::string> names;
  if (!enumerator) return names;
  for (std::string name; enumerator->Next(name) == com::S_OK && !name.empty();) names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

TEST(FileHandler, OnlyTheFileProtocolHasAHandler) {
  FileSystemComponent component;
  EXPECT_NE(component.HandlerFor("file::"), nullptr);
  EXPECT_EQ(component.HandlerFor("album::"), nullptr);
  EXPECT_EQ(component.HandlerFor("FILE::"), nullptr);
}

TEST(FileHandler, CopyReplacesTheTargetAndKeepsPermissions) {
  TempDir dir;
  WriteText(dir.file("a.db"), "template");
  ::chmod(dir.file("a.db").c_str(), 0640);
  WriteText(dir.file("b.db"), "old content that is longer");
  EXPECT_EQ(Handler().Copy(dir.file("a.db"), "file::" + dir.file("b.db")), com::S_OK);
  EXPECT_EQ(ReadText(dir.file("b.db")), "template");
  struct stat st;
  ASSERT_EQ(::stat(dir.file("b.db").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(FileHandler, FailedCopyLeavesNothingBehind) {
  TempDir dir;
  EXPECT_EQ(Handler().Copy(dir.file("missing.db"), dir.file("b.db")), kFileNotFound);
  WriteText(dir.file("a.db"), "x");
  EXPECT_EQ(Handler().Copy(dir.file("a.db"), dir.file("no/such/folder/b.db")), kFileNotFound);
  EXPECT_EQ(Handler().Copy(dir.path(), dir.file("b.db")), com::E_ACCESSDENIED);  // a folder is no file
  EXPECT_EQ(Handler().Copy("relative.db", dir.file("b.db")), com::E_INVALIDARG);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);  // a.db alone
}

TEST(FileHandler, DeleteAndExists) {
  TempDir dir;
  WriteText(dir.file("a.db"), "x");
  EXPECT_EQ(Handler().Exists(dir.file("a.db")), com::S_OK);
  EXPECT_EQ(Handler().Exists(dir.path()), com::S_OK);
  EXPECT_EQ(Handler().Delete(dir.file("a.db")), com::S_OK);
  EXPECT_EQ(Handler().Exists(dir.file("a.db")), com::S_FALSE);
  EXPECT_EQ(Handler().Exists(dir.file("a.db/below")), com::S_FALSE);
  // Nothing to delete is what the caller wanted: success, saying so.
  EXPECT_EQ(Handler().Delete(dir.file("a.db")), com::S_FALSE);
  EXPECT_EQ(Handler().Delete(dir.path()), com::E_ACCESSDENIED);
  EXPECT_EQ(Handler().Exists(""), com::E_INVALIDARG);
  EXPECT_EQ(Handler().Delete("album::/x"), com::E_INVALIDARG);
}

TEST(FileHandler, EnumerationListsAlternativesAndBareExtensions) {
  TempDir dir;
  for (const char* name : {"a.kxsf", "B.KXSF", "c.dat", "d.data", "e.kxsf.bak", "kxsf", "f[1].dat", ".g.dat"}) {
    WriteText(dir.file(name), "");
  }
  std::filesystem::create_directory(dir.file("folder.dat"));
  EXPECT_EQ(EnumerateAll(dir.file("*.kxsf;dat"), 0),
            (std::vector<std::string>{".g.dat", "B.KXSF", "a.kxsf", "c.dat", "f[1].dat", "folder.dat"}));
  // 0xC0: regular files only, with their folder.
  EXPECT_EQ(EnumerateAll("file::" + dir.file("*.kxsf;dat"), kEnumerateFilesOnly | kEnumerateFullPaths),
            (std::vector<std::string>{dir.file(".g.dat"), dir.file("B.KXSF"), dir.file("a.kxsf"), dir.file("c.dat"),
                                      dir.file("f[1].dat")}));
  EXPECT_EQ(EnumerateAll(dir.file("?.dat;;f[1]*"), kEnumerateFilesOnly),
            (std::vector<std::string>{"c.dat", "f[1].dat"}));
  EXPECT_TRUE(EnumerateAll(dir.file(""), 0).empty());
}

TEST(FileHandler, EnumerationEndsWithEmptyNamesForGood) {
  TempDir dir;
  WriteText(dir.file("a.dat"), "");
  std::unique_ptr<FileEnumerator> enumerator;
  ASSERT_EQ(Handler().Enumerate(dir.file("*.dat"), 0xC0, enumerator), com::S_OK);
  std::string name;
  ASSERT_EQ(enumerator->Next(name), com::S_OK);
  EXPECT_EQ(name, dir.file("a.dat"));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(enumerator->Next(name), com::S_OK);
    EXPECT_EQ(name, "");
  }
}

TEST(FileHandler, EnumerationOfAMissingFolderEndsAtOnce) {
  TempDir dir;
  std::unique_ptr<FileEnumerator> enumerator;
  ASSERT_EQ(Handler().Enumerate(dir.file("none/*.dat"), 0xC0, enumerator), com::S_FALSE);
  std::string name = "x";
  EXPECT_EQ(enumerator->Next(name), com::S_OK);
  EXPECT_EQ(name, "");
  // Bad arguments give no enumerator.
  EXPECT_EQ(Handler().Enumerate(dir.file("*.dat"), 0x1C0, enumerator), com::E_INVALIDARG);
  EXPECT_EQ(enumerator, nullptr);
  EXPECT_EQ(Handler().Enumerate("*.dat", 0, enumerator), com::E_INVALIDARG);
  EXPECT_EQ(Handler().Enumerate(dir.path() + "/*/x.dat", 0, enumerator), com::E_INVALIDARG);
  WriteText(dir.file("plain"), "");
  EXPECT_EQ(Handler().Enumerate(dir.file("plain/*.dat"), 0, enumerator), kPathNotFound);
}

TEST(NamePattern, ManyStarsCostLittle) {
  // A backtracking matcher would take exponential time on this.
  std::string pattern;
  for (int i = 0; i < 100; ++i) pattern += "*a";
  pattern += "b";
  EXPECT_FALSE(NamePattern(pattern).Matches(std::string(255, 'a')));
  EXPECT_TRUE(NamePattern("*a*b").Matches("xxaYYb"));
  EXPECT_TRUE(NamePattern("**").Matches(""));
  EXPECT_FALSE(NamePattern("?").Matches(""));
  EXPECT_TRUE(NamePattern("a*").Matches("a*"));
}

TEST(ScratchFolder, FollowsTheCacheHome) {
  EXPECT_EQ(ScratchFolder("/cache", "/home/ana"), "/cache/albumcore");
  EXPECT_EQ(ScratchFolder("relative", "/home/ana"), "/home/ana/.cache/albumcore");
  EXPECT_EQ(ScratchFolder(nullptr, "/home/ana"), "/home/ana/.cache/albumcore");
  EXPECT_EQ(ScratchFolder(nullptr, "/"), "/.cache/albumcore");
  EXPECT_EQ(ScratchFolder("", "").front(), '/');
}

}  // namespace
}  // namespace albumcore::file_system
