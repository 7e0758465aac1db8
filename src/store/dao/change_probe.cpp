#include "store/dao/change_probe.h"

#include <utility>

namespace albumcore::store::dao {

ChangeProbe::ChangeProbe(sqlite3* db) : db_(db) {
  sqlite3_rollback_hook(
      db, [](void* self) { static_cast<ChangeProbe*>(self)->NoteRollback(); }, this);
}

bool ChangeProbe::Prepared() noexcept {
  if (schema_ == nullptr &&
      sqlite3_prepare_v3(db_, "PRAGMA main.schema_version", -1, SQLITE_PREPARE_PERSISTENT, &schema_, nullptr) !=
          SQLITE_OK)
    return false;
  if (data_ == nullptr &&
      sqlite3_prepare_v3(db_, "PRAGMA main.data_version", -1, SQLITE_PREPARE_PERSISTENT, &data_, nullptr) != SQLITE_OK)
    return false;
  return true;
}

ChangeProbe::Reading ChangeProbe::Read() noexcept {
  Reading r;
  if (db_ == nullptr) {
    r.schema = -2 - failures_++;
    return r;
  }
  r.changes = sqlite3_total_changes64(db_);
  r.rollbacks = rollbacks_;
  // Both pragmas inside the one read transaction the first one opens.
  if (Prepared() && sqlite3_step(schema_) == SQLITE_ROW && sqlite3_step(data_) == SQLITE_ROW) {
    r.schema = sqlite3_column_int64(schema_, 0);
    r.data = sqlite3_column_int64(data_, 0);
  } else {
    r.schema = -2 - failures_++;
  }
  if (data_ != nullptr) sqlite3_reset(data_);
  if (schema_ != nullptr) sqlite3_reset(schema_);
  return r;
}

void ChangeProbe::Release() noexcept {
  if (db_ != nullptr) sqlite3_rollback_hook(db_, nullptr, nullptr);
  db_ = nullptr;
  sqlite3_finalize(std::exchange(schema_, nullptr));
  sqlite3_finalize(std::exchange(data_, nullptr));
}

}  // namespace albumcore::store::dao
