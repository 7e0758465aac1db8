// The registry store on real files: sharing, atomic replacement, refusing to overwrite what it cannot parse.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include "registry/limits.h"
#include "registry/registry_store.h"
#include "temp_dir.h"

namespace albumcore::registry {
namespace {

using testing::ReadText;
using testing::TempDir;
using testing::WriteText;

constexpr const char* kAlbum = "SOFTWARE\\Orvane\\Crestkit9\\Album";

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RegistryStore, MissingFileIsEmptyAndTheFirstWriteCreatesFileAndFolders) {
  TempDir dir;
  std::string path = dir.file("config/albumcore/machine.reg");
  RegistryStore store(path);
  std::string text;
  EXPECT_EQ(store.KeyExists(kAlbum), RegStatus::NotFound);
  EXPECT_EQ(store.ReadString(kAlbum, "DBName", text), RegStatus::NotFound);
  EXPECT_EQ(store.KeyExists(""), RegStatus::Ok);

  ASSERT_EQ(store.WriteString(kAlbum, "DBName", "abc"), RegStatus::Ok) << store.lastError();
  EXPECT_EQ(ReadText(path),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Crestkit9]\n\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orvane\\Crestkit9\\Album]\n"
            "\"DBName\"=\"abc\"\n\n");
  ASSERT_EQ(RegistryStore(path).ReadString(kAlbum, "dbname", text), RegStatus::Ok);
  EXPECT_EQ(text, "abc");
}

TEST(RegistryStore, RewritingAValueWithTheOtherTypeReplacesItInPlace) {
  TempDir dir;
  RegistryStore store(dir.file("machine.reg"));
  ASSERT_EQ(store.WriteString("K", "s", "12"), RegStatus::Ok);
  ASSERT_EQ(store.WriteDword("K", "d", 0xFFFFFFFFu), RegStatus::Ok);
  uint32_t number = 0;
  EXPECT_EQ(store.ReadDword("K", "s", number), RegStatus::WrongType);
  ASSERT_EQ(store.WriteDword("K", "s", 5), RegStatus::Ok);
  std::vector<RegValueInfo> values;
  ASSERT_EQ(store.ListValues("K", values), RegStatus::Ok);
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].type, RegType::Dword);
  EXPECT_EQ(store.DeleteValue("K", "S"), RegStatus::Ok);
  EXPECT_EQ(store.DeleteValue("K", "s"), RegStatus::NotFound);
}

TEST(RegistryStore, StoresOnOneFileSeeEachOthersWrites) {
  TempDir dir;
  RegistryStore a(dir.file("machine.reg"));
  RegistryStore b(dir.file("machine.reg"));
  std::string text;
  ASSERT_EQ(b.ReadString("K", "v", text), RegStatus::NotFound);  // b caches the empty hive

  ASSERT_EQ(a.WriteString("K", "v", "from a"), RegStatus::Ok);
  ASSERT_EQ(b.ReadString("K", "v", text), RegStatus::Ok);
  EXPECT_EQ(text, "from a");

  // Writes starting from a stale cache would lose values: see the processes test.
  ASSERT_EQ(b.DeleteKey("K"), RegStatus::Ok);
  EXPECT_EQ(a.KeyExists("K"), RegStatus::NotFound);
}

TEST(RegistryStore, ProcessesWritingAtOnceLoseNothing) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  constexpr int kProcesses = 4;
  constexpr int kWritesEach = 15;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      RegistryStore store(path);
      int failures = 0;
      for (int i = 0; i < kWritesEach; ++i) {
        std::string key = "P" + std::to_string(p);
        if (store.WriteDword(key, "v" + std::to_string(i), static_cast<uint32_t>(i)) != RegStatus::Ok) ++failures;
      }
      ::_exit(failures);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  RegistryStore store(path);
  for (int p = 0; p < kProcesses; ++p) {
    std::vector<RegValueInfo> values;
    ASSERT_EQ(store.ListValues("P" + std::to_string(p), values), RegStatus::Ok);
    EXPECT_EQ(values.size(), static_cast<size_t>(kWritesEach));
  }
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"machine.reg", "machine.reg.lock"}));
}

TEST(RegistryStore, MalformedFileFailsReadsAndIsNeverOverwritten) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  const std::string broken =
      "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"kept\"\nthis is not a value\n";
  WriteText(path, broken);
  RegistryStore store(path);
  std::string text;
  EXPECT_EQ(store.ReadString("K", "v", text), RegStatus::Malformed);
  EXPECT_EQ(store.lastError(), path + ":5: expected a [key] line, a value line or a ; comment");
  EXPECT_EQ(store.WriteString("K", "w", "x"), RegStatus::Malformed);
  EXPECT_EQ(store.DeleteKey("K"), RegStatus::Malformed);
  EXPECT_EQ(ReadText(path), broken);

  // Once a person repairs the file, the same store works again.
  WriteText(path, "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\K]\n\"v\"=\"kept\"\n");
  ASSERT_EQ(store.WriteString("K", "w", "x"), RegStatus::Ok) << store.lastError();
  ASSERT_EQ(store.ReadString("K", "v", text), RegStatus::Ok);
  EXPECT_EQ(text, "kept");
}

