// Tells whether anything a connection sees may have changed since an
// earlier reading: the schema (changed by anyone), data other connections
// committed, rows this connection changed, transactions it rolled back.
//
// A reading costs one short read transaction (two pragmas stepped inside
// it), much less than looking a stored query up by name; caches of things
// read from the file keep the reading they were filled under and start
// over when it differs.
#pragma once

#include <sqlite3.h>

#include <cstdint>

namespace albumcore::store::dao {

class ChangeProbe {
 public:
  struct Reading {
    int64_t schema = -1;
    int64_t data = -1;
    int64_t changes = -1;
    int64_t rollbacks = -1;
    friend bool operator==(const Reading&, const Reading&) = default;
  };

  // Counts the connection's rollbacks through SQLite's rollback hook.
  explicit ChangeProbe(sqlite3* db);
  ~ChangeProbe() { Release(); }
  ChangeProbe(const ChangeProbe&) = delete;
  ChangeProbe& operator=(const ChangeProbe&) = delete;

  // A reading that equals no earlier one when the pragmas fail.
  Reading Read() noexcept;
  // Rows changed may be gone again without the change counter noticing:
  // a rollback to a savepoint, which the hook does not see, is reported.
  void NoteRollback() noexcept { ++rollbacks_; }
  // Finalizes the statements (before the connection closes).
  void Release() noexcept;

 private:
  bool Prepared() noexcept;

  sqlite3* db_;
  sqlite3_stmt* schema_ = nullptr;
  sqlite3_stmt* data_ = nullptr;
  int64_t rollbacks_ = 0;
  int64_t failures_ = 0;
};

}  // namespace albumcore::store::dao
