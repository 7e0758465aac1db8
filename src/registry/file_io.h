// Reading and atomically replacing the hive file.
//
// A reader sees either the old or the new file, never a half-written one:
// ReplaceFileAtomically writes a sibling temporary file, flushes it, renames
// it over the target and flushes the directory. If any step fails, the old
// file is left as it was and the temporary file is removed. A writer killed
// in the middle leaves its temporary file behind; the next writer, holding
// the same lock, removes it (RemoveStaleTemporaries).
//
// The file's own rules hold: a symbolic link is written through (the file it
// points to is replaced, the link stays), a read-only file is not replaced,
// and the new file keeps the old one's permissions and, where the process may
// set it, its owner.
//
// Failures are returned as false with a message naming the file and the
// system error ("cannot write /x/machine.reg: No space left on device").
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace albumcore::registry {

// Identity of one version of a file: any write or replacement changes it.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modifiedNs = 0;
  int64_t changedNs = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The calls through which files are written, virtual so that a test can make
// any of them fail (as a full disk or a failing device would). They set errno
// on failure.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool WriteAll(int fd, std::string_view bytes);
  virtual bool Sync(int fd);
  virtual bool Rename(const std::string& from, const std::string& to);

  // The real file system.
  static FileSystem& Posix();
};

// Stamp of the file at `path`; a missing file gives exists == false.
bool StatFile(const std::string& path, FileStamp& stamp, std::string& error);

// The whole file and the stamp of exactly the version read. A missing file
// gives empty content and exists == false. A file larger than `maxBytes` is
// not read: its stamp tells its size and the content stays empty.
bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& content, FileStamp& stamp,
                   std::string& error);

// The file a path names once symbolic links are followed (the path itself
// when it is no link; a link to a missing file names that file). Relative
// link targets are taken from the link's folder.
bool ResolveLinks(const std::string& path, std::string& target, std::string& error);

// Replaces (or creates) the file `target` (a resolved path, see ResolveLinks)
// with `content`, creating its directory when missing. Refused when the file
// exists and is read-only. Temporary files are named "<target>.tmp.XXXXXX".
bool ReplaceFileAtomically(FileSystem& fs, const std::string& target, std::string_view content,
                           std::string& error);

// Whether ReplaceFileAtomically could replace `target` now: the file, if it
// exists, is writable and so is its folder (or the nearest existing parent).
bool CheckReplaceable(const std::string& target, std::string& error);

// Removes the temporary files that writers of `target` left behind. Only for
// a caller holding the writers' lock: while it is held no write is under way,
// so every temporary file there is is a dead writer's.
void RemoveStaleTemporaries(const std::string& target);

// Creates the directory that holds `path` and its missing parents.
bool CreateParentDirectory(const std::string& path, std::string& error);

}  // namespace albumcore::registry
