#include "store/dao/repair.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

#include "store/dao/errors.h"
#include "store/dao/file_ops.h"
#include "store/dao/one_shot_statement.h"
#include "store/dao/page_salvage.h"
#include "store/jetsql/ascii.h"
#include "store/jetsql/connection.h"
#include "store/jetsql/sql_quoting.h"

namespace albumcore::store::dao {

namespace {

constexpr const char* kSequenceTable = "sqlite_sequence";
constexpr const char* kDamagedSuffix = ".damaged";

// A connection of our own, with the collation and functions the schema names.
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

 private:
  sqlite3* db_ = nullptr;
};

// Folds the log into the file, then asks SQLite whether the file is intact.
bool Intact(const std::string& path) {
  Connection db(path, SQLITE_OPEN_READWRITE);
  if (sqlite3_exec(db.get(), "PRAGMA wal_checkpoint(TRUNCATE)", nullptr, nullptr, nullptr) != SQLITE_OK)
    std::cerr << path << ": the log could not be folded into the file: " << sqlite3_errmsg(db.get()) << "\n";
  try {
    OneShotStatement check(db.get(), "PRAGMA integrity_check");
    return check.Step() && check.Text(0) == "ok" && !check.Step();
  } catch (const com::ComError& e) {
    if (e.hr() == com::JetError(jeterr::kBadFormat)) throw;
    return false;  // not even the check runs: damaged
  }
}

bool StartsWithWords(std::string_view sql, std::initializer_list<std::string_view> words) {
  size_t pos = 0;
  for (const std::string_view word : words) {
    while (pos < sql.size() && std::isspace(static_cast<unsigned char>(sql[pos]))) ++pos;
    if (!jetsql::IEquals(sql.substr(pos, word.size()), word)) return false;
    pos += word.size();
    if (pos < sql.size() && !std::isspace(static_cast<unsigned char>(sql[pos]))) return false;
  }
  return true;
}

// The schema text of a damaged file is data: run it only when it is the one
// CREATE statement its entry says it is. Nullopt on success, else the reason.
std::optional<std::string> CreateObject(sqlite3* db, const SchemaRow& entry) {
  const bool expected = entry.type == "table"   ? StartsWithWords(entry.sql, {"CREATE", "TABLE"})
                        : entry.type == "view"  ? StartsWithWords(entry.sql, {"CREATE", "VIEW"})
                        : entry.type == "trigger" ? StartsWithWords(entry.sql, {"CREATE", "TRIGGER"})
                        : StartsWithWords(entry.sql, {"CREATE", "INDEX"}) ||
                              StartsWithWords(entry.sql, {"CREATE", "UNIQUE", "INDEX"});
  if (!expected) return "its definition is not a CREATE " + jetsql::Upper(entry.type) + " statement";
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(db, entry.sql.c_str(), static_cast<int>(entry.sql.size()), &stmt, &tail);
  if (rc == SQLITE_OK && tail != nullptr)
    for (; *tail != '\0'; ++tail)
      if (!std::isspace(static_cast<unsigned char>(*tail)) && *tail != ';') rc = SQLITE_MISUSE;
  if (rc == SQLITE_OK) rc = sqlite3_step(stmt) == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
  std::string error = rc == SQLITE_MISUSE ? "its definition holds more than one statement" : sqlite3_errmsg(db);
  sqlite3_finalize(stmt);
  if (rc == SQLITE_OK) return std::nullopt;
  return error;
}

// The new file, filled row by row.
class RebuiltFile final : public RowSink {
 public:
  RebuiltFile(const std::string& path, const FileHeader& header) : db_(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) {
    // Nothing else sees the file before it is complete and synced, so it
    // needs no journal; triggers and relations are added after the rows.
    Exec("PRAGMA page_size = " + std::to_string(header.pageSize));
    Exec(std::string("PRAGMA auto_vacuum = ") + (header.incrementalVacuum ? "2" : header.autoVacuum ? "1" : "0"));
    Exec("PRAGMA journal_mode = OFF");
    Exec("PRAGMA synchronous = OFF");
    Exec("PRAGMA foreign_keys = OFF");
    Exec("BEGIN");
  }

  // Tables and their indexes; the shapes of the tables made.
  std::vector<TableShape> CreateLayout(const std::vector<SchemaRow>& schema, RepairReport& report) {
    for (const auto& e : schema) {
      if (e.type != "table" || jetsql::IEquals(e.name.substr(0, 7), "sqlite_")) continue;
      if (auto error = CreateObject(db_.get(), e)) {
        report.notRestored.push_back("table " + e.name + ": " + *error);
        continue;
      }
      if (jetsql::Upper(e.sql).find("WITHOUT ROWID") != std::string::npos) {
        report.notRestored.push_back("rows of table " + e.name + ": a table without rowids is not read page by page");
        continue;
      }
      AddShape(e.name, e.root);
    }
    // SQLite made it with the first AUTOINCREMENT table.
    for (const auto& e : schema)
      if (e.type == "table" && jetsql::IEquals(e.name, kSequenceTable) && HasTable(kSequenceTable)) AddShape(e.name, e.root);
    for (const auto& e : schema)
      if (e.type == "index" && !e.sql.empty())
        if (auto error = CreateObject(db_.get(), e)) report.notRestored.push_back("index " + e.name + ": " + *error);
    return shapes_;
  }

