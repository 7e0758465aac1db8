#include "store/jetsql/connection.h"

#include <sqlite3.h>

#include "store/jetsql/identity.h"
#include "store/jetsql/jet_error.h"
#include "store/jetsql/sqlite_functions.h"

namespace albumcore::store::jetsql {

void ConfigureConnection(sqlite3* db) {
  if (db == nullptr) throw com::ComError(com::E_POINTER, "no connection");
  sqlite3_extended_result_codes(db, 1);
  int rc = sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  if (rc == SQLITE_OK) rc = sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_FKEY, 1, nullptr);
  if (rc == SQLITE_OK) rc = RegisterJetFunctions(db);
  if (rc == SQLITE_OK) rc = TrackIdentity(db);
  if (rc != SQLITE_OK) ThrowSqliteError(db, rc);
}

}  // namespace albumcore::store::jetsql
