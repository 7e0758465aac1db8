#include "registry/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>
#include <utility>

#include "registry/file_io.h"

namespace albumcore::registry {

std::optional<ExclusiveFileLock> ExclusiveFileLock::Acquire(const std::string& lockPath,
                                                            std::chrono::milliseconds timeout, std::string& error) {
  if (!CreateParentDirectory(lockPath, error)) return std::nullopt;
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = "cannot open the lock file " + lockPath + ": " + std::strerror(errno);
    return std::nullopt;
  }
  ExclusiveFileLock lock(fd);
  // Polled rather than blocking, so that a stuck writer elsewhere cannot
  // hang the server's main thread for ever.
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return lock;
    if (errno != EWOULDBLOCK && errno != EINTR) {
      error = "cannot lock " + lockPath + ": " + std::strerror(errno);
      return std::nullopt;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      error = "timed out waiting for the lock " + lockPath;
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

ExclusiveFileLock::ExclusiveFileLock(ExclusiveFileLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

ExclusiveFileLock& ExclusiveFileLock::operator=(ExclusiveFileLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

ExclusiveFileLock::~ExclusiveFileLock() {
  if (fd_ >= 0) ::close(fd_);  // closing the last descriptor releases the flock
}

}  // namespace albumcore::registry