  void Put(size_t table, int64_t rowid, const Record& values, bool partial) override {
    if (jetsql::IEquals(shapes_[table].name, kSequenceTable)) {
      if (values.size() == 2 && values[0].kind == RecordValue::Kind::Text && values[1].kind == RecordValue::Kind::Integer)
        counters_.emplace_back(values[0].bytes, values[1].integer);
      return;
    }
    OneShotStatement* insert = InsertFor(table, values.size());
    if (insert == nullptr) return;
    try {
      insert->Reset();
      insert->Bind(1, rowid);
      int parameter = 2;
      for (size_t i = 0; i < values.size(); ++i)
        if (static_cast<int>(i) != shapes_[table].rowidColumn) Bind(*insert, parameter++, values[i]);
      insert->Run();
      // ON CONFLICT IGNORE in the layout drops a duplicate without an error.
      if (sqlite3_changes(db_.get()) > 0) {
        kept_[table].push_back(rowid);
        if (partial) ++partial_[table];
      }
    } catch (const com::ComError&) {
      // A row the rebuilt layout refuses (a duplicate key, a missing value)
      // counts as lost; the damaged copy still holds it.
    }
  }

  // Counters, views, triggers and header values, then the commit.
  void Finish(const std::vector<SchemaRow>& schema, const FileHeader& header, RepairReport& report) {
    for (const auto& [name, seq] : counters_) {
      // Never lower than the file said, so no AutoNumber is given out twice.
      OneShotStatement raise(db_.get(), "UPDATE sqlite_sequence SET seq = max(seq, ?2) WHERE name = ?1");
      raise.Bind(1, name).Bind(2, seq).Run();
      if (sqlite3_changes(db_.get()) == 0 && HasTable(name))
        OneShotStatement(db_.get(), "INSERT INTO sqlite_sequence (name, seq) VALUES (?1, ?2)").Bind(1, name).Bind(2, seq).Run();
    }
    for (const char* type : {"view", "trigger"})
      for (const auto& e : schema)
        if (e.type == type)
          if (auto error = CreateObject(db_.get(), e)) report.notRestored.push_back(e.type + " " + e.name + ": " + *error);
    Exec("PRAGMA user_version = " + std::to_string(header.userVersion));
    Exec("PRAGMA application_id = " + std::to_string(header.applicationId));
    Exec("COMMIT");
    db_.Close();
  }

  // Rowids written per table, sorted.
  std::vector<int64_t> Kept(size_t table) {
    auto& kept = kept_[table];
    std::sort(kept.begin(), kept.end());
    return kept;
  }
  int64_t Partial(size_t table) const { return partial_[table]; }

 private:
  struct Columns {
    std::vector<std::string> names;
    std::string rowidName;
  };

  void Exec(const std::string& sql) {
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) ThrowEngineError(db_.get(), rc);
  }

  bool HasTable(const std::string& name) {
    OneShotStatement s(db_.get(), "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ?1 COLLATE NOCASE");
    return s.Bind(1, name).Step();
  }

  void AddShape(const std::string& name, uint32_t root) {
    TableShape shape{name, root, {}, -1};
    Columns columns;
    int keyColumns = 0;
    int integerKey = -1;
    OneShotStatement info(db_.get(), "SELECT name, type, pk FROM pragma_table_info(?1)");
    info.Bind(1, name);
    while (info.Step()) {
      columns.names.push_back(info.Text(0));
      shape.columns.push_back(AffinityOf(info.Text(1)));
      if (info.Int(2) > 0) {
        ++keyColumns;
        if (jetsql::IEquals(info.Text(1), "INTEGER")) integerKey = static_cast<int>(shape.columns.size()) - 1;
      }
    }
    if (keyColumns == 1) shape.rowidColumn = integerKey;
    // Declared without types; its rows are a name and a number.
    if (jetsql::IEquals(name, kSequenceTable)) shape.columns = {Affinity::Text, Affinity::Integer};
    columns.rowidName = shape.rowidColumn >= 0 ? columns.names[static_cast<size_t>(shape.rowidColumn)] : "rowid";
    for (const char* alias : {"rowid", "_rowid_", "oid"}) {
      if (shape.rowidColumn >= 0) break;
      columns.rowidName = alias;
      if (std::none_of(columns.names.begin(), columns.names.end(),
                       [&](const std::string& c) { return jetsql::IEquals(c, alias); }))
        break;
    }
    shapes_.push_back(std::move(shape));
    columns_.push_back(std::move(columns));
    kept_.emplace_back();
    partial_.push_back(0);
  }

