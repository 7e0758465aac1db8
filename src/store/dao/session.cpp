#include "store/dao/session.h"

#include <sys/stat.h>
#include <unistd.h>

#include "store/dao/errors.h"
#include "store/dao/stored_queries.h"
#include "store/dao/system_tables.h"
#include "store/jetsql/connection.h"
#include "store/jetsql/sql_quoting.h"

namespace albumcore::store::dao {

namespace {

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// One pragma whose failure means the file is not a usable database.
void Pragma(sqlite3* db, const char* sql, bool readOnlyOk) {
  char* error = nullptr;
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &error);
  sqlite3_free(error);
  if (rc == SQLITE_OK || (readOnlyOk && (rc & 0xFF) == SQLITE_READONLY)) return;
  if ((rc & 0xFF) == SQLITE_NOTADB || (rc & 0xFF) == SQLITE_CORRUPT)
    ThrowJet(jeterr::kBadFormat, "Unrecognized database format");
  ThrowEngineError(db, rc);
}

// Holds a read transaction across a few reads, so they see one snapshot:
// BEGIN when the connection is in autocommit mode, nothing when a
// transaction is open already. Nothing is written inside, so ending it
// after a failure is a COMMIT too (a ROLLBACK would count as one).
class ReadScope {
 public:
  explicit ReadScope(sqlite3* db) : db_(sqlite3_get_autocommit(db) ? db : nullptr) {
    if (db_ != nullptr) Run("BEGIN");
  }
  ~ReadScope() {
    if (db_ != nullptr && sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
      sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  ReadScope(const ReadScope&) = delete;
  ReadScope& operator=(const ReadScope&) = delete;
  void End() {
    if (db_ != nullptr) Run("COMMIT");
    db_ = nullptr;
  }

 private:
  void Run(const char* sql) {
    const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) ThrowEngineError(db_, rc);
  }
  sqlite3* db_;
};

// A read-only session opens the file read-write under query_only when it
// can and no -wal file lies beside it: SQLite then removes the -wal and
// -shm files it makes for a WAL-mode file when the session closes (there
// is nothing to fold back into the file). A read-only handle would leave
// them behind; it is used when the file is not writable, and when a -wal
// file exists, which belongs to another connection (or to a crash) and
// must not be folded into the file by a command that only reads.
int OpenFlags(const std::string& path, Access access) {
  if (access == Access::ReadWrite) return SQLITE_OPEN_READWRITE;
  if (::access(path.c_str(), W_OK) != 0 || FileExists(path + "-wal")) return SQLITE_OPEN_READONLY;
  return SQLITE_OPEN_READWRITE;
}

}  // namespace

std::shared_ptr<Session> Session::Open(const std::string& path, const SqlLimits& limits, Access access) {
  if (path.empty() || !FileExists(path)) ThrowJet(jeterr::kFileNotFound, "Could not find file '" + path + "'");
  sqlite3* db = nullptr;
  const int flags = OpenFlags(path, access);
  const int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    ThrowJet(jeterr::kFileNotFound, "Could not open file '" + path + "'");
  }
  std::shared_ptr<Session> session(new Session(path, access, db, limits));
  sqlite3_busy_timeout(db, 5000);
  jetsql::ConfigureConnection(db);
  if (access == Access::ReadOnly) Pragma(db, "PRAGMA query_only=ON", false);
  ProtectSystemTables(db);
  Pragma(db, "SELECT count(*) FROM sqlite_schema", false);
  if (access == Access::ReadWrite) {
    Pragma(db, "PRAGMA journal_mode=WAL", true);
    Pragma(db, "PRAGMA synchronous=NORMAL", false);
    session->probe_->WatchWalIndex();  // otherwise readings take a transaction each
  }
  return session;
}

