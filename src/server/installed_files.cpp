#include "server/installed_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace albumcore::server {

namespace fs = std::filesystem;

namespace {

bool Fail(std::string* error, const std::string& what, const std::string& path, int err) {
  *error = what + " " + path + ": " + std::strerror(err);
  return false;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (ec) {
    *error = "cannot create the folder of " + path + ": " + ec.message();
    return false;
  }
  const std::string temp = path + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return Fail(error, "cannot write", temp, errno);
  ::fchmod(fd, 0644);  // whatever the umask
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = errno;
      ::close(fd);
      ::unlink(temp.c_str());
      return Fail(error, "cannot write", temp, err);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return Fail(error, "cannot write", temp, err);
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    return Fail(error, "cannot install", path, err);
  }
  return true;
}

bool RemoveInstalledFile(const std::string& path, std::string* error) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT) return true;
  return Fail(error, "cannot remove", path, errno);
}

}  // namespace albumcore::server
