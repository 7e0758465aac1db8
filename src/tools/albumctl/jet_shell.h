// Runs Jet SQL statements on one catalogue file in one session, the way a
// database shell does: @@IDENTITY, transactions (BEGIN TRANSACTION, COMMIT,
// ROLLBACK, nested ones as savepoints) and whatever else the session keeps
// carry from one statement to the next.
//
// The file opens read-only and stays so while statements only read, so a
// session of SELECTs leaves it byte for byte as it was; the first statement
// that may write (or a BEGIN) reopens it read-write, before the session
// holds anything. Rows print as a table or as JSON, action queries as the
// count of rows they changed. A statement's parameters take the values
// given by name (-p); one left without a value fails with 3061.
//
// Every failure raises com::ComError with the engine's status;
// DescribeFailure turns it into a message that shows the statement and,
// for a syntax error, where in it.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "com/error.h"
#include "param_values.h"
#include "row_printer.h"
#include "statement_splitter.h"
#include "store/dao/engine.h"

namespace albumcore::tools {

class JetShell {
 public:
  // `limits` bound what the statements may do (their run time, the files
  // IN "file" may name).
  JetShell(std::string file, const store::dao::SqlLimits& limits, RowFormat format, std::vector<NamedValue> params,
           std::ostream& out);

  // Runs one statement (Jet SQL, or BEGIN/COMMIT/ROLLBACK [TRANSACTION]).
  void Run(std::string_view statement);
  // Runs the stored query `name`; every value given must name one of its
  // parameters (3265 otherwise).
  void RunStoredQuery(std::string_view name);

  // Levels of BEGIN not yet committed or rolled back.
  int openTransactions() const { return db_->session()->openTransactions(); }
  // Rolls back every open level.
  void RollbackAll();

 private:
  enum class Control { None, Begin, Commit, Rollback };
  static Control ControlOf(std::string_view statement);

  void OpenReadWrite();
  // Puts the values given into the query's parameters; 3061 naming those
  // left without one.
  void Bind(store::dao::QueryDef& query, bool everyValueUsed);
  void Execute(store::dao::QueryDef& query);

  std::string file_;
  RowFormat format_;
  std::vector<NamedValue> params_;
  std::ostream& out_;
  com::ComPtr<store::dao::DBEngine> engine_;
  com::ComPtr<store::dao::Database> db_;
};

// "statement 3 (line 7): <what the engine said> [status]", then the
// statement's line at fault with a ^ under the position the message names.
// `where` is null for a statement given on the command line.
std::string DescribeFailure(const com::ComError& error, std::string_view statement, const ScriptStatement* where,
                            int number);

}  // namespace albumcore::tools
