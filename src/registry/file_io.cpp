#include "registry/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
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

// Temporary files of a write are "<target>.tmp.XXXXXX".
constexpr std::string_view kTemporaryInfix = ".tmp.";

// A file we may replace: someone may write it, and we may. A file nobody may
// write is read-only even to a process that could override that.
bool Writable(const std::string& path, const struct stat& st, std::string& error) {
  if ((st.st_mode & 0222) == 0) {
    error = path + " is read-only";
    return false;
  }
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
    error = SystemError("cannot write", path, errno);
    return false;
  }
  return true;
}

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

bool ReadWholeFile(const std::string& path, size_t maxBytes, std::string& content, FileStamp& stamp,
                   std::string& error) {
  content.clear();
  // O_NONBLOCK: a FIFO put where the hive belongs must not hang the reader.
  FdCloser fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
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
  if (static_cast<uint64_t>(st.st_size) > maxBytes) return true;
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
    if (content.size() > maxBytes) return true;  // grew while being read; the caller sees the size
  }
}

bool ResolveLinks(const std::string& path, std::string& target, std::string& error) {
  constexpr int kMaxHops = 40;  // what the kernel allows before ELOOP
  std::string current = path;
  for (int hop = 0; hop < kMaxHops; ++hop) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0) {
      if (errno != ENOENT) {
        error = SystemError("cannot stat", current, errno);
        return false;
      }
      target = current;
      return true;
    }
    if (!S_ISLNK(st.st_mode)) {
      target = current;
      return true;
    }
    char link[PATH_MAX];
    ssize_t n = ::readlink(current.c_str(), link, sizeof link - 1);
    if (n < 0) {
      error = SystemError("cannot read the link", current, errno);
      return false;
    }
    std::string next(link, static_cast<size_t>(n));
    current = next.front() == '/' ? next : ParentOf(current) + "/" + next;
  }
  error = path + ": too many levels of symbolic links";
  return false;
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

bool ReplaceFileAtomically(FileSystem& fs, const std::string& target, std::string_view content,
                           std::string& error) {
  if (!CreateParentDirectory(target, error)) return false;
  struct stat old;
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && !Writable(target, old, error)) return false;

  std::string temp = target + std::string(kTemporaryInfix) + "XXXXXX";
  FdCloser fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (fd.get() < 0) {
    error = SystemError("cannot create a temporary file beside", target, errno);
    return false;
  }
  auto fail = [&](const char* what, const std::string& subject) {
    int saved = errno;
    ::unlink(temp.c_str());
    error = SystemError(what, subject, saved);
    return false;
  };
  if (::fchmod(fd.get(), exists ? old.st_mode & 07777 : 0644) != 0) return fail("cannot set the permissions of", temp);
  // Keeping the owner takes privilege; without it the file becomes ours,
  // which is what any other editor would make of it too.
  if (exists && (old.st_uid != ::geteuid() || old.st_gid != ::getegid())) {
    [[maybe_unused]] int ignored = ::fchown(fd.get(), old.st_uid, old.st_gid);
  }
  if (!fs.WriteAll(fd.get(), content)) return fail("cannot write", temp);
  if (!fs.Sync(fd.get())) return fail("cannot flush", temp);
  if (::close(fd.release()) != 0) return fail("cannot close", temp);
  if (!fs.Rename(temp, target)) return fail("cannot rename the temporary file over", target);

  // The rename is durable only once the directory entry is flushed.
  std::string dir = ParentOf(target);
  FdCloser dirFd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dirFd.get() < 0 || !fs.Sync(dirFd.get())) {
    error = SystemError("written, but cannot flush the directory", dir, errno);
    return false;
  }
  return true;
}

bool CheckReplaceable(const std::string& target, std::string& error) {
  struct stat st;
  if (::stat(target.c_str(), &st) == 0 && !Writable(target, st, error)) return false;
  // The temporary file is made in the folder; a missing folder is created
  // in its nearest existing parent.
  std::filesystem::path dir = ParentOf(target);
  std::error_code ec;
  while (!std::filesystem::exists(dir, ec) && dir.has_parent_path() && dir != dir.parent_path()) {
    dir = dir.parent_path();
  }
  if (::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
    error = SystemError("cannot create files in", dir.string(), errno);
    return false;
  }
  return true;
}

void RemoveStaleTemporaries(const std::string& target) {
  const std::filesystem::path path(target);
  const std::string prefix = path.filename().string() + std::string(kTemporaryInfix);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(ParentOf(target), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // mkostemp's six characters follow the prefix; nothing else is ours.
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
      std::error_code ignored;  // a file we cannot remove stays; the write goes on
      std::filesystem::remove(it->path(), ignored);
    }
  }
}

}  // namespace albumcore::registry
