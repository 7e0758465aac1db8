#include "components/file_system/file_unique_id.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <optional>

#include "com/guid.h"
#include "components/file_system/file_moniker.h"
#include "components/file_system/file_status.h"
#include "components/file_system/unique_fd.h"

namespace albumcore::file_system {

namespace {

// Room for "{GUID} <dev>:<inode>" with both numbers at their widest; a longer
// attribute is not ours.
constexpr size_t kMaxAttribute = 38 + 1 + 20 + 1 + 20;

struct Inode {
  unsigned long long device = 0;
  unsigned long long number = 0;
  friend bool operator==(const Inode&, const Inode&) = default;
};

std::string InodeText(const Inode& inode) {
  return std::to_string(inode.device) + ":" + std::to_string(inode.number);
}

std::optional<Inode> ParseInode(std::string_view text) {
  Inode inode;
  const char* end = text.data() + text.size();
  auto [afterDevice, e1] = std::from_chars(text.data(), end, inode.device);
  if (e1 != std::errc() || afterDevice == end || *afterDevice != ':') return std::nullopt;
  auto [afterNumber, e2] = std::from_chars(afterDevice + 1, end, inode.number);
  if (e2 != std::errc() || afterNumber != end) return std::nullopt;
  return inode;
}

FileId InodeId(const Inode& inode) {
  return FileId{std::string(kInodeIdPrefix) + InodeText(inode), FileIdOrigin::Inode};
}

// Errors of setting an attribute that mean "none can be attached here".
bool CannotAttach(int error) {
  return error == ENOTSUP || error == EOPNOTSUPP || error == EACCES || error == EPERM || error == EROFS;
}

// An open file and what it is. O_NONBLOCK so that a FIFO named by a moniker
// does not hang the call.
struct OpenFile {
  UniqueFd fd{-1};
  Inode inode;
  com::HRESULT Open(std::string_view moniker, std::string& path) {
    if (PathOfFileMoniker(moniker, path) != com::S_OK) return com::E_INVALIDARG;
    fd.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return LogFailure("cannot open", path, errno);
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) return LogFailure("cannot look at", path, errno);
    inode = {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
    return com::S_OK;
  }
};

}  // namespace

bool IsInodeId(std::string_view id) {
  return id.starts_with(kInodeIdPrefix) && ParseInode(id.substr(kInodeIdPrefix.size())).has_value();
}

com::HRESULT ReadFileUniqueID(std::string_view moniker, FileId& id) {
  std::string path;
  OpenFile file;
  if (com::HRESULT hr = file.Open(moniker, path); hr != com::S_OK) return hr;

  char buffer[kMaxAttribute];
  const ssize_t size = ::fgetxattr(file.fd.get(), kFileIdAttribute, buffer, sizeof buffer);
  if (size >= 0) {
    const std::string_view value(buffer, static_cast<size_t>(size));
    const size_t space = value.find(' ');
    const std::optional<com::Guid> guid = com::Guid::Parse(value.substr(0, space));
    const std::optional<Inode> recorded =
        space == std::string_view::npos ? std::nullopt : ParseInode(value.substr(space + 1));
    if (guid && recorded) {
      id = FileId{guid->ToString(), *recorded == file.inode ? FileIdOrigin::Attached : FileIdOrigin::Carried};
      return com::S_OK;
    }
    std::fprintf(stderr, "albumcore file system: %s of %s is not an identifier of ours; taken as none\n",
                 kFileIdAttribute, path.c_str());
  } else if (errno == ENOTSUP || errno == EOPNOTSUPP) {
    id = InodeId(file.inode);
    return com::S_OK;
  } else if (errno != ENODATA && errno != ERANGE) {
    return LogFailure("cannot read the identifier of", path, errno);
  }
  // No identifier of ours: where none could be attached, the inode is the
  // identifier, as AssignFileUniqueID would answer.
  if (::access(path.c_str(), W_OK) != 0 && CannotAttach(errno)) {
    id = InodeId(file.inode);
    return com::S_OK;
  }
  return com::S_FALSE;
}

com::HRESULT AssignFileUniqueID(std::string_view moniker, FileId& id) {
  std::string path;
  OpenFile file;
  if (com::HRESULT hr = file.Open(moniker, path); hr != com::S_OK) return hr;

  const std::string guid = com::Guid::Create().ToString();
  const std::string value = guid + " " + InodeText(file.inode);
  if (::fsetxattr(file.fd.get(), kFileIdAttribute, value.data(), value.size(), 0) == 0) {
    id = FileId{guid, FileIdOrigin::Attached};
    return com::S_OK;
  }
  if (CannotAttach(errno)) {
    id = InodeId(file.inode);
    return com::S_OK;
  }
  return LogFailure("cannot attach an identifier to", path, errno);
}

}  // namespace albumcore::file_system
