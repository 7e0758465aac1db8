// Database: one open catalogue file (DAO's Database object).
//
// Execute runs Jet SQL that changes data or schema; OpenRecordset opens a
// table (type table, in primary-key order), a stored query or Jet SQL text;
// QueryDefs looks stored queries up by name on every call (through a cache
// that checks the file for changes by any connection, see change_probe.h),
// so a query just created or changed is seen at once. Without BeginTrans
// every statement and every recordset Update commits by itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "com/unknown.h"
#include "store/dao/querydef.h"
#include "store/dao/recordset.h"
#include "store/dao/relation.h"
#include "store/dao/session.h"
#include "store/dao/tabledef.h"

namespace albumcore::store::dao {

class Database;

class QueryDefCollection {
 public:
  com::ComPtr<QueryDef> Item(std::string_view name) const;  // 3265 when there is none
  int Count() const;
  std::vector<std::string> Names() const;
  void Delete(std::string_view name) const;
  void Refresh() const {}

 private:
  friend class Database;
  explicit QueryDefCollection(std::shared_ptr<Session> session) : session_(std::move(session)) {}
  std::shared_ptr<Session> session_;
};

class Database final : public com::ComObject {
 public:
  static constexpr std::string_view kInterfaceName = "Database";

  explicit Database(std::shared_ptr<Session> session) : session_(std::move(session)) {}

  const std::string& Name() const { return session_->path(); }

  // Runs an action statement; returns (and remembers) the rows it changed.
  int64_t Execute(std::string_view jet);
  int64_t RecordsAffected() const { return recordsAffected_; }

  // `source`: a table name, a stored query's name or Jet SQL text. Type
  // dbOpenTable takes a table name only (3011 otherwise).
  com::ComPtr<Recordset> OpenRecordset(std::string_view source, int type = dbOpenDynaset);

  QueryDefCollection QueryDefs() const { return QueryDefCollection(session_); }
  com::ComPtr<QueryDef> QueryDefs(std::string_view name) const { return QueryDefs().Item(name); }
  // Stores a new query; 3012 when one of that name exists. An empty name
  // makes a temporary query, stored nowhere: Jet SQL text whose parameters
  // are bound by name.
  com::ComPtr<QueryDef> CreateQueryDef(std::string_view name, std::string_view jet);

  TableDefCollection TableDefs() const { return TableDefCollection(session_); }
  com::ComPtr<TableDef> TableDefs(std::string_view name) const { return TableDefs().Item(name); }
  com::ComPtr<TableDef> CreateTableDef(std::string_view name) const;

  RelationCollection Relations() const { return RelationCollection(session_); }
  com::ComPtr<Relation> Relations(std::string_view name) const { return Relations().Item(name); }
  com::ComPtr<Relation> CreateRelation(std::string_view name, std::string_view table, std::string_view foreignTable,
                                       int attributes = 0) const;

  void BeginTrans() { session_->BeginTrans(); }
  void CommitTrans() { session_->CommitTrans(); }
  void Rollback() { session_->Rollback(); }

  // What SQLite's integrity check finds wrong with the file, one line per
  // problem, at most `maxProblems`; empty when the file is sound. Raises the
  // engine's error (3049, 3343) when the file is too damaged to be checked.
  std::vector<std::string> IntegrityProblems(int maxProblems = 100);

  // Closes the file now; recordsets and query definitions of this database
  // raise 3420 afterwards.
  void Close() { session_->Close(); }

  const std::shared_ptr<Session>& session() const { return session_; }

 private:
  std::shared_ptr<Session> session_;
  int64_t recordsAffected_ = 0;
};

// Rolls back on scope exit unless committed.
class Transaction {
 public:
  explicit Transaction(Database& db) : db_(db) { db_.BeginTrans(); }
  ~Transaction() {
    if (!done_) {
      try {
        db_.Rollback();
      } catch (...) {
      }
    }
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void Commit() {
    db_.CommitTrans();
    done_ = true;
  }

 private:
  Database& db_;
  bool done_ = false;
};

}  // namespace albumcore::store::dao
