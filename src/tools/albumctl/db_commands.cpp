#include "db_commands.h"

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>

#include "exit_status.h"
#include "row_printer.h"
#include "store/catalogue/schema_upgrade.h"
#include "store/dao/engine.h"
#include "store/dao/querydef.h"
#include "store/jetsql/connection.h"

namespace albumcore::tools {

namespace {

using store::dao::DBEngine;

struct DbArgs {
  std::string file;
  std::string statement;
  std::string target;
  std::string query;
  std::vector<std::string> params;
  bool json = false;
  int64_t budgetMs = store::dao::kDefaultStatementBudget.count();
};

// "name=value": a whole number becomes VT_I4, anything else text.
std::pair<std::string, com::Variant> ParseParam(const std::string& assignment) {
  const size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0) throw CLI::ValidationError("--param wants name=value, got " + assignment);
  std::string name = assignment.substr(0, eq);
  std::string text = assignment.substr(eq + 1);
  char* end = nullptr;
  errno = 0;
  long long n = std::strtoll(text.c_str(), &end, 10);
  if (!text.empty() && end == text.c_str() + text.size() && errno == 0 && n >= INT32_MIN && n <= INT32_MAX) {
    return {name, com::Variant(static_cast<int32_t>(n))};
  }
  return {name, com::Variant(text)};
}

// Runs `body`, naming `file` in whatever the engine raises.
template <class Body>
auto AboutFile(const std::string& file, Body&& body) {
  try {
    return body();
  } catch (const com::ComError& e) {
    const std::string prefix = file + ": ";
    if (e.detail().rfind(prefix, 0) == 0) throw;  // named already
    throw com::ComError(e.hr(), prefix + (e.detail().empty() ? com::DescribeHresult(e.hr()) : e.detail()));
  }
}

// Offline, SQL text keeps the user's own rights over files; only its run
// time is bounded.
com::ComPtr<store::dao::Database> OpenFile(const std::string& file,
                                          int64_t budgetMs = store::dao::kDefaultStatementBudget.count()) {
  return AboutFile(file, [&] {
    auto engine = com::MakeObject<DBEngine>();
    engine->SetLimits({.statementBudget = std::chrono::milliseconds(budgetMs), .externalFiles = {}});
    return engine->OpenDatabase(file);
  });
}

void AddBudgetOption(CLI::App& command, DbArgs& args) {
  command.add_option("--time-budget", args.budgetMs, "milliseconds a statement may run before it is stopped (0: no limit)")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
}

void PrintRepairReport(const store::dao::RepairReport& report, const std::string& file) {
  if (!report.damaged) {
    std::cout << file << " is intact; nothing to repair\n";
    return;
  }
  for (const auto& t : report.tables)
    if (t.kept > 0 || t.lost > 0)
      std::cout << "  " << t.table << ": " << t.kept << " rows kept"
                << (t.incomplete > 0 ? " (" + std::to_string(t.incomplete) + " with values left empty)" : "") << ", "
                << t.lost << " lost\n";
  if (report.unplacedRows > 0)
    std::cout << "  " << report.unplacedRows << " rows found on lost pages belong to no table their shape names\n";
  for (const auto& what : report.notRestored) std::cout << "  not restored: " << what << "\n";
  std::cout << "repaired " << file << ": " << report.rowsKept() << " rows kept, " << report.rowsLost()
            << " lost; the damaged original is kept as " << report.damagedCopy << "\n";
}

// What the translator makes of the statement (cached, so running it after
// costs no second translation).
std::shared_ptr<const store::jetsql::Translation> Translate(store::dao::Database& db, std::string_view jet) {
  return db.session()->Translate(jet);
}

void RunStatement(const DbArgs& args) {
  auto db = OpenFile(args.file, args.budgetMs);
  if (Translate(*db, args.statement)->returnsRows()) {
    auto rows = db->OpenRecordset(args.statement);
    PrintRows(*rows, args.json ? RowFormat::Json : RowFormat::Table, std::cout);
  } else {
    const int64_t changed = db->Execute(args.statement);
    if (args.json) {
      std::cout << "{\"recordsAffected\": " << changed << "}\n";
    } else {
      std::cout << changed << (changed == 1 ? " row" : " rows") << " affected\n";
    }
  }
}

void RunStoredQuery(const DbArgs& args) {
  auto db = OpenFile(args.file, args.budgetMs);
  auto query = db->QueryDefs(args.query);
  const auto translation = Translate(*db, query->SQL());
  if (translation->parameters.size() > args.params.size()) {
    std::string names;
    for (const auto& p : translation->parameters) names += (names.empty() ? "" : ", ") + p.name;
    throw CLI::ValidationError(args.query + " takes the parameters " + names + ": give each as -p name=value");
  }
  for (const auto& assignment : args.params) {
    auto [name, value] = ParseParam(assignment);
    query->Parameters(name).SetValue(value);
  }
  if (translation->returnsRows()) {
    auto rows = query->OpenRecordset();
    PrintRows(*rows, args.json ? RowFormat::Json : RowFormat::Table, std::cout);
  } else {
    std::cout << query->Execute() << " rows affected\n";
  }
}

// The file's integrity as SQLite sees it, read-only.
bool Check(const std::string& file) {
  if (!std::filesystem::exists(file)) throw com::ComError(com::JetError(3024), "no such file: " + file);
  sqlite3* raw = nullptr;
  int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
  std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, sqlite3_close);
  if (rc != SQLITE_OK) throw com::ComError(com::JetError(3343), sqlite3_errmsg(raw));
  store::jetsql::ConfigureConnection(raw);  // the collation the schema names
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &stmt, nullptr);
  bool ok = true;
  while (stmt != nullptr && sqlite3_step(stmt) == SQLITE_ROW) {
    std::string line = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    if (line != "ok") ok = false;
    std::cout << line << "\n";
  }
  if (stmt == nullptr) {
    std::cout << sqlite3_errmsg(raw) << "\n";
    ok = false;
  }
  sqlite3_finalize(stmt);
  return ok;
}

