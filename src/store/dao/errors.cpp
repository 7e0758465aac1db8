#include "store/dao/errors.h"

#include <sqlite3.h>

namespace albumcore::store::dao {

void ThrowEngineError(sqlite3* db, int rc, jetsql::FailingOperation op) {
  const int ext = db != nullptr ? sqlite3_extended_errcode(db) : rc;
  if (ext == SQLITE_CONSTRAINT_CHECK && db != nullptr) {
    const std::string message = sqlite3_errmsg(db);
    if (message.find(kZeroLengthCheckPrefix) != std::string::npos) ThrowJet(jeterr::kZeroLength, message);
    if (message.find(kRequiredCheckPrefix) != std::string::npos) ThrowJet(jeterr::kRequired, message);
  }
  jetsql::ThrowSqliteError(db, rc, op);
}

}  // namespace albumcore::store::dao
