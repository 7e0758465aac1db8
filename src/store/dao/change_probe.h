// Tells whether anything a connection sees may have changed since an
// earlier reading: commits by any connection, rows this connection changed
// (inside its open transaction, too), its rollbacks, and schema changes it
// made.
//
// Commits show in the file. On a file in write-ahead-log mode (every
// read-write session) the probe looks where SQLite itself looks at the
// start of each read transaction: the header of the WAL index in the -shm
// shared memory, which every commit by any process rewrites (its change
// counter, last frame and salts; the layout is part of SQLite's file
// format). Reading those 48 bytes takes no lock, no system call and no
// transaction. A header caught half-written counts as a change. Otherwise
// (a read-only session, a file in rollback-journal mode) a reading runs
// PRAGMA schema_version and data_version in one short read transaction.
//
// Caches of things read from the file keep the reading they were filled
// under, taken before the read, and read again when it differs.
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <optional>

namespace albumcore::store::dao {

class ChangeProbe {
 public:
  struct Reading {
    std::array<uint32_t, 12> file{};  // the WAL-index header, or schema and data version
    int64_t changes = -1;
    int64_t rollbacks = -1;
    int64_t schemaEdits = -1;
    uint32_t failure = 0;  // nonzero and new each time the file could not be read
    friend bool operator==(const Reading&, const Reading&) = default;
  };

  // Counts the connection's rollbacks through SQLite's rollback hook.
  explicit ChangeProbe(sqlite3* db);
  ~ChangeProbe() { Release(); }
  ChangeProbe(const ChangeProbe&) = delete;
  ChangeProbe& operator=(const ChangeProbe&) = delete;

  // Reads the WAL index from now on, when the connection is in WAL mode and
  // its index is mapped (after the session switched to WAL). The session
  // must stay in WAL mode from then on. False when it stays with pragmas.
  bool WatchWalIndex() noexcept;
  bool watchingWalIndex() const noexcept { return watchWal_; }

  // A reading that equals no earlier one when the file cannot be read.
  Reading Read() noexcept;
  // PRAGMA main.data_version: changes with every commit of another
  // connection, never with this one's. Nullopt when it cannot be read.
  std::optional<int64_t> OthersDataVersion() noexcept;
  // PRAGMA main.schema_version: opens a read transaction unless one is
  // open. Raises the engine's error (a locked or damaged file).
  int64_t SchemaVersion();

  // Rows changed may be gone again without the change counter noticing:
  // a rollback to a savepoint, which the hook does not see, is reported.
  void NoteRollback() noexcept { ++rollbacks_; }
  // This connection changed the schema; inside a transaction the file does
  // not show it yet.
  void NoteSchemaChange() noexcept { ++schemaEdits_; }
  // Finalizes the statements (before the connection closes).
  void Release() noexcept;

 private:
  // The WAL-index header, mapped by the connection; null when not (yet).
  const volatile uint32_t* WalIndex() const noexcept;
  bool ReadWalIndex(std::array<uint32_t, 12>& header) const noexcept;
  bool ReadPragmas(std::array<uint32_t, 12>& file) noexcept;

  sqlite3* db_;
  bool watchWal_ = false;
  sqlite3_stmt* schema_ = nullptr;
  sqlite3_stmt* data_ = nullptr;
  int64_t rollbacks_ = 0;
  int64_t schemaEdits_ = 0;
  uint32_t failures_ = 0;
};

}  // namespace albumcore::store::dao
