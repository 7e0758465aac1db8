#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "com/guid.h"
#include "components/file_system/file_status.h"
#include "components/file_system/file_system_component.h"
#include "components/file_system/file_unique_id.h"
#include "as_other_user.h"
#include "temp_dir.h"

namespace albumcore::file_system {
namespace {

using albumcore::testing::TempDir;
using albumcore::testing::WriteText;

FileId Read(const std::string& path, com::HRESULT expected = com::S_OK) {
  FileId id;
  EXPECT_EQ(ReadFileUniqueID("file::" + path, id), expected) << path;
  return id;
}

FileId Assign(const std::string& path) {
  FileId id;
  EXPECT_EQ(AssignFileUniqueID("file::" + path, id), com::S_OK) << path;
  return id;
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

TEST(FileUniqueId, AssignedOnceAndKeptAcrossRenameAndMove) {
  TempDir dir;
  WriteText(dir.file("a.jpg"), "x");
  Read(dir.file("a.jpg"), com::S_FALSE);
  const FileId id = Assign(dir.file("a.jpg"));
  EXPECT_TRUE(com::Guid::Parse(id.id).has_value()) << id.id;
  std::filesystem::create_directory(dir.file("sub"));
  std::filesystem::rename(dir.file("a.jpg"), dir.file("sub/renamed.jpg"));
  const FileId moved = Read(dir.file("sub/renamed.jpg"));
  EXPECT_EQ(moved.id, id.id);
  EXPECT_EQ(moved.origin, FileIdOrigin::Attached);
  EXPECT_NE(Assign(dir.file("sub/renamed.jpg")).id, id.id);  // assigning again attaches a new one
}

TEST(FileUniqueId, CopiesAreToldApartFromTheOriginal) {
  TempDir dir;
  WriteText(dir.file("a.jpg"), "x");
  const FileId id = Assign(dir.file("a.jpg"));
  // A copy without attributes has no identifier: the caller assigns one.
  ASSERT_EQ(Shell("cp '" + dir.file("a.jpg") + "' '" + dir.file("plain.jpg") + "'"), 0);
  Read(dir.file("plain.jpg"), com::S_FALSE);
  // A copy with them carries the GUID onto another inode: Carried, so the
  // caller looks whether the original is still there; a new one separates it.
  ASSERT_EQ(Shell("cp --preserve=xattr '" + dir.file("a.jpg") + "' '" + dir.file("kept.jpg") + "'"), 0);
  const FileId carried = Read(dir.file("kept.jpg"));
  EXPECT_EQ(carried.id, id.id);
  EXPECT_EQ(carried.origin, FileIdOrigin::Carried);
  const FileId fresh = Assign(dir.file("kept.jpg"));
  EXPECT_NE(fresh.id, id.id);
  EXPECT_EQ(Read(dir.file("kept.jpg")).origin, FileIdOrigin::Attached);
  EXPECT_EQ(Read(dir.file("a.jpg")).id, id.id);
}

TEST(FileUniqueId, MoveToAnotherFileSystemKeepsTheIdentifier) {
  if (!std::filesystem::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm";
  TempDir dir;
  WriteText(dir.file("a.jpg"), "x");
  const FileId id = Assign(dir.file("a.jpg"));
  const std::string elsewhere = "/dev/shm/albumcore-fsid-" + std::to_string(::getpid()) + ".jpg";
  if (::setxattr("/dev/shm", "user.albumcore.probe", "", 0, 0) != 0 && errno == ENOTSUP) {
    GTEST_SKIP() << "/dev/shm keeps no user attributes";
  }
  ASSERT_EQ(Shell("mv '" + dir.file("a.jpg") + "' '" + elsewhere + "'"), 0);
  const FileId moved = Read(elsewhere);
  ::unlink(elsewhere.c_str());
  EXPECT_EQ(moved.id, id.id);
  EXPECT_EQ(moved.origin, FileIdOrigin::Carried);
}

TEST(FileUniqueId, AttributesNotOursCountAsNone) {
  TempDir dir;
  WriteText(dir.file("a.jpg"), "x");
  for (const std::string& value : std::vector<std::string>{"garbage", "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}",
                                  "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108} 1:", std::string(200, 'x')}) {
    ASSERT_EQ(::setxattr(dir.file("a.jpg").c_str(), kFileIdAttribute, value.data(), value.size(), 0), 0);
    Read(dir.file("a.jpg"), com::S_FALSE);
  }
}

TEST(FileUniqueId, MissingFilesAndBadMonikersFail) {
  TempDir dir;
  FileId id;
  EXPECT_EQ(ReadFileUniqueID("file::" + dir.file("none.jpg"), id), kFileNotFound);
  EXPECT_EQ(AssignFileUniqueID("file::" + dir.file("none.jpg"), id), kFileNotFound);
  EXPECT_EQ(ReadFileUniqueID("file::relative.jpg", id), com::E_INVALIDARG);
  EXPECT_EQ(AssignFileUniqueID("temp::/x.jpg", id), com::E_INVALIDARG);
  FileSystemComponent component;
  EXPECT_EQ(component.ReadFileUniqueID(dir.file("none.jpg"), nullptr), com::E_POINTER);
}

TEST(FileUniqueId, TheComponentAnswersTheIdentifierAsText) {
  TempDir dir;
  WriteText(dir.file("a.jpg"), "x");
  FileSystemComponent component;
  com::Bstr assigned, read;
  EXPECT_EQ(component.ReadFileUniqueID("file::" + dir.file("a.jpg"), &read), com::S_FALSE);
  EXPECT_TRUE(read.isNull());
  ASSERT_EQ(component.AssignFileUniqueID("file::" + dir.file("a.jpg"), &assigned), com::S_OK);
  ASSERT_EQ(component.ReadFileUniqueID("file::" + dir.file("a.jpg"), &read), com::S_OK);
  EXPECT_EQ(read, assigned);
}

// In a child with a mount namespace of its own: a ramfs, which keeps no
// user attributes, mounted over a fresh folder. Exit codes: 0 passed,
// 77 cannot mount here, others name the check that failed.
int CheckWithoutAttributes(const std::string& mountPoint) {
  if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("none", mountPoint.c_str(), "ramfs", 0, nullptr) != 0) {
    return 77;
  }
  const std::string file = mountPoint + "/a.jpg";
  WriteText(file, "x");
  FileId assigned, read, moved;
  if (AssignFileUniqueID(file, assigned) != com::S_OK || !IsInodeId(assigned.id)) return 1;
  if (assigned.origin != FileIdOrigin::Inode) return 2;
  if (ReadFileUniqueID(file, read) != com::S_OK || read.id != assigned.id) return 3;
  std::filesystem::rename(file, mountPoint + "/b.jpg");
  if (ReadFileUniqueID(mountPoint + "/b.jpg", moved) != com::S_OK || moved.id != assigned.id) return 4;
  std::filesystem::copy_file(mountPoint + "/b.jpg", mountPoint + "/c.jpg");
  FileId copy;
  if (ReadFileUniqueID(mountPoint + "/c.jpg", copy) != com::S_OK || copy.id == assigned.id) return 5;
  return 0;
}

TEST(FileUniqueId, WithoutAttributesTheInodeIsTheIdentifier) {
  TempDir dir;
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) ::_exit(CheckWithoutAttributes(dir.path()));
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot mount a file system without attributes here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "failed check " << WEXITSTATUS(status);
}

TEST(FileUniqueId, AFileWeMayNotChangeIsKnownByItsInode) {
  TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
  WriteText(dir.file("a.jpg"), "x");
  ASSERT_EQ(::chmod(dir.file("a.jpg").c_str(), 0444), 0);
  const int result = testing::RunAsNobody([&] {
    FileId read, assigned;
    if (::geteuid() == 0) return 77;  // would change the file after all
    if (ReadFileUniqueID(dir.file("a.jpg"), read) != com::S_OK || read.origin != FileIdOrigin::Inode) return 1;
    if (AssignFileUniqueID(dir.file("a.jpg"), assigned) != com::S_OK || assigned.id != read.id) return 2;
    return 0;
  });
  if (result == 77) GTEST_SKIP() << "cannot run as another user here";
  EXPECT_EQ(result, 0) << "failed check " << result;
}

TEST(FileUniqueId, InodeIdentifiersAreRecognised) {
  EXPECT_TRUE(IsInodeId("inode:2049:1311"));
  EXPECT_FALSE(IsInodeId("inode:2049:"));
  EXPECT_FALSE(IsInodeId("inode:x:1"));
  EXPECT_FALSE(IsInodeId("{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108}"));
}

}  // namespace
}  // namespace albumcore::file_system
