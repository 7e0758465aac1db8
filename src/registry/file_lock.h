// An exclusive advisory lock (flock) on a lock file, held for the lifetime
// of the object.
//
// Every process that writes the hive takes the lock on "<hive>.lock" around
// its read-modify-write, so that two writers never lose each other's change.
// The lock file is created when missing and never removed (removing it would
// let two processes lock two different files). The lock is released when the
// object is destroyed or when the process ends, even by a crash.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace albumcore::registry {

class ExclusiveFileLock {
 public:
  // Waits up to `timeout` for the lock. Nullopt with `error` set when the
  // lock file cannot be opened or the lock stays taken.
  static std::optional<ExclusiveFileLock> Acquire(const std::string& lockPath, std::chrono::milliseconds timeout,
                                                  std::string& error);

  ExclusiveFileLock(ExclusiveFileLock&& other) noexcept;
  ExclusiveFileLock& operator=(ExclusiveFileLock&& other) noexcept;
  ExclusiveFileLock(const ExclusiveFileLock&) = delete;
  ExclusiveFileLock& operator=(const ExclusiveFileLock&) = delete;
  ~ExclusiveFileLock();

 private:
  explicit ExclusiveFileLock(int fd) : fd_(fd) {}
  int fd_ = -1;
};

}  // namespace albumcore::registry
