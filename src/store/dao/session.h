// One open catalogue file: the SQLite connection and everything tied to it
// (schema catalogue, Jet translator, prepared statements, transaction depth,
// open cursors). Database, QueryDef, Recordset and TableDef objects share a
// Session; the file closes when the last of them lets go, or at Close().
//
// Journal mode: write-ahead log with synchronous=NORMAL. A commit appends to
// the -wal file before it returns, so a process killed at any point leaves
// every committed transaction readable and the uncommitted tail ignored;
// only a power cut may lose the last commits (never consistency). Jet makes
// every Update outside a transaction a transaction of its own, and the
// catalogue writes row by row, so the rollback journal's two fsyncs per
// commit would dominate. WAL leaves -wal and -shm files beside the
// catalogue while connections are open: the compaction at close runs after
// the last connection closed (SQLite checkpoints and removes them then), and
// CompactDatabase itself checkpoints the source before copying.
//
// SQL text run on a session is confined (sql_limits.h): system tables are
// read-only to it (system_tables.h), IN "file" reaches only the files the
// limits allow (external_files.h), and each run has a time budget
// (statement_budget.h).
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "store/dao/change_probe.h"
#include "store/dao/external_files.h"
#include "store/dao/sql_limits.h"
#include "store/dao/statement_budget.h"
#include "store/dao/statement_cache.h"
#include "store/dao/stored_query_cache.h"
#include "store/jetsql/sqlite_catalog.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::dao {

// Something that holds statements of a session and must let go of them
// when the session closes (a recordset). Clients are linked into the
// session's list in place: recordsets come and go by the thousand.
class SessionClient {
 public:
  virtual void OnSessionClosing() noexcept = 0;

 protected:
  virtual ~SessionClient() = default;

 private:
  friend class Session;
  SessionClient* prev_ = nullptr;
  SessionClient* next_ = nullptr;
  bool linked_ = false;
};

// How a file is opened. ReadOnly leaves the file as it is, byte for byte (no
// journal mode switched, nothing written, no -wal or -shm file left behind
// that was not there); every write raises 3027.
enum class Access { ReadWrite, ReadOnly };

class Session {
 public:
  // Opens an existing catalogue, shared. 3024 when the file does not exist,
  // 3343 when it is not a database.
  static std::shared_ptr<Session> Open(const std::string& path, const SqlLimits& limits = {},
                                       Access access = Access::ReadWrite);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  const std::string& path() const { return path_; }
  const SqlLimits& limits() const { return limits_; }
  Access access() const { return access_; }
  bool closed() const { return db_ == nullptr; }
  // The connection; 3420 after Close().
  sqlite3* db() const;
  StatementCache& statements();
  jetsql::SqliteSchemaCatalog& catalog();

  std::shared_ptr<const jetsql::Translation> Translate(std::string_view jet);
  // Stored queries changed: translations that named them may be stale.
  void ForgetTranslations();
  // This connection changed the schema: prepared statements kept idle in the
  // cache would answer with the old columns until SQLite re-prepares them.
  void ForgetStatements() noexcept;

  // The stored query `name` as the file holds it now; nullptr when there is
  // none. Answered from the cache while the change probe shows nothing new
  // (free on a WAL file); its translation, once someone made it, comes along.
  std::shared_ptr<StoredQuery> FindStoredQuery(std::string_view name);
  // The translation of a stored query, made once per entry.
  std::shared_ptr<const jetsql::Translation> Translate(StoredQuery& query);

  // Runs the adapter's own SQLite text (schema changes, with the adapter's
  // rights) without parameters or results.
  void Exec(const std::string& sql);

  // Times one run of SQL text (statement_budget.h): hold it while stepping.
  // A statement it stops fails with 3234 naming the budget.
  [[nodiscard]] StatementBudget::Run TimeRun() { return budget_->Start(); }

  // Nested transactions; the outermost is a real transaction, inner ones
  // savepoints. Without one, every statement commits by itself. When SQLite
  // rolled the transaction back by itself (a write stopped by the budget,
  // a full disk), Rollback of each level then succeeds and CommitTrans
  // fails with 3219.
  void BeginTrans();
  void CommitTrans();
  void Rollback();
  // Levels begun and not yet committed or rolled back (those SQLite rolled
  // back by itself included: each still takes its Rollback).
  int openTransactions() const { return depth_ + lostLevels_; }
  // SQLite rolled the open transaction back by itself.
  bool transactionLost() const {
    return lostLevels_ > 0 || (depth_ > 0 && db_ != nullptr && sqlite3_get_autocommit(db_) != 0);
  }

  void Register(SessionClient* client) noexcept;
  void Unregister(SessionClient* client) noexcept;

  // Lets go of every statement and closes the file.
  void Close() noexcept;

 private:
  Session(std::string path, Access access, sqlite3* db, const SqlLimits& limits);
  // Notices a transaction SQLite rolled back by itself.
  void FollowAutomaticRollback() noexcept;
  // The stored query as the file holds it, checked under `reading`.
  std::shared_ptr<StoredQuery> ReadStoredQueryEntry(std::string_view name, const ChangeProbe::Reading& reading);

  std::string path_;
  Access access_;
  SqlLimits limits_;
  sqlite3* db_;
  std::unique_ptr<StatementBudget> budget_;
  std::unique_ptr<OpenCatalogueMark> openMark_;
  std::unique_ptr<StatementCache> statements_;
  std::unique_ptr<jetsql::SqliteSchemaCatalog> catalog_;
  std::unique_ptr<jetsql::Translator> translator_;
  std::unique_ptr<ChangeProbe> probe_;
  StoredQueryCache storedQueries_;
  int depth_ = 0;
  int lostLevels_ = 0;  // levels of a transaction SQLite rolled back
  SessionClient* clients_ = nullptr;  // most recently registered first
};

// Attaches the external files a translation names for as long as it lives;
// detaches them (even after a failure) when it goes. 3024 for a missing
// file, and for one the session's limits do not reach.
class AttachedFiles {
 public:
  AttachedFiles(Session& session, const std::vector<jetsql::Attachment>& files);
  ~AttachedFiles();
  AttachedFiles(const AttachedFiles&) = delete;
  AttachedFiles& operator=(const AttachedFiles&) = delete;
  bool empty() const { return attached_.empty(); }

 private:
  void DetachAll() noexcept;

  sqlite3* db_;
  std::vector<std::string> attached_;
};

}  // namespace albumcore::store::dao
