// The files an IN "file" clause may attach, and the record of which folders
// hold a catalogue this process has open.
//
// Under a confined rule (the server) a file is reachable only when, after
// `..` and symbolic links are resolved, it is a regular file under an allowed
// folder and an SQLite file carrying the catalogue's application id.
// Everything else is answered exactly like a missing file (3024), so a
// client learns nothing about the rest of the machine; the reason goes to
// stderr for the administrator. An unconfined rule (the offline tool) only
// asks that the file exist.
#pragma once

#include <string>
#include <vector>

#include "store/dao/sql_limits.h"

namespace albumcore::store::dao {

// The path to attach for `path`: the resolved real path when confined, the
// absolute path otherwise (never "file:...", which SQLite would read as a
// URI). Raises 3024.
std::string ResolveExternalFile(const ExternalFileRule& rule, const std::string& path);

// Marks the folder of a catalogue as holding an open catalogue for as long
// as it lives (a session keeps one). Thread-safe.
class OpenCatalogueMark {
 public:
  explicit OpenCatalogueMark(const std::string& catalogue);
  ~OpenCatalogueMark();
  OpenCatalogueMark(const OpenCatalogueMark&) = delete;
  OpenCatalogueMark& operator=(const OpenCatalogueMark&) = delete;

  // The marked folders, real paths.
  static std::vector<std::string> Folders();

 private:
  std::string folder_;  // empty when the catalogue's folder cannot be resolved
};

}  // namespace albumcore::store::dao
