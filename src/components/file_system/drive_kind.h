// Whether a path lies on a remote file system, where reading a file must be
// done with the rights of the client who asked, not the server's.
//
// The kind comes from the file system's type (statfs) of the path or, for a
// path that does not exist yet, of its nearest existing parent folder.
#pragma once

#include <string_view>

namespace albumcore::file_system {

enum class DriveKind {
  Local,
  Remote,  // NFS, SMB/CIFS, FUSE (sshfs, rclone, gvfs), AFS, Ceph, 9P, ...
  NoRoot,  // a path that names no file system: empty, relative, or unreachable
};

DriveKind DriveKindOf(std::string_view path);

}  // namespace albumcore::file_system
