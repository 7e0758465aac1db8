#include "store/dao/execution.h"

#include "store/dao/errors.h"
#include "store/dao/system_tables.h"
#include "store/dao/table_rebuild.h"
#include "store/dao/values.h"
#include "store/jetsql/jet_text.h"

namespace albumcore::store::dao {

namespace {

// The statements of one translation run as a unit: a savepoint that a
// failure rolls back, so a SELECT INTO that fails leaves no empty table and
// an index whose guard cannot be made is not left without it.
class StatementUnit {
 public:
  StatementUnit(Session& session, bool needed) : session_(session), db_(session.db()), needed_(needed) {
    if (needed_) session_.Exec("SAVEPOINT jet_statement");
  }
  ~StatementUnit() {
    if (needed_ && !done_) sqlite3_exec(db_, "ROLLBACK TO jet_statement; RELEASE jet_statement", nullptr, nullptr, nullptr);
  }
  StatementUnit(const StatementUnit&) = delete;
  StatementUnit& operator=(const StatementUnit&) = delete;
  void Done() {
    if (needed_) session_.Exec("RELEASE jet_statement");
    done_ = true;
  }

 private:
  Session& session_;
  sqlite3* db_;
  bool needed_;
  bool done_ = false;
};

void BindAll(sqlite3_stmt* s, const std::vector<com::Variant>& values) {
  const int count = sqlite3_bind_parameter_count(s);
  for (int i = 0; i < count && static_cast<size_t>(i) < values.size(); ++i)
    BindVariant(s, i + 1, values[static_cast<size_t>(i)]);
}

// Steps one statement to its end; the rows it changed.
int64_t Run(Session& session, std::string_view sql, const std::vector<com::Variant>& values, bool cached,
            jetsql::FailingOperation op) {
  Statement s = session.statements().Acquire(sql, cached);
  BindAll(s.get(), values);
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) ThrowEngineError(session.db(), rc, op);
  return sqlite3_changes64(session.db());
}

}  // namespace

void CheckParameters(const jetsql::Translation& t, const std::vector<com::Variant>& values) {
  if (values.size() < t.parameters.size())
    ThrowJet(jeterr::kTooFewParameters,
             "Too few parameters. Expected " + std::to_string(t.parameters.size() - values.size()) + ".");
  for (size_t i = 0; i < values.size(); ++i)
    if (values[i].vt() == com::VT_BSTR && jetsql::FindInvalidUtf8(values[i].bstr().str()))
      ThrowJet(jeterr::kInvalidArgument, "The text of parameter " + std::to_string(i + 1) + " is not valid UTF-8.");
}

namespace {

// Checks the values, then converts each to its parameter's type.
void ConvertParameters(const jetsql::Translation& t, std::vector<com::Variant>& values) {
  CheckParameters(t, values);
  for (size_t i = 0; i < t.parameters.size(); ++i)
    if (t.parameters[i].type != jetsql::JetType::Unknown) values[i] = CoerceParameter(values[i], t.parameters[i]);
}

}  // namespace

int64_t RunAction(Session& session, const jetsql::Translation& t, std::vector<com::Variant> values) {
  if (t.returnsRows()) ThrowJet(jeterr::kCannotExecuteSelect, "Cannot execute a select query.");
  ConvertParameters(t, values);
  if (t.columnChange) {
    // The rebuild runs with the adapter's rights, so the authorizer would
    // not stop it on a system table.
    if (IsSystemTable(t.columnChange->table))
      ThrowJet(jeterr::kReadOnly, "Could not update; the object '" + t.columnChange->table + "' is read-only.");
    ChangeColumn(session, *t.columnChange);
    return 0;
  }
  if (t.sql.empty() && t.before.empty() && t.after.empty()) return 0;
  // SQL text never runs with the adapter's rights, even when the adapter
  // itself runs it.
  const RightsScope rights(t.changesSchema() ? SqlRights::SchemaChange : SqlRights::ClientText);
  const auto run = session.TimeRun();
  AttachedFiles attached(session, t.attachments);
  const auto op = t.kind == jetsql::StatementKind::Delete ? jetsql::FailingOperation::Delete
                                                         : jetsql::FailingOperation::Other;
  int64_t changed = 0;
  {
    StatementUnit unit(session, !t.before.empty() || !t.after.empty());
    for (const auto& sql : t.before) Run(session, sql, {}, false, op);
    if (!t.sql.empty()) changed = Run(session, t.sql, values, attached.empty(), op);
    for (const auto& sql : t.after) Run(session, sql, {}, false, op);
    unit.Done();
  }  // statements are released before the files are detached
  if (t.changesSchema()) session.ForgetStatements();
  return t.countsRows() ? changed : 0;
}

com::ComPtr<Recordset> OpenRows(const std::shared_ptr<Session>& session, std::shared_ptr<const jetsql::Translation> t,
                                std::vector<com::Variant> values, int type) {
  if (!t->returnsRows()) ThrowJet(jeterr::kInvalidOperation, "Invalid operation.");
  ConvertParameters(*t, values);
  RecordsetSource source;
  source.translation = t->pivot ? ResolvePivot(*session, *t, values) : std::move(t);
  source.parameters = std::move(values);
  return Recordset::Open(session, std::move(source), type);
}

std::shared_ptr<const jetsql::Translation> ResolvePivot(Session& session, const jetsql::Translation& t,
                                                        std::vector<com::Variant>& values) {
  std::vector<std::string> names;
  std::vector<com::Variant> pivotValues;
  {
    AttachedFiles attached(session, t.attachments);
    Statement s = session.statements().Acquire(t.pivot->valuesSql, attached.empty());
    BindAll(s.get(), values);
    const auto run = session.TimeRun();
    int rc;
    while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
      if (t.columns.size() + names.size() >= jetsql::kMaxQueryColumns)
        ThrowJet(jeterr::kTooManyFields, "Too many fields defined.");
      pivotValues.push_back(ReadColumn(s.get(), 0, jetsql::JetType::Unknown));
      const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(s.get(), 1));
      names.emplace_back(name != nullptr ? name : "");
    }
    if (rc != SQLITE_DONE) ThrowEngineError(session.db(), rc);
  }
  values.resize(t.parameters.size());
  values.insert(values.end(), pivotValues.begin(), pivotValues.end());
  auto crosstab = std::make_shared<jetsql::Translation>(t);
  crosstab->sql = jetsql::PivotStatement(t, names);
  for (auto& name : names) crosstab->columns.push_back(jetsql::ResultColumn{std::move(name), t.pivot->cellType});
  crosstab->pivot.reset();
  return crosstab;
}

}  // namespace albumcore::store::dao
