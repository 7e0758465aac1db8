#include "store/jetsql/sql_quoting.h"
#include "store/dao/engine.h"

#include <unistd.h>

#include "store/dao/errors.h"
#include "store/dao/external_files.h"
#include "store/dao/file_ops.h"

namespace albumcore::store::dao {

com::ComPtr<Database> DBEngine::OpenDatabase(const std::string& path, Access access) {
  return com::MakeObject<Database>(Session::Open(path, limits_, access));
}

std::string DBEngine::ReachableFile(const std::string& path) const {
  return ResolveExternalFile(limits_.externalFiles, path);
}

void DBEngine::CompactDatabase(const std::string& source, const std::string& target) {
  if (!PathExists(source)) ThrowJet(jeterr::kFileNotFound, "Could not find file '" + source + "'");
  if (target.empty() || PathExists(target)) ThrowJet(jeterr::kDatabaseExists, "Database '" + target + "' already exists.");
  const std::string temporary = TemporarySibling(target);
  try {
    auto session = Session::Open(source);
    // Fold the log into the file first, so nothing committed lives only in
    // the -wal beside a file that is about to be replaced.
    session->Exec("PRAGMA wal_checkpoint(TRUNCATE)");
    session->Exec("VACUUM INTO " + jetsql::QuoteString(temporary));
    session->Close();
    SyncAndRename(temporary, target);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
}

RepairReport DBEngine::RepairDatabase(const std::string& path) {
  if (!PathExists(path)) ThrowJet(jeterr::kFileNotFound, "Could not find file '" + path + "'");
  return RepairFile(path);
}

}  // namespace albumcore::store::dao
