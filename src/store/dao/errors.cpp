#include "store/dao/errors.h"

#include <sqlite3.h>

#include "store/dao/statement_budget.h"
#include "store/dao/system_tables.h"

namespace albumcore::store::dao {

void ThrowEngineError(sqlite3* db, int rc, jetsql::FailingOperation op) {
  const int ext = db != nullptr ? sqlite3_extended_errcode(db) : rc;
  if ((rc & 0xFF) == SQLITE_INTERRUPT)
    if (auto expiry = StatementBudget::TakeExpiry()) ThrowJet(jeterr::kQueryTimeout, std::move(*expiry));
  if ((rc & 0xFF) == SQLITE_AUTH) ThrowJet(jeterr::kReadOnly, LastRefusal());
  if (ext == SQLITE_CONSTRAINT_CHECK && db != nullptr) {
    const std::string message = sqlite3_errmsg(db);
    if (message.find(kZeroLengthCheckPrefix) != std::string::npos) ThrowJet(jeterr::kZeroLength, message);
    if (message.find(kRequiredCheckPrefix) != std::string::npos) ThrowJet(jeterr::kRequired, message);
  }
  jetsql::ThrowSqliteError(db, rc, op);
}

}  // namespace albumcore::store::dao
