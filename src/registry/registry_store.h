// The machine hive (HKEY_LOCAL_MACHINE) kept in one file, shared by every
// process that opens the same path (the server and the registration command).
//
// Key paths are relative to HKEY_LOCAL_MACHINE ("SOFTWARE\Orvane\Crestkit9");
// see key_names.h for their rules and hive.h for names and ordering.
//
// Reading: every read first checks the file's identity (inode, size, times)
// and reloads it when another process replaced it; otherwise the cached hive
// answers. A missing file is an empty hive.
//
// Writing: every write is one read-modify-write under an exclusive lock on
// "<path>.lock": the file is read afresh, changed in a copy and replaced
// atomically (file_io.h). A write that changes nothing leaves the file alone.
// Edit() groups several changes into one replacement.
//
// Failure: every method answers a RegStatus; lastError() then tells what went
// wrong, for Malformed with "<path>:<line>: <what>". A file that cannot be
// fully parsed fails every read with Malformed and is never overwritten.
//
// One store object belongs to one thread (the server's main thread); several
// store objects, in this process or others, may share one file.
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

  // Runs `change` on a copy of the current hive, under the lock. When it
  // answers Ok the result is written in one replacement; otherwise nothing is
  // written and its status is returned.
  RegStatus Edit(const std::function<RegStatus(Hive&)>& change);

  // How long a write waits for another process's write to finish.
  void setLockTimeout(std::chrono::milliseconds timeout) { lockTimeout_ = timeout; }

 private:
  RegStatus Load(bool force);
  RegStatus Fail(RegStatus status, std::string message);
  template <class Read>
  RegStatus ReadWith(Read&& read);

  std::string path_;
  FileSystem& fileSystem_;
  std::chrono::milliseconds lockTimeout_{10000};

  // The cache: the hive of the file version `stamp_`, or the reason it failed.
  bool loaded_ = false;
  FileStamp stamp_;
  Hive hive_;
  RegStatus loadStatus_ = RegStatus::Ok;
  std::string loadError_;

  std::string lastError_;
};

}  // namespace albumcore::registry
