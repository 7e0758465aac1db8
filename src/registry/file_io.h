// Reading and atomically replacing the hive file.
//
// A reader sees either the old or the new file, never a half-written one:
// ReplaceFileAtomically writes a sibling temporary file, flushes it, renames
// it over the target and flushes the directory. If any step fails, the old
// file is left as it was and the temporary file is removed.
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
// gives empty content and exists == false.
bool ReadWholeFile(const std::string& path, std::string& content, FileStamp& stamp, std::string& error);

// Replaces (or creates) the file at `path` with `content`, creating its
// directory when missing. The new file keeps the old file's permissions
// (0644 for a new one).
bool ReplaceFileAtomically(FileSystem& fs, const std::string& path, std::string_view content, std::string& error);

// Creates the directory that holds `path` and its missing parents.
bool CreateParentDirectory(const std::string& path, std::string& error);

}  // namespace albumcore::registry
