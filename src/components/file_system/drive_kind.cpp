#include "components/file_system/drive_kind.h"

#include <sys/vfs.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <string>

#include "components/file_system/file_moniker.h"

namespace albumcore::file_system {

namespace {

// statfs f_type of file systems whose files live on another machine (the
// kernel's magic numbers). FUSE counts: most FUSE mounts of a desktop are
// network ones, and a local one read with the client's rights loses nothing.
constexpr std::array<uint32_t, 13> kRemoteTypes{
    0x6969,      // NFS
    0x517B,      // SMB
    0xFF534D42,  // CIFS
    0xFE534D42,  // SMB2
    0x65735546,  // FUSE
    0x73757245,  // CODA
    0x5346414F,  // AFS
    0x6B414653,  // kAFS
    0x564C,      // NCP
    0x01021997,  // 9P (v9fs)
    0x00C36400,  // Ceph
    0x47504653,  // GPFS
    0x013111A8,  // IBRIX
};

}  // namespace

DriveKind DriveKindOf(std::string_view pathText) {
  std::string path;
  if (PathOfFileMoniker(pathText, path) != com::S_OK) return DriveKind::NoRoot;
  // Walks up to the nearest existing folder: at most one step per component.
  struct statfs fs;
  while (::statfs(path.c_str(), &fs) != 0) {
    if ((errno != ENOENT && errno != ENOTDIR) || path == "/") return DriveKind::NoRoot;
    const size_t slash = path.find_last_of('/');
    path.resize(slash == 0 ? 1 : slash);
  }
  const auto type = static_cast<uint32_t>(fs.f_type);
  for (uint32_t remote : kRemoteTypes) {
    if (type == remote) return DriveKind::Remote;
  }
  return DriveKind::Local;
}

}  // namespace albumcore::file_system