// Writes part of the data and then fails, as a full disk would.
class FailingFileSystem : public FileSystem {
 public:
  enum class Step { None, Write, Sync, Rename };
  Step failAt = Step::None;

  bool WriteAll(int fd, std::string_view bytes) override {
    if (failAt != Step::Write) return FileSystem::WriteAll(fd, bytes);
    FileSystem::WriteAll(fd, bytes.substr(0, bytes.size() / 2));
    errno = ENOSPC;
    return false;
  }
  bool Sync(int fd) override {
    if (failAt != Step::Sync) return FileSystem::Sync(fd);
    errno = EIO;
    return false;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    if (failAt != Step::Rename) return FileSystem::Rename(from, to);
    errno = EXDEV;
    return false;
  }
};

TEST(RegistryStore, FailedWriteLeavesTheOldFileAndNoLitter) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  FailingFileSystem fs;
  RegistryStore store(path, fs);
  ASSERT_EQ(store.WriteString(kAlbum, "DBName", "old"), RegStatus::Ok);
  const std::string before = ReadText(path);

  for (auto step : {FailingFileSystem::Step::Write, FailingFileSystem::Step::Sync, FailingFileSystem::Step::Rename}) {
    fs.failAt = step;
    EXPECT_EQ(store.WriteString(kAlbum, "DBName", "new " + std::string(5000, 'x')), RegStatus::IoError);
    EXPECT_NE(store.lastError().find(path), std::string::npos) << store.lastError();
    EXPECT_EQ(ReadText(path), before);
    EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"machine.reg", "machine.reg.lock"}));
    std::string text;
    ASSERT_EQ(store.ReadString(kAlbum, "DBName", text), RegStatus::Ok);
    EXPECT_EQ(text, "old");
  }
  fs.failAt = FailingFileSystem::Step::None;
  EXPECT_EQ(store.WriteString(kAlbum, "DBName", "new"), RegStatus::Ok);
}

TEST(RegistryStore, EditIsAllOrNothingAndSkipsNeedlessWrites) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  RegistryStore store(path);
  ASSERT_EQ(store.Edit([](Hive& h) {
    if (RegStatus s = h.SetString("K", "a", "1"); s != RegStatus::Ok) return s;
    return h.SetString("K", "b", "2");
  }),
            RegStatus::Ok);
  const std::string before = ReadText(path);
  struct stat st0;
  ASSERT_EQ(::stat(path.c_str(), &st0), 0);

  // A change that fails halfway writes nothing.
  EXPECT_EQ(store.Edit([](Hive& h) {
    EXPECT_EQ(h.SetString("K", "a", "changed"), RegStatus::Ok);
    return h.DeleteValue("K", "missing");
  }),
            RegStatus::NotFound);
  // Writing what is already there does not replace the file.
  EXPECT_EQ(store.WriteString("k", "A", "1"), RegStatus::Ok);
  EXPECT_EQ(store.CreateKey("K"), RegStatus::Ok);
  struct stat st1;
  ASSERT_EQ(::stat(path.c_str(), &st1), 0);
  EXPECT_EQ(st1.st_ino, st0.st_ino);
  EXPECT_EQ(ReadText(path), before);
}

TEST(RegistryStore, AWriteThatWouldGrowTheFileTooFarChangesNothing) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  RegistryStore store(path);
  ASSERT_EQ(store.WriteString(kAlbum, "DBName", "kept"), RegStatus::Ok);
  const std::string before = ReadText(path);

  // 512 levels of 255-character names: each section header repeats the path.
  std::string deep;
  for (int i = 0; i < 512; ++i) deep += "\\" + std::string(255, 'a' + i % 26);
  EXPECT_EQ(store.WriteDword(deep, "v", 1), RegStatus::InvalidArgument);
  EXPECT_NE(store.lastError().find("past " + std::to_string(kMaxHiveFileBytes) + " bytes"), std::string::npos)
      << store.lastError();
  EXPECT_EQ(ReadText(path), before);
  // The refused change is gone from the store's view too.
  EXPECT_EQ(store.KeyExists(deep.substr(0, 257)), RegStatus::NotFound);
  std::string text;
  ASSERT_EQ(store.ReadString(kAlbum, "DBName", text), RegStatus::Ok);
  EXPECT_EQ(text, "kept");

  // A file past the limit, however it came about, is not read, nor replaced.
  WriteText(path, before + "; " + std::string(kMaxHiveFileBytes, 'x') + "\n");
  EXPECT_EQ(store.ReadString(kAlbum, "DBName", text), RegStatus::Malformed);
  EXPECT_NE(store.lastError().find("larger than the registry's limit"), std::string::npos) << store.lastError();
  EXPECT_EQ(store.WriteString(kAlbum, "DBName", "new"), RegStatus::Malformed);
}