// The version the catalogue records in Misc; 1 when it records none.
int32_t Version(const std::string& file) {
  auto db = OpenFile(file);
  auto misc = db->OpenRecordset("Misc", store::dao::dbOpenTable);
  if (misc->IsEOF()) return 1;
  return misc->Fields("Version").Value().ToI4();
}

}  // namespace

void AddDbCommands(CLI::App& app) {
  auto* db = app.add_subcommand("db", "maintain a catalogue file directly, without the server");
  db->require_subcommand(1);
  auto args = std::make_shared<DbArgs>();

  auto* sql = db->add_subcommand("sql", "run a Jet SQL statement and print its rows");
  sql->add_option("file", args->file, "catalogue file")->required()->check(CLI::ExistingFile);
  sql->add_option("statement", args->statement, "Jet SQL, e.g. \"SELECT Name FROM AlbumItems WHERE ItemType = 9\"")
      ->required();
  sql->add_flag("--json", args->json, "print JSON instead of a table");
  AddBudgetOption(*sql, *args);
  sql->callback([args] { RunStatement(*args); });

  auto* query = db->add_subcommand("query", "run a stored query");
  query->add_option("file", args->file, "catalogue file")->required()->check(CLI::ExistingFile);
  query->add_option("name", args->query, "stored query, e.g. GetItemRecord")->required();
  query->add_option("-p,--param", args->params, "parameter as name=value (repeatable)");
  query->add_flag("--json", args->json, "print JSON instead of a table");
  AddBudgetOption(*query, *args);
  query->callback([args] { RunStoredQuery(*args); });

  auto* check = db->add_subcommand("check", "check the file's integrity (read-only)");
  check->add_option("file", args->file, "catalogue file")->required();
  check->callback([args] {
    if (!Check(args->file)) throw NegativeAnswer(args->file + " is damaged: try `albumctl db repair`");
  });

  auto* compact = db->add_subcommand("compact", "write a compacted copy of a catalogue to a new file");
  compact->add_option("source", args->file, "catalogue file")->required();
  compact->add_option("target", args->target, "new file (must not exist)")->required();
  compact->callback([args] {
    std::cerr << "compacting " << args->file << " ...\n";
    AboutFile(args->file, [&] { com::MakeObject<DBEngine>()->CompactDatabase(args->file, args->target); });
    std::cout << "compacted " << args->file << " into " << args->target << " ("
              << std::filesystem::file_size(args->file) << " -> " << std::filesystem::file_size(args->target)
              << " bytes)\n";
  });

  auto* repair = db->add_subcommand(
      "repair", "rebuild a damaged catalogue in place from every row its pages hold (the original is kept as FILE.damaged)");
  repair->add_option("file", args->file, "catalogue file")->required();
  repair->callback([args] {
    std::cerr << "checking and repairing " << args->file << " ...\n";
    PrintRepairReport(AboutFile(args->file, [&] { return com::MakeObject<DBEngine>()->RepairDatabase(args->file); }),
                      args->file);
  });

  auto* upgrade = db->add_subcommand("upgrade", "bring a catalogue of an earlier layout up to date (safe to repeat)");
  upgrade->add_option("file", args->file, "catalogue file")->required()->check(CLI::ExistingFile);
  upgrade->callback([args] {
    auto file = OpenFile(args->file);
    auto report = store::catalogue::ConnectTimeUpgrade(*file);
    auto more = store::catalogue::OpenTimeUpgrade(*file);
    report.done.insert(report.done.end(), more.done.begin(), more.done.end());
    report.failed.insert(report.failed.end(), more.failed.begin(), more.failed.end());
    for (const auto& step : report.done) std::cout << "upgraded " << step << "\n";
    if (!report.ok()) {
      // Each failure is on stderr already, with its cause.
      throw com::ComError(report.failed.front().status,
                          args->file + ": " + std::to_string(report.failed.size()) +
                              " upgrade steps failed; the file keeps what they would have changed");
    }
    std::cout << args->file << (report.done.empty() ? " was already" : " is now") << " in the current layout\n";
  });

  auto* version = db->add_subcommand("version", "print the database version the catalogue records");
  version->add_option("file", args->file, "catalogue file")->required();
  version->callback([args] { std::cout << AboutFile(args->file, [&] { return Version(args->file); }) << "\n"; });
}

}  // namespace albumcore::tools
