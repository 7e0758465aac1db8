#include "registry/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

namespace albumcore::registry {

namespace {

std::string SystemError(const char* what, const std::string& path, int error) {
  return std::string(what) + " " + path + ": " + std::strerror(error);
}

FileStamp StampOf(const struct stat& st) {
  FileStamp s;
  s.exists = true;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = st.st_size;
  s.modifiedNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.changedNs = static_cast<int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

std::string ParentOf(const std::string& path) {
  std::string parent = std::filesystem::path(path).parent_path().string();
  return parent.empty() ? "." : parent;
}

// Closes a descriptor on every path out of a function.
class FdCloser {
 public:
  explicit FdCloser(int fd) : fd_(fd) {}
  ~FdCloser() {
    if (fd_ >= 0) ::close(fd_);
  }
  FdCloser(const FdCloser&) = delete;
  FdCloser& operator=(const FdCloser&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

}  // namespace

bool FileSystem::WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool FileSystem::Sync(int fd) { return ::fsync(fd) == 0; }

bool FileSystem::Rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

FileSystem& FileSystem::Posix() {
  static FileSystem posix;
  return posix;
}

bool StatFile(const std::string& path, FileStamp& stamp, std::string& error) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) {
      stamp = FileStamp{};
      return true;
    }
    error = SystemError("cannot stat", path, errno);
    return false;
  }
  stamp = StampOf(st);
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& content, FileStamp& stamp, std::string& error) {
  content.clear();
  FdCloser fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) {
      stamp = FileStamp{};
      return true;
    }
    error = SystemError("cannot open", path, errno);
    return false;
  }
  struct stat st;
  if (::fstat(fd.get(), &st) != 0) {
    error = SystemError("cannot stat", path, errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = path + ": not a regular file";
    return false;
  }
  stamp = StampOf(st);
  char buffer[16384];
  for (;;) {
    ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = SystemError("cannot read", path, errno);
      return false;
    }
    if (n == 0) return true;
    content.append(buffer, static_cast<size_t>(n));
  }
}

bool CreateParentDirectory(const std::string& path, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(ParentOf(path), ec);
  if (ec) {
    error = "cannot create the directory of " + path + ": " + ec.message();
    return false;
  }
  return true;
}

bool ReplaceFileAtomically(FileSystem& fs, const std::string& path, std::string_view content, std::string& error) {
  if (!CreateParentDirectory(path, error)) return false;
  mode_t mode = 0644;
  struct stat old;
  if (::stat(path.c_str(), &old) == 0) mode = old.st_mode & 07777;

  std::string temp = path + ".tmp.XXXXXX";
  FdCloser fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    error = SystemError("cannot create a temporary file beside", path, errno);
    return false;
  }
  auto fail = [&](const char* what, const std::string& subject) {
    int saved = errno;
    ::unlink(temp.c_str());
    error = SystemError(what, subject, saved);
    return false;
  };
  if (::fchmod(fd.get(), mode) != 0) return fail("cannot set the permissions of", temp);
  if (!fs.WriteAll(fd.get(), content)) return fail("cannot write", temp);
  if (!fs.Sync(fd.get())) return fail("cannot flush", temp);
  if (::close(fd.release()) != 0) return fail("cannot close", temp);
  if (!fs.Rename(temp, path)) return fail("cannot rename the temporary file over", path);

  // The rename is durable only once the directory entry is flushed.
  std::string dir = ParentOf(path);
  FdCloser dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.get() < 0 || !fs.Sync(dirFd.get())) {
    error = SystemError("written, but cannot flush the directory", dir, errno);
    return false;
  }
  return true;
}

}  // namespace albumcore::registry
