#include "store/dao/statement_cache.h"

#include <cctype>

#include "store/dao/errors.h"

namespace albumcore::store::dao {

Statement& Statement::operator=(Statement&& o) noexcept {
  if (this != &o) {
    Release();
    owner_ = std::exchange(o.owner_, nullptr);
    stmt_ = std::exchange(o.stmt_, nullptr);
    key_ = std::move(o.key_);
  }
  return *this;
}

void Statement::Release() noexcept {
  sqlite3_stmt* stmt = std::exchange(stmt_, nullptr);
  if (stmt == nullptr) return;
  if (owner_ != nullptr) {
    owner_->Return(std::move(key_), stmt);
  } else {
    sqlite3_finalize(stmt);
  }
  owner_ = nullptr;
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

Statement StatementCache::Acquire(std::string_view sql, bool cached) {
  std::string key(sql);
  if (cached) {
    if (auto it = pool_.find(key); it != pool_.end() && !it->second.empty()) {
      sqlite3_stmt* stmt = it->second.back();
      it->second.pop_back();
      --idle_;
      return Statement(this, stmt, std::move(key));
    }
  }
  sqlite3_stmt* stmt = nullptr;
  const int rc = Prepare(sql, cached, &stmt);
  if (rc == SQLITE_MISUSE) ThrowJet(jeterr::kTrailingText, "one statement expected: " + key);
  if (rc != SQLITE_OK) ThrowEngineError(db_, rc);
  return Statement(cached ? this : nullptr, stmt, std::move(key));
}

Statement StatementCache::TryAcquire(std::string_view sql) {
  std::string key(sql);
  if (auto it = pool_.find(key); it != pool_.end() && !it->second.empty()) {
    sqlite3_stmt* stmt = it->second.back();
    it->second.pop_back();
    --idle_;
    return Statement(this, stmt, std::move(key));
  }
  sqlite3_stmt* stmt = nullptr;
  if (Prepare(sql, true, &stmt) != SQLITE_OK) return {};
  return Statement(this, stmt, std::move(key));
}

void StatementCache::Return(std::string key, sqlite3_stmt* stmt) noexcept {
  sqlite3_reset(stmt);
  sqlite3_clear_bindings(stmt);
  if (idle_ >= capacity_) {
    sqlite3_finalize(stmt);
    return;
  }
  try {
    pool_[std::move(key)].push_back(stmt);
    ++idle_;
  } catch (...) {
    sqlite3_finalize(stmt);
  }
}

void StatementCache::Clear() noexcept {
  for (auto& [key, list] : pool_)
    for (sqlite3_stmt* s : list) sqlite3_finalize(s);
  pool_.clear();
  idle_ = 0;
}

}  // namespace albumcore::store::dao