TEST(RegistryStore, WritesGoThroughASymbolicLinkToItsFile) {
  TempDir dir;
  const std::string target = dir.file("real/machine.reg");
  const std::string link = dir.file("machine.reg");
  ASSERT_EQ(RegistryStore(target).WriteString("K", "a", "1"), RegStatus::Ok);
  std::filesystem::create_symlink("real/machine.reg", link);  // relative, as people make them

  RegistryStore store(link);
  ASSERT_EQ(store.WriteString("K", "b", "2"), RegStatus::Ok) << store.lastError();
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  std::string text;
  ASSERT_EQ(RegistryStore(target).ReadString("K", "b", text), RegStatus::Ok);
  EXPECT_EQ(text, "2");
  // Writers through the link and writers of the file share one lock.
  EXPECT_EQ(FilesIn(dir.file("real")), (std::vector<std::string>{"machine.reg", "machine.reg.lock"}));
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"machine.reg", "real"}));

  // A link to a file not made yet makes it.
  std::filesystem::create_symlink("later.reg", dir.file("dangling.reg"));
  ASSERT_EQ(RegistryStore(dir.file("dangling.reg")).WriteDword("K", "c", 3), RegStatus::Ok);
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("dangling.reg")));
  EXPECT_TRUE(std::filesystem::is_regular_file(dir.file("later.reg")));
}

TEST(RegistryStore, AReadOnlyFileIsReadButNeverReplaced) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  RegistryStore store(path);
  ASSERT_EQ(store.WriteString("K", "v", "old"), RegStatus::Ok);
  const std::string before = ReadText(path);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);

  EXPECT_EQ(store.WriteString("K", "v", "new"), RegStatus::IoError);
  EXPECT_NE(store.lastError().find("read-only"), std::string::npos) << store.lastError();
  EXPECT_EQ(store.CheckEdit([](Hive& h) { return h.SetString("K", "v", "new"); }), RegStatus::IoError);
  EXPECT_EQ(ReadText(path), before);
  std::string text;
  ASSERT_EQ(store.ReadString("K", "v", text), RegStatus::Ok);
  EXPECT_EQ(text, "old");

  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_EQ(store.WriteString("K", "v", "new"), RegStatus::Ok);
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);  // the new file keeps the old one's permissions
}

TEST(RegistryStore, TemporaryFilesOfDeadWritersGoButAWriteUnderWayIsLeftAlone) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  ASSERT_EQ(RegistryStore(path).WriteString("K", "v", "old"), RegStatus::Ok);

  class DiesWhileWriting : public FileSystem {
   public:
    bool WriteAll(int fd, std::string_view bytes) override {
      FileSystem::WriteAll(fd, bytes.substr(0, bytes.size() / 2));
      ::raise(SIGKILL);
      return false;
    }
  };
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    DiesWhileWriting dies;
    (void)RegistryStore(path, dies).WriteString("K", "v", "never");
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_EQ(FilesIn(dir.path()).size(), 3u);  // the file, its lock and the dead writer's temporary file

  // While another writer holds the lock, its temporary file is its own.
  int held = ::open((path + ".lock").c_str(), O_RDWR);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  RegistryStore store(path);
  store.setLockTimeout(std::chrono::milliseconds(50));
  EXPECT_EQ(store.WriteString("K", "v", "new"), RegStatus::IoError);
  EXPECT_NE(store.lastError().find("timed out"), std::string::npos);
  EXPECT_EQ(FilesIn(dir.path()).size(), 3u);
  ::close(held);

  ASSERT_EQ(store.WriteString("K", "v", "new"), RegStatus::Ok);
  EXPECT_EQ(FilesIn(dir.path()), (std::vector<std::string>{"machine.reg", "machine.reg.lock"}));
  std::string text;
  ASSERT_EQ(RegistryStore(path).ReadString("K", "v", text), RegStatus::Ok);
  EXPECT_EQ(text, "new");
}

TEST(RegistryStore, WhatIsNotAFileFailsWithoutHanging) {
  TempDir dir;
  const std::string path = dir.file("machine.reg");
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);  // opening a FIFO to read would wait for a writer
  RegistryStore store(path);
  std::string text;
  EXPECT_EQ(store.ReadString("K", "v", text), RegStatus::IoError);
  EXPECT_NE(store.lastError().find("not a regular file"), std::string::npos) << store.lastError();
  EXPECT_EQ(store.WriteString("K", "v", "x"), RegStatus::IoError);
}

}  // namespace
}  // namespace albumcore::registry
