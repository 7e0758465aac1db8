#include "store/dao/file_ops.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "store/dao/errors.h"

namespace albumcore::store::dao {

namespace {

bool SyncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

std::string Directory(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool PathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::string TemporarySibling(const std::string& path) {
  std::random_device random;
  for (;;) {
    const std::string candidate = path + ".tmp" + std::to_string(random() % 1000000);
    if (!PathExists(candidate) && !PathExists(candidate + "-journal")) return candidate;
  }
}

void SyncAndRename(const std::string& temporary, const std::string& target) {
  if (!SyncPath(temporary, O_RDONLY) || ::rename(temporary.c_str(), target.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    ::unlink(temporary.c_str());
    ThrowJet(jeterr::kIoError, "cannot write '" + target + "': " + reason);
  }
  SyncPath(Directory(target), O_RDONLY | O_DIRECTORY);
}

void RemoveSideFiles(const std::string& path) {
  for (const char* suffix : {"-wal", "-shm", "-journal"}) ::unlink((path + suffix).c_str());
}

}  // namespace albumcore::store::dao
