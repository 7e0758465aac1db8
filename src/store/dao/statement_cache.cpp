#include "store/dao/statement_cache.h"

#include <cctype>

#include "store/dao/errors.h"

namespace albumcore::store::dao {

Statement& Statement::operator=(Statement&& o) noexcept {
  if (this != &o) {
    Release();
    owner_ = std::exchange(o.owner_, nullptr);
    home_ = std::exchange(o.home_, nullptr);
    stmt_ = std::exchange(o.stmt_, nullptr);
  }
  return *this;
}

void Statement::Release() noexcept {
  sqlite3_stmt* stmt = std::exchange(stmt_, nullptr);
  if (stmt == nullptr) return;
  if (owner_ != nullptr) {
    owner_->Return(home_, stmt);
  } else {
    sqlite3_finalize(stmt);
  }
  owner_ = nullptr;
  home_ = nullptr;
}

int StatementCache::Prepare(std::string_view sql, bool cached, sqlite3_stmt** out) {
  const char* tail = nullptr;
  const int rc = sqlite3_prepare_v3(db_, sql.data(), static_cast<int>(sql.size()),
                                    cached ? SQLITE_PREPARE_PERSISTENT : 0, out, &tail);
  if (rc != SQLITE_OK) return rc;
  for (const char* p = tail; p != nullptr && p < sql.data() + sql.size(); ++p) {
    if (!std::isspace(static_cast<unsigned char>(*p)) && *p != ';') {
      sqlite3_finalize(*out);
      *out = nullptr;
      return SQLITE_MISUSE;
    }
  }
  if (*out == nullptr) return SQLITE_MISUSE;  // only blanks or comments
  return SQLITE_OK;
}

Statement StatementCache::TakeIdle(Statement::Pool& pool) {
  sqlite3_stmt* stmt = pool.back();
  pool.pop_back();
  --idle_;
  return Statement(this, &pool, stmt);
}

Statement::Pool& StatementCache::PoolOf(std::string_view sql, Pools::iterator hint) {
  if (hint != pools_.end()) return hint->second;
  return pools_.emplace(std::string(sql), Statement::Pool()).first->second;
}

Statement StatementCache::Acquire(std::string_view sql, bool cached) {
  auto it = cached ? pools_.find(sql) : pools_.end();
  if (it != pools_.end() && !it->second.empty()) return TakeIdle(it->second);
  sqlite3_stmt* stmt = nullptr;
  const int rc = Prepare(sql, cached, &stmt);
  if (rc == SQLITE_MISUSE) ThrowJet(jeterr::kTrailingText, "one statement expected: " + std::string(sql));
  if (rc != SQLITE_OK) ThrowEngineError(db_, rc);
  if (!cached) return Statement(nullptr, nullptr, stmt);
  return Statement(this, &PoolOf(sql, it), stmt);
}

Statement StatementCache::TryAcquire(std::string_view sql) {
  auto it = pools_.find(sql);
  if (it != pools_.end() && !it->second.empty()) return TakeIdle(it->second);
  sqlite3_stmt* stmt = nullptr;
  if (Prepare(sql, true, &stmt) != SQLITE_OK) return {};
  return Statement(this, &PoolOf(sql, it), stmt);
}

void StatementCache::Return(Statement::Pool* home, sqlite3_stmt* stmt) noexcept {
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (idle_ >= capacity_) {
    sqlite3_finalize(stmt);
    return;
  }
  try {
    home->push_back(stmt);
    ++idle_;
  } catch (...) {
    sqlite3_finalize(stmt);
  }
}

void StatementCache::Clear() noexcept {
  // The lists stay: leases still out point at them.
  for (auto& [sql, pool] : pools_) {
    for (sqlite3_stmt* idle : pool) sqlite3_finalize(idle);
    pool.clear();
  }
  idle_ = 0;
}

}  // namespace albumcore::store::dao