Session::Session(std::string path, Access access, sqlite3* db, const SqlLimits& limits)
    : path_(std::move(path)),
      access_(access),
      limits_(limits),
      db_(db),
      budget_(std::make_unique<StatementBudget>(db, limits.statementBudget)),
      openMark_(std::make_unique<OpenCatalogueMark>(path_)),
      statements_(std::make_unique<StatementCache>(db)),
      catalog_(std::make_unique<jetsql::SqliteSchemaCatalog>(db, kStoredQueryTable)),
      translator_(std::make_unique<jetsql::Translator>(*catalog_)),
      probe_(std::make_unique<ChangeProbe>(db)) {
  // Translating a statement reads the files it names: the same rule as attaching them.
  catalog_->SetExternalFileGate([this](const std::string& file) { return ResolveExternalFile(limits_.externalFiles, file); });
}

Session::~Session() { Close(); }

sqlite3* Session::db() const {
  if (db_ == nullptr) ThrowJet(jeterr::kObjectClosed, "Object invalid or no longer set");
  return db_;
}

StatementCache& Session::statements() {
  db();
  return *statements_;
}

jetsql::SqliteSchemaCatalog& Session::catalog() {
  db();
  return *catalog_;
}

std::shared_ptr<const jetsql::Translation> Session::Translate(std::string_view jet) {
  db();
  return translator_->Translate(jet);
}

void Session::ForgetTranslations() {
  translator_->ClearCache();
  storedQueries_.Clear();
}

std::shared_ptr<StoredQuery> Session::ReadStoredQueryEntry(std::string_view name,
                                                          const ChangeProbe::Reading& reading) {
  ReadScope scope(db_);
  auto query = std::make_shared<StoredQuery>();
  query->edits = StoredQueryEdits();
  query->othersVersion = probe_->OthersDataVersion();
  query->schema = probe_->SchemaVersion();
  auto text = ReadStoredQuery(statements(), db_, name);
  scope.End();
  if (!text) return nullptr;
  query->text = std::move(*text);
  query->checked = reading;
  return query;
}

std::shared_ptr<StoredQuery> Session::FindStoredQuery(std::string_view name) {
  db();
  // Taken before the read: a commit landing in between makes the next
  // reading differ, and the query is read once more.
  const ChangeProbe::Reading now = probe_->Read();
  auto cached = storedQueries_.Find(name);
  if (cached && cached->checked == now) return cached;
  // The file changed: after a commit of this connection alone (the common
  // case: an object writes a row, then looks its query up again) the text
  // still holds.
  if (cached && now.failure == 0 && now.rollbacks == cached->checked.rollbacks &&
      now.schemaEdits == cached->checked.schemaEdits && cached->edits == StoredQueryEdits() &&
      cached->othersVersion && cached->othersVersion == probe_->OthersDataVersion()) {
    cached->checked = now;
    return cached;
  }
  auto fresh = ReadStoredQueryEntry(name, now);
  if (!fresh) {
    storedQueries_.Forget(name);
    return nullptr;
  }
  // Unchanged text under the same schema keeps its translation.
  if (cached && cached->text == fresh->text && cached->schema == fresh->schema) {
    cached->checked = now;
    cached->othersVersion = fresh->othersVersion;
    cached->edits = fresh->edits;
    return cached;
  }
  storedQueries_.Keep(name, fresh);
  return fresh;
}

std::shared_ptr<const jetsql::Translation> Session::Translate(StoredQuery& query) {
  if (!query.translation) query.translation = Translate(query.text);
  return query.translation;
}

void Session::Register(SessionClient* client) noexcept {
  if (client->linked_) return;
  client->prev_ = nullptr;
  client->next_ = clients_;
  if (clients_ != nullptr) clients_->prev_ = client;
  clients_ = client;
  client->linked_ = true;
}

void Session::Unregister(SessionClient* client) noexcept {
  if (!client->linked_) return;
  if (client->prev_ != nullptr) client->prev_->next_ = client->next_;
  else clients_ = client->next_;
  if (client->next_ != nullptr) client->next_->prev_ = client->prev_;
  client->prev_ = client->next_ = nullptr;
  client->linked_ = false;
}

