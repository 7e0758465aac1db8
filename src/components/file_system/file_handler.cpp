#include "components/file_system/file_handler.h"

#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <utility>

#include "components/file_system/file_moniker.h"
#include "components/file_system/file_status.h"
#include "components/file_system/unique_fd.h"

namespace albumcore::file_system {

namespace {

// Copies the whole content of `in` to `out` in the kernel; errno on failure.
bool CopyContent(int in, int out, off_t size) {
  off_t done = 0;
  while (done < size) {
    ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(size - done), 0);
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP)) {
      n = ::sendfile(out, in, nullptr, static_cast<size_t>(size - done));
    }
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) break;  // the source shrank while being copied
    done += n;
  }
  return true;
}

}  // namespace

FileEnumerator::FileEnumerator(std::string folder, NamePattern pattern, uint32_t flags, DIR* dir)
    : folder_(std::move(folder)), pattern_(std::move(pattern)), flags_(flags), dir_(dir) {}

FileEnumerator::~FileEnumerator() {
  if (dir_ != nullptr) ::closedir(dir_);
}

com::HRESULT FileEnumerator::Next(std::string& name) {
  name.clear();
  while (dir_ != nullptr) {
    errno = 0;
    const dirent* entry = ::readdir(dir_);
    if (entry == nullptr) {
      const int error = errno;
      ::closedir(dir_);
      dir_ = nullptr;
      return error == 0 ? com::S_OK : LogFailure("cannot read folder", folder_, error);
    }
    const std::string_view entryName = entry->d_name;
    if (entryName == "." || entryName == ".." || !pattern_.Matches(entryName)) continue;
    const std::string path = folder_ + "/" + entry->d_name;
    if ((flags_ & kEnumerateFilesOnly) != 0) {
      struct stat st;
      if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;  // gone, or not a file
    }
    name = (flags_ & kEnumerateFullPaths) != 0 ? path : std::string(entryName);
    return com::S_OK;
  }
  return com::S_OK;
}

com::HRESULT FileHandler::Copy(std::string_view sourceMoniker, std::string_view targetMoniker) const {
  std::string source, target;
  if (PathOfFileMoniker(sourceMoniker, source) != com::S_OK || PathOfFileMoniker(targetMoniker, target) != com::S_OK) {
    return com::E_INVALIDARG;
  }
  UniqueFd in(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.get() < 0) return LogFailure("cannot open", source, errno);
  struct stat st;
  if (::fstat(in.get(), &st) != 0) return LogFailure("cannot look at", source, errno);
  if (!S_ISREG(st.st_mode)) return LogFailure("cannot copy", source, EISDIR);

  std::string temporary = target + ".copy.XXXXXX";
  UniqueFd out(::mkostemp(temporary.data(), O_CLOEXEC));
  if (out.get() < 0) return LogFailure("cannot create a file beside", target, errno);
  auto fail = [&](const char* what, const std::string& path) {
    const int error = errno;
    ::unlink(temporary.c_str());
    return LogFailure(what, path, error);
  };
  if (!CopyContent(in.get(), out.get(), st.st_size)) return fail("cannot copy into", temporary);
  if (::fchmod(out.get(), st.st_mode & 07777) != 0) return fail("cannot set the permissions of", temporary);
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail("cannot put the copy in place at", target);
  return com::S_OK;
}

com::HRESULT FileHandler::Delete(std::string_view moniker) const {
  std::string path;
  if (PathOfFileMoniker(moniker, path) != com::S_OK) return com::E_INVALIDARG;
  if (::unlink(path.c_str()) == 0) return com::S_OK;
  if (errno == ENOENT) return com::S_FALSE;
  return LogFailure("cannot delete", path, errno);
}

com::HRESULT FileHandler::Exists(std::string_view moniker) const {
  std::string path;
  if (PathOfFileMoniker(moniker, path) != com::S_OK) return com::E_INVALIDARG;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return com::S_OK;
  if (errno == ENOENT || errno == ENOTDIR) return com::S_FALSE;
  return LogFailure("cannot look at", path, errno);
}

com::HRESULT FileHandler::Enumerate(std::string_view patternMoniker, uint32_t flags,
                                    std::unique_ptr<FileEnumerator>& enumerator) const {
  enumerator.reset();
  std::string pattern;
  if (PathOfFileMoniker(patternMoniker, pattern) != com::S_OK) return com::E_INVALIDARG;
  if ((flags & ~(kEnumerateFilesOnly | kEnumerateFullPaths)) != 0) return com::E_INVALIDARG;
  const size_t slash = pattern.rfind('/');
  std::string folder = slash == 0 ? "/" : pattern.substr(0, slash);
  NamePattern names(std::string_view(pattern).substr(slash + 1));
  if (folder.find_first_of("*?") != std::string::npos) return com::E_INVALIDARG;  // wildcards name files only

  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr && errno != ENOENT) return LogFailure("cannot open folder", folder, errno);
  if (folder == "/") folder.clear();  // names are joined with "/"
  enumerator.reset(new FileEnumerator(std::move(folder), std::move(names), flags, dir));
  return dir == nullptr ? com::S_FALSE : com::S_OK;
}

}  // namespace albumcore::file_system
