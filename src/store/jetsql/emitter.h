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

}  // namespace albumcore::store::jetsql
