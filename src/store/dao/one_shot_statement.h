// A statement the adapter prepares for one use in its own bookkeeping (stored
// queries, relations, table definitions): prepared at construction,
// finalized at destruction. It is prepared and stepped with the adapter's
// rights (system_tables.h), so it may write the system tables SQL text
// cannot; never run text from a client through it. Every failure raises the
// Jet status of the connection's error (errors.h). Statements that run
// again and again on a session go through the StatementCache instead.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace albumcore::store::dao {

class OneShotStatement {
 public:
  OneShotStatement(sqlite3* db, std::string_view sql);
  ~OneShotStatement() { sqlite3_finalize(stmt_); }
  OneShotStatement(const OneShotStatement&) = delete;
  OneShotStatement& operator=(const OneShotStatement&) = delete;

  // Parameters are numbered from 1; text and bytes are copied.
  OneShotStatement& Bind(int index, std::string_view text);
  OneShotStatement& Bind(int index, int64_t value);
  OneShotStatement& Bind(int index, double value);
  OneShotStatement& BindBlob(int index, std::string_view bytes);
  OneShotStatement& BindNull(int index);
  // Makes the statement ready to run again with new bindings.
  void Reset() noexcept { sqlite3_reset(stmt_); }

  // True with a row to read, false when done.
  bool Step();
  // Steps to the end, for statements that return nothing.
  void Run() {
    while (Step()) {
    }
  }

  std::string Text(int column) const;  // "" for NULL
  int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
  bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

 private:
  OneShotStatement& Check(int rc);

  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace albumcore::store::dao
