// The machine hive (HKEY_LOCAL_MACHINE) kept in one file, shared by every
// process that opens the same path (the server and the registration command).
//
// Key paths are relative to HKEY_LOCAL_MACHINE ("SOFTWARE\Orvane\Crestkit9");
// see key_names.h for their rules, hive.h for names and ordering and
// limits.h for what a key, a value and the file may hold.
//
// Reading: every read first checks the file's identity (inode, size, times)
// and reloads it when another process replaced it; otherwise the cached hive
// answers. A missing file is an empty hive.
//
// Writing: every write is one read-modify-write under an exclusive lock on
// "<file>.lock", where <file> is the path with symbolic links followed: the
// file is read afresh, changed and replaced atomically (file_io.h), through a
// link to the file it names. A write that changes nothing leaves the file
// alone; a read-only file is never replaced; temporary files of writers that
// died are removed. Edit() groups several changes into one replacement.
//
// Failure: every method answers a RegStatus; lastError() then tells what went
// wrong: for Malformed "<path>:<line>: <what>", for InvalidArgument which
// limit or rule the call broke, for IoError the file and the system error. A
// file that cannot be fully parsed, or is larger than kMaxHiveFileBytes,
// fails every read with Malformed and is never overwritten.
//
// One store object belongs to one thread at a time; several store objects,
// in this process or others, may share one file.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "registry/file_io.h"
#include "registry/hive.h"
#include "registry/reg_status.h"

namespace albumcore::registry {

class RegistryStore {
 public:
  // `fileSystem` must outlive the store; tests pass one that fails on purpose.
  explicit RegistryStore(std::string path, FileSystem& fileSystem = FileSystem::Posix());

  const std::string& path() const noexcept { return path_; }
  const std::string& lastError() const noexcept { return lastError_; }

  // Reads. NotFound for a missing key or value; WrongType for a value of
  // another type (ReadString on a DWORD, or either on a hex: value).
  RegStatus KeyExists(std::string_view keyPath);
  RegStatus ReadString(std::string_view keyPath, std::string_view valueName, std::string& out);
  RegStatus ReadDword(std::string_view keyPath, std::string_view valueName, uint32_t& out);
  // Subkey names and values in their stored (creation) order.
  RegStatus ListSubkeys(std::string_view keyPath, std::vector<std::string>& out);
  RegStatus ListValues(std::string_view keyPath, std::vector<RegValueInfo>& out);

  // Writes, each one atomic replacement of the file.
  // CreateKey creates missing parents; Ok when the key exists.
  RegStatus CreateKey(std::string_view keyPath);
  // Deletes the key with all its subkeys and values; InvalidArgument for the root.
  RegStatus DeleteKey(std::string_view keyPath);
  // Write* create the key when missing. Text must be valid UTF-8 and may hold
  // any character; nothing is appended to it (no terminating null).
  RegStatus WriteString(std::string_view keyPath, std::string_view valueName, std::string_view text);
  RegStatus WriteDword(std::string_view keyPath, std::string_view valueName, uint32_t value);
  RegStatus DeleteValue(std::string_view keyPath, std::string_view valueName);

  // Runs `change` on the current hive, under the lock. When it answers Ok
  // and the result fits kMaxHiveFileBytes, the result is written in one
  // replacement; otherwise nothing is written and the status is returned
  // (InvalidArgument for a hive that would grow too large).
  RegStatus Edit(const std::function<RegStatus(Hive&)>& change);
  // Everything Edit does short of writing: the change is tried, the result's
  // size checked, and the file and its folder checked for writing. Takes no
  // lock and leaves the file alone; for telling why a write failed.
  RegStatus CheckEdit(const std::function<RegStatus(Hive&)>& change);

  // How long a write waits for another process's write to finish.
  void setLockTimeout(std::chrono::milliseconds timeout) { lockTimeout_ = timeout; }

 private:
  RegStatus Change(const std::function<RegStatus(Hive&)>& change, bool write);
  RegStatus Load(bool force);
  RegStatus Fail(RegStatus status, std::string message);
  template <class Read>
  RegStatus ReadWith(Read&& read);

  std::string path_;
  FileSystem& fileSystem_;
  std::chrono::milliseconds lockTimeout_{10000};

  // The cache: the hive of the file version `stamp_` with the bytes
  // `fileText_`, or the reason it failed. Without `loaded_` none of it counts.
  bool loaded_ = false;
  FileStamp stamp_;
  std::string fileText_;
  Hive hive_;
  RegStatus loadStatus_ = RegStatus::Ok;
  std::string loadError_;

  std::string lastError_;
};

}  // namespace albumcore::registry
