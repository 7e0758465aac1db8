#include "store/jetsql/sql_quoting.h"
#include "store/dao/repair.h"

#include <sqlite3.h>
#include <unistd.h>

#include <limits>
#include <vector>

#include "store/dao/errors.h"
#include "store/dao/file_ops.h"
#include "store/dao/stored_queries.h"
#include "store/jetsql/connection.h"

namespace albumcore::store::dao {

namespace {

class Connection {
 public:
  Connection(const std::string& path, int flags) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
      sqlite3_close(db_);
      db_ = nullptr;
      ThrowJet(jeterr::kFileNotFound, "Could not open file '" + path + "'");
    }
    jetsql::ConfigureConnection(db_);
  }
  ~Connection() { Close(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  sqlite3* get() const { return db_; }
  void Close() {
    if (db_ != nullptr) sqlite3_close_v2(db_);
    db_ = nullptr;
  }
  int Exec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr); }

 private:
  sqlite3* db_ = nullptr;
};

class Stmt {
 public:
  Stmt(sqlite3* db, const std::string& sql) { rc_ = sqlite3_prepare_v2(db, sql.c_str(), -1, &s_, nullptr); }
  ~Stmt() { sqlite3_finalize(s_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;
  bool ok() const { return rc_ == SQLITE_OK && s_ != nullptr; }
  sqlite3_stmt* get() const { return s_; }

 private:
  sqlite3_stmt* s_ = nullptr;
  int rc_;
};

struct SchemaEntry {
  std::string type, name, sql;
};

bool IntegrityOk(sqlite3* db) {
  Stmt check(db, "PRAGMA integrity_check");
  if (!check.ok()) return false;
  std::vector<std::string> lines;
  int rc;
  while ((rc = sqlite3_step(check.get())) == SQLITE_ROW) {
    const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
    lines.push_back(t != nullptr ? t : "");
  }
  return rc == SQLITE_DONE && lines.size() == 1 && lines[0] == "ok";
}

std::vector<SchemaEntry> ReadSchema(sqlite3* db) {
  Stmt s(db, "SELECT type, name, sql FROM sqlite_schema WHERE sql IS NOT NULL");
  if (!s.ok()) {
    if ((sqlite3_errcode(db) & 0xFF) == SQLITE_NOTADB) ThrowJet(jeterr::kBadFormat, "Unrecognized database format");
    ThrowJet(jeterr::kCorrupt, "the schema of the database cannot be read");
  }
  std::vector<SchemaEntry> entries;
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
    auto text = [&](int i) {
      const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), i));
      return std::string(t != nullptr ? t : "");
    };
    entries.push_back({text(0), text(1), text(2)});
  }
  if (rc != SQLITE_DONE) ThrowJet(jeterr::kCorrupt, "the schema of the database cannot be read");
  return entries;
}

// Copies rows of one table, passing over the places that do not read.
class TableCopier {
 public:
  TableCopier(sqlite3* from, sqlite3* to, const std::string& table, RepairReport& report)
      : from_(from), to_(to), table_(jetsql::QuoteIdentifier(table)), report_(report) {}

  void Run() {
    Stmt read(from_, "SELECT rowid, * FROM " + table_ + " WHERE rowid >= ?1 ORDER BY rowid");
    if (!read.ok()) {
      CopyWithoutRowid();
      return;
    }
    const int columns = sqlite3_column_count(read.get());
    std::string insert = "INSERT OR IGNORE INTO " + table_ + " (rowid";
    std::string values = ") VALUES (?1";
    for (int i = 1; i < columns; ++i) {
      insert += ", " + jetsql::QuoteIdentifier(sqlite3_column_name(read.get(), i));
      values += ", ?" + std::to_string(i + 1);
    }
    Stmt write(to_, insert + values + ")");
    if (!write.ok()) return;
    int64_t start = std::numeric_limits<int64_t>::min();
    for (;;) {
      sqlite3_reset(read.get());
      sqlite3_bind_int64(read.get(), 1, start);
      int64_t next = start;
      int rc;
      while ((rc = sqlite3_step(read.get())) == SQLITE_ROW) {
        const int64_t rowid = sqlite3_column_int64(read.get(), 0);
        for (int i = 0; i < columns; ++i) sqlite3_bind_value(write.get(), i + 1, sqlite3_column_value(read.get(), i));
        if (sqlite3_step(write.get()) == SQLITE_DONE) ++report_.rowsCopied;
        sqlite3_reset(write.get());
        if (rowid == std::numeric_limits<int64_t>::max()) return;
        next = rowid + 1;
      }
      if (rc == SQLITE_DONE) return;
      ++report_.gapsSkipped;
      auto resume = ResumePoint(next);
      if (!resume) return;
      start = *resume;
    }
  }

