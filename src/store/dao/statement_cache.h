// Prepared statements kept per connection, keyed by SQLite text.
//
// Acquire() hands out a Statement lease: an idle prepared statement of that
// text, or a newly prepared one (persistent). Returning the lease resets the
// statement and clears its bindings so the next user starts clean. Two
// leases of the same text may be out at once (two recordsets over one
// query); each gets its own statement. SQLite re-prepares a statement by
// itself when the schema changes.
//
// Recordsets open the same few statements over and over, so a lease finds
// its way home without hashing the text again.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace albumcore::store::dao {

class StatementCache;

class Statement {
 public:
  Statement() = default;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  Statement(Statement&& o) noexcept { *this = std::move(o); }
  Statement& operator=(Statement&& o) noexcept;
  ~Statement() { Release(); }

  sqlite3_stmt* get() const noexcept { return stmt_; }
  explicit operator bool() const noexcept { return stmt_ != nullptr; }
  // Gives the statement back (or finalizes it when it is not cached).
  void Release() noexcept;

 private:
  friend class StatementCache;
  using Pool = std::vector<sqlite3_stmt*>;

  Statement(StatementCache* owner, Pool* home, sqlite3_stmt* stmt) : owner_(owner), home_(home), stmt_(stmt) {}

  StatementCache* owner_ = nullptr;  // null: finalize on release
  Pool* home_ = nullptr;             // the idle list of its text
  sqlite3_stmt* stmt_ = nullptr;
};

class StatementCache {
 public:
  explicit StatementCache(sqlite3* db, size_t capacity = 128) : db_(db), capacity_(capacity) {}
  ~StatementCache() { Clear(); }
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // Raises the mapped Jet error when the text does not prepare, or holds
  // more than one statement. `cached` false: finalized when the lease ends
  // (statements over attached files, which go away after the statement).
  Statement Acquire(std::string_view sql, bool cached = true);
  // Prepares without raising; an empty Statement when SQLite refuses.
  Statement TryAcquire(std::string_view sql);

  void Clear() noexcept;
  size_t idleCount() const noexcept { return idle_; }

 private:
  friend class Statement;
  struct TextHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept { return std::hash<std::string_view>{}(s); }
  };

  using Pools = std::unordered_map<std::string, Statement::Pool, TextHash, std::equal_to<>>;

  // The idle list of `sql`, `hint` when found already (made on first use;
  // lists live as long as the cache, so leases may point at them).
  Statement::Pool& PoolOf(std::string_view sql, Pools::iterator hint);
  Statement TakeIdle(Statement::Pool& pool);
  void Return(Statement::Pool* home, sqlite3_stmt* stmt) noexcept;
  int Prepare(std::string_view sql, bool cached, sqlite3_stmt** out);

  sqlite3* db_;
  size_t capacity_;
  size_t idle_ = 0;
  Pools pools_;
};

}  // namespace albumcore::store::dao
