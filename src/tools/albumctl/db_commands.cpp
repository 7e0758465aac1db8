#include "db_commands.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>
#include <memory>

#include "display_text.h"
#include "exit_status.h"
#include "jet_shell.h"
#include "store/catalogue/schema_upgrade.h"
#include "store/jetsql/jet_error.h"

namespace albumcore::tools {

namespace {

namespace dao = store::dao;
namespace jeterr = store::jetsql::jeterr;

// Scripts are read whole before the first statement runs; bounded, as
// anything read from outside.
constexpr size_t kMaxScriptBytes = 64u << 20;

struct DbArgs {
  std::string file;
  std::string statement;
  std::string target;
  std::string query;
  std::vector<std::string> params;
  bool json = false;
  int64_t budgetMs = dao::kDefaultStatementBudget.count();

  // Offline, SQL text keeps the user's own rights over files; only its run
  // time is bounded.
  dao::SqlLimits limits() const {
    return {.statementBudget = std::chrono::milliseconds(budgetMs), .externalFiles = {}};
  }
  RowFormat format() const { return json ? RowFormat::Json : RowFormat::Table; }
  std::vector<NamedValue> values() const {
    std::vector<NamedValue> values;
    for (const auto& p : params) values.push_back(ParseParam(p));
    return values;
  }
};

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

com::ComPtr<dao::Database> OpenFile(const std::string& file, dao::Access access, const dao::SqlLimits& limits = {}) {
  return AboutFile(file, [&] {
    auto engine = com::MakeObject<dao::DBEngine>();
    engine->SetLimits(limits);
    return engine->OpenDatabase(file, access);
  });
}

void AddBudgetOption(CLI::App& command, DbArgs& args) {
  command.add_option("--time-budget", args.budgetMs, "milliseconds a statement may run before it is stopped (0: no limit)")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
}

void PrintRepairReport(const dao::RepairReport& report, const std::string& file) {
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

// The failure has been told in full: end with the status of a failed command.
[[noreturn]] void Failed() { throw ToldFailure(); }

void ReportFailure(const std::string& file, const com::ComError& e, std::string_view statement,
                   const ScriptStatement* where, int number) {
  std::cerr << "albumctl: " << file << ": " << DescribeFailure(e, statement, where, number);
}

// Rolls back what a script left open, and says so.
void EndScript(JetShell& shell, const std::string& file) {
  const int open = shell.openTransactions();
  if (open == 0) return;
  shell.RollbackAll();
  std::cerr << "albumctl: " << file << ": " << open << (open == 1 ? " transaction" : " transactions")
            << " left open at the end of the input, rolled back\n";
  Failed();
}

std::string ReadScript(std::istream& in) {
  std::string script;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    script.append(buffer, static_cast<size_t>(in.gcount()));
    if (script.size() > kMaxScriptBytes)
      throw CLI::ValidationError("the statements on standard input exceed 64 MiB: split them into several runs");
  }
  return script;
}

// A script from a pipe or a file: stops at the first failure, rolling back
// what is open, so a half-run script leaves no half-made change behind.
void RunScript(JetShell& shell, const std::string& file, std::istream& in) {
  const auto statements = SplitScript(ReadScript(in));
  for (size_t i = 0; i < statements.size(); ++i) {
    try {
      shell.Run(statements[i].text);
    } catch (const com::ComError& e) {
      ReportFailure(file, e, statements[i].text, &statements[i], static_cast<int>(i + 1));
      if (const int open = shell.openTransactions(); open > 0) {
        shell.RollbackAll();
        std::cerr << "albumctl: rolled back the open transaction\n";
      }
      Failed();
    }
  }
  EndScript(shell, file);
}

// A person at a terminal: every statement runs as it is finished; a failure
// is told and the session goes on.
void RunInteractive(JetShell& shell, const std::string& file, std::istream& in) {
  std::cerr << "Jet SQL on " << file << ". A statement ends with ; or an empty line; Ctrl-D ends the session.\n";
  StatementSplitter splitter(StatementEnd::SemicolonOrEmptyLine);
  int number = 0;
  size_t bytes = 0;
  auto run = [&](const ScriptStatement& s) {
    ++number;
    try {
      shell.Run(s.text);
    } catch (const com::ComError& e) {
      ReportFailure(file, e, s.text, &s, number);
    }
  };
  std::string line;
  while (std::cerr << (splitter.pending() ? "   ...> " : "jet> ") << std::flush, std::getline(in, line)) {
    if ((bytes += line.size()) > kMaxScriptBytes) throw CLI::ValidationError("more than 64 MiB typed in one session");
    for (const auto& s : splitter.AddLine(line)) run(s);
  }
  std::cerr << "\n";
  if (auto last = splitter.Finish()) run(*last);
  EndScript(shell, file);
}

void RunSql(const DbArgs& args) {
  auto shell = AboutFile(args.file, [&] { return std::make_unique<JetShell>(args.file, args.limits(), args.format(), args.values(), std::cout); });
  if (args.statement.empty()) {
    if (::isatty(STDIN_FILENO)) RunInteractive(*shell, args.file, std::cin);
    else RunScript(*shell, args.file, std::cin);
    return;
  }
  try {
    shell->Run(args.statement);
  } catch (const com::ComError& e) {
    ReportFailure(args.file, e, args.statement, nullptr, 0);
    Failed();
  }
}

// The file's integrity, read-only; false when it is damaged (a file too
// damaged to be checked at all, too).
bool Check(const std::string& file) {
  std::vector<std::string> problems;
  try {
    problems = OpenFile(file, dao::Access::ReadOnly)->IntegrityProblems();
  } catch (const com::ComError& e) {
    if (e.hr() != com::JetError(jeterr::kBadFormat) && e.hr() != com::JetError(jeterr::kCorrupt)) throw;
    problems.push_back(e.detail());
  }
  if (problems.empty()) std::cout << "ok\n";
  for (const auto& line : problems) std::cout << DisplayText(line) << "\n";
  return problems.empty();
}

// The version the catalogue records in Misc; 1 when it records none.
int32_t Version(const std::string& file) {
  auto db = OpenFile(file, dao::Access::ReadOnly);
  auto misc = db->OpenRecordset("Misc", dao::dbOpenTable);
  if (misc->IsEOF()) return 1;
  return misc->Fields("Version").Value().ToI4();
}

}  // namespace

void AddDbCommands(CLI::App& app) {
  auto* db = app.add_subcommand("db", "maintain a catalogue file directly, without the server");
  db->require_subcommand(1);
  auto args = std::make_shared<DbArgs>();

  auto* sql = db->add_subcommand(
      "sql", "run Jet SQL and print its rows; without a statement, read statements from standard input in one "
             "session (ended by ; or, in input without any ;, one per line; at a terminal also by an empty line)");
  sql->add_option("file", args->file, "catalogue file")->required()->check(CLI::ExistingFile);
  sql->add_option("statement", args->statement, "Jet SQL, e.g. \"SELECT Name FROM AlbumItems WHERE ItemType = 9\"");
  sql->add_option("-p,--param", args->params,
                  "parameter as name=value, or name:type=value with type text, number, date, yesno or null "
                  "(repeatable)");
  sql->add_flag("--json", args->json, "print JSON instead of a table (one value per statement)");
  AddBudgetOption(*sql, *args);
  sql->callback([args] { RunSql(*args); });

  auto* query = db->add_subcommand("query", "run a stored query");
  query->add_option("file", args->file, "catalogue file")->required()->check(CLI::ExistingFile);
  query->add_option("name", args->query, "stored query, e.g. GetItemRecord")->required();
  query->add_option("-p,--param", args->params, "parameter as name=value or name:type=value (repeatable)");
  query->add_flag("--json", args->json, "print JSON instead of a table");
  AddBudgetOption(*query, *args);
  query->callback([args] {
    AboutFile(args->file, [&] { JetShell(args->file, args->limits(), args->format(), args->values(), std::cout).RunStoredQuery(args->query); });
  });

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
    AboutFile(args->file, [&] { com::MakeObject<dao::DBEngine>()->CompactDatabase(args->file, args->target); });
    std::cout << "compacted " << args->file << " into " << args->target << " ("
              << std::filesystem::file_size(args->file) << " -> " << std::filesystem::file_size(args->target)
              << " bytes)\n";
  });

  auto* repair = db->add_subcommand(
      "repair", "rebuild a damaged catalogue in place from every row its pages hold (the original is kept as FILE.damaged)");
  repair->add_option("file", args->file, "catalogue file")->required();
  repair->callback([args] {
    std::cerr << "checking and repairing " << args->file << " ...\n";
    PrintRepairReport(AboutFile(args->file, [&] { return com::MakeObject<dao::DBEngine>()->RepairDatabase(args->file); }),
                      args->file);
  });

  auto* upgrade = db->add_subcommand("upgrade", "bring a catalogue of an earlier layout up to date (safe to repeat)");
  upgrade->add_option("file", args->file, "catalogue file")->required()->check(CLI::ExistingFile);
  upgrade->callback([args] {
    auto file = OpenFile(args->file, dao::Access::ReadWrite);
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