 private:
  // 1: a row at or after `rowid` reads, 0: nothing after it, -1: unreadable.
  int Probe(int64_t rowid) {
    Stmt probe(from_, "SELECT * FROM " + table_ + " WHERE rowid >= ?1 ORDER BY rowid LIMIT 1");
    if (!probe.ok()) return -1;
    sqlite3_bind_int64(probe.get(), 1, rowid);
    const int rc = sqlite3_step(probe.get());
    return rc == SQLITE_ROW ? 1 : rc == SQLITE_DONE ? 0 : -1;
  }

  // The smallest rowid after `from` at which reading works again.
  std::optional<int64_t> ResumePoint(int64_t from) {
    int64_t bad = from;  // reading from here fails
    int64_t step = 1;
    int64_t good = 0;
    for (;;) {
      if (bad > std::numeric_limits<int64_t>::max() - step) return std::nullopt;
      const int64_t candidate = bad + step;
      const int r = Probe(candidate);
      if (r == 0) return std::nullopt;
      if (r == 1) {
        good = candidate;
        break;
      }
      bad = candidate;
      if (step > std::numeric_limits<int64_t>::max() / 2) return std::nullopt;
      step *= 2;
    }
    while (good - bad > 1) {
      const int64_t mid = bad + (good - bad) / 2;
      if (Probe(mid) == 1) good = mid;
      else bad = mid;
    }
    return good;
  }

  void CopyWithoutRowid() {
    Stmt read(from_, "SELECT * FROM " + table_);
    if (!read.ok()) return;
    const int columns = sqlite3_column_count(read.get());
    std::string insert = "INSERT OR IGNORE INTO " + table_ + " VALUES (";
    for (int i = 0; i < columns; ++i) insert += (i ? ", ?" : "?") + std::to_string(i + 1);
    Stmt write(to_, insert + ")");
    if (!write.ok()) return;
    while (sqlite3_step(read.get()) == SQLITE_ROW) {
      for (int i = 0; i < columns; ++i) sqlite3_bind_value(write.get(), i + 1, sqlite3_column_value(read.get(), i));
      if (sqlite3_step(write.get()) == SQLITE_DONE) ++report_.rowsCopied;
      sqlite3_reset(write.get());
    }
  }

  sqlite3* from_;
  sqlite3* to_;
  std::string table_;
  RepairReport& report_;
};

void Rebuild(sqlite3* from, const std::string& target, RepairReport& report) {
  const auto schema = ReadSchema(from);
  Connection to(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
  to.Exec("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN");
  for (const auto& e : schema)
    if (e.type == "table" && e.name.rfind("sqlite_", 0) != 0) to.Exec(e.sql);
  for (const auto& e : schema)
    if (e.type == "table" && e.name.rfind("sqlite_", 0) != 0) TableCopier(from, to.get(), e.name, report).Run();
  {
    // Counters continue after the highest number ever given out.
    Stmt seq(from, "SELECT name, seq FROM sqlite_sequence");
    Stmt put(to.get(), "INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)");
    if (seq.ok() && put.ok()) {
      to.Exec("DELETE FROM sqlite_sequence");
      while (sqlite3_step(seq.get()) == SQLITE_ROW) {
        sqlite3_bind_value(put.get(), 1, sqlite3_column_value(seq.get(), 0));
        sqlite3_bind_value(put.get(), 2, sqlite3_column_value(seq.get(), 1));
        sqlite3_step(put.get());
        sqlite3_reset(put.get());
      }
    }
  }
  // An index whose rows now conflict, or a view or trigger that no longer
  // prepares, is left out rather than losing the rows.
  for (const char* type : {"index", "view", "trigger"})
    for (const auto& e : schema)
      if (e.type == type) to.Exec(e.sql);
  if (to.Exec("COMMIT") != SQLITE_OK) ThrowEngineError(to.get(), sqlite3_errcode(to.get()));
  to.Close();
}

}  // namespace

RepairReport RepairFile(const std::string& path) {
  RepairReport report;
  Connection from(path, SQLITE_OPEN_READWRITE);
  {
    Stmt header(from.get(), "SELECT count(*) FROM sqlite_schema");
    if (!header.ok() && (sqlite3_errcode(from.get()) & 0xFF) == SQLITE_NOTADB)
      ThrowJet(jeterr::kBadFormat, "Unrecognized database format");
  }
  if (IntegrityOk(from.get())) return report;
  report.damaged = true;
  const std::string temporary = TemporarySibling(path);
  try {
    Rebuild(from.get(), temporary, report);
    from.Close();
    RemoveSideFiles(path);
    SyncAndRename(temporary, path);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  return report;
}

}  // namespace albumcore::store::dao
