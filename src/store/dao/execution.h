// Running a translated Jet statement on a session: attachments around it,
// parameters bound in order, Jet errors for every failure.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "com/variant.h"
#include "store/dao/recordset.h"
#include "store/dao/session.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::dao {

// Raises 3061 "Too few parameters. Expected N." when fewer values than the
// statement's parameters are given, 3001 for text that is not valid UTF-8.
void CheckParameters(const jetsql::Translation& t, const std::vector<com::Variant>& values);

// RunAction and OpenRows take the values of the statement's parameters in
// order, as the caller put them: checked (CheckParameters), then each
// converted to its parameter's type (Jet's conversion: CoerceParameter in
// values.h).

// Runs an action statement, with the statements before and after it as one
// unit that a failure rolls back, within the session's time budget; returns
// the number of rows it changed (none for schema statements; SELECT INTO
// counts the rows of its new table). An empty translation (nothing to do)
// changes nothing. 3065 for a SELECT, 3027 for a write to a system table,
// 3234 when the budget runs out.
int64_t RunAction(Session& session, const jetsql::Translation& t, std::vector<com::Variant> values);

// A crosstab without IN (...): reads the pivot values (with `values` bound)
// and returns the statement with one column per value, read-only; `values`
// then ends with the pivot values the statement takes. 3190 for too many
// columns.
std::shared_ptr<const jetsql::Translation> ResolvePivot(Session& session, const jetsql::Translation& t,
                                                        std::vector<com::Variant>& values);

// Opens a recordset on a row-returning statement (a crosstab's after its
// columns are read); 3219 for an action statement.
com::ComPtr<Recordset> OpenRows(const std::shared_ptr<Session>& session, std::shared_ptr<const jetsql::Translation> t,
                                std::vector<com::Variant> values, int type);

}  // namespace albumcore::store::dao
