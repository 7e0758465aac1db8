#include "store/jetsql/identity.h"

#include <sqlite3.h>

#include <cstdint>

namespace albumcore::store::jetsql {

namespace {

struct LastCounter {
  sqlite3* db;
  int64_t value = 0;
};

void OnRowChanged(void* state, int op, const char* schema, const char* table, sqlite3_int64 rowid) {
  if (op != SQLITE_INSERT) return;
  auto* last = static_cast<LastCounter*>(state);
  // The rowid stands for the table's INTEGER PRIMARY KEY, when there is one;
  // the metadata says whether it counts (AUTOINCREMENT). Looking it up reads
  // the parsed schema and neither prepares nor steps a statement, which the
  // hook must not do.
  int autoIncrement = 0;
  if (sqlite3_table_column_metadata(last->db, schema, table, "rowid", nullptr, nullptr, nullptr, nullptr,
                                    &autoIncrement) == SQLITE_OK &&
      autoIncrement != 0)
    last->value = rowid;
}

void ReadIdentity(sqlite3_context* ctx, int, sqlite3_value**) {
  sqlite3_result_int64(ctx, static_cast<LastCounter*>(sqlite3_user_data(ctx))->value);
}

void Free(void* state) { delete static_cast<LastCounter*>(state); }

}  // namespace

int TrackIdentity(sqlite3* db) {
  auto* state = new LastCounter{db};
  // The function owns the state: SQLite frees it with the connection, or
  // when a later registration replaces the function.
  sqlite3_update_hook(db, OnRowChanged, state);
  const int rc = sqlite3_create_function_v2(db, "jet_identity", 0, SQLITE_UTF8, state, ReadIdentity, nullptr,
                                            nullptr, Free);
  if (rc != SQLITE_OK) sqlite3_update_hook(db, nullptr, nullptr);  // SQLite has freed the state
  return rc;
}

}  // namespace albumcore::store::jetsql
