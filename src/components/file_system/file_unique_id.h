// File identity: an identifier attached to a file that stays with it when the
// file is moved or renamed, so that the catalogue finds the item of a file
// that moved.
//
// The scheme:
//
//   1. Assigning writes a new GUID into the extended attribute
//      "user.albumcore.file-id" with the device and inode the file has now:
//      "{5EFBB572-1CBD-47DA-8BBA-5BAB9CADD108} 2049:1311",
//      replacing whatever was there.
//   2. A rename or a move within one file system keeps the inode and the
//      attribute: reading answers the GUID as Attached.
//   3. A file whose attribute records another inode was either copied with
//      its attributes (cp -a, cp --preserve=xattr, a file manager's copy) or
//      moved to another file system (mv copies the attributes there). The
//      file alone cannot tell which, so reading answers the GUID as Carried
//      and leaves the decision to the caller, who knows the path the
//      identifier was recorded with: if that file still exists this one is a
//      copy and gets a new identifier (Assign); if not, the file moved and
//      keeps it. Reading never writes, so it works on files it cannot change.
//   4. A copy without attributes (plain cp) has no identifier: S_FALSE, and
//      the caller assigns one.
//   5. Where no attribute can be attached (the file system has no user
//      extended attributes, or we may not write the file) the identifier is
//      the device and inode, "inode:2049:1311", answered by both reading and
//      assigning as Inode: it survives renames and moves within the file
//      system, and a copy has another inode. Reading a file of ours that has
//      no attribute only answers it where assigning could not attach one, so
//      both always answer the same identifier for the same file.
//
// Failures: a moniker that names no absolute path is E_INVALIDARG; a missing
// file and the like answer the file statuses of file_status.h, logged. Any
// thread may call.
#pragma once

#include <string>
#include <string_view>

#include "com/hresult.h"

namespace albumcore::file_system {

inline constexpr const char* kFileIdAttribute = "user.albumcore.file-id";
inline constexpr std::string_view kInodeIdPrefix = "inode:";

enum class FileIdOrigin {
  Attached,  // our attribute, on the file it was assigned to
  Carried,   // our attribute, on another inode: a copy or a move across file systems
  Inode,     // no attribute possible: device and inode
};

struct FileId {
  std::string id;  // at most 38 characters for a GUID, 47 for an inode identifier
  FileIdOrigin origin = FileIdOrigin::Attached;
};

// The identifier attached to the file: S_OK and the identifier, S_FALSE when
// the file has none yet (a malformed attribute counts as none, logged).
com::HRESULT ReadFileUniqueID(std::string_view moniker, FileId& id);

// Attaches a new identifier (a GUID, or the inode identifier where none can
// be attached): S_OK and the identifier.
com::HRESULT AssignFileUniqueID(std::string_view moniker, FileId& id);

// Whether an identifier is an inode identifier rather than a GUID.
bool IsInodeId(std::string_view id);

}  // namespace albumcore::file_system
