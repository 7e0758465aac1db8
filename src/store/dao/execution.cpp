#include "store/dao/execution.h"

#include "store/dao/errors.h"
#include "store/dao/table_rebuild.h"
#include "store/dao/values.h"

namespace albumcore::store::dao {

void CheckParameterCount(const jetsql::Translation& t, size_t given) {
  if (given < t.parameters.size())
    ThrowJet(jeterr::kTooFewParameters, "Too few parameters. Expected " + std::to_string(t.parameters.size() - given) + ".");
}

int64_t RunAction(Session& session, const jetsql::Translation& t, const std::vector<com::Variant>& values) {
  if (t.returnsRows()) ThrowJet(jeterr::kCannotExecuteSelect, "Cannot execute a select query.");
  CheckParameterCount(t, values.size());
  if (t.columnChange) {
    ChangeColumn(session, *t.columnChange);
    return 0;
  }
  if (t.sql.empty()) return 0;
  AttachedFiles attached(session, t.attachments);
  Statement s = session.statements().Acquire(t.sql, attached.empty());
  const int count = sqlite3_bind_parameter_count(s.get());
  for (int i = 0; i < count && static_cast<size_t>(i) < values.size(); ++i)
    BindVariant(s.get(), i + 1, values[static_cast<size_t>(i)]);
  int rc;
  while ((rc = sqlite3_step(s.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE)
    ThrowEngineError(session.db(), rc,
                     t.kind == jetsql::StatementKind::Delete ? jetsql::FailingOperation::Delete
                                                             : jetsql::FailingOperation::Other);
  const int64_t changed = t.changesSchema() ? 0 : sqlite3_changes64(session.db());
  s.Release();  // before the files are detached
  if (t.changesSchema()) session.ForgetStatements();
  return changed;
}

com::ComPtr<Recordset> OpenRows(const std::shared_ptr<Session>& session, const jetsql::Translation& t,
                                std::vector<com::Variant> values, int type, std::string_view jet) {
  if (!t.returnsRows()) ThrowJet(jeterr::kInvalidOperation, "Invalid operation.");
  CheckParameterCount(t, values.size());
  RecordsetSource source;
  source.sql = t.sql;
  source.parameters = std::move(values);
  source.attachments = t.attachments;
  source.jet = jet;
  return Recordset::Open(session, std::move(source), type);
}

}  // namespace albumcore::store::dao
