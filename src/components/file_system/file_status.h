// Statuses of file operations: a system error number becomes the status a
// client of the file-system component sees, in one table.
//
// The statuses are the platform's file errors in facility 7 (0x8007xxxx),
// the numbers clients of the catalogue already test for.
#pragma once

#include <string>

#include "com/hresult.h"

namespace albumcore::file_system {

inline constexpr com::HRESULT kFileNotFound = com::MakeHresult(0x80070002);
inline constexpr com::HRESULT kPathNotFound = com::MakeHresult(0x80070003);
inline constexpr com::HRESULT kWriteProtected = com::MakeHresult(0x80070013);
inline constexpr com::HRESULT kFileExists = com::MakeHresult(0x80070050);
inline constexpr com::HRESULT kDiskFull = com::MakeHresult(0x80070070);
inline constexpr com::HRESULT kNameTooLong = com::MakeHresult(0x800700CE);

// The status of a failed system call's errno: a missing file, a missing
// folder on the way, no permission, a read-only file system, a full disk, a
// name too long; anything else is E_FAIL.
com::HRESULT StatusOfErrno(int error);

// Writes "albumcore file system: <what> <path>: <system message>" to stderr
// and answers the status of `error`: every failure the component answers is
// logged once, where it happens.
com::HRESULT LogFailure(const char* what, const std::string& path, int error);

}  // namespace albumcore::file_system
