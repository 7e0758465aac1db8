#include "components/file_system/file_status.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace albumcore::file_system {

com::HRESULT StatusOfErrno(int error) {
  switch (error) {
    case ENOENT: return kFileNotFound;
    case ENOTDIR: return kPathNotFound;
    case EACCES:
    case EPERM:
    case EISDIR: return com::E_ACCESSDENIED;
    case EROFS: return kWriteProtected;
    case EEXIST: return kFileExists;
    case ENOSPC:
    case EDQUOT: return kDiskFull;
    case ENAMETOOLONG: return kNameTooLong;
    case ENOMEM: return com::E_OUTOFMEMORY;
    default: return com::E_FAIL;
  }
}

com::HRESULT LogFailure(const char* what, const std::string& path, int error) {
  std::fprintf(stderr, "albumcore file system: %s %s: %s\n", what, path.c_str(), std::strerror(error));
  return StatusOfErrno(error);
}

}  // namespace albumcore::file_system