  // The insert for rows of `count` values (rows older than an added column
  // have fewer); null when the table has fewer columns than that.
  OneShotStatement* InsertFor(size_t table, size_t count) {
    const Columns& columns = columns_[table];
    if (count > columns.names.size()) return nullptr;
    auto& insert = inserts_[{table, count}];
    if (!insert) {
      std::string names = jetsql::QuoteIdentifier(columns.rowidName), values = "?1";
      int parameter = 2;
      for (size_t i = 0; i < count; ++i) {
        if (static_cast<int>(i) == shapes_[table].rowidColumn) continue;
        names += ", " + jetsql::QuoteIdentifier(columns.names[i]);
        values += ", ?" + std::to_string(parameter++);
      }
      insert = std::make_unique<OneShotStatement>(
          db_.get(), "INSERT INTO " + jetsql::QuoteIdentifier(shapes_[table].name) + " (" + names + ") VALUES (" + values + ")");
    }
    return insert.get();
  }

  static void Bind(OneShotStatement& s, int parameter, const RecordValue& v) {
    switch (v.kind) {
      case RecordValue::Kind::Null: s.BindNull(parameter); break;
      case RecordValue::Kind::Integer: s.Bind(parameter, v.integer); break;
      case RecordValue::Kind::Real: s.Bind(parameter, v.real); break;
      case RecordValue::Kind::Text: s.Bind(parameter, std::string_view(v.bytes)); break;
      case RecordValue::Kind::Blob: s.BindBlob(parameter, v.bytes); break;
    }
  }

  Connection db_;
  std::vector<TableShape> shapes_;
  std::vector<Columns> columns_;
  std::vector<std::vector<int64_t>> kept_;
  std::vector<int64_t> partial_;  // rows kept with values that did not read
  std::map<std::pair<size_t, size_t>, std::unique_ptr<OneShotStatement>> inserts_;
  std::vector<std::pair<std::string, int64_t>> counters_;
};

int64_t CountMissing(const std::vector<int64_t>& known, const std::vector<int64_t>& kept) {
  int64_t missing = 0;
  for (const int64_t rowid : known)
    if (!std::binary_search(kept.begin(), kept.end(), rowid)) ++missing;
  return missing;
}

// Keeps the damaged original as "<path>.damaged" (a second name for the same
// file where the file system allows, else a copy), with its log if it has one.
std::string KeepDamagedCopy(const std::string& path) {
  const std::string copy = path + kDamagedSuffix;
  const std::string temporary = TemporarySibling(copy);
  if (::link(path.c_str(), temporary.c_str()) != 0) {
    std::error_code error;
    std::filesystem::copy_file(path, temporary, error);
    if (error) {
      ::unlink(temporary.c_str());
      ThrowJet(jeterr::kIoError, "cannot keep the damaged file as '" + copy + "': " + error.message());
    }
  }
  SyncAndRename(temporary, copy);
  std::error_code ignored;
  const std::string log = path + "-wal";
  if (std::filesystem::file_size(log, ignored) > 0 && !ignored) {
    std::filesystem::rename(log, copy + "-wal", ignored);
  } else {
    std::filesystem::remove(copy + "-wal", ignored);
  }
  std::filesystem::remove(copy + "-shm", ignored);
  return copy;
}

}  // namespace

int64_t RepairReport::rowsKept() const {
  int64_t n = 0;
  for (const auto& t : tables) n += t.kept;
  return n;
}

int64_t RepairReport::rowsLost() const {
  int64_t n = 0;
  for (const auto& t : tables) n += t.lost;
  return n;
}

RepairReport RepairFile(const std::string& path) {
  RepairReport report;
  if (Intact(path)) return report;
  report.damaged = true;
  const PageReader file(path);
  PageSalvage salvage(file);
  const auto schema = salvage.ReadSchema();
  if (std::none_of(schema.begin(), schema.end(), [](const SchemaRow& e) { return e.type == "table"; }))
    ThrowJet(jeterr::kCorrupt, "the schema of the database '" + path + "' cannot be read");

  const std::string temporary = TemporarySibling(path);
  try {
    RebuiltFile rebuilt(temporary, file.header());
    const auto tables = rebuilt.CreateLayout(schema, report);
    std::vector<std::pair<uint32_t, size_t>> indexes;
    for (const auto& e : schema) {
      if (e.type != "index") continue;
      for (size_t t = 0; t < tables.size(); ++t)
        if (jetsql::IEquals(tables[t].name, e.table)) indexes.emplace_back(e.root, t);
    }
    const SalvageCounts counts = salvage.Run(tables, indexes, rebuilt);
    rebuilt.Finish(schema, file.header(), report);
    for (size_t t = 0; t < tables.size(); ++t) {
      if (jetsql::IEquals(tables[t].name, kSequenceTable)) continue;
      const auto kept = rebuilt.Kept(t);
      report.tables.push_back({tables[t].name, static_cast<int64_t>(kept.size()), CountMissing(counts.knownRowids[t], kept),
                               rebuilt.Partial(t)});
    }
    report.unplacedRows = counts.unplacedRows;
    report.damagedCopy = KeepDamagedCopy(path);
    RemoveSideFiles(path);
    SyncAndRename(temporary, path);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
  return report;
}

}  // namespace albumcore::store::dao