void Session::ForgetStatements() noexcept {
  if (statements_) statements_->Clear();
  if (probe_) probe_->NoteSchemaChange();
}

void Session::Exec(const std::string& sql) {
  const RightsScope adapter(SqlRights::Adapter);
  char* error = nullptr;
  const int rc = sqlite3_exec(db(), sql.c_str(), nullptr, nullptr, &error);
  sqlite3_free(error);
  if (rc != SQLITE_OK) ThrowEngineError(db_, rc);
}

void Session::FollowAutomaticRollback() noexcept {
  if (depth_ == 0 || db_ == nullptr || sqlite3_get_autocommit(db_) == 0) return;
  lostLevels_ = depth_;
  depth_ = 0;
  probe_->NoteRollback();
}

void Session::BeginTrans() {
  FollowAutomaticRollback();
  lostLevels_ = 0;
  Exec(depth_ == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT dao_" + std::to_string(depth_));
  ++depth_;
}

void Session::CommitTrans() {
  FollowAutomaticRollback();
  if (depth_ == 0 && lostLevels_ > 0) {
    --lostLevels_;
    ThrowJet(jeterr::kInvalidOperation, "The transaction was rolled back when a statement in it failed; nothing was committed.");
  }
  if (depth_ == 0) ThrowJet(jeterr::kInvalidOperation, "CommitTrans without BeginTrans");
  Exec(depth_ == 1 ? "COMMIT" : "RELEASE dao_" + std::to_string(depth_ - 1));
  --depth_;
}

void Session::Rollback() {
  FollowAutomaticRollback();
  if (depth_ == 0 && lostLevels_ > 0) {
    --lostLevels_;  // rolled back already
    return;
  }
  if (depth_ == 0) ThrowJet(jeterr::kInvalidOperation, "Rollback without BeginTrans");
  probe_->NoteRollback();  // savepoints roll back without SQLite's rollback hook
  if (depth_ == 1) {
    Exec("ROLLBACK");
  } else {
    const std::string name = "dao_" + std::to_string(depth_ - 1);
    Exec("ROLLBACK TO " + name + "; RELEASE " + name);
  }
  --depth_;
}

void Session::Close() noexcept {
  if (db_ == nullptr) return;
  // Clients unregister themselves while being told.
  while (clients_ != nullptr) {
    SessionClient* client = clients_;
    Unregister(client);
    client->OnSessionClosing();
  }
  if (depth_ > 0) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  depth_ = 0;
  statements_->Clear();
  probe_->Release();
  storedQueries_.Clear();
  sqlite3_close_v2(db_);
  db_ = nullptr;
  openMark_.reset();
}

AttachedFiles::AttachedFiles(Session& session, const std::vector<jetsql::Attachment>& files) : db_(session.db()) {
  try {
    for (const auto& file : files) {
      const std::string reachable = ResolveExternalFile(session.limits().externalFiles, file.file);
      Statement s = session.statements().Acquire("ATTACH DATABASE ?1 AS " + jetsql::QuoteIdentifier(file.schema), false);
      sqlite3_bind_text(s.get(), 1, reachable.c_str(), -1, SQLITE_TRANSIENT);
      const int rc = sqlite3_step(s.get());
      if (rc != SQLITE_DONE) ThrowEngineError(db_, rc);
      attached_.push_back(file.schema);
    }
  } catch (...) {
    DetachAll();
    throw;
  }
}

AttachedFiles::~AttachedFiles() { DetachAll(); }

void AttachedFiles::DetachAll() noexcept {
  while (!attached_.empty()) {
    const std::string sql = "DETACH DATABASE " + jetsql::QuoteIdentifier(attached_.back());
    sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
    attached_.pop_back();
  }
}

}  // namespace albumcore::store::dao
