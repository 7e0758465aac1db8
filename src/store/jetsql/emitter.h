// Emits SQLite SQL for a parsed Jet statement, resolving names against the
// schema (internal to the translator; see translator.h for the contract).
#pragma once

#include "store/jetsql/ast.h"
#include "store/jetsql/schema.h"
#include "store/jetsql/sql_quoting.h"
#include "store/jetsql/translator.h"

namespace albumcore::store::jetsql {

Translation EmitStatement(const Statement& statement, SchemaCatalog& catalog);

// Real numbers as the emitter writes them, exposed for tests.
std::string FormatReal(double value);

// Rewrites the ?N placeholders of emitted SQL (outside its quoted literals
// and names) to ?renumber[N]; numbers beyond the table stay.
std::string RenumberParameters(const std::string& sql, const std::vector<int>& renumber);

}  // namespace albumcore::store::jetsql
