#include "store/dao/one_shot_statement.h"

#include "store/dao/errors.h"
#include "store/dao/system_tables.h"

namespace albumcore::store::dao {

OneShotStatement::OneShotStatement(sqlite3* db, std::string_view sql) : db_(db) {
  const RightsScope adapter(SqlRights::Adapter);
  const int rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    ThrowEngineError(db, rc);
  }
}

OneShotStatement& OneShotStatement::Bind(int index, std::string_view text) {
  return Check(sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
}

OneShotStatement& OneShotStatement::Bind(int index, int64_t value) {
  return Check(sqlite3_bind_int64(stmt_, index, value));
}

OneShotStatement& OneShotStatement::Bind(int index, double value) {
  return Check(sqlite3_bind_double(stmt_, index, value));
}

OneShotStatement& OneShotStatement::BindBlob(int index, std::string_view bytes) {
  return Check(sqlite3_bind_blob64(stmt_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT));
}

OneShotStatement& OneShotStatement::BindNull(int index) { return Check(sqlite3_bind_null(stmt_, index)); }

OneShotStatement& OneShotStatement::Check(int rc) {
  if (rc != SQLITE_OK) ThrowEngineError(db_, rc);
  return *this;
}

bool OneShotStatement::Step() {
  const RightsScope adapter(SqlRights::Adapter);  // SQLite may prepare it again
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc != SQLITE_DONE) ThrowEngineError(db_, rc);
  return false;
}

std::string OneShotStatement::Text(int column) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return p != nullptr ? std::string(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, column))) : std::string();
}

}  // namespace albumcore::store::dao
