#include "jet_shell.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "display_text.h"
#include "store/jetsql/ascii.h"
#include "store/jetsql/jet_error.h"
#include "store/jetsql/schema.h"

namespace albumcore::tools {

namespace {

namespace dao = store::dao;
namespace jetsql = store::jetsql;

// The words of a statement, up to `limit` of them.
std::vector<std::string_view> Words(std::string_view s, size_t limit) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (words.size() < limit) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    if (i == s.size()) break;
    const size_t start = i;
    while (i < s.size() && !std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    words.push_back(s.substr(start, i - start));
  }
  return words;
}

com::ComPtr<dao::DBEngine> EngineWith(const dao::SqlLimits& limits) {
  auto engine = com::MakeObject<dao::DBEngine>();
  engine->SetLimits(limits);
  return engine;
}

}  // namespace

JetShell::JetShell(std::string file, const dao::SqlLimits& limits, RowFormat format, std::vector<NamedValue> params,
                   std::ostream& out)
    : file_(std::move(file)),
      format_(format),
      params_(std::move(params)),
      out_(out),
      engine_(EngineWith(limits)),
      db_(engine_->OpenDatabase(file_, dao::Access::ReadOnly)) {}

JetShell::Control JetShell::ControlOf(std::string_view statement) {
  const auto words = Words(statement, 3);
  if (words.empty() || words.size() > 2) return Control::None;
  if (words.size() == 2 && !jetsql::IEquals(words[1], "TRANSACTION") && !jetsql::IEquals(words[1], "TRANS") &&
      !jetsql::IEquals(words[1], "WORK"))
    return Control::None;
  if (jetsql::IEquals(words[0], "BEGIN")) return Control::Begin;
  if (jetsql::IEquals(words[0], "COMMIT")) return Control::Commit;
  if (jetsql::IEquals(words[0], "ROLLBACK")) return Control::Rollback;
  return Control::None;
}

void JetShell::OpenReadWrite() {
  if (db_->session()->access() == dao::Access::ReadWrite) return;
  db_->Close();
  db_ = engine_->OpenDatabase(file_);
}

void JetShell::Run(std::string_view statement) {
  switch (ControlOf(statement)) {
    case Control::Begin:
      OpenReadWrite();
      db_->BeginTrans();
      return;
    case Control::Commit: db_->CommitTrans(); return;
    case Control::Rollback: db_->Rollback(); return;
    case Control::None: break;
  }
  auto query = db_->CreateQueryDef("", statement);
  if (query->Type() != dao::dbQSelect && db_->session()->access() == dao::Access::ReadOnly) {
    OpenReadWrite();
    query = db_->CreateQueryDef("", statement);
  }
  Bind(*query, false);
  try {
    Execute(*query);
  } catch (const com::ComError& e) {
    // A failed write may have ended the transaction it was in: say so, and
    // leave no level open that is gone, so what follows is not mistaken
    // for part of it.
    if (!db_->session()->transactionLost()) throw;
    RollbackAll();
    throw com::ComError(e.hr(), e.detail() + " (the transaction it ran in is rolled back)");
  }
}

void JetShell::RunStoredQuery(std::string_view name) {
  auto query = db_->QueryDefs(name);
  if (query->Type() != dao::dbQSelect) {
    OpenReadWrite();
    query = db_->QueryDefs(name);
  }
  Bind(*query, true);
  Execute(*query);
}

void JetShell::Bind(dao::QueryDef& query, bool everyValueUsed) {
  std::string missing;
  for (int i = 0; i < query.ParameterCount(); ++i) {
    const auto parameter = query.Parameters(i);
    auto given = std::find_if(params_.begin(), params_.end(),
                              [&](const NamedValue& v) { return jetsql::SameName(v.name, parameter.Name()); });
    if (given != params_.end()) parameter.SetValue(given->value);
    else missing += (missing.empty() ? "" : ", ") + parameter.Name();
  }
  if (everyValueUsed)
    for (const auto& given : params_) query.Parameters(given.name);
  if (!missing.empty())
    jetsql::ThrowJet(jetsql::jeterr::kTooFewParameters,
                     "Too few parameters: no value for " + missing + " (give each as -p name=value)");
}

void JetShell::Execute(dao::QueryDef& query) {
  if (query.Type() == dao::dbQSelect) {
    auto rows = query.OpenRecordset(dao::dbOpenSnapshot);
    PrintRows(*rows, format_, out_);
  } else {
    PrintRowsAffected(query.Execute(), format_, out_);
  }
}

void JetShell::RollbackAll() {
  while (openTransactions() > 0) db_->Rollback();
}

std::string DescribeFailure(const com::ComError& error, std::string_view statement, const ScriptStatement* where,
                            int number) {
  std::ostringstream out;
  if (where != nullptr) out << "statement " << number << " (line " << where->line << "): ";
  const std::string status = com::DescribeHresult(error.hr());
  out << (error.detail().empty() ? status : DisplayText(error.detail()) + " [" + status + "]") << "\n";

  // The line of the statement the position falls in, and a marker under it.
  const auto position = jetsql::PositionIn(error.detail());
  if (!position || *position > statement.size()) return out.str();
  const size_t newline = statement.substr(0, *position).rfind('\n');
  const size_t lineStart = newline == std::string_view::npos ? 0 : newline + 1;
  const size_t lineEnd = std::min(statement.find('\n', *position), statement.size());
  std::string marker;
  for (unsigned char c : DisplayText(statement.substr(lineStart, *position - lineStart)))
    if ((c & 0xC0) != 0x80) marker += c == '\t' ? '\t' : ' ';  // one per character
  out << "  " << DisplayText(statement.substr(lineStart, lineEnd - lineStart)) << "\n";
  out << "  " << marker << "^\n";
  return out.str();
}

}  // namespace albumcore::tools
