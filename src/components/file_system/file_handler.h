// The handler of "file::" paths: copy, delete, exists and enumeration by
// pattern, on the local file system.
//
// Paths are absolute (or "file::" monikers of absolute paths); anything else
// is E_INVALIDARG. Failures answer the file statuses of file_status.h and are
// logged to stderr with the path and the system's reason. The handler holds
// no state; any thread may use it. An enumerator belongs to one thread.
#pragma once

#include <dirent.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "com/hresult.h"
#include "components/file_system/name_pattern.h"

namespace albumcore::file_system {

// Enumeration flags. 0x40 keeps regular files only (no folders, links to
// folders, devices or sockets); 0x80 answers each name with its folder, ready
// for Delete. The catalogue enumerates with both (0xC0). Other bits are
// E_INVALIDARG.
inline constexpr uint32_t kEnumerateFilesOnly = 0x40;
inline constexpr uint32_t kEnumerateFullPaths = 0x80;

// Walks one folder, answering the names that match a pattern one per call.
class FileEnumerator {
 public:
  ~FileEnumerator();
  FileEnumerator(const FileEnumerator&) = delete;
  FileEnumerator& operator=(const FileEnumerator&) = delete;

  // The next matching name, or an empty name after the last (and on every
  // call after that). A failure to read the folder is logged, answered as
  // its status, and ends the enumeration.
  com::HRESULT Next(std::string& name);

 private:
  friend class FileHandler;
  FileEnumerator(std::string folder, NamePattern pattern, uint32_t flags, DIR* dir);

  std::string folder_;
  NamePattern pattern_;
  uint32_t flags_;
  DIR* dir_;  // null once done
};

class FileHandler {
 public:
  // Copies `source` over `target` (replaced when it exists). The copy is
  // written beside the target and renamed into place, so a failed copy
  // leaves the target as it was and no partial file.
  com::HRESULT Copy(std::string_view source, std::string_view target) const;

  // Deletes a file. A file that is not there is S_FALSE: nothing was to be
  // deleted, which is what the caller asked for. A folder is E_ACCESSDENIED.
  com::HRESULT Delete(std::string_view path) const;

  // S_OK when something (file or folder) is at the path, S_FALSE when not;
  // a path that cannot be looked at (a folder on the way without search
  // permission) is a failure.
  com::HRESULT Exists(std::string_view path) const;

  // `pattern` is a folder and a name pattern (name_pattern.h):
  // "/home/ana/.cache/albumcore/*.kxsf;dat". Does not descend into
  // sub-folders. A missing folder gives S_FALSE and an enumerator that ends
  // at once; a folder that cannot be read is a failure and no enumerator.
  com::HRESULT Enumerate(std::string_view pattern, uint32_t flags,
                         std::unique_ptr<FileEnumerator>& enumerator) const;
};

}  // namespace albumcore::file_system
